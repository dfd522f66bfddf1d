#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "money.h"
#include "users.h"

class Tdat;

// The cheque register (支票登记簿) of a bank book: its cheque books, every leaf of them with its
// state, and the bills (承兑汇票) it received or issued. Each changing operation is one
// transaction under the bank book's lock, so two cashiers on a server never take the same leaf;
// refusals are qb::DbError with a message for the cashier, and change nothing. Every change is
// logged in the operation log, in its transaction.
//
// A leaf is 已开出 while a journal line of its book carries its serial as ticket number (ph):
// writing such a line ticks it, deleting the line or clearing its ph gives it back the state it
// had before, and a reversed line leaves it 已开出 with the reversal noted. So the register and
// the journal can never disagree, whichever window or command wrote the line.
namespace qb::cheques {

inline const QString kBlank = QStringLiteral("空白");
inline const QString kTaken = QStringLiteral("已领用");
inline const QString kIssued = QStringLiteral("已开出");
inline const QString kVoided = QStringLiteral("已作废");
inline const QString kPaid = QStringLiteral("已兑付");
inline const QString kReturned = QStringLiteral("已退回");
QStringList states();

inline const QString kCashCheque = QStringLiteral("现金支票");
inline const QString kTransferCheque = QStringLiteral("转账支票");

// The form's widths: the amount boxes run from 亿 to 分, the payee's field holds so many
// characters.
inline constexpr money::Cents kFormLimit = 100'000'000'000 - 1;  // 999,999,999.99
inline constexpr int kPayeeWidth = 40;
inline constexpr int kPurposeWidth = 50;
inline constexpr int kLeavesAtMost = 1000;

// 领用, 开出, 作废 and 退回 change the register: an operator's or administrator's work. An ordinary
// user views and prints it. Refuses with the register's text otherwise.
void require_change_right(users::Role role);

struct ChequeBook {
    qint64 id = 0;
    QString bookId;
    QString kind;  // 现金支票, 转账支票
    QString first;
    QString last;
    QDate received;
    int leaves = 0;
    int blank = 0;  // leaves still 空白
};
// A cheque book of serials first..last (digits of equal length, leading zeros kept, at most
// 15, as ph holds them), received on the date: its leaves are made 空白. Refused: a kind other
// than the two, serials that overlap another cheque book of the bank book, more than
// kLeavesAtMost leaves, a date before the bank book's start.
qint64 add_cheque_book(Tdat& dat, const QString& bookId, const QString& kind, const QString& first,
                       const QString& last, const QDate& received, const QString& user);
std::vector<ChequeBook> cheque_books(Tdat& dat, const QString& bookId);

struct Leaf {
    qint64 id = 0;
    qint64 chequeBook = 0;
    QString kind;
    QString serial;
    QString state;  // as the register shows it: the journal's line counts (above)
    QString taker;  // 领用: who took it, for what, up to which amount
    QString takenFor;
    money::Cents limit = 0;
    QString payee;  // 开出
    money::Cents amount = 0;
    QDate date;
    QString purpose;
    QString voidReason;     // 作废
    qint64 lineId = 0;      // the journal line carrying the serial, 0 when none
    int voucher = 0;        // its voucher number
    bool reversed = false;  // that line was reversed since
    QString changedBy;
    bool skipped = false;  // blank below a used leaf of its cheque book (跳号); set by leaves()
};
// The bank book's leaves, oldest cheque book first, by serial; a state narrows them (空白, 已开出,
// ...).
std::vector<Leaf> leaves(Tdat& dat, const QString& bookId, const QString& state = {});
// The state as the register shows it: a skipped blank leaf reads "空白（跳号）".
QString shown_state(const Leaf& leaf);
// One leaf; a serial of no cheque book of the bank book is refused.
Leaf leaf(Tdat& dat, const QString& bookId, const QString& serial);

// The register as it is printed and exported: the bank book, its cheque books and the leaves
// (a state narrows them; a cheque book none of whose leaves is left is left out too), and the
// amount of the cheques among them written out and not reversed, paid or not.
struct ChequeRegister {
    QString book;  // "name-category"
    QString account;
    QString state;  // empty: every state
    std::vector<ChequeBook> books;
    std::vector<Leaf> leaves;
    money::Cents written = 0;
};
ChequeRegister cheque_register(Tdat& dat, const QString& bookId, const QString& state = {});

// 领用: the first blank leaf of the kind (the oldest cheque book first), or the leaf named, is
// given to the taker for the purpose, up to the limit (0: none).
struct Taking {
    QString taker;
    QString purpose;
    money::Cents limit = 0;
};
Leaf take_next(Tdat& dat, const QString& bookId, const QString& kind, const Taking& taking,
               const QString& user);
void take(Tdat& dat, const QString& bookId, const QString& serial, const Taking& taking,
          const QString& user);

// 开出: a blank or taken leaf is written out. Refused: an amount of zero, or more than the form
// holds or the leaf's limit allows; a payee longer than the form's field; a date before the
// cheque book came or the bank book started; a leaf 已开出, 已作废, 已兑付 or 已退回. post also
// writes the journal line (the purpose as summary, the amount paid out, the serial as ticket,
// the month's next voucher number), in the same transaction; then the line is what makes the
// leaf 已开出. Returns that line's row id, or 0. A leaf that a journal line wrote out without a
// payee (its ticket typed in the grid or the panel) is completed: payee and purpose are added,
// the line's amount and date stand (another amount is refused), nothing more is posted.
struct Issue {
    QString payee;
    money::Cents amount = 0;
    QDate date;
    QString purpose;
};
qint64 issue(Tdat& dat, const QString& bookId, const QString& serial, const Issue& issue,
             const QString& user, bool post);

// 作废: the leaf keeps its number and the reason (which must be given) and is never handed out
// again. A leaf with a journal line that stands is refused: the line is deleted first (open
// month) or reversed (posted month).
void void_leaf(Tdat& dat, const QString& bookId, const QString& serial, const QString& reason,
               const QString& user);
// 退回: a taken leaf comes back blank; a leaf written out comes back from the payee or the bank
// unpaid (已退回).
void give_back(Tdat& dat, const QString& bookId, const QString& serial, const QString& user);
// 兑付: the bank paid a leaf written out (已兑付). Refused for any other state, and for a leaf
// whose journal line was reversed. Paid or returned, a leaf keeps the amount and date it was
// written out with, whatever becomes of its line afterwards.
void honour(Tdat& dat, const QString& bookId, const QString& serial, const QString& user);

// What a journal line's ticket number says to the register, for the windows and the command
// line to show after writing it (never a refusal: older ledgers hold free-form numbers). Empty
// when all is well, or when the bank book keeps no cheque books.
QString ticket_warning(Tdat& dat, const QString& bookId, const QString& ticket);

// ---- Bills ----

inline const QString kBankAcceptance = QStringLiteral("银行承兑汇票");
inline const QString kTradeAcceptance = QStringLiteral("商业承兑汇票");
inline const QString kReceived = QStringLiteral("收到");
inline const QString kIssuedBill = QStringLiteral("开出");
inline const QString kOutstanding = QStringLiteral("未兑付");

struct Bill {
    qint64 id = 0;
    QString bookId;
    QString kind;       // 银行承兑汇票, 商业承兑汇票
    QString direction;  // 收到, 开出
    QString number;     // up to 30 digits
    money::Cents amount = 0;
    QString party;  // the drawer of a bill received, the payee of one issued
    QDate issued;
    QDate due;
    QString state = kOutstanding;  // 未兑付, 已兑付, 已退回
    QString bookName;              // filled when listed
};
qint64 add_bill(Tdat& dat, const Bill& bill, const QString& user);
// The bank book's bills (every book's when bookId is empty) by due date.
std::vector<Bill> bills(Tdat& dat, const QString& bookId = {});
// Outstanding bills due by today + days (those overdue too), by due date.
std::vector<Bill> bills_due(Tdat& dat, const QDate& today, int days);
// The bank book's bill of that number; refused when there is none.
Bill bill(Tdat& dat, const QString& bookId, const QString& number);
// An outstanding bill is paid (已兑付) or comes back (已退回); refused once settled.
void settle_bill(Tdat& dat, qint64 billId, const QString& state, const QString& user);

}  // namespace qb::cheques
