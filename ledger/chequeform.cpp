#include "chequeform.h"

#include "capitals.h"
#include "cheques.h"
#include "errors.h"
#include "fr_dat.h"

namespace qb::cheques {

ChequeForm form_of(const QString& kind, const QString& serial, const QDate& date,
                   const QString& payee, money::Cents amount, const QString& purpose,
                   const QString& account) {
    if (amount > kFormLimit)
        throw DbError(QStringLiteral("金额 %1 超出支票金额栏的位数（最多 999,999,999.99）。")
                          .arg(money::grouped(amount)));
    ChequeForm form;
    form.kind = kind;
    form.serial = serial;
    const capitals::DateParts parts = capitals::dateParts(date);
    form.year = parts.year;
    form.month = parts.month;
    form.day = parts.day;
    form.payee = payee;
    form.amountInWords = capitals::amountOnForm(amount);
    // Right-aligned in the boxes, 分 last; the ¥ sign closes the figures off in front.
    const QString digits = QString::number(amount).rightJustified(3, QLatin1Char('0'));
    const int first = kFigureBoxes - int(digits.size());
    for (int i = 0; i < int(digits.size()); ++i)
        form.figures[size_t(first + i)] = digits.at(i);
    if (first > 0) form.figures[size_t(first - 1)] = QStringLiteral("¥");
    form.purpose = purpose;
    form.account = account;
    form.stubDate =
        QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
    form.stubAmount = QStringLiteral("¥") + money::grouped(amount);
    return form;
}

ChequeForm cheque_form(Tdat& dat, const QString& bookId, const QString& serial) {
    const Leaf l = leaf(dat, bookId, serial);
    if (l.state == kVoided)
        throw DbError(QStringLiteral("支票 %1 已作废，不能打印。").arg(l.serial));
    if (l.amount <= 0 || !l.date.isValid() || l.payee.isEmpty())
        throw DbError(QStringLiteral("支票 %1 还没有开出（收款人、金额、日期），没有可打印的内容。")
                          .arg(l.serial));
    const QString account =
        dat.scalar(QStringLiteral("select zh from accstar where zbid=?"), {bookId}).toString();
    return form_of(l.kind, l.serial, l.date, l.payee, l.amount, l.purpose, account);
}

}  // namespace qb::cheques
