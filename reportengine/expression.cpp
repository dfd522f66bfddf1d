#include "expression.h"

#include <QDate>
#include <QRegularExpression>

#include "datasource.h"
#include "money.h"

namespace qb::report {

namespace {

constexpr int kNoSource = -2;

// An amount in cents from a number or from amount text ("1234.50", "1,234.50").
std::optional<qb::money::Cents> centsOf(const QVariant& value) {
    if (value.isNull()) return std::nullopt;
    switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            return qb::money::toCents(value.toDouble());
        default:
            return qb::money::parse(value.toString());
    }
}

QString plain(const QVariant& value) {
    if (value.isNull()) return {};
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
        const double d = value.toDouble();
        if (d == double(qint64(d))) return QString::number(qint64(d));
        return QString::number(d, 'f', 2);
    }
    if (value.typeId() == QMetaType::QDate) return value.toDate().toString(Qt::ISODate);
    return value.toString();
}

}  // namespace

QString formatValue(const QVariant& value, const QString& format, bool blankZero) {
    if (format == u"#,##0.00" || format == u"0.00") {
        const auto cents = centsOf(value);
        if (!cents) return plain(value);
        if (blankZero && *cents == 0) return {};
        return format == u"0.00" ? qb::money::text(*cents) : qb::money::grouped(*cents);
    }
    if (format == u"0") {
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (value.isNull() || !ok) return plain(value);
        const qint64 whole = qRound64(d);
        return blankZero && whole == 0 ? QString() : QString::number(whole);
    }
    if (format.contains(u"yyyy")) {
        const QDate date = value.typeId() == QMetaType::QDate
                               ? value.toDate()
                               : QDate::fromString(value.toString().left(10), Qt::ISODate);
        return date.isValid() ? date.toString(format) : plain(value);
    }
    const QString text = plain(value);
    return blankZero && text == u"0" ? QString() : text;
}

std::optional<Expression> Expression::compile(const QString& text, const DataSource* source,
                                              QString* error) {
    static const QRegularExpression sumOf(QStringLiteral("^sum\\((.+)\\)$"));
    static const QRegularExpression position(QStringLiteral("^#(\\d+)$"));
    Expression e;
    QString literal;
    auto flush = [&] {
        if (literal.isEmpty()) return;
        e.parts_.push_back({Part::Kind::Literal, literal});
        literal.clear();
    };
    auto fail = [&](const QString& message) {
        if (error) *error = message;
        return std::nullopt;
    };
    // Without a data source there are no rows: fields print nothing, sums are zero.
    auto fieldOf = [&](const QString& name) -> int {
        if (!source) return kNoSource;
        const QRegularExpressionMatch m = position.match(name);
        if (m.hasMatch()) {
            const int index = m.captured(1).toInt();
            return index < source->fieldCount() ? index : -1;
        }
        return source->fieldIndex(name);
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if ((c == u'{' || c == u'}') && i + 1 < text.size() && text.at(i + 1) == c) {
            literal += c;
            ++i;
            continue;
        }
        if (c == u'}') return fail(QStringLiteral("“%1”中多了一个 }").arg(text));
        if (c != u'{') {
            literal += c;
            continue;
        }
        const qsizetype end = text.indexOf(u'}', i);
        if (end < 0) return fail(QStringLiteral("“%1”中的 { 没有配对的 }").arg(text));
        const QStringList pieces = text.mid(i + 1, end - i - 1).split(u'|');
        i = end;
        flush();
        Part part;
        const QString name = pieces.at(0).trimmed();
        part.text = pieces.value(1).trimmed();
        part.blankZero = pieces.value(2).trimmed() == u"blankzero";
        if (name == u"page") {
            part.kind = Part::Kind::Page;
        } else if (name == u"pages") {
            part.kind = Part::Kind::Pages;
            e.usesPages_ = true;
        } else if (name == u"line") {
            part.kind = Part::Kind::Line;
        } else if (name == u"date") {
            part.kind = Part::Kind::Literal;
            part.text = QDate::currentDate().toString(
                part.text.isEmpty() ? QStringLiteral("yyyy-MM-dd") : part.text);
        } else if (name == u"count") {
            part.kind = Part::Kind::Literal;
            part.text = QString::number(source ? source->rowCount() : 0);
        } else if (const QRegularExpressionMatch m = sumOf.match(name); m.hasMatch()) {
            const int field = fieldOf(m.captured(1).trimmed());
            if (field == -1) return fail(QStringLiteral("数据中没有字段“%1”").arg(m.captured(1)));
            // A sum is the same wherever it prints: taken once, in exact cents.
            qb::money::Cents total = 0;
            for (int row = 0; source && row < source->rowCount(); ++row)
                total += centsOf(source->value(row, field)).value_or(0);
            const QString format = part.text.isEmpty() ? QStringLiteral("#,##0.00") : part.text;
            part.text = formatValue(qb::money::fromCents(total), format, part.blankZero);
            part.kind = Part::Kind::Literal;
        } else {
            part.kind = Part::Kind::Field;
            part.field = fieldOf(name);
            if (part.field == -1) return fail(QStringLiteral("数据中没有字段“%1”").arg(name));
        }
        if (part.kind != Part::Kind::Literal) e.constant_ = false;
        e.parts_.push_back(std::move(part));
    }
    flush();
    return e;
}

QString Expression::evaluate(const TextContext& context) const {
    QString out;
    for (const Part& part : parts_) {
        switch (part.kind) {
            case Part::Kind::Literal:
                out += part.text;
                break;
            case Part::Kind::Page:
                out += QString::number(context.page);
                break;
            case Part::Kind::Pages:
                out += QString::number(context.pages);
                break;
            case Part::Kind::Line:
                if (context.row >= 0) out += QString::number(context.row + 1);
                break;
            case Part::Kind::Field:
                if (context.source && context.row >= 0 && part.field >= 0)
                    out += formatValue(context.source->value(context.row, part.field), part.text,
                                       part.blankZero);
                break;
        }
    }
    return out;
}

}  // namespace qb::report
