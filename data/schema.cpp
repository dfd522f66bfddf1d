#include "schema.h"

#include <QFile>
#include <QFileInfo>

#include "errors.h"
#include "files.h"
#include "fr_dat.h"
#include "schema_sql.h"
#include "users.h"

namespace qb {
namespace {

// The schema's statements, comments dropped.
QStringList schemaStatements() {
    QString text;
    for (const QString& line : QString::fromUtf8(kSchemaSql).split(QLatin1Char('\n')))
        if (!line.trimmed().startsWith(QLatin1String("--"))) text += line + QLatin1Char('\n');
    QStringList statements;
    for (const QString& part : text.split(QLatin1Char(';')))
        if (!part.trimmed().isEmpty()) statements << part.trimmed();
    return statements;
}

}  // namespace

void createDatabase(const QString& path, const QString& adminName, const QString& adminPassword,
                    const NewLedger& options) {
    if (adminName.trimmed().isEmpty()) throw DbError(QStringLiteral("管理员用户名不能为空"));
    if (const QString taken = files::whyTaken(path); !taken.isEmpty()) throw DbError(taken);
    const QString adminHash = users::password_hash(adminPassword);
    files::PrivateFile building(path, files::PrivateFile::Name::UniqueBeside);
    building.finish();
    {
        auto con = engine::openSqlCipher(building.path(), Tdat::keyFor(options.passphrase));
        con->execute(QStringLiteral("begin"));
        for (const QString& statement : schemaStatements())
            con->execute(statement);
        con->execute(QStringLiteral("insert into pruser(user,userpassword,userpopedom) "
                                    "values(?,?,?)"),
                     {adminName, adminHash, users::kAdministrator});
        con->execute(QStringLiteral("commit"));
    }
    if (options.fill) {
        Tdat dat;
        dat.open(building.path(), Tdat::Mode::NewFile, options.passphrase);
        options.fill(dat);
    }
    files::placeWithoutReplacing(building.path(), path);
    building.release();
}

QString missingTable(engine::Connection& con) {
    engine::Statement& statement =
        con.prepare(QStringLiteral("select count(*) from sqlite_master where type='table' and "
                                   "lower(name)=?"));
    for (const char* table : kTables) {
        statement.bind({QString::fromLatin1(table)});
        const bool present = statement.step() && statement.value(0).toInt() > 0;
        statement.reset();
        if (!present) return QString::fromLatin1(table);
    }
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
