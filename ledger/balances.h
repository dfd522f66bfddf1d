#pragma once

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

#include "money.h"

class Tdat;

// The current balance of every account book, as the balance table lists and prints it (the
// staging table zhye holds its rows for the printout), and the month-end balances its chart
// draws.
namespace qb::balances {

// The staged rows in the order written, for the report.
inline const QString kStagedSql = QStringLiteral("select * from zhye order by rowid");

struct BookBalance {
    QString bookId;        // zbid
    QString category;      // zblb
    QString name;          // zbmc
    QString account;       // zh
    bool enabled = false;  // flag "1"
    QDate start;           // qyrq
    money::Cents opening = 0;
    money::Cents balance = 0;
};

// Whether a book's flag (accstar.flag) says it is enabled: it equals the number 1, as the text
// "1" does.
bool is_enabled(const QString& flag);

// The book's balance at the end of the date's month (qb::figures::closing): that of its last
// journal row up to then in journal order, its opening amount while it has none.
money::Cents balance_through(Tdat& dat, const QString& bookId, const QDate& date);

// Every book, enabled or not, by name and then category, with its balance at the end of the
// month of today.
std::vector<BookBalance> book_balances(Tdat& dat, const QDate& today = QDate::currentDate());

// Rewrites zhye with the books' rows (category, name, account, balance as "0.00" text) in one
// transaction, so the printout reads the figures the window shows; returns them.
std::vector<BookBalance> stage_balances(Tdat& dat, const QDate& today = QDate::currentDate());

// The book's balance at the end of each of `count` months ending with the month of `last`,
// oldest first: nothing for a month before the book's start month; for later months its
// balance through that month, or its opening amount while it has no line.
std::vector<std::optional<money::Cents>> month_end_balances(Tdat& dat, const BookBalance& book,
                                                            const QDate& last, int count);

}  // namespace qb::balances
