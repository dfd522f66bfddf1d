#pragma once

#include <QDate>
#include <QString>
#include <array>

#include "money.h"

class Tdat;

// What a cheque form receives from the register: every field in the form's own writing, the
// date and amount in capitals, the figures one digit to a box.
namespace qb::cheques {

// The amount boxes of the form, from 亿 to 分.
inline constexpr int kFigureBoxes = 11;

struct ChequeForm {
    QString kind;  // 现金支票, 转账支票: which template prints it
    QString serial;
    QString year;  // 出票日期（大写）: 贰零贰陆 年 零壹 月 壹拾伍 日
    QString month;
    QString day;
    QString payee;
    QString amountInWords;  // without 人民币, which the form prints before the field
    std::array<QString, kFigureBoxes> figures;  // ¥ in the box before the first digit
    QString purpose;
    QString account;  // the drawer's account number
    // The stub (存根) keeps the figures as written by hand.
    QString stubDate;    // 2026年1月15日
    QString stubAmount;  // ¥12,345.67
};

// The form of a leaf written out (已开出, or since paid or returned). Refused: a leaf not written
// out, or one voided; an amount past the form's boxes.
ChequeForm cheque_form(Tdat& dat, const QString& bookId, const QString& serial);
// The same fields from given values: the calibration page's sample.
ChequeForm form_of(const QString& kind, const QString& serial, const QDate& date,
                   const QString& payee, money::Cents amount, const QString& purpose,
                   const QString& account);

}  // namespace qb::cheques
