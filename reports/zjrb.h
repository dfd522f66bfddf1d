#pragma once

#include <QDate>
#include <QWidget>

#include "dailyreport.h"

class QDateEdit;
class QLabel;
class QPushButton;
class QTableWidget;
struct Session;

namespace qb::report {
class Report;
}

// "资金日报表": every enabled book's day (or run of days) by category, with subtotals and the
// grand total, read from the core (qb::dailyreport); a cash book whose day ends above its limit
// or below zero is marked in red and says why in its tooltip. Everyone may view, print it, save
// it as PDF and export it as a workbook.
class Tfr_zjrb : public QWidget {
    Q_OBJECT
public:
    explicit Tfr_zjrb(Session& session, QWidget* parent = nullptr);

    // Reads the report of the days picked and shows it.
    void refresh();
    void preview();       // print preview (zjrb.rls)
    void savePdf();       // 另存为PDF
    void saveWorkbook();  // 导出Excel

    const qb::dailyreport::Report& report() const { return report_; }

private:
    // The printout of the report on show; false after a message.
    bool loadPrintout(qb::report::Report& printout) const;
    // A file name for the report's files: "资金日报表 2026-12-09".
    QString fileStem() const;

    Session& session_;
    qb::dailyreport::Report report_;

    QDateEdit* from_;
    QDateEdit* to_;
    QTableWidget* table_;
    QLabel* note_;
    QPushButton* previewButton_;
    QPushButton* pdfButton_;
    QPushButton* workbookButton_;
};
