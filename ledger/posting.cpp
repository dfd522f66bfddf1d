// Month-end posting: the month's figures into total, the following month opened, and later
// posted months carried on when a month is posted again.
#include "errors.h"
#include "ledger.h"
#include "ledger_detail.h"
#include "markerrows.h"
#include "months.h"
#include "rowkinds.h"

namespace qb::ledger {
namespace {

using namespace detail;

struct Pair {
    Cents debit = 0;
    Cents credit = 0;
};

// The cumulative sums the month starts from: the cumulative row of the month before it.
Pair cumulativeBefore(Tdat& dat, const QString& bookId, const QDate& month) {
    Pair cum;
    eachRow(dat,
            QStringLiteral("select j_je,d_je from total where zbh=? and dzrq between ? and ? and "
                           "zy=? order by rowid limit 1"),
            QVariantList{bookId} + months::range(months::previousMonth(month)) +
                QVariantList{rows::kCumulative},
            [&](engine::Statement& s) {
                cum = {cents(s.value(0)), cents(s.value(1))};
            });
    return cum;
}

// The rows that open the month: updated where posting made them before, inserted where not.
void openMonth(Tdat& dat, const QString& bookId, const QDate& first, Pair cum, Cents closing) {
    const markers::Row carry{bookId, first, 0, rows::kCarry, 0, 0, closing};
    for (const markers::Table table : {markers::Table::Journal, markers::Table::Totals})
        if (!markers::set_carry(dat, table, bookId, first, closing))
            markers::insert(dat, table, carry, markers::Writer::Posting);
    const markers::Row totals[] = {
        {bookId, first, 1, rows::kMonthTotal, 0, 0, closing},
        {bookId, first, 2, rows::kCumulative, cum.debit, cum.credit, closing}};
    for (const markers::Row& row : totals)
        if (!markers::update_totals(dat, bookId, first, row.summary, row.debit, row.credit,
                                    closing))
            markers::insert(dat, markers::Table::Totals, row, markers::Writer::Posting);
}

struct Posted {
    Cents closing = 0;
    Pair cumulative;
};

// One month's posting from its lines as they stand, balances recalculated first.
Posted postOne(Tdat& dat, const QString& bookId, const QDate& month, Pair cumBefore) {
    std::vector<Line> lines = monthLines(dat, bookId, month);
    rechain(dat, lines);
    Pair sums;
    for (const Line& line : lines) {
        if (!line.counted) continue;
        sums.debit += line.debit;
        sums.credit += line.credit;
    }
    Posted posted;
    posted.closing = lines.empty() ? 0 : lines.back().balance;
    posted.cumulative = {cumBefore.debit + sums.debit, cumBefore.credit + sums.credit};
    // A month whose own rows are missing is posted all the same: the updates find nothing and
    // the following month is opened.
    markers::update_totals(dat, bookId, month, rows::kMonthTotal, sums.debit, sums.credit,
                           posted.closing);
    markers::update_totals(dat, bookId, month, rows::kCumulative, posted.cumulative.debit,
                           posted.cumulative.credit, posted.closing);
    openMonth(dat, bookId, months::nextMonth(month), posted.cumulative, posted.closing);
    return posted;
}

}  // namespace

void check_postable(Tdat& dat, const QString& bookId, const QDate& anyDayOfMonth) {
    if (!anyDayOfMonth.isValid()) throw DbError(QStringLiteral("过帐月份无效"));
    const Book book = requireBook(dat, bookId);
    requireInitialized(dat, book);
    const QDate month = months::firstDay(anyDayOfMonth);
    // Before the start month the book has no balance; posting there would open the start month
    // a second time over its opening row.
    if (book.start.isValid() && month < months::firstDay(book.start))
        throw DbError(QStringLiteral("%1 不能过帐：早于帐簿的启用月份 %2。")
                          .arg(months::monthText(month), months::monthText(book.start)));
    const QDate open = first_open_month(dat, bookId);
    if (month > open)
        throw DbError(QStringLiteral("%1 不能过帐：%2 还没有过帐，请按月份顺序先结转 %2。")
                          .arg(months::monthText(month), months::monthText(open)));
}

PostResult post_month(Tdat& dat, const QString& bookId, const QDate& anyDayOfMonth) {
    Transaction t(dat);
    lockBook(dat, bookId);
    check_postable(dat, bookId, anyDayOfMonth);
    QDate month = months::firstDay(anyDayOfMonth);
    PostResult result;
    result.reposted = monthPosted(dat, bookId, month);
    Posted posted = postOne(dat, bookId, month, cumulativeBefore(dat, bookId, month));
    result.closing = posted.closing;
    // Every later month that is posted too is posted again from the corrected figures; the
    // first open month's lines are chained from its new carry-forward balance.
    for (month = months::nextMonth(month); monthPosted(dat, bookId, month);
         month = months::nextMonth(month)) {
        posted = postOne(dat, bookId, month, posted.cumulative);
        ++result.laterMonthsUpdated;
    }
    std::vector<Line> open = monthLines(dat, bookId, month);
    rechain(dat, open);
    t.commit();
    return result;
}

}  // namespace qb::ledger
