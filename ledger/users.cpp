#include "users.h"

#include <QDateTime>

#include "credentials.h"
#include "errors.h"
#include "fr_dat.h"
#include "oplog.h"
#include "tables.h"

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

template <typename Visit>
void eachUser(Tdat& dat, qint64 userRowId, Visit visit) {
    const QString rowId = dat.con().rowIdColumn();
    engine::Statement& s = dat.con().prepare(
        QStringLiteral("select user,userpopedom from pruser where %1=?").arg(rowId));
    s.bind({userRowId});
    while (s.step())
        visit(s.value(0).toString(), s.value(1).toString());
    s.reset();
}

// A user as the log shows it: name and role, never the password.
QString userText(Tdat& dat, qint64 userRowId, bool passwordChanged = false) {
    QVariantMap values;
    eachUser(dat, userRowId, [&](const QString& name, const QString& role) {
        values.insert(QStringLiteral("user"), name);
        values.insert(QStringLiteral("userpopedom"), role);
    });
    if (passwordChanged)
        values.insert(QStringLiteral("userpassword"), QStringLiteral("（已更改）"));
    return values.isEmpty() ? QString() : oplog::values_text(values);
}

void refuseTaken(Tdat& dat, const QString& name, qint64 ownRowId) {
    if (!dat.scalar(QStringLiteral("select 1 from pruser where user=? and %1<>?")
                        .arg(dat.con().rowIdColumn()),
                    {name, ownRowId})
             .isNull())
        throw DbError(QStringLiteral("已经有名为“%1”的用户").arg(name));
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

namespace {

const QString kFailures = QStringLiteral("dlsb");
constexpr int kLongestWait = 30;
const QString kMoment = QStringLiteral("yyyy-MM-ddTHH:mm:ss");

// A failure that cannot be kept (a ledger the login may not write) leaves the login as it is.
void keepFailures(Tdat& dat, const QString& name, bool failed) {
    try {
        Transaction t(dat);
        if (!failed && !schema::present(dat, kFailures)) return;
        schema::ensureTable(dat, kFailures);
        dat.con().lock(QStringLiteral("quillbook login ") + name);
        if (!failed) {
            dat.execute(QStringLiteral("delete from dlsb where user=?"), {name});
        } else {
            const QString now = QDateTime::currentDateTimeUtc().toString(kMoment);
            dat.execute(QStringLiteral("update dlsb set sbcs=sbcs+1, sbsj=? where user=?"),
                        {now, name});
            if (dat.con().changes() == 0)
                dat.execute(QStringLiteral("insert into dlsb(user,sbcs,sbsj) values(?,1,?)"),
                            {name, now});
        }
        t.commit();
    } catch (const DbError&) {
        // Only the brake is missed; the login's answer stands.
    }
}

}  // namespace

Brake login_brake(Tdat& dat, const QString& name) {
    Brake brake;
    if (!schema::present(dat, kFailures)) return brake;
    qb::Query& q = dat.gycx;
    q.setSql(QStringLiteral("select sbcs,sbsj from dlsb where user=?"), {name});
    q.open();
    brake.failures = q.isEmpty() ? 0 : q.field(0).asInt();
    const QDateTime last =
        QDateTime::fromString(q.isEmpty() ? QString() : q.field(1).asString(), kMoment).toUTC();
    q.close();
    if (brake.failures < kFreeFailures) return brake;
    const int wait = std::min(kLongestWait, 1 << std::min(brake.failures - kFreeFailures, 5));
    // A clock set back, or a moment that does not read, holds nobody up.
    const qint64 passed = last.isValid() ? last.secsTo(QDateTime::currentDateTimeUtc()) : wait;
    if (passed >= 0 && passed < wait) brake.waitSeconds = int(wait - passed);
    return brake;
}

Login check_login(Tdat& dat, const QString& name, const QString& password) {
    qb::Query& q = dat.gycx;
    q.setSql(QStringLiteral("select userpassword from pruser where user=?"), {name});
    q.open();
    const bool known = !q.isEmpty();
    const QString stored = known ? q.field(0).asString() : QString();
    const qint64 userRowId = known ? q.rowId() : 0;
    q.close();
    Login result = Login::UnknownUser;
    if (known) {
        const Brake brake = login_brake(dat, name);
        if (brake.waitSeconds > 0) {
            result = Login::Wait;
        } else if (!passwordMatches(stored, password)) {
            keepFailures(dat, name, true);
            result = Login::WrongPassword;
        } else {
            if (!isHash(stored)) hashClearPassword(dat, userRowId, password);
            if (brake.failures > 0) keepFailures(dat, name, false);
            result = Login::Ok;
        }
    }
    static const QString reasons[] = {{},
                                      QStringLiteral("没有这个用户"),
                                      QStringLiteral("口令错误"),
                                      QStringLiteral("连续失败后的等待中")};
    // A ledger opened to read only keeps no entry; its users log in all the same.
    if (!dat.readOnly())
        oplog::append_alone(
            dat, {result == Login::Ok ? oplog::kLogin : oplog::kLoginFailed,
                  {},
                  {},
                  0,
                  {},
                  reasons[int(result)].isEmpty()
                      ? QString()
                      : oplog::values_text({{QStringLiteral("reason"), reasons[int(result)]}}),
                  oplog::Actor{name, known ? role_of(dat, name).value_or(QString()) : QString()}});
    return result;
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

void add_user(Tdat& dat, const QString& name, const QString& password, const QString& role) {
    Transaction t(dat);
    dat.con().lock(QStringLiteral("quillbook users"));
    refuseTaken(dat, name, 0);
    dat.execute(QStringLiteral("insert into pruser(user,userpassword,userpopedom) values(?,?,?)"),
                {name, password_hash(password), role});
    oplog::append(
        dat, {oplog::kUserAdded, {}, {}, 0, {}, userText(dat, dat.con().lastInsertId(), true)});
    t.commit();
}

bool update_user(Tdat& dat, qint64 userRowId, const QString& name, const QString& password,
                 const QString& role) {
    Transaction t(dat);
    if (!keeps_an_administrator(dat, userRowId, role)) return false;
    refuseTaken(dat, name, userRowId);
    const QString was = userText(dat, userRowId);
    if (was.isNull()) throw DbError(QStringLiteral("找不到要修改的用户（已被删除？）"));
    const QString rowId = dat.con().rowIdColumn();
    dat.execute(QStringLiteral("update pruser set user=?,userpopedom=? where %1=?").arg(rowId),
                {name, role, userRowId});
    if (!password.isEmpty())
        dat.execute(QStringLiteral("update pruser set userpassword=? where %1=?").arg(rowId),
                    {password_hash(password), userRowId});
    oplog::append(
        dat, {oplog::kUserChanged, {}, {}, 0, was, userText(dat, userRowId, !password.isEmpty())});
    t.commit();
    return true;
}

bool delete_user(Tdat& dat, qint64 userRowId) {
    Transaction t(dat);
    if (!keeps_an_administrator(dat, userRowId)) return false;
    const QString was = userText(dat, userRowId);
    dat.execute(QStringLiteral("delete from pruser where %1=?").arg(dat.con().rowIdColumn()),
                {userRowId});
    if (!was.isNull()) oplog::append(dat, {oplog::kUserDeleted, {}, {}, 0, was, {}});
    t.commit();
    return true;
}

}  // namespace qb::users
