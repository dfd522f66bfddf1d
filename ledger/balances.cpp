#include "balances.h"

#include "figures.h"
#include "fr_dat.h"
#include "months.h"

namespace qb::balances {

bool is_enabled(const QString& flag) {
    bool number = false;
    return flag.toDouble(&number) == 1 && number;
}

money::Cents balance_through(Tdat& dat, const QString& bookId, const QDate& date) {
    return figures::closing(dat, bookId, months::lastDay(date));
}

std::vector<BookBalance> book_balances(Tdat& dat, const QDate& today) {
    Query books(dat);
    books.setSql(
        QStringLiteral("select zbid,zblb,zbmc,zh,flag,qyrq,qcye from accstar "
                       "order by zbmc,zblb"));
    books.open();
    std::vector<BookBalance> result;
    result.reserve(books.recordCount());
    for (books.first(); !books.eof(); books.next()) {
        BookBalance b;
        b.bookId = books.field(0).asString();
        b.category = books.field(1).asString();
        b.name = books.field(2).asString();
        b.account = books.field(3).asString();
        b.enabled = is_enabled(books.field(4).asString());
        b.start = books.field(5).asDate();
        b.opening = books.field(6).asCents();
        b.balance = balance_through(dat, b.bookId, today);
        result.push_back(std::move(b));
    }
    return result;
}

std::vector<BookBalance> stage_balances(Tdat& dat, const QDate& today) {
    std::vector<BookBalance> books = book_balances(dat, today);
    Transaction t(dat);
    dat.execute(QStringLiteral("delete from zhye"));
    for (const BookBalance& b : books)
        dat.execute(QStringLiteral("insert into zhye(zblb,zbmc,zh,ye) values(?,?,?,?)"),
                    {b.category, b.name, b.account, money::text(b.balance)});
    t.commit();
    return books;
}

std::vector<std::optional<money::Cents>> month_end_balances(Tdat& dat, const BookBalance& book,
                                                            const QDate& last, int count) {
    std::vector<std::optional<money::Cents>> result;
    result.reserve(std::max(0, count));
    for (int i = count - 1; i >= 0; --i) {
        const QDate month = months::firstDay(last).addMonths(-i);
        if (book.start.isValid() && month < months::firstDay(book.start))
            result.push_back(std::nullopt);
        else
            result.push_back(balance_through(dat, book.bookId, month));
    }
    return result;
}

}  // namespace qb::balances
