#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>

#include "errors.h"
#include "templedger.h"
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
    OlderLedger t;
    t.dat.open(t.path());
    EXPECT_EQ(t.dat.scalar("select group_concat(user||rowid) from pruser").toString(),
              "admin1,bob2");
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
    OlderLedger t;
    const QByteArray before = t.digest();
    t.dat.open(t.path(), Tdat::Mode::ReadOnly);
    EXPECT_EQ(check_login(t.dat, "admin", "admin"), Login::Ok);
    EXPECT_EQ(t.stored("admin"), "admin");
    t.dat.close();
    EXPECT_EQ(t.digest(), before);
}
