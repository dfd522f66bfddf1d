#pragma once

#include <QDate>
#include <QString>
#include <optional>

#include "money.h"

class Tdat;

// The cash limit (库存现金限额) the bank sets for a cash book: the most cash the till may hold at
// the end of a day. Kept in a table of its own (xjxe, made on first use), one row per cash book
// that has one. Setting or clearing it is the book list's business (roles::Action::ManageBooks)
// and is logged; everyone may read it. A day's end is judged against it, and against zero, which
// cash never goes below.
namespace qb::cashlimit {

using money::Cents;

// The category whose books hold cash.
inline const QString kCashCategory = QStringLiteral("现金日记帐");
bool is_cash_category(const QString& category);

// Refuses (qb::DbError) a book that is not a cash book, naming it: only those have a limit.
void require_cash_book(Tdat& dat, const QString& bookId);
// The book's limit; none when it has none (or the ledger has no such table yet).
std::optional<Cents> limit(Tdat& dat, const QString& bookId);
// Sets the limit of a cash book, in one transaction under the book's lock, logged. Refused (a
// qb::DbError, nothing changed): a book that is not a cash book, a limit not above zero or
// beyond money::kLimit.
void set_limit(Tdat& dat, const QString& bookId, Cents limit);
// Removes the book's limit, logged; a book without one is left as it is and nothing is logged.
// Any book may be cleared, so that one moved out of 现金日记帐 keeps no limit.
void clear_limit(Tdat& dat, const QString& bookId);

enum class Standing {
    Within,      // from zero up to the limit (or no limit)
    AboveLimit,  // more cash than the limit allows
    BelowZero,   // less than nothing: a payment booked before its cash came in
};
// A day's closing balance of a cash book against its limit.
Standing judge(Cents closing, std::optional<Cents> limit);
// The cash book's standing at the end of the day (its balance from qb::figures::closing); a book
// that is no cash book is always Within.
Standing day_end(Tdat& dat, const QString& bookId, const QDate& day);

// What the register and the daily report say of a day that ends outside: "2026-12-09 现金日记帐
// “本部”日终余额 5,200.00 元，超过库存现金限额 5,000.00 元。" or "... 日终余额 -20.00 元，
// 低于零。". Empty for Within.
QString warning(const QString& bookName, const QDate& day, Standing standing, Cents closing,
                std::optional<Cents> limit);
// What the register says after a line dated `day` was saved in the book: the warning when the
// day now ends outside and did not end so before the save (`before`, day_end read just before
// it), so that a cashier is told once and not again at every further cell of that day; empty
// otherwise.
QString warning_after_save(Tdat& dat, const QString& bookId, const QDate& day, Standing before);
// The short mark a report row carries: "超限额", "负数", or empty.
QString mark(Standing standing);

}  // namespace qb::cashlimit
