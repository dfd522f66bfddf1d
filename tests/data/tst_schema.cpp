#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "errors.h"
#include "fr_dat.h"
#include "schema.h"
#include "templedger.h"

namespace {

QString openError(const QString& path) {
    Tdat dat;
    try {
        dat.open(path);
    } catch (const qb::DbError& e) {
        return e.message();
    }
    return {};
}

}  // namespace

TEST(Schema, NewDatabaseHasTablesAndAdministrator) {
    TempLedger t;
    EXPECT_TRUE(qb::isLedgerDatabase(t.path()));
    EXPECT_EQ(t.dat.scalar("select userpopedom from pruser where user=?", {"admin"}).toString(),
              "管理员");
    // Columns in their fixed order.
    t.dat.gycx.setSql("select * from crereg");
    t.dat.gycx.open();
    QStringList names;
    for (int i = 0; i < t.dat.gycx.fieldCount(); ++i)
        names << t.dat.gycx.fieldName(i);
    EXPECT_EQ(names.join(','), "dzrq,pzh,ph,zy,j_je,d_je,y_je,pzn,bxr,jbr,zbh");
}

TEST(Schema, CreateRefusesToOverwrite) {
    TempLedger t;
    t.dat.execute("insert into basicset(OftenSummary) values('keep me')");
    EXPECT_THROW(qb::createDatabase(t.path(), "x", "y"), qb::DbError);
    EXPECT_EQ(t.dat.scalar("select count(*) from basicset").toInt(), 1);
}

TEST(Schema, OpenFailuresAreClearAndCreateNothing) {
    QTemporaryDir tmp;
    const QString missing = Tdat::pathIn(tmp.path());
    EXPECT_TRUE(openError(missing).contains("找不到数据库文件"));
    EXPECT_FALSE(QFile::exists(missing));

    const QString junk = tmp.filePath("junk.mdb");
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    EXPECT_TRUE(openError(junk).contains("不是本系统的数据库"));
    EXPECT_FALSE(qb::isLedgerDatabase(junk));
}

TEST(Schema, WrongKeyIsRefused) {
    QTemporaryDir tmp;
    const QString path = tmp.filePath("other.mdb");
    {
        auto con = keyedFile(path, "another password");
        con->execute("create table t(x)");
    }
    EXPECT_TRUE(openError(path).contains("口令不符"));
    QString why;
    EXPECT_FALSE(qb::isLedgerDatabase(path, &why));
    EXPECT_FALSE(why.isEmpty());
}

TEST(Schema, SecondInstanceIsLockedOut) {
    TempLedger t;
    EXPECT_TRUE(openError(t.path()).contains("正被另一个"));
    t.dat.close();
    EXPECT_TRUE(openError(t.path()).isEmpty());
}

TEST(Schema, WidthsAndTypesAreEnforced) {
    TempLedger t;
    const QString insert =
        "insert into crereg(dzrq,pzh,ph,zy,j_je,d_je,y_je,zbh) values(?,?,?,?,?,?,?,?)";
    EXPECT_NO_THROW(
        t.dat.execute(insert, {"2024-05-01", 1, "", QString(50, u'字'), 1.0, 0.0, 1.0, "2024051"}));
    EXPECT_THROW(
        t.dat.execute(insert, {"2024-05-01", 1, "", QString(51, u'字'), 1.0, 0.0, 1.0, "2024051"}),
        qb::DbError);
    EXPECT_THROW(
        t.dat.execute(insert, {"2024-05-01", 1, QString(16, 'x'), "a", 1.0, 0.0, 1.0, "2024051"}),
        qb::DbError);
    EXPECT_THROW(t.dat.execute(insert, {"2024-05-01", 40000, "", "a", 1.0, 0.0, 1.0, "2024051"}),
                 qb::DbError);
    EXPECT_THROW(t.dat.execute(insert, {"2024-05-01", 1, "", "a", "abc", 0.0, 1.0, "2024051"}),
                 qb::DbError);
    EXPECT_THROW(t.dat.execute(insert, {"05/01/2024", 1, "", "a", 1.0, 0.0, 1.0, "2024051"}),
                 qb::DbError);
    EXPECT_THROW(t.dat.execute("insert into pruser(user) values(?)", {"   "}), qb::DbError);
    // Amounts are numbers in the table: text reaches it only through a query's fields, which
    // convert it first.
    EXPECT_THROW(t.dat.execute(insert, {"2024-05-02", 2, "", "b", "12.5", 0.0, 1.0, "2024051"}),
                 qb::DbError);
}
