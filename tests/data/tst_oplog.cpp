#include <QStringList>

#include "check.h"
#include "engines.h"
#include "errors.h"
#include "ledger.h"
#include "oplog.h"
#include "users.h"

using namespace qb;
using qb::money::Cents;

namespace {

QStringList operationsOf(const std::vector<oplog::Entry>& entries) {
    QStringList names;
    for (const oplog::Entry& e : entries)
        names << e.user + QLatin1Char(':') + e.operation;
    return names;
}

// A book with a day's work on it: a line added, edited, deleted and restored, the month
// posted, a line reversed; a login each of two users.
struct Day : TempLedger {
    bool nobody = (oplog::set_actor({}), true);  // the actor a test before left is not ours
    QString book = cashBook(QStringLiteral("本部"), 50000, QDate(2026, 11, 1));
    qint64 rent = 0;
    Day() {
        users::add_user(dat, QStringLiteral("王会计"), QStringLiteral("pw"), users::kOperator);
        EXPECT_EQ(users::check_login(dat, QStringLiteral("王会计"), QStringLiteral("no")),
                  users::Login::WrongPassword);
        EXPECT_EQ(users::check_login(dat, QStringLiteral("王会计"), QStringLiteral("pw")),
                  users::Login::Ok);
        oplog::set_actor({QStringLiteral("王会计"), users::kOperator});
        ledger::LineFields line;
        line.date = QDate(2026, 11, 5);
        line.voucher = 21;
        line.summary = QStringLiteral("购办公用品");
        line.credit = 6850;
        const qint64 pens = ledger::insert_line(dat, book, line);
        line.summary = QStringLiteral("房租 100% 'A_B'");
        line.voucher = 22;
        rent = ledger::insert_line(dat, book, line);
        ledger::edit_line(dat, pens, ledger::DJe, 70.5);
        ledger::delete_line(dat, pens);
        oplog::set_actor({QStringLiteral("admin"), users::kAdministrator});
        EXPECT_EQ(users::check_login(dat, QStringLiteral("admin"), QStringLiteral("admin")),
                  users::Login::Ok);
        const oplog::Entry deleted =
            oplog::entries(dat, {{}, {}, {}, oplog::kLineDeleted, book, {}}).front();
        ledger::restore_line(dat, deleted.id);
        ledger::post_month(dat, book, QDate(2026, 11, 1));
        ledger::reverse_line(dat, rent, QStringLiteral("admin"));
    }
};

}  // namespace

TEST(OperationLog, ADaysWorkIsReadBackAndItsChainsHold) {
    Day t;
    const std::vector<oplog::Entry> all = oplog::entries(t.dat);
    EXPECT_EQ(operationsOf(all).join(QLatin1Char(' ')),
              ":新建帐簿 :初始化帐簿 :添加用户 王会计:登录失败 王会计:登录 王会计:添加凭证 "
              "王会计:添加凭证 王会计:修改凭证 王会计:删除凭证 admin:登录 admin:恢复凭证 "
              "admin:过帐 admin:冲账");
    // The edit keeps its cell before and after in cents; the deletion the whole row; the
    // posting the month's figures; a user never a password.
    const auto find = [&](const QString& operation) {
        return oplog::entries(t.dat, {{}, {}, {}, operation, {}, {}}).front();
    };
    EXPECT_EQ(find(oplog::kLineEdited).before, R"({"d_je":6850})");
    EXPECT_EQ(find(oplog::kLineEdited).after, R"({"d_je":7050})");
    EXPECT_TRUE(find(oplog::kLineDeleted).before.contains(QStringLiteral("\"zy\":\"购办公用品\"")));
    EXPECT_TRUE(find(oplog::kPosted).after.contains(QStringLiteral("本月合计")));
    EXPECT_FALSE(find(oplog::kUserAdded).after.contains(QStringLiteral("argon")));
    EXPECT_EQ(find(oplog::kLineRestored).month, QStringLiteral("2026-11"));
    EXPECT_EQ(rowsText(t.dat, "select zy,d_je from crereg where zy like '购%'"), "购办公用品/70.5");
    // The same deletion does not come back twice, nor into a posted month.
    EXPECT_FALSE(
        refusal([&] { ledger::restore_line(t.dat, find(oplog::kLineDeleted).id); }).isEmpty());
    // Filters: a user, a book, odd text found as typed and not as a pattern.
    EXPECT_EQ(oplog::entries(t.dat, {{}, {}, QStringLiteral("王会计"), {}, {}, {}}).size(), 6u);
    EXPECT_EQ(oplog::entries(t.dat, {{}, {}, {}, {}, QString(""), {}}).size(), 4u);
    EXPECT_EQ(oplog::entries(t.dat, {{}, {}, {}, {}, {}, QStringLiteral("100% 'a_b'")}).size(),
              2u);  // the line added, and reversed
    EXPECT_TRUE(oplog::entries(t.dat, {{}, {}, {}, {}, {}, QStringLiteral("0%_")}).empty());
    EXPECT_TRUE(
        oplog::entries(t.dat, {QDate::currentDate().addDays(1), {}, {}, {}, {}, {}}).empty());
    EXPECT_TRUE(oplog::verify(t.dat).empty());
    for (const check::Problem& p : check::verify(t.dat))
        EXPECT_FALSE(p.fault) << p.text.toStdString();  // November waits to be posted again
}

TEST(OperationLog, AnEntryChangedRemovedOrMovedByHandBreaksItsChain) {
    const auto broken = [](const std::function<void(Day&)>& tamper) {
        Day t;
        tamper(t);
        const std::vector<oplog::Break> breaks = oplog::verify(t.dat);
        bool checked = false;
        for (const check::Problem& p : check::verify(t.dat))
            checked |= p.fault && p.text.startsWith(QStringLiteral("操作日志"));
        EXPECT_TRUE(checked);
        return breaks.size() == 1 ? breaks.front().seq : -1;
    };
    // The book's chain: 新建 1, 初始化 2, 添加 3 4, 修改 5, 删除 6, 恢复 7, 过帐 8, 冲账 9.
    EXPECT_EQ(broken([](Day& t) {
                  t.dat.execute("update czrz set qz=? where cz=?", {R"({"d_je":1})", "修改凭证"});
              }),
              5);
    EXPECT_EQ(broken([](Day& t) { t.dat.execute("delete from czrz where cz=?", {"删除凭证"}); }),
              7);
    EXPECT_EQ(broken([](Day& t) {
                  t.dat.execute(
                      "update czrz set xh=case xh when 3 then 4 else 3 end where zbid=? "
                      "and xh in (3,4)",
                      {t.book});
              }),
              3);
}

TEST(OperationLog, ALogThatCannotTakeTheEntryStopsTheChange) {
    TempLedger t;
    const QString book = t.cashBook(QStringLiteral("本部"), 0, QDate(2026, 11, 1));
    t.dat.execute("drop table czrz");
    t.dat.execute("create table czrz (zbid text)");
    ledger::LineFields line;
    line.date = QDate(2026, 11, 5);
    line.summary = QStringLiteral("收款");
    line.debit = 100;
    EXPECT_TRUE(refusal([&] {
                    ledger::insert_line(t.dat, book, line);
                }).startsWith(QStringLiteral("操作日志无法写入")));
    EXPECT_EQ(rowsText(t.dat, "select count(*) from crereg where zy=?", {"收款"}), "0");
}
