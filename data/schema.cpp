#include "schema.h"

#include <QFile>
#include <QFileInfo>

#include "errors.h"
#include "files.h"
#include "fr_dat.h"
#include "tables.h"
#include "users.h"

namespace qb {
namespace {

void requireAdminName(const QString& adminName) {
    if (adminName.trimmed().isEmpty()) throw DbError(QStringLiteral("管理员用户名不能为空"));
}

// The seven tables and the first administrator, in one transaction.
void buildLedger(engine::Connection& con, bool onServer, const QString& adminName,
                 const QString& adminHash) {
    con.execute(QStringLiteral("begin"));
    try {
        createTables(con, onServer);
        con.execute(QStringLiteral("insert into pruser(user,userpassword,userpopedom) "
                                   "values(?,?,?)"),
                    {adminName, adminHash, users::kAdministrator});
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

// The statement that creates a table today.
QString tableDefinition(const QString& table) {
    return schema::createStatements(schema::table(table), false).first();
}

// The engine keeps a table's statement with its keywords in capitals and spaces evened out.
bool sameDefinition(const QString& stored, const QString& current) {
    return !stored.simplified().compare(current.simplified(), Qt::CaseInsensitive);
}

}  // namespace

void createTables(engine::Connection& con, bool onServer) {
    for (const QString& statement : schema::ledgerStatements(onServer))
        con.execute(statement);
}

void createDatabase(const QString& path, const QString& adminName, const QString& adminPassword,
                    const NewLedger& options) {
    requireAdminName(adminName);
    if (const QString taken = files::whyTaken(path); !taken.isEmpty()) throw DbError(taken);
    const QString adminHash = users::password_hash(adminPassword);
    files::PrivateFile building(path, files::PrivateFile::Name::UniqueBeside);
    building.finish();
    buildLedger(*engine::openSqlCipher(building.path(), Tdat::keyFor(options.passphrase)), false,
                adminName, adminHash);
    if (options.fill) {
        Tdat dat;
        dat.open(building.path(), Tdat::Mode::NewFile, options.passphrase);
        options.fill(dat);
    }
    files::placeWithoutReplacing(building.path(), path);
    building.release();
}

void createServerLedger(const QString& connection, const QString& adminName,
                        const QString& adminPassword, const QString& serverPassword,
                        const std::function<void(Tdat&)>& fill) {
    requireAdminName(adminName);
    const auto con = engine::openPostgres(connection, serverPassword);
    for (const QString& table : schema::names(schema::Made::WithLedger))
        if (con->hasTable(table))
            throw DbError(QStringLiteral("服务器上的这个数据库已经有数据表 %1：新账本只能建在空的"
                                         "数据库里。")
                              .arg(table));
    buildLedger(*con, true, adminName, users::password_hash(adminPassword));
    if (!fill) return;
    Tdat dat;
    dat.openServer(connection, serverPassword);
    try {
        Transaction filling(dat);
        fill(dat);
        filling.commit();
    } catch (const DbError& e) {
        throw DbError(QStringLiteral("账本已经建好，但示例数据没有写进去：%1").arg(e.message()));
    }
}

void upgradeTables(engine::Connection& con) {
    const QString current = tableDefinition(QStringLiteral("pruser"));
    engine::Statement& stored = con.prepare(
        QStringLiteral("select sql from sqlite_master where type='table' and lower(name)=?"));
    stored.bind({QStringLiteral("pruser")});
    const QString definition = stored.step() ? stored.value(0).toString() : current;
    stored.reset();
    if (sameDefinition(definition, current)) return;
    // A check cannot be altered in place: the table is made anew, its rows and row ids kept.
    const QString rowId = con.rowIdColumn();
    con.execute(QStringLiteral("begin"));
    try {
        con.execute(QStringLiteral("alter table pruser rename to pruser_older"));
        con.execute(current);
        con.execute(QStringLiteral("insert into pruser(%1,\"user\",userpassword,userpopedom) "
                                   "select %1,\"user\",userpassword,userpopedom from pruser_older")
                        .arg(rowId));
        con.execute(QStringLiteral("drop table pruser_older"));
        con.execute(QStringLiteral("commit"));
    } catch (const DbError& e) {
        try {
            con.execute(QStringLiteral("rollback"));
        } catch (const DbError&) {
            // The engine has rolled back already.
        }
        throw DbError(
            QStringLiteral("无法更新数据库的用户表（口令要以散列值保存）：%1").arg(e.message()));
    }
}

QString missingTable(engine::Connection& con) {
    for (const QString& table : schema::names(schema::Made::WithLedger))
        if (!con.hasTable(table)) return table;
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
