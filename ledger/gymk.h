#pragma once

#include <QDate>
#include <QString>

class Tdat;

// The month operations on one book's bookkeeping: closed test, sums, look-ups and the writes of
// the marker rows that posting keeps in crereg and total. Stateless; the look-ups run one
// statement each on the data module's shared query objects (gycx or jhcx), every value bound,
// and close it again (max_voucher_no excepted); the closed test is the ledger's own. Amount texts
// are "0.00" texts.
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
// The month operations over qb::figures. Month-sum mode: the month's debit and credit.
// Cumulative mode: the cumulative sums through the month before.
Sums month_sums(Tdat& dat, const QString& bookId, int mode, const QDate& date);
// The zbid of the first book with that name and category; empty when there is none.
QString book_id_of(Tdat& dat, const QString& name, const QString& category);
// The month's closing balance: that of its last line in journal order, or what it brings in when
// it has none. A line without a balance (NULL) reads as "0.00".
QString last_balance(Tdat& dat, const QString& bookId, const QDate& date);
// The balance the month brings in: its opening or carry-forward row, else the closing balance
// of the months before, else the book's opening amount ("0.00" for an unknown book).
QString opening_balance(Tdat& dat, const QString& bookId, const QDate& date);
// The amount texts below are read with qb::money::parse: a malformed one is a qb::DbError and
// nothing is written.
void update_totals_row(Tdat& dat, const QString& debit, const QString& credit,
                       const QString& balance, const QString& bookId, const QDate& date,
                       const QString& summary);
// table: "crereg" or "total"; any other name is refused with a qb::DbError.
void set_carry_balance(Tdat& dat, const QString& table, const QString& bookId, const QDate& date,
                       double balance);
void insert_totals_row(Tdat& dat, const QDate& date, const QString& voucherNo,
                       const QString& summary, const QString& debit, const QString& credit,
                       const QString& balance, const QString& bookId);
// table: "crereg" or "total"; any other name is refused with a qb::DbError.
void insert_carry_row(Tdat& dat, const QString& table, const QString& balance,
                      const QString& bookId, const QDate& date);
// The highest voucher number of the book's month, 0 for a month without rows. Leaves jhcx open
// on its result.
int max_voucher_no(Tdat& dat, const QString& bookId, const QDate& date);

}  // namespace gymk
