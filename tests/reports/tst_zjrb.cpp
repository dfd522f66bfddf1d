// "资金日报表" as an ordinary user sees it: the day picked, the books by category with their
// subtotals and the total, the cash book above its limit marked, the printout, its PDF and the
// workbook; and the book editor where the limit is set.
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "answering_messages.h"
#include "cashlimit.h"
#include "ledger.h"
#include "preview_dialog.h"
#include "report_preview.h"
#include "session.h"
#include "templedger.h"
#include "zbgl_in.h"
#include "zjrb.h"

class DailyReport : public QObject {
    Q_OBJECT
    qb::report::Asking saved_;

private slots:
    void init() { saved_ = qb::report::asking(); }
    void cleanup() { qb::report::asking() = saved_; }

    void showsPrintsAndExportsTheDay() {
        TempLedger ledger;
        AnsweringMessages messages;
        const QDate day(2026, 12, 1);
        const QString cash = ledger.cashBook("本部", 100000, day);
        qb::ledger::LineFields receipt;
        receipt.date = day;
        receipt.summary = QStringLiteral("收款");
        receipt.debit = 50000;
        qb::ledger::insert_line(ledger.dat, cash, receipt);
        const QString bank =
            qb::ledger::add_book(ledger.dat, {"银行日记帐", "本部", "6222", 5000000, day}, day);
        qb::ledger::save_book_ticks(ledger.dat, {{bank, true, day, 5000000}});

        // The limit, set where the book is edited (an administrator's window).
        Session admin{ledger.dat};
        Tfr_zbgl_in editor(admin);
        editor.setBook(cash, {"现金日记帐", "本部", "1", 100000, day}, true);
        auto* limit = editor.findChild<QLineEdit*>("EditLimit");
        QVERIFY(limit->isEnabled());
        QCOMPARE(limit->text(), QString());
        limit->setText("12.345");
        editor.findChild<QPushButton*>("SpeedButton1")->click();
        QCOMPARE(messages.texts.value(0), QStringLiteral("库存现金限额“12.345”不是有效的金额。"));
        QCOMPARE(qb::cashlimit::limit(ledger.dat, cash), std::nullopt);
        limit->setText("1,200");
        editor.findChild<QPushButton*>("SpeedButton1")->click();
        QCOMPARE(qb::cashlimit::limit(ledger.dat, cash), qb::money::Cents(120000));
        editor.setBook(bank, {"银行日记帐", "本部", "6222", 5000000, day}, true);
        QVERIFY(!limit->isEnabled());

        Session user{ledger.dat};
        user.role_code = Session::OrdinaryUser;
        Tfr_zjrb window(user);
        window.show();
        window.findChild<QDateEdit*>("dtpFrom")->setDate(day.addDays(1));
        window.findChild<QDateEdit*>("dtpTo")->setDate(day);  // the start follows back
        QCOMPARE(window.findChild<QDateEdit*>("dtpFrom")->date(), day);
        auto* table = window.findChild<QTableWidget*>("table");
        QCOMPARE(table->rowCount(), 5);
        QStringList first;
        for (int c = 0; c < table->columnCount(); ++c)
            first << table->item(0, c)->text();
        QCOMPARE(first, (QStringList{"现金日记帐", "本部", "1", "1,000.00", "500.00", "0.00",
                                     "1,500.00", "1", "超限额"}));
        QCOMPARE(table->item(0, 1)->toolTip(),
                 QStringLiteral("2026-12-01 现金日记帐“本部”日终余额 1,500.00 元，超过库存现金"
                                "限额 1,200.00 元。"));
        QVERIFY(table->item(2, 1)->background() != table->item(0, 1)->background());
        QCOMPARE(table->item(4, 1)->text(), QStringLiteral("合计"));
        QCOMPARE(table->item(4, 6)->text(), QStringLiteral("51,500.00"));
        QCOMPARE(window.findChild<QLabel*>("note")->text(),
                 QStringLiteral("账户数量：2，超限额或负数：1"));

        std::shared_ptr<const qb::report::Document> shown;
        qb::report::asking().runModal = [&](QDialog& dialog) {
            shown = static_cast<qb::report::PreviewDialog&>(dialog).preview()->document();
            return 0;
        };
        window.findChild<QPushButton*>("previewButton")->click();
        QVERIFY(shown);
        QCOMPARE(shown->find(QStringLiteral("资金日报表")).size(), 1u);
        QCOMPARE(shown->find(QStringLiteral("51,500.00")).size(), 1u);

        const QString pdf = ledger.dir() + "/day.pdf", xlsx = ledger.dir() + "/day.xlsx";
        qb::report::asking().pdfFileName = [&](QWidget*, const QString&) { return pdf; };
        qb::report::asking().workbookFileName = [&](QWidget*, const QString&) { return xlsx; };
        window.findChild<QPushButton*>("pdfButton")->click();
        window.findChild<QPushButton*>("workbookButton")->click();
        QVERIFY(QFile::exists(pdf));
        QVERIFY(QFile::exists(xlsx));
        QCOMPARE(messages.texts.mid(1), (QStringList{"已另存为 " + pdf, "已导出到 " + xlsx}));
    }
};

QTEST_MAIN(DailyReport)
#include "tst_zjrb.moc"
