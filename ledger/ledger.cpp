// The journal's lines: the one writer of lines, cell edits, deletion, balance chaining and the
// reversal.
#include "ledger.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSet>
#include <limits>

#include "errors.h"
#include "figures.h"
#include "ledger_detail.h"
#include "months.h"
#include "oplog.h"
#include "rowkinds.h"

namespace qb::ledger {
namespace {

using namespace detail;
constexpr int kTicketWidth = 15;    // crereg.ph
constexpr int kSummaryWidth = 50;   // crereg.zy
constexpr int kClaimantWidth = 10;  // crereg.bxr
constexpr int kHandlerWidth = 10;   // crereg.jbr

// ---- The writer of journal lines ----

// An ordinary line goes only into an open month; a correcting entry into its reversal's month,
// posted as it is; a reversal entry beside the line it reverses.
enum class Kind { Ordinary, Correcting, Reversal };

void refuseReserved(const QString& summary) {
    if (rows::isReserved(summary))
        throw DbError(
            QStringLiteral("摘要“%1”是系统保留的写法，普通凭证不能使用：期初余额、月结转余额、"
                           "本月合计、本月累计，以及以“%2”或“%3”开头的摘要都留给系统自己的行。")
                .arg(summary.trimmed(), rows::kReversedPrefix, rows::kReversalPrefix));
}

// Refuses a field the journal's columns cannot hold, naming it.
void requireFits(const LineFields& line) {
    const auto number = [](int value, const char* title) {
        if (value < 0 || value > std::numeric_limits<qint16>::max())
            throw DbError(
                QStringLiteral("%1必须是 0 到 32767 之间的整数！").arg(QString::fromUtf8(title)));
    };
    number(line.voucher, "凭证号");
    number(line.voucherCount, "凭证张数");
    const auto text = [](const QString& value, int width, const char* title) {
        if (value.size() > width)
            throw DbError(
                QStringLiteral("%1最多 %2 个字符！").arg(QString::fromUtf8(title)).arg(width));
    };
    text(line.ticket, kTicketWidth, "票号");
    text(line.summary, kSummaryWidth, "摘要");
    text(line.claimant, kClaimantWidth, "报销人");
    requireWithinLimit(line.debit);
    requireWithinLimit(line.credit);
}

// Inserts the lines of one book, then carries the balance on in each month they fall into from
// the first of them in journal order, or from movedRow, a stored line the caller has just moved
// in its month, where that comes first. A reversal entry leaves ticket, voucher count and
// claimant unset.
std::vector<qint64> writeLines(Tdat& dat, const Book& book, const std::vector<LineFields>& lines,
                               Kind kind, qint64 movedRow = 0) {
    requireInitialized(dat, book);
    QSet<QDate> openMonths;  // asked once each, however many lines a batch has there
    for (const LineFields& line : lines) {
        requireInLife(book, line.date);
        requireFits(line);
        if (kind != Kind::Ordinary) continue;
        refuseReserved(line.summary);
        if (!openMonths.contains(months::firstDay(line.date))) {
            requireOpenMonth(dat, book.id, line.date, QStringLiteral("添加"));
            openMonths.insert(months::firstDay(line.date));
        }
    }
    const bool reversal = kind == Kind::Reversal;
    std::vector<qint64> ids;
    QMap<QDate, QList<qint64>> byMonth;
    for (const LineFields& line : lines) {
        dat.execute(
            QStringLiteral("insert into crereg(dzrq,pzh,ph,zy,j_je,d_je,y_je,pzn,bxr,jbr,zbh) "
                           "values(?,?,?,?,?,?,0,?,?,?,?)"),
            {months::iso(line.date), line.voucher, reversal ? QVariant() : QVariant(line.ticket),
             line.summary, money::fromCents(line.debit), money::fromCents(line.credit),
             reversal ? QVariant() : QVariant(line.voucherCount),
             reversal ? QVariant() : QVariant(line.claimant), line.handler.left(kHandlerWidth),
             book.id});
        ids.push_back(dat.con().lastInsertId());
        byMonth[months::firstDay(line.date)].append(ids.back());
    }
    for (auto month = byMonth.cbegin(); month != byMonth.cend(); ++month) {
        std::vector<Line> monthRows = monthLines(dat, book.id, month.key());
        size_t first = positionOf(monthRows, movedRow);
        for (const qint64 id : month.value())
            first = std::min(first, positionOf(monthRows, id));
        chainFromPosition(dat, book.id, month.key(), monthRows, first);
    }
    return ids;
}

// The log's entry for a change of journal lines.
void logLines(Tdat& dat, const QString& operation, const QString& bookId, const QDate& date,
              qint64 rowId, const QString& before, const QString& after) {
    oplog::append(dat, {operation, bookId, date.isValid() ? months::monthText(date) : QString(),
                        rowId, before, after});
}

// ---- Cell edits ----

// The stored column a cell edit may write; the balance is the ledger's own, the handler the
// user who wrote the line, the book id the line's identity.
QString editableColumn(int column) {
    static const char* const names[] = {"dzrq",  "pzh", "ph",  "zy",    "j_je", "d_je",
                                        nullptr, "pzn", "bxr", nullptr, nullptr};
    if (column < 0 || column >= ColumnCount || !names[column])
        throw DbError(QStringLiteral("余额、经办人和账簿号由系统填写，不能修改。"));
    return QLatin1String(names[column]);
}

// A cell's value in the form the table stores, after the ledger's rules for it.
QVariant storedValue(Tdat& dat, const Located& row, int column, const QVariant& value) {
    switch (column) {
        case Dzrq: {
            const QDate date =
                value.typeId() == QMetaType::QDate
                    ? value.toDate()
                    : QDate::fromString(value.toString().trimmed().left(10), Qt::ISODate);
            if (!date.isValid())
                throw DbError(QStringLiteral("无效的日期，请按 YYYY-MM-DD 输入！"));
            // A line moved into another month would break the balances of both months.
            if (months::firstDay(date) != months::firstDay(row.date))
                throw DbError(QStringLiteral("记账日期必须在本月（%1）之内！")
                                  .arg(months::monthText(row.date)));
            requireInLife(requireBook(dat, row.bookId), date);
            return months::iso(date);
        }
        case Zy:
            refuseReserved(value.toString());
            return value.toString();
        case JJe:
        case DJe: {
            const Cents amount = cents(value);
            requireWithinLimit(amount);
            return money::fromCents(amount);
        }
        default:
            return value;
    }
}

// ---- Reversal ----

// The line when it may be reversed, else the refusal.
const Located& requireReversible(Tdat& dat, const std::optional<Located>& row) {
    if (!row) throw DbError(QStringLiteral("找不到要冲账的记录（已被删除？）"));
    if (!month_reversible(dat, row->bookId, row->date))
        throw DbError(
            QStringLiteral("只有已结账月份的记录才需要冲账；本月尚未结账，"
                           "可以直接修改或删除这条记录。"));
    if (row->marker) throw DbError(QStringLiteral("期初余额和月结转余额行不能冲账。"));
    if (rows::isReversal(row->summary)) throw DbError(QStringLiteral("冲账记录不能再冲账。"));
    if (rows::isReversed(row->summary))
        throw DbError(QStringLiteral("这条记录已经冲过账，不能再冲账。"));
    return *row;
}

// prefix + S + suffix within the width of zy, S cut at its end when it does not fit.
QString wrapped(const QString& prefix, const QString& summary, const QString& suffix) {
    const int room = kSummaryWidth - int(prefix.size()) - int(suffix.size());
    return prefix + summary.left(std::max(room, 0)) + suffix;
}

// How many lines of the book carry that summary on that date and voucher number.
int countOf(Tdat& dat, const QString& bookId, const QDate& date, int voucher,
            const QString& summary) {
    return dat
        .scalar(QStringLiteral("select count(*) from crereg where zbh=? and dzrq=? and pzh=? and "
                               "zy=?"),
                {bookId, months::iso(date), voucher, summary})
        .toInt();
}

}  // namespace

QString journal_order(bool descending) {
    const auto prefixIs = [](const QString& prefix) {
        return QStringLiteral("substr(zy,1,%1)='%2'").arg(prefix.size()).arg(prefix);
    };
    static const QStringList keys{
        QStringLiteral("dzrq"),
        QStringLiteral("case when zy in ('%1','%2') then 0 else 1 end")
            .arg(rows::kOpening, rows::kCarry),
        QStringLiteral("pzh"),
        QStringLiteral("case when %1 then 0 when %2 then 1 when %3 then 2 else 3 end")
            .arg(prefixIs(rows::kReversedPrefix), prefixIs(rows::kReversalPrefix),
                 prefixIs(rows::kCorrectingPrefix)),
        QStringLiteral("zy"),
        QStringLiteral("rowid")};
    return descending ? keys.join(QStringLiteral(" desc,")) + QStringLiteral(" desc")
                      : keys.join(QLatin1Char(','));
}

MonthSql month_view(const QString& bookId, const QDate& anyDayOfMonth) {
    return {QStringLiteral("select * from crereg where zbh=? and dzrq between ? and ? order by ") +
                journal_order(),
            QVariantList{bookId} + months::range(anyDayOfMonth)};
}

// ---- Journal lines ----

std::vector<qint64> insert_lines(Tdat& dat, const QString& bookId,
                                 const std::vector<LineFields>& lines) {
    Transaction t(dat);
    lockBook(dat, bookId);
    const std::vector<qint64> ids =
        writeLines(dat, requireBook(dat, bookId), lines, Kind::Ordinary);
    if (!ids.empty())
        logLines(dat, oplog::kLineAdded, bookId, lines.front().date, ids.size() == 1 ? ids[0] : 0,
                 {}, oplog::rows_text(dat, ids));
    t.commit();
    return ids;
}

qint64 insert_line(Tdat& dat, const QString& bookId, const LineFields& line) {
    return insert_lines(dat, bookId, {line}).front();
}

int next_voucher(Tdat& dat, const QString& bookId, const QDate& date) {
    return dat.scalar(QStringLiteral(
                          "select max(pzh) from crereg where zbh=? and dzrq between ? and ?"),
                      QVariantList{bookId} + months::range(date))
               .toInt() +
           1;
}

Cents balance_before(Tdat& dat, const QString& bookId, const QDate& date, int voucher,
                     const QString& summary) {
    // The new line joins the month's lines as the last one written (the highest row id) and
    // the whole is sorted by the chain's own order: the line before it is the one it follows.
    constexpr qint64 kLastRowId = std::numeric_limits<qint64>::max();
    std::optional<Cents> before;
    bool placed = false;
    eachRow(dat,
            QStringLiteral("select y_je,fresh from (select rowid,dzrq,pzh,zy,y_je,0 as fresh "
                           "from crereg where zbh=? and dzrq between ? and ? union all "
                           "select ?,?,?,?,null,1) as m order by ") +
                journal_order(),
            QVariantList{bookId} + months::range(date) +
                QVariantList{kLastRowId, months::iso(date), voucher, summary},
            [&](engine::Statement& s) {
                if (placed) return;
                placed = s.value(1).toInt() == 1;
                if (!placed) before = cents(s.value(0));
            });
    // No line before it: the line chains from what the month brings in, as the writer does.
    return before ? *before : figures::brought_in(dat, bookId, months::firstDay(date));
}

NewLine add_line(Tdat& dat, const QString& bookId, const QDate& date, const QString& handler) {
    Transaction t(dat);
    lockBook(dat, bookId);
    const Book book = requireBook(dat, bookId);
    requireInLife(book, date);
    LineFields blank;
    blank.date = date;
    blank.voucher = next_voucher(dat, bookId, date);
    blank.handler = handler;
    const NewLine line{writeLines(dat, book, {blank}, Kind::Ordinary).front(), blank.voucher};
    logLines(dat, oplog::kLineAdded, bookId, date, line.rowId, {},
             oplog::row_text(dat, line.rowId));
    t.commit();
    return line;
}

void edit_line(Tdat& dat, qint64 rowId, int column, const QVariant& value) {
    Transaction t(dat);
    const std::optional<Located> row = lockLine(dat, rowId);
    if (!row) throw DbError(QStringLiteral("找不到要修改的记录（已被删除？）"));
    if (row->marker) throw DbError(QStringLiteral("期初余额和月结转余额行不能修改。"));
    requireInitialized(dat, requireBook(dat, row->bookId));
    const QString name = editableColumn(column);
    const QVariant stored = storedValue(dat, *row, column, value);
    if (row->date.isValid()) requireOpenMonth(dat, row->bookId, row->date, QStringLiteral("修改"));
    // An amount changes the balances from the line on; a date, voucher number or summary may move
    // the line in the month's order, which changes them from its old or its new place on.
    const bool chained =
        column == Dzrq || column == Pzh || column == Zy || column == JJe || column == DJe;
    const size_t before = chained ? positionOf(monthLines(dat, row->bookId, row->date), rowId) : 0;
    const QVariant old =
        dat.scalar(QStringLiteral("select %1 from crereg where rowid=?").arg(name), {rowId});
    dat.execute(QStringLiteral("update crereg set %1=? where rowid=?").arg(name), {stored, rowId});
    if (chained) {
        std::vector<Line> lines = monthLines(dat, row->bookId, row->date);
        chainFromPosition(dat, row->bookId, row->date, lines,
                          std::min(before, positionOf(lines, rowId)));
    }
    const auto cell = [&](const QVariant& v) {
        const bool amount = (column == JJe || column == DJe) && !v.isNull();
        return oplog::values_text({{name, amount ? QVariant(cents(v)) : v}});
    };
    logLines(dat, oplog::kLineEdited, row->bookId, row->date, rowId, cell(old), cell(stored));
    t.commit();
}

DeleteResult delete_line(Tdat& dat, qint64 rowId) {
    Transaction t(dat);
    const std::optional<Located> row = lockLine(dat, rowId);
    if (!row) return DeleteResult::NotFound;
    if (row->marker) return DeleteResult::MarkerRow;
    std::vector<Line> lines;
    size_t p = 0;
    if (row->date.isValid()) {
        requireOpenMonth(dat, row->bookId, row->date, QStringLiteral("删除"));
        lines = monthLines(dat, row->bookId, row->date);
        p = positionOf(lines, rowId);
        if (p < lines.size()) lines.erase(lines.begin() + qsizetype(p));
    }
    const QString gone = oplog::row_text(dat, rowId);
    dat.execute(QStringLiteral("delete from crereg where rowid=?"), {rowId});
    chainFromPosition(dat, row->bookId, row->date, lines, p);
    logLines(dat, oplog::kLineDeleted, row->bookId, row->date, rowId, gone, {});
    t.commit();
    return DeleteResult::Deleted;
}

qint64 restore_line(Tdat& dat, qint64 logEntryId) {
    Transaction t(dat);
    const std::optional<oplog::Entry> deleted = oplog::entry(dat, logEntryId);
    if (!deleted || deleted->operation != oplog::kLineDeleted || deleted->before.isEmpty())
        throw DbError(QStringLiteral("这条操作日志记录的不是删除的凭证，没有可以恢复的行。"));
    lockBook(dat, deleted->bookId);
    const QString source = QStringLiteral("{\"entry\":%1}").arg(logEntryId);
    if (!oplog::entries(dat, {{}, {}, {}, oplog::kLineRestored, deleted->bookId, source}).empty())
        throw DbError(QStringLiteral("这一行已经恢复过了。"));
    const QJsonObject row = QJsonDocument::fromJson(deleted->before.toUtf8()).object();
    LineFields line;
    line.date = QDate::fromString(row.value(QStringLiteral("dzrq")).toString(), Qt::ISODate);
    line.voucher = row.value(QStringLiteral("pzh")).toInt();
    line.ticket = row.value(QStringLiteral("ph")).toString();
    line.summary = row.value(QStringLiteral("zy")).toString();
    line.debit = row.value(QStringLiteral("j_je")).toInteger();
    line.credit = row.value(QStringLiteral("d_je")).toInteger();
    line.voucherCount = row.value(QStringLiteral("pzn")).toInt();
    line.claimant = row.value(QStringLiteral("bxr")).toString();
    line.handler = row.value(QStringLiteral("jbr")).toString();
    const qint64 id =
        writeLines(dat, requireBook(dat, deleted->bookId), {line}, Kind::Ordinary).front();
    logLines(dat, oplog::kLineRestored, deleted->bookId, line.date, id, source,
             oplog::row_text(dat, id));
    t.commit();
    return id;
}

void propagate_from(Tdat& dat, qint64 rowId) {
    Transaction t(dat);
    const std::optional<Located> row = lockLine(dat, rowId);
    if (!row) throw DbError(QStringLiteral("找不到要计算余额的记录（已被删除？）"));
    if (!row->date.isValid()) return;  // a line without a date belongs to no month
    std::vector<Line> lines = monthLines(dat, row->bookId, row->date);
    chainFromPosition(dat, row->bookId, row->date, lines, positionOf(lines, rowId));
    t.commit();
}

int recalc_month(Tdat& dat, const QString& bookId, const QDate& anyDayOfMonth) {
    Transaction t(dat);
    lockBook(dat, bookId);
    std::vector<Line> lines = monthLines(dat, bookId, anyDayOfMonth);
    const int changed = rechain(dat, lines);
    figures::carry_on(dat, bookId, anyDayOfMonth);
    t.commit();
    return changed;
}

// ---- Reversal ----

bool month_reversible(Tdat& dat, const QString& bookId, const QDate& date) {
    return date.isValid() && monthPosted(dat, bookId, date);
}

void check_reversible(Tdat& dat, qint64 rowId) {
    requireReversible(dat, locate(dat, rowId));
}

Cents line_balance(Tdat& dat, qint64 rowId) {
    return cents(dat.scalar(QStringLiteral("select y_je from crereg where rowid=?"), {rowId}));
}

QString correcting_summary(const QString& formerSummary) {
    return wrapped(rows::kCorrectingPrefix, formerSummary, QStringLiteral("]"));
}

Reversal reverse_line(Tdat& dat, qint64 rowId, const QString& user) {
    Transaction t(dat);
    const std::optional<Located> located = lockLine(dat, rowId);
    const Located& row = requireReversible(dat, located);
    Reversal r;
    r.date = row.date;
    r.formerSummary = row.summary;
    Cents debit = 0, credit = 0;
    eachRow(dat, QStringLiteral("select pzh,j_je,d_je from crereg where rowid=?"), {rowId},
            [&](engine::Statement& s) {
                r.voucher = s.value(0).toInt();
                debit = cents(s.value(1));
                credit = cents(s.value(2));
            });
    const Book book = requireBook(dat, row.bookId);
    const QString before = oplog::row_text(dat, rowId);
    dat.execute(QStringLiteral("update crereg set zy=? where rowid=?"),
                {wrapped(rows::kReversedPrefix, r.formerSummary, QStringLiteral("]")), rowId});
    LineFields entry;
    entry.date = r.date;
    entry.voucher = r.voucher;
    entry.summary = wrapped(rows::kReversalPrefix + months::iso(r.date) + QLatin1Char(' '),
                            r.formerSummary, QStringLiteral("]"));
    entry.debit = -debit;
    entry.credit = -credit;
    entry.handler = user;
    // Marked, the line goes ahead of the other lines of its voucher (never behind its old place),
    // and its reversal entry right after it: the month is chained from the line's new place.
    r.reversalRowId = writeLines(dat, book, {entry}, Kind::Reversal, rowId).front();
    CorrectionRight& right = r.correction;
    right.reversalRowId_ = r.reversalRowId;
    right.bookId_ = book.id;
    right.date_ = r.date;
    right.voucher_ = r.voucher;
    right.summary_ = correcting_summary(r.formerSummary);
    r.balanceBefore = balance_before(dat, book.id, r.date, r.voucher, right.summary_);
    logLines(dat, oplog::kLineReversed, row.bookId, r.date, rowId, before,
             oplog::rows_text(dat, {rowId, r.reversalRowId}));
    t.commit();
    return r;
}

qint64 add_correcting_entry(Tdat& dat, const CorrectionRight& right, const LineFields& fields) {
    if (!right.isValid()) throw DbError(QStringLiteral("没有可以添加更正记录的冲账。"));
    Transaction t(dat);
    lockBook(dat, right.bookId_);
    const Book book = requireBook(dat, right.bookId_);
    const std::optional<Located> reversal = locate(dat, right.reversalRowId_);
    if (!reversal || !rows::isReversal(reversal->summary) || reversal->bookId != book.id)
        throw DbError(QStringLiteral("找不到这笔冲账（已被删除？），不能添加更正记录。"));
    // One correcting entry for each reversal of the line's summary on its date and voucher.
    if (countOf(dat, book.id, right.date_, right.voucher_, right.summary_) >=
        countOf(dat, book.id, right.date_, right.voucher_, reversal->summary))
        throw DbError(QStringLiteral("这笔冲账已经添加过更正记录。"));
    LineFields entry = fields;
    entry.date = right.date_;
    entry.voucher = right.voucher_;
    entry.summary = right.summary_;
    const qint64 id = writeLines(dat, book, {entry}, Kind::Correcting).front();
    t.commit();
    return id;
}

}  // namespace qb::ledger
