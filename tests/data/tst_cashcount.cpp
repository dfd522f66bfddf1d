// The cash count against the cash book: a shortage found, its IOU listed apart, its settling
// line, and what a count refuses.
#include <gtest/gtest.h>

#include "cashcount.h"
#include "cashlimit.h"
#include "engines.h"
#include "figures.h"
#include "ledger.h"
#include "oplog.h"

namespace C = qb::cashcount;
namespace L = qb::ledger;

namespace {

const QDate kStart{2026, 11, 1};

qint64 line(Tdat& dat, const QString& book, const QDate& date, int voucher, const QString& summary,
            qb::money::Cents debit, qb::money::Cents credit) {
    return L::insert_line(dat, book, {date, voucher, {}, summary, debit, credit, 1, {}, "op"});
}

// 本部's cash book: opening 1,000.00; on 11-02 +500.00 and −35.50 (1,464.50); on 11-03 −120.00
// and +8.80 (1,353.30); nothing on 11-04.
QString storyBook(TempLedger& ledger) {
    const QString book = ledger.cashBook("本部", 100000, kStart);
    line(ledger.dat, book, {2026, 11, 2}, 1, "收备用金", 50000, 0);
    line(ledger.dat, book, {2026, 11, 2}, 2, "付邮费", 0, 3550);
    line(ledger.dat, book, {2026, 11, 3}, 3, "付办公用品", 0, 12000);
    line(ledger.dat, book, {2026, 11, 3}, 4, "收零星收入", 880, 0);
    return book;
}

// 12 × 100 + 1 × 50 + 2 × 20 + 1 × 10 + 2 × 1 + 1 × 0.5 + 3 × 0.1 = 1,302.80 in the till.
C::Count storyCount(const QString& book) {
    C::Count c;
    c.bookId = book;
    c.day = {2026, 11, 3};
    c.quantities = C::parse_quantities("100=12,50=1,20=2,10=1,1=2,0.5=1,0.1=3");
    c.paidUnbooked = {4600, "打车费单据在手"};
    c.iou = {20000, "张三借条"};
    c.counter = "王出纳";
    c.witness = "李会计";
    return c;
}

}  // namespace

TEST(CashCount, AShortageWithAnIouIsSavedAndSettledByItsLine) {
    TempLedger ledger;
    Tdat& dat = ledger.dat;
    const QString book = storyBook(ledger);
    EXPECT_EQ(C::book_balance(dat, book, {2026, 11, 3}), 135330);

    const C::Count saved = C::save(dat, storyCount(book), "op");
    ASSERT_GT(saved.id, 0);
    EXPECT_EQ(saved.counted(), 130280);
    EXPECT_EQ(saved.bookBalance, 135330);
    EXPECT_EQ(saved.adjusted(), 130730);  // 1,353.30 − 46.00
    EXPECT_EQ(saved.difference(), -450);  // 1,302.80 − 1,307.30
    EXPECT_EQ(saved.differenceKind(), C::kShort);
    EXPECT_EQ(saved.state(), C::kPending);
    ASSERT_EQ(C::warnings(dat, saved).size(), 1);
    EXPECT_TRUE(C::warnings(dat, saved).front().contains("200.00"));
    // The day ends at 1,353.30: above a limit of 1,000.00, which the count says too.
    qb::cashlimit::set_limit(dat, book, 100000);
    const QStringList said = C::warnings(dat, saved);
    ASSERT_EQ(said.size(), 2);
    EXPECT_TRUE(said[1].contains("超过库存现金限额 1,000.00")) << said[1].toStdString();

    // Read back as saved; the one pending count of the book.
    const std::vector<C::Count> pending = C::counts(dat, book, true);
    ASSERT_EQ(pending.size(), 1u);
    const C::Count& read = pending.front();
    EXPECT_EQ(read.quantities, saved.quantities);
    EXPECT_EQ(read.iou.note, "张三借条");
    EXPECT_EQ(read.paidUnbooked.amount, 4600);
    EXPECT_EQ(read.bookName, "本部");
    EXPECT_EQ(read.time.toSecsSinceEpoch(), saved.time.toSecsSinceEpoch());
    EXPECT_EQ(read.time.timeSpec(), Qt::UTC);

    // Settled on 11-04 by 现金盘亏 待处理, money out 4.50, the month's next voucher.
    const qint64 settling = C::settle(dat, saved.id, {2026, 11, 4}, "op");
    EXPECT_EQ(rowsText(dat, "select dzrq,pzh,zy,j_je,d_je,y_je,jbr from crereg where rowid=?",
                       {settling}),
              "2026-11-04/5/现金盘亏 待处理/0/4.5/1348.8/op");
    EXPECT_EQ(qb::figures::closing(dat, book, {2026, 11, 4}), 134880);
    EXPECT_TRUE(C::counts(dat, book, true).empty());
    EXPECT_EQ(C::count(dat, saved.id).state(), C::kSettled);
    EXPECT_EQ(refusal([&] { C::settle(dat, saved.id, {}, "op"); }), "盘点 1 的短款已经处理过了。");

    // The payment booked afterwards on the count's day leaves the stored balance as it was.
    line(dat, book, {2026, 11, 3}, 6, "付打车费", 0, 4600);
    EXPECT_EQ(C::count(dat, saved.id).bookBalance, 135330);
    // A later count of the same day is a count of its own, from the balance as it is now.
    C::Count again = storyCount(book);
    again.paidUnbooked = {};
    const C::Count second = C::save(dat, again, "op");
    EXPECT_NE(second.id, saved.id);
    EXPECT_EQ(second.bookBalance, 130730);
    EXPECT_EQ(C::counts(dat, book).size(), 2u);

    // The settling line deleted: the first count waits again.
    EXPECT_EQ(L::delete_line(dat, settling), L::DeleteResult::Deleted);
    EXPECT_EQ(C::count(dat, saved.id).state(), C::kPending);

    qb::oplog::Filter counted;
    counted.operation = qb::oplog::kCashCounted;
    EXPECT_EQ(qb::oplog::entries(dat, counted).size(), 2u);
    qb::oplog::Filter settled;
    settled.operation = qb::oplog::kCountSettled;
    const std::vector<qb::oplog::Entry> entries = qb::oplog::entries(dat, settled);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries.front().rowId, settling);
}

TEST(CashCount, BadInputIsRefusedByNameAndNothingIsSaved) {
    TempLedger ledger;
    Tdat& dat = ledger.dat;
    const QString book = storyBook(ledger);
    const QString bank = L::add_book(dat, {"银行日记帐", "本部", "6222", 0, kStart}, kStart);
    L::save_book_ticks(dat, {{bank, true, kStart, 0}});
    const auto refusedCount = [&](const std::function<void(C::Count&)>& spoil) {
        C::Count c = storyCount(book);
        spoil(c);
        return refusal([&] { C::save(dat, c, "op"); });
    };
    EXPECT_TRUE(refusedCount([](C::Count& c) { c.day = {2026, 10, 31}; }).contains("早于"));
    EXPECT_TRUE(refusedCount([](C::Count& c) {
                    c.day = QDate::currentDate().addDays(1);
                }).contains("还没有到"));
    EXPECT_TRUE(refusedCount([&](C::Count& c) { c.bookId = bank; }).contains("不是现金日记帐"));
    EXPECT_TRUE(refusedCount([](C::Count& c) { c.quantities[3] = -1; }).contains("10元"));
    EXPECT_TRUE(refusedCount([](C::Count& c) { c.counter = "  "; }).contains("盘点人"));
    EXPECT_TRUE(refusedCount([](C::Count& c) { c.witness.clear(); }).contains("监盘人"));
    EXPECT_TRUE(refusedCount([](C::Count& c) { c.witness = c.counter; }).contains("本人"));
    EXPECT_TRUE(refusedCount([](C::Count& c) { c.iou.amount = -1; }).contains("白条"));
    EXPECT_TRUE(refusedCount([](C::Count& c) {
                    c.receivedUnbooked.amount = qb::money::kLimit + 1;
                }).contains("超出范围"));
    EXPECT_TRUE(refusedCount([](C::Count& c) {
                    c.quantities[12] = C::kQuantityAtMost + 1;
                }).contains("1分"));
    for (const char* notes : {"3=1", "100=1.5", "100=-2", "100", "50=1,50=2", "abc=1"})
        EXPECT_FALSE(refusal([&] { C::parse_quantities(notes); }).isEmpty()) << notes;
    EXPECT_EQ(C::parse_quantities("0.05=4, 100=0")[10], 4);
    EXPECT_FALSE(refusal([] { C::require_right(qb::users::OrdinaryUser); }).isEmpty());
    EXPECT_TRUE(refusal([] { C::require_right(qb::users::Operator); }).isEmpty());
    EXPECT_TRUE(C::counts(dat).empty());

    // Nothing to settle when cash and book agree; a settling day before the count is refused,
    // and so is one in a posted month.
    C::Count even = storyCount(book);
    even.quantities = C::parse_quantities("100=13,50=1,1=3,0.1=3");  // 1,353.30
    even.paidUnbooked = {};
    const C::Count agreed = C::save(dat, even, "op");
    EXPECT_EQ(agreed.difference(), 0);
    EXPECT_TRUE(agreed.state().isEmpty());
    EXPECT_FALSE(refusal([&] { C::settle(dat, agreed.id, {}, "op"); }).isEmpty());
    const C::Count shortage = C::save(dat, storyCount(book), "op");
    EXPECT_TRUE(refusal([&] {
                    C::settle(dat, shortage.id, {2026, 11, 2}, "op");
                }).contains("早于盘点日期"));
    L::post_month(dat, book, {2026, 11, 1});
    EXPECT_FALSE(refusal([&] { C::settle(dat, shortage.id, {}, "op"); }).isEmpty());
    EXPECT_EQ(C::count(dat, shortage.id).state(), C::kPending);
    EXPECT_NE(C::settle(dat, shortage.id, {2026, 12, 1}, "op"), 0);
}
