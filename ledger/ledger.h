#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <vector>

#include "money.h"

class Tdat;

// The journal's changing operations, free of any window: each is one transaction, so it either
// completes or leaves the database as it was, and each refuses what would break the ledger with
// a qb::DbError carrying a Chinese message for the user. Who may call which is the roles table's
// (roles.h); the operations take the logged-in user's name where a line records it.
namespace qb::ledger {

// The columns of a journal row (crereg, and the month view over it) in their fixed order:
// booking date, voucher number, ticket number, summary, debit, credit, balance, voucher count,
// claimant, handler, book id.
enum Column { Dzrq, Pzh, Ph, Zy, JJe, DJe, YJe, Pzn, Bxr, Jbr, Zbh, ColumnCount };

// The journal order of a month's lines: dzrq, then the opening or carry-forward row first on its
// day, pzh, zy, with the row id as the final tie-break. Among lines sharing date and voucher
// number a reversed line comes first, then its reversal entry, then the correcting entry, so that
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
// Stores a new book, not enabled (flag "0"); returns its identifier. A name and category that
// another book has already are refused.
QString add_book(Tdat& dat, const BookFields& fields, const QDate& today = QDate::currentDate());
// The book's opening initialization alone, from its stored start date and opening amount: the
// book list's save with only this book ticked. Returns how many rows were created (0 when it
// had them all). A book is initialized when it has its opening rows (期初余额 in crereg and in
// total): the rows decide, not the flag, for flag "0" alone also means "switched off, rows
// kept". A book without them takes no lines and cannot be posted.
int init_book(Tdat& dat, const QString& bookId);
// Rewrites a book's fields and its flag. Once the book has rows in the journal or in total, its
// start date can no longer change, and a new opening amount rewrites its opening rows and is
// carried through the posted months by posting them again.
void update_book(Tdat& dat, const QString& bookId, const BookFields& fields, bool enabled);
// Deletes the book and all its rows: in accstar, crereg, total and every other table that keeps
// rows of books (saved reconciliations, statement layouts).
void delete_book(Tdat& dat, const QString& bookId);
// The names and the categories of the ledger's books, each once and in order.
QStringList book_names(Tdat& dat);
QStringList book_categories(Tdat& dat);

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

// The book's first open month (its first day): the earliest month from the start month on whose
// following month holds no total row of the book.
QDate first_open_month(Tdat& dat, const QString& bookId);

// ---- Journal lines ----

// A complete ordinary line as the entry panel or an import writes it; its balance is computed.
struct LineFields {
    QDate date;
    int voucher = 0;
    QString ticket;   // ph
    QString summary;  // zy
    money::Cents debit = 0;
    money::Cents credit = 0;
    int voucherCount = 0;  // pzn
    QString claimant;      // bxr
    QString handler;       // jbr, cut to the 10 characters it holds
};
// The one writer of ordinary lines. Stores the lines of one book and carries the balance on in
// each month they fall into, in journal order; returns their row ids. Refused, with nothing
// written: a book without its opening rows, a line dated before the book's start date or in a
// posted month, one whose summary is a marker text or begins like a reversal's, an amount or a
// balance beyond money::kLimit.
std::vector<qint64> insert_lines(Tdat& dat, const QString& bookId,
                                 const std::vector<LineFields>& lines);
qint64 insert_line(Tdat& dat, const QString& bookId, const LineFields& line);

// The running balance stored with the line.
money::Cents line_balance(Tdat& dat, qint64 rowId);

struct NewLine {
    qint64 rowId = 0;
    int voucher = 0;
};
// The voucher number the register gives a new line of the date's month: one above the month's
// highest.
int next_voucher(Tdat& dat, const QString& bookId, const QDate& date);
// The balance a new line dated `date` with voucher number `voucher` and that summary starts
// from: that of the line it will follow when written, placed among the month's lines by the very
// order the chain uses (journal_order, as the last line written), or the balance the month
// brings in when it comes first. The entry panel shows it, and the balance after it, before it
// is saved.
money::Cents balance_before(Tdat& dat, const QString& bookId, const QDate& date, int voucher,
                            const QString& summary);

// Appends the grid's blank line on the date with the month's next voucher number and the handler.
// Its amounts are 0 and its balance that of the line before it. A posted month is refused.
NewLine add_line(Tdat& dat, const QString& bookId, const QDate& date, const QString& handler);

// What an edited cell does to the month: the value (in the column's stored form: "YYYY-MM-DD"
// or a date, a number, a text) is checked, written, and the balances follow: an amount carries
// the balance on from the line, a new date, voucher number or summary re-chains the month from
// where the line was or now is. Refused: opening and carry-forward rows, lines of a posted month,
// the balance, handler and book columns, a date outside the line's month or before the book's
// start date, a marker text or reversal prefix as summary.
void edit_line(Tdat& dat, qint64 rowId, int column, const QVariant& value);

enum class DeleteResult { Deleted, MarkerRow, NotFound };
// Deletes a line; opening and carry-forward rows are refused, and a line of a posted month with a
// qb::DbError. The later lines of the month get their running balance again, so no stale balance
// stays behind the deleted line.
DeleteResult delete_line(Tdat& dat, qint64 rowId);

// Brings back the line whose deletion the operation log's entry records, through the writer of
// lines, into its month while the month is open (a posted month is corrected by a reversal
// instead); returns its new row id. The log records it as restored from that entry, and the same
// deletion is never restored twice.
qint64 restore_line(Tdat& dat, qint64 logEntryId);

// The line and every later line of its month, in journal order, get their running balance from
// the line before it. A line that is first in its month starts from the month's opening or
// carry-forward balance in total (0 when there is none). Opening and carry-forward rows always
// keep the balance they bring in.
void propagate_from(Tdat& dat, qint64 rowId);

// Rebuilds every balance of the month from its first row, which keeps its own; a month without
// rows is unchanged. Returns how many lines changed.
int recalc_month(Tdat& dat, const QString& bookId, const QDate& anyDayOfMonth);

// ---- Posting ----

// Throws the refusal when the month may not be posted: a book without its opening rows, a month
// before the book's start month, or after its first open month (the months must be posted in
// order).
void check_postable(Tdat& dat, const QString& bookId, const QDate& anyDayOfMonth);

struct PostResult {
    bool reposted = false;       // the month was closed already and was posted again
    int laterMonthsUpdated = 0;  // later posted months carried on from the corrected figures
    money::Cents closing = 0;    // the month's closing balance
};
// Posts the month from its rows as they stand (or posts it again when it is closed), after
// check_postable: the month's balances are recalculated, its month-total and cumulative rows in
// total updated, and the following month gets its carry-forward rows (crereg and total),
// month-total row (0, 0) and cumulative row, inserted or, where they exist, updated; its lines
// are chained from the new carry-forward balance. When later months are posted too, each is
// posted again in turn from the corrected figures, so no posted figure is left stale;
// laterMonthsUpdated counts them. The opening rows never change.
PostResult post_month(Tdat& dat, const QString& bookId, const QDate& anyDayOfMonth);

// ---- Reversal ----

struct Reversal;

// The right to write one reversal's correcting entry into its posted month. Only reverse_line
// hands one out; a default one opens nothing. It fixes the entry's book, date, voucher number
// and summary, and is good for one entry: a reversal that has its correcting entry takes no
// second one.
class CorrectionRight {
public:
    CorrectionRight() = default;
    bool isValid() const { return reversalRowId_ != 0; }
    QDate date() const { return date_; }
    int voucher() const { return voucher_; }
    QString summary() const { return summary_; }

private:
    friend Reversal reverse_line(Tdat& dat, qint64 rowId, const QString& user);
    friend qint64 add_correcting_entry(Tdat& dat, const CorrectionRight& right,
                                       const LineFields& fields);
    qint64 reversalRowId_ = 0;
    QString bookId_;
    QDate date_;
    int voucher_ = 0;
    QString summary_;
};

struct Reversal {
    qint64 reversalRowId = 0;
    QDate date;                      // the reversed line's date
    int voucher = 0;                 // and voucher number
    QString formerSummary;           // its summary before the reversal
    money::Cents balanceBefore = 0;  // the correcting entry's balance before it, once written
    CorrectionRight correction;      // lets its correcting entry into the posted month
};
// Whether a reversal may act on the date's month: only a posted month is reversed; the lines of
// an open month are changed or deleted as they are.
bool month_reversible(Tdat& dat, const QString& bookId, const QDate& date);
// Throws the refusal when the line may not be reversed: a line of a month that month_reversible
// refuses, opening and carry-forward rows (a changed marker summary would end their kind),
// reversal entries, and lines reversed already (their reversal stands; what is still wrong is
// corrected by a new entry).
void check_reversible(Tdat& dat, qint64 rowId);
// Marks the line "被冲账 [S]" and adds the reversal entry "冲账[D S]" (D as YYYY-MM-DD) dated D
// with voucher P, amounts -J and -C, handler the user; the reversal entry follows the reversed
// line, so its balance is B - J + C, and the balance is carried on below them (from the marked
// line's new place when it now goes ahead of other lines of its voucher). A summary too long
// for the 50 characters zy holds once marked is cut at its end inside the brackets, so every
// marker stays whole. What check_reversible refuses is refused.
Reversal reverse_line(Tdat& dat, qint64 rowId, const QString& user);
// The summary offered for the correcting entry: "新[S]", S cut to fit 50 characters.
QString correcting_summary(const QString& formerSummary);
// Writes the reversal's correcting entry into its month, posted as it is: date, voucher number
// and summary from the right, the rest (ticket, amounts, count, claimant, handler) from the
// fields. Refused: an invalid right, a reversal whose correcting entry is written already, and
// what the writer of lines refuses but the posted month.
qint64 add_correcting_entry(Tdat& dat, const CorrectionRight& right, const LineFields& fields);

}  // namespace qb::ledger
