#include "cashcount_report.h"

#include <memory>

#include "months.h"
#include "report.h"

namespace qb::report {
namespace {

namespace cc = cashcount;

std::shared_ptr<TableDataSource> denominations(const cc::Count& count) {
    auto rows = std::make_shared<TableDataSource>(
        QStringList{QStringLiteral("mz"), QStringLiteral("sl"), QStringLiteral("je")});
    for (int i = 0; i < cc::kDenominationCount; ++i) {
        const qint64 quantity = count.quantities[size_t(i)];
        rows->addRow({cc::denomination_text(cc::kDenominations[size_t(i)]),
                      quantity ? QString::number(quantity) : QString(),
                      money::text(count.amount(i))});
    }
    return rows;
}

QString outcome(const cc::Count& count) {
    if (count.difference() == 0) return QStringLiteral("相符");
    return count.differenceKind() + QStringLiteral("（") + count.state() + QStringLiteral("）");
}

}  // namespace

bool cash_count_report(Report& report, const QString& templatePath, const cc::Count& count,
                       const QString& book, const QStringList& warnings) {
    if (!report.load(templatePath)) return false;
    const std::pair<const char*, QString> texts[] = {
        {"Memo1", QStringLiteral("账簿：") + book},
        {"Memo2", QStringLiteral("盘点日期：") + months::iso(count.day)},
        {"Memo3", QStringLiteral("盘点时间：") +
                      count.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))},
        {"sc", money::grouped(count.counted())},
        {"zmye", money::grouped(count.bookBalance)},
        {"yssr", money::grouped(count.receivedUnbooked.amount)},
        {"yssm", count.receivedUnbooked.note},
        {"yfzc", money::grouped(count.paidUnbooked.amount)},
        {"yfsm", count.paidUnbooked.note},
        {"tzye", money::grouped(count.adjusted())},
        {"ce", money::grouped(count.difference())},
        {"cejg", outcome(count)},
        {"bt", money::grouped(count.iou.amount)},
        {"btsm", count.iou.note},
        {"btts", warnings.join(QLatin1Char(' '))},
        {"pdr", count.counter},
        {"jpr", count.witness},
    };
    for (const auto& [name, text] : texts)
        if (!report.setText(QLatin1String(name), text)) return false;
    report.setDataSource(denominations(count));
    return true;
}

}  // namespace qb::report
