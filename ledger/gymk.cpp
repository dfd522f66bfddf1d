#include "gymk.h"

#include "errors.h"
#include "figures.h"
#include "fr_dat.h"
#include "ledger.h"
#include "ledger_detail.h"
#include "markerrows.h"
#include "messages.h"
#include "money.h"
#include "months.h"
#include "rowkinds.h"

namespace gymk {
namespace {

using qb::rows::kCarry;
using qb::rows::kOpening;

// An amount text in whole cents, so "0.1" and "0.10" store the same.
qb::money::Cents amount(const QString& text) {
    const std::optional<qb::money::Cents> cents = qb::money::parse(text);
    if (!cents) throw qb::DbError(QStringLiteral("“%1”不是有效的金额").arg(text));
    return *cents;
}

}  // namespace

bool month_closed(Tdat& dat, const QString& verb, const QString& bookId, int mode,
                  const QDate& date) {
    // The ledger's own test, which refuses its writes into a posted month.
    if (!qb::ledger::detail::monthPosted(dat, bookId, date)) return false;
    if (mode == MessageMode) {
        qb::messages().ask(QStringLiteral("系统提示"), qb::ledger::detail::postedMonthRefusal(verb),
                           qb::MsgIcon::Information, qb::MsgButtons::Ok);
        return true;
    }
    return mode == SilentMode;
}

Sums month_sums(Tdat& dat, const QString& bookId, int mode, const QDate& date) {
    const qb::figures::Amounts amounts =
        mode == MonthSumMode
            ? qb::figures::sums(dat, bookId, qb::months::firstDay(date), qb::months::lastDay(date))
            : qb::figures::cumulative_before(dat, bookId, qb::months::firstDay(date));
    return {qb::money::fromCents(amounts.debit), qb::money::fromCents(amounts.credit)};
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
    return qb::money::text(qb::figures::closing(dat, bookId, qb::months::lastDay(date)));
}

QString opening_balance(Tdat& dat, const QString& bookId, const QDate& date) {
    return qb::money::text(qb::figures::brought_in(dat, bookId, qb::months::firstDay(date)));
}

void update_totals_row(Tdat& dat, const QString& debit, const QString& credit,
                       const QString& balance, const QString& bookId, const QDate& date,
                       const QString& summary) {
    qb::markers::update_totals(dat, bookId, date, summary, amount(debit), amount(credit),
                               amount(balance));
}

void set_carry_balance(Tdat& dat, const QString& table, const QString& bookId, const QDate& date,
                       double balance) {
    qb::markers::set_carry(dat, qb::markers::table_named(table), bookId, date,
                           qb::money::toCents(balance));
}

void insert_totals_row(Tdat& dat, const QDate& date, const QString& voucherNo,
                       const QString& summary, const QString& debit, const QString& credit,
                       const QString& balance, const QString& bookId) {
    bool ok = false;
    const int voucher = voucherNo.trimmed().toInt(&ok);
    if (!ok) throw qb::DbError(QStringLiteral("“%1”不是有效的凭证号").arg(voucherNo));
    qb::markers::insert(
        dat, qb::markers::Table::Totals,
        {bookId, date, voucher, summary, amount(debit), amount(credit), amount(balance)},
        qb::markers::Writer::Posting);
}

void insert_carry_row(Tdat& dat, const QString& table, const QString& balance,
                      const QString& bookId, const QDate& date) {
    qb::markers::insert(dat, qb::markers::table_named(table),
                        {bookId, date, 0, kCarry, 0, 0, amount(balance)},
                        qb::markers::Writer::Posting);
}

int max_voucher_no(Tdat& dat, const QString& bookId, const QDate& date) {
    qb::Query& q = dat.jhcx;
    q.setSql(QStringLiteral("select max(pzh) from crereg where zbh=? and dzrq between ? and ?"),
             QVariantList{bookId} + qb::months::range(date));
    q.open();
    return q.isEmpty() ? 0 : q.field(0).asInt();
}

}  // namespace gymk
