#include "users.h"

#include "fr_dat.h"

namespace qb::users {
namespace {

// The one place a typed password meets the stored one.
bool passwordMatches(const QString& stored, const QString& typed) {
    return stored == typed;
}

}  // namespace

Role role_code(const QString& roleText) {
    if (roleText == kAdministrator) return Administrator;
    if (roleText == kOperator) return Operator;
    return OrdinaryUser;
}

QStringList user_names(Tdat& dat) {
    qb::Query& q = dat.gycx;
    q.setSql(QStringLiteral("select user from pruser"));
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
    const Login result = q.isEmpty()                                        ? Login::UnknownUser
                         : passwordMatches(q.field(0).asString(), password) ? Login::Ok
                                                                            : Login::WrongPassword;
    q.close();
    return result;
}

bool keeps_an_administrator(Tdat& dat, qint64 userRowId, const QString& newRole) {
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
