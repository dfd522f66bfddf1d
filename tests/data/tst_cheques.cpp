// The cheque register against the journal: leaves handed out, written out through the register
// and through the journal's ticket number, completed, paid, voided, reversed, printed; each step
// in the operation log.
#include <gtest/gtest.h>

#include "chequeform.h"
#include "cheques.h"
#include "engines.h"
#include "ledger.h"
#include "oplog.h"

namespace C = qb::cheques;
namespace L = qb::ledger;

namespace {

const QDate kStart{2026, 1, 1};

QString state(Tdat& dat, const QString& book, const QString& serial) {
    return C::leaf(dat, book, serial).state;
}

qint64 line(Tdat& dat, const QString& book, const QString& date, const QString& ticket,
            qb::money::Cents credit) {
    L::LineFields f;
    f.date = QDate::fromString(date, Qt::ISODate);
    f.voucher = 7;
    f.ticket = ticket;
    f.summary = QStringLiteral("付材料款");
    f.credit = credit;
    f.handler = QStringLiteral("admin");
    return L::insert_line(dat, book, f);
}

}  // namespace

TEST(Cheques, ABookOfTwentyFiveLeavesAndTheJournalAgree) {
    TempLedger ledger;
    Tdat& dat = ledger.dat;
    const QString book = L::add_book(dat, {"银行日记帐", "本部", "6222 0001", 10000000, kStart});
    L::save_book_ticks(dat, {{book, true, kStart, 10000000}});
    EXPECT_TRUE(C::leaves(dat, book).empty());  // no tables yet: nothing, and nothing made

    C::add_cheque_book(dat, book, C::kTransferCheque, "00012301", "00012325", {2026, 1, 2},
                       "admin");
    ASSERT_EQ(C::leaves(dat, book).size(), 25u);
    EXPECT_EQ(C::leaves(dat, book).front().serial, "00012301");
    for (const auto& bad : std::vector<std::function<void()>>{
             [&] {
                 C::add_cheque_book(dat, book, C::kTransferCheque, "00012320", "00012330",
                                    {2026, 1, 2}, "admin");
             },
             [&] {
                 C::add_cheque_book(dat, book, C::kCashCheque, "1", "9", {2025, 12, 31}, "admin");
             },
             [&] {
                 C::add_cheque_book(dat, book, "本票", "1", "9", {2026, 1, 2}, "admin");
             },
             [&] { C::require_change_right(qb::users::OrdinaryUser); }})
        EXPECT_FALSE(refusal(bad).isEmpty());
    EXPECT_EQ(C::cheque_books(dat, book).size(), 1u);

    // 领用 hands out the first blank leaf; 开出 with --post writes the journal line too.
    const C::Leaf taken =
        C::take_next(dat, book, C::kTransferCheque, {"张三", "材料款", 500000}, "op");
    EXPECT_EQ(taken.serial, "00012301");
    EXPECT_EQ(taken.state, C::kTaken);
    EXPECT_EQ(
        refusal([&] {
            C::issue(dat, book, "00012301", {"甲供应商", 600000, {2026, 1, 5}, "货款"}, "op", true);
        }),
        "金额 6,000.00 超过领用时的限额 5,000.00。");
    EXPECT_FALSE(refusal([&] {
                     C::issue(dat, book, "00012301",
                              {QString(41, QChar(u'长')), 1000, {2026, 1, 5}, {}}, "op", true);
                 }).isEmpty());
    EXPECT_FALSE(refusal([&] {
                     C::issue(dat, book, "00099999", {"甲", 1000, {2026, 1, 5}, {}}, "op", false);
                 }).isEmpty());
    const qint64 posted =
        C::issue(dat, book, "00012301", {"甲供应商", 300000, {2026, 1, 5}, "货款"}, "op", true);
    ASSERT_GT(posted, 0);
    EXPECT_EQ(rowsText(dat, "select ph,zy,d_je from crereg where rowid=?", {posted}),
              "00012301/货款/3000");
    EXPECT_FALSE(refusal([&] {
                     C::issue(dat, book, "00012301", {"乙", 100, {2026, 1, 6}, {}}, "op", false);
                 }).isEmpty());

    // A line typed in the panel with the serial as ticket writes the next leaf out; clearing the
    // ticket gives the leaf back, typing it again takes it.
    const qint64 panel = line(dat, book, "2026-01-08", "00012302", 120000);
    EXPECT_EQ(state(dat, book, "00012302"), C::kIssued);
    EXPECT_EQ(C::leaf(dat, book, "00012302").amount, 120000);
    L::edit_line(dat, panel, L::Ph, QString());
    EXPECT_EQ(state(dat, book, "00012302"), C::kBlank);
    L::edit_line(dat, panel, L::Ph, QStringLiteral("00012302"));
    EXPECT_EQ(C::ticket_warning(dat, book, "00012302"), "");
    EXPECT_NE(C::ticket_warning(dat, book, "A-77"), "");
    // Without a payee it cannot be printed; 开出 completes it at the line's amount and date.
    EXPECT_TRUE(refusal([&] { C::cheque_form(dat, book, "00012302"); }).contains("还没有开出"));
    EXPECT_TRUE(refusal([&] {
                    C::issue(dat, book, "00012302", {"丁公司", 99, {}, {}}, "op", false);
                }).contains("应与之相同"));
    EXPECT_EQ(C::issue(dat, book, "00012302", {"丁公司", 0, {}, "材料"}, "op", true), 0);
    EXPECT_EQ(C::cheque_form(dat, book, "00012302").stubAmount, "¥1,200.00");
    EXPECT_EQ(rowsText(dat, "select count(*) from crereg where ph='00012302'"), "1");

    // Written out in the register alone; a leaf taken and voided keeps its number and reason.
    C::issue(dat, book, "00012303", {"丙公司", 45000, {2026, 1, 9}, "押金"}, "op", false);
    EXPECT_EQ(C::take_next(dat, book, C::kTransferCheque, {"李四", {}, 0}, "op").serial,
              "00012304");
    C::void_leaf(dat, book, "00012304", "填写错误", "op");
    EXPECT_EQ(C::leaf(dat, book, "00012304").voidReason, "填写错误");
    EXPECT_EQ(C::take_next(dat, book, C::kTransferCheque, {"李四", {}, 0}, "op").serial,
              "00012305");
    EXPECT_FALSE(refusal([&] {
                     C::issue(dat, book, "00012304", {"丙", 100, {2026, 1, 9}, {}}, "op", false);
                 }).isEmpty());
    // Deleting the line of a cheque that stands in the journal comes first.
    EXPECT_TRUE(
        refusal([&] { C::void_leaf(dat, book, "00012302", "丢失", "op"); }).contains("删除"));

    // Posted and reversed, the cheque stays written out with the reversal noted; now it may go.
    L::post_month(dat, book, kStart);
    EXPECT_TRUE(
        refusal([&] { C::void_leaf(dat, book, "00012301", "丢失", "op"); }).contains("冲账"));
    L::reverse_line(dat, posted, "admin");
    const C::Leaf reversed = C::leaf(dat, book, "00012301");
    EXPECT_EQ(reversed.state, C::kIssued);
    EXPECT_TRUE(reversed.reversed);
    EXPECT_TRUE(refusal([&] { C::honour(dat, book, "00012301", "op"); }).contains("已冲账"));
    C::void_leaf(dat, book, "00012301", "收款人拒收，已冲账", "admin");

    // 兑付: the bank paid 00012302; paid, it keeps its amount and date and is paid once.
    C::honour(dat, book, "00012302", "op");
    EXPECT_EQ(C::leaf(dat, book, "00012302").state, C::kPaid);
    EXPECT_EQ(C::leaf(dat, book, "00012302").amount, 120000);
    EXPECT_FALSE(refusal([&] { C::honour(dat, book, "00012302", "op"); }).isEmpty());
    EXPECT_FALSE(refusal([&] { C::honour(dat, book, "00012310", "op"); }).isEmpty());  // blank

    EXPECT_EQ(C::leaves(dat, book, C::kIssued).size(), 1u);  // 00012303
    EXPECT_EQ(C::leaves(dat, book, C::kPaid).size(), 1u);
    EXPECT_EQ(C::leaves(dat, book, C::kVoided).size(), 2u);
    EXPECT_EQ(C::leaves(dat, book, C::kTaken).size(), 1u);
    EXPECT_EQ(C::leaves(dat, book, C::kBlank).size(), 20u);
    EXPECT_EQ(C::cheque_books(dat, book).front().blank, 20);
    EXPECT_EQ(rowsText(dat, "select ph from crereg where zbh=? and ph<>'' order by ph", {book}),
              "00012301,00012302");

    // The form: date and amount in capitals, figures one to a box behind the ¥ sign.
    const C::ChequeForm form = C::cheque_form(dat, book, "00012303");
    EXPECT_EQ(form.year + form.month + form.day, "贰零贰陆零壹零玖");
    EXPECT_EQ(form.amountInWords, "肆佰伍拾元整");
    EXPECT_EQ(QStringList(form.figures.begin(), form.figures.end()).join('|'), "|||||¥|4|5|0|0|0");
    EXPECT_EQ(form.account, "6222 0001");
    EXPECT_FALSE(refusal([&] { C::cheque_form(dat, book, "00012304"); }).isEmpty());

    // Each step was logged; the register as printed adds up what was written out and not
    // reversed, paid or not.
    std::map<QString, int> logged;
    qb::oplog::Filter ofBook;
    ofBook.bookId = book;
    for (const qb::oplog::Entry& e : qb::oplog::entries(dat, ofBook))
        ++logged[e.operation];
    EXPECT_EQ(logged[qb::oplog::kChequeBookAdded], 1);
    EXPECT_EQ(logged[qb::oplog::kChequeTaken], 3);
    EXPECT_EQ(logged[qb::oplog::kChequeIssued], 3);
    EXPECT_EQ(logged[qb::oplog::kChequeVoided], 2);
    EXPECT_EQ(logged[qb::oplog::kChequeHonoured], 1);
    const C::ChequeRegister r = C::cheque_register(dat, book);
    EXPECT_EQ(r.written, 165000);                    // 00012302 paid, 00012303 written out
    EXPECT_EQ(C::shown_state(r.leaves[5]), "空白");  // none skipped: 00012305 is the last used
    EXPECT_EQ(C::cheque_register(dat, book, C::kVoided).leaves.size(), 2u);
}

TEST(Cheques, BillsDueSoonAreListedByDueDate) {
    TempLedger ledger;
    Tdat& dat = ledger.dat;
    const QString book = L::add_book(dat, {"银行日记帐", "本部", {}, 0, kStart});
    C::Bill bill;
    bill.bookId = book;
    bill.kind = C::kBankAcceptance;
    bill.direction = C::kReceived;
    bill.amount = 5000000;
    bill.party = "丁公司";
    bill.issued = {2026, 2, 1};
    for (const auto& [number, due] : {std::pair{"310000000001", QDate(2026, 8, 1)},
                                      std::pair{"310000000002", QDate(2026, 5, 20)},
                                      std::pair{"310000000003", QDate(2026, 5, 1)}}) {
        bill.number = number;
        bill.due = due;
        C::add_bill(dat, bill, "op");
    }
    EXPECT_FALSE(refusal([&] { C::add_bill(dat, bill, "op"); }).isEmpty());  // twice
    std::vector<C::Bill> due = C::bills_due(dat, {2026, 5, 10}, 10);
    ASSERT_EQ(due.size(), 2u);
    EXPECT_EQ(due[0].number, "310000000003");
    EXPECT_EQ(due[0].bookName, "本部");
    C::settle_bill(dat, due[0].id, C::kPaid, "op");
    EXPECT_TRUE(refusal([&] {
                    C::settle_bill(dat, due[0].id, C::kReturned, "op");
                }).contains("已兑付，不能再改"));
    EXPECT_EQ(C::bills_due(dat, {2026, 5, 10}, 10).size(), 1u);
    EXPECT_EQ(C::bills(dat, book).size(), 3u);
    EXPECT_FALSE(refusal([&] { C::bill(dat, book, "999"); }).isEmpty());
    C::settle_bill(dat, C::bill(dat, book, " 310000000002 ").id, C::kReturned, "op");
    EXPECT_EQ(C::bill(dat, book, "310000000002").state, C::kReturned);
    for (const auto& [operation, count] : {std::pair{qb::oplog::kBillAdded, size_t(3)},
                                           std::pair{qb::oplog::kBillHonoured, size_t(1)},
                                           std::pair{qb::oplog::kBillReturned, size_t(1)}}) {
        qb::oplog::Filter filter;
        filter.operation = operation;
        EXPECT_EQ(qb::oplog::entries(dat, filter).size(), count) << operation.toStdString();
    }
}
