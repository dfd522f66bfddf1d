#include "journalprint.h"

#include "figures.h"
#include "fr_dat.h"
#include "ledger.h"
#include "rowkinds.h"

namespace qb::journalprint {

using ledger::Column;

namespace {

Line carryLine(const QString& text, money::Cents debit, money::Cents credit, money::Cents balance) {
    Line line(Column::ColumnCount);
    line[Column::Zy] = text;
    line[Column::JJe] = money::fromCents(debit);
    line[Column::DJe] = money::fromCents(credit);
    line[Column::YJe] = money::fromCents(balance);
    return line;
}

}  // namespace

Printout journal_printout(Tdat& dat, const QString& bookId, const QDate& anyDayOfMonth) {
    Printout printout;
    Query month(dat);
    const ledger::MonthSql view = ledger::month_view(bookId, anyDayOfMonth);
    month.setSql(view.sql, view.params);
    month.open();
    const int entries = month.recordCount();
    printout.lines.reserve(entries + 2 * (entries / kPageEntries));
    // The running figures the carry lines repeat: debit and credit since the month began, and
    // the balance of the last entry written.
    money::Cents debit = 0, credit = 0, balance = 0;
    int entry = 0;
    for (month.first(); !month.eof(); month.next()) {
        ++entry;
        if (entry % kPageEntries == 0) {
            printout.lines.push_back(carryLine(kCarryOut, debit, credit, balance));
            printout.lines.push_back(carryLine(kCarryIn, debit, credit, balance));
        }
        Line line(Column::ColumnCount);
        for (int c = 0; c < Column::ColumnCount; ++c)
            line[c] = month.value(c);
        const QString summary = month.field(Column::Zy).asString();
        if (rows::isMarker(summary)) line[Column::Zy] = kMarkerIndent + summary;
        printout.lines.push_back(std::move(line));
        debit += month.field(Column::JJe).asCents();
        credit += month.field(Column::DJe).asCents();
        balance = month.field(Column::YJe).asCents();
    }
    const figures::Figures f = figures::month(dat, bookId, anyDayOfMonth);
    printout.monthDebit = f.period.debit;
    printout.monthCredit = f.period.credit;
    printout.cumulativeDebit = f.cumulative.debit;
    printout.cumulativeCredit = f.cumulative.credit;
    printout.yearDebit = f.yearToDate.debit;
    printout.yearCredit = f.yearToDate.credit;
    printout.closing = f.closing;
    return printout;
}

Printout stage_journal(Tdat& dat, const QString& bookId, const QDate& anyDayOfMonth) {
    Printout printout = journal_printout(dat, bookId, anyDayOfMonth);
    Transaction t(dat);
    dat.execute(QStringLiteral("delete from tmp_pr"));
    const QString insert = QStringLiteral(
        "insert into tmp_pr(dzrq,pzh,ph,zy,j_je,d_je,y_je,pzn,bxr,jbr,zbh) "
        "values(?,?,?,?,?,?,?,?,?,?,?)");
    for (const Line& line : printout.lines)
        dat.execute(insert, QVariantList(line.begin(), line.end()));
    t.commit();
    return printout;
}

}  // namespace qb::journalprint
