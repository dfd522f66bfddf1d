#pragma once

#include <QScrollArea>
#include <functional>
#include <memory>

#include "document.h"

class QDialog;
class QPrinter;

namespace qb::report {

class Report;

// How the previews ask the user for a printer, a page setup, a file name, and how a modal
// preview runs. The real dialogs by default; tests put in answers so no dialog ever blocks.
struct Asking {
    std::function<bool(QPrinter&, QWidget* parent)> printDialog;      // true: go ahead
    std::function<bool(QPrinter&, QWidget* parent)> pageSetupDialog;  // true: take the setup
    std::function<QString(QWidget* parent, const QString& suggested)> pdfFileName;  // "": cancel
    std::function<QString(QWidget* parent, const QString& suggested)> workbookFileName;
    // A prepared report's file: to save it under (forSaving) or to open; "": cancel.
    std::function<QString(QWidget* parent, const QString& suggested, bool forSaving)>
        reportFileName;
    std::function<int(QDialog&)> runModal;
};
Asking& asking();

// Pages of a prepared report on screen, one under the other, at a zoom; finds text and prints
// what it shows. Serves both embedded (the register's summary sheet) and inside the modal
// preview window.
class ReportPreview : public QScrollArea {
    Q_OBJECT
public:
    explicit ReportPreview(QWidget* parent = nullptr);
    ~ReportPreview() override;

    // Prepares the report and shows it; on failure (told through the message service) the
    // preview keeps what it showed and false comes back.
    bool showReport(Report& report);
    void setDocument(std::shared_ptr<const Document> document);
    std::shared_ptr<const Document> document() const { return document_; }
    void clear() { setDocument(nullptr); }

    double zoom() const { return zoom_; }  // 1.0: paper size on screen
    void setZoom(double zoom);
    void fitWidth();
    void fitPage();

    int pageCount() const { return document_ ? int(document_->pages.size()) : 0; }
    int currentPage() const;  // 0-based, the page at the top of the view
    void showPage(int page);

    // Finds the next text that holds the needle after the last hit (wrapping round), marks it
    // and brings it into view. False when no text holds it.
    bool findNext(const QString& needle);
    // The (page, item) of the text found last; (-1, -1) when none.
    std::pair<int, int> lastHit() const { return hit_; }

    // Asks for a printer through the print dialog and prints the pages on show. False when
    // there is nothing to print, the dialog was cancelled or printing failed (then told).
    bool print();
    // Prints the pages on show on a printer set up already (page range honoured).
    bool printTo(QPrinter& printer);

signals:
    void pageChanged(int page, int pageCount);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;  // with Ctrl: zoom

private:
    class Pages;
    void relayout();
    double pixelsPerMm() const;
    enum class Fit { None, Width, Page };

    Pages* pages_;
    std::shared_ptr<const Document> document_;
    double zoom_ = 1.0;
    Fit fit_ = Fit::Width;  // embedded, the sheet fills the width of its area
    std::pair<int, int> hit_{-1, -1};
};

}  // namespace qb::report
