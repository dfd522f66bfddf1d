// Month-end posting: the month's figures into total, the following month opened, and later
// posted months carried on when a month is posted again.
#include "errors.h"
#include "figures.h"
#include "ledger.h"
#include "ledger_detail.h"
#include "markerrows.h"
#include "months.h"
#include "oplog.h"
#include "rowkinds.h"

namespace qb::ledger {
namespace {

using namespace detail;

struct Pair {
    Cents debit = 0;
    Cents credit = 0;
};

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

// One month's posting from its lines as they stand, balances recalculated first; returns its
// closing balance.
Cents postOne(Tdat& dat, const QString& bookId, const QDate& month) {
    std::vector<Line> lines = monthLines(dat, bookId, month);
    rechain(dat, lines);
    const auto [period, cumulative, closing] = figures::month_totals(dat, bookId, month);
    // A month whose own rows are missing is posted all the same: the updates find nothing and
    // the following month is opened.
    markers::update_totals(dat, bookId, month, rows::kMonthTotal, period.debit, period.credit,
                           closing);
    markers::update_totals(dat, bookId, month, rows::kCumulative, cumulative.debit,
                           cumulative.credit, closing);
    openMonth(dat, bookId, months::nextMonth(month), {cumulative.debit, cumulative.credit},
              closing);
    return closing;
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
    const QString before = oplog::month_totals_text(dat, bookId, month);
    result.closing = postOne(dat, bookId, month);
    // Every later month that is posted too is posted again from the corrected figures; the
    // first open month's lines are chained from its new carry-forward balance.
    for (month = months::nextMonth(month); monthPosted(dat, bookId, month);
         month = months::nextMonth(month)) {
        postOne(dat, bookId, month);
        ++result.laterMonthsUpdated;
    }
    std::vector<Line> open = monthLines(dat, bookId, month);
    rechain(dat, open);
    figures::carry_on(dat, bookId, month);
    const QDate first = months::firstDay(anyDayOfMonth);
    oplog::append(
        dat, {result.reposted ? oplog::kReposted : oplog::kPosted, bookId, months::monthText(first),
              0, before, oplog::month_totals_text(dat, bookId, first)});
    t.commit();
    return result;
}

}  // namespace qb::ledger
