#include "gymk.h"

#include "errors.h"
#include "fr_dat.h"
#include "ledger.h"
#include "messages.h"
#include "money.h"
#include "months.h"
#include "rowkinds.h"

namespace gymk {
namespace {

using qb::rows::kCarry;
using qb::rows::kOpening;

// A month range's two bound ends, for "dzrq between ? and ?".
QVariantList monthRange(const QDate& date) {
    return {qb::months::iso(qb::months::firstDay(date)),
            qb::months::iso(qb::months::lastDay(date))};
}

// An amount text as the column's number: whole cents, so "0.1" and "0.10" store the same.
double amount(const QString& text) {
    const std::optional<qb::money::Cents> cents = qb::money::parse(text);
    if (!cents) throw qb::DbError(QStringLiteral("“%1”不是有效的金额").arg(text));
    return qb::money::fromCents(*cents);
}

// Only the two tables that keep carry-forward rows may be named: the name becomes statement text.
QString markerTable(const QString& table) {
    const QString lower = table.toLower();
    if (lower != QLatin1String("crereg") && lower != QLatin1String("total"))
        throw qb::DbError(QStringLiteral("表名“%1”无效：只能是 crereg 或 total").arg(table));
    return lower;
}

// The first column of the first row of an open query as a "0.00" text; no row or NULL: "0.00".
QString balanceText(qb::Query& query) {
    const QString result =
        query.isEmpty() ? qb::money::text(0) : qb::money::text(query.field(0).asCents());
    query.close();
    return result;
}

}  // namespace

bool month_closed(Tdat& dat, const QString& verb, const QString& bookId, int mode,
                  const QDate& date) {
    qb::Query& q = dat.gycx;
    q.setSql(QStringLiteral("select * from total where zbh=? and dzrq between ? and ?"),
             QVariantList{bookId} + monthRange(qb::months::nextMonth(date)));
    q.open();
    const bool anyRow = !q.isEmpty();
    q.close();
    if (!anyRow) return false;
    if (mode == MessageMode) {
        qb::messages().ask(QStringLiteral("系统提示"),
                           QStringLiteral("本月数据己结转,禁止") + verb + QStringLiteral("！"),
                           qb::MsgIcon::Information, qb::MsgButtons::Ok);
        return true;
    }
    return mode == SilentMode;
}

Sums month_sums(Tdat& dat, const QString& bookId, int mode, const QDate& date) {
    qb::Query& q = dat.jhcx;
    if (mode == MonthSumMode) {
        // Summed in whole cents, so that a month of many lines adds up exactly.
        q.setSql(QStringLiteral("select sum(round(j_je*100)),sum(round(d_je*100)) from crereg "
                                "where dzrq between ? and ? and zbh=? and zy<>? and zy<>?"),
                 monthRange(date) + QVariantList{bookId, kOpening, kCarry});
    } else {
        q.setSql(QStringLiteral("select round(j_je*100),round(d_je*100) from total "
                                "where dzrq between ? and ? and zbh=? and zy=?"),
                 monthRange(qb::months::previousMonth(date)) +
                     QVariantList{bookId, qb::rows::kCumulative});
    }
    q.open();
    Sums sums;
    if (!q.isEmpty() && !q.field(0).isNull()) {
        sums.debit = qb::money::fromCents(qint64(q.field(0).asFloat()));
        sums.credit = qb::money::fromCents(qint64(q.field(1).asFloat()));
    }
    q.close();
    return sums;
}

QString book_id_of(Tdat& dat, const QString& name, const QString& category) {
    qb::Query& q = dat.gycx;
    q.setSql(QStringLiteral("select zbid from accstar where zbmc=? and zblb=?"), {name, category});
    q.open();
    const QString id = q.isEmpty() ? QString() : q.field(0).asString();
    q.close();
    return id;
}

QString last_balance(Tdat& dat, const QString& bookId, const QDate& date) {
    // The last line of the month view: its own order, read backwards.
    qb::Query& q = dat.gycx;
    q.setSql(QStringLiteral("select y_je from crereg where zbh=? and dzrq between ? and ? "
                            "order by ") +
                 qb::ledger::journal_order(true) + QStringLiteral(" limit 1"),
             QVariantList{bookId} + monthRange(date));
    q.open();
    return balanceText(q);
}

QString opening_balance(Tdat& dat, const QString& bookId, const QDate& date) {
    qb::Query& q = dat.gycx;
    q.setSql(QStringLiteral("select y_je from total where zbh=? and dzrq between ? and ? and "
                            "(zy=? or zy=?) order by rowid"),
             QVariantList{bookId} + monthRange(date) + QVariantList{kOpening, kCarry});
    q.open();
    return balanceText(q);
}

void update_totals_row(Tdat& dat, const QString& debit, const QString& credit,
                       const QString& balance, const QString& bookId, const QDate& date,
                       const QString& summary) {
    qb::Query& q = dat.jhcx;
    q.setSql(QStringLiteral("update total set j_je=?,d_je=?,y_je=? where zbh=? and "
                            "dzrq between ? and ? and zy=?"),
             QVariantList{amount(debit), amount(credit), amount(balance), bookId} +
                 monthRange(date) + QVariantList{summary});
    q.exec();
    q.close();
}

void set_carry_balance(Tdat& dat, const QString& table, const QString& bookId, const QDate& date,
                       double balance) {
    qb::Query& q = dat.jhcx;
    q.setSql(
        QStringLiteral("update %1 set y_je=? where zbh=? and dzrq=? and zy=?")
            .arg(markerTable(table)),
        {qb::money::fromCents(qb::money::toCents(balance)), bookId, qb::months::iso(date), kCarry});
    q.exec();
    q.close();
}

void insert_totals_row(Tdat& dat, const QDate& date, const QString& voucherNo,
                       const QString& summary, const QString& debit, const QString& credit,
                       const QString& balance, const QString& bookId) {
    bool ok = false;
    const int voucher = voucherNo.trimmed().toInt(&ok);
    if (!ok) throw qb::DbError(QStringLiteral("“%1”不是有效的凭证号").arg(voucherNo));
    qb::Query& q = dat.jhcx;
    q.setSql(QStringLiteral("insert into total(dzrq,pzh,ph,zy,j_je,d_je,y_je,zbh) "
                            "values(?,?,'',?,?,?,?,?)"),
             {qb::months::iso(date), voucher, summary, amount(debit), amount(credit),
              amount(balance), bookId});
    q.exec();
    q.close();
}

void insert_carry_row(Tdat& dat, const QString& table, const QString& balance,
                      const QString& bookId, const QDate& date) {
    const QString name = markerTable(table);
    qb::Query& q = dat.jhcx;
    const QVariantList values{qb::months::iso(date), kCarry, amount(balance), bookId};
    if (name == QLatin1String("crereg"))
        q.setSql(QStringLiteral("insert into crereg(dzrq,pzh,ph,zy,j_je,d_je,y_je,pzn,bxr,jbr,zbh) "
                                "values(?,0,'',?,0,0,?,0,'','',?)"),
                 values);
    else
        q.setSql(QStringLiteral("insert into total(dzrq,pzh,ph,zy,j_je,d_je,y_je,zbh) "
                                "values(?,0,'',?,0,0,?,?)"),
                 values);
    q.exec();
    q.close();
}

int max_voucher_no(Tdat& dat, const QString& bookId, const QDate& date) {
    qb::Query& q = dat.jhcx;
    q.setSql(QStringLiteral("select max(pzh) from crereg where zbh=? and dzrq between ? and ?"),
             QVariantList{bookId} + monthRange(date));
    q.open();
    return q.isEmpty() ? 0 : q.field(0).asInt();
}

}  // namespace gymk
