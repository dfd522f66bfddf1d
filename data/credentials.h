#pragma once

#include <QString>

// What the users table (pruser) keeps of a user: the text of a role, and for a password a salted
// slow hash (Argon2id) with its salt and cost, never the password itself. Who may log in and do
// what is the ledger's business (ledger/users.h); this is only how it is stored.
namespace qb::credentials {

inline const QString kAdministrator = QStringLiteral("管理员");
inline const QString kOperator = QStringLiteral("操作员");
inline const QString kOrdinaryUser = QStringLiteral("普通用户");

// How costly a new password hash is to make. The program uses the hashing library's interactive
// cost; tests lower it to the library's minimum so that they stay fast. Each hash keeps the cost
// it was made with, so hashes of either cost are checked alike.
enum class HashCost { Interactive, Minimum };
void setHashCost(HashCost cost);

QString passwordHash(const QString& password);

// Whether the stored text is a hash; older versions kept passwords in clear.
bool isHash(const QString& stored);

// The one place a typed password meets the stored one: a hash is checked, a password an older
// version kept in clear is compared as it is.
bool passwordMatches(const QString& stored, const QString& typed);

}  // namespace qb::credentials
