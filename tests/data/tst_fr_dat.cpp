#include <gtest/gtest.h>

#include "errors.h"
#include "fr_dat.h"
#include "templedger.h"

namespace {

struct Month : TempLedger {
    Month() {
        line("B1", "2024-05-01", 0, "月结转余额", 0, 0, 500);
        line("B1", "2024-05-03", 1, "收货款", 100, 0, 600);
        line("B1", "2024-05-04", 2, "付电费", 0, 80, 520);
        line("B2", "2024-05-04", 1, "other book", 1, 0, 1);
    }
    qb::Query& open(const QString& book = "B1") {
        q.setSql("select * from crereg where zbh=? and dzrq between ? and ? order by dzrq,pzh,zy",
                 {book, "2024-05-01", "2024-05-31"});
        q.open();
        return q;
    }
    qb::Query q{dat};
};

}  // namespace

TEST(Query, NavigatesLikeADataset) {
    Month m;
    qb::Query& q = m.open();
    EXPECT_EQ(q.recordCount(), 3);
    EXPECT_EQ(q.recNo(), 1);
    EXPECT_EQ(q.field(3).asString(), "月结转余额");
    EXPECT_EQ(q.fieldByName("ZY").asString(), "月结转余额");  // names without regard to case
    int seen = 0;
    for (q.first(); !q.eof(); q.next())
        ++seen;
    EXPECT_EQ(seen, 3);
    EXPECT_EQ(q.recNo(), 3);
    q.setRecNo(2);
    EXPECT_EQ(q.field(4).asCents(), 10000);
    EXPECT_EQ(q.field(0).asDate(), QDate(2024, 5, 3));
    q.prior();
    q.prior();
    EXPECT_TRUE(q.bof());
    EXPECT_EQ(q.recNo(), 1);

    m.q.setSql("select * from crereg where zbh=?", {"nobody"});
    m.q.open();
    EXPECT_TRUE(m.q.isEmpty());
    EXPECT_TRUE(m.q.eof());
    EXPECT_EQ(m.q.recNo(), 0);
    EXPECT_TRUE(m.q.field(2).asString().isEmpty());
}

TEST(Query, NullReadsAsEmptyOrZero) {
    Month m;
    m.dat.execute("insert into crereg(dzrq,zbh) values('2024-05-09','B1')");
    qb::Query& q = m.open();
    q.last();
    EXPECT_TRUE(q.field(4).isNull());
    EXPECT_EQ(q.field(4).asFloat(), 0.0);
    EXPECT_EQ(q.field(1).asInt(), 0);
    EXPECT_EQ(q.field(2).asString(), "");
    EXPECT_FALSE(q.field(2).value().isValid());
}

TEST(Query, EditPostAppendAndRemoveWriteThrough) {
    Month m;
    qb::Query& q = m.open();
    int posts = 0;
    q.afterPost = [&](qb::Query&) { ++posts; };
    q.setRecNo(2);
    q.edit();
    q.field(3).setValue("It's 100% \\ done");
    q.field(4).setValue("150");  // text converted to the column's type
    q.post();
    EXPECT_EQ(posts, 1);
    EXPECT_EQ(q.field(4).value().typeId(), QMetaType::Double);
    q.edit();
    EXPECT_THROW(q.field(4).setValue("12x"), qb::DbError);
    q.cancel();
    EXPECT_EQ(m.dat.scalar("select j_je from crereg where zy=?", {"It's 100% \\ done"}).toDouble(),
              150.0);

    q.append();
    q.field(0).setValue(QDate(2024, 5, 2));
    q.field(1).setValue(3);
    q.field(3).setValue("新行");
    q.field(10).setValue("B1");
    q.post();
    EXPECT_EQ(posts, 2);
    EXPECT_EQ(q.recordCount(), 4);
    EXPECT_EQ(q.recNo(), 4);  // stays at the end until the query is read again
    EXPECT_EQ(q.field(0).asString(), "2024-05-02");
    EXPECT_TRUE(q.field(4).isNull());  // not set, so the table's null
    const qb::Query::Bookmark mark = q.bookmark();

    q.first();
    q.gotoBookmark(mark);
    EXPECT_EQ(q.field(3).asString(), "新行");
    q.remove();
    EXPECT_EQ(q.recordCount(), 3);
    EXPECT_EQ(m.dat.scalar("select count(*) from crereg where zbh='B1'").toInt(), 3);

    // A row inserted before the second goes between its neighbours, and removing it closes up.
    q.setRecNo(2);
    q.insert();
    q.field(3).setValue("插入");
    q.field(10).setValue("B1");
    q.post();
    QStringList order;
    for (q.first(); !q.eof(); q.next())
        order << q.field(3).asString();
    EXPECT_EQ(order, QStringList({"月结转余额", "插入", "It's 100% \\ done", "付电费"}));
    q.setRecNo(2);
    q.remove();
    EXPECT_EQ(q.field(3).asString(), "It's 100% \\ done");
    EXPECT_EQ(q.field(4).asCents(), 15000);
    q.last();
    EXPECT_EQ(q.field(3).asString(), "付电费");

    // Cancel leaves the table as it was.
    q.first();
    q.edit();
    q.field(3).setValue("never stored");
    q.cancel();
    EXPECT_EQ(q.field(3).asString(), "月结转余额");
    EXPECT_EQ(m.dat.scalar("select count(*) from crereg where zy='never stored'").toInt(), 0);
}

// A query kept across its ledger's reopening (the shared look-ups) reads the new ledger's
// columns, though its text is the same: here a file whose journal has one column more.
TEST(Query, KeptAcrossAReopeningReadsTheNewLedgersColumns) {
    if (testEngine() == Engine::Server) GTEST_SKIP() << "the file run covers it";
    TempLedger first(Engine::File), second(Engine::File);
    first.line("B1", "2024-05-03", 1, "第一本", 1, 0, 1);
    second.line("B1", "2024-05-03", 1, "第二本", 2, 0, 2);
    second.dat.execute("alter table crereg add column extra text");
    second.dat.execute("update crereg set extra='x'");
    second.dat.close();
    qb::Query q(first.dat);
    q.setSql("select * from crereg where zbh=?", {"B1"});
    q.open();
    EXPECT_EQ(q.fieldIndex("extra"), -1);
    first.dat.open(second.path());
    q.open();
    EXPECT_EQ(q.field(3).asString(), "第二本");
    ASSERT_EQ(q.fieldIndex("extra"), 11);
    EXPECT_EQ(q.field(11).asString(), "x");
    q.edit();
    q.field(3).setValue("改过");
    q.post();
    EXPECT_EQ(first.dat.scalar("select zy from crereg where zbh='B1'").toString(), "改过");
}

TEST(Query, MovingAwayPostsAPendingEdit) {
    Month m;
    qb::Query& q = m.open();
    q.setRecNo(3);
    q.edit();
    q.field(2).setValue("T-9");
    q.first();
    EXPECT_EQ(m.dat.scalar("select ph from crereg where pzh=2 and zbh='B1'").toString(), "T-9");
}

TEST(Query, AliasedColumnsWriteToTheirColumns) {
    TempLedger t;
    qb::Query q(t.dat);
    q.setSql("select user as 用户名,userpassword as 口令,userpopedom as 身份 from pruser");
    q.open();
    ASSERT_TRUE(q.updatable());
    q.append();
    q.fieldByName("用户名").setValue("O'Brien");
    q.fieldByName("口令").setValue("pw");
    q.fieldByName("身份").setValue("操作员");
    q.post();
    EXPECT_EQ(t.dat.scalar("select userpopedom from pruser where user=?", {"O'Brien"}).toString(),
              "操作员");
}

TEST(Query, AggregatesAreReadOnly) {
    Month m;
    m.q.setSql("select max(pzh) from crereg where zbh=?", {"B1"});
    m.q.open();
    EXPECT_FALSE(m.q.updatable());
    EXPECT_EQ(m.q.field(0).asInt(), 2);
    EXPECT_THROW(m.q.edit(), qb::DbError);
    m.q.setSql("select distinct(zbh) from crereg");
    m.q.open();
    EXPECT_FALSE(m.q.updatable());
    EXPECT_EQ(m.q.recordCount(), 2);
}

TEST(Query, LocalFilterNarrowsWithoutReading) {
    Month m;
    qb::Query& q = m.open();
    q.setFilter([](const qb::Query& query, int row) {
        return query.valueAt(row, 3).toString().startsWith("付");
    });
    EXPECT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q.field(3).asString(), "付电费");
    q.setFilter(nullptr);
    EXPECT_EQ(q.recordCount(), 3);
}

TEST(Query, AmountsAreWholeCents) {
    Month m;
    qb::Query& q = m.open();
    q.setRecNo(2);
    q.edit();
    EXPECT_THROW(q.field(4).setValue("1.005"), qb::DbError);  // typed: at most two decimals
    q.field(4).setValue(" 1,234.5 ");
    q.field(5).setValue(0.1 + 0.2);  // computed: rounded to the cent
    q.field(6).setValue(1234.567);
    q.post();
    EXPECT_EQ(rowsText(m.dat, "select j_je,d_je,y_je from crereg where zy='收货款'"),
              "1234.5/0.3/1234.57");
}

TEST(Query, WildcardsAndQuotesAreOrdinaryText) {
    TempLedger t;
    for (const char* s : {"50% off", "5000 off", "a_b", "axb", "O'Neil"})
        t.dat.execute("insert into basicset(OftenSummary) values(?)", {QString::fromUtf8(s)});
    EXPECT_EQ(
        t.dat.scalar("select count(*) from basicset where OftenSummary=?", {"50% off"}).toInt(), 1);
    EXPECT_EQ(
        t.dat.scalar("select count(*) from basicset where OftenSummary=?", {"O'Neil"}).toInt(), 1);
}

TEST(Transaction, RollsBackUnlessCommittedAndNests) {
    Month m;
    {
        qb::Transaction outer(m.dat);
        m.dat.execute("delete from crereg");
        {
            qb::Transaction inner(m.dat);
            m.dat.execute("insert into basicset values('x')");
            inner.commit();
        }
    }  // outer not committed: everything undone
    EXPECT_EQ(m.dat.scalar("select count(*) from crereg").toInt(), 4);
    EXPECT_EQ(m.dat.scalar("select count(*) from basicset").toInt(), 0);

    try {
        qb::Transaction work(m.dat);
        m.dat.execute("delete from crereg where zbh='B2'");
        m.dat.execute("insert into crereg(zy) values(?)", {QString(60, 'x')});  // refused
        work.commit();
    } catch (const qb::DbError&) {
    }
    EXPECT_EQ(m.dat.scalar("select count(*) from crereg where zbh='B2'").toInt(), 1);

    {
        qb::Transaction work(m.dat);
        m.dat.execute("delete from crereg where zbh='B2'");
        work.commit();
    }
    EXPECT_EQ(m.dat.scalar("select count(*) from crereg where zbh='B2'").toInt(), 0);
}
