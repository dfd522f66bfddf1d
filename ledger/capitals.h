#pragma once

#include <QDate>
#include <QString>

#include "money.h"

// Amounts and dates in Chinese capitals (大写), as a bank takes them on a cheque or bill: the
// digits 零壹贰叁肆伍陆柒捌玖 with 拾佰仟万亿, so that no figure can be altered afterwards.
// Refusals are qb::DbError with a message for the cashier.
namespace qb::capitals {

// "人民币壹万贰仟叁佰肆拾伍元陆角柒分". 整 follows 元 when there are no 角 and 分; a run of zeros
// inside the number is one 零; a zero 元 digit before a 角, or a zero 角 before a 分, is written
// 零 after 元; a run of zeros ending on the 万 or 亿 digit takes none before the next 仟
// (壹拾万柒仟元). Zero, negative and amounts past the ledger's bound are refused.
QString amount(money::Cents cents);
// The same without "人民币", for a form that prints "人民币（大写）" before the field.
QString amountOnForm(money::Cents cents);

// A date's three fields: the year digit by digit; the months 1, 2 and 10 and the days 1 to 9,
// 10, 20 and 30 with 零 before them, the days 11 to 19 with 壹 (零壹月, 零壹拾月, 壹拾伍日).
struct DateParts {
    QString year;   // 贰零贰陆
    QString month;  // 零壹
    QString day;    // 壹拾伍
};
DateParts dateParts(const QDate& date);
// "贰零贰陆年零壹月壹拾伍日"; an invalid date is refused.
QString date(const QDate& date);

}  // namespace qb::capitals
