#include <gtest/gtest.h>

#include "balances.h"
#include "cashlimit.h"
#include "check.h"
#include "dailyreport.h"
#include "figures.h"
#include "fourteenmonths.h"
#include "gymk.h"
#include "journalprint.h"
#include "ledger.h"
#include "months.h"
#include "oplog.h"
#include "templedger.h"

namespace L = qb::ledger;
namespace F = qb::figures;

namespace {

QStringList faults(Tdat& dat) {
    QStringList found;
    for (const qb::check::Problem& p : qb::check::verify(dat))
        if (p.fault) found << p.month + " " + p.text;
    return found;
}

QStringList waiting(Tdat& dat) {
    QStringList found;
    for (const qb::check::Problem& p : qb::check::verify(dat))
        if (!p.fault) found << p.month;
    return found;
}

QString amount(qb::money::Cents cents) {
    return QString::number(qb::money::fromCents(cents), 'g', 15);
}

qint64 lineOn(Tdat& dat, const QString& book, const QString& day, int voucher) {
    return dat
        .scalar("select rowid from crereg where zbh=? and dzrq=? and pzh=?", {book, day, voucher})
        .toLongLong();
}

}  // namespace

// A month after an unposted month chains from the closing balance of the month before; an older
// ledger's unchained months are found, re-chained by a writer, and changes carry through.
TEST(Figures, AMonthAfterAnUnpostedMonthChainsFromItsClosingBalance) {
    TempLedger t;
    const QString book = t.cashBook("分部", 100000, QDate(2026, 10, 5));
    L::insert_line(t.dat, book, lineFields(QDate(2026, 10, 8), 1, "收款", 20000, 0));
    L::insert_line(t.dat, book, lineFields(QDate(2026, 11, 3), 1, "付款", 0, 30000));
    L::insert_line(t.dat, book, lineFields(QDate(2026, 12, 1), 1, "收款", 500, 0));
    EXPECT_EQ(F::month(t.dat, book, QDate(2026, 11, 1)).broughtIn, 120000);
    EXPECT_EQ(gymk::last_balance(t.dat, book, QDate(2026, 11, 1)), "900.00");
    EXPECT_EQ(qb::balances::balance_through(t.dat, book, QDate(2026, 12, 1)), 90500);
    EXPECT_TRUE(faults(t.dat).isEmpty()) << faults(t.dat).join('\n').toStdString();

    // As an earlier version left it: November chained from 0.00.
    t.dat.execute("update crereg set y_je=-300 where zbh=? and dzrq='2026-11-03'", {book});
    t.dat.execute("update crereg set y_je=-295 where zbh=? and dzrq='2026-12-01'", {book});
    EXPECT_EQ(F::unchained_months(t.dat, book), QStringList{"2026-11"});
    const QStringList found = faults(t.dat);
    ASSERT_EQ(found.size(), 1) << found.join('\n').toStdString();
    EXPECT_TRUE(found[0].startsWith("2026-11 余额没有从上月的期末余额 1200.00 接续"));
    EXPECT_EQ(F::rechain_ledger(t.dat), 1);
    EXPECT_EQ(F::rechain_ledger(t.dat), 0);
    EXPECT_EQ(rowsText(t.dat, "select y_je from crereg where zbh=? order by dzrq", {book}),
              "1000,1200,900,905");

    // A change in October reaches every later month in the same transaction.
    L::edit_line(t.dat, lineOn(t.dat, book, "2026-10-08", 1), L::JJe, 250);
    EXPECT_EQ(rowsText(t.dat, "select y_je from crereg where zbh=? order by dzrq", {book}),
              "1000,1250,950,955");
    L::delete_line(t.dat, lineOn(t.dat, book, "2026-10-08", 1));
    EXPECT_EQ(qb::balances::balance_through(t.dat, book, QDate(2026, 12, 1)), 70500);
    L::insert_line(t.dat, book, lineFields(QDate(2026, 10, 9), 2, "收款", 10000, 0));
    EXPECT_EQ(L::post_month(t.dat, book, QDate(2026, 10, 1)).closing, 110000);
    EXPECT_EQ(rowsText(t.dat, "select y_je from crereg where zbh=? order by dzrq,pzh", {book}),
              "1000,1100,1100,800,805");
    EXPECT_TRUE(faults(t.dat).isEmpty()) << faults(t.dat).join('\n').toStdString();
}

// A broken chain or total rows that disagree are faults even in a month holding a reversal;
// only a difference its reversal and correcting entries make up waits to be posted again.
TEST(Figures, CheckFindsFaultsInAMonthWithAReversal) {
    TempLedger t;
    const QString book = t.cashBook("本部", 50000, QDate(2026, 10, 1));
    L::insert_lines(t.dat, book,
                    {lineFields(QDate(2026, 10, 5), 1, "收租金", 10000, 0),
                     lineFields(QDate(2026, 10, 6), 2, "付款", 0, 2000),
                     lineFields(QDate(2026, 11, 2), 1, "收款", 300, 0)});
    L::post_month(t.dat, book, QDate(2026, 10, 1));
    L::reverse_line(t.dat, lineOn(t.dat, book, "2026-10-06", 2), "admin");
    EXPECT_EQ(waiting(t.dat), QStringList{"2026-10"});
    EXPECT_TRUE(faults(t.dat).isEmpty());
    EXPECT_EQ(F::month_state(t.dat, book, QDate(2026, 10, 1)).state, F::MonthState::NeedsReposting);
    EXPECT_EQ(F::state_text(F::MonthState::NeedsReposting), "需二次过帐");
    // A tampered total beside the reversal is no longer taken for it.
    t.dat.execute(
        "update total set j_je=j_je+5 where zbh=? and dzrq='2026-10-01' and zy='本月合计'", {book});
    EXPECT_FALSE(faults(t.dat).isEmpty());
    L::post_month(t.dat, book, QDate(2026, 10, 1));
    EXPECT_TRUE(faults(t.dat).isEmpty() && waiting(t.dat).isEmpty());
    EXPECT_EQ(F::month_state(t.dat, book, QDate(2026, 10, 1)).state, F::MonthState::Posted);

    t.dat.execute("update total set j_je=99999 where zbh=? and dzrq='2026-10-01' and zy='本月合计'",
                  {book});
    EXPECT_EQ(faults(t.dat).size(), 2) << faults(t.dat).join('\n').toStdString();
    L::post_month(t.dat, book, QDate(2026, 10, 1));
    t.dat.execute("update crereg set y_je=y_je+1 where zbh=? and dzrq='2026-10-05'", {book});
    const QStringList broken = faults(t.dat);
    ASSERT_FALSE(broken.isEmpty());
    EXPECT_TRUE(broken.join('\n').contains("余额不连续")) << broken.join('\n').toStdString();
    EXPECT_TRUE(waiting(t.dat).isEmpty());
}

// Fourteen months across a year end, entered before any is posted, posted out of step, a
// reversal in a posted month and a new opening amount: every figure as worked by hand, and
// the same through every view the core gives (the printout's figures, the month operations, the
// balance table, the stored totals). The CLI's journal and printout read it in tst_cli.
TEST(Figures, FourteenMonthsReadAlikeThroughEveryView) {
    TempLedger t;
    const QString book = fourteenMonthBook(
        t, [&] { EXPECT_EQ(waiting(t.dat), QStringList{"2025-12"}); });  // to be posted again
    // The new opening amount posted the start month again, and the months after it followed.
    EXPECT_TRUE(faults(t.dat).isEmpty() && waiting(t.dat).isEmpty())
        << faults(t.dat).join('\n').toStdString();

    for (const StoryMonth& s : fourteenMonthFigures()) {
        SCOPED_TRACE(s.month.toString("yyyy-MM").toStdString());
        const F::Figures f = F::month(t.dat, book, s.month);
        EXPECT_EQ(f.broughtIn, s.broughtIn);
        EXPECT_EQ(f.period.debit, s.debit);
        EXPECT_EQ(f.period.credit, s.credit);
        EXPECT_EQ(f.period.lines, s.lines);
        EXPECT_EQ(f.cumulative.debit, s.cumulativeDebit);
        EXPECT_EQ(f.cumulative.credit, s.cumulativeCredit);
        EXPECT_EQ(f.yearToDate.debit, s.yearDebit);
        EXPECT_EQ(f.yearToDate.credit, s.yearCredit);
        EXPECT_EQ(f.closing, s.closing);

        const qb::journalprint::Printout p =
            qb::journalprint::journal_printout(t.dat, book, s.month);
        EXPECT_EQ(p.monthDebit, s.debit);
        EXPECT_EQ(p.cumulativeCredit, s.cumulativeCredit);
        EXPECT_EQ(p.yearDebit, s.yearDebit);
        EXPECT_EQ(p.closing, s.closing);
        EXPECT_EQ(gymk::opening_balance(t.dat, book, s.month), qb::money::text(s.broughtIn));
        EXPECT_EQ(gymk::month_sums(t.dat, book, gymk::CumulativeMode, s.month).debit,
                  qb::money::fromCents(s.cumulativeDebit - s.debit));
        EXPECT_EQ(gymk::month_sums(t.dat, book, gymk::MonthSumMode, s.month).credit,
                  qb::money::fromCents(s.credit));
        EXPECT_EQ(qb::balances::balance_through(t.dat, book, s.month), s.closing);
        EXPECT_EQ(F::month_state(t.dat, book, s.month).state,
                  s.posted ? F::MonthState::Posted : F::MonthState::Open);
        EXPECT_EQ(F::month_state(t.dat, book, s.month).afterOpenMonth,
                  !s.posted && s.month > QDate(2026, 3, 1));
        // What posting stored agrees with the lines.
        if (s.posted) {
            EXPECT_EQ(rowsText(t.dat,
                               "select j_je,d_je,y_je from total where zbh=? and "
                               "substr(dzrq,1,7)=? and zy='本月累计'",
                               {book, qb::months::monthText(s.month)}),
                      QStringList({amount(s.cumulativeDebit), amount(s.cumulativeCredit),
                                   amount(s.closing)})
                          .join('/'));
        }
    }
}

// The daily fund report of a cash book and a bank book over three days, lines on the first and
// the third, and a cash book that starts on the third; each figure worked by hand. The cash
// limit warns when a saved line first takes the day above it, marks the report's rows above it
// or below zero, and is logged.
TEST(Figures, TheDailyReportOfThreeDaysWithACashLimit) {
    TempLedger t;
    const QDate d1(2026, 12, 1), d2(2026, 12, 2), d3(2026, 12, 3);
    const QString cash = t.cashBook("本部", 100000, d1);
    const QString late = t.cashBook("分部", 20000, d3);
    const QString bank = L::add_book(t.dat, {"银行日记帐", "本部", "6222", 5000000, d1}, d1);
    L::save_book_ticks(
        t.dat, {{cash, true, d1, 100000}, {late, true, d3, 20000}, {bank, true, d1, 5000000}});
    namespace C = qb::cashlimit;
    EXPECT_EQ(refusal([&] { C::set_limit(t.dat, bank, 100); }),
              "帐簿“本部”（银行日记帐）不是现金日记帐，没有库存现金限额。");
    EXPECT_EQ(refusal([&] { C::set_limit(t.dat, cash, 0); }), "库存现金限额必须大于零。");
    EXPECT_FALSE(refusal([&] { C::set_limit(t.dat, cash, qb::money::kLimit + 1); }).isEmpty());
    C::set_limit(t.dat, cash, 100000);
    C::set_limit(t.dat, cash, 120000);
    C::set_limit(t.dat, cash, 120000);  // no change, nothing logged
    EXPECT_EQ(C::limit(t.dat, cash), 120000);
    EXPECT_EQ(C::limit(t.dat, late), std::nullopt);
    qb::oplog::Filter limits;
    limits.operation = qb::oplog::kCashLimitSet;
    const auto logged = qb::oplog::entries(t.dat, limits);
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[1].before, R"({"xe":100000})");
    EXPECT_EQ(logged[1].after, R"({"xe":120000})");

    // Said once: the receipt takes the day above the limit, the payment after it leaves it there.
    C::Standing before = C::day_end(t.dat, cash, d1);
    EXPECT_EQ(before, C::Standing::Within);
    L::insert_line(t.dat, cash, lineFields(d1, 1, "收款", 50000, 0));
    EXPECT_EQ(C::warning_after_save(t.dat, cash, d1, before),
              "2026-12-01 现金日记帐“本部”日终余额 1,500.00 元，超过库存现金限额 1,200.00 元。");
    before = C::day_end(t.dat, cash, d1);
    L::insert_line(t.dat, cash, lineFields(d1, 2, "付款", 0, 12050));
    EXPECT_EQ(C::warning_after_save(t.dat, cash, d1, before), "");
    L::insert_line(t.dat, bank, lineFields(d1, 1, "付货款", 0, 300000));
    before = C::day_end(t.dat, cash, d3);
    L::insert_line(t.dat, cash, lineFields(d3, 1, "备用金", 0, 150000));
    EXPECT_EQ(C::warning_after_save(t.dat, cash, d3, before),
              "2026-12-03 现金日记帐“本部”日终余额 -120.50 元，低于零。");
    L::insert_line(t.dat, bank, lineFields(d3, 1, "收货款", 800000, 0));

    const auto table = [&](const QDate& first, const QDate& last) {
        const qb::dailyreport::Report r = qb::dailyreport::report_of(t.dat, first, last);
        QStringList rows;
        for (const qb::dailyreport::Line& l : qb::dailyreport::lines(r)) {
            const qb::dailyreport::Amounts& a = l.amounts;
            EXPECT_EQ(a.broughtIn + a.debit - a.credit, a.closing) << l.name.toStdString();
            rows << QStringList{l.category,
                                l.name,
                                qb::money::text(a.broughtIn),
                                qb::money::text(a.debit),
                                qb::money::text(a.credit),
                                qb::money::text(a.closing),
                                QString::number(a.lines),
                                l.mark}
                        .join(' ')
                        .trimmed();
        }
        // The closing balances are the journal's after each book's last line of the day.
        for (const qb::dailyreport::Group& g : r.groups)
            for (const qb::dailyreport::Row& row : g.rows)
                EXPECT_EQ(row.amounts.closing, F::closing(t.dat, row.bookId, last));
        return rows.join('\n').toStdString();
    };
    EXPECT_EQ(table(d1, d1),
              "现金日记帐 本部 1000.00 500.00 120.50 1379.50 2 超限额\n"
              "现金日记帐 小计 1000.00 500.00 120.50 1379.50 2\n"
              "银行日记帐 本部 50000.00 0.00 3000.00 47000.00 1\n"
              "银行日记帐 小计 50000.00 0.00 3000.00 47000.00 1\n"
              "合计 51000.00 500.00 3120.50 48379.50 3");
    EXPECT_EQ(table(d2, d2),
              "现金日记帐 本部 1379.50 0.00 0.00 1379.50 0 超限额\n"
              "现金日记帐 小计 1379.50 0.00 0.00 1379.50 0\n"
              "银行日记帐 本部 47000.00 0.00 0.00 47000.00 0\n"
              "银行日记帐 小计 47000.00 0.00 0.00 47000.00 0\n"
              "合计 48379.50 0.00 0.00 48379.50 0");
    EXPECT_EQ(table(d3, d3),
              "现金日记帐 分部 200.00 0.00 0.00 200.00 0\n"
              "现金日记帐 本部 1379.50 0.00 1500.00 -120.50 1 负数\n"
              "现金日记帐 小计 1579.50 0.00 1500.00 79.50 1\n"
              "银行日记帐 本部 47000.00 8000.00 0.00 55000.00 1\n"
              "银行日记帐 小计 47000.00 8000.00 0.00 55000.00 1\n"
              "合计 48579.50 8000.00 1500.00 55079.50 2");
    // The three days as one period: the balance before the first, the sums over all three.
    EXPECT_EQ(table(d1, d3),
              "现金日记帐 分部 200.00 0.00 0.00 200.00 0\n"
              "现金日记帐 本部 1000.00 500.00 1620.50 -120.50 3 负数\n"
              "现金日记帐 小计 1200.00 500.00 1620.50 79.50 3\n"
              "银行日记帐 本部 50000.00 8000.00 3000.00 55000.00 2\n"
              "银行日记帐 小计 50000.00 8000.00 3000.00 55000.00 2\n"
              "合计 51200.00 8500.00 4620.50 55079.50 5");
    EXPECT_EQ(refusal([&] { qb::dailyreport::report_of(t.dat, d3, d1); }),
              "资金日报表的结束日期 2026-12-01 早于开始日期 2026-12-03。");
    C::clear_limit(t.dat, cash);
    EXPECT_EQ(C::limit(t.dat, cash), std::nullopt);
    EXPECT_EQ(C::day_end(t.dat, cash, d2), C::Standing::Within);
}
