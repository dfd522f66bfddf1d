#include <gtest/gtest.h>

#include "answering_messages.h"
#include "errors.h"
#include "gymk.h"
#include "templedger.h"

namespace {

const QDate kMay(2024, 5, 17);

struct Book : TempLedger {
    void total(const QString& date, int voucher, const QString& summary, double debit,
               double credit, double balance, const QString& book = "B1") {
        dat.execute("insert into total(dzrq,pzh,ph,zy,j_je,d_je,y_je,zbh) values(?,?,'',?,?,?,?,?)",
                    {date, voucher, summary, debit, credit, balance, book});
    }
    QVariant value(const QString& sql, const QVariantList& params = {}) {
        return dat.scalar(sql, params);
    }
};

}  // namespace

TEST(MonthClosed, AnyTotalRowOfTheNextMonthClosesAndMessageModeSpeaks) {
    Book b;
    AnsweringMessages answers;
    EXPECT_FALSE(gymk::month_closed(b.dat, "添加", "B1", gymk::MessageMode, kMay));
    b.total("2024-05-01", 0, "月结转余额", 0, 0, 500);  // the month's own rows do not close it
    b.total("2024-06-01", 0, "月结转余额", 0, 0, 680, "B2");  // nor another book's
    EXPECT_FALSE(gymk::month_closed(b.dat, "添加", "B1", gymk::SilentMode, kMay));
    b.total("2024-06-30", 0, "月结转余额", 0, 0, 680);
    EXPECT_TRUE(gymk::month_closed(b.dat, "", "B1", gymk::SilentMode, kMay));
    EXPECT_TRUE(answers.texts.isEmpty());
    EXPECT_TRUE(gymk::month_closed(b.dat, "添加", "B1", gymk::MessageMode, kMay));
    ASSERT_EQ(answers.texts, QStringList{"本月数据己结转,禁止添加！"});
    EXPECT_EQ(answers.captions, QStringList{"系统提示"});
    EXPECT_FALSE(gymk::month_closed(b.dat, "删除", "B1", 7, kMay));  // an unknown mode
    EXPECT_EQ(answers.texts.size(), 1);
    // December is closed by a row of next January.
    b.total("2025-01-01", 1, "本月合计", 0, 0, 1);
    EXPECT_TRUE(gymk::month_closed(b.dat, "", "B1", gymk::SilentMode, QDate(2024, 12, 31)));
}

TEST(MonthSums, MonthModeSkipsMarkerRowsAndCumulativeReadsTheMonthBefore) {
    Book b;
    b.line("B1", "2024-05-01", 0, "月结转余额", 7, 7, 500);
    b.line("B1", "2024-05-02", 1, "收货款", 0.1, 0, 500.1);
    b.line("B1", "2024-05-31", 2, "付电费", 0.2, 80.05, 420.25);
    b.line("B1", "2024-06-01", 1, "next month", 1000, 0, 1);
    // A line without a summary moves the balance, so it counts like any other.
    b.dat.execute("insert into crereg(dzrq,j_je,zbh) values('2024-05-09',50,'B1')");
    const gymk::Sums month = gymk::month_sums(b.dat, "B1", gymk::MonthSumMode, kMay);
    EXPECT_EQ(month.debit, 50.3);  // exact in cents, not 50.300000000000004
    EXPECT_EQ(month.credit, 80.05);

    EXPECT_EQ(gymk::month_sums(b.dat, "B1", gymk::CumulativeMode, kMay).debit, 0);
    // April posted: May holds total rows, April's cumulative row covers April.
    b.total("2024-04-01", 2, "本月累计", 400, 200, 500);
    b.total("2024-04-01", 1, "本月合计", 9, 9, 500);
    b.total("2024-05-01", 0, "月结转余额", 0, 0, 500);
    const gymk::Sums cum = gymk::month_sums(b.dat, "B1", gymk::CumulativeMode, kMay);
    EXPECT_EQ(cum.debit, 400);
    EXPECT_EQ(cum.credit, 200);
    // June builds on April's row and May's lines, May not being posted.
    EXPECT_EQ(gymk::month_sums(b.dat, "B1", gymk::CumulativeMode, QDate(2024, 6, 3)).debit, 450.3);
    EXPECT_EQ(gymk::month_sums(b.dat, "B2", gymk::MonthSumMode, kMay).debit, 0);
}

TEST(Balances, LastAndOpeningBalanceTexts) {
    Book b;
    EXPECT_EQ(gymk::last_balance(b.dat, "B1", kMay), "0.00");
    EXPECT_EQ(gymk::opening_balance(b.dat, "B1", kMay), "0.00");
    b.line("B1", "2024-05-01", 0, "月结转余额", 0, 0, 500);
    b.line("B1", "2024-05-20", 3, "b", 0, 0, 12.5);
    b.line("B1", "2024-05-03", 9, "a", 0, 0, 99);
    b.line("B1", "2024-06-01", 0, "月结转余额", 0, 0, 7);
    EXPECT_EQ(gymk::last_balance(b.dat, "B1", kMay), "12.50");
    // What a month brings in: its carry-forward row, else what the months before left.
    EXPECT_EQ(gymk::opening_balance(b.dat, "B1", kMay), "500.00");
    EXPECT_EQ(gymk::opening_balance(b.dat, "B1", QDate(2024, 6, 2)), "7.00");
    b.dat.execute("delete from crereg where dzrq='2024-06-01'");
    EXPECT_EQ(gymk::opening_balance(b.dat, "B1", QDate(2024, 7, 2)), "12.50");
    EXPECT_EQ(gymk::last_balance(b.dat, "B1", QDate(2024, 7, 2)), "12.50");
    b.dat.execute("update crereg set y_je=null where zy='b'");
    EXPECT_EQ(gymk::last_balance(b.dat, "B1", kMay), "0.00");
    EXPECT_EQ(gymk::opening_balance(b.dat, "B1", QDate(2024, 4, 2)), "0.00");
}

TEST(MarkerRows, WritesBindTheirValuesAndRefuseBadInput) {
    Book b;
    const QString book = "B'1%\\";
    gymk::insert_totals_row(b.dat, QDate(2024, 6, 1), "1", "本月合计", "0", "0", "680.00", book);
    gymk::insert_carry_row(b.dat, "total", "680.00", book, QDate(2024, 6, 1));
    gymk::insert_carry_row(b.dat, "crereg", "680.00", book, QDate(2024, 6, 1));
    EXPECT_EQ(b.value("select count(*) from total where zbh=?", {book}).toInt(), 2);
    EXPECT_EQ(rowsText(b.dat, "select pzn,ph,bxr,jbr from crereg where zbh=?", {book}), "0///");
    EXPECT_TRUE(gymk::month_closed(b.dat, "", book, gymk::SilentMode, kMay));

    gymk::update_totals_row(b.dat, "300.00", "120.00", "681.5", book, QDate(2024, 6, 9),
                            "本月合计");
    EXPECT_EQ(rowsText(b.dat, "select j_je,d_je,y_je from total where zbh=? and pzh=1", {book}),
              "300/120/681.5");
    gymk::update_totals_row(b.dat, "1", "1", "1", book, QDate(2024, 6, 9), "本月累计");  // none
    gymk::set_carry_balance(b.dat, "crereg", book, QDate(2024, 6, 1), 700.004);
    gymk::set_carry_balance(b.dat, "total", book, QDate(2024, 6, 2), 1);  // not that day
    EXPECT_EQ(b.value("select y_je from crereg where zbh=?", {book}).toDouble(), 700.0);
    EXPECT_EQ(b.value("select y_je from total where zbh=? and pzh=0", {book}).toDouble(), 680.0);

    EXPECT_THROW(gymk::update_totals_row(b.dat, "1.005", "0", "0", book, kMay, "本月合计"),
                 qb::DbError);
    EXPECT_THROW(gymk::insert_totals_row(b.dat, kMay, "1", "x", "0", "0", "12abc", book),
                 qb::DbError);
    EXPECT_THROW(gymk::insert_totals_row(b.dat, kMay, "x", "x", "0", "0", "1", book), qb::DbError);
    EXPECT_THROW(gymk::insert_carry_row(b.dat, "accstar", "1", book, kMay), qb::DbError);
    EXPECT_THROW(gymk::set_carry_balance(b.dat, "total;drop table total", book, kMay, 1),
                 qb::DbError);
    EXPECT_EQ(b.value("select count(*) from total").toInt(), 2);
}

TEST(Lookups, BookIdAndVoucherNumbers) {
    Book b;
    b.dat.execute("insert into accstar(zbid,zblb,zbmc,flag) values('2024051',?,?,'1')",
                  {"现金日记帐", "O'Brien 100% \\"});
    EXPECT_EQ(gymk::book_id_of(b.dat, "O'Brien 100% \\", "现金日记帐"), "2024051");
    EXPECT_EQ(gymk::book_id_of(b.dat, "O'Brien 100% \\", "银行卡"), "");
    EXPECT_EQ(gymk::book_id_of(b.dat, "O'Brien%", "现金日记帐"), "");

    EXPECT_EQ(gymk::max_voucher_no(b.dat, "B1", kMay), 0);
    b.line("B1", "2024-05-01", 0, "月结转余额", 0, 0, 500);
    EXPECT_EQ(gymk::max_voucher_no(b.dat, "B1", kMay), 0);
    b.line("B1", "2024-05-02", 12, "x", 0, 0, 0);
    b.line("B1", "2024-05-30", 4, "y", 0, 0, 0);
    b.line("B1", "2024-06-01", 40, "z", 0, 0, 0);
    EXPECT_EQ(gymk::max_voucher_no(b.dat, "B1", kMay), 12);
    EXPECT_TRUE(b.dat.jhcx.active());  // left open on its result
}
