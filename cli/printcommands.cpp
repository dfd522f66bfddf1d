// print, balances and daily: the register's journal printout, the balance table and the daily
// fund report written as PDF files without a window. They only read the ledger: they lay out
// the same lines the windows stage, without writing the staging tables, so they work beside a
// running program.
#include <QDir>
#include <cstdio>

#include "balanceprint.h"
#include "balances.h"
#include "commands.h"
#include "dailyreport.h"
#include "dailyworkbook.h"
#include "journalprint.h"
#include "months.h"
#include "places.h"
#include "printouts.h"
#include "report.h"

namespace cli {
namespace {

// Takes "NAME FILE" (--pdf, --out) out of the arguments; empty when it is not there.
QString takeFile(QStringList& args, const QString& name) {
    const qsizetype at = args.indexOf(name);
    if (at < 0) return {};
    if (at + 1 >= args.size() || args[at + 1].isEmpty())
        throw UsageError{name + QStringLiteral(" needs a file name")};
    const QString file = args[at + 1];
    args.remove(at, 2);
    return file;
}

QString takePdf(QStringList& args) {
    return takeFile(args, QStringLiteral("--pdf"));
}

// "YYYY-MM-DD" or "YYYY-MM-DD..YYYY-MM-DD"; today when nothing is given.
std::pair<QDate, QDate> period(const QStringList& args) {
    if (args.size() > 1) throw UsageError{QStringLiteral("unknown argument: ") + args[1]};
    if (args.isEmpty()) return {QDate::currentDate(), QDate::currentDate()};
    const QStringList ends = args[0].split(QStringLiteral(".."));
    if (ends.size() > 2)
        throw UsageError{QStringLiteral("expected YYYY-MM-DD or YYYY-MM-DD..YYYY-MM-DD, not ") +
                         args[0]};
    const QDate first = day(ends[0], QStringLiteral("the day"));
    const QDate last = ends.size() == 2 ? day(ends[1], QStringLiteral("the last day")) : first;
    if (last < first)
        throw UsageError{QStringLiteral("the last day comes before the first: ") + args[0]};
    return {first, last};
}

}  // namespace

int print(const QString& dir, const QStringList& args) {
    QStringList rest = args;
    const QString pdf = takePdf(rest);
    if (pdf.isEmpty()) throw UsageError{QStringLiteral("print needs --pdf FILE")};
    Tdat dat;
    openLedger(dat, dir, Tdat::Mode::ReadOnly);
    const auto [id, month] = bookMonth(dat, rest);
    const qb::journalprint::Printout printout = qb::journalprint::journal_printout(dat, id, month);
    adviseUnchained(dat, id, rest[0]);
    // The report tells what went wrong (a missing template, a file that cannot be written).
    qb::report::Report report;
    if (!qb::report::loadJournal(report, qb::places::shipped(dir, QStringLiteral("pr.rls")),
                                 rest[0], rest[1], month, printout))
        return 1;
    report.setDataSource(qb::report::journalLines(printout));
    if (!report.writePdf(pdf)) return 1;
    out(QStringLiteral("%1 %2 %3：%4 行，%5 页，已写入 %6\n")
            .arg(shown(rest[0]), shown(rest[1]), qb::months::monthText(month))
            .arg(printout.lines.size())
            .arg(report.pageCount())
            .arg(shown(pdf)));
    return 0;
}

int balances(const QString& dir, const QStringList& args) {
    QStringList rest = args;
    const QString pdf = takePdf(rest);
    if (!rest.isEmpty()) throw UsageError{QStringLiteral("unknown argument: ") + rest.first()};
    Tdat dat;
    openLedger(dat, dir, Tdat::Mode::ReadOnly);
    const QDate today = QDate::currentDate();
    const std::vector<qb::balances::BookBalance> books = qb::balances::book_balances(dat, today);
    for (const qb::balances::BookBalance& b : books)
        adviseUnchained(dat, b.bookId, b.name);
    if (!pdf.isEmpty()) {
        // The chart as the window first shows it: the enabled books are the ones ticked.
        std::vector<qb::balanceprint::ChartLine> lines;
        for (int i = 0; i < int(books.size()); ++i)
            if (books[i].enabled)
                lines.push_back(qb::balanceprint::chartLine(
                    books, i,
                    qb::balances::month_end_balances(dat, books[i], today,
                                                     qb::balanceprint::kMonths)));
        qb::report::Report report;
        if (!qb::balanceprint::loadPrintout(report,
                                            qb::places::shipped(dir, QStringLiteral("zhye.rls")),
                                            qb::report::balanceRows(books), today, lines) ||
            !report.writePdf(pdf))
            return 1;
    }
    QString text =
        csvRow({QStringLiteral("启用状态"), QStringLiteral("账簿名称"), QStringLiteral("账簿类别"),
                QStringLiteral("账号"), QStringLiteral("账簿余额")});
    qb::money::Cents total = 0;
    for (const qb::balances::BookBalance& b : books) {
        text += csvRow({b.enabled ? QStringLiteral("启用") : QStringLiteral("未启用"),
                        formulaSafe(shown(b.name)), formulaSafe(shown(b.category)),
                        formulaSafe(shown(b.account)), qb::money::text(b.balance)});
        total += b.balance;
    }
    text += csvRow({{}, QStringLiteral("合计"), {}, {}, qb::money::text(total)});
    out(text);
    return 0;
}

int daily(const QString& dir, const QStringList& args) {
    QStringList rest = args;
    const QString pdf = takePdf(rest);
    const QString workbook = takeFile(rest, QStringLiteral("--out"));
    const auto [first, last] = period(rest);
    Tdat dat;
    openLedger(dat, dir, Tdat::Mode::ReadOnly);
    const qb::dailyreport::Report report = qb::dailyreport::report_of(dat, first, last);
    for (const qb::dailyreport::Group& group : report.groups)
        for (const qb::dailyreport::Row& row : group.rows)
            adviseUnchained(dat, row.bookId, row.name);
    if (!pdf.isEmpty()) {
        qb::report::Report printout;
        if (!qb::report::loadDailyReport(
                printout, qb::places::shipped(dir, QStringLiteral("zjrb.rls")), report))
            return 1;
        printout.setDataSource(qb::report::dailyRows(report));
        if (!printout.writePdf(pdf)) return 1;
    }
    if (!workbook.isEmpty()) qb::dailyworkbook::write(workbook, report);
    QString csv = csvRow(qb::dailyreport::kColumns);
    using qb::money::text;
    for (const qb::dailyreport::Line& l : qb::dailyreport::lines(report))
        csv += csvRow({formulaSafe(shown(l.category)), formulaSafe(shown(l.name)),
                       formulaSafe(shown(l.account)), text(l.amounts.broughtIn),
                       text(l.amounts.debit), text(l.amounts.credit), text(l.amounts.closing),
                       QString::number(l.amounts.lines), l.mark});
    out(csv);
    for (const qb::dailyreport::Line& l : qb::dailyreport::lines(report))
        if (!l.warning.isEmpty())
            std::fprintf(stderr, "%s\n", shown(l.warning).toUtf8().constData());
    return 0;
}

}  // namespace cli
