#include "desksettings.h"

#include <optional>

#include "errors.h"
#include "serversettings.h"
#include "zbinfo.h"

namespace qb::desksettings {
namespace {

const QString kSection = QStringLiteral("cheque");
constexpr double kLargestMm = 50;

QString keyFor(const QString& printer) {
    return printer.isEmpty() ? QStringLiteral("offset") : QStringLiteral("offset.") + printer;
}

std::optional<QPointF> read(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 2) return std::nullopt;
    bool okX = false, okY = false;
    const QPointF p(parts[0].trimmed().toDouble(&okX), parts[1].trimmed().toDouble(&okY));
    if (!okX || !okY || qAbs(p.x()) > kLargestMm || qAbs(p.y()) > kLargestMm) return std::nullopt;
    return p;
}

}  // namespace

QPointF chequeOffset(const QString& printer, const QString& file) {
    const auto entries =
        zbinfo::readEntries(file.isEmpty() ? serversettings::path() : file, kSection);
    std::optional<QPointF> desk, own;
    for (const auto& [key, value] : entries) {
        if (!desk && !key.compare(keyFor({}), Qt::CaseInsensitive)) desk = read(value);
        if (!printer.isEmpty() && !own && !key.compare(keyFor(printer), Qt::CaseInsensitive))
            own = read(value);
    }
    return own.value_or(desk.value_or(QPointF()));
}

void setChequeOffset(QPointF offsetMm, const QString& printer, const QString& file) {
    if (qAbs(offsetMm.x()) > kLargestMm || qAbs(offsetMm.y()) > kLargestMm)
        throw DbError(QStringLiteral("偏移量太大：每个方向最多 %1 毫米。").arg(kLargestMm));
    zbinfo::writeEntry(file.isEmpty() ? serversettings::path() : file, kSection, keyFor(printer),
                       QStringLiteral("%1,%2").arg(offsetMm.x()).arg(offsetMm.y()));
}

int billsDueDays(const QString& file) {
    for (const auto& [key, value] :
         zbinfo::readEntries(file.isEmpty() ? serversettings::path() : file, kSection)) {
        bool ok = false;
        const int days = value.toInt(&ok);
        if (!key.compare(QLatin1String("billsDueDays"), Qt::CaseInsensitive) && ok && days >= 0 &&
            days <= 366)
            return days;
    }
    return 7;
}

}  // namespace qb::desksettings
