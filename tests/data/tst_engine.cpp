// What the data layer relies on from an engine, on the file and on the server alike.
#include <gtest/gtest.h>

#include "engines.h"
#include "errors.h"
#include "fr_dat.h"

namespace {

const QString kInsertLine = QStringLiteral(
    "insert into crereg(dzrq,pzh,ph,zy,j_je,d_je,y_je,pzn,bxr,jbr,zbh) "
    "values(?,?,?,?,?,?,?,?,?,?,?)");

QVariantList line(const QString& summary, const QVariant& debit = 1.0) {
    return {"2024-05-03", 1, "", summary, debit, 0.0, 1.0, 0, "", "admin", "2024051"};
}

}  // namespace

TEST_P(BothEngines, ValuesComeBackAsBoundWithTheirTypesAndOrigins) {
    qb::engine::Connection& con = dat().con();
    const QString summary = QStringLiteral("It's \"收\" 50% \\ ; -- ?");
    dat().execute(kInsertLine, {"2024-05-03", 7, "O'Neil", summary, 1234.56, 0.0, -0.01, QVariant(),
                                QString(), "张三", "2024051"});
    const qint64 id = con.lastInsertId();
    EXPECT_GT(id, 0);
    EXPECT_EQ(con.changes(), 1);

    qb::engine::Statement& s = con.prepare("select * from crereg where rowid=?");
    ASSERT_EQ(s.columnCount(), 11);  // the row identity stays out of "select *"
    QStringList names, types;
    for (int c = 0; c < s.columnCount(); ++c) {
        names << s.columnName(c);
        types << s.declaredType(c);
        EXPECT_EQ(s.originTable(c), "crereg");
        EXPECT_EQ(s.originColumn(c), s.columnName(c));
    }
    EXPECT_EQ(names.join(','), "dzrq,pzh,ph,zy,j_je,d_je,y_je,pzn,bxr,jbr,zbh");
    EXPECT_EQ(types.join(','),
              "date,smallint,text,text,double,double,double,smallint,text,text,text");
    s.bind({id});
    ASSERT_TRUE(s.step());
    EXPECT_EQ(s.value(0), QVariant(QStringLiteral("2024-05-03")));
    EXPECT_EQ(s.value(1), QVariant(qlonglong(7)));
    EXPECT_EQ(s.value(2), QVariant(QStringLiteral("O'Neil")));
    EXPECT_EQ(s.value(3), QVariant(summary));
    EXPECT_EQ(s.value(4), QVariant(1234.56));
    EXPECT_EQ(s.value(6), QVariant(-0.01));
    EXPECT_FALSE(s.value(7).isValid());                   // null
    EXPECT_EQ(s.value(8), QVariant(QStringLiteral("")));  // empty text stays text
    EXPECT_EQ(s.value(9), QVariant(QStringLiteral("张三")));
    EXPECT_FALSE(s.step());

    // Expressions have no origin and no declared type; an aggregate over nothing is null.
    qb::engine::Statement& sums =
        con.prepare("select count(*), sum(j_je), max(pzh) from crereg where zbh=?");
    EXPECT_TRUE(sums.originTable(0).isEmpty());
    EXPECT_TRUE(sums.declaredType(1).isEmpty());
    sums.bind({"nobody"});
    ASSERT_TRUE(sums.step());
    EXPECT_EQ(sums.value(0), QVariant(qlonglong(0)));
    EXPECT_FALSE(sums.value(1).isValid());
    EXPECT_FALSE(sums.value(2).isValid());
    sums.reset();

    // Texts repeated from row to row, and ones that differ only in length, read as stored.
    const QStringList texts{"甲", "甲", "甲乙", "甲", "", "", "乙"};
    for (const QString& text : texts)
        dat().execute(kInsertLine, {"2024-05-04", 1, text, text, 1.0, 0.0, 1.0, 0, "", "", "R"});
    qb::engine::Statement& repeated =
        con.prepare("select ph, zy from crereg where zbh=? order by rowid");
    repeated.bind({"R"});
    QStringList read;
    while (repeated.step())
        read << repeated.value(0).toString() + "|" + repeated.value(1).toString();
    EXPECT_EQ(read.join(','), "甲|甲,甲|甲,甲乙|甲乙,甲|甲,|,|,乙|乙");
    dat().execute("delete from crereg where zbh='R'");

    dat().execute("update crereg set ph=? where zbh=?", {"T-1", "2024051"});
    EXPECT_EQ(con.changes(), 1);
    EXPECT_TRUE(con.hasTable("CreReg"));
    EXPECT_FALSE(con.hasTable("sqlite_master"));
}

TEST_P(BothEngines, TextsSortByCodePointWhateverTheDatabaseLocale) {
    for (const char* summary : {"b", "阿", "B", "张", "a"})
        dat().execute(kInsertLine, line(QString::fromUtf8(summary)));
    qb::Query q(dat());
    q.setSql("select zy from crereg where zy>=? order by zy", {"B"});
    q.open();
    QStringList order;
    for (; !q.eof(); q.next())
        order << q.field(0).asString();
    EXPECT_EQ(order.join(','), "B,a,b,张,阿");
}

TEST_P(BothEngines, WhatDoesNotFitIsRefused) {
    EXPECT_NO_THROW(dat().execute(kInsertLine, line(QString(50, u'字'))));
    auto with = [](int column, const QVariant& value) {
        QVariantList values = line("a");
        values[column] = value;
        return values;
    };
    const std::pair<const char*, QVariantList> refused[] = {
        {"summary of 51", line(QString(51, u'字'))}, {"ticket of 16", with(2, QString(16, 'x'))},
        {"voucher beyond int16", with(1, 40000)},    {"amount as text", with(4, "12.5")},
        {"amount not a number", with(4, "abc")},     {"date not YYYY-MM-DD", with(0, "05/03/2024")},
    };
    for (const auto& [what, values] : refused)
        EXPECT_THROW(dat().execute(kInsertLine, values), qb::DbError) << what;
    EXPECT_THROW(dat().execute("insert into pruser(user) values(?)", {"   "}), qb::DbError);
    EXPECT_THROW(dat().execute("insert into nowhere(x) values(?)", {1}), qb::DbError);
    EXPECT_EQ(dat().scalar("select count(*) from crereg").toInt(), 1);
}

TEST_P(BothEngines, UnitsAndTheirNestedUnitsUndoWhatTheyHeld) {
    dat().execute(kInsertLine, line("kept"));
    {
        qb::Transaction outer(dat());
        dat().execute("delete from crereg");
        {
            qb::Transaction inner(dat());
            dat().execute("insert into basicset(OftenSummary) values('x')");
            inner.commit();
        }
    }  // the outer unit was not committed: everything is undone
    EXPECT_EQ(dat().scalar("select count(*) from crereg").toInt(), 1);
    EXPECT_EQ(dat().scalar("select count(*) from basicset").toInt(), 0);

    // A refused statement undoes its own unit only; the unit around it goes on and commits. A
    // select that cannot be made updatable (an alias) stays readable inside the unit.
    {
        qb::Transaction outer(dat());
        dat().execute(kInsertLine, line("outer"));
        try {
            qb::Transaction inner(dat());
            dat().execute(kInsertLine, line("inner"));
            dat().execute(kInsertLine, line(QString(60, 'x')));
            inner.commit();
        } catch (const qb::DbError&) {
        }
        qb::Query q(dat());
        q.setSql("select * from crereg c where c.zbh=? order by c.zy", {"2024051"});
        q.open();
        EXPECT_FALSE(q.updatable());
        EXPECT_EQ(q.recordCount(), 2);
        outer.commit();
    }
    EXPECT_EQ(dat().scalar("select count(*) from crereg").toInt(), 2);
    EXPECT_EQ(dat().scalar("select count(*) from crereg where zy='inner'").toInt(), 0);

    // A failure in the outermost unit leaves nothing of it.
    try {
        qb::Transaction work(dat());
        dat().execute("delete from crereg");
        dat().execute(kInsertLine, line(QString(60, 'x')));
        work.commit();
    } catch (const qb::DbError&) {
    }
    EXPECT_EQ(dat().scalar("select count(*) from crereg").toInt(), 2);

    // A table made in a unit that is undone is gone, and the engine says so, whether the unit
    // was a savepoint or the whole transaction.
    qb::engine::Connection& con = dat().con();
    for (const bool nested : {true, false}) {
        qb::Transaction outer(dat());
        {
            qb::Transaction unit(dat());
            dat().execute("create table made_here(a text)");
            EXPECT_TRUE(con.hasTable("made_here"));
            if (!nested) unit.commit();
        }
        if (nested) {
            EXPECT_FALSE(con.hasTable("made_here"));
            outer.commit();
        }
    }
    EXPECT_FALSE(con.hasTable("made_here"));
}

TEST_P(BothEngines, RowIdentityAddressesTheRowsOfAQuery) {
    for (const char* summary : {"a", "b", "c"})
        dat().execute(kInsertLine, line(summary));
    qb::Query q(dat());
    q.setSql("select * from CreReg where zbh=? order by rowid", {"2024051"});
    q.open();
    ASSERT_TRUE(q.updatable());
    EXPECT_EQ(q.fieldCount(), 11);
    q.setRecNo(2);
    q.edit();
    q.fieldByName("zy").setValue("b'");
    q.field(4).setValue("7.50");
    q.post();
    q.append();
    q.field(0).setValue(QDate(2024, 5, 9));
    q.field(3).setValue("d");
    q.field(10).setValue("2024051");
    q.post();
    const qint64 appended = q.rowId();
    q.first();
    q.remove();  // "a"

    QStringList rows;
    qint64 before = 0;
    q.open();
    for (q.first(); !q.eof(); q.next()) {
        rows << q.field(3).asString() + "/" + q.field(4).asString();
        EXPECT_GT(q.rowId(), before);
        before = q.rowId();
    }
    EXPECT_EQ(rows.join(','), "b'/7.5,c/1,d/");
    EXPECT_EQ(before, appended);
}

// A phrase typed into the summary window narrows the list as the file does: A to Z without regard
// to case, "%" and "_" wildcards, a backslash an ordinary character.
TEST_P(BothEngines, LikeMatchesAsTheFileDoes) {
    for (const char* phrase : {"Abc", "abD", "ÄBC", "a\\b", "a_b", "axb", "收货款"})
        dat().execute("insert into basicset(OftenSummary) values(?)", {QString::fromUtf8(phrase)});
    const auto matching = [&](const QString& typed) {
        return rowsText(dat(),
                        "select OftenSummary from basicset where " +
                            dat().con().like("OftenSummary", "? || '%'") + " order by rowid",
                        {typed});
    };
    EXPECT_EQ(matching("AB"), "Abc,abD");
    EXPECT_EQ(matching("a\\"), "a\\b");
    EXPECT_EQ(matching("a_"), "Abc,abD,a\\b,a_b,axb");
    EXPECT_EQ(matching("收"), "收货款");
}

INSTANTIATE_TEST_SUITE_P(Engines, BothEngines, ::testing::Values(Engine::File, Engine::Server),
                         engineName);
