#pragma once

#include <QString>

// The summaries that mark the kinds of rows in crereg and total.
namespace qb::rows {

inline const QString kOpening = QStringLiteral("期初余额");     // a book's opening row
inline const QString kCarry = QStringLiteral("月结转余额");     // opens a month after posting
inline const QString kMonthTotal = QStringLiteral("本月合计");  // total only, voucher 1
inline const QString kCumulative = QStringLiteral("本月累计");  // total only, voucher 2

inline bool isMarker(const QString& summary) {
    return summary == kOpening || summary == kCarry;
}

}  // namespace qb::rows
