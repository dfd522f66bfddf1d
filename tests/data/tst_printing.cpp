// What the printouts read: the journal month laid out with its carry pairs (the staging table
// tmp_pr), and every book's current balance (the staging table zhye).
#include <gtest/gtest.h>

#include "balances.h"
#include "engines.h"
#include "errors.h"
#include "fr_dat.h"
#include "journalprint.h"
#include "ledger.h"
#include "rowkinds.h"
#include "templedger.h"

namespace {

using namespace qb;
using journalprint::Line;
using ledger::Column;

QString book(Tdat& dat, const QString& name, const QString& category, money::Cents opening,
             const QDate& start, bool enabled = true) {
    const QString id = ledger::add_book(
        dat, {category, name, QStringLiteral("6222 %1").arg(opening), opening, start}, start);
    if (enabled) ledger::save_book_ticks(dat, {{id, true, start, opening}});
    return id;
}

// Entries on the month's days: every third a receipt of 1,000.00, the others payments of
// 12.34, so the running figures differ at every line.
void entries(Tdat& dat, const QString& id, const QDate& month, int count) {
    std::vector<ledger::LineFields> lines;
    for (int i = 1; i <= count; ++i) {
        ledger::LineFields f;
        f.date = month.addDays((i - 1) * 28 / count);
        f.voucher = i;
        f.summary = QStringLiteral("收支 %1").arg(i);
        (i % 3 == 0 ? f.debit : f.credit) = i % 3 == 0 ? 100000 : 1234;
        lines.push_back(f);
    }
    ledger::insert_lines(dat, id, lines);
}

std::vector<Line> staged(Tdat& dat) {
    Query q(dat);
    q.setSql(journalprint::kStagedSql);
    q.open();
    std::vector<Line> lines;
    for (q.first(); !q.eof(); q.next()) {
        Line line;
        for (int c = 1; c < q.fieldCount(); ++c)
            line << q.value(c);
        lines.push_back(line);
    }
    return lines;
}

money::Cents cents(const QVariant& v) {
    return money::toCents(v.toDouble());
}

}  // namespace

// The month's opening row counts as entry 1: a pair goes before entries 30 and 60, repeating the
// totals and the balance reached; fewer than 30 entries print without one. The staging table
// holds exactly the printout's lines, in order.
TEST_P(BothEngines, PrintedJournalHasACarryPairBeforeEvery30thEntry) {
    const QDate may(2024, 5, 1);
    for (const int count : {29, 30, 65}) {
        const QString id = book(dat(), QStringLiteral("甲公司%1").arg(count),
                                QStringLiteral("现金日记帐"), 50000, may);
        entries(dat(), id, may, count - 1);
        const journalprint::Printout p = journalprint::stage_journal(dat(), id, may);
        const std::vector<Line>& lines = p.lines;
        SCOPED_TRACE(count);
        ASSERT_EQ(int(lines.size()), count + 2 * (count / 30));
        EXPECT_EQ(staged(dat()), lines);

        std::vector<int> carries;  // where the carry-out lines stand
        money::Cents debit = 0, credit = 0;
        for (int i = 0; i < int(lines.size()); ++i) {
            const QString zy = lines[i][Column::Zy].toString();
            if (zy == journalprint::kCarryOut) {
                carries.push_back(i);
                ASSERT_EQ(lines[i + 1][Column::Zy].toString(), journalprint::kCarryIn);
                for (const int at : {i, i + 1}) {
                    EXPECT_EQ(cents(lines[at][Column::JJe]), debit);
                    EXPECT_EQ(cents(lines[at][Column::DJe]), credit);
                    EXPECT_EQ(lines[at][Column::YJe], lines[i - 1][Column::YJe]);
                    for (const int c : {Column::Dzrq, Column::Pzh, Column::Ph, Column::Bxr,
                                        Column::Jbr, Column::Zbh})
                        EXPECT_TRUE(lines[at][c].isNull()) << c;
                }
                ++i;
                continue;
            }
            debit += cents(lines[i][Column::JJe]);
            credit += cents(lines[i][Column::DJe]);
        }
        const std::vector<int> expected = count == 29   ? std::vector<int>{}
                                          : count == 30 ? std::vector<int>{29}
                                                        : std::vector<int>{29, 61};
        EXPECT_EQ(carries, expected);
        // The register's footers: the month's sums, and the last balance.
        EXPECT_EQ(p.monthDebit, debit);
        EXPECT_EQ(p.monthCredit, credit);
        EXPECT_EQ(p.closing, cents(lines.back()[Column::YJe]));
    }
}

// Opening and carry-forward rows print their summary after 36 spaces; every other summary, a
// reversal's markers included, prints as stored. The cumulative totals add the month before.
TEST_P(BothEngines, PrintedJournalIndentsMarkerRowsAndAddsTheCumulativeSums) {
    Tdat& d = dat();
    const QDate may(2024, 5, 1), june(2024, 6, 1);
    const QString id = book(d, QStringLiteral("甲公司"), QStringLiteral("银行日记帐"), 50000, may);
    entries(d, id, may, 3);
    ledger::post_month(d, id, may);
    entries(d, id, june, 2);
    ledger::post_month(d, id, june);  // only a posted month's lines are reversed
    const qint64 reversed = d.scalar(QStringLiteral("select rowid from crereg where zbh=? "
                                                    "and dzrq>='2024-06-01' and pzh=1"),
                                     {id})
                                .toLongLong();
    ledger::reverse_line(d, reversed, QStringLiteral("admin"));

    const QString indent(36, QLatin1Char(' '));
    EXPECT_EQ(journalprint::journal_printout(d, id, may).lines[0][Column::Zy].toString(),
              indent + rows::kOpening);
    const journalprint::Printout p = journalprint::journal_printout(d, id, june);
    ASSERT_EQ(p.lines.size(), 4u);
    EXPECT_EQ(p.lines[0][Column::Zy].toString(), indent + rows::kCarry);
    EXPECT_EQ(p.lines[1][Column::Zy].toString(), QStringLiteral("被冲账 [收支 1]"));
    EXPECT_TRUE(p.lines[2][Column::Zy].toString().startsWith(rows::kReversalPrefix));
    // May: 12.34 + 12.34 + 1,000.00 paid in; June: 12.34 out and back, 12.34 out.
    EXPECT_EQ(p.monthDebit, 0);
    EXPECT_EQ(p.monthCredit, 1234 - 1234 + 1234);
    EXPECT_EQ(p.cumulativeDebit, 100000);
    EXPECT_EQ(p.cumulativeCredit, 2 * 1234 + 1234);
    EXPECT_EQ(p.closing, 50000 + 100000 - 3 * 1234);
}

// A staging that fails half way leaves the previous printout's lines as they were.
TEST(JournalPrint, FailedStagingLeavesTheTableAsItWas) {
    TempLedger t;
    const QDate may(2024, 5, 1);
    const QString id = book(t.dat, QStringLiteral("甲公司"), QStringLiteral("现金日记帐"), 0, may);
    entries(t.dat, id, may, 40);
    journalprint::stage_journal(t.dat, id, may);
    const std::vector<Line> before = staged(t.dat);
    t.dat.execute(
        QStringLiteral("create trigger refuse before insert on tmp_pr when new.pzh=35 "
                       "begin select raise(abort, 'disk full'); end"));
    EXPECT_THROW(journalprint::stage_journal(t.dat, id, may), DbError);
    EXPECT_EQ(staged(t.dat), before);
}

// The balance at the end of this month: the last line's in this month, else the last line's
// before it (the month before not yet posted), else the opening amount of a book without any
// line. zhye holds the texts with two decimals and no separators, books by name and category.
TEST_P(BothEngines, BalanceIsTheLastLineUpToThisMonthElseTheOpeningAmount) {
    Tdat& d = dat();
    const QDate today(2024, 7, 20);
    const QString current =
        book(d, QStringLiteral("乙公司"), QStringLiteral("银行日记帐"), 500, {2024, 7, 1});
    entries(d, current, QDate(2024, 7, 1), 3);  // 5.00 - 12.34 - 12.34 + 1,000.00
    const QString unposted =
        book(d, QStringLiteral("乙公司"), QStringLiteral("现金日记帐"), -35000, {2024, 6, 1});
    book(d, QStringLiteral("甲公司"), QStringLiteral("银行卡"), 123456, {2024, 7, 1}, false);
    const QString future =
        book(d, QStringLiteral("丙公司"), QStringLiteral("现金日记帐"), 700, {2024, 9, 1});
    entries(d, future, QDate(2024, 9, 1), 1);

    const std::vector<balances::BookBalance> books = balances::stage_balances(d, today);
    ASSERT_EQ(books.size(), 4u);
    std::vector<QStringList> zhye;
    Query q(d);
    q.setSql(balances::kStagedSql);
    q.open();
    for (q.first(); !q.eof(); q.next())
        zhye.push_back({q.field(0).asString(), q.field(1).asString(), q.field(2).asString(),
                        q.field(3).asString()});
    // SQLite orders names by their code points: 丙 (4E19), 乙 (4E59), 甲 (7532).
    const std::vector<QStringList> expected = {{"现金日记帐", "丙公司", "6222 700", "7.00"},
                                               {"现金日记帐", "乙公司", "6222 -35000", "-350.00"},
                                               {"银行日记帐", "乙公司", "6222 500", "980.32"},
                                               {"银行卡", "甲公司", "6222 123456", "1234.56"}};
    EXPECT_EQ(zhye, expected);
    EXPECT_TRUE(books[1].enabled);
    EXPECT_FALSE(books[3].enabled);
    EXPECT_EQ(books[1].bookId, unposted);
}

// The chart's points: none before the book's start month, then the balance each month ended
// with, carried on through months without lines.
TEST_P(BothEngines, MonthEndBalancesBeginWithTheBook) {
    Tdat& d = dat();
    const QString id =
        book(d, QStringLiteral("甲公司"), QStringLiteral("现金日记帐"), 1000, {2024, 3, 15});
    entries(d, id, QDate(2024, 3, 16), 1);  // paid 12.34
    ledger::post_month(d, id, QDate(2024, 3, 1));
    ledger::post_month(d, id, QDate(2024, 4, 1));  // April without lines
    entries(d, id, QDate(2024, 5, 1), 3);
    const std::vector<balances::BookBalance> books = balances::book_balances(d, {2024, 6, 9});
    const auto points = balances::month_end_balances(d, books[0], {2024, 6, 9}, 5);
    const std::vector<std::optional<money::Cents>> expected = {
        std::nullopt, 1000 - 1234, 1000 - 1234, 1000 - 3 * 1234 + 100000, 1000 - 3 * 1234 + 100000};
    EXPECT_EQ(points, expected);
}

INSTANTIATE_TEST_SUITE_P(Engines, BothEngines, ::testing::Values(Engine::File, Engine::Server),
                         engineName);
