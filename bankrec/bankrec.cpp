// A month held against its statement, and the statement's outstanding lines written into the
// journal.
#include "bankrec.h"

#include <QFileInfo>

#include "bankrec_store.h"
#include "booklock.h"
#include "errors.h"
#include "fr_dat.h"
#include "gymk.h"
#include "ledger.h"
#include "months.h"
#include "rowkinds.h"

namespace qb::bankrec {
namespace {

constexpr int kTicketWidth = 15;   // crereg.ph
constexpr int kSummaryWidth = 50;  // crereg.zy

// The statement with its lines of the month only; the others are told in the notes.
statement::Statement monthOf(const statement::Statement& s, const QDate& month,
                             QStringList& notes) {
    statement::Statement inMonth = s;
    std::erase_if(inMonth.lines, [&](const statement::Line& line) {
        return months::firstDay(line.date) != month;
    });
    const std::vector<statement::Line>& lines = inMonth.lines;
    if (lines.empty())
        throw DbError(QStringLiteral("对账单 %1 中没有 %2 的交易。")
                          .arg(QFileInfo(s.path).fileName(), months::monthText(month)));
    if (const size_t outside = s.lines.size() - lines.size())
        notes << QStringLiteral("对账单中有 %1 笔交易不在本月，没有计入。").arg(outside);
    if (s.skipped > 0)
        notes << QStringLiteral("跳过了 %1 行合计、说明或零金额的行。").arg(s.skipped);
    return inMonth;
}

// The summary a statement line takes into the journal: its own, and who paid or was paid.
QString journalSummary(const BankItem& item) {
    QString summary = QStringList{item.summary, item.counterparty}.join(QLatin1Char(' ')).trimmed();
    if (summary.isEmpty()) summary = QStringLiteral("银行流水");
    if (rows::isReserved(summary)) summary.prepend(QStringLiteral("银行："));
    return summary.left(kSummaryWidth);
}

}  // namespace

bool is_bank_book(const QString& category) {
    return category.contains(QStringLiteral("银行"));
}

Reconciliation reconcile_month(Tdat& dat, const QString& bookId, const QDate& month,
                               const statement::Statement& statement, const Options& options) {
    detail::Start start = detail::start_of(dat, bookId, month);
    Reconciliation& rec = start.rec;
    rec.tolerance = options.tolerance;
    rec.statementFile = statement.path;
    const statement::Statement inMonth = monthOf(statement, rec.month, rec.notes);
    Cents sum = 0;
    for (const statement::Line& line : inMonth.lines) {
        rec.bank.push_back({line.date, line.summary, line.counterparty, line.serial, line.amount,
                            line.balance, line.fileLine, months::monthText(rec.month)});
        sum += line.amount;
    }
    rec.match.assign(rec.bank.size(), -1);
    if (const std::optional<Cents> closing = inMonth.closing()) {
        rec.bankOpening = *inMonth.opening();
        rec.bankClosing = *closing;
        rec.closingFrom = ClosingFrom::Statement;
        if (options.closing && *options.closing != rec.bankClosing)
            rec.notes << QStringLiteral("对账单的期末余额是 %1，给出的 %2 没有采用。")
                             .arg(money::grouped(rec.bankClosing),
                                  money::grouped(*options.closing));
    } else if (options.closing) {
        rec.bankClosing = *options.closing;
        rec.closingFrom = ClosingFrom::Given;
    } else {
        rec.bankClosing = rec.bankOpening + sum;
        rec.closingFrom = ClosingFrom::Computed;
        rec.notes << QStringLiteral("对账单没有余额：期末余额按期初 %1 加本月收支推算。")
                         .arg(money::grouped(rec.bankOpening));
    }
    match(rec);
    return std::move(rec);
}

std::vector<qint64> add_bank_lines(Tdat& dat, Reconciliation& rec, const std::vector<int>& items,
                                   const QString& user) {
    if (items.empty()) throw DbError(QStringLiteral("请先选择要加入日记帐的未达银行流水。"));
    // The month is tested and its voucher numbers taken with the book held.
    Transaction t(dat);
    ledger::lock_book(dat, rec.bookId);
    if (gymk::month_closed(dat, QString(), rec.bookId, gymk::SilentMode, rec.month))
        throw DbError(QStringLiteral("%1 已经结账，不能再向这个月的日记帐添加银行流水；请在下一个"
                                     "未结账的月份对账时加入。")
                          .arg(months::monthText(rec.month)));
    for (const int i : items)
        if (i < 0 || i >= int(rec.bank.size()) || rec.match[size_t(i)] >= 0)
            throw DbError(QStringLiteral("只能把未勾对的银行流水加入日记帐。"));
    Reconciliation next = rec;
    int voucher = dat.scalar(QStringLiteral("select max(pzh) from crereg where zbh=? and dzrq "
                                            "between ? and ?"),
                             QVariantList{rec.bookId} + months::range(rec.month))
                      .toInt();
    std::vector<ledger::LineFields> lines;
    for (const int i : items) {
        const BankItem& item = rec.bank[size_t(i)];
        ledger::LineFields line;
        // An item left from an earlier month is booked on the first day of this one.
        line.date = std::clamp(item.date, rec.month, months::lastDay(rec.month));
        line.voucher = ++voucher;
        line.ticket = item.serial.left(kTicketWidth);
        line.summary = journalSummary(item);
        line.debit = std::max<Cents>(item.amount, 0);
        line.credit = std::max<Cents>(-item.amount, 0);
        line.handler = user;
        lines.push_back(line);
    }
    const std::vector<qint64> ids = ledger::insert_lines(dat, rec.bookId, lines);
    for (size_t k = 0; k < ids.size(); ++k) {
        next.book.push_back({ids[k], lines[k].date, lines[k].voucher, lines[k].ticket,
                             lines[k].summary, rec.bank[size_t(items[k])].amount});
        next.match[size_t(items[k])] = int(next.book.size()) - 1;
    }
    next.bookClosing = detail::book_closing(dat, rec.bookId, rec.month);
    save_reconciliation(dat, next, user);
    t.commit();
    next.saved = true;
    rec = std::move(next);
    return ids;
}

}  // namespace qb::bankrec
