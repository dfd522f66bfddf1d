#include "schema.h"

#include <QFile>
#include <QFileInfo>

#include "errors.h"
#include "fr_dat.h"
#include "schema_sql.h"

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

void createDatabase(const QString& path, const QString& adminName, const QString& adminPassword) {
    if (adminName.trimmed().isEmpty()) throw DbError(QStringLiteral("管理员用户名不能为空"));
    if (QFileInfo::exists(path))
        throw DbError(QStringLiteral("数据库文件已存在，不会覆盖：%1").arg(path));
    try {
        auto con = engine::createSqlCipher(path, QByteArray(Tdat::kPassword));
        con->execute(QStringLiteral("begin"));
        for (const QString& statement : schemaStatements())
            con->execute(statement);
        con->execute(QStringLiteral("insert into pruser(user,userpassword,userpopedom) "
                                    "values(?,?,?)"),
                     {adminName, adminPassword, QStringLiteral("管理员")});
        con->execute(QStringLiteral("commit"));
    } catch (const DbError&) {
        QFile::remove(path);  // ours: it did not exist before
        throw;
    }
}

bool isLedgerDatabase(const QString& path, QString* why) {
    try {
        auto con = engine::openSqlCipher(path, QByteArray(Tdat::kPassword));
        for (const char* table : kTables) {
            engine::Statement& statement = con->prepare(
                QStringLiteral("select count(*) from sqlite_master where type='table' and "
                               "lower(name)=?"));
            statement.bind({QString::fromLatin1(table)});
            const bool present = statement.step() && statement.value(0).toInt() > 0;
            statement.reset();
            if (!present) {
                if (why) *why = QStringLiteral("缺少数据表 %1").arg(QLatin1String(table));
                return false;
            }
        }
        return true;
    } catch (const DbError& e) {
        if (why) *why = e.message();
        return false;
    }
}

}  // namespace qb
