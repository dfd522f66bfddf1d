// The cheque register: cheque books, their leaves and the journal lines that write them out.
#include "cheques.h"

#include <QDateTime>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include "errors.h"
#include "ledger.h"
#include "ledger_detail.h"
#include "months.h"
#include "oplog.h"
#include "roles.h"
#include "rowkinds.h"
#include "tables.h"

namespace qb::cheques {
namespace {

using namespace ledger::detail;

QString now() {
    return QDateTime::currentDateTime().toString(Qt::ISODate).left(19);
}

// The bank book locked for the rest of the transaction, with the register's tables there (made
// at the first change, so that an older or read-only ledger reads as one without cheques).
Book lockedBook(Tdat& dat, const QString& bookId) {
    lockBook(dat, bookId);
    const Book book = requireBook(dat, bookId);
    schema::ensureTable(dat, QStringLiteral("zpb"));
    schema::ensureTable(dat, QStringLiteral("zpmx"));
    return book;
}

QString requireSerial(const QString& typed, const QString& what) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,15}$"));
    const QString serial = typed.trimmed();
    if (!digits.match(serial).hasMatch())
        throw DbError(
            QStringLiteral("%1“%2”无效：支票号码只能是数字，最多 15 位。").arg(what, typed));
    return serial;
}

QString requireText(const QString& typed, int width, const QString& what, bool required) {
    const QString text = typed.trimmed();
    if (required && text.isEmpty()) throw DbError(QStringLiteral("请填写%1。").arg(what));
    if (text.size() > width)
        throw DbError(QStringLiteral("%1太长：最多 %2 个字，现有 %3 个。")
                          .arg(what)
                          .arg(width)
                          .arg(text.size()));
    return text;
}

QDate dateOf(const QVariant& v) {
    return QDate::fromString(v.toString(), Qt::ISODate);
}

// The journal's lines that carry a serial of the bank book's cheque books as ticket: for each
// serial the line that stands, else a reversed one.
struct TicketLine {
    qint64 rowId = 0;
    QDate date;
    int voucher = 0;
    Cents amount = 0;
    bool reversed = false;
    int standing = 0;  // how many lines that were not reversed carry it
};
QHash<QString, TicketLine> ticketLines(Tdat& dat, const QString& bookId) {
    QHash<QString, TicketLine> found;
    eachRow(dat,
            QStringLiteral("select rowid,ph,dzrq,pzh,zy,j_je,d_je from crereg where zbh=? and ph "
                           "in (select hm from zpmx where zbh=?) order by rowid"),
            {bookId, bookId}, [&](engine::Statement& s) {
                const QString summary = s.value(4).toString();
                if (rows::isMarker(summary) || rows::isReversal(summary)) return;
                TicketLine line;
                line.rowId = s.value(0).toLongLong();
                line.date = dateOf(s.value(2));
                line.voucher = s.value(3).toInt();
                const Cents credit = cents(s.value(6));
                line.amount = credit != 0 ? credit : cents(s.value(5));
                line.reversed = rows::isReversed(summary);
                TicketLine& kept = found[s.value(1).toString()];
                const int standing = kept.standing + (line.reversed ? 0 : 1);
                if (kept.rowId == 0 || (kept.reversed && !line.reversed)) kept = line;
                kept.standing = standing;
            });
    return found;
}

// The register's leaves with the state the journal gives them.
std::vector<Leaf> readLeaves(Tdat& dat, const QString& bookId, const QString& serial = {}) {
    std::vector<Leaf> found;
    if (!schema::present(dat, QStringLiteral("zpmx"))) return found;
    const QHash<QString, TicketLine> lines = ticketLines(dat, bookId);
    QString sql = QStringLiteral(
        "select m.rowid,m.zpb,b.zl,m.hm,m.zt,m.lyr,m.lyyt,m.xe,m.skr,m.je,m.cprq,m.yt,m.zfyy,"
        "m.jbr from zpmx m join zpb b on b.rowid=m.zpb where m.zbh=?");
    QVariantList params{bookId};
    if (!serial.isEmpty()) {
        sql += QStringLiteral(" and m.hm=?");
        params << serial;
    }
    eachRow(dat, sql + QStringLiteral(" order by b.lqrq,m.hm"), params, [&](engine::Statement& s) {
        rowreading::Columns c(s);
        Leaf l{.id = c.id(),
               .chequeBook = c.id(),
               .kind = c.text(),
               .serial = c.text(),
               .state = c.text(),
               .taker = c.text(),
               .takenFor = c.text(),
               .limit = c.amount(),
               .payee = c.text(),
               .amount = c.amount(),
               .date = c.date(),
               .purpose = c.text(),
               .voidReason = c.text(),
               .changedBy = c.text()};
        const auto line = lines.constFind(l.serial);
        const bool settled = l.state == kVoided || l.state == kPaid || l.state == kReturned;
        if (line != lines.constEnd()) {
            l.lineId = line->rowId;
            l.voucher = line->voucher;
            l.reversed = line->reversed;
            if (!settled) {
                l.state = kIssued;
                l.amount = line->amount;
                l.date = line->date;
            }
        } else if (l.state == kBlank || l.state == kTaken) {
            // Written out through a journal line since deleted: the details went with it.
            l.payee.clear();
            l.amount = 0;
            l.date = QDate();
            l.purpose.clear();
        }
        found.push_back(std::move(l));
    });
    return found;
}

Leaf requireLeaf(Tdat& dat, const QString& bookId, const QString& serial) {
    const QString number = requireSerial(serial, QStringLiteral("支票号码"));
    std::vector<Leaf> found = readLeaves(dat, bookId, number);
    if (found.empty())
        throw DbError(QStringLiteral("支票号码 %1 不在本账簿的任何支票簿中。").arg(number));
    return found.front();
}

void requireState(const Leaf& leaf, const QStringList& allowed, const QString& action) {
    if (!allowed.contains(leaf.state))
        throw DbError(QStringLiteral("支票 %1 %2，不能%3。").arg(leaf.serial, leaf.state, action));
}

// A leaf as the log keeps it, amounts in cents.
QString leafText(const Leaf& l) {
    return oplog::values_text({{QStringLiteral("hm"), l.serial},
                               {QStringLiteral("zl"), l.kind},
                               {QStringLiteral("zt"), l.state},
                               {QStringLiteral("lyr"), l.taker},
                               {QStringLiteral("lyyt"), l.takenFor},
                               {QStringLiteral("xe"), l.limit},
                               {QStringLiteral("skr"), l.payee},
                               {QStringLiteral("je"), l.amount},
                               {QStringLiteral("cprq"), months::iso(l.date)},
                               {QStringLiteral("yt"), l.purpose},
                               {QStringLiteral("zfyy"), l.voidReason}});
}

void logLeaf(Tdat& dat, const QString& operation, const QString& bookId, const Leaf& before,
             const Leaf& after, qint64 lineId = 0) {
    const QDate month = after.date.isValid() ? after.date : before.date;
    oplog::append(dat, {operation, bookId, month.isValid() ? months::monthText(month) : QString(),
                        lineId, leafText(before), leafText(after)});
}

// A leaf written out is paid or comes back: it keeps the amount and date it was written out
// with, whatever becomes of its journal line afterwards.
void settle(Tdat& dat, const QString& bookId, const Leaf& l, const QString& state,
            const QString& operation, const QString& user) {
    dat.execute(QStringLiteral("update zpmx set zt=?,je=?,cprq=?,jbr=?,xgsj=? where rowid=?"),
                {state, money::fromCents(l.amount), months::iso(l.date), user, now(), l.id});
    Leaf after = l;
    after.state = state;
    logLeaf(dat, operation, bookId, l, after, l.lineId);
}

void setTaken(Tdat& dat, const QString& bookId, const Leaf& leaf, const Taking& taking,
              const QString& user) {
    requireState(leaf, {kBlank}, QStringLiteral("领用"));
    if (taking.limit < 0 || taking.limit > kFormLimit) throw DbError(QStringLiteral("限额无效。"));
    Leaf after = leaf;
    after.state = kTaken;
    after.taker = requireText(taking.taker, 16, QStringLiteral("领用人"), true);
    after.takenFor = requireText(taking.purpose, kPurposeWidth, QStringLiteral("用途"), false);
    after.limit = taking.limit;
    dat.execute(QStringLiteral("update zpmx set zt=?,lyr=?,lyyt=?,xe=?,jbr=?,xgsj=? where rowid=?"),
                {kTaken, after.taker, after.takenFor,
                 taking.limit ? QVariant(money::fromCents(taking.limit)) : QVariant(), user, now(),
                 leaf.id});
    logLeaf(dat, oplog::kChequeTaken, bookId, leaf, after);
}

}  // namespace

QStringList states() {
    return {kBlank, kTaken, kIssued, kVoided, kPaid, kReturned};
}

void require_change_right(users::Role role) {
    if (!roles::may(role, roles::Action::Cheques))
        throw DbError(roles::refusal(roles::Action::Cheques));
}

qint64 add_cheque_book(Tdat& dat, const QString& bookId, const QString& kind, const QString& first,
                       const QString& last, const QDate& received, const QString& user) {
    if (kind != kCashCheque && kind != kTransferCheque)
        throw DbError(QStringLiteral("支票种类只能是现金支票或转账支票。"));
    const QString from = requireSerial(first, QStringLiteral("起始号码"));
    const QString to = requireSerial(last, QStringLiteral("终止号码"));
    if (from.size() != to.size())
        throw DbError(QStringLiteral("起始号码和终止号码的位数应相同（前导零也算）。"));
    const qint64 count = to.toLongLong() - from.toLongLong() + 1;
    if (count < 1) throw DbError(QStringLiteral("终止号码不能小于起始号码。"));
    if (count > kLeavesAtMost)
        throw DbError(QStringLiteral("一本支票簿最多 %1 张。").arg(kLeavesAtMost));
    if (!received.isValid()) throw DbError(QStringLiteral("请填写领购日期。"));
    Transaction t(dat);
    requireInLife(lockedBook(dat, bookId), received);
    // Serials of equal width compare as texts in the order of their numbers.
    const QVariant overlap = dat.scalar(
        QStringLiteral("select hm from zpmx where zbh=? and length(hm)=? and hm between ? and ? "
                       "limit 1"),
        {bookId, int(from.size()), from, to});
    if (!overlap.isNull())
        throw DbError(
            QStringLiteral("号码 %1 已在本账簿的另一本支票簿中。").arg(overlap.toString()));
    dat.execute(QStringLiteral("insert into zpb(zbh,zl,qshm,zzhm,lqrq,jbr) values(?,?,?,?,?,?)"),
                {bookId, kind, from, to, months::iso(received), user});
    const qint64 id = dat.con().lastInsertId();
    for (qint64 n = from.toLongLong(); n <= to.toLongLong(); ++n)
        dat.execute(
            QStringLiteral("insert into zpmx(zbh,zpb,hm,zt,jbr,xgsj) values(?,?,?,?,?,?)"),
            {bookId, id, QStringLiteral("%1").arg(n, int(from.size()), 10, QLatin1Char('0')),
             kBlank, user, now()});
    oplog::append(dat, {oplog::kChequeBookAdded,
                        bookId,
                        months::monthText(received),
                        0,
                        {},
                        oplog::values_text({{QStringLiteral("zl"), kind},
                                            {QStringLiteral("qshm"), from},
                                            {QStringLiteral("zzhm"), to},
                                            {QStringLiteral("lqrq"), months::iso(received)},
                                            {QStringLiteral("zs"), count}})});
    t.commit();
    return id;
}

std::vector<ChequeBook> cheque_books(Tdat& dat, const QString& bookId) {
    std::vector<ChequeBook> found;
    if (!schema::present(dat, QStringLiteral("zpmx"))) return found;
    QHash<qint64, int> blank;
    for (const Leaf& l : readLeaves(dat, bookId))
        if (l.state == kBlank) ++blank[l.chequeBook];
    eachRow(dat,
            QStringLiteral("select b.rowid,b.zl,b.qshm,b.zzhm,b.lqrq,(select count(*) from zpmx m "
                           "where m.zpb=b.rowid) from zpb b where b.zbh=? order by b.lqrq,b.qshm"),
            {bookId}, [&](engine::Statement& s) {
                rowreading::Columns c(s);
                ChequeBook b{.id = c.id(),
                             .bookId = bookId,
                             .kind = c.text(),
                             .first = c.text(),
                             .last = c.text(),
                             .received = c.date(),
                             .leaves = c.number()};
                b.blank = blank.value(b.id);
                found.push_back(std::move(b));
            });
    return found;
}

std::vector<Leaf> leaves(Tdat& dat, const QString& bookId, const QString& state) {
    std::vector<Leaf> all = readLeaves(dat, bookId);
    // A blank leaf below the highest used one of its cheque book was skipped; serials of one
    // cheque book have one width, so they compare as texts.
    QHash<qint64, QString> highestUsed;
    for (const Leaf& l : all)
        if (l.state != kBlank) highestUsed[l.chequeBook] = l.serial;
    for (Leaf& l : all)
        l.skipped = l.state == kBlank && l.serial < highestUsed.value(l.chequeBook);
    if (state.isEmpty()) return all;
    std::erase_if(all, [&](const Leaf& l) { return l.state != state; });
    return all;
}

QString shown_state(const Leaf& leaf) {
    return leaf.skipped ? QStringLiteral("空白（跳号）") : leaf.state;
}

Leaf leaf(Tdat& dat, const QString& bookId, const QString& serial) {
    return requireLeaf(dat, bookId, serial);
}

ChequeRegister cheque_register(Tdat& dat, const QString& bookId, const QString& state) {
    const Book book = requireBook(dat, bookId);
    ChequeRegister r;
    r.book = book.name + QLatin1Char('-') + book.category;
    r.account =
        dat.scalar(QStringLiteral("select zh from accstar where zbid=?"), {bookId}).toString();
    r.state = state;
    r.leaves = leaves(dat, bookId, state);
    QSet<qint64> shown;
    for (const Leaf& l : r.leaves) {
        shown.insert(l.chequeBook);
        if ((l.state == kIssued && !l.reversed) || l.state == kPaid) r.written += l.amount;
    }
    for (ChequeBook& b : cheque_books(dat, bookId))
        if (state.isEmpty() || shown.contains(b.id)) r.books.push_back(std::move(b));
    return r;
}

Leaf take_next(Tdat& dat, const QString& bookId, const QString& kind, const Taking& taking,
               const QString& user) {
    Transaction t(dat);
    lockedBook(dat, bookId);
    // The first leaf stored blank that no journal line writes out, in one statement: the time
    // does not grow with the cheque books.
    const QVariant serial =
        dat.scalar(QStringLiteral("select m.hm from zpmx m join zpb b on b.rowid=m.zpb where "
                                  "m.zbh=? and b.zl=? and m.zt=? and not exists (select 1 from "
                                  "crereg c where c.zbh=m.zbh and c.ph=m.hm) order by b.lqrq,m.hm "
                                  "limit 1"),
                   {bookId, kind, kBlank});
    if (serial.isNull())
        throw DbError(QStringLiteral("本账簿已没有空白的%1，请先登记新的支票簿。").arg(kind));
    setTaken(dat, bookId, requireLeaf(dat, bookId, serial.toString()), taking, user);
    t.commit();
    return requireLeaf(dat, bookId, serial.toString());
}

void take(Tdat& dat, const QString& bookId, const QString& serial, const Taking& taking,
          const QString& user) {
    Transaction t(dat);
    lockedBook(dat, bookId);
    setTaken(dat, bookId, requireLeaf(dat, bookId, serial), taking, user);
    t.commit();
}

qint64 issue(Tdat& dat, const QString& bookId, const QString& serial, const Issue& typed,
             const QString& user, bool post) {
    Transaction t(dat);
    const Book book = lockedBook(dat, bookId);
    const Leaf l = requireLeaf(dat, bookId, serial);
    // A journal line that wrote the leaf out without a payee (its ticket typed in the grid or
    // the panel): 开出 completes the cheque, at the line's amount and date.
    const bool completing = l.state == kIssued && l.lineId && !l.reversed && l.payee.isEmpty();
    if (!completing) requireState(l, {kBlank, kTaken}, QStringLiteral("开出"));
    Issue issue = typed;
    if (completing) {
        if (issue.amount != 0 && issue.amount != l.amount)
            throw DbError(QStringLiteral("支票 %1 已记入日记帐（%2 凭证 %3），金额 %4：开出的金额"
                                         "应与之相同。")
                              .arg(l.serial, months::iso(l.date))
                              .arg(l.voucher)
                              .arg(money::grouped(l.amount)));
        issue.amount = l.amount;
        issue.date = l.date;
        post = false;
    }
    const QString payee = requireText(issue.payee, kPayeeWidth, QStringLiteral("收款人"), true);
    const QString purpose =
        requireText(issue.purpose, kPurposeWidth, QStringLiteral("用途"), false);
    if (issue.amount <= 0) throw DbError(QStringLiteral("支票金额必须大于零。"));
    if (issue.amount > kFormLimit)
        throw DbError(QStringLiteral("金额 %1 超出支票金额栏的位数（最多 999,999,999.99）。")
                          .arg(money::grouped(issue.amount)));
    if (l.limit > 0 && issue.amount > l.limit)
        throw DbError(QStringLiteral("金额 %1 超过领用时的限额 %2。")
                          .arg(money::grouped(issue.amount), money::grouped(l.limit)));
    if (!issue.date.isValid()) throw DbError(QStringLiteral("请填写出票日期。"));
    requireInLife(book, issue.date);
    const QDate received =
        dateOf(dat.scalar(QStringLiteral("select lqrq from zpb where rowid=?"), {l.chequeBook}));
    if (received.isValid() && issue.date < received)
        throw DbError(QStringLiteral("出票日期 %1 早于这本支票簿的领购日期 %2。")
                          .arg(months::iso(issue.date), months::iso(received)));
    // With a journal line, the line is what makes the leaf 已开出 (and deleting it undoes that):
    // the stored state stays the one before.
    const QString stored =
        dat.scalar(QStringLiteral("select zt from zpmx where rowid=?"), {l.id}).toString();
    dat.execute(
        QStringLiteral("update zpmx set zt=?,skr=?,je=?,cprq=?,yt=?,jbr=?,xgsj=? where rowid=?"),
        {post || completing ? stored : kIssued, payee, money::fromCents(issue.amount),
         months::iso(issue.date), purpose, user, now(), l.id});
    qint64 lineId = 0;
    if (post) {
        ledger::LineFields line;
        line.date = issue.date;
        line.voucher = dat.scalar(QStringLiteral("select max(pzh) from crereg where zbh=? and "
                                                 "dzrq between ? and ?"),
                                  QVariantList{bookId} + months::range(issue.date))
                           .toInt() +
                       1;
        line.ticket = l.serial;
        line.summary = (purpose.isEmpty() ? QStringLiteral("付") + payee : purpose).left(50);
        line.credit = issue.amount;
        line.handler = user;
        lineId = ledger::insert_line(dat, bookId, line);
    }
    Leaf after = l;
    after.state = kIssued;
    after.payee = payee;
    after.amount = issue.amount;
    after.date = issue.date;
    after.purpose = purpose;
    logLeaf(dat, oplog::kChequeIssued, bookId, l, after, completing ? l.lineId : lineId);
    t.commit();
    return lineId;
}

void void_leaf(Tdat& dat, const QString& bookId, const QString& serial, const QString& reason,
               const QString& user) {
    Transaction t(dat);
    lockedBook(dat, bookId);
    const Leaf l = requireLeaf(dat, bookId, serial);
    requireState(l, {kBlank, kTaken, kIssued}, QStringLiteral("作废"));
    const QString why = requireText(reason, 50, QStringLiteral("作废原因"), true);
    if (l.lineId && !l.reversed)
        throw DbError(
            (monthPosted(dat, bookId, l.date)
                 ? QStringLiteral(
                       "支票 %1 已记入日记帐（%2 凭证 %3），该月已结账：请先冲账，再作废。")
                 : QStringLiteral("支票 %1 已记入日记帐（%2 凭证 %3）：请先删除这一行，再作废。"))
                .arg(l.serial, months::iso(l.date))
                .arg(l.voucher));
    dat.execute(QStringLiteral("update zpmx set zt=?,zfyy=?,jbr=?,xgsj=? where rowid=?"),
                {kVoided, why, user, now(), l.id});
    Leaf after = l;
    after.state = kVoided;
    after.voidReason = why;
    logLeaf(dat, oplog::kChequeVoided, bookId, l, after, l.lineId);
    t.commit();
}

void give_back(Tdat& dat, const QString& bookId, const QString& serial, const QString& user) {
    Transaction t(dat);
    lockedBook(dat, bookId);
    const Leaf l = requireLeaf(dat, bookId, serial);
    requireState(l, {kTaken, kIssued}, QStringLiteral("退回"));
    if (l.state == kTaken) {
        dat.execute(QStringLiteral("update zpmx set zt=?,lyr=null,lyyt=null,xe=null,jbr=?,xgsj=? "
                                   "where rowid=?"),
                    {kBlank, user, now(), l.id});
        Leaf after = l;
        after.state = kBlank;
        after.taker.clear();
        after.takenFor.clear();
        after.limit = 0;
        logLeaf(dat, oplog::kChequeReturned, bookId, l, after);
    } else {
        settle(dat, bookId, l, kReturned, oplog::kChequeReturned, user);
    }
    t.commit();
}

void honour(Tdat& dat, const QString& bookId, const QString& serial, const QString& user) {
    Transaction t(dat);
    lockedBook(dat, bookId);
    const Leaf l = requireLeaf(dat, bookId, serial);
    requireState(l, {kIssued}, QStringLiteral("兑付"));
    if (l.reversed)
        throw DbError(QStringLiteral("支票 %1 的日记帐行（%2 凭证 %3）已冲账，不能兑付。")
                          .arg(l.serial, months::iso(l.date))
                          .arg(l.voucher));
    settle(dat, bookId, l, kPaid, oplog::kChequeHonoured, user);
    t.commit();
}

QString ticket_warning(Tdat& dat, const QString& bookId, const QString& ticket) {
    const QString serial = ticket.trimmed();
    if (serial.isEmpty() || !schema::present(dat, QStringLiteral("zpmx")) ||
        !exists(dat, QStringLiteral("select 1 from zpb where zbh=? limit 1"), {bookId}))
        return {};
    const std::vector<Leaf> found = readLeaves(dat, bookId, serial);
    if (found.empty())
        return QStringLiteral("票号 %1 不是本账簿支票簿中的支票号码（已照样保存）。").arg(serial);
    const Leaf& l = found.front();
    if (l.state == kVoided)
        return QStringLiteral("支票 %1 已作废（%2），却记入了日记帐。").arg(serial, l.voidReason);
    const QHash<QString, TicketLine> lines = ticketLines(dat, bookId);
    if (lines.value(serial).standing > 1)
        return QStringLiteral("支票 %1 记入了日记帐不止一次。").arg(serial);
    return {};
}

}  // namespace qb::cheques
