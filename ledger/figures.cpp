#include "figures.h"

#include <cmath>

#include "errors.h"
#include "fr_dat.h"
#include "ledger.h"
#include "ledger_detail.h"
#include "months.h"
#include "rowkinds.h"

namespace qb::figures {
namespace {

using ledger::detail::cents;
using ledger::detail::eachRow;

// The rows that count, as a condition on crereg (a NULL summary counts: "not in" alone would
// drop it).
const QString kCounted = QStringLiteral("(zy is null or zy not in (?,?))");

// The first day of the book's first open month; empty (every row) for a book without a start
// date.
QString openFrom(Tdat& dat, const QString& bookId) {
    const std::optional<ledger::detail::Book> book = ledger::detail::findBook(dat, bookId);
    return book && book->start.isValid() ? months::iso(ledger::first_open_month(dat, bookId))
                                         : QString();
}

QVariantList markerTexts() {
    return {rows::kOpening, rows::kCarry};
}

// What a book holds before any row: its opening amount (nothing for an unknown book).
Cents openingAmount(Tdat& dat, const QString& bookId) {
    const std::optional<ledger::detail::Book> book = ledger::detail::findBook(dat, bookId);
    return book ? book->opening : 0;
}

// The balance of the last row in journal order on the last day with rows before (or up to) the
// day; the opening amount when there is none. The day is found on the index first, so only its
// rows are put in order.
Cents lastBalance(Tdat& dat, const QString& bookId, const QDate& day, bool includingDay) {
    bool found = false;
    Cents balance = 0;
    eachRow(dat,
            QStringLiteral("select y_je from crereg where zbh=? and dzrq=(select max(dzrq) from "
                           "crereg where zbh=? and dzrq%1?) order by ")
                    .arg(includingDay ? QStringLiteral("<=") : QStringLiteral("<")) +
                ledger::journal_order(true) + QStringLiteral(" limit 1"),
            {bookId, bookId, months::iso(day)}, [&](engine::Statement& s) {
                found = true;
                balance = cents(s.value(0));
            });
    return found ? balance : openingAmount(dat, bookId);
}

Cents sumCents(const QVariant& value) {
    return value.isNull() ? 0 : qint64(std::llround(value.toDouble()));
}

}  // namespace

Cents brought_in(Tdat& dat, const QString& bookId, const QDate& day) {
    // An opening or carry-forward row comes first on its day: it is what the day brings in.
    const QVariant marker =
        dat.scalar(QStringLiteral("select y_je from crereg where zbh=? and dzrq=? and zy in (?,?) "
                                  "order by rowid limit 1"),
                   QVariantList{bookId, months::iso(day)} + markerTexts());
    return marker.isValid() ? cents(marker) : lastBalance(dat, bookId, day, false);
}

Cents closing(Tdat& dat, const QString& bookId, const QDate& day) {
    return lastBalance(dat, bookId, day, true);
}

Amounts operator+(const Amounts& a, const Amounts& b) {
    return {a.debit + b.debit, a.credit + b.credit};
}

Amounts operator-(const Amounts& a, const Amounts& b) {
    return {a.debit - b.debit, a.credit - b.credit};
}

Sums sums(Tdat& dat, const QString& bookId, const QDate& from, const QDate& to) {
    Sums found;
    if (from > to) return found;
    eachRow(dat,
            QStringLiteral("select sum(round(j_je*100)),sum(round(d_je*100)),count(*) from "
                           "crereg where zbh=? and dzrq between ? and ? and ") +
                kCounted,
            QVariantList{bookId, months::iso(from), months::iso(to)} + markerTexts(),
            [&](engine::Statement& s) {
                found.debit = sumCents(s.value(0));
                found.credit = sumCents(s.value(1));
                found.lines = int(s.value(2).toLongLong());
            });
    return found;
}

// The last cumulative row before the month as posting left it, and the lines it does not cover
// yet. A month's cumulative row covers the month itself once the month is posted (the month after
// holds total rows), else the months before it.
Amounts cumulative_before(Tdat& dat, const QString& bookId, const QDate& month) {
    Amounts stored;
    QDate day;
    eachRow(dat,
            QStringLiteral("select dzrq,j_je,d_je from total where zbh=? and zy=? and dzrq<? "
                           "order by dzrq desc,rowid limit 1"),
            {bookId, rows::kCumulative, months::iso(month)}, [&](engine::Statement& s) {
                day = QDate::fromString(s.value(0).toString().left(10), Qt::ISODate);
                stored = {cents(s.value(1)), cents(s.value(2))};
            });
    const QDate from = !day.isValid()                                  ? QDate(1900, 1, 1)
                       : ledger::detail::monthPosted(dat, bookId, day) ? months::nextMonth(day)
                                                                       : months::firstDay(day);
    return stored + sums(dat, bookId, from, month.addDays(-1));
}

Movement movement(Tdat& dat, const QString& bookId, const QDate& first, const QDate& last) {
    return {first, last, brought_in(dat, bookId, first), sums(dat, bookId, first, last),
            closing(dat, bookId, last)};
}

MonthTotals month_totals(Tdat& dat, const QString& bookId, const QDate& anyDay) {
    const QDate first = months::firstDay(anyDay), last = months::lastDay(anyDay);
    const Sums period = sums(dat, bookId, first, last);
    return {period, cumulative_before(dat, bookId, first) + period, closing(dat, bookId, last)};
}

Figures of(Tdat& dat, const QString& bookId, Span span, const QDate& date) {
    Figures f;
    f.last = span == Span::Month ? months::lastDay(date) : date;
    const QDate month = months::firstDay(f.last);
    const QDate yearStart(f.last.year(), 1, 1);
    switch (span) {
        case Span::Day:
            f.first = date;
            break;
        case Span::Month:
            f.first = month;
            break;
        case Span::YearToDate:
            f.first = yearStart;
            break;
        case Span::FromStart: {
            const std::optional<ledger::detail::Book> book = ledger::detail::findBook(dat, bookId);
            f.first = book && book->start.isValid() && book->start <= f.last ? book->start
                                                                             : QDate(1900, 1, 1);
            break;
        }
    }
    const Movement m = movement(dat, bookId, f.first, f.last);
    f.broughtIn = m.broughtIn;
    f.period = m.period;
    const Amounts monthSoFar =
        f.first == month ? Amounts(f.period) : Amounts(sums(dat, bookId, month, f.last));
    f.cumulative = cumulative_before(dat, bookId, month) + monthSoFar;
    f.yearToDate = f.cumulative - cumulative_before(dat, bookId, yearStart);
    f.closing = m.closing;
    return f;
}

// ---- A month's state ----

QString state_text(MonthState state) {
    switch (state) {
        case MonthState::Open:
            return QStringLiteral("未结账");
        case MonthState::Posted:
            return QStringLiteral("已结账");
        case MonthState::NeedsReposting:
            break;
    }
    return QStringLiteral("需二次过帐");
}

State month_state(Tdat& dat, const QString& bookId, const QDate& anyDay) {
    State result;
    const std::optional<ledger::detail::Book> book = ledger::detail::findBook(dat, bookId);
    const QDate previous = months::previousMonth(anyDay);
    result.afterOpenMonth = book && book->start.isValid() &&
                            previous >= months::firstDay(book->start) &&
                            !ledger::detail::monthPosted(dat, bookId, previous);
    if (!ledger::detail::monthPosted(dat, bookId, anyDay)) return result;
    result.state = MonthState::Posted;
    const Figures f = month(dat, bookId, anyDay);
    eachRow(dat,
            QStringLiteral("select j_je,d_je,y_je from total where zbh=? and dzrq between ? and ? "
                           "and zy=? order by rowid limit 1"),
            QVariantList{bookId} + months::range(anyDay) + QVariantList{rows::kMonthTotal},
            [&](engine::Statement& s) {
                if (cents(s.value(0)) != f.period.debit || cents(s.value(1)) != f.period.credit ||
                    cents(s.value(2)) != f.closing)
                    result.state = MonthState::NeedsReposting;
            });
    return result;
}

// ---- The chain between months ----

void carry_on(Tdat& dat, const QString& bookId, const QDate& anyDay) {
    if (!anyDay.isValid() || ledger::detail::monthPosted(dat, bookId, anyDay)) return;
    const QString end = months::iso(months::lastDay(anyDay));
    std::optional<Cents> chainedFrom;
    eachRow(dat,
            QStringLiteral("select y_je,j_je,d_je,zy from crereg where zbh=? and dzrq=(select "
                           "min(dzrq) from crereg where zbh=? and dzrq>?) order by ") +
                ledger::journal_order() + QStringLiteral(" limit 1"),
            {bookId, bookId, end}, [&](engine::Statement& s) {
                if (!rows::isMarker(s.value(3).toString()))
                    chainedFrom = cents(s.value(0)) - cents(s.value(1)) + cents(s.value(2));
            });
    if (!chainedFrom) return;
    const Cents difference = closing(dat, bookId, months::lastDay(anyDay)) - *chainedFrom;
    if (difference == 0) return;
    // Up to a month that posting opened, should a later one have been: it brings its own balance
    // in. Asked of total, which holds a few rows a month.
    const QVariant stop = dat.scalar(
        QStringLiteral("select min(dzrq) from total where zbh=? and dzrq>?"), {bookId, end});
    // Rounded to the cent, so the stored double stays the exact amount.
    dat.execute(QStringLiteral("update crereg set y_je=round((y_je+?)*100)/100 where zbh=? and "
                               "dzrq>? and dzrq<? and ") +
                    kCounted,
                QVariantList{money::fromCents(difference), bookId, end,
                             stop.isNull() ? QStringLiteral("9999-12-31")
                                           : stop.toString().left(7) + QStringLiteral("-01")} +
                    markerTexts());
}

QStringList unchained_months(Tdat& dat, const QString& bookId) {
    QStringList found;
    QString month;
    Cents previous = 0;
    bool first = true;
    // The first line of each month against the last balance before it; a month that opens with
    // its own opening or carry-forward row brings that in, as every posted month and the first
    // open one do, so the open months are all there is to read.
    const QString from = openFrom(dat, bookId);
    eachRow(dat,
            QStringLiteral("select dzrq,zy,j_je,d_je,y_je from crereg where zbh=? and dzrq>=? "
                           "order by ") +
                ledger::journal_order(),
            {bookId, from}, [&](engine::Statement& s) {
                const QString day = s.value(0).toString();
                const Cents balance = cents(s.value(4));
                const bool starts = day.left(7) != month;
                month = day.left(7);
                if (starts && !first && !rows::isMarker(s.value(1).toString()) &&
                    previous + cents(s.value(2)) - cents(s.value(3)) != balance)
                    found << month;
                first = false;
                previous = balance;
            });
    return found;
}

QString unchained_advice(const QString& bookName, const QStringList& months) {
    return QStringLiteral(
               "注意：帐簿“%1”的 %2 没有从上月的期末余额接续（账本由旧版本写成）。用本版本的"
               "程序、post 或 add 打开一次账本即可重新接续余额。")
        .arg(bookName, months.join(QStringLiteral("、")));
}

int rechain_ledger(Tdat& dat) {
    QStringList books;
    eachRow(dat, QStringLiteral("select zbid from accstar order by zbid"), {},
            [&](engine::Statement& s) { books << s.value(0).toString(); });
    int changed = 0;
    Transaction t(dat);
    for (const QString& book : books) {
        const qsizetype unchained = unchained_months(dat, book).size();
        if (unchained == 0) continue;
        changed += int(unchained);
        ledger::detail::lockBook(dat, book);
        // Month by month from the first open one, each from the month before as it now stands.
        QStringList monthsWithLines;
        eachRow(dat,
                QStringLiteral("select distinct substr(dzrq,1,7) from crereg where zbh=? and "
                               "dzrq>=? order by 1"),
                {book, openFrom(dat, book)},
                [&](engine::Statement& s) { monthsWithLines << s.value(0).toString(); });
        for (const QString& m : monthsWithLines) {
            const QDate day = QDate::fromString(m + QStringLiteral("-01"), Qt::ISODate);
            std::vector<ledger::detail::Line> lines = ledger::detail::monthLines(dat, book, day);
            ledger::detail::chainFromPosition(dat, book, day, lines, 0);
        }
    }
    t.commit();
    return changed;
}

}  // namespace qb::figures
