#include <gtest/gtest.h>

#include <functional>

#include "errors.h"
#include "gymk.h"
#include "ledger.h"
#include "templedger.h"

namespace L = qb::ledger;

namespace {

const QDate kMay(2024, 5, 1);

// A book started in April with 100.00 and posted through April: May opens with 500.00 carried
// and 400.00 / 200.00 cumulative.
struct PostedApril : TempLedger {
    const QString id = "2024041";
    PostedApril() {
        dat.execute(
            "insert into accstar(zbid,zblb,zbmc,qcye,flag,qyrq) "
            "values(?,'现金日记帐','总部',100,'1','2024-04-01')",
            {id});
        line(id, "2024-04-01", 0, "期初余额", 0, 0, 100);
        total("2024-04-01", 0, "期初余额", 0, 0, 100);
        line(id, "2024-05-01", 0, "月结转余额", 0, 0, 500);
        total("2024-04-01", 2, "本月累计", 400, 200, 500);
        total("2024-05-01", 0, "月结转余额", 0, 0, 500);
        total("2024-05-01", 1, "本月合计", 0, 0, 500);
        total("2024-05-01", 2, "本月累计", 400, 200, 500);
    }
    void total(const QString& date, int voucher, const QString& summary, double debit,
               double credit, double balance) {
        dat.execute("insert into total(dzrq,pzh,ph,zy,j_je,d_je,y_je,zbh) values(?,?,'',?,?,?,?,?)",
                    {date, voucher, summary, debit, credit, balance, id});
    }
    // "j/d/y" of the book's total row of that month and summary.
    QString totalRow(const QString& month, const QString& summary) {
        return rowsText(dat,
                        "select dzrq,pzh,ph,j_je,d_je,y_je from total where zbh=? and "
                        "substr(dzrq,1,7)=? and zy=? order by rowid",
                        {id, month, summary});
    }
    QString carryRow(const QString& day) {
        return rowsText(dat,
                        "select pzh,j_je,d_je,y_je from crereg where zbh=? and dzrq=? and "
                        "zy='月结转余额' order by rowid",
                        {id, day});
    }
};

}  // namespace

TEST(Posting, FirstPostingOfMayStoresTheMonthAndOpensJune) {
    PostedApril b;
    b.line(b.id, "2024-05-03", 1, "收货款", 300, 0, 800);
    b.line(b.id, "2024-05-10", 2, "付电费", 0, 120, 680);
    const L::PostResult r = L::post_month(b.dat, b.id, QDate(2024, 5, 17));
    EXPECT_FALSE(r.reposted);
    EXPECT_EQ(r.laterMonthsUpdated, 0);
    EXPECT_EQ(r.closing, 68000);
    EXPECT_EQ(b.totalRow("2024-05", "本月合计"), "2024-05-01/1//300/120/680");
    EXPECT_EQ(b.totalRow("2024-05", "本月累计"), "2024-05-01/2//700/320/680");
    EXPECT_EQ(b.carryRow("2024-06-01"), "0/0/0/680");
    EXPECT_EQ(b.totalRow("2024-06", "月结转余额"), "2024-06-01/0//0/0/680");
    EXPECT_EQ(b.totalRow("2024-06", "本月合计"), "2024-06-01/1//0/0/680");
    EXPECT_EQ(b.totalRow("2024-06", "本月累计"), "2024-06-01/2//700/320/680");
    EXPECT_TRUE(gymk::month_closed(b.dat, "", b.id, gymk::SilentMode, kMay));
    EXPECT_EQ(gymk::last_balance(b.dat, b.id, QDate(2024, 6, 1)), "680.00");
    EXPECT_EQ(gymk::month_sums(b.dat, b.id, gymk::CumulativeMode, QDate(2024, 6, 5)).debit, 700.0);
}

TEST(Posting, ValuesComeFromTheRowsNotFromStaleBalances) {
    PostedApril b;
    b.line(b.id, "2024-05-03", 1, "收货款", 300, 0, 1);  // a balance left stale
    b.line(b.id, "2024-05-10", 2, "付电费", 0, 120, 2);
    EXPECT_EQ(L::post_month(b.dat, b.id, kMay).closing, 68000);
    EXPECT_EQ(b.carryRow("2024-06-01"), "0/0/0/680");
    // Lines typed into June before May was posted now follow June's carry-forward row.
    PostedApril c;
    const qint64 june = c.line(c.id, "2024-06-03", 1, "早录", 10, 0, 10);
    L::post_month(c.dat, c.id, kMay);
    EXPECT_EQ(c.dat.scalar("select y_je from crereg where rowid=?", {june}).toDouble(), 510.0);
}

TEST(Posting, AMonthWithoutLinesCarriesItsBalanceOrZero) {
    PostedApril b;
    L::post_month(b.dat, b.id, kMay);
    EXPECT_EQ(b.totalRow("2024-05", "本月合计"), "2024-05-01/1//0/0/500");
    EXPECT_EQ(b.totalRow("2024-06", "本月累计"), "2024-06-01/2//400/200/500");
    // A book with no rows at all is never initialized: posting it would carry 0.00 over an
    // opening it does not have yet, so it is refused and nothing is written.
    TempLedger empty;
    empty.dat.execute(
        "insert into accstar(zbid,zblb,zbmc,qcye,flag,qyrq) "
        "values('X','银行卡','空',0,'0','2023-02-01')");
    EXPECT_THROW(L::post_month(empty.dat, "X", QDate(2023, 2, 10)), qb::DbError);
    EXPECT_EQ(empty.dat.scalar("select count(*) from total").toInt(), 0);
    EXPECT_THROW(L::post_month(empty.dat, " ", QDate(2023, 2, 10)), qb::DbError);  // no book
    EXPECT_THROW(L::add_line(empty.dat, "", QDate(2023, 2, 10), "admin"), qb::DbError);
}

TEST(Posting, DecemberOpensNextJanuaryAndCumulativeSumsGoOn) {
    PostedApril b;
    b.dat.execute("update accstar set qyrq='2024-11-01'");
    b.total("2024-11-01", 2, "本月累计", 1000, 400, 600);
    b.total("2024-12-01", 1, "本月合计", 0, 0, 600);
    b.total("2024-12-01", 2, "本月累计", 1000, 400, 600);
    b.line(b.id, "2024-12-01", 0, "月结转余额", 0, 0, 600);
    b.line(b.id, "2024-12-24", 1, "年终奖", 0, 250.55, 349.45);
    L::post_month(b.dat, b.id, QDate(2024, 12, 31));
    EXPECT_EQ(b.carryRow("2025-01-01"), "0/0/0/349.45");
    EXPECT_EQ(b.totalRow("2025-01", "本月累计"), "2025-01-01/2//1000/650.55/349.45");
    EXPECT_TRUE(gymk::month_closed(b.dat, "", b.id, gymk::SilentMode, QDate(2024, 12, 1)));
    b.line(b.id, "2025-01-05", 1, "x", 10, 0, 359.45);
    L::post_month(b.dat, b.id, QDate(2025, 1, 5));
    EXPECT_EQ(b.totalRow("2025-01", "本月累计"), "2025-01-01/2//1010/650.55/359.45");
}

TEST(Posting, PostingAgainCarriesTheCorrectionThroughLaterPostedMonths) {
    PostedApril b;
    const qint64 wrong = b.line(b.id, "2024-05-03", 1, "收货款", 300, 0, 800);
    b.line(b.id, "2024-05-10", 2, "付电费", 0, 120, 680);
    L::post_month(b.dat, b.id, kMay);
    b.line(b.id, "2024-06-05", 1, "收租金", 20, 0, 700);
    L::post_month(b.dat, b.id, QDate(2024, 6, 1));
    L::post_month(b.dat, b.id, QDate(2024, 7, 1));  // July: no lines of its own
    const qint64 august = b.line(b.id, "2024-08-02", 1, "八月", 0, 5, 695);
    ASSERT_EQ(b.totalRow("2024-08", "本月累计"), "2024-08-01/2//720/320/700");

    // May's receipt was 30.00 too high: reversed, corrected, posted again.
    const L::Reversal r = L::reverse_line(b.dat, wrong, "admin");
    b.dat.execute(
        "insert into crereg(dzrq,pzh,zy,j_je,d_je,y_je,jbr,zbh) "
        "values('2024-05-03',1,?,270,0,0,'admin',?)",
        {L::correcting_summary(r.formerSummary), b.id});
    const L::PostResult again = L::post_month(b.dat, b.id, QDate(2024, 5, 31));
    EXPECT_TRUE(again.reposted);
    EXPECT_EQ(again.laterMonthsUpdated, 2);  // June and July
    EXPECT_EQ(again.closing, 65000);
    EXPECT_EQ(b.totalRow("2024-05", "本月合计"), "2024-05-01/1//270/120/650");
    EXPECT_EQ(b.totalRow("2024-05", "本月累计"), "2024-05-01/2//670/320/650");
    EXPECT_EQ(b.totalRow("2024-06", "本月合计"), "2024-06-01/1//20/0/670");
    EXPECT_EQ(b.totalRow("2024-06", "本月累计"), "2024-06-01/2//690/320/670");
    EXPECT_EQ(b.carryRow("2024-07-01"), "0/0/0/670");
    EXPECT_EQ(b.totalRow("2024-07", "本月合计"), "2024-07-01/1//0/0/670");
    EXPECT_EQ(b.carryRow("2024-08-01"), "0/0/0/670");
    EXPECT_EQ(b.totalRow("2024-08", "月结转余额"), "2024-08-01/0//0/0/670");
    EXPECT_EQ(b.totalRow("2024-08", "本月合计"), "2024-08-01/1//0/0/670");
    EXPECT_EQ(b.totalRow("2024-08", "本月累计"), "2024-08-01/2//690/320/670");
    EXPECT_EQ(b.dat.scalar("select y_je from crereg where rowid=?", {august}).toDouble(), 665.0);
    // In May the reversed line leads its reversal entry and the correcting entry.
    EXPECT_EQ(rowsText(b.dat,
                       "select y_je from crereg where zbh=? and dzrq between '2024-05-01' and "
                       "'2024-05-31' order by " +
                           L::journal_order(),
                       {b.id}),
              "500,800,500,770,650");
    // Posting again changes nothing more.
    EXPECT_EQ(L::post_month(b.dat, b.id, kMay).laterMonthsUpdated, 2);
    EXPECT_EQ(b.totalRow("2024-08", "本月累计"), "2024-08-01/2//690/320/670");
}

// Once May is posted its lines stand: a batch reaching into it is refused whole, wherever its
// May line stands, and no line is changed or deleted; only a reversal's correcting entry goes in.
TEST(Posting, APostedMonthTakesOnlyTheCorrectingEntryOfAReversal) {
    PostedApril b;
    const qint64 may = b.line(b.id, "2024-05-03", 1, "收货款", 300, 0, 800);
    L::post_month(b.dat, b.id, kMay);
    const auto lines = [&] { return b.dat.scalar("select count(*) from crereg").toInt(); };
    const int before = lines();
    L::LineFields late{QDate(2024, 6, 2), 1, "", "收租金", 2000, 0, 0, "", "admin"};
    L::LineFields early = late;
    early.date = QDate(2024, 5, 20);
    try {
        L::insert_lines(b.dat, b.id, {late, late, early});
        ADD_FAILURE() << "a line went into posted May";
    } catch (const qb::DbError& e) {
        EXPECT_EQ(e.message(), "本月数据己结转,禁止添加！");
    }
    EXPECT_THROW(L::edit_line(b.dat, may, L::JJe, 250), qb::DbError);
    EXPECT_THROW(L::delete_line(b.dat, may), qb::DbError);
    EXPECT_EQ(lines(), before);

    // Only posted months are reversed; the reversal lets in its one correcting entry, on the
    // reversed line's date, voucher and summary, and nothing else.
    const qint64 june = L::insert_line(b.dat, b.id, late);
    EXPECT_FALSE(L::month_reversible(b.dat, b.id, late.date));
    EXPECT_THROW(L::reverse_line(b.dat, june, "admin"), qb::DbError);
    EXPECT_THROW(L::add_correcting_entry(b.dat, {}, early), qb::DbError);
    const L::Reversal r = L::reverse_line(b.dat, may, "admin");
    EXPECT_THROW(L::insert_lines(b.dat, b.id, {early}), qb::DbError);
    const qint64 fixed = L::add_correcting_entry(b.dat, r.correction, early);
    EXPECT_EQ(rowsText(b.dat, "select dzrq,pzh,zy,j_je from crereg where rowid=?", {fixed}),
              "2024-05-03/1/新[收货款]/20");
    EXPECT_THROW(L::add_correcting_entry(b.dat, r.correction, early), qb::DbError);
    EXPECT_EQ(lines(), before + 3);  // June's line, the reversal and its correcting entry
}

// A book without its opening rows takes no line and is not posted, whatever its flag says; once
// initialized it takes both, and switched off with its rows kept it still does.
TEST(Posting, ABookWithoutItsOpeningRowsIsNeitherWrittenNorPosted) {
    TempLedger t;
    const QDate start(2026, 10, 5);
    const QString id = L::add_book(t.dat, {"现金日记帐", "分部", "", 100000, start}, start);
    L::update_book(t.dat, id, {"现金日记帐", "分部", "", 100000, start}, true);
    const L::LineFields line{QDate(2026, 10, 9), 1, "", "收款", 20000, 0, 0, "", "admin"};
    const QString refusal =
        "帐簿“分部”（现金日记帐）还没有初始化，没有期初余额行，不能记账或过帐。"
        "请先在“帐簿管理”中勾选并保存（初始化）这本帐簿。";
    for (const auto& write :
         std::vector<std::function<void()>>{[&] { L::insert_line(t.dat, id, line); },
                                            [&] { L::add_line(t.dat, id, line.date, "admin"); },
                                            [&] { L::post_month(t.dat, id, start); }}) {
        try {
            write();
            ADD_FAILURE() << "an uninitialized book was written";
        } catch (const qb::DbError& e) {
            EXPECT_EQ(e.message(), refusal);
        }
    }
    EXPECT_EQ(t.dat.scalar("select count(*) from crereg").toInt() +
                  t.dat.scalar("select count(*) from total").toInt(),
              0);
    EXPECT_EQ(L::init_book(t.dat, id), 4);
    EXPECT_EQ(L::init_book(t.dat, id), 0);
    L::update_book(t.dat, id, {"现金日记帐", "分部", "", 100000, start}, false);
    EXPECT_EQ(L::line_balance(t.dat, L::insert_line(t.dat, id, line)), 120000);
    EXPECT_EQ(L::post_month(t.dat, id, start).closing, 120000);
}

TEST(Posting, OnlyMonthsOfTheBooksLifeInOrderArePosted) {
    TempLedger t;
    const QDate start(2024, 5, 15);
    const QString id = L::add_book(t.dat, {"现金日记帐", "总部", "", 50000, start}, start);
    L::save_book_ticks(t.dat, {{id, true, start, 50000}});
    L::insert_line(t.dat, id, {QDate(2024, 5, 20), 1, "", "收货款", 10000, 0, 0, "", "admin"});
    L::post_month(t.dat, id, start);
    const auto rows = [&] {
        return rowsText(t.dat, "select count(*),sum(y_je) from total") + " " +
               rowsText(t.dat, "select count(*),sum(y_je) from crereg");
    };
    const QString before = rows();
    // The month before the start, long before it, and a month after the first open one (June).
    for (const QDate& month : {QDate(2024, 4, 30), QDate(1, 1, 1), QDate(2024, 7, 1)}) {
        try {
            L::post_month(t.dat, id, month);
            ADD_FAILURE() << month.toString().toStdString() << " was posted";
        } catch (const qb::DbError& e) {
            EXPECT_TRUE(e.message().contains(month < start ? "早于帐簿的启用月份 2024-05"
                                                           : "2024-06 还没有过帐"))
                << e.message().toStdString();
        }
    }
    EXPECT_EQ(rows(), before);
    // Posting the start month again leaves its opening rows as they are.
    EXPECT_TRUE(L::post_month(t.dat, id, start).reposted);
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(gymk::opening_balance(t.dat, id, start), "500.00");
    EXPECT_EQ(L::first_open_month(t.dat, id), QDate(2024, 6, 1));
}
