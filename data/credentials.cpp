#include "credentials.h"

#include <sodium.h>

#include <array>

#include "errors.h"

namespace qb::credentials {
namespace {

// pruser.userpassword holds 128 characters: the longest hash the library makes.
static_assert(crypto_pwhash_STRBYTES - 1 <= 128);

// Older versions kept passwords in clear, at most 16 characters; every hash is longer.
constexpr qsizetype kClearPasswordWidth = 16;

// Constant-initialized, so that a test's lowering before main() cannot be undone.
constinit HashCost hashCost = HashCost::Interactive;

void requireLibrary() {
    static const bool ready = sodium_init() >= 0;
    if (!ready) throw DbError(QStringLiteral("口令散列库无法初始化"));
}

}  // namespace

void setHashCost(HashCost cost) {
    hashCost = cost;
}

QString passwordHash(const QString& password) {
    requireLibrary();
    const bool minimum = hashCost == HashCost::Minimum;
    const QByteArray bytes = password.toUtf8();
    std::array<char, crypto_pwhash_STRBYTES> hash{};
    if (crypto_pwhash_str(
            hash.data(), bytes.constData(), bytes.size(),
            minimum ? crypto_pwhash_OPSLIMIT_MIN : crypto_pwhash_OPSLIMIT_INTERACTIVE,
            minimum ? crypto_pwhash_MEMLIMIT_MIN : crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        throw DbError(QStringLiteral("内存不足，无法计算口令的散列值"));
    return QString::fromLatin1(hash.data());
}

bool isHash(const QString& stored) {
    return stored.size() > kClearPasswordWidth && stored.size() < crypto_pwhash_STRBYTES &&
           stored.startsWith(QLatin1String(crypto_pwhash_STRPREFIX));
}

bool passwordMatches(const QString& stored, const QString& typed) {
    if (!isHash(stored)) return stored == typed;
    requireLibrary();
    std::array<char, crypto_pwhash_STRBYTES> hash{};
    const QByteArray storedBytes = stored.toLatin1();
    std::copy(storedBytes.begin(), storedBytes.end(), hash.begin());
    const QByteArray bytes = typed.toUtf8();
    return crypto_pwhash_str_verify(hash.data(), bytes.constData(), bytes.size()) == 0;
}

}  // namespace qb::credentials
