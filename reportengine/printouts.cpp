#include "printouts.h"

#include "report.h"

namespace qb::report {

bool loadJournal(Report& report, const QString& templatePath, const QString& bookName,
                 const QString& category, const QDate& month,
                 const qb::journalprint::Printout& printout) {
    if (!report.load(templatePath) || !report.setText(QStringLiteral("memo3"), category) ||
        !report.setText(QStringLiteral("memo46"), QStringLiteral("账簿：") + bookName) ||
        !report.setText(QStringLiteral("memo5"),
                        QStringLiteral("日期：") + month.toString(QStringLiteral("yyyy-MM"))))
        return false;
    using qb::money::text;
    const std::pair<const char*, qb::money::Cents> totals[] = {
        {"monthDebit", printout.monthDebit},
        {"monthCredit", printout.monthCredit},
        {"monthBalance", printout.closing},
        {"cumulativeDebit", printout.cumulativeDebit},
        {"cumulativeCredit", printout.cumulativeCredit},
        {"cumulativeBalance", printout.closing},
        {"yearDebit", printout.yearDebit},
        {"yearCredit", printout.yearCredit},
        {"yearBalance", printout.closing}};
    // A template of the layout's first years has no totals, a later one no year to date; each
    // prints without what it lacks.
    for (const auto& [name, cents] : totals)
        if (report.hasObject(QLatin1String(name)) &&
            !report.setText(QLatin1String(name), text(cents)))
            return false;
    return true;
}

std::shared_ptr<DataSource> journalLines(const qb::journalprint::Printout& printout) {
    auto rows = std::make_shared<TableDataSource>(QStringList{
        "sn", "dzrq", "pzh", "ph", "zy", "j_je", "d_je", "y_je", "pzn", "bxr", "jbr", "zbh"});
    int sn = 0;
    for (const qb::journalprint::Line& line : printout.lines)
        rows->addRow(QVector<QVariant>{++sn} + line);
    return rows;
}

bool loadBalanceTable(Report& report, const QString& templatePath) {
    return report.loadOrDefault(templatePath, builtinBalanceTable());
}

std::shared_ptr<DataSource> balanceRows(const std::vector<qb::balances::BookBalance>& books) {
    auto rows = std::make_shared<TableDataSource>(QStringList{"zblb", "zbmc", "zh", "ye"});
    for (const qb::balances::BookBalance& b : books)
        rows->addRow({b.category, b.name, b.account, qb::money::text(b.balance)});
    return rows;
}

bool loadDailyReport(Report& report, const QString& templatePath,
                     const qb::dailyreport::Report& daily) {
    return report.load(templatePath) &&
           report.setText(QStringLiteral("period"),
                          QStringLiteral("日期：") + qb::dailyreport::period_text(daily));
}

std::shared_ptr<DataSource> dailyRows(const qb::dailyreport::Report& daily) {
    auto rows = std::make_shared<TableDataSource>(
        QStringList{"zblb", "zbmc", "zh", "zrye", "brsr", "brzc", "brye", "bs", "ts"});
    using qb::money::text;
    for (const qb::dailyreport::Line& l : qb::dailyreport::lines(daily))
        rows->addRow({l.category, l.name, l.account, text(l.amounts.broughtIn),
                      text(l.amounts.debit), text(l.amounts.credit), text(l.amounts.closing),
                      l.amounts.lines, l.mark});
    return rows;
}

}  // namespace qb::report
