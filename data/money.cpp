#include "money.h"

#include <QRegularExpression>
#include <cmath>

namespace qb::money {

Cents toCents(double amount) {
    return std::llround(amount * 100.0);
}

double fromCents(Cents cents) {
    return double(cents) / 100.0;
}

QString text(Cents cents) {
    const Cents whole = cents < 0 ? -cents : cents;
    return QStringLiteral("%1%2.%3")
        .arg(cents < 0 ? QStringLiteral("-") : QString())
        .arg(whole / 100)
        .arg(whole % 100, 2, 10, QLatin1Char('0'));
}

QString grouped(Cents cents) {
    QString plain = text(cents);
    const int sign = cents < 0 ? 1 : 0;
    for (int at = int(plain.indexOf(QLatin1Char('.'))) - 3; at > sign; at -= 3)
        plain.insert(at, QLatin1Char(','));
    return plain;
}

QString beyondLimit(Cents cents) {
    return QStringLiteral("金额 %1 超出范围：金额和余额都必须在 ±%2 之内。")
        .arg(grouped(cents), grouped(kLimit));
}

std::optional<Cents> parse(const QString& typed) {
    static const QRegularExpression amount(
        QStringLiteral("^([+-]?)(\\d{1,3}(?:,\\d{3})+|\\d*)(?:\\.(\\d{0,2}))?$"));
    const QString trimmed = typed.trimmed();
    const QRegularExpressionMatch m = amount.match(trimmed);
    if (!m.hasMatch()) return std::nullopt;
    QString whole = m.captured(2);
    const QString decimals = m.captured(3);
    if (whole.isEmpty() && decimals.isEmpty()) return std::nullopt;
    whole.remove(QLatin1Char(','));
    if (whole.size() > 15) return std::nullopt;
    Cents cents = whole.isEmpty() ? 0 : whole.toLongLong() * 100;
    if (!decimals.isEmpty()) cents += decimals.leftJustified(2, QLatin1Char('0')).toLongLong();
    return m.captured(1) == QLatin1String("-") ? -cents : cents;
}

}  // namespace qb::money
