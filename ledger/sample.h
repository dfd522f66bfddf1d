#pragma once

#include <QDate>
#include <QString>

class Tdat;

// Sample books for the first start's "示例数据", for screenshots and for benchmarks: books of
// every name in the three categories, months of believable lines with a running balance, every
// month but the last posted, and in a few books a line of a posted month reversed, corrected and
// its month posted again. The rows are exactly what the register and posting would store.
namespace qb::sample {

struct Options {
    int books = 6;           // book i has name i / 3 in category i % 3
    int months = 6;          // the last month stays open
    int linesPerMonth = 20;  // entries a month, besides the opening or carry-forward row
    QDate lastMonth = QDate::currentDate();     // the open month, with lines up to this day
    QString handler = QStringLiteral("admin");  // the user recorded as handler
    int reversals = 3;        // books that get a reversal (needs two months or more)
    quint32 seed = 20240501;  // the same options give the same books
};

struct Result {
    int books = 0;
    qint64 lines = 0;  // journal lines written, marker rows included
    int reversals = 0;
};

// Refuses options that could not make a ledger, saying what is allowed.
void require_valid(const Options& options);
// Adds the books to the open database in one transaction: all of them or none.
Result generate(Tdat& dat, const Options& options);

// Adds the names and categories of that many sample books to the lists in the folder's
// "zbinfo.ini", so that the query and the account lists offer the books made.
void list_books(const QString& folder, int books);

}  // namespace qb::sample
