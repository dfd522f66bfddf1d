#include "schema.h"

#include <QFile>
#include <QFileInfo>

#include "errors.h"
#include "files.h"
#include "fr_dat.h"
#include "schema_sql.h"

namespace qb {
namespace {

// A schema's statements, comments dropped.
QStringList schemaStatements(const char* schema) {
    QString text;
    for (const QString& line : QString::fromUtf8(schema).split(QLatin1Char('\n')))
        if (!line.trimmed().startsWith(QLatin1String("--"))) text += line + QLatin1Char('\n');
    QStringList statements;
    for (const QString& part : text.split(QLatin1Char(';')))
        if (!part.trimmed().isEmpty()) statements << part.trimmed();
    return statements;
}

void requireAdminName(const QString& adminName) {
    if (adminName.trimmed().isEmpty()) throw DbError(QStringLiteral("管理员用户名不能为空"));
}

// The seven tables and the first administrator, in one transaction.
void buildLedger(engine::Connection& con, const char* schema, const QString& adminName,
                 const QString& adminPassword) {
    con.execute(QStringLiteral("begin"));
    try {
        for (const QString& statement : schemaStatements(schema))
            con.execute(statement);
        con.execute(QStringLiteral("insert into pruser(user,userpassword,userpopedom) "
                                   "values(?,?,?)"),
                    {adminName, adminPassword, QStringLiteral("管理员")});
        con.execute(QStringLiteral("commit"));
    } catch (...) {
        try {
            con.execute(QStringLiteral("rollback"));
        } catch (const DbError&) {
            // The failure that brought us here is the one worth reporting.
        }
        throw;
    }
}

}  // namespace

void createDatabase(const QString& path, const QString& adminName, const QString& adminPassword,
                    const NewLedger& options) {
    requireAdminName(adminName);
    if (const QString taken = files::whyTaken(path); !taken.isEmpty()) throw DbError(taken);
    files::PrivateFile building(path, files::PrivateFile::Name::UniqueBeside);
    building.finish();
    buildLedger(*engine::openSqlCipher(building.path(), Tdat::keyFor(options.passphrase)),
                kSchemaSql, adminName, adminPassword);
    if (options.fill) {
        Tdat dat;
        dat.open(building.path(), Tdat::Mode::NewFile, options.passphrase);
        options.fill(dat);
    }
    files::placeWithoutReplacing(building.path(), path);
    building.release();
}

void createServerLedger(const QString& connection, const QString& adminName,
                        const QString& adminPassword) {
    requireAdminName(adminName);
    const auto con = engine::openPostgres(connection);
    for (const char* table : kTables)
        if (con->hasTable(QString::fromLatin1(table)))
            throw DbError(QStringLiteral("服务器上的这个数据库已经有数据表 %1：新账本只能建在空的"
                                         "数据库里。")
                              .arg(QString::fromLatin1(table)));
    buildLedger(*con, kServerSchemaSql, adminName, adminPassword);
}

QString missingTable(engine::Connection& con) {
    for (const char* table : kTables)
        if (!con.hasTable(QString::fromLatin1(table))) return QString::fromLatin1(table);
    return {};
}

bool isLedgerDatabase(const QString& path, QString* why, const QString& passphrase) {
    try {
        Tdat dat;
        dat.open(path, Tdat::Mode::ReadOnly, passphrase);
        return true;
    } catch (const DbError& e) {
        if (why) *why = e.message();
        return false;
    }
}

}  // namespace qb
