// A ledger on a database server: reaching it, making it, and losing the server halfway.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "engine.h"
#include "engines.h"
#include "errors.h"
#include "fr_dat.h"
#include "ledger.h"
#include "schema.h"

namespace {

class Server : public ::testing::Test {
protected:
    void SetUp() override { QB_REQUIRE_TEST_SERVER(); }

    // Ends the session of the ledger's connection from outside, as a restarted server would.
    void endSession(qint64 pid) {
        auto admin = qb::engine::openPostgres(testserver::address());
        admin->execute("select pg_terminate_backend(?)", {pid});
        qb::engine::Statement& alive =
            admin->prepare("select count(*) from pg_stat_activity where pid=?");
        for (int tries = 0; tries < 100; ++tries) {
            alive.bind({pid});
            if (alive.step() && alive.value(0).toInt() == 0) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
};

}  // namespace

TEST(ServerAddress, WrongAddressesAreRefusedClearly) {
    for (const char* address :
         {"host=127.0.0.1 port=1 connect_timeout=3", "postgresql://[bad", "host=x nosuchoption=1"})
        EXPECT_TRUE(refusal([&] {
                        qb::engine::openPostgres(address);
                    }).startsWith("无法连接数据库服务器："))
            << address;
}

TEST_F(Server, ALedgerIsMadeWholeInAnEmptyDatabaseOnly) {
    testserver::Database database;
    Tdat dat;
    EXPECT_TRUE(refusal([&] {
                    dat.openServer(database.connection());
                }).contains("不是 Quillbook 数据库（没有数据表 accstar）"));
    auto con = qb::engine::openPostgres(database.connection());

    // A database holding one of the ledger's tables is refused untouched.
    con->execute("create table zhye (x text)");
    con->execute("insert into zhye values ('theirs')");
    EXPECT_TRUE(refusal([&] {
                    qb::createServerLedger(database.connection(), "admin", "pw");
                }).contains("已经有数据表 zhye"));
    EXPECT_FALSE(con->hasTable("accstar"));
    con->execute("drop table zhye");

    // A creation that fails at its last statements leaves no table behind.
    con->execute("create table crereg_book_month (x text)");
    EXPECT_FALSE(
        refusal([&] { qb::createServerLedger(database.connection(), "admin", "pw"); }).isEmpty());
    EXPECT_FALSE(con->hasTable("accstar"));
    con->execute("drop table crereg_book_month");

    qb::createServerLedger(database.connection(), "管理员", "pw");
    dat.openServer(database.connection());
    EXPECT_EQ(dat.scalar("select userpopedom from pruser where user=?", {"管理员"}).toString(),
              "管理员");
    EXPECT_TRUE(dat.path().isEmpty());
    EXPECT_TRUE(refusal([&] { dat.setPassphrase("secret"); }).contains("数据库服务器"));
    EXPECT_EQ(dat.fileOps(), nullptr);
}

TEST_F(Server, AServerLostMidStatementLeavesNothingHalfWritten) {
    TempLedger ledger(Engine::Server);
    Tdat& dat = ledger.dat;
    const qint64 pid = dat.scalar("select pg_backend_pid()").toLongLong();
    QString lost;
    {
        qb::Transaction work(dat);
        dat.execute("insert into basicset(OftenSummary) values(?)", {"half"});
        std::thread killer([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            endSession(pid);
        });
        lost = refusal([&] { dat.scalar("select pg_sleep(20)"); });
        killer.join();
        // A caller that carries on is refused, rather than writing outside the unit.
        EXPECT_TRUE(refusal([&] {
                        dat.execute("insert into basicset values('after')");
                    }).contains("没有保存"));
    }
    EXPECT_TRUE(lost.contains("连接中断")) << lost.toStdString();
    EXPECT_TRUE(lost.contains("都没有保存")) << lost.toStdString();
    // The next statement goes to a new session, and finds nothing of the unit.
    EXPECT_EQ(dat.scalar("select count(*) from basicset").toInt(), 0);
    EXPECT_NE(dat.scalar("select pg_backend_pid()").toLongLong(), pid);
}

// Between units a new session takes over unnoticed; inside a unit the unit is lost: nothing after
// the session's end runs, in a new session or otherwise, until the caller's unit ends.
TEST_F(Server, ASessionEndedBetweenStatementsIsReplacedOnlyOutsideAUnit) {
    TempLedger ledger(Engine::Server);
    Tdat& dat = ledger.dat;
    endSession(dat.scalar("select pg_backend_pid()").toLongLong());
    dat.execute("insert into basicset(OftenSummary) values(?)", {"after"});
    EXPECT_EQ(dat.scalar("select count(*) from basicset").toInt(), 1);

    {
        qb::Transaction work(dat);
        dat.execute("insert into basicset(OftenSummary) values('first half')");
        qb::Transaction inner(dat);
        endSession(dat.scalar("select pg_backend_pid()").toLongLong());
        EXPECT_TRUE(refusal([&] {
                        dat.execute("insert into basicset(OftenSummary) values('second half')");
                    }).contains("没有保存"));
        EXPECT_TRUE(refusal([&] { dat.scalar("select 1"); }).contains("没有保存"));
        EXPECT_FALSE(refusal([&] { inner.rollback(); }).isEmpty());
        EXPECT_FALSE(refusal([&] { work.commit(); }).isEmpty());
    }
    EXPECT_EQ(dat.scalar("select count(*) from basicset").toInt(), 1);
    EXPECT_FALSE(dat.inTransaction());
    EXPECT_FALSE(refusal([&] { dat.execute("commit"); }).isEmpty());
}

// Unlike the file, the server gives up a whole unit at its first failed statement; a caller that
// carries on is told so, and the commit says that nothing was kept.
TEST_F(Server, ACommitAfterAFailedStatementSaysTheUnitWasUndone) {
    TempLedger ledger(Engine::Server);
    Tdat& dat = ledger.dat;
    {
        qb::Transaction work(dat);
        dat.execute("insert into basicset(OftenSummary) values('one')");
        EXPECT_THROW(dat.execute("insert into basicset values(?)", {QString(51, 'x')}),
                     qb::DbError);
        EXPECT_TRUE(refusal([&] {
                        dat.execute("insert into basicset values('two')");
                    }).contains("前面的语句已经出错"));
        EXPECT_TRUE(refusal([&] { work.commit(); }).contains("已经撤销"));
    }
    EXPECT_EQ(dat.scalar("select count(*) from basicset").toInt(), 0);
}

// Two cashiers on one book take turns: while one operation holds the book, another on the same
// book waits, and one that waits too long is refused whole; another book is not held.
TEST_F(Server, OperationsOnOneBookTakeTurnsAndAWaitTooLongSavesNothing) {
    namespace L = qb::ledger;
    TempLedger first(Engine::Server);
    const QDate may(2024, 5, 6);
    const QStringList ids{first.cashBook("甲", 0, may), first.cashBook("乙", 0, may)};
    Tdat second;
    second.openServer(first.database->connection() + " options='-c lock_timeout=300'");
    {
        qb::Transaction holding(first.dat);
        EXPECT_EQ(L::add_line(first.dat, ids[0], may, "first").voucher, 1);
        const QString refused = refusal([&] { L::add_line(second, ids[0], may, "second"); });
        EXPECT_TRUE(refused.contains("没有保存任何改动")) << refused.toStdString();
        EXPECT_EQ(L::add_line(second, ids[1], may, "second").voucher, 1);
        holding.commit();
    }
    // Once the first is done, the second works from what it left.
    EXPECT_EQ(L::add_line(second, ids[0], may, "second").voucher, 2);
    EXPECT_EQ(second.scalar("select count(*) from crereg where jbr='second'").toInt(), 2);
    try {
        qb::Transaction holding(first.dat);
        L::post_month(first.dat, ids[0], may);
        L::add_line(second, ids[0], may, "late");
        ADD_FAILURE() << "waited through a held lock";
    } catch (const qb::ConflictError&) {
    }
    // Posted meanwhile: the month takes no more lines.
    L::post_month(first.dat, ids[0], may);
    EXPECT_TRUE(refusal([&] { L::add_line(second, ids[0], may, "late"); }).contains("禁止添加"));
}

// Printing and the balance table stage rows per connection: two cashiers never see each other's,
// and a session the server replaced stages afresh.
TEST_F(Server, EachConnectionStagesItsOwnRows) {
    TempLedger first(Engine::Server);
    Tdat second;
    second.openServer(first.database->connection());
    const QString stage = "insert into zhye(zblb,zbmc,zh,ye) values(?,?,'','0.00')";
    first.dat.execute(stage, {"现金日记帐", "甲"});
    second.execute(stage, {"银行卡", "乙"});
    second.execute("insert into tmp_pr(zy) values('乙')");
    EXPECT_EQ(rowsText(first.dat, "select zbmc from zhye"), "甲");
    EXPECT_EQ(rowsText(second, "select zbmc from zhye"), "乙");
    EXPECT_EQ(rowsText(first.dat, "select zy from tmp_pr"), "");
    endSession(second.scalar("select pg_backend_pid()").toLongLong());
    EXPECT_EQ(rowsText(second, "select * from tmp_pr"), "");
    second.execute("insert into tmp_pr(zy) values('again')");
    EXPECT_EQ(rowsText(second, "select sn,zy from tmp_pr"), "1/again");
}
