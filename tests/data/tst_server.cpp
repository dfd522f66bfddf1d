// A ledger on a database server: reaching it, making it, and losing the server halfway.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "engine.h"
#include "engines.h"
#include "errors.h"
#include "fr_dat.h"
#include "schema.h"

namespace {

QString failure(const std::function<void()>& work) {
    try {
        work();
    } catch (const qb::DbError& e) {
        return e.message();
    }
    return {};
}

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
        EXPECT_TRUE(failure([&] {
                        qb::engine::openPostgres(address);
                    }).startsWith("无法连接数据库服务器："))
            << address;
}

TEST_F(Server, ALedgerIsMadeWholeInAnEmptyDatabaseOnly) {
    testserver::Database database;
    Tdat dat;
    EXPECT_TRUE(failure([&] {
                    dat.openServer(database.connection());
                }).contains("不是 Quillbook 数据库（没有数据表 accstar）"));
    auto con = qb::engine::openPostgres(database.connection());

    // A database holding one of the ledger's tables is refused untouched.
    con->execute("create table zhye (x text)");
    con->execute("insert into zhye values ('theirs')");
    EXPECT_TRUE(failure([&] {
                    qb::createServerLedger(database.connection(), "admin", "pw");
                }).contains("已经有数据表 zhye"));
    EXPECT_FALSE(con->hasTable("accstar"));
    con->execute("drop table zhye");

    // A creation that fails at its last statements leaves no table behind.
    con->execute("create table crereg_book_month (x text)");
    EXPECT_FALSE(
        failure([&] { qb::createServerLedger(database.connection(), "admin", "pw"); }).isEmpty());
    EXPECT_FALSE(con->hasTable("accstar"));
    con->execute("drop table crereg_book_month");

    qb::createServerLedger(database.connection(), "管理员", "pw");
    dat.openServer(database.connection());
    EXPECT_EQ(dat.scalar("select userpopedom from pruser where user=?", {"管理员"}).toString(),
              "管理员");
    EXPECT_TRUE(dat.path().isEmpty());
    EXPECT_TRUE(failure([&] { dat.setPassphrase("secret"); }).contains("数据库服务器"));
    EXPECT_TRUE(
        failure([&] { dat.con().readFile([](const char*, qint64) {}); }).contains("pg_dump"));
}

TEST_F(Server, AServerLostMidStatementLeavesNothingHalfWritten) {
    EngineLedger ledger(Engine::Server);
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
        lost = failure([&] { dat.scalar("select pg_sleep(20)"); });
        killer.join();
        // A caller that carries on is refused, rather than writing outside the unit.
        EXPECT_TRUE(failure([&] {
                        dat.execute("insert into basicset values('after')");
                    }).contains("没有保存"));
    }
    EXPECT_TRUE(lost.contains("连接中断")) << lost.toStdString();
    EXPECT_TRUE(lost.contains("都没有保存")) << lost.toStdString();
    // The next statement goes to a new session, and finds nothing of the unit.
    EXPECT_EQ(dat.scalar("select count(*) from basicset").toInt(), 0);
    EXPECT_NE(dat.scalar("select pg_backend_pid()").toLongLong(), pid);
}

TEST_F(Server, ASessionEndedBetweenStatementsIsReplacedUnnoticed) {
    EngineLedger ledger(Engine::Server);
    Tdat& dat = ledger.dat;
    endSession(dat.scalar("select pg_backend_pid()").toLongLong());
    dat.execute("insert into basicset(OftenSummary) values(?)", {"after"});
    EXPECT_EQ(dat.scalar("select count(*) from basicset").toInt(), 1);
}

// Unlike the file, the server gives up a whole unit at its first failed statement; a caller that
// carries on is told so, and the commit says that nothing was kept.
TEST_F(Server, ACommitAfterAFailedStatementSaysTheUnitWasUndone) {
    EngineLedger ledger(Engine::Server);
    Tdat& dat = ledger.dat;
    {
        qb::Transaction work(dat);
        dat.execute("insert into basicset(OftenSummary) values('one')");
        EXPECT_THROW(dat.execute("insert into basicset values(?)", {QString(51, 'x')}),
                     qb::DbError);
        EXPECT_TRUE(failure([&] {
                        dat.execute("insert into basicset values('two')");
                    }).contains("前面的语句已经出错"));
        EXPECT_TRUE(failure([&] { work.commit(); }).contains("已经撤销"));
    }
    EXPECT_EQ(dat.scalar("select count(*) from basicset").toInt(), 0);
}
