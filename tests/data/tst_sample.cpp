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
    // A book without reversals: its months' figures must agree with their lines.
    const QString book = t.dat.scalar("select zbid from accstar where rowid=3").toString();
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
    // January's carry-forward row in total no longer what December's month total left.
    t.dat.execute(
        "update total set y_je=y_je+1 where zbh=? and dzrq='2025-01-01' and "
        "zy='月结转余额'",
        {book});
    const QStringList found = texts(qb::check::verify(t.dat));
    ASSERT_EQ(found.size(), 3) << found.join("\n").toStdString();
    EXPECT_TRUE(found[0].startsWith(book + " 2024-12 本月合计行为"));
    EXPECT_TRUE(found[1].startsWith(book + " 2025-01 月结转余额为"));
    EXPECT_TRUE(found[2].startsWith(book + " 2025-02 余额不连续"));

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

TEST(Check, FindsWhatPostingOutsideABooksLifeLeftAndListsMonthsWaitingForPosting) {
    TempLedger t;
    qb::sample::generate(t.dat, small());
    const QString book = t.dat.scalar("select zbid from accstar where rowid=3").toString();
    // A line of posted January reversed and not posted again: a state, not a fault.
    const qint64 row = t.dat
                           .scalar(
                               "select rowid from crereg where zbh=? and dzrq like '2025-01%' "
                               "and pzh=2",
                               {book})
                           .toLongLong();
    qb::ledger::reverse_line(t.dat, row, "admin");
    const std::vector<qb::check::Problem> waiting = qb::check::verify(t.dat);
    ASSERT_EQ(waiting.size(), 1u) << all(waiting);
    EXPECT_EQ(waiting[0].month + " " + waiting[0].text.left(5), "2025-01 需二次过帐");
    EXPECT_FALSE(waiting[0].fault);

    // What the old posting before the start month wrote (a carry-forward row of 0.00 in the
    // start month, the opening row chained from it, a posted month far away), a line before the
    // start date, and a second book of the same name and category.
    t.dat.execute(
        "insert into crereg(dzrq,pzh,zy,j_je,d_je,y_je,zbh) "
        "values('2024-11-01',0,'月结转余额',0,0,0,?)",
        {book});
    t.dat.execute("update crereg set y_je=0 where zbh=? and zy='期初余额'", {book});
    t.dat.execute(
        "insert into total(dzrq,pzh,ph,zy,j_je,d_je,y_je,zbh) "
        "values('2030-06-01',1,'','本月合计',0,0,0,?)",
        {book});
    t.line(book, "2024-10-31", 1, "早于启用", 1, 0, 1);
    t.dat.execute(
        "insert into accstar(zbid,zblb,zbmc,qcye,flag,qyrq) select '9',zblb,zbmc,0,'0',"
        "qyrq from accstar where zbid=?",
        {book});
    const QString found = QString::fromStdString(all(qb::check::verify(t.dat)));
    for (const char* text :
         {"名称（本部）和类别（银行卡）相同", "日记帐的期初余额行为 0.00",
          "启用月份中有月结转余额行", "2030-06 有 1 行过帐数据，但 2025-02 还没有过帐",
          "2024-10 有 1 行的日期早于帐簿的启用日期 2024-11-01"})
        EXPECT_TRUE(found.contains(text)) << text << "\n" << found.toStdString();
}
