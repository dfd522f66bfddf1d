#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include "money.h"

class Tdat;

// The one account of a book's figures: the balance a period brings in, its sums, the sums from
// the book's start (本月累计) and from the start of the year (本年累计), and its closing balance,
// in cents. Every view, printout, posting and check reads them here.
//
// Which rows count: every journal line of the book but its opening (期初余额) and carry-forward
// (月结转余额) rows, which bring a balance in and move none; a line with an empty or NULL summary
// counts like any other, since the balance chain carries its amounts too. The month-total and
// cumulative rows live in total and are never lines.
//
// Balances are read as stored: the balance brought into a day is that of the last row before it
// in journal order (a month's opening or carry-forward row comes first on its day), so a month
// brings in the closing balance of the month before, posted or not; a book without any row
// before it brings in its opening amount.
namespace qb::figures {

using money::Cents;

struct Amounts {
    Cents debit = 0;
    Cents credit = 0;
};
Amounts operator+(const Amounts& a, const Amounts& b);
Amounts operator-(const Amounts& a, const Amounts& b);

struct Sums : Amounts {
    int lines = 0;
};

enum class Span { Day, Month, YearToDate, FromStart };

// The cumulative sums (本月累计) keep the meaning of the stored cumulative rows: from the book's
// first month on. They build on the last cumulative row posting wrote before the period's month
// and add the lines since, so a posted month waiting to be posted again keeps its stored sums.
struct Figures {
    QDate first;  // the period's first and last day
    QDate last;
    Cents broughtIn = 0;
    Sums period;
    Amounts cumulative;  // from the book's start through the period's last day
    Amounts yearToDate;  // from 1 January of the last day's year through it (本年累计)
    Cents closing = 0;
};

// The days from `first` through `last` of a book: the balance brought into the first, the lines
// of those days and the closing balance after the last; what a daily report shows of a book,
// without the cumulative sums. Figures::of builds on it.
struct Movement {
    QDate first;
    QDate last;
    Cents broughtIn = 0;
    Sums period;
    Cents closing = 0;
};
Movement movement(Tdat& dat, const QString& bookId, const QDate& first, const QDate& last);
// The lines that count dated from `first` through `last`, and how many they are.
Sums sums(Tdat& dat, const QString& bookId, const QDate& first, const QDate& last);
// The cumulative sums (本月累计) of the lines dated before the month's first day.
Amounts cumulative_before(Tdat& dat, const QString& bookId, const QDate& month);

// What a month's total rows hold: its sums, 本月累计 through it and its closing balance; the
// month's figures without what posting has no use for.
struct MonthTotals {
    Sums period;
    Amounts cumulative;
    Cents closing = 0;
};
MonthTotals month_totals(Tdat& dat, const QString& bookId, const QDate& anyDay);
// The figures of the period of that span holding `date`: the day, its month, the year up to
// the end of the day, or the book's life up to the end of the day.
Figures of(Tdat& dat, const QString& bookId, Span span, const QDate& date);
inline Figures month(Tdat& dat, const QString& bookId, const QDate& anyDay) {
    return of(dat, bookId, Span::Month, anyDay);
}

// The balance brought into the day: before its first line (its opening or carry-forward row
// included, which is what it brings in).
Cents brought_in(Tdat& dat, const QString& bookId, const QDate& day);
// The balance at the end of the day.
Cents closing(Tdat& dat, const QString& bookId, const QDate& day);

// ---- A month's state ----

enum class MonthState { Open, Posted, NeedsReposting };
// "未结账", "已结账", "需二次过帐".
QString state_text(MonthState state);

struct State {
    MonthState state = MonthState::Open;
    bool afterOpenMonth = false;  // the month before it, in the book's life, is not posted
};
// Posted once the month after holds total rows; then it waits to be posted again while its
// stored month-total row disagrees with its lines.
State month_state(Tdat& dat, const QString& bookId, const QDate& anyDay);

// ---- The chain between months ----

// After a change to the lines of the date's month: when the month is open, the later months'
// lines (all open too) are moved by the difference between its closing balance and what they
// were chained from, in one statement. A posted month's later months wait for it to be posted
// again, as the carry-forward row is posting's. Runs inside the caller's transaction.
void carry_on(Tdat& dat, const QString& bookId, const QDate& anyDay);

// The months ("YYYY-MM") of the book whose first line does not chain from the balance they
// bring in, as a ledger written by an older version may hold them.
QStringList unchained_months(Tdat& dat, const QString& bookId);
// What the reading commands say about such months until a writer has re-chained them.
QString unchained_advice(const QString& bookName, const QStringList& months);

// Re-chains every open month of every book from the balance it brings in, in one transaction;
// returns how many months did not chain before. The writers (the program, post, add) run it on
// opening.
int rechain_ledger(Tdat& dat);

}  // namespace qb::figures
