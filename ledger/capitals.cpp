#include "capitals.h"

#include "errors.h"

namespace qb::capitals {
namespace {

const QString kDigits = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
const QString kSmallUnits = QStringLiteral(" 拾佰仟");  // within a group of four digits

QChar digit(int d) {
    return kDigits.at(int(d));
}

// The whole yuan (at most twelve digits, the ledger's bound), from the highest digit down. A zero
// owes a 零 to the next non-zero digit, except the zero on a group's own unit digit when the group
// has other digits: its 万 or 亿 stands in its place.
QString yuan(qint64 whole) {
    const QString digits = QString::number(whole);
    QString out;
    bool owesZero = false;
    bool groupHasDigits = false;
    for (int i = 0; i < digits.size(); ++i) {
        const int place = int(digits.size()) - 1 - i;
        const int d = digits.at(i).digitValue();
        if (d != 0) {
            if (owesZero) out += kDigits.at(0);
            owesZero = false;
            groupHasDigits = true;
            out += digit(d);
            if (place % 4) out += kSmallUnits.at(place % 4);
        } else if (place % 4) {
            owesZero = !out.isEmpty();
        }
        if (place % 4 == 0) {
            if (place > 0 && groupHasDigits) {
                out += place == 4 ? QStringLiteral("万") : QStringLiteral("亿");
                owesZero = false;
            }
            groupHasDigits = false;
        }
    }
    return out;
}

}  // namespace

QString amountOnForm(money::Cents cents) {
    if (cents <= 0) throw DbError(QStringLiteral("大写金额必须大于零。"));
    if (!money::withinLimit(cents)) throw DbError(QStringLiteral("金额超出范围。"));
    const qint64 whole = cents / 100;
    const int jiao = int(cents / 10 % 10);
    const int fen = int(cents % 10);
    QString out;
    if (whole > 0) out = yuan(whole) + QStringLiteral("元");
    if (jiao == 0 && fen == 0) return out + QStringLiteral("整");
    // A zero before the 角 (the 元 digit) or before the 分 (the 角) is read out after 元.
    if (whole > 0 && (whole % 10 == 0 || jiao == 0)) out += kDigits.at(0);
    if (jiao) out += digit(jiao) + QStringLiteral("角");
    if (fen) out += digit(fen) + QStringLiteral("分");
    return out;
}

QString amount(money::Cents cents) {
    return QStringLiteral("人民币") + amountOnForm(cents);
}

DateParts dateParts(const QDate& date) {
    if (!date.isValid() || date.year() < 1) throw DbError(QStringLiteral("日期无效。"));
    DateParts parts;
    for (const QChar c : QString::number(date.year()))
        parts.year += digit(c.digitValue());
    // Tens written 壹拾 and 贰拾, and 零 before what could otherwise be lengthened by hand.
    const auto number = [](int n) {
        QString text;
        if (n >= 10) text += digit(n / 10) + QStringLiteral("拾");
        if (n % 10) text += digit(n % 10);
        return text;
    };
    const int m = date.month();
    parts.month = (m <= 2 || m == 10 ? QStringLiteral("零") : QString()) + number(m);
    const int d = date.day();
    parts.day = (d < 10 || d % 10 == 0 ? QStringLiteral("零") : QString()) + number(d);
    return parts;
}

QString date(const QDate& date) {
    const DateParts p = dateParts(date);
    return p.year + QStringLiteral("年") + p.month + QStringLiteral("月") + p.day +
           QStringLiteral("日");
}

}  // namespace qb::capitals
