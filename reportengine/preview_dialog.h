#pragma once

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace qb::report {

class Report;
class ReportPreview;

// The modal preview of a report: zoom, open and save a prepared report, page setup, print,
// find, save as PDF, save as a workbook (when the caller offers it) and close. Page setup lays
// the report out anew. A prepared report opened from its file is shown, printed and saved
// exactly as it was kept; page setup and the workbook, which need the report's data, stay off
// for it.
class PreviewDialog : public QDialog {
    Q_OBJECT
public:
    // The report must be prepared and outlive the dialog.
    PreviewDialog(Report& report, QWidget* parent = nullptr);

    // What the button "导出Excel" does: by default it saves the report as a workbook
    // (saveWorkbook); an empty action hides the button.
    void setWorkbookExport(std::function<void()> action);
    ReportPreview* preview() const { return preview_; }

    void setZoomChoice(int index);
    bool openReport();
    bool saveReport();
    bool pageSetup();
    bool print();
    bool find(const QString& needle);
    bool savePdf();
    // Asks for a file name and writes the report's rows into a new workbook there.
    bool saveWorkbook();

private:
    void updatePageLabel(int page, int count);

    Report& report_;
    QString name_;  // of the report on show, for the names of the files it is saved as
    ReportPreview* preview_;
    QComboBox* zoom_;
    QLineEdit* findText_;
    QLabel* pageLabel_;
    QToolButton* pageSetup_;
    QToolButton* workbook_;
    std::function<void()> exportWorkbook_;
};

// Prepares the report and runs its modal preview. False when it could not be prepared (the
// reason was told through the message service). exportWorkbook, when given, takes the place of
// the preview's own saving as a workbook.
bool showPreview(Report& report, QWidget* parent, const QString& title,
                 std::function<void()> exportWorkbook = {});

}  // namespace qb::report
