#include "arguments.h"

#include <QRegularExpression>

namespace cli {

QString Arguments::required(const QString& name) const {
    if (!options.contains(name)) throw UsageError{name + QStringLiteral(" is required")};
    return options.value(name);
}

Arguments parse(const QStringList& args, const QStringList& valued, const QStringList& flags) {
    Arguments a;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (flags.contains(arg)) {
            a.flags.insert(arg);
        } else if (valued.contains(arg)) {
            if (i + 1 >= args.size()) throw UsageError{arg + QStringLiteral(" needs a value")};
            a.options.insert(arg, args[++i]);
        } else if (arg.startsWith(QStringLiteral("--"))) {
            throw UsageError{QStringLiteral("unknown option: ") + arg};
        } else {
            a.words << arg;
        }
    }
    return a;
}

QDate dateArgument(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (!form.match(text).hasMatch() || !date.isValid())
        throw UsageError{QStringLiteral("a date is written YYYY-MM-DD, not ") + text};
    return date;
}

qb::money::Cents amountArgument(const QString& text) {
    const std::optional<qb::money::Cents> cents = qb::money::parse(text);
    if (!cents) throw UsageError{QStringLiteral("not an amount (at most two decimals): ") + text};
    return *cents;
}

}  // namespace cli
