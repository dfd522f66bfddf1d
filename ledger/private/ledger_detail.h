#pragma once

// What the ledger's operations share inside the core: reading rows, a month's balance chain and
// the books' dates. Private to ledger/.
#include <QDate>
#include <QString>
#include <QVariantList>
#include <optional>
#include <vector>

#include "engine.h"
#include "fr_dat.h"
#include "money.h"
#include "rowreading.h"

namespace qb::ledger::detail {

using money::Cents;

using rowreading::cents;
using rowreading::eachRow;

inline bool exists(Tdat& dat, const QString& sql, const QVariantList& params) {
    return !dat.scalar(sql, params).isNull();
}

// ---- Locks ----

// Locks the book's rows for the rest of the transaction: another operation on the same book, by
// another cashier on the same server ledger, waits until this one is done, so that each works
// from the rows as the other left them. Locks of several books are taken in ascending order.
void lockBook(Tdat& dat, const QString& bookId);
// Locks the list of books (who is named what, which identifiers are given out); taken before any
// book's lock.
void lockBookList(Tdat& dat);

// ---- Books ----

struct Book {
    QString id;
    QString name;
    QString category;
    QDate start;  // invalid when the book has none
    Cents opening = 0;
};
std::optional<Book> findBook(Tdat& dat, const QString& bookId);
// The book, or a refusal naming what is missing.
Book requireBook(Tdat& dat, const QString& bookId);
// Refuses a date before the book's start date.
void requireInLife(const Book& book, const QDate& date);
// Whether the book has its opening rows in crereg and in total.
bool hasOpeningRows(Tdat& dat, const QString& bookId);
// Refuses a book without its opening rows: no line is written into it and no month posted.
void requireInitialized(Tdat& dat, const Book& book);
// Refuses an amount or a balance beyond money::kLimit.
void requireWithinLimit(Cents amount);

// ---- A month's lines and their balance chain ----

struct Line {
    qint64 rowId = 0;
    Cents debit = 0;
    Cents credit = 0;
    Cents balance = 0;
    bool marker = false;   // opening or carry-forward row
    bool counted = false;  // takes part in the month's sums (an entry with a summary)
};

std::vector<Line> monthLines(Tdat& dat, const QString& bookId, const QDate& date);
size_t positionOf(const std::vector<Line>& lines, qint64 rowId);
// Gives lines[from..] their running balance after `balance`; an opening or carry-forward row
// keeps its own and the chain goes on from it. Writes only what changed; returns how many. A
// balance beyond money::kLimit is refused.
int chain(Tdat& dat, std::vector<Line>& lines, size_t from, Cents balance);
// Rebuilds every balance from the first line, which keeps its own; returns how many changed.
int rechain(Tdat& dat, std::vector<Line>& lines);
// Chains the lines from position p on, starting from the line before it; a first line starts
// from the balance the month brings in (qb::figures::brought_in). Then the later months follow
// (qb::figures::carry_on). Returns how many lines of the month changed.
int chainFromPosition(Tdat& dat, const QString& bookId, const QDate& date, std::vector<Line>& lines,
                      size_t p);

// Whether the date's month is posted: the month after it holds total rows of the book.
bool monthPosted(Tdat& dat, const QString& bookId, const QDate& date);
// What refuses a change of a posted month: "本月数据己结转,禁止<verb>！".
QString postedMonthRefusal(const QString& verb);
// Refuses to change a posted month with that text: only a reversal and its correcting entry
// write into it.
void requireOpenMonth(Tdat& dat, const QString& bookId, const QDate& date, const QString& verb);

// A journal line's book, date and kind, found by its row id.
struct Located {
    QString bookId;
    QDate date;
    QString summary;
    bool marker = false;
};
std::optional<Located> locate(Tdat& dat, qint64 rowId);
// The line's book locked, then the line as it stands now; nothing when there is no such line.
std::optional<Located> lockLine(Tdat& dat, qint64 rowId);

}  // namespace qb::ledger::detail
