#include "users.h"

#include "credentials.h"
#include "errors.h"
#include "fr_dat.h"

namespace qb::users {
namespace {

using credentials::isHash;
using credentials::passwordMatches;

// A password still in clear becomes its hash. Where the file cannot take it (opened read-only),
// it stays as it is until a later login: the login itself has succeeded.
void hashClearPassword(Tdat& dat, qint64 userRowId, const QString& password) {
    try {
        dat.execute(QStringLiteral("update pruser set userpassword=? where %1=?")
                        .arg(dat.con().rowIdColumn()),
                    {password_hash(password), userRowId});
    } catch (const DbError&) {
    }
}

}  // namespace

void set_hash_cost(HashCost cost) {
    credentials::setHashCost(cost);
}

QString password_hash(const QString& password) {
    return credentials::passwordHash(password);
}

Role role_code(const QString& roleText) {
    if (roleText == kAdministrator) return Administrator;
    if (roleText == kOperator) return Operator;
    return OrdinaryUser;
}

QStringList user_names(Tdat& dat) {
    qb::Query& q = dat.gycx;
    q.setSql(QStringLiteral("select user from pruser order by rowid"));
    q.open();
    QStringList names;
    for (q.first(); !q.eof(); q.next())
        names << q.field(0).asString();
    q.close();
    return names;
}

std::optional<QString> role_of(Tdat& dat, const QString& name) {
    qb::Query& q = dat.gycx;
    q.setSql(QStringLiteral("select userpopedom from pruser where user=?"), {name});
    q.open();
    std::optional<QString> role;
    if (!q.isEmpty()) role = q.field(0).asString();
    q.close();
    return role;
}

Login check_login(Tdat& dat, const QString& name, const QString& password) {
    qb::Query& q = dat.gycx;
    q.setSql(QStringLiteral("select userpassword from pruser where user=?"), {name});
    q.open();
    const bool known = !q.isEmpty();
    const QString stored = known ? q.field(0).asString() : QString();
    const qint64 userRowId = known ? q.rowId() : 0;
    q.close();
    if (!known) return Login::UnknownUser;
    if (!passwordMatches(stored, password)) return Login::WrongPassword;
    if (!isHash(stored)) hashClearPassword(dat, userRowId, password);
    return Login::Ok;
}

bool keeps_an_administrator(Tdat& dat, qint64 userRowId, const QString& newRole) {
    dat.con().lock(QStringLiteral("quillbook users"));
    if (newRole == kAdministrator) return true;
    const QString rowId = dat.con().rowIdColumn();
    const QVariant role = dat.scalar(
        QStringLiteral("select userpopedom from pruser where %1=?").arg(rowId), {userRowId});
    if (role.toString() != kAdministrator) return true;
    return dat.scalar(QStringLiteral("select count(*) from pruser where userpopedom=? and %1<>?")
                          .arg(rowId),
                      {kAdministrator, userRowId})
               .toInt() > 0;
}

}  // namespace qb::users
