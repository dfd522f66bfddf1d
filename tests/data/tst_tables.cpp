// The one declaration of the tables makes on both engines exactly the tables that the schema files
// of earlier versions made (kept as fixtures): same columns, types, widths, checks and indexes.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

#include "engine.h"
#include "engines.h"
#include "tables.h"

namespace {

using qb::engine::Connection;
namespace schema = qb::schema;

// A fixture's statements, comments dropped.
QStringList fixture(const char* name) {
    QFile file(QString::fromUtf8(QB_SCHEMA_FIXTURES) + QLatin1Char('/') + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    QString text;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')))
        if (!line.trimmed().startsWith(QLatin1String("--"))) text += line + QLatin1Char('\n');
    QStringList statements;
    for (const QString& part : text.split(QLatin1Char(';')))
        if (!part.trimmed().isEmpty()) statements << part.trimmed();
    return statements;
}

// Every table the declaration knows, as the program makes it: the ledger's, then those made on
// first use.
QStringList declared(bool onServer) {
    QStringList statements = schema::ledgerStatements(onServer);
    for (const QString& name : schema::names(schema::Made::OnFirstUse))
        statements << schema::createStatements(schema::table(name), onServer);
    return statements;
}

QStringList rows(Connection& con, const QString& sql) {
    qb::engine::Statement& s = con.prepare(sql);
    s.bind({});
    QStringList out;
    while (s.step()) {
        QStringList values;
        for (int c = 0; c < s.columnCount(); ++c)
            values << s.value(c).toString();
        out << values.join('|');
    }
    s.reset();
    return out;
}

// What the file knows of its tables: each one's columns (name, type, not null, default, key) and
// the statement it keeps for every table and index. The statements of the ledger's tables must be
// the same but for spacing: a writer rebuilds a users table whose statement differs. The
// reconciliation's were written on one line, with other spaces around their parentheses.
QStringList fileSchema(Connection& con) {
    QStringList out;
    for (const QString& object :
         rows(con, "select type,name,tbl_name,sql from sqlite_master order by type,name")) {
        QStringList parts = object.split('|');
        const bool ledger = schema::names(schema::Made::WithLedger).contains(parts[2]);
        parts[3] = parts[3].simplified().toLower();
        if (!ledger) parts[3].replace("( ", "(").replace(" )", ")");
        out << parts.join('|');
        if (parts[0] == "table")
            out << rows(con, QStringLiteral("pragma table_info(%1)").arg(parts[1]));
    }
    return out;
}

std::unique_ptr<Connection> fileWith(const QString& path, const QStringList& statements) {
    auto con = keyedFile(path, Tdat::kPassword);
    for (const QString& statement : statements)
        con->execute(statement);
    return con;
}

// What a server knows of its tables: every column as information_schema describes it, every
// constraint (checks, keys, the date domain's) and every index.
QStringList serverSchema(Connection& con) {
    QStringList out = rows(
        con,
        "select table_name, ordinal_position, column_name, data_type, character_maximum_length, "
        "numeric_precision, is_nullable, column_default, is_identity, identity_generation, "
        "is_generated, generation_expression, domain_name, collation_name "
        "from information_schema.columns where table_schema = current_schema() "
        "order by table_name, ordinal_position");
    out << rows(con,
                "select coalesce(cl.relname, ''), co.conname, pg_get_constraintdef(co.oid) "
                "from pg_constraint co join pg_namespace n on n.oid = co.connamespace "
                "left join pg_class cl on cl.oid = co.conrelid "
                "where n.nspname = current_schema() order by 1, 2");
    out << rows(con,
                "select indexname, indexdef from pg_indexes where schemaname = current_schema() "
                "order by indexname");
    return out;
}

}  // namespace

TEST(Tables, TheFileGetsTheTablesOfEarlierVersions) {
    QTemporaryDir tmp;
    auto before =
        fileWith(tmp.filePath("before.mdb"), fixture("schema.sql") + fixture("bankrec.sql") +
                                                 fixture("oplog.sql") + fixture("login.sql") +
                                                 fixture("cheques.sql") + fixture("cashlimit.sql"));
    auto now = fileWith(tmp.filePath("now.mdb"), declared(false));
    const QStringList expected = fileSchema(*before);
    EXPECT_EQ(expected.filter(QRegularExpression("^table\\|")).size(), schema::names().size() + 1)
        << "every table declared, and the file's own sequence table";
    EXPECT_EQ(fileSchema(*now).join('\n').toStdString(), expected.join('\n').toStdString());
}

TEST(Tables, AServerGetsTheTablesOfEarlierVersions) {
    QB_REQUIRE_TEST_SERVER();
    testserver::Database beforeDb, nowDb;
    auto before = qb::engine::openPostgres(beforeDb.connection());
    for (const QString& statement : fixture("schema_pg.sql") + fixture("bankrec_pg.sql") +
                                        fixture("oplog_pg.sql") + fixture("login_pg.sql") +
                                        fixture("cheques_pg.sql") + fixture("cashlimit_pg.sql"))
        before->execute(statement);
    auto now = qb::engine::openPostgres(nowDb.connection());
    for (const QString& statement : declared(true))
        now->execute(statement);
    const QStringList expected = serverSchema(*before);
    for (const QString& table : schema::names())
        EXPECT_TRUE(now->hasTable(table)) << table.toStdString();
    EXPECT_EQ(serverSchema(*now).join('\n').toStdString(), expected.join('\n').toStdString());
}

// On a server the tables a version adds are made by the ledger's owner, in the upgrade step or at
// the owner's first use; another login meeting one not made yet is told so, and once made it can
// use it through the rights the owner gives by default.
TEST(Tables, OnAServerTheOwnerMakesTheTablesAVersionAdds) {
    QB_REQUIRE_TEST_SERVER();
    TempLedger owner(Engine::Server);
    owner.dat.execute(
        "do $$ begin create role quillbook_cashier login; exception when duplicate_object then "
        "null; end $$");
    for (const char* grant : {"grant all on all tables in schema public to quillbook_cashier",
                              "grant all on all sequences in schema public to quillbook_cashier",
                              "alter default privileges in schema public grant all on tables to "
                              "quillbook_cashier",
                              "alter default privileges in schema public grant all on sequences "
                              "to quillbook_cashier",
                              "grant create on schema public to quillbook_cashier"})
        owner.dat.execute(grant);
    Tdat cashier;
    cashier.openServer(owner.database->connection() + " user=quillbook_cashier");
    const auto firstUse = [&cashier] {
        qb::Transaction t(cashier);
        schema::ensureTable(cashier, "yhgs");
        cashier.execute("insert into yhgs(zbh,lm) values('1','0=日期')");
        t.commit();
    };
    // Even with the right to make tables, another login does not make them.
    EXPECT_TRUE(refusal(firstUse).contains("upgrade")) << refusal(firstUse).toStdString();
    EXPECT_FALSE(schema::present(owner.dat, "yhgs"));

    EXPECT_EQ(schema::makeMissingTables(owner.dat), schema::names(schema::Made::OnFirstUse));
    EXPECT_EQ(schema::makeMissingTables(owner.dat), QStringList());
    EXPECT_EQ(refusal(firstUse), "");
    EXPECT_EQ(rowsText(owner.dat, "select zbh,lm from yhgs"), "1/0=日期");
}
