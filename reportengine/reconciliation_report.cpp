#include "reconciliation_report.h"

#include <memory>

#include "months.h"
#include "report.h"

namespace qb::report {
namespace {

using money::Cents;

// The outstanding items, group by group in the order of the statement's four lines.
std::shared_ptr<TableDataSource> outstanding(const bankrec::Reconciliation& rec) {
    auto rows = std::make_shared<TableDataSource>(
        QStringList{QStringLiteral("lb"), QStringLiteral("rq"), QStringLiteral("zy"),
                    QStringLiteral("dfhm"), QStringLiteral("hm"), QStringLiteral("je")});
    const auto bankItems = [&](const QString& group, bool received) {
        for (size_t i = 0; i < rec.bank.size(); ++i) {
            const bankrec::BankItem& item = rec.bank[i];
            if (rec.match[i] < 0 && (item.amount > 0) == received)
                rows->addRow({group, months::iso(item.date), item.summary, item.counterparty,
                              item.serial, money::text(qAbs(item.amount))});
        }
    };
    const std::vector<int> ticked = rec.bookMatches();
    const auto bookItems = [&](const QString& group, bool received) {
        for (size_t j = 0; j < rec.book.size(); ++j) {
            const bankrec::BookItem& item = rec.book[j];
            if (ticked[j] < 0 && (item.amount > 0) == received)
                rows->addRow({group, months::iso(item.date), item.summary,
                              QStringLiteral("凭证 %1").arg(item.voucher), item.ticket,
                              money::text(qAbs(item.amount))});
        }
    };
    bankItems(QStringLiteral("银行已收企业未收"), true);
    bankItems(QStringLiteral("银行已付企业未付"), false);
    bookItems(QStringLiteral("企业已收银行未收"), true);
    bookItems(QStringLiteral("企业已付银行未付"), false);
    return rows;
}

}  // namespace

bool reconciliation_report(Report& report, const QString& templatePath,
                           const bankrec::Reconciliation& rec, const QString& book,
                           const QString& account) {
    if (!report.load(templatePath)) return false;
    const bankrec::Groups g = rec.groups();
    const Cents difference = g.difference();
    const std::pair<const char*, QString> texts[] = {
        {"Memo1", QStringLiteral("账簿：") + book},
        {"Memo2", QStringLiteral("账号：") + account},
        {"Memo3", QStringLiteral("截至：") + months::iso(months::lastDay(rec.month))},
        {"zmye", money::text(rec.bookClosing)},
        {"yhys", money::text(g.bankReceived)},
        {"yhyf", money::text(g.bankPaid)},
        {"tzzm", money::text(g.adjustedBook)},
        {"yhye", money::text(rec.bankClosing)},
        {"qyys", money::text(g.bookReceived)},
        {"qyyf", money::text(g.bookPaid)},
        {"tzyh", money::text(g.adjustedBank)},
        {"cy",
         difference == 0
             ? QStringLiteral("调节后余额相符。")
             : QStringLiteral("调节后余额不相符，差额 %1（日记帐一方减银行一方），请查明原因。")
                   .arg(money::grouped(difference))},
    };
    for (const auto& [name, text] : texts)
        if (!report.setText(QLatin1String(name), text)) return false;
    report.setDataSource(outstanding(rec));
    return true;
}

}  // namespace qb::report
