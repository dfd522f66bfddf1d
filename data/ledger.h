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

// The journal order of a month's lines: dzrq, pzh, zy, with the row id as the final tie-break.
// Among lines sharing date and voucher number a reversed line comes first, then its reversal
// entry, then the correcting entry (the order a Chinese collation gives these markers), so that
// their running balances read as the cashier expects. Descending: the same order backwards.
QString journal_order(bool descending = false);

// The month view of a book: every crereg column, the month's rows in journal order.
struct MonthSql {
    QString sql;
    QVariantList params;
};
MonthSql month_view(const QString& bookId, const QDate& anyDayOfMonth);

// ---- Books ----

struct BookFields {
    QString category;          // zblb
    QString name;              // zbmc
    QString account;           // zh
    money::Cents opening = 0;  // qcye
    QDate startDate;           // qyrq
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
// Appends a blank line on the date with the month's next voucher number and the handler (cut to
// the 10 characters jbr holds). Its amounts are 0 and its balance that of the line before it, so
// the month's balance chain stays whole. Whether the month is closed is the caller's test.
NewLine add_line(Tdat& dat, const QString& bookId, const QDate& date, const QString& handler);

enum class DeleteResult { Deleted, MarkerRow, NotFound };
// Deletes a line; opening and carry-forward rows are refused. The later lines of the month get
// their running balance again, so no stale balance stays behind the deleted line.
DeleteResult delete_line(Tdat& dat, qint64 rowId);

// After a line's amounts changed: the line and every later line of its month, in journal order,
// get their running balance from the line before it. A line that is first in its month starts
// from the month's opening or carry-forward balance in total (0 when there is none), except an
// opening or carry-forward row, which keeps the balance it brings in.
void propagate_from(Tdat& dat, qint64 rowId);

// Rebuilds every balance of the month from its first row, which keeps its own; a month without
// rows is unchanged. Returns how many lines changed.
int recalc_month(Tdat& dat, const QString& bookId, const QDate& anyDayOfMonth);

// ---- Posting ----

struct PostResult {
    bool reposted = false;       // the month was closed already and was posted again
    int laterMonthsUpdated = 0;  // later posted months carried on from the corrected figures
    money::Cents closing = 0;    // the month's closing balance
};
// Posts the month from its rows as they stand (or posts it again when it is closed): the month's
// balances are recalculated, its month-total and cumulative rows in total updated, and the
// following month gets its carry-forward rows (crereg and total), month-total row (0, 0) and
// cumulative row, inserted or, where they exist, updated; its lines are chained from the new
// carry-forward balance. When later months are posted too, each is posted again in turn from the
// corrected figures, so no posted figure is left stale; laterMonthsUpdated counts them.
PostResult post_month(Tdat& dat, const QString& bookId, const QDate& anyDayOfMonth);

// ---- Reversal ----

struct Reversal {
    qint64 reversalRowId = 0;
    QDate date;                      // the reversed line's date
    int voucher = 0;                 // and voucher number
    QString formerSummary;           // its summary before the reversal
    money::Cents balanceBefore = 0;  // its balance minus its debit plus its credit
};
// Marks the line "被冲账 [S]" and adds the reversal entry "冲账[D S]" (D as YYYY-MM-DD) dated D
// with voucher P, amounts -J and -C and balance B - J + C, handler the user; recomputes no other
// balance. A summary too long for the 50 characters zy holds once marked is cut at its end inside
// the brackets, so every marker stays whole. Opening and carry-forward rows are refused
// (qb::DbError), since a changed marker summary would end their kind.
Reversal reverse_line(Tdat& dat, qint64 rowId, const QString& user);
// The summary offered for the correcting entry: "新[S]", S cut to fit 50 characters.
QString correcting_summary(const QString& formerSummary);

}  // namespace qb::ledger
