#include <gtest/gtest.h>

#include "check.h"
#include "errors.h"
#include "gymk.h"
#include "ledger.h"
#include "sample.h"
#include "templedger.h"

namespace {

qb::sample::Options small() {
    qb::sample::Options o;
    o.books = 4;
    o.months = 4;
    o.linesPerMonth = 12;
    o.lastMonth = QDate(2025, 2, 10);  // across a year's end
    o.reversals = 2;
    return o;
}

QStringList texts(const std::vector<qb::check::Problem>& problems) {
    QStringList result;
    for (const auto& p : problems)
        result << p.bookId + " " + p.month + " " + p.text;
    return result;
}

std::string all(const std::vector<qb::check::Problem>& problems) {
    return texts(problems).join('\n').toStdString();
}

}  // namespace

TEST(Sample, BuildsPostedBooksThatCheckClean) {
    TempLedger t;
    const qb::sample::Result r = qb::sample::generate(t.dat, small());
    EXPECT_EQ(r.books, 4);
    EXPECT_EQ(r.reversals, 2);
    EXPECT_EQ(t.dat.scalar("select count(*) from accstar where flag='1'").toInt(), 4);
    EXPECT_EQ(t.dat.scalar("select count(distinct zblb) from accstar").toInt(), 3);
    EXPECT_EQ(t.dat
                  .scalar("select count(*) from accstar where zbmc=(select zbmc from accstar "
                          "where rowid=1)")
                  .toInt(),
              3);
    // 4 books x 4 months x (12 lines + opening or carry-forward row), plus two reversal entries
    // and two correcting entries.
    EXPECT_EQ(t.dat.scalar("select count(*) from crereg").toInt(), 4 * 4 * 13 + 4);
    EXPECT_EQ(t.dat.scalar("select count(*) from crereg where zy like '冲账[%'").toInt(), 2);
    EXPECT_EQ(t.dat.scalar("select count(*) from crereg where zy like '新[%'").toInt(), 2);
    EXPECT_EQ(t.dat.scalar("select count(*) from total").toInt(), 4 * 4 * 3);
    const QString book = t.dat.scalar("select zbid from accstar where rowid=2").toString();
    EXPECT_TRUE(gymk::month_closed(t.dat, "", book, gymk::SilentMode, QDate(2025, 1, 1)));
    EXPECT_FALSE(gymk::month_closed(t.dat, "", book, gymk::SilentMode, QDate(2025, 2, 1)));
    EXPECT_EQ(all(qb::check::verify(t.dat)), "");

    // The generated books work like typed ones: a posting of the open month checks clean too.
    qb::ledger::post_month(t.dat, book, QDate(2025, 2, 1));
    EXPECT_EQ(all(qb::check::verify(t.dat)), "");
    EXPECT_THROW(qb::sample::generate(t.dat, {.books = 1, .months = 0}), qb::DbError);
}

TEST(Check, FindsBrokenChainsStaleTotalsAndWrongCarryRows) {
    TempLedger t;
    qb::sample::generate(t.dat, small());
    const QString book = t.dat.scalar("select zbid from accstar where rowid=1").toString();
    // A line's balance off by one fen in the open month.
    t.dat.execute(
        "update crereg set y_je=y_je+0.01 where rowid=(select rowid from crereg where "
        "zbh=? and dzrq>='2025-02-01' and pzh=5)",
        {book});
    // A posted month's line changed behind posting's back (its chain mended).
    const qint64 row = t.dat
                           .scalar(
                               "select rowid from crereg where zbh=? and dzrq between "
                               "'2024-12-01' and '2024-12-31' and pzh=3",
                               {book})
                           .toLongLong();
    t.dat.execute("update crereg set j_je=j_je+1000 where rowid=?", {row});
    qb::ledger::propagate_from(t.dat, row);
    const QStringList found = texts(qb::check::verify(t.dat));
    ASSERT_EQ(found.size(), 4) << found.join("\n").toStdString();
    EXPECT_TRUE(found[0].startsWith(book + " 2024-12 本月合计行为"));
    EXPECT_TRUE(found[1].startsWith(book + " 2024-12 本月累计行为"));
    EXPECT_TRUE(found[2].startsWith(book + " 2025-01 月结转余额为"));
    EXPECT_TRUE(found[3].startsWith(book + " 2025-02 余额不连续"));

    // Posting December again carries the change on through January, and chains the open month.
    EXPECT_EQ(qb::ledger::post_month(t.dat, book, QDate(2024, 12, 1)).laterMonthsUpdated, 1);
    EXPECT_EQ(all(qb::check::verify(t.dat)), "");

    t.dat.execute("delete from total where zbh=? and dzrq='2025-01-01' and zy='本月合计'", {book});
    t.dat.execute("delete from total where zbh=? and dzrq='2025-02-01' and zy='月结转余额'",
                  {book});
    const QStringList missing = texts(qb::check::verify(t.dat));
    EXPECT_EQ(missing.join('\n').toStdString(), (book + " 2025-01 已结帐，但缺少本月合计行\n" +
                                                 book + " 2025-02 total 中缺少月结转余额行")
                                                    .toStdString());
}
