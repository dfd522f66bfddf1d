#include "ledger_detail.h"

#include "errors.h"
#include "figures.h"
#include "ledger.h"
#include "months.h"
#include "rowkinds.h"

namespace qb::ledger::detail {

void lockBook(Tdat& dat, const QString& bookId) {
    dat.con().lock(QStringLiteral("quillbook book ") + bookId);
}

void lockBookList(Tdat& dat) {
    dat.con().lock(QStringLiteral("quillbook books"));
}

std::optional<Book> findBook(Tdat& dat, const QString& bookId) {
    std::optional<Book> found;
    eachRow(dat, QStringLiteral("select zbid,zbmc,zblb,qyrq,qcye from accstar where zbid=?"),
            {bookId}, [&](engine::Statement& s) {
                if (found) return;
                found = Book{s.value(0).toString(), s.value(1).toString(), s.value(2).toString(),
                             QDate::fromString(s.value(3).toString().left(10), Qt::ISODate),
                             cents(s.value(4))};
            });
    return found;
}

Book requireBook(Tdat& dat, const QString& bookId) {
    // Writing rows for no book would leave rows that no window ever shows.
    if (bookId.trimmed().isEmpty()) throw DbError(QStringLiteral("没有选定帐簿"));
    std::optional<Book> book = findBook(dat, bookId);
    if (!book) throw DbError(QStringLiteral("找不到帐簿号为“%1”的帐簿").arg(bookId));
    return *book;
}

void requireInLife(const Book& book, const QDate& date) {
    if (!date.isValid()) throw DbError(QStringLiteral("记账日期无效"));
    // Such a line would sort ahead of the opening row and be chained over it.
    if (book.start.isValid() && date < book.start)
        throw DbError(QStringLiteral("记账日期 %1 早于帐簿的启用日期 %2，不能记账！")
                          .arg(months::iso(date), months::iso(book.start)));
}

bool hasOpeningRows(Tdat& dat, const QString& bookId) {
    // In date order the book's index finds the opening row among its first rows, instead of
    // the server reading every row of the book for it.
    const QString sql =
        QStringLiteral("select 1 from %1 where zbh=? and zy=? order by dzrq limit 1");
    const QVariantList params{bookId, rows::kOpening};
    return exists(dat, sql.arg(QLatin1String("crereg")), params) &&
           exists(dat, sql.arg(QLatin1String("total")), params);
}

void requireInitialized(Tdat& dat, const Book& book) {
    // Its balances would chain from nothing, and a posting would carry 0.00 over its opening.
    if (!hasOpeningRows(dat, book.id))
        throw DbError(QStringLiteral("帐簿“%1”（%2）还没有初始化，没有期初余额行，不能记账或过帐。"
                                     "请先在“帐簿管理”中勾选并保存（初始化）这本帐簿。")
                          .arg(book.name, book.category));
}

void requireWithinLimit(Cents amount) {
    if (!money::withinLimit(amount)) throw DbError(money::beyondLimit(amount));
}

std::vector<Line> monthLines(Tdat& dat, const QString& bookId, const QDate& date) {
    std::vector<Line> lines;
    eachRow(dat,
            QStringLiteral("select rowid,j_je,d_je,y_je,zy from crereg where zbh=? and "
                           "dzrq between ? and ? order by ") +
                journal_order(),
            QVariantList{bookId} + months::range(date), [&](engine::Statement& s) {
                const QVariant summary = s.value(4);
                const bool marker = rows::isMarker(summary.toString());
                lines.push_back({s.value(0).toLongLong(), cents(s.value(1)), cents(s.value(2)),
                                 cents(s.value(3)), marker, !summary.isNull() && !marker});
            });
    return lines;
}

size_t positionOf(const std::vector<Line>& lines, qint64 rowId) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].rowId == rowId) return i;
    return lines.size();
}

int chain(Tdat& dat, std::vector<Line>& lines, size_t from, Cents balance) {
    int changed = 0;
    engine::Statement& update =
        dat.con().prepare(QStringLiteral("update crereg set y_je=? where rowid=?"));
    for (size_t i = from; i < lines.size(); ++i) {
        if (lines[i].marker) {
            balance = lines[i].balance;
            continue;
        }
        balance += lines[i].debit - lines[i].credit;
        requireWithinLimit(balance);
        if (lines[i].balance == balance) continue;
        lines[i].balance = balance;
        update.bind({money::fromCents(balance), lines[i].rowId});
        update.step();
        ++changed;
    }
    return changed;
}

int rechain(Tdat& dat, std::vector<Line>& lines) {
    return lines.empty() ? 0 : chain(dat, lines, 1, lines[0].balance);
}

int chainFromPosition(Tdat& dat, const QString& bookId, const QDate& date, std::vector<Line>& lines,
                      size_t p) {
    int changed = 0;
    if (p < lines.size()) {
        const Cents before = p > 0 ? lines[p - 1].balance
                             : lines[0].marker
                                 ? 0  // it brings its own balance in
                                 : figures::brought_in(dat, bookId, months::firstDay(date));
        changed = chain(dat, lines, p, before);
    }
    // A month emptied by a deletion changes its closing balance too.
    figures::carry_on(dat, bookId, date);
    return changed;
}

bool monthPosted(Tdat& dat, const QString& bookId, const QDate& date) {
    return exists(
        dat, QStringLiteral("select 1 from total where zbh=? and dzrq between ? and ? limit 1"),
        QVariantList{bookId} + months::range(months::nextMonth(date)));
}

QString postedMonthRefusal(const QString& verb) {
    return QStringLiteral("本月数据己结转,禁止") + verb + QStringLiteral("！");
}

void requireOpenMonth(Tdat& dat, const QString& bookId, const QDate& date, const QString& verb) {
    if (monthPosted(dat, bookId, date)) throw DbError(postedMonthRefusal(verb));
}

std::optional<Located> lockLine(Tdat& dat, qint64 rowId) {
    const std::optional<Located> before = locate(dat, rowId);
    if (!before) return before;
    lockBook(dat, before->bookId);
    // Another operation may have changed or deleted the line while this one waited.
    return locate(dat, rowId);
}

std::optional<Located> locate(Tdat& dat, qint64 rowId) {
    std::optional<Located> found;
    eachRow(dat, QStringLiteral("select zbh,dzrq,zy from crereg where rowid=?"), {rowId},
            [&](engine::Statement& s) {
                const QString summary = s.value(2).toString();
                found = Located{s.value(0).toString(),
                                QDate::fromString(s.value(1).toString(), Qt::ISODate), summary,
                                rows::isMarker(summary)};
            });
    return found;
}

}  // namespace qb::ledger::detail
