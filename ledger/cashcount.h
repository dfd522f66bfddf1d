#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

#include "money.h"
#include "users.h"

class Tdat;

// The cash count (现金盘点) of a cash book on a day: the cash in the till counted by
// denomination against the book's balance after the day's last line, adjusted by what is in
// hand but not yet booked. A count is saved once and never changed; a later count of the same
// day is a new one. One whose cash differs from the adjusted balance (长款 or 短款) waits
// (待处理) until a journal line that settles it is linked to it. Saving and settling are each
// one transaction under the book's lock, logged; refusals are qb::DbError with a message for
// the cashier, and nothing is saved.
namespace qb::cashcount {

using money::Cents;

// The denominations of the 现金盘点表, largest first, in cents: 100, 50, 20, 10, 5, 2, 1 元;
// 5, 2, 1 角; 5, 2, 1 分.
inline constexpr int kDenominationCount = 13;
inline constexpr std::array<Cents, kDenominationCount> kDenominations = {
    10000, 5000, 2000, 1000, 500, 200, 100, 50, 20, 10, 5, 2, 1};
using Quantities = std::array<qint64, kDenominationCount>;
inline constexpr qint64 kQuantityAtMost = 99'999'999;
// "100元", "5角", "2分".
QString denomination_text(Cents denomination);
// A denomination's place in kDenominations; -1 for none.
int denomination_index(Cents denomination);
// A quantity as typed: a whole number from 0 to kQuantityAtMost (blanks around it allowed, empty
// is 0); nothing for anything else.
std::optional<qint64> parse_quantity(const QString& typed);
// Reads quantities as the command line gives them: "100=12,50=3,0.5=2", each denomination in
// 元. Refused, naming the item: an unknown denomination, a quantity that is not a whole number
// of at least 0, a denomination given twice.
Quantities parse_quantities(const QString& text);

inline const QString kOver = QStringLiteral("长款");
inline const QString kShort = QStringLiteral("短款");
inline const QString kPending = QStringLiteral("待处理");
inline const QString kSettled = QStringLiteral("已处理");
// The settling line's summaries.
inline const QString kOverSummary = QStringLiteral("现金盘盈 待处理");
inline const QString kShortSummary = QStringLiteral("现金盘亏 待处理");
// Names and notes hold so many characters.
inline constexpr int kNameWidth = 16;
inline constexpr int kNoteWidth = 50;

struct CashBook {
    QString id;
    QString name;
};
// The ledger's cash books, by name.
std::vector<CashBook> cash_books(Tdat& dat);

// Counting and settling are an operator's or administrator's work; anyone may view and print.
void require_right(users::Role role);

// An amount with what it is.
struct Noted {
    Cents amount = 0;
    QString note;
};

struct Count {
    qint64 id = 0;  // 0 until saved
    QString bookId;
    QDate day;
    Quantities quantities{};
    Cents bookBalance = 0;    // 账面余额: the book's balance after the day's last line, then
    Noted receivedUnbooked;   // 已收未记
    Noted paidUnbooked;       // 已付未记
    Noted iou;                // 白条: listed apart, never cash
    QString counter;          // 盘点人
    QString witness;          // 监盘人
    QDateTime time;           // when it was saved (UTC)
    QString user;             // who saved it
    qint64 settlingLine = 0;  // the journal line that settles its difference; 0 while it waits
    QString bookName;         // the book's name and category, filled when read
    QString category;

    Cents amount(int denomination) const {
        return quantities[size_t(denomination)] * kDenominations[size_t(denomination)];
    }
    Cents counted() const;    // 实存: counted cash only
    Cents adjusted() const {  // 调整后账面余额
        return bookBalance + receivedUnbooked.amount - paidUnbooked.amount;
    }
    Cents difference() const { return counted() - adjusted(); }  // > 0 长款, < 0 短款
    // 长款, 短款, or empty when cash and book agree.
    QString differenceKind() const;
    bool pending() const { return difference() != 0 && settlingLine == 0; }
    // 待处理, 已处理, or empty when there is nothing to settle.
    QString state() const;
};

// What a count says besides its figures: IOUs held in place of cash (白条抵库 is not allowed),
// and a day that ends (its 账面余额) above the book's cash limit or below zero.
QStringList warnings(Tdat& dat, const Count& count);

// The book's balance after the day's last line, as a count of that day would take it; refused
// as save refuses a book or day.
Cents book_balance(Tdat& dat, const QString& bookId, const QDate& day);

// Saves the count: the book's balance is read under its lock and stored with it, the time and
// user set. Refused: a book that is not a cash book or not initialized, a day before the book's
// start or after today, a quantity below 0 or beyond kQuantityAtMost, an amount below 0 or
// beyond money::kLimit, an empty counter or witness, the same person as both, a name or note
// too long. Returns the count as saved.
Count save(Tdat& dat, Count count, const QString& user);

// Saved counts, newest first: a book's (every book's when bookId is empty), only those waiting
// when pendingOnly. A settling line deleted since counts as none: the count waits again.
std::vector<Count> counts(Tdat& dat, const QString& bookId = {}, bool pendingOnly = false);
// One saved count; an unknown id is refused.
Count count(Tdat& dat, qint64 id);

// The line that settles a count's difference on the day (the count's own when invalid):
// "现金盘盈 待处理" as money in for 长款, "现金盘亏 待处理" as money out for 短款, the
// difference as amount, the month's next voucher number, the user as handler.
struct Settling {
    QDate date;
    QString summary;
    Cents debit = 0;
    Cents credit = 0;
};
Settling settling_line(const Count& count, const QDate& day = {});
// Writes that line through the ledger's line writer and links it to the count, in one
// transaction under the book's lock; returns its row id. Refused: a count with nothing to
// settle or settled already, a day before the count's, what the line writer refuses (a posted
// month).
qint64 settle(Tdat& dat, qint64 countId, const QDate& day, const QString& user);

}  // namespace qb::cashcount
