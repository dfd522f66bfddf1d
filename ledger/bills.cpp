// The register's bills (承兑汇票): single records with their own number, listed by due date.
#include <QRegularExpression>

#include "cheques.h"
#include "errors.h"
#include "ledger_detail.h"
#include "months.h"
#include "oplog.h"
#include "tables.h"

namespace qb::cheques {
namespace {

using namespace ledger::detail;

std::vector<Bill> readBills(Tdat& dat, const QString& condition, const QVariantList& params) {
    std::vector<Bill> found;
    if (!schema::present(dat, QStringLiteral("pjdj"))) return found;
    eachRow(dat,
            QStringLiteral("select p.rowid,p.zbh,p.zl,p.fx,p.hm,p.je,p.dfmc,p.cprq,p.dqrq,p.zt,"
                           "a.zbmc from pjdj p left join accstar a on a.zbid=p.zbh where ") +
                condition + QStringLiteral(" order by p.dqrq,p.hm"),
            params, [&](engine::Statement& s) {
                rowreading::Columns c(s);
                Bill b{.id = c.id(),
                       .bookId = c.text(),
                       .kind = c.text(),
                       .direction = c.text(),
                       .number = c.text(),
                       .amount = c.amount(),
                       .party = c.text(),
                       .issued = c.date(),
                       .due = c.date(),
                       .state = c.text(),
                       .bookName = c.text()};
                found.push_back(std::move(b));
            });
    return found;
}

// A bill as the log keeps it, its amount in cents.
QString billText(const Bill& b) {
    return oplog::values_text({{QStringLiteral("zl"), b.kind},
                               {QStringLiteral("fx"), b.direction},
                               {QStringLiteral("hm"), b.number},
                               {QStringLiteral("je"), b.amount},
                               {QStringLiteral("dfmc"), b.party},
                               {QStringLiteral("cprq"), months::iso(b.issued)},
                               {QStringLiteral("dqrq"), months::iso(b.due)},
                               {QStringLiteral("zt"), b.state}});
}

}  // namespace

qint64 add_bill(Tdat& dat, const Bill& bill, const QString& user) {
    if (bill.kind != kBankAcceptance && bill.kind != kTradeAcceptance)
        throw DbError(QStringLiteral("票据种类只能是银行承兑汇票或商业承兑汇票。"));
    if (bill.direction != kReceived && bill.direction != kIssuedBill)
        throw DbError(QStringLiteral("请选择收到还是开出。"));
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,30}$"));
    const QString number = bill.number.trimmed();
    if (!digits.match(number).hasMatch())
        throw DbError(QStringLiteral("票据号码只能是数字，最多 30 位。"));
    if (bill.amount <= 0) throw DbError(QStringLiteral("票据金额必须大于零。"));
    if (!money::withinLimit(bill.amount)) throw DbError(money::beyondLimit(bill.amount));
    const QString party = bill.party.trimmed();
    if (party.isEmpty() || party.size() > 60)
        throw DbError(QStringLiteral("请填写出票人或收款人（最多 60 个字）。"));
    if (!bill.issued.isValid() || !bill.due.isValid() || bill.due < bill.issued)
        throw DbError(QStringLiteral("请填写出票日期和到期日，到期日不能早于出票日期。"));
    Transaction t(dat);
    lockBook(dat, bill.bookId);
    requireInLife(requireBook(dat, bill.bookId), bill.issued);
    schema::ensureTable(dat, QStringLiteral("pjdj"));
    if (exists(dat, QStringLiteral("select 1 from pjdj where zbh=? and hm=?"),
               {bill.bookId, number}))
        throw DbError(QStringLiteral("票据 %1 已经登记过了。").arg(number));
    dat.execute(QStringLiteral("insert into pjdj(zbh,zl,fx,hm,je,dfmc,cprq,dqrq,zt,jbr) "
                               "values(?,?,?,?,?,?,?,?,?,?)"),
                {bill.bookId, bill.kind, bill.direction, number, money::fromCents(bill.amount),
                 party, months::iso(bill.issued), months::iso(bill.due), kOutstanding, user});
    const qint64 id = dat.con().lastInsertId();
    oplog::append(dat, {oplog::kBillAdded,
                        bill.bookId,
                        months::monthText(bill.issued),
                        0,
                        {},
                        billText(readBills(dat, QStringLiteral("p.rowid=?"), {id}).front())});
    t.commit();
    return id;
}

std::vector<Bill> bills(Tdat& dat, const QString& bookId) {
    return bookId.isEmpty() ? readBills(dat, QStringLiteral("1=1"), {})
                            : readBills(dat, QStringLiteral("p.zbh=?"), {bookId});
}

std::vector<Bill> bills_due(Tdat& dat, const QDate& today, int days) {
    return readBills(dat, QStringLiteral("p.zt=? and p.dqrq<=?"),
                     {kOutstanding, months::iso(today.addDays(days))});
}

Bill bill(Tdat& dat, const QString& bookId, const QString& number) {
    const std::vector<Bill> found =
        readBills(dat, QStringLiteral("p.zbh=? and p.hm=?"), {bookId, number.trimmed()});
    if (found.empty())
        throw DbError(QStringLiteral("本账簿没有登记号码为 %1 的票据。").arg(number.trimmed()));
    return found.front();
}

void settle_bill(Tdat& dat, qint64 billId, const QString& state, const QString& user) {
    if (state != kPaid && state != kReturned)
        throw DbError(QStringLiteral("票据只能改为已兑付或已退回。"));
    Transaction t(dat);
    const auto read = [&] {
        const std::vector<Bill> found = readBills(dat, QStringLiteral("p.rowid=?"), {billId});
        if (found.empty()) throw DbError(QStringLiteral("找不到这张票据（已被删除？）"));
        return found.front();
    };
    lockBook(dat, read().bookId);
    Bill bill = read();  // as it stands under the lock
    if (bill.state != kOutstanding)
        throw DbError(QStringLiteral("票据 %1 %2，不能再改。").arg(bill.number, bill.state));
    dat.execute(QStringLiteral("update pjdj set zt=?,jbr=? where rowid=?"), {state, user, billId});
    const QString before = billText(bill);
    bill.state = state;
    oplog::append(dat, {state == kPaid ? oplog::kBillHonoured : oplog::kBillReturned, bill.bookId,
                        months::monthText(bill.due), 0, before, billText(bill)});
    t.commit();
}

}  // namespace qb::cheques
