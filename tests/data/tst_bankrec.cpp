// Bank statements read, matched against a bank book's month and kept from month to month.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QFile>
#include <QStringEncoder>

#include "bankbook.h"
#include "bankrec.h"
#include "errors.h"
#include "gymk.h"
#include "ledger.h"
#include "schema.h"
#include "statement.h"

namespace B = qb::bankrec;
namespace S = qb::statement;
namespace L = qb::ledger;

namespace {

const QDate kMay = BankBook::kMay;

const QString kGb18030 = BankBook::statement("sample_debit_credit_gb18030.csv");
const QString kSigned = BankBook::statement("sample_signed_amount_utf8.csv");
const QString kNoBalance = BankBook::statement("sample_income_outgo_no_balance.csv");

// Every sample statement of the worked example, as banks lay them out, with what it is.
struct Layout {
    const char* file;
    const char* encoding;
    bool balances;
    int skipped;  // totals, notes and rows of no amount
};
const Layout kLayouts[] = {
    {"sample_debit_credit_gb18030.csv", "GB18030", true, 1},
    {"sample_signed_amount_utf8.csv", "UTF-8", true, 0},
    {"sample_income_outgo_no_balance.csv", "UTF-8", false, 1},
    {"sample_direction_gb18030.csv", "GB18030", true, 2},  // a direction column, padded cells
    {"sample_two_pairs_utf8.csv", "UTF-8", true, 1},       // placeholder pair, newest first
    {"sample_direction_letters.xlsx", "xlsx", true, 0},
    {"sample_debit_credit.xls", "xls", true, 0},
};

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile f(dir.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return f.fileName();
}

}  // namespace

TEST(StatementReader, EveryLayoutGivesTheSameTransactions) {
    for (const Layout& layout : kLayouts) {
        SCOPED_TRACE(layout.file);
        const S::Statement s = S::read(BankBook::statement(layout.file));
        EXPECT_EQ(s.encoding, layout.encoding);
        EXPECT_EQ(s.skipped, layout.skipped);
        ASSERT_EQ(s.lines.size(), 4u);  // notes and totals skipped, newest-first turned round
        EXPECT_EQ(s.lines[0].date, QDate(2024, 5, 3));
        EXPECT_EQ(s.lines[0].amount, 500000);
        EXPECT_EQ(s.lines[1].amount, -300000);
        EXPECT_EQ(s.lines[1].counterparty, "示例供应商");
        EXPECT_EQ(s.lines[2].date, QDate(2024, 5, 20));
        EXPECT_EQ(s.lines[2].amount, 15000);
        EXPECT_EQ(s.lines[3].amount, -5000);
        EXPECT_EQ(s.closing(),
                  layout.balances ? std::optional<qb::money::Cents>(1210000) : std::nullopt);
        EXPECT_EQ(s.opening(),
                  layout.balances ? std::optional<qb::money::Cents>(1000000) : std::nullopt);
    }
    const S::Statement gb = S::read(kGb18030);
    EXPECT_EQ(gb.lines[0].fileLine, 5);
    EXPECT_EQ(gb.lines[0].serial, "1001");
    const S::Statement utf8 = S::read(kSigned);
    EXPECT_EQ(utf8.lines[0].summary, "货款,五月");  // a quoted comma stays in its field
    EXPECT_EQ(utf8.lines[2].summary, "利息\n结息");
    EXPECT_EQ(utf8.lines[3].fileLine, 7);  // after a record of two lines
    // 合计 inside a summary is a transaction's, not a total.
    EXPECT_EQ(S::read(BankBook::statement("sample_two_pairs_utf8.csv")).lines[1].summary,
              "支付设备总计划款");
    const S::Statement padded = S::read(BankBook::statement("sample_direction_gb18030.csv"));
    EXPECT_EQ(padded.lines[0].time, QTime(10, 22, 33));
    EXPECT_EQ(padded.lines[0].summary, "货款");
}

TEST(StatementReader, DatesAndAmountsInTheFormsBanksWriteThem) {
    for (const char* text : {"2024-05-01", "2024/5/1", "20240501", "2024.5.1", "2024年5月1日",
                             "2024-05-01 10:11:12", "20240501101112", "20240501 10:22:33"})
        EXPECT_EQ(S::parse_date(text), QDate(2024, 5, 1)) << text;
    for (const char* text : {"2024-13-01", "5/1/2024", "2024-05", "", "昨天"})
        EXPECT_FALSE(S::parse_date(text).isValid()) << text;
    EXPECT_EQ(S::parse_time("20240501 10:22:33"), QTime(10, 22, 33));
    EXPECT_EQ(S::parse_time("20240501102233"), QTime(10, 22, 33));
    EXPECT_FALSE(S::parse_time("20240501").isValid());
    EXPECT_EQ(S::parse_amount("1,234,567.89"), 123456789);
    EXPECT_EQ(S::parse_amount("￥1,234.5"), 123450);
    EXPECT_EQ(S::parse_amount("-0.01"), -1);
    EXPECT_EQ(S::parse_amount(""), 0);
    EXPECT_EQ(S::parse_amount("-"), 0);
    EXPECT_FALSE(S::parse_amount("1.234"));
    EXPECT_FALSE(S::parse_amount("12,34.00"));
    EXPECT_FALSE(S::parse_amount("一百"));
}

TEST(StatementReader, BadInputIsRefusedNamingTheFileAndTheLine) {
    QTemporaryDir dir;
    const QByteArray head = "交易日期,摘要,金额,余额\n2024-05-03,货款,100.00,100.00\n";
    EXPECT_EQ(refusal([&] { S::read(writeFile(dir, "empty.csv", "")); }),
              "对账单 empty.csv：文件是空的");
    EXPECT_EQ(refusal([&] { S::read(writeFile(dir, "a.csv", head + "2024-05-32,x,1.00,2\n")); }),
              "对账单 a.csv：第 3 行：日期“2024-05-32”无法识别（应为 2024-05-01、2024/5/1 或 "
              "20240501 等写法）");
    EXPECT_EQ(refusal([&] { S::read(writeFile(dir, "b.csv", head + "2024-05-04,x,1.005,2\n")); }),
              "对账单 b.csv：第 3 行：金额“1.005”无法识别（应为数字，最多两位小数）");
    EXPECT_EQ(refusal([&] { S::read(writeFile(dir, "c.csv", head + "2024-05-04,\"x,1.00,2\n")); }),
              "对账单 c.csv：第 3 行：引号没有结束，不是规范的 CSV 文件");
    EXPECT_TRUE(refusal([&] {
                    S::read(writeFile(dir, "d.csv", "姓名,电话\n张三,123\n"));
                }).startsWith("对账单 d.csv：不像银行对账单"));
    EXPECT_TRUE(refusal([&] { S::read(dir.filePath("none.csv")); }).contains("找不到文件"));
    // Titles of its own: found as the header, but the columns must be named once.
    const QString odd = writeFile(dir, "odd.csv", "时间,内容,钱数\n2024-05-03,货款,1.00\n");
    EXPECT_TRUE(refusal([&] { S::read(odd); }).contains("无法从标题（时间，内容，钱数）"));
    const S::Table table = S::read_table(odd);
    S::Mapping m;
    m[S::Date] = 0;
    m[S::Summary] = 1;
    m[S::Amount] = 2;
    EXPECT_EQ(S::read(odd, S::mapping_text(m, table.titles)).lines.at(0).amount, 100);
}

TEST(StatementReader, OrderAndSidesComeFromTheBalanceChainAndAWrongMappingIsRefused) {
    QTemporaryDir dir;
    // One day, newest first: only the balances tell, and the opening is 100.00, not 180.00.
    const S::Statement day = S::read(writeFile(
        dir, "day.csv",
        "交易日期,摘要,金额,余额\n2024-05-06,b,30.00,180.00\n2024-05-06,a,50.00,150.00\n"));
    EXPECT_EQ(day.opening(), 10000);
    EXPECT_EQ(day.lines[0].summary, "a");
    // Without balances a time column orders the day.
    const S::Statement timed = S::read(
        writeFile(dir, "timed.csv",
                  "交易日期,交易时间,摘要,金额\n2024-05-06,15:00,b,30\n2024-05-06,09:00,a,50\n"));
    EXPECT_EQ(timed.lines[0].summary, "a");

    // Debit and credit taken the wrong way round: the chain holds only with the sides swapped.
    const S::Table table = S::read_table(kGb18030);
    S::Mapping swapped = S::guess_mapping(table);
    std::swap(swapped[S::Debit], swapped[S::Credit]);
    EXPECT_TRUE(
        refusal([&] { S::parse(table, swapped); })
            .startsWith("对账单 sample_debit_credit_gb18030.csv：余额不接续：按“贷方发生额”和"
                        "“借方发生额”读出的收支方向与余额相反"));
    // Receipts read from the balances and balances from the receipts: refused at the first
    // line whose balance does not follow, naming the columns read.
    S::Mapping wrong = S::guess_mapping(table);
    std::swap(wrong[S::Balance], wrong[S::Credit]);
    const QString broken = refusal([&] { S::parse(table, wrong); });
    EXPECT_TRUE(
        broken.startsWith("对账单 sample_debit_credit_gb18030.csv：第 7 行：余额 150.00 与上"
                          "一笔余额加本笔金额 12,150.00 不符，余额不接续"))
        << broken.toStdString();
    EXPECT_TRUE(broken.contains("收入（贷方）=“余额”（第 5 列），余额=“贷方发生额”（第 4 列）"));
    // A direction that does not read is refused, not taken as a receipt.
    EXPECT_EQ(refusal([&] {
                  S::read(writeFile(dir, "dir.csv", "交易日期,金额,借贷\n2024-05-06,30.00,转账\n"));
              }),
              "对账单 dir.csv：第 2 行：借贷方向“转账”无法识别（应为 借/贷、收/支、D/C 等）");
}

TEST(StatementReader, HostileFilesAreRefusedAtOnceAndNothingWraps) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo.csv");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_TRUE(refusal([&] { S::read(fifo); }).contains("不是普通文件"));
    EXPECT_TRUE(refusal([&] { S::read("/dev/zero"); }).contains("不是普通文件"));
    EXPECT_TRUE(refusal([&] { S::read(dir.path()); }).contains("是一个文件夹"));
    QFile big(dir.filePath("big.csv"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(S::kMaxFileBytes + 1));
    big.close();
    EXPECT_EQ(refusal([&] { S::read(big.fileName()); }),
              "对账单 big.csv：文件有 52,428,801 字节，超过对账单的上限 52,428,800 字节（50 MB）");

    const QByteArray head = "交易日期,摘要,金额\n2024-05-03,货款,100.00\n";
    EXPECT_EQ(
        refusal([&] { S::read(writeFile(dir, "bad.csv", head + "2024-05-04,利\xff息,1.00\n")); }),
        "对账单 bad.csv：第 3 行：第 15 个字节 0xff 不是有效的 UTF-8 编码，文件可能已损坏；"
        "请从银行重新导出");
    const QByteArray gb = QStringEncoder("GB18030")(QString::fromUtf8(head));
    EXPECT_EQ(
        refusal([&] { S::read(writeFile(dir, "gb.csv", gb + "2024-05-04,\x81\x20,1.00\n")); }),
        "对账单 gb.csv：第 3 行：既不是有效的 UTF-8 编码也不是有效的 GB18030 编码，文件可能已"
        "损坏；请从银行重新导出");

    // Fifteen digits are refused at their line; amounts at the bound, 200 of them, at the line
    // whose sum passes it.
    QByteArray huge = "交易日期,摘要,金额,余额\n", bound = "交易日期,摘要,金额\n";
    for (int i = 0; i < 200; ++i) {
        huge += "2024-05-03,x,999999999999999.99,\n";
        bound += "2024-05-03,x,999999999999.99\n";
    }
    EXPECT_EQ(refusal([&] { S::read(writeFile(dir, "huge.csv", huge)); }),
              "对账单 huge.csv：第 2 行：金额 999999999999999.99 超出上限 999,999,999,999.99");
    EXPECT_EQ(refusal([&] { S::read(writeFile(dir, "sum.csv", bound)); }),
              "对账单 sum.csv：第 3 行：对账单的收入合计超出上限 999,999,999,999.99");
}

TEST(Matching, OneToOneWithinTheToleranceAndAgreeingNumbersFirst) {
    B::Reconciliation rec;
    const QDate d(2024, 5, 10);
    // Two equal payments on one day on each side; one payment 3 days off, one 4 days off; a
    // receipt whose ticket agrees with the farther of two bank lines.
    rec.book = {{1, d, 1, "", "a", -10000},
                {2, d, 2, "", "b", -10000},
                {3, d, 3, "", "c", -20000},
                {4, d, 4, "", "d", -30000},
                {5, d, 5, "X9", "e", 40000}};
    rec.bank = {{d, "", "", "", -10000, {}, 1, {}},
                {d, "", "", "", -10000, {}, 2, {}},
                {d.addDays(3), "", "", "", -20000, {}, 3, {}},
                {d.addDays(-4), "", "", "", -30000, {}, 4, {}},
                {d, "", "", "", 40000, {}, 5, {}},
                {d.addDays(2), "", "", "X9", 40000, {}, 6, {}}};
    B::match(rec);
    EXPECT_EQ(rec.match, (std::vector<int>{0, 1, 2, -1, -1, 4}));
    rec.tolerance = 4;
    B::match(rec);  // ticks made stay; the 4-day pair now meets
    EXPECT_EQ(rec.match, (std::vector<int>{0, 1, 2, 3, -1, 4}));
    EXPECT_TRUE(refusal([&] { B::tick(rec, 4, 4); }).contains("已经勾对"));
    B::untick(rec, 5);
    B::tick(rec, 4, 4);
    EXPECT_TRUE(refusal([&] { B::tick(rec, 5, 0); }).contains("已经勾对"));
    B::untick(rec, 0);
    EXPECT_TRUE(refusal([&] { B::tick(rec, 5, 0); }).contains("金额或方向不同"));
}

TEST(Reconciliation, WorkedExampleInEveryLayoutGivesAgreeingAdjustedBalances) {
    BankBook b;
    for (const Layout& layout : kLayouts) {
        SCOPED_TRACE(layout.file);
        const B::Reconciliation rec = b.may(BankBook::statement(layout.file));
        EXPECT_EQ(rec.match, (std::vector<int>{0, 1, -1, -1}));
        EXPECT_EQ(rec.bookClosing, 1320000);
        EXPECT_EQ(rec.bankClosing, 1210000);  // without balances: 10,000 + 5,150 - 3,050
        const B::Groups g = rec.groups();
        EXPECT_EQ(g.bankReceived, 15000);   // interest
        EXPECT_EQ(g.bankPaid, 5000);        // fee
        EXPECT_EQ(g.bookReceived, 200000);  // rent
        EXPECT_EQ(g.bookPaid, 80000);       // electricity
        EXPECT_EQ(g.adjustedBook, 1330000);
        EXPECT_EQ(g.adjustedBank, 1330000);
        EXPECT_EQ(g.difference(), 0);
    }
    // A closing balance that does not fit is shown as a difference, never hidden.
    B::Options given;
    given.closing = 1200000;
    EXPECT_EQ(b.may(kNoBalance, given).groups().difference(), 10000);
}

TEST(Reconciliation, AddedLinesCarryTheBalanceAndTheNextMonthStartsFromTheTicks) {
    BankBook b;
    B::Reconciliation rec = b.may();
    EXPECT_FALSE(b.dat.con().hasTable("yhls"));
    const std::vector<qint64> ids = B::add_bank_lines(b.dat, rec, {2, 3}, "出纳");
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(rowsText(b.dat, "select zy,ph,pzh,jbr,y_je from crereg where rowid=?", {ids[0]}),
              "利息/B0520/5/出纳/12150");  // between the 10th and the 28th
    EXPECT_EQ(gymk::last_balance(b.dat, b.id, kMay), "13300.00");
    EXPECT_EQ(rec.groups().difference(), 0);
    EXPECT_EQ(rec.groups().bankReceived, 0);

    // June: the rent and electricity are outstanding; the bank books them in June.
    L::post_month(b.dat, b.id, kMay);
    const B::Reconciliation june = B::saved_month(b.dat, b.id, QDate(2024, 6, 1));
    ASSERT_EQ(june.book.size(), 2u);
    EXPECT_EQ(june.book[0].summary, "收租金");
    EXPECT_FALSE(june.hasStatement());
    QTemporaryDir dir;
    const QString file = writeFile(dir, "june.csv",
                                   "交易日期,摘要,金额,余额\n2024-06-01,电费,-800.00,11300.00\n"
                                   "2024-06-03,租金,2000.00,13300.00\n");
    B::Reconciliation next = B::reconcile_month(b.dat, b.id, QDate(2024, 6, 1), S::read(file), {});
    EXPECT_EQ(next.match, (std::vector<int>{1, -1}));  // the rent came 6 days later
    B::tick(next, 1, 0);
    EXPECT_EQ(next.groups().difference(), 0);
    B::save_reconciliation(b.dat, next, "出纳");
    EXPECT_EQ(B::saved_month(b.dat, b.id, QDate(2024, 6, 1)).match, next.match);
    EXPECT_TRUE(B::saved_month(b.dat, b.id, QDate(2024, 7, 1)).book.empty());
    // May rests under June's ticks now.
    EXPECT_TRUE(refusal([&] {
                    B::save_reconciliation(b.dat, rec, "出纳");
                }).startsWith("已保存了 2024-06 的对账结果"));
}

TEST(Reconciliation, ClosedMonthRefusesAdditionsAndOlderFilesStayLedgers) {
    BankBook b;
    B::Reconciliation rec = b.may();
    L::post_month(b.dat, b.id, kMay);
    const int lines = b.count("select count(*) from crereg");
    EXPECT_EQ(refusal([&] { B::add_bank_lines(b.dat, rec, {2}, "出纳"); }),
              "2024-05 已经结账，不能再向这个月的日记帐添加银行流水；请在下一个未结账的月份对账时"
              "加入。");
    EXPECT_EQ(b.count("select count(*) from crereg"), lines);
    // Reconciling a posted month is what cashiers do; the save makes the tables of its own.
    B::save_reconciliation(b.dat, rec, "出纳");
    EXPECT_EQ(B::saved_month(b.dat, b.id, kMay).match, rec.match);
    if (b.engine == Engine::Server) return;
    b.dat.close();
    EXPECT_TRUE(qb::isLedgerDatabase(b.path()));
}

TEST(Reconciliation, MonthWithNothingToMatchOnAReadOnlyLedger) {
    BankBook b;
    L::post_month(b.dat, b.id, kMay);
    if (b.engine == Engine::File) {
        b.dat.close();
        b.dat.open(b.path(), Tdat::Mode::ReadOnly);
    }
    B::Reconciliation june = B::saved_month(b.dat, b.id, QDate(2024, 6, 1));
    EXPECT_TRUE(june.bank.empty());
    EXPECT_TRUE(june.book.empty());  // a first reconciliation starts from its month alone
    EXPECT_EQ(june.bankOpening, 1320000);
    EXPECT_EQ(june.bookClosing, 1320000);
    june.bankClosing = 1320000;
    june.closingFrom = B::ClosingFrom::Given;
    EXPECT_EQ(june.groups().difference(), 0);
}

TEST(Reconciliation, ADeletedBookTakesItsReconciliationsAlong) {
    BankBook b;
    const B::Reconciliation may = b.may();
    B::save_reconciliation(b.dat, may, "admin");
    B::keep_mapping(b.dat, b.id, "0=日期\n4=金额");
    L::delete_book(b.dat, b.id);
    // A new book may be given the same id; it must not inherit the old statement's items, not
    // even from a window that still had the deleted book's reconciliation open.
    EXPECT_THROW(B::save_reconciliation(b.dat, may, "admin"), qb::DbError);
    EXPECT_THROW(B::keep_mapping(b.dat, b.id, "0=日期\n4=金额"), qb::DbError);
    for (const char* table : {"yhdz", "yhls", "yhgs"})
        EXPECT_EQ(b.count(QString("select count(*) from %1").arg(table)), 0) << table;
}
