#pragma once

#include <QDate>

#include "bankrec.h"
#include "ledger.h"
#include "statement.h"
#include "templedger.h"

// The worked example every sample statement under tests/data/statements belongs to. The bank book
// 甲公司-银行日记帐 opens May 2024 with 10,000.00; the journal holds 5,000.00 received (ticket
// 1001) on the 3rd, 3,000.00 paid (ticket 2001) on the 10th, 2,000.00 rent received on the 28th
// and 800.00 electricity paid on the 30th: closing 13,200.00. The bank shows the first two (the
// payment on the 11th), 150.00 interest and a 50.00 fee: closing 12,100.00. Both sides adjusted:
// 13,300.00.
namespace worked_example {
inline const QDate kMay{2024, 5, 1};
inline QString statement(const QString& name) {
    return QStringLiteral(QB_STATEMENTS "/") + name;
}
// A journal line of the book through the ledger's writer.
inline qint64 add(Tdat& dat, const QString& book, const QString& date, int voucher,
                  const QString& ticket, const QString& summary, qb::money::Cents debit,
                  qb::money::Cents credit) {
    qb::ledger::LineFields f;
    f.date = QDate::fromString(date, Qt::ISODate);
    f.voucher = voucher;
    f.ticket = ticket;
    f.summary = summary;
    f.debit = debit;
    f.credit = credit;
    f.handler = QStringLiteral("admin");
    return qb::ledger::insert_line(dat, book, f);
}
// Makes the book with its May; returns its id.
inline QString make(Tdat& dat) {
    namespace L = qb::ledger;
    const QString id = L::add_book(dat, {"银行日记帐", "甲公司", "6222", 1000000, kMay});
    L::save_book_ticks(dat, {{id, true, kMay, 1000000}});
    add(dat, id, "2024-05-03", 1, "1001", "收货款", 500000, 0);
    add(dat, id, "2024-05-10", 2, "2001", "付材料款", 0, 300000);
    add(dat, id, "2024-05-28", 3, "", "收租金", 200000, 0);
    add(dat, id, "2024-05-30", 4, "", "付电费", 0, 80000);
    return id;
}
}  // namespace worked_example

// The worked example on a ledger of its own.
struct BankBook : TempLedger {
    static inline const QDate kMay = worked_example::kMay;
    static QString statement(const QString& name) { return worked_example::statement(name); }

    QString id = worked_example::make(dat);
    qb::bankrec::Reconciliation may(
        const QString& file = statement("sample_debit_credit_gb18030.csv"),
        const qb::bankrec::Options& options = {}) {
        return qb::bankrec::reconcile_month(dat, id, kMay, qb::statement::read(file), options);
    }
    int count(const QString& sql) { return dat.scalar(sql).toInt(); }
};
