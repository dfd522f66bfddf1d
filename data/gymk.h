#pragma once

#include <QDate>
#include <QString>

class Tdat;

// The month operations on one book's bookkeeping: closed test, sums, look-ups and the writes of
// the marker rows that posting keeps in crereg and total. Stateless; each runs one statement on
// the data module's shared query objects (gycx or jhcx). Amount texts are "0.00" texts.
namespace gymk {

enum ClosedMode { MessageMode = 0, SilentMode = 1 };
enum SumsMode { MonthSumMode = 0, CumulativeMode = 1 };

struct Sums {
    double debit = 0;
    double credit = 0;
};

// True once total holds any row of the book dated in the month after the date's month. In
// message mode it also says "本月数据己结转,禁止<verb>！"; any other mode value gives false.
bool month_closed(Tdat& dat, const QString& verb, const QString& bookId, int mode,
                  const QDate& date);
// Month-sum mode: the month's debit and credit without opening and carry-forward rows.
// Cumulative mode: the cumulative row of the month before. No value: 0 and 0.
Sums month_sums(Tdat& dat, const QString& bookId, int mode, const QDate& date);
// The zbid of the first book with that name and category; empty when there is none.
QString book_id_of(Tdat& dat, const QString& name, const QString& category);
// The balance of the month's last line in dzrq, pzh order, "0.00" when the month has none.
QString last_balance(Tdat& dat, const QString& bookId, const QDate& date);
// The balance of the month's opening or carry-forward row in total; "0.00" when there is none.
QString opening_balance(Tdat& dat, const QString& bookId, const QDate& date);
void update_totals_row(Tdat& dat, const QString& debit, const QString& credit,
                       const QString& balance, const QString& bookId, const QDate& date,
                       const QString& summary);
// table: "crereg" or "total".
void set_carry_balance(Tdat& dat, const QString& table, const QString& bookId, const QDate& date,
                       double balance);
void insert_totals_row(Tdat& dat, const QDate& date, const QString& voucherNo,
                       const QString& summary, const QString& debit, const QString& credit,
                       const QString& balance, const QString& bookId);
// table: "crereg" or "total".
void insert_carry_row(Tdat& dat, const QString& table, const QString& balance,
                      const QString& bookId, const QDate& date);
// The highest voucher number of the book's month, 0 for a month without rows.
int max_voucher_no(Tdat& dat, const QString& bookId, const QDate& date);

}  // namespace gymk
