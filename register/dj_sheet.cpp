// The summary sheet "结存表": a book name's bank, cash and card journals for the picked month,
// rendered from the template "qbk.rmf" into the preview area.
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QStackedWidget>
#include <QTreeWidgetItem>

#include "dj.h"
#include "figures.h"
#include "gymk.h"
#include "places.h"
#include "report.h"
#include "report_preview.h"

namespace {
// Per category the cells for the opening balance, debit, credit and closing balance (twice),
// then the year to date's debit and credit, which an older template lacks.
struct SheetRow {
    const char* category;
    const char* cells[7];
};
const SheetRow kSheetRows[] = {
    {"银行日记帐", {"mm1", "mm4", "mm7", "mm10", "mm13", "yd1", "yc1"}},
    {"现金日记帐", {"mm2", "mm5", "mm8", "mm11", "mm14", "yd2", "yc2"}},
    {"银行卡", {"mm3", "mm6", "mm9", "mm12", "mm15", "yd3", "yc3"}},
};
}  // namespace

bool Tfr_dj::showSheet(QTreeWidgetItem* nameNode) {
    const QString name = nameNode->text(0);
    // A missing template or object is told by the report and leaves the window as it was.
    if (!summary_report->load(qb::places::shipped(QDir::currentPath(), QStringLiteral("qbk.rmf"))))
        return false;
    create_jcb(name);
    if (!rmp->showReport(*summary_report)) return false;
    Label3->setText(name + QStringLiteral("-结存表"));
    rmp->fitWidth();
    area_->setCurrentWidget(rmp);
    return true;
}

void Tfr_dj::create_jcb(const QString& bookName) {
    const QDate date = dtp->date();
    summary_report->setText(QStringLiteral("Memo35"), QStringLiteral("账簿：") + bookName);
    summary_report->setText(QStringLiteral("Memo36"),
                            QStringLiteral("日期：") + date.toString(QStringLiteral("yyyy-MM")));
    for (const SheetRow& row : kSheetRows) {
        QStringList cells;
        for (const char* cell : row.cells)
            cells << QLatin1String(cell);
        jcb_dat(bookName, QString::fromUtf8(row.category), cells);
    }
}

void Tfr_dj::jcb_dat(const QString& bookName, const QString& category, const QStringList& cells) {
    const QDate date = dtp->date();
    const QString bookId = gymk::book_id_of(dat_, bookName, category);
    const qb::figures::Figures f = qb::figures::month(dat_, bookId, date);
    using qb::money::text;
    const QString texts[7] = {
        text(f.broughtIn), text(f.period.debit),     text(f.period.credit),    text(f.closing),
        text(f.closing),   text(f.yearToDate.debit), text(f.yearToDate.credit)};
    for (int i = 0; i < 7; ++i)
        if (i < 5 || summary_report->hasObject(cells[i]))
            summary_report->setText(cells[i], texts[i]);
}
