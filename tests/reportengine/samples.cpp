#include "samples.h"

#include <QDate>

#include "money.h"
#include "report.h"

namespace samples {

const char* const kCarryOut = "                               接  下  页";
const char* const kCarryIn = "                               承  上  页";

namespace {
const QString kIndent(36, QLatin1Char(' '));
const char* const kSummaries[] = {"收到货款",   "支付办公用品费",
                                  "提取备用金", "报销差旅费（张三 北京出差）",
                                  "缴纳增值税", "收回押金"};
}  // namespace

std::shared_ptr<qb::report::TableDataSource> journal(int lines) {
    auto rows = std::make_shared<qb::report::TableDataSource>(QStringList{
        "sn", "dzrq", "pzh", "ph", "zy", "j_je", "d_je", "y_je", "pzn", "bxr", "jbr", "zbh"});
    qb::money::Cents debit = 0, credit = 0, balance = 1250000;
    int sn = 0;
    auto carry = [&](const char* text) {
        rows->addRow({++sn,
                      {},
                      {},
                      {},
                      QString::fromUtf8(text),
                      qb::money::fromCents(debit),
                      qb::money::fromCents(credit),
                      qb::money::fromCents(balance)});
    };
    for (int i = 1; i <= lines; ++i) {
        if (i > 1 && i % 30 == 0) {
            carry(kCarryOut);
            carry(kCarryIn);
        }
        const QString date =
            QDate(2026, 3, 1).addDays((i - 1) * 30 / std::max(1, lines)).toString(Qt::ISODate);
        if (i == 1) {
            rows->addRow({++sn, date, 0, QString(), kIndent + QStringLiteral("月结转余额"), 0.0,
                          0.0, qb::money::fromCents(balance), 0, QString(), QString(),
                          "2026030001"});
            continue;
        }
        const bool in = i % 3 == 0;
        const qb::money::Cents amount = 10000 + (i * 7919) % 250000;
        balance += in ? amount : -amount;
        debit += in ? amount : 0;
        credit += in ? 0 : amount;
        // One summary of the full 50 characters, as a reversal's markers can make it.
        const QString summary =
            i == 7 ? QStringLiteral(
                         "冲账[2026-03-02 "
                         "支付华东分公司第三季度仓库租金及物业管理费用含税金额一并结清完毕共计]")
                   : QString::fromUtf8(kSummaries[i % 6]);
        rows->addRow({++sn, date, i - 1, QStringLiteral("ZP%1").arg(100200 + i), summary,
                      qb::money::fromCents(in ? amount : 0), qb::money::fromCents(in ? 0 : amount),
                      qb::money::fromCents(balance), i % 4, in ? QString() : QStringLiteral("李四"),
                      QStringLiteral("王会计"), "2026030001"});
    }
    return rows;
}

std::shared_ptr<qb::report::TableDataSource> balances(int books) {
    auto rows =
        std::make_shared<qb::report::TableDataSource>(QStringList{"zblb", "zbmc", "zh", "ye"});
    const char* const categories[] = {"现金日记帐", "银行日记帐", "银行卡"};
    for (int i = 0; i < books; ++i)
        rows->addRow({QString::fromUtf8(categories[i % 3]),
                      QStringLiteral("华东分公司%1").arg(i / 3 + 1),
                      i % 3 == 0 ? QString() : QStringLiteral("6222 0210 %1").arg(1000 + i),
                      qb::money::text(i == 1 ? -35000 : 1234567 * (i + 1) + i)});
    return rows;
}

bool fillJournal(qb::report::Report& report) {
    return report.setText("memo3", QStringLiteral("银行日记帐")) &&
           report.setText("memo46", QStringLiteral("账簿：华东分公司")) &&
           report.setText("memo5", QStringLiteral("日期：2026-03"));
}

bool fillSummarySheet(qb::report::Report& report) {
    if (!report.setText("Memo35", QStringLiteral("账簿：华东分公司")) ||
        !report.setText("Memo36", QStringLiteral("日期：2026-03")))
        return false;
    // Per category (bank, cash, card): opening, debit, credit, closing, closing.
    const char* const figures[3][4] = {{"152000.00", "48000.50", "30500.25", "169500.25"},
                                       {"3200.00", "1500.00", "2250.80", "2449.20"},
                                       {"0.00", "0.00", "0.00", "0.00"}};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 5; ++col)
            if (!report.setText(QStringLiteral("mm%1").arg(row + 1 + 3 * col),
                                QString::fromUtf8(figures[row][std::min(col, 3)])))
                return false;
    return true;
}

}  // namespace samples
