#pragma once

#include <QDate>
#include <QString>
#include <QVariant>
#include <QVector>
#include <vector>

#include "money.h"

class Tdat;

// A month of a book's journal as it prints: its lines in journal order with a carry pair before
// every 30th entry, so that each printed page ends with "接  下  页" and the next begins with
// "承  上  页", both carrying the debit and credit totals and the balance reached so far. The
// print staging table tmp_pr holds these lines for the report; the command-line tool prints them
// without staging, so it never writes to the ledger.
namespace qb::journalprint {

inline const QString kCarryOut = QStringLiteral("                               接  下  页");
inline const QString kCarryIn = QStringLiteral("                               承  上  页");
// Opening and carry-forward rows print their summary after this indent, so they stand out.
inline const QString kMarkerIndent = QString(36, QLatin1Char(' '));
// A carry pair goes before the 30th, 60th, 90th ... entry.
inline constexpr int kPageEntries = 30;

// The staged lines in the order written, for the report.
inline const QString kStagedSql = QStringLiteral("select * from tmp_pr order by sn");

// One printed line: the eleven journal columns in their order (qb::ledger::Column). A carry
// line fills only the summary, debit, credit and balance.
using Line = QVector<QVariant>;

struct Printout {
    std::vector<Line> lines;
    // What the register's footers show for the month (qb::figures): its sums ("本月合计"), the
    // sums from the book's start ("本月累计") and from the start of the year ("本年累计"), and
    // its closing balance.
    money::Cents monthDebit = 0;
    money::Cents monthCredit = 0;
    money::Cents cumulativeDebit = 0;
    money::Cents cumulativeCredit = 0;
    money::Cents yearDebit = 0;
    money::Cents yearCredit = 0;
    money::Cents closing = 0;
};

// Reads the book's month and lays out its printed lines; writes nothing.
Printout journal_printout(Tdat& dat, const QString& bookId, const QDate& anyDayOfMonth);

// Empties tmp_pr and writes the month's printed lines into it in order, in one transaction, so
// that a failure leaves the staging table as it was. Returns what it staged.
Printout stage_journal(Tdat& dat, const QString& bookId, const QDate& anyDayOfMonth);

}  // namespace qb::journalprint
