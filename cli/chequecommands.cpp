// capitals: amounts and dates in Chinese capitals, as cheques and bills are written.
#include <QRegularExpression>

#include "capitals.h"
#include "commands.h"
#include "errors.h"

namespace cli {

int capitals(const QStringList& args) {
    if (args.size() != 1) throw UsageError{QStringLiteral("capitals needs AMOUNT or YYYY-MM-DD")};
    static const QRegularExpression dateForm(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
    if (dateForm.match(args[0]).hasMatch()) {
        const QDate date = QDate::fromString(args[0], Qt::ISODate);
        if (!date.isValid()) throw UsageError{QStringLiteral("no such day: ") + args[0]};
        out(qb::capitals::date(date) + QLatin1Char('\n'));
        return 0;
    }
    const std::optional<qb::money::Cents> cents = qb::money::parse(args[0]);
    if (!cents)
        throw UsageError{QStringLiteral("not an amount (at most two decimals) nor a date "
                                        "(YYYY-MM-DD): ") +
                         args[0]};
    out(qb::capitals::amount(*cents) + QLatin1Char('\n'));
    return 0;
}

}  // namespace cli
