#pragma once

#include <QDate>
#include <QString>
#include <memory>
#include <vector>

#include "balances.h"
#include "dailyreport.h"
#include "datasource.h"
#include "journalprint.h"

// The program's data printouts, filled the same way by their windows and by the command-line
// tool: the month's journal "pr.rls", the balance table "zhye.rls" and the daily fund report
// "zjrb.rls".
namespace qb::report {

class Report;

// Loads the journal template and fills its heading: "memo3" the category, "memo46" "账簿："
// and the book name, "memo5" "日期：" and the month; and, where the template has them, the
// month's totals under the last line ("monthDebit", "monthCredit", "monthBalance",
// "cumulativeDebit", "cumulativeCredit", "cumulativeBalance", "yearDebit", "yearCredit",
// "yearBalance"). False after a message when the
// template or one of its named objects is missing.
bool loadJournal(Report& report, const QString& templatePath, const QString& bookName,
                 const QString& category, const QDate& month,
                 const qb::journalprint::Printout& printout);
// The printout's lines shaped as the staging table holds them (sn first), for a caller that
// prints without staging.
std::shared_ptr<DataSource> journalLines(const qb::journalprint::Printout& printout);

// Loads the balance table template; a missing file silently takes the built-in layout.
bool loadBalanceTable(Report& report, const QString& templatePath);
// The books' rows shaped as the staging table zhye holds them (zblb, zbmc, zh, ye).
std::shared_ptr<DataSource> balanceRows(const std::vector<qb::balances::BookBalance>& books);

// Loads the daily fund report's template and puts the period into its text "period"
// ("日期：2026-12-09"). False after a message when the template or that object is missing.
bool loadDailyReport(Report& report, const QString& templatePath,
                     const qb::dailyreport::Report& daily);
// The report's lines (qb::dailyreport::lines): zblb, zbmc, zh, the amounts zrye, brsr, brzc,
// brye as "0.00", bs the number of lines, ts the mark.
std::shared_ptr<DataSource> dailyRows(const qb::dailyreport::Report& daily);

}  // namespace qb::report
