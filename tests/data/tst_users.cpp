#include <gtest/gtest.h>

#include "errors.h"
#include "templedger.h"
#include "users.h"

using qb::users::check_login;
using qb::users::Login;

TEST(Users, LoginChecksTheSaltedHash) {
    TempLedger t;
    const QString hash = t.dat.scalar("select userpassword from pruser").toString();
    EXPECT_EQ(check_login(t.dat, "admin", "admin"), Login::Ok);
    EXPECT_EQ(check_login(t.dat, "admin", "Admin"), Login::WrongPassword);
    EXPECT_EQ(check_login(t.dat, "admin", hash), Login::WrongPassword);  // the hash is no password
    EXPECT_NE(qb::users::password_hash("admin"), qb::users::password_hash("admin"));
}
