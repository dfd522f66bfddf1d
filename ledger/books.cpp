// The books' operations of the ledger: identifiers, storing, deleting, the opening
// initialization and the months a book has posted.
#include <QSet>

#include "booklock.h"
#include "errors.h"
#include "ledger.h"
#include "ledger_detail.h"
#include "markerrows.h"
#include "months.h"
#include "oplog.h"
#include "rowkinds.h"
#include "tables.h"

namespace qb::ledger {
namespace {

using namespace detail;

// The register, the query and the month operations find a book by its name and category, so a
// second book of the same pair could never be reached.
void refuseDuplicate(Tdat& dat, const BookFields& fields, const QString& ownId) {
    if (exists(dat,
               QStringLiteral("select 1 from accstar where zbmc=? and zblb=? and zbid<>? limit 1"),
               {fields.name, fields.category, ownId}))
        throw DbError(
            QStringLiteral("已经有名称为“%1”、类别为“%2”的帐簿，同名同类别的帐簿只能有一本。")
                .arg(fields.name, fields.category));
}

bool initialized(Tdat& dat, const QString& bookId) {
    return exists(dat, QStringLiteral("select 1 from crereg where zbh=? limit 1"), {bookId}) ||
           exists(dat, QStringLiteral("select 1 from total where zbh=? limit 1"), {bookId});
}

// A new opening amount for a book with rows: its opening rows take it, and it reaches every
// balance after them the way a correction does, by posting the start month again.
void carryNewOpening(Tdat& dat, const QString& bookId, const QDate& start, Cents opening) {
    markers::set_opening(dat, markers::Table::Journal, bookId, opening);
    markers::set_opening(dat, markers::Table::Totals, bookId, opening);
    const QDate month = months::firstDay(start);
    if (first_open_month(dat, bookId) > month) {
        post_month(dat, bookId, month);
        return;
    }
    std::vector<Line> lines = monthLines(dat, bookId, month);
    chainFromPosition(dat, bookId, month, lines, 0);
    for (const QString& summary : {rows::kMonthTotal, rows::kCumulative})
        markers::update_totals(dat, bookId, month, summary, 0, 0, opening);
}

// The fields as the book table can hold them: texts within their widths, the opening within
// the amounts' limit.
void requireFitting(const BookFields& fields) {
    schema::requireFits(QStringLiteral("accstar"), QStringLiteral("zbmc"),
                        QStringLiteral("帐簿名称"), fields.name);
    schema::requireFits(QStringLiteral("accstar"), QStringLiteral("zblb"),
                        QStringLiteral("帐簿类别"), fields.category);
    schema::requireFits(QStringLiteral("accstar"), QStringLiteral("zh"), QStringLiteral("帐号"),
                        fields.account);
    requireWithinLimit(fields.opening);
}

}  // namespace

QString next_book_id(Tdat& dat, const QDate& today) {
    const QString prefix = today.toString(QStringLiteral("yyyyMM"));
    constexpr int kIdWidth = 10;  // zbh
    // The highest sequence number of the month, read as a number: "10" follows "9".
    qint64 highest = 0;
    eachRow(dat, QStringLiteral("select zbid from accstar where zbid>=? and zbid<?"),
            {prefix, prefix + QLatin1Char('~')}, [&](engine::Statement& s) {
                bool ok = false;
                const QString suffix = s.value(0).toString().mid(prefix.size());
                const qint64 number = suffix.toLongLong(&ok);
                if (ok && suffix.size() <= kIdWidth - prefix.size() && !suffix.startsWith('+'))
                    highest = std::max(highest, number);
            });
    for (qint64 number = highest + 1;; ++number) {
        const QString id = prefix + QString::number(number);
        if (id.size() > kIdWidth)
            throw DbError(QStringLiteral("本月（%1）新建的帐簿太多，帐簿号已用完，请下月再建。")
                              .arg(today.toString(QStringLiteral("yyyy年M月"))));
        // Rows left behind by a book deleted outside this program must not join a new book.
        if (!exists(dat, QStringLiteral("select 1 from crereg where zbh=? limit 1"), {id}) &&
            !exists(dat, QStringLiteral("select 1 from total where zbh=? limit 1"), {id}))
            return id;
    }
}

QString add_book(Tdat& dat, const BookFields& fields, const QDate& today) {
    // The register and the query find a book by its name and category.
    if (fields.name.trimmed().isEmpty() || fields.category.trimmed().isEmpty())
        throw DbError(QStringLiteral("帐簿的名称和类别不能为空。"));
    requireFitting(fields);
    Transaction t(dat);
    lockBookList(dat);
    refuseDuplicate(dat, fields, QString());
    const QString id = next_book_id(dat, today);
    dat.execute(QStringLiteral("insert into accstar(zbid,zblb,zbmc,zh,qcye,flag,qyrq) "
                               "values(?,?,?,?,?,'0',?)"),
                {id, fields.category, fields.name, fields.account, money::fromCents(fields.opening),
                 months::iso(fields.startDate)});
    oplog::append(dat, {oplog::kBookAdded, id, {}, 0, {}, oplog::book_text(dat, id)});
    t.commit();
    return id;
}

void update_book(Tdat& dat, const QString& bookId, const BookFields& fields, bool enabled) {
    requireFitting(fields);
    Transaction t(dat);
    lockBookList(dat);
    lockBook(dat, bookId);
    const Book before = requireBook(dat, bookId);
    const QString was = oplog::book_text(dat, bookId);
    refuseDuplicate(dat, fields, bookId);
    const bool hasRows = initialized(dat, bookId);
    // Its rows are dated from the start date on; a new one would leave them outside its life.
    if (hasRows && fields.startDate != before.start)
        throw DbError(QStringLiteral("此帐簿已经初始化，启用日期（%1）不能再修改。")
                          .arg(months::iso(before.start)));
    dat.execute(QStringLiteral("update accstar set zblb=?,zbmc=?,zh=?,qcye=?,flag=?,qyrq=? "
                               "where zbid=?"),
                {fields.category, fields.name, fields.account, money::fromCents(fields.opening),
                 enabled ? QStringLiteral("1") : QStringLiteral("0"), months::iso(fields.startDate),
                 bookId});
    if (hasRows && fields.opening != before.opening)
        carryNewOpening(dat, bookId, before.start, fields.opening);
    oplog::append(dat, {oplog::kBookChanged, bookId, {}, 0, was, oplog::book_text(dat, bookId)});
    t.commit();
}

void delete_book(Tdat& dat, const QString& bookId) {
    Transaction t(dat);
    lockBook(dat, bookId);
    const QString was = oplog::book_text(dat, bookId);
    dat.execute(QStringLiteral("delete from accstar where zbid=?"), {bookId});
    // Its lines and totals, and whatever else was kept for it (saved reconciliations, statement
    // layouts), so that a new book given the same id starts clean.
    schema::deleteBookRows(dat, bookId);
    oplog::append(dat, {oplog::kBookDeleted, bookId, {}, 0, was, {}});
    t.commit();
}

int save_book_ticks(Tdat& dat, const std::vector<BookTick>& ticks) {
    Transaction t(dat);
    QStringList ids;
    for (const BookTick& tick : ticks)
        ids << tick.bookId;
    ids.sort();
    for (const QString& id : ids)
        lockBook(dat, id);
    int created = 0;
    for (const BookTick& tick : ticks) {
        const QString was = oplog::book_text(dat, tick.bookId);
        const int createdBefore = created;
        if (tick.ticked) {
            requireWithinLimit(tick.opening);
            const markers::Row opening{tick.bookId, tick.startDate, 0, rows::kOpening, 0,
                                       0,           tick.opening};
            // The journal's opening row counts wherever it is dated; the total rows only within
            // the start month.
            if (!exists(dat, QStringLiteral("select 1 from crereg where zbh=? and zy=? limit 1"),
                        {tick.bookId, rows::kOpening})) {
                markers::insert(dat, markers::Table::Journal, opening,
                                markers::Writer::Initialization);
                ++created;
            }
            const std::pair<int, QString> kinds[] = {
                {0, rows::kOpening}, {1, rows::kMonthTotal}, {2, rows::kCumulative}};
            for (const auto& [voucher, summary] : kinds) {
                if (exists(dat,
                           QStringLiteral("select 1 from total where zbh=? and zy=? and dzrq "
                                          "between ? and ? limit 1"),
                           QVariantList{tick.bookId, summary} + months::range(tick.startDate)))
                    continue;
                markers::Row row = opening;
                row.voucher = voucher;
                row.summary = summary;
                markers::insert(dat, markers::Table::Totals, row, markers::Writer::Initialization);
                ++created;
            }
        }
        dat.execute(QStringLiteral("update accstar set flag=? where zbid=?"),
                    {tick.ticked ? QStringLiteral("1") : QStringLiteral("0"), tick.bookId});
        const QString now = oplog::book_text(dat, tick.bookId);
        if (created > createdBefore || now != was)
            oplog::append(dat,
                          {created > createdBefore ? oplog::kBookInitialized : oplog::kBookChanged,
                           tick.bookId,
                           {},
                           0,
                           was,
                           now});
    }
    t.commit();
    return created;
}

int init_book(Tdat& dat, const QString& bookId) {
    const Book book = requireBook(dat, bookId);
    if (!book.start.isValid())
        throw DbError(QStringLiteral("帐簿“%1”没有启用日期，不能初始化").arg(book.name));
    return save_book_ticks(dat, {{bookId, true, book.start, book.opening}});
}

namespace {
QStringList distinct(Tdat& dat, const QString& sql) {
    QStringList values;
    eachRow(dat, sql, {}, [&](engine::Statement& s) { values << s.value(0).toString(); });
    return values;
}
}  // namespace

QStringList book_names(Tdat& dat) {
    return distinct(dat,
                    QStringLiteral("select distinct zbmc from accstar where zbmc<>'' order by 1"));
}

QStringList book_categories(Tdat& dat) {
    return distinct(dat,
                    QStringLiteral("select distinct zblb from accstar where zblb<>'' order by 1"));
}

QDate first_open_month(Tdat& dat, const QString& bookId) {
    const Book book = requireBook(dat, bookId);
    if (!book.start.isValid()) throw DbError(QStringLiteral("帐簿“%1”没有启用日期").arg(book.name));
    QDate month = months::firstDay(book.start);
    QSet<QString> withTotals;
    eachRow(dat, QStringLiteral("select dzrq from total where zbh=? and dzrq>=?"),
            {bookId, months::iso(month)},
            [&](engine::Statement& s) { withTotals.insert(s.value(0).toString().left(7)); });
    while (withTotals.contains(months::monthText(months::nextMonth(month))))
        month = months::nextMonth(month);
    return month;
}

void lock_book(Tdat& dat, const QString& bookId) {
    lockBook(dat, bookId);
}

void require_book(Tdat& dat, const QString& bookId) {
    requireBook(dat, bookId);
}

}  // namespace qb::ledger
