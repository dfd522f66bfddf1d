#pragma once

#include <QDate>
#include <QString>
#include <QVariantList>
#include <vector>

#include "money.h"

class Tdat;

// The journal's changing operations, free of any window: each is one transaction, so it either
// completes or leaves the database as it was. Role tests stay in the windows; the operations take
// the logged-in user's name where a line records it.
namespace qb::ledger {

// The month view of a book: every crereg column, the month's rows in journal order.
struct MonthSql {
    QString sql;
    QVariantList params;
};
MonthSql month_view(const QString& bookId, const QDate& anyDayOfMonth);

// ---- Books ----

struct BookFields {
    QString category;  // zblb
    QString name;      // zbmc
    QString account;   // zh
    money::Cents opening = 0;  // qcye
    QDate startDate;   // qyrq
};

// "YYYYMM" of today followed by a sequence number: never an identifier given out before, at
// most 10 characters; the first nine of a month are the prefix followed by 1 to 9.
QString next_book_id(Tdat& dat, const QDate& today = QDate::currentDate());
// Stores a new book, not enabled (flag "0"); returns its identifier.
QString add_book(Tdat& dat, const BookFields& fields, const QDate& today = QDate::currentDate());
// Rewrites a book's fields and its flag.
void update_book(Tdat& dat, const QString& bookId, const BookFields& fields, bool enabled);
// Deletes the book and all its rows in accstar, crereg and total.
void delete_book(Tdat& dat, const QString& bookId);

struct BookTick {
    QString bookId;
    bool ticked = false;
    QDate startDate;
    money::Cents opening = 0;
};
// The book list's save: for every ticked book the missing opening rows (journal opening row,
// and the opening, month-total and cumulative rows of the start month in total) and flag "1";
// flag "0" for the others. Returns how many rows were created.
int save_book_ticks(Tdat& dat, const std::vector<BookTick>& ticks);

// ---- Journal lines ----

struct NewLine {
    qint64 rowId = 0;
    int voucher = 0;
};
// Appends a blank line on the date with the month's next voucher number and the handler.
NewLine add_line(Tdat& dat, const QString& bookId, const QDate& date, const QString& handler);

enum class DeleteResult { Deleted, MarkerRow, NotFound };
// Deletes a line; opening and carry-forward rows are refused.
DeleteResult delete_line(Tdat& dat, qint64 rowId);

// After a line's amounts changed: the line and every later line of its month, in dzrq, pzh, zy
// order, get their running balance from the line before it.
void propagate_from(Tdat& dat, qint64 rowId);

// Rebuilds every balance of the month from its first row; a month without rows is unchanged.
void recalc_month(Tdat& dat, const QString& bookId, const QDate& anyDayOfMonth);

// ---- Posting ----

struct PostResult {
    bool reposted = false;        // the month was closed already and was posted again
    int laterMonthsUpdated = 0;   // later posted months carried on from the corrected figures
    money::Cents closing = 0;     // the month's closing balance
};
// Posts the month from its rows as they stand (or posts it again when it is closed).
PostResult post_month(Tdat& dat, const QString& bookId, const QDate& anyDayOfMonth);

// ---- Reversal ----

struct Reversal {
    qint64 reversalRowId = 0;
    QDate date;                    // the reversed line's date
    int voucher = 0;               // and voucher number
    QString formerSummary;         // its summary before the reversal
    money::Cents balanceBefore = 0;  // its balance minus its debit plus its credit
};
// Marks the line "被冲账 [S]" and adds the reversal entry "冲账[D S]" with negated amounts.
// Refuses (qb::DbError with a clear message) a summary that would no longer fit once marked.
Reversal reverse_line(Tdat& dat, qint64 rowId, const QString& user);

}  // namespace qb::ledger
