#pragma once

#include <QString>

// The summaries (zy) that tell the kinds of rows in crereg and total.
namespace qb::rows {

inline const QString kOpening = QStringLiteral("期初余额");     // a book's opening row
inline const QString kCarry = QStringLiteral("月结转余额");     // opens a month after posting
inline const QString kMonthTotal = QStringLiteral("本月合计");  // total only, voucher 1
inline const QString kCumulative = QStringLiteral("本月累计");  // total only, voucher 2

// A reversal wraps summaries: the reversed line becomes "被冲账 [S]", its reversal entry
// "冲账[D S]" and the correcting entry offered "新[S]".
inline const QString kReversedPrefix = QStringLiteral("被冲账 [");
inline const QString kReversalPrefix = QStringLiteral("冲账[");
inline const QString kCorrectingPrefix = QStringLiteral("新[");

// The rows that bring a month's balance in: opening and carry-forward rows.
inline bool isMarker(const QString& summary) {
    return summary == kOpening || summary == kCarry;
}
inline bool isReversed(const QString& summary) {
    return summary.startsWith(kReversedPrefix);
}
inline bool isReversal(const QString& summary) {
    return summary.startsWith(kReversalPrefix);
}
// A text an ordinary line may not carry as its summary: it would make the line a marker row or
// rank it as part of a reversal.
inline bool isReserved(const QString& summary) {
    const QString text = summary.trimmed();
    return isMarker(text) || text == kMonthTotal || text == kCumulative || isReversed(text) ||
           isReversal(text);
}

}  // namespace qb::rows
