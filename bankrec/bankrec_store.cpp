// Where reconciliations are kept: tables of their own, made at the first save, so that an older
// ledger and a read-only one work as they are.
#include "bankrec_store.h"

#include <QDateTime>
#include <QHash>
#include <QSet>

#include "errors.h"
#include "fr_dat.h"
#include "gymk.h"
#include "ledger.h"
#include "ledger_detail.h"
#include "months.h"
#include "rowkinds.h"
#include "tables.h"

namespace qb::bankrec {
namespace {

using ledger::detail::eachRow;

// The reconciliation's tables (tables.h).
const char* const kTables[] = {"yhdz", "yhls", "yhgs"};

bool haveTables(Tdat& dat) {
    for (const char* table : kTables)
        if (!schema::present(dat, QLatin1String(table))) return false;
    return true;
}

// Inside the caller's transaction.
void makeTables(Tdat& dat) {
    for (const char* table : kTables)
        schema::ensureTable(dat, QLatin1String(table));
}

// The journal's lines that can meet a statement line: no marker rows, no reversed line and its
// reversal (the two cancel out and the bank never saw them), nothing of no amount.
std::vector<BookItem> journalItems(Tdat& dat, const QString& bookId, const QDate& from,
                                   const QDate& to, const QSet<qint64>& tickedBefore) {
    std::vector<BookItem> items;
    eachRow(dat,
            QStringLiteral("select rowid,dzrq,pzh,ph,zy,j_je,d_je from crereg where zbh=? and "
                           "dzrq between ? and ? order by ") +
                ledger::journal_order(),
            {bookId, months::iso(from), months::iso(to)}, [&](engine::Statement& s) {
                BookItem item;
                item.rowId = s.value(0).toLongLong();
                item.summary = s.value(4).toString();
                item.amount = ledger::detail::cents(s.value(5)) - ledger::detail::cents(s.value(6));
                if (rows::isMarker(item.summary) || rows::isReversed(item.summary) ||
                    rows::isReversal(item.summary) || item.amount == 0 ||
                    tickedBefore.contains(item.rowId))
                    return;
                item.date = QDate::fromString(s.value(1).toString(), Qt::ISODate);
                item.voucher = s.value(2).toInt();
                item.ticket = s.value(3).toString();
                items.push_back(std::move(item));
            });
    return items;
}

// Statement lines as a save kept them, with the journal row each was ticked with in the month.
void savedLines(Tdat& dat, detail::Start& start, const QString& condition,
                const QVariantList& params) {
    const QString month = months::monthText(start.rec.month);
    eachRow(
        dat,
        QStringLiteral("select dzyf,hh,jyrq,zy,dfhm,lsh,je,ye,pzid,ppyf from yhls where ") +
            condition,
        params, [&](engine::Statement& s) {
            BankItem item;
            item.month = s.value(0).toString();
            item.fileLine = s.value(1).toInt();
            item.date = QDate::fromString(s.value(2).toString(), Qt::ISODate);
            item.summary = s.value(3).toString();
            item.counterparty = s.value(4).toString();
            item.serial = s.value(5).toString();
            item.amount = ledger::detail::cents(s.value(6));
            if (!s.value(7).isNull()) item.balance = ledger::detail::cents(s.value(7));
            start.rec.bank.push_back(std::move(item));
            start.stored.push_back(s.value(9).toString() == month ? s.value(8).toLongLong() : 0);
        });
}

}  // namespace

namespace detail {

Cents book_closing(Tdat& dat, const QString& bookId, const QDate& month) {
    return money::parse(gymk::last_balance(dat, bookId, month)).value_or(0);
}

Start start_of(Tdat& dat, const QString& bookId, const QDate& month) {
    Start start;
    Reconciliation& rec = start.rec;
    rec.bookId = bookId;
    rec.month = months::firstDay(month);
    const QString monthText = months::monthText(rec.month);
    rec.bookClosing = book_closing(dat, bookId, rec.month);
    rec.bankOpening = money::parse(gymk::opening_balance(dat, bookId, rec.month)).value_or(0);
    QDate from = rec.month;
    QSet<qint64> tickedBefore;
    if (haveTables(dat)) {
        // The journal's lines count from the book's first saved reconciliation on.
        const QDate first = QDate::fromString(
            dat.scalar(QStringLiteral("select min(dzyf) from yhdz where zbh=? and dzyf<?"),
                       {bookId, monthText})
                    .toString() +
                QStringLiteral("-01"),
            Qt::ISODate);
        if (first.isValid()) from = first;
        // The last save before this month gives the bank's opening balance.
        eachRow(dat,
                QStringLiteral("select dzyf,yhqm from yhdz where zbh=? and dzyf<? order by dzyf "
                               "desc limit 1"),
                {bookId, monthText}, [&](engine::Statement& s) {
                    rec.bankOpening = ledger::detail::cents(s.value(1));
                    const QString last = s.value(0).toString();
                    if (last != months::monthText(months::previousMonth(rec.month)))
                        rec.notes << QStringLiteral("上次对账是 %1，其后到本月之间的月份没有对账。")
                                         .arg(last);
                });
        eachRow(dat,
                QStringLiteral("select pzid from yhls where zbh=? and ppyf<? and pzid is not null"),
                {bookId, monthText},
                [&](engine::Statement& s) { tickedBefore.insert(s.value(0).toLongLong()); });
        savedLines(dat, start,
                   QStringLiteral("zbh=? and dzyf<? and (ppyf is null or ppyf>=?) order by "
                                  "dzyf,hh"),
                   {bookId, monthText, monthText});
    }
    rec.book = journalItems(dat, bookId, from, months::lastDay(rec.month), tickedBefore);
    rec.match.assign(rec.bank.size(), -1);
    return start;
}

void add_saved_lines(Tdat& dat, Start& start) {
    Reconciliation& rec = start.rec;
    if (!haveTables(dat)) return;
    const QString monthText = months::monthText(rec.month);
    eachRow(dat, QStringLiteral("select tzts,yhqc,yhqm,qmly,wj from yhdz where zbh=? and dzyf=?"),
            {rec.bookId, monthText}, [&](engine::Statement& s) {
                rec.saved = true;
                rec.tolerance = s.value(0).toInt();
                rec.bankOpening = ledger::detail::cents(s.value(1));
                rec.bankClosing = ledger::detail::cents(s.value(2));
                rec.closingFrom = ClosingFrom(std::clamp(s.value(3).toInt(), 0, 2));
                rec.statementFile = s.value(4).toString();
            });
    savedLines(dat, start, QStringLiteral("zbh=? and dzyf=? order by hh"), {rec.bookId, monthText});
    rec.match.assign(rec.bank.size(), -1);
}

void apply_saved_ticks(Start& start) {
    Reconciliation& rec = start.rec;
    QHash<qint64, int> byRow;
    for (size_t j = 0; j < rec.book.size(); ++j)
        byRow.insert(rec.book[j].rowId, int(j));
    std::vector<bool> taken(rec.book.size(), false);
    for (size_t i = 0; i < rec.bank.size(); ++i) {
        const auto at = byRow.constFind(start.stored[i]);
        // A line deleted or changed since is no longer ticked.
        if (at == byRow.cend() || taken[size_t(*at)] ||
            rec.book[size_t(*at)].amount != rec.bank[i].amount)
            continue;
        rec.match[i] = *at;
        taken[size_t(*at)] = true;
    }
}

}  // namespace detail

Reconciliation saved_month(Tdat& dat, const QString& bookId, const QDate& month) {
    detail::Start start = detail::start_of(dat, bookId, month);
    detail::add_saved_lines(dat, start);
    detail::apply_saved_ticks(start);
    return std::move(start.rec);
}

void save_reconciliation(Tdat& dat, const Reconciliation& rec, const QString& user) {
    if (!rec.hasStatement())
        throw DbError(QStringLiteral("请先导入对账单，或填写对账单的期末余额。"));
    const QString month = months::monthText(rec.month);
    Transaction t(dat);
    ledger::detail::lockBook(dat, rec.bookId);
    // A book deleted while its reconciliation was open keeps nothing behind for a new book of
    // the same id.
    ledger::detail::requireBook(dat, rec.bookId);
    makeTables(dat);
    const QVariant later = dat.scalar(
        QStringLiteral("select max(dzyf) from yhdz where zbh=? and dzyf>?"), {rec.bookId, month});
    if (!later.isNull())
        throw DbError(QStringLiteral("已保存了 %1 的对账结果，其未达账项以本月为准，所以不能再保存 "
                                     "%2 的对账。")
                          .arg(later.toString(), month));
    dat.execute(QStringLiteral("delete from yhls where zbh=? and dzyf=?"), {rec.bookId, month});
    dat.execute(QStringLiteral("update yhls set pzid=null,ppyf=null where zbh=? and ppyf>=?"),
                {rec.bookId, month});
    dat.execute(QStringLiteral("delete from yhdz where zbh=? and dzyf=?"), {rec.bookId, month});
    dat.execute(
        QStringLiteral("insert into yhdz(zbh,dzyf,tzts,yhqc,yhqm,qmly,zmye,wj,jbr,bcsj) "
                       "values(?,?,?,?,?,?,?,?,?,?)"),
        {rec.bookId, month, rec.tolerance, money::fromCents(rec.bankOpening),
         money::fromCents(rec.bankClosing), int(rec.closingFrom), money::fromCents(rec.bookClosing),
         rec.statementFile, user, QDateTime::currentDateTime().toString(Qt::ISODate)});
    for (size_t i = 0; i < rec.bank.size(); ++i) {
        const BankItem& item = rec.bank[i];
        const int ticked = rec.match[i];
        const QVariant row = ticked >= 0 ? QVariant(rec.book[size_t(ticked)].rowId) : QVariant();
        const QVariant in = ticked >= 0 ? QVariant(month) : QVariant();
        if (item.month == month)
            dat.execute(
                QStringLiteral("insert into yhls(zbh,dzyf,hh,jyrq,zy,dfhm,lsh,je,ye,pzid,"
                               "ppyf) values(?,?,?,?,?,?,?,?,?,?,?)"),
                {rec.bookId, month, item.fileLine, months::iso(item.date), item.summary,
                 item.counterparty, item.serial, money::fromCents(item.amount),
                 item.balance ? QVariant(money::fromCents(*item.balance)) : QVariant(), row, in});
        else if (ticked >= 0)
            dat.execute(QStringLiteral("update yhls set pzid=?,ppyf=? where zbh=? and dzyf=? and "
                                       "hh=?"),
                        {row, in, rec.bookId, item.month, item.fileLine});
    }
    t.commit();
}

QString kept_mapping(Tdat& dat, const QString& bookId) {
    if (!haveTables(dat)) return {};
    return dat.scalar(QStringLiteral("select lm from yhgs where zbh=?"), {bookId}).toString();
}

void keep_mapping(Tdat& dat, const QString& bookId, const QString& mapping) {
    Transaction t(dat);
    ledger::detail::lockBook(dat, bookId);
    ledger::detail::requireBook(dat, bookId);
    makeTables(dat);
    dat.execute(QStringLiteral("delete from yhgs where zbh=?"), {bookId});
    dat.execute(QStringLiteral("insert into yhgs(zbh,lm) values(?,?)"), {bookId, mapping});
    t.commit();
}

}  // namespace qb::bankrec
