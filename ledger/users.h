#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "credentials.h"

class Tdat;

// The users' rules: who may log in with which role, and that an administrator always remains.
namespace qb::users {

// role_code: what a logged-in user may do.
enum Role { Administrator = 0, Operator = 1, OrdinaryUser = 2 };

using credentials::kAdministrator;
using credentials::kOperator;
using credentials::kOrdinaryUser;

// The role a role text (userpopedom) stands for; a text that names no role gets the ordinary
// user's rights.
Role role_code(const QString& roleText);

// The login names in the order the table gives them (the order they were added in).
QStringList user_names(Tdat& dat);
// The role text of a user; nothing when there is no such user.
std::optional<QString> role_of(Tdat& dat, const QString& name);

// How costly a new password hash is to make (credentials.h).
using credentials::HashCost;
void set_hash_cost(HashCost cost);

// What pruser keeps for a password: a salted slow hash (Argon2id) with its salt and cost, never
// the password itself.
QString password_hash(const QString& password);

// The typed password is checked against the stored hash. A password that an older version kept
// in clear is compared as it is and replaced by its hash at this successful login, where the file
// can be written.
// After kFreeFailures wrong passwords in a row a user waits before the next try, 1, 2, 4 … up to
// 30 seconds (never longer, so an administrator is never locked out for good); the failures are
// kept in the ledger, so a restart or another desk does not reset them, and a successful login
// clears them. Within the wait the password is not checked at all: Login::Wait.
enum class Login { Ok, UnknownUser, WrongPassword, Wait };
Login check_login(Tdat& dat, const QString& name, const QString& password);
constexpr int kFreeFailures = 5;
struct Brake {
    int failures = 0;     // wrong passwords in a row
    int waitSeconds = 0;  // before the next try is checked
};
Brake login_brake(Tdat& dat, const QString& name);

// The last administrator can be neither deleted nor given another role, or nobody could manage
// users any more. userRowId: the user's row; newRole: the role the change gives, a null text for
// a deletion. False when the change must be refused. Asked inside the transaction that makes the
// change: on a server ledger it holds the users until then, so that two administrators cannot
// take each other's role at once.
bool keeps_an_administrator(Tdat& dat, qint64 userRowId, const QString& newRole = QString());

// The user window's changes, each one transaction with its log entry (the log never holds a
// password nor its hash). A name another user has already is refused; update_user and
// delete_user return false, changing nothing, when the change would leave no administrator
// (keeps_an_administrator). update_user keeps the password when the one given is empty.
void add_user(Tdat& dat, const QString& name, const QString& password, const QString& role);
bool update_user(Tdat& dat, qint64 userRowId, const QString& name, const QString& password,
                 const QString& role);
bool delete_user(Tdat& dat, qint64 userRowId);

}  // namespace qb::users
