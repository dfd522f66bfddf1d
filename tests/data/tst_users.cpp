#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>

#include "engines.h"
#include "errors.h"
#include "fr_dat.h"
#include "users.h"

using qb::users::check_login;
using qb::users::Login;

namespace {

// A ledger as older versions made it: passwords in clear, in a column 16 characters wide.
struct OlderLedger : TempLedger {
    OlderLedger() {
        dat.execute("drop table pruser");
        dat.execute(
            "create table pruser (\"user\" text not null, userpassword text check "
            "(userpassword is null or length(userpassword) <= 16), userpopedom text)");
        dat.execute("insert into pruser values('admin','admin','管理员'),('bob',null,'普通用户')");
        dat.close();
    }
    QByteArray digest() const {
        QFile f(path());
        f.open(QIODevice::ReadOnly);
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }
    QString stored(const char* name) {
        return dat.scalar("select userpassword from pruser where user=?", {name}).toString();
    }
};

}  // namespace

TEST(Users, LoginChecksTheSaltedHash) {
    TempLedger t;
    const QString hash = t.dat.scalar("select userpassword from pruser").toString();
    EXPECT_EQ(check_login(t.dat, "admin", "admin"), Login::Ok);
    EXPECT_EQ(check_login(t.dat, "admin", "Admin"), Login::WrongPassword);
    EXPECT_EQ(check_login(t.dat, "admin", hash), Login::WrongPassword);  // the hash is no password
    EXPECT_NE(qb::users::password_hash("admin"), qb::users::password_hash("admin"));
}

TEST(Users, AnOlderLedgerIsRebuiltWhenOpenedForWritingAndHashesAtLogin) {
    QB_FILE_ONLY();
    OlderLedger t;
    t.dat.open(t.path());
    EXPECT_EQ(rowsText(t.dat, "select user,rowid from pruser order by rowid"), "admin/1,bob/2");
    EXPECT_EQ(check_login(t.dat, "admin", "wrong"), Login::WrongPassword);
    EXPECT_EQ(check_login(t.dat, "admin", "admin"), Login::Ok);
    EXPECT_EQ(check_login(t.dat, "bob", ""), Login::Ok);
    EXPECT_TRUE(t.stored("admin").startsWith("$argon2id$") && t.stored("bob").startsWith("$"));
    EXPECT_EQ(check_login(t.dat, "admin", "admin"), Login::Ok);
    EXPECT_THROW(t.dat.execute("insert into pruser(user) values(' ')"), qb::DbError);
    // Rebuilt once: opening it again changes nothing.
    t.dat.close();
    const QByteArray before = t.digest();
    t.dat.open(t.path());
    t.dat.close();
    EXPECT_EQ(t.digest(), before);
}

TEST(Users, ReadingAnOlderLedgerChangesNothingYetItsUsersLogIn) {
    QB_FILE_ONLY();
    OlderLedger t;
    const QByteArray before = t.digest();
    t.dat.open(t.path(), Tdat::Mode::ReadOnly);
    EXPECT_EQ(check_login(t.dat, "admin", "admin"), Login::Ok);
    EXPECT_EQ(t.stored("admin"), "admin");
    t.dat.close();
    EXPECT_EQ(t.digest(), before);
}

// Five wrong passwords in a row cost nothing more; after them each try waits 1, 2, 4 … up to 30
// seconds after the last failure, unchecked meanwhile. The count lives in the ledger, so another
// connection (a restart, another desk) sees it; a successful login clears it.
TEST(Users, WrongPasswordsInARowBrakeTheNextLoginAndAGoodOneClearsIt) {
    TempLedger t;
    for (int i = 0; i < qb::users::kFreeFailures; ++i)
        EXPECT_EQ(check_login(t.dat, "admin", "wrong"), Login::WrongPassword);
    EXPECT_EQ(qb::users::login_brake(t.dat, "admin").failures, qb::users::kFreeFailures);
    // Failures as if the last one were this second ago (the moment is kept to the second).
    const auto lastFailureAgo = [&t](int failures, int seconds) {
        t.dat.execute(
            "update dlsb set sbcs=?, sbsj=?",
            {failures,
             QDateTime::currentDateTimeUtc().addSecs(-seconds).toString(Qt::ISODate).left(19)});
        return qb::users::login_brake(t.dat, "admin").waitSeconds;
    };
    EXPECT_NEAR(lastFailureAgo(6, 0), 2, 1);
    EXPECT_NEAR(lastFailureAgo(8, 0), 8, 1);
    EXPECT_NEAR(lastFailureAgo(40, 0), 30, 1);  // an administrator is never locked out for good
    EXPECT_EQ(check_login(t.dat, "admin", "admin"), Login::Wait);
    EXPECT_EQ(lastFailureAgo(40, 31), 0);

    Tdat other;  // another desk, or the program started again
    if (t.database)
        other.openServer(t.database->connection());
    else
        other.open(t.path(), Tdat::Mode::ReadOnly);
    EXPECT_EQ(qb::users::login_brake(other, "admin").failures, 40);
    EXPECT_EQ(check_login(t.dat, "admin", "admin"), Login::Ok);
    EXPECT_EQ(qb::users::login_brake(other, "admin").failures, 0);
}
