#include "ledger.h"

#include "errors.h"
#include "fr_dat.h"
#include "months.h"
#include "rowkinds.h"

namespace qb::ledger {
namespace {

using money::Cents;
using namespace rows;
constexpr int kSummaryWidth = 50;  // crereg.zy
constexpr int kHandlerWidth = 10;  // crereg.jbr

QVariantList monthRange(const QDate& date) {
    return {months::iso(months::firstDay(date)), months::iso(months::lastDay(date))};
}

Cents cents(const QVariant& amount) {
    return amount.isNull() ? 0 : money::toCents(amount.toDouble());
}

bool isMarker(const QVariant& summary) {
    return rows::isMarker(summary.toString());
}

// Runs a select and hands each row to the visitor; the statement is released afterwards.
template <typename Visit>
void eachRow(Tdat& dat, const QString& sql, const QVariantList& params, Visit visit) {
    engine::Statement& statement = dat.con().prepare(sql);
    statement.bind(params);
    try {
        while (statement.step())
            visit(statement);
    } catch (...) {
        statement.reset();
        throw;
    }
    statement.reset();
}

int execute(Tdat& dat, const QString& sql, const QVariantList& params) {
    dat.con().execute(sql, params);
    return dat.con().changes();
}

bool exists(Tdat& dat, const QString& sql, const QVariantList& params) {
    return !dat.scalar(sql, params).isNull();
}

// ---- The month's lines and their balance chain ----

struct Line {
    qint64 rowId = 0;
    Cents debit = 0;
    Cents credit = 0;
    Cents balance = 0;
    bool marker = false;   // opening or carry-forward row
    bool counted = false;  // takes part in the month's sums (an entry with a summary)
};

std::vector<Line> monthLines(Tdat& dat, const QString& bookId, const QDate& date) {
    std::vector<Line> lines;
    eachRow(dat,
            QStringLiteral("select rowid,j_je,d_je,y_je,zy from crereg where zbh=? and "
                           "dzrq between ? and ? order by ") +
                journal_order(),
            QVariantList{bookId} + monthRange(date), [&](engine::Statement& s) {
                const QVariant summary = s.value(4);
                const bool marker = isMarker(summary);
                lines.push_back({s.value(0).toLongLong(), cents(s.value(1)), cents(s.value(2)),
                                 cents(s.value(3)), marker, !summary.isNull() && !marker});
            });
    return lines;
}

// Gives lines[from..] their running balance after `balance`; writes only what changed.
int chain(Tdat& dat, std::vector<Line>& lines, size_t from, Cents balance) {
    int changed = 0;
    engine::Statement& update =
        dat.con().prepare(QStringLiteral("update crereg set y_je=? where rowid=?"));
    for (size_t i = from; i < lines.size(); ++i) {
        balance += lines[i].debit - lines[i].credit;
        if (lines[i].balance == balance) continue;
        lines[i].balance = balance;
        update.bind({money::fromCents(balance), lines[i].rowId});
        update.step();
        ++changed;
    }
    return changed;
}

// The balance brought into the month as total records it (opening or carry-forward row).
Cents broughtIn(Tdat& dat, const QString& bookId, const QDate& date) {
    return cents(
        dat.scalar(QStringLiteral("select y_je from total where zbh=? and dzrq between ? "
                                  "and ? and (zy=? or zy=?) order by rowid limit 1"),
                   QVariantList{bookId} + monthRange(date) + QVariantList{kOpening, kCarry}));
}

// Chains the lines from position p on, starting from the line before it. A first line brings in
// its own balance when it is an opening or carry-forward row, else the month's balance in total.
void chainFromPosition(Tdat& dat, const QString& bookId, const QDate& date,
                       std::vector<Line>& lines, size_t p) {
    if (p >= lines.size()) return;
    if (p > 0)
        chain(dat, lines, p, lines[p - 1].balance);
    else if (lines[0].marker)
        chain(dat, lines, 1, lines[0].balance);
    else
        chain(dat, lines, 0, broughtIn(dat, bookId, date));
}

// Writing rows for no book would leave rows that no window ever shows.
void requireBook(const QString& bookId) {
    if (bookId.trimmed().isEmpty()) throw DbError(QStringLiteral("没有选定帐簿"));
}

size_t positionOf(const std::vector<Line>& lines, qint64 rowId) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].rowId == rowId) return i;
    return lines.size();
}

int recalc(Tdat& dat, std::vector<Line>& lines) {
    return lines.empty() ? 0 : chain(dat, lines, 1, lines[0].balance);
}

// ---- Posting ----

struct Pair {
    Cents debit = 0;
    Cents credit = 0;
};

bool hasTotalRows(Tdat& dat, const QString& bookId, const QDate& date) {
    return exists(
        dat, QStringLiteral("select 1 from total where zbh=? and dzrq between ? and ? limit 1"),
        QVariantList{bookId} + monthRange(date));
}

// The cumulative sums the month starts from: the cumulative row of the month before it.
Pair cumulativeBefore(Tdat& dat, const QString& bookId, const QDate& month) {
    Pair cum;
    eachRow(
        dat,
        QStringLiteral("select j_je,d_je from total where zbh=? and dzrq between ? and ? and "
                       "zy=? order by rowid limit 1"),
        QVariantList{bookId} + monthRange(months::previousMonth(month)) + QVariantList{kCumulative},
        [&](engine::Statement& s) {
            cum = {cents(s.value(0)), cents(s.value(1))};
        });
    return cum;
}

// Updates the month's total row of that summary; returns whether there was one.
bool updateTotal(Tdat& dat, const QString& bookId, const QDate& month, const QString& summary,
                 Pair sums, Cents balance) {
    return execute(dat,
                   QStringLiteral("update total set j_je=?,d_je=?,y_je=? where zbh=? and "
                                  "dzrq between ? and ? and zy=?"),
                   QVariantList{money::fromCents(sums.debit), money::fromCents(sums.credit),
                                money::fromCents(balance), bookId} +
                       monthRange(month) + QVariantList{summary}) > 0;
}

// The rows that open the month: updated where posting made them before, inserted where not.
void openMonth(Tdat& dat, const QString& bookId, const QDate& first, Pair cum, Cents closing) {
    const double balance = money::fromCents(closing);
    const QString day = months::iso(first);
    for (const bool journal : {true, false}) {
        const QString table = journal ? QStringLiteral("crereg") : QStringLiteral("total");
        if (execute(
                dat,
                QStringLiteral("update %1 set y_je=? where zbh=? and dzrq=? and zy=?").arg(table),
                {balance, bookId, day, kCarry}))
            continue;
        if (journal)
            dat.execute(QStringLiteral("insert into crereg(dzrq,pzh,ph,zy,j_je,d_je,y_je,pzn,bxr,"
                                       "jbr,zbh) values(?,0,'',?,0,0,?,0,'','',?)"),
                        {day, kCarry, balance, bookId});
        else
            dat.execute(QStringLiteral("insert into total(dzrq,pzh,ph,zy,j_je,d_je,y_je,zbh) "
                                       "values(?,0,'',?,0,0,?,?)"),
                        {day, kCarry, balance, bookId});
    }
    const struct {
        int voucher;
        const QString& summary;
        Pair sums;
    } rows[] = {{1, kMonthTotal, Pair{}}, {2, kCumulative, cum}};
    for (const auto& row : rows) {
        if (updateTotal(dat, bookId, first, row.summary, row.sums, closing)) continue;
        dat.execute(QStringLiteral("insert into total(dzrq,pzh,ph,zy,j_je,d_je,y_je,zbh) "
                                   "values(?,?,'',?,?,?,?,?)"),
                    {day, row.voucher, row.summary, money::fromCents(row.sums.debit),
                     money::fromCents(row.sums.credit), balance, bookId});
    }
}

struct Posted {
    Cents closing = 0;
    Pair cumulative;
};

// One month's posting from its lines as they stand, balances recalculated first.
Posted postOne(Tdat& dat, const QString& bookId, const QDate& month, Pair cumBefore) {
    std::vector<Line> lines = monthLines(dat, bookId, month);
    recalc(dat, lines);
    Pair sums;
    for (const Line& line : lines) {
        if (!line.counted) continue;
        sums.debit += line.debit;
        sums.credit += line.credit;
    }
    Posted posted;
    posted.closing = lines.empty() ? 0 : lines.back().balance;
    posted.cumulative = {cumBefore.debit + sums.debit, cumBefore.credit + sums.credit};
    // A month whose own rows are missing (the month before was never posted) is posted all the
    // same: the updates find nothing and the following month is opened.
    updateTotal(dat, bookId, month, kMonthTotal, sums, posted.closing);
    updateTotal(dat, bookId, month, kCumulative, posted.cumulative, posted.closing);
    openMonth(dat, bookId, months::nextMonth(month), posted.cumulative, posted.closing);
    return posted;
}

// ---- Summaries of reversal ----

// prefix + S + suffix within the width of zy, S cut at its end when it does not fit.
QString wrapped(const QString& prefix, const QString& summary, const QString& suffix) {
    const int room = kSummaryWidth - int(prefix.size()) - int(suffix.size());
    return prefix + summary.left(std::max(room, 0)) + suffix;
}

}  // namespace

QString journal_order(bool descending) {
    static const QStringList keys{
        QStringLiteral("dzrq"), QStringLiteral("pzh"),
        QStringLiteral("case when substr(zy,1,5)='被冲账 [' then 0 when substr(zy,1,3)='冲账[' "
                       "then 1 when substr(zy,1,2)='新[' then 2 else 3 end"),
        QStringLiteral("zy"), QStringLiteral("rowid")};
    return descending ? keys.join(QStringLiteral(" desc,")) + QStringLiteral(" desc")
                      : keys.join(QLatin1Char(','));
}

MonthSql month_view(const QString& bookId, const QDate& anyDayOfMonth) {
    return {QStringLiteral("select * from crereg where zbh=? and dzrq between ? and ? order by ") +
                journal_order(),
            QVariantList{bookId} + monthRange(anyDayOfMonth)};
}

// ---- Books ----

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
    Transaction t(dat);
    const QString id = next_book_id(dat, today);
    dat.execute(QStringLiteral("insert into accstar(zbid,zblb,zbmc,zh,qcye,flag,qyrq) "
                               "values(?,?,?,?,?,'0',?)"),
                {id, fields.category, fields.name, fields.account, money::fromCents(fields.opening),
                 months::iso(fields.startDate)});
    t.commit();
    return id;
}

void update_book(Tdat& dat, const QString& bookId, const BookFields& fields, bool enabled) {
    Transaction t(dat);
    dat.execute(QStringLiteral("update accstar set zblb=?,zbmc=?,zh=?,qcye=?,flag=?,qyrq=? "
                               "where zbid=?"),
                {fields.category, fields.name, fields.account, money::fromCents(fields.opening),
                 enabled ? QStringLiteral("1") : QStringLiteral("0"), months::iso(fields.startDate),
                 bookId});
    t.commit();
}

void delete_book(Tdat& dat, const QString& bookId) {
    Transaction t(dat);
    dat.execute(QStringLiteral("delete from accstar where zbid=?"), {bookId});
    dat.execute(QStringLiteral("delete from crereg where zbh=?"), {bookId});
    dat.execute(QStringLiteral("delete from total where zbh=?"), {bookId});
    t.commit();
}

int save_book_ticks(Tdat& dat, const std::vector<BookTick>& ticks) {
    Transaction t(dat);
    int created = 0;
    for (const BookTick& tick : ticks) {
        if (tick.ticked) {
            const QString start = months::iso(tick.startDate);
            const double opening = money::fromCents(tick.opening);
            // The journal's opening row counts wherever it is dated; the total rows only within
            // the start month.
            if (!exists(dat, QStringLiteral("select 1 from crereg where zbh=? and zy=? limit 1"),
                        {tick.bookId, kOpening})) {
                dat.execute(QStringLiteral("insert into crereg(dzrq,pzh,zy,j_je,d_je,y_je,zbh) "
                                           "values(?,0,?,0,0,?,?)"),
                            {start, kOpening, opening, tick.bookId});
                ++created;
            }
            const std::pair<int, QString> rows[] = {
                {0, kOpening}, {1, kMonthTotal}, {2, kCumulative}};
            for (const auto& [voucher, summary] : rows) {
                if (exists(dat,
                           QStringLiteral("select 1 from total where zbh=? and zy=? and dzrq "
                                          "between ? and ? limit 1"),
                           QVariantList{tick.bookId, summary} + monthRange(tick.startDate)))
                    continue;
                dat.execute(QStringLiteral("insert into total(dzrq,pzh,zy,j_je,d_je,y_je,zbh) "
                                           "values(?,?,?,0,0,?,?)"),
                            {start, voucher, summary, opening, tick.bookId});
                ++created;
            }
        }
        dat.execute(QStringLiteral("update accstar set flag=? where zbid=?"),
                    {tick.ticked ? QStringLiteral("1") : QStringLiteral("0"), tick.bookId});
    }
    t.commit();
    return created;
}

// ---- Journal lines ----

NewLine add_line(Tdat& dat, const QString& bookId, const QDate& date, const QString& handler) {
    requireBook(bookId);
    if (!date.isValid()) throw DbError(QStringLiteral("记账日期无效"));
    Transaction t(dat);
    NewLine line;
    line.voucher =
        dat.scalar(
               QStringLiteral("select max(pzh) from crereg where zbh=? and dzrq between ? and ?"),
               QVariantList{bookId} + monthRange(date))
            .toInt() +
        1;
    dat.execute(QStringLiteral("insert into crereg(dzrq,pzh,ph,zy,j_je,d_je,y_je,pzn,bxr,jbr,zbh) "
                               "values(?,?,'','',0,0,0,0,'',?,?)"),
                {months::iso(date), line.voucher, handler.left(kHandlerWidth), bookId});
    line.rowId = dat.con().lastInsertId();
    std::vector<Line> lines = monthLines(dat, bookId, date);
    chainFromPosition(dat, bookId, date, lines, positionOf(lines, line.rowId));
    t.commit();
    return line;
}

namespace {

struct Located {
    QString bookId;
    QDate date;
    bool marker = false;
};

std::optional<Located> locate(Tdat& dat, qint64 rowId) {
    std::optional<Located> found;
    eachRow(dat, QStringLiteral("select zbh,dzrq,zy from crereg where rowid=?"), {rowId},
            [&](engine::Statement& s) {
                found = Located{s.value(0).toString(),
                                QDate::fromString(s.value(1).toString(), Qt::ISODate),
                                isMarker(s.value(2))};
            });
    return found;
}

}  // namespace

DeleteResult delete_line(Tdat& dat, qint64 rowId) {
    const std::optional<Located> row = locate(dat, rowId);
    if (!row) return DeleteResult::NotFound;
    if (row->marker) return DeleteResult::MarkerRow;
    Transaction t(dat);
    std::vector<Line> lines;
    size_t p = 0;
    if (row->date.isValid()) {
        lines = monthLines(dat, row->bookId, row->date);
        p = positionOf(lines, rowId);
        if (p < lines.size()) lines.erase(lines.begin() + qsizetype(p));
    }
    dat.execute(QStringLiteral("delete from crereg where rowid=?"), {rowId});
    chainFromPosition(dat, row->bookId, row->date, lines, p);
    t.commit();
    return DeleteResult::Deleted;
}

void propagate_from(Tdat& dat, qint64 rowId) {
    const std::optional<Located> row = locate(dat, rowId);
    if (!row) throw DbError(QStringLiteral("找不到要计算余额的记录（已被删除？）"));
    if (!row->date.isValid()) return;  // a line without a date belongs to no month
    Transaction t(dat);
    std::vector<Line> lines = monthLines(dat, row->bookId, row->date);
    chainFromPosition(dat, row->bookId, row->date, lines, positionOf(lines, rowId));
    t.commit();
}

int recalc_month(Tdat& dat, const QString& bookId, const QDate& anyDayOfMonth) {
    Transaction t(dat);
    std::vector<Line> lines = monthLines(dat, bookId, anyDayOfMonth);
    const int changed = recalc(dat, lines);
    t.commit();
    return changed;
}

// ---- Posting ----

PostResult post_month(Tdat& dat, const QString& bookId, const QDate& anyDayOfMonth) {
    requireBook(bookId);
    if (!anyDayOfMonth.isValid()) throw DbError(QStringLiteral("过帐月份无效"));
    Transaction t(dat);
    QDate month = months::firstDay(anyDayOfMonth);
    PostResult result;
    result.reposted = hasTotalRows(dat, bookId, months::nextMonth(month));
    Posted posted = postOne(dat, bookId, month, cumulativeBefore(dat, bookId, month));
    result.closing = posted.closing;
    // Every later month that is posted too is posted again from the corrected figures; the
    // first open month's lines are chained from its new carry-forward balance.
    for (month = months::nextMonth(month); hasTotalRows(dat, bookId, months::nextMonth(month));
         month = months::nextMonth(month)) {
        posted = postOne(dat, bookId, month, posted.cumulative);
        ++result.laterMonthsUpdated;
    }
    std::vector<Line> open = monthLines(dat, bookId, month);
    recalc(dat, open);
    t.commit();
    return result;
}

// ---- Reversal ----

QString correcting_summary(const QString& formerSummary) {
    return wrapped(QStringLiteral("新["), formerSummary, QStringLiteral("]"));
}

Reversal reverse_line(Tdat& dat, qint64 rowId, const QString& user) {
    Transaction t(dat);
    Reversal r;
    Cents debit = 0, credit = 0, balance = 0;
    QString bookId, day;
    bool found = false, marker = false;
    eachRow(dat, QStringLiteral("select dzrq,pzh,zy,j_je,d_je,y_je,zbh from crereg where rowid=?"),
            {rowId}, [&](engine::Statement& s) {
                found = true;
                day = s.value(0).toString();
                r.voucher = s.value(1).toInt();
                r.formerSummary = s.value(2).toString();
                marker = isMarker(s.value(2));
                debit = cents(s.value(3));
                credit = cents(s.value(4));
                balance = cents(s.value(5));
                bookId = s.value(6).toString();
            });
    if (!found) throw DbError(QStringLiteral("找不到要冲账的记录（已被删除？）"));
    if (marker) throw DbError(QStringLiteral("期初余额和月结转余额行不能冲账。"));
    r.date = QDate::fromString(day, Qt::ISODate);
    r.balanceBefore = balance - debit + credit;
    dat.execute(QStringLiteral("update crereg set zy=? where rowid=?"),
                {wrapped(QStringLiteral("被冲账 ["), r.formerSummary, QStringLiteral("]")), rowId});
    dat.execute(QStringLiteral("insert into crereg(dzrq,pzh,ph,zy,j_je,d_je,y_je,pzn,bxr,jbr,zbh) "
                               "values(?,?,null,?,?,?,?,null,null,?,?)"),
                {day, r.voucher,
                 wrapped(QStringLiteral("冲账[") + day + QLatin1Char(' '), r.formerSummary,
                         QStringLiteral("]")),
                 money::fromCents(-debit), money::fromCents(-credit),
                 money::fromCents(r.balanceBefore), user.left(kHandlerWidth), bookId});
    r.reversalRowId = dat.con().lastInsertId();
    t.commit();
    return r;
}

}  // namespace qb::ledger
