#include "cashlimit.h"

#include "errors.h"
#include "figures.h"
#include "ledger_detail.h"
#include "months.h"
#include "oplog.h"
#include "tables.h"

namespace qb::cashlimit {
namespace {

using namespace ledger::detail;

const QString kTable = QStringLiteral("xjxe");

// The limit as the log keeps it: {"xe": cents}, or null for none.
QString logged(const std::optional<Cents>& limit) {
    return limit ? oplog::values_text({{QStringLiteral("xe"), *limit}}) : QString();
}

// Replaces the book's limit (none removes it) in one transaction under its lock, logged when it
// changes.
void write(Tdat& dat, const QString& bookId, const std::optional<Cents>& limit) {
    Transaction t(dat);
    lockBook(dat, bookId);
    if (limit)
        require_cash_book(dat, bookId);
    else
        requireBook(dat, bookId);
    const std::optional<Cents> before = cashlimit::limit(dat, bookId);
    if (before == limit) return;
    schema::ensureTable(dat, kTable);
    dat.execute(QStringLiteral("delete from xjxe where zbh=?"), {bookId});
    if (limit)
        dat.execute(QStringLiteral("insert into xjxe(zbh,xe) values(?,?)"),
                    {bookId, money::fromCents(*limit)});
    oplog::append(dat, {oplog::kCashLimitSet, bookId, {}, 0, logged(before), logged(limit)});
    t.commit();
}

}  // namespace

bool is_cash_category(const QString& category) {
    return category.trimmed() == kCashCategory;
}

void require_cash_book(Tdat& dat, const QString& bookId) {
    const Book book = requireBook(dat, bookId);
    if (!is_cash_category(book.category))
        throw DbError(QStringLiteral("帐簿“%1”（%2）不是现金日记帐，没有库存现金限额。")
                          .arg(book.name, book.category));
}

std::optional<Cents> limit(Tdat& dat, const QString& bookId) {
    if (!schema::present(dat, kTable)) return std::nullopt;
    const QVariant value =
        dat.scalar(QStringLiteral("select xe from xjxe where zbh=? limit 1"), {bookId});
    if (value.isNull() || !value.isValid()) return std::nullopt;
    return cents(value);
}

void set_limit(Tdat& dat, const QString& bookId, Cents limit) {
    if (limit <= 0) throw DbError(QStringLiteral("库存现金限额必须大于零。"));
    if (!money::withinLimit(limit)) throw DbError(money::beyondLimit(limit));
    write(dat, bookId, limit);
}

void clear_limit(Tdat& dat, const QString& bookId) {
    write(dat, bookId, std::nullopt);
}

Standing judge(Cents closing, std::optional<Cents> limit) {
    if (closing < 0) return Standing::BelowZero;
    if (limit && closing > *limit) return Standing::AboveLimit;
    return Standing::Within;
}

Standing day_end(Tdat& dat, const QString& bookId, const QDate& day) {
    const std::optional<Book> book = findBook(dat, bookId);
    if (!book || !is_cash_category(book->category)) return Standing::Within;
    return judge(figures::closing(dat, bookId, day), limit(dat, bookId));
}

QString warning(const QString& bookName, const QDate& day, Standing standing, Cents closing,
                std::optional<Cents> limit) {
    const QString head = QStringLiteral("%1 现金日记帐“%2”日终余额 %3 元，")
                             .arg(months::iso(day), bookName, money::grouped(closing));
    switch (standing) {
        case Standing::AboveLimit:
            return head + QStringLiteral("超过库存现金限额 %1 元。")
                              .arg(money::grouped(limit.value_or(0)));
        case Standing::BelowZero:
            return head + QStringLiteral("低于零。");
        case Standing::Within:
            break;
    }
    return {};
}

QString warning_after_save(Tdat& dat, const QString& bookId, const QDate& day, Standing before) {
    const std::optional<Book> book = findBook(dat, bookId);
    if (!book || !is_cash_category(book->category) || !day.isValid()) return {};
    const Cents closing = figures::closing(dat, bookId, day);
    const std::optional<Cents> limit = cashlimit::limit(dat, bookId);
    const Standing now = judge(closing, limit);
    return now == before ? QString() : warning(book->name, day, now, closing, limit);
}

QString mark(Standing standing) {
    switch (standing) {
        case Standing::AboveLimit:
            return QStringLiteral("超限额");
        case Standing::BelowZero:
            return QStringLiteral("负数");
        case Standing::Within:
            break;
    }
    return {};
}

}  // namespace qb::cashlimit
