// "打印" in the register: the month's journal staged and shown in the modal preview, with carry
// lines at every page end and start and the footers' totals; the summary sheet printed as shown.
#include <QTest>
#include <QToolButton>

#include "dj.h"
#include "journalprint.h"
#include "ledger.h"
#include "monthmodel.h"
#include "preview_dialog.h"
#include "registerfixture.h"
#include "report_preview.h"

namespace {

// The texts that follow a given one on a page.
QStringList after(const qb::report::Document& document, int page, const QString& text, int n) {
    const auto& items = document.pages.at(page).items;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].text == text) {
            QStringList next;
            for (size_t k = i + 1; k <= i + n && k < items.size(); ++k)
                next << items[k].text;
            return next;
        }
    return {};
}

int stagedRows(TempLedger& ledger) {
    return ledger.dat.scalar(QStringLiteral("select count(*) from tmp_pr")).toInt();
}

}  // namespace

class RegisterPrint : public QObject {
    Q_OBJECT
    qb::report::Asking saved_;
    std::shared_ptr<const qb::report::Document> shown_;
    int previews_ = 0;
    int printDialogs_ = 0;

private slots:
    void init() {
        saved_ = qb::report::asking();
        shown_.reset();
        previews_ = printDialogs_ = 0;
        qb::report::asking().runModal = [this](QDialog& dialog) {
            ++previews_;
            shown_ = static_cast<qb::report::PreviewDialog&>(dialog).preview()->document();
            return 0;
        };
        qb::report::asking().printDialog = [this](QPrinter&, QWidget*) {
            ++printDialogs_;
            return false;
        };
    }
    void cleanup() { qb::report::asking() = saved_; }

    // 65 entries (the opening row and 64 lines): three pages, a carry pair at each break, the
    // month's totals as the footers show them under the last line.
    void journalPrintsWithCarryLinesAndTheFootersTotals() {
        RegisterFixture f;
        f.cashBook(500, QStringLiteral("2024-05-01"));
        std::vector<qb::ledger::LineFields> lines;
        for (int i = 1; i <= 64; ++i) {
            qb::ledger::LineFields line;
            line.date = QDate(2024, 5, 1 + i % 28);
            line.voucher = i;
            line.summary = QStringLiteral("支出%1").arg(i);
            (i % 4 ? line.credit : line.debit) = i % 4 ? 2345 : 150000;
            lines.push_back(line);
        }
        qb::ledger::insert_lines(f.ledger.dat, kCashBook, lines);
        f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 9));
        QTest::mouseClick(f.window->findChild<QToolButton*>(QStringLiteral("SpeedButton7")),
                          Qt::LeftButton);

        QCOMPARE(previews_, 1);
        QCOMPARE(stagedRows(f.ledger), 69);
        QVERIFY(shown_);
        QCOMPARE(int(shown_->pages.size()), 3);
        for (const QString& carry : {qb::journalprint::kCarryOut, qb::journalprint::kCarryIn}) {
            const auto hits = shown_->find(carry);
            QCOMPARE(hits.size(), 2u);
            QVERIFY(hits[0].first != hits[1].first);  // one pair at each page break
        }
        // The totals under the last line read as the register's footers.
        using M = MonthModel;
        QCOMPARE(after(*shown_, 2, QStringLiteral("本月合计"), 3),
                 (QStringList{f.footer(0, M::JJe), f.footer(0, M::DJe), f.footer(0, M::YJe)}));
        QCOMPARE(after(*shown_, 2, QStringLiteral("本月累计"), 3),
                 (QStringList{f.footer(1, M::JJe), f.footer(1, M::DJe), f.footer(1, M::YJe)}));
        QCOMPARE(after(*shown_, 2, QStringLiteral("本年累计"), 3),
                 (QStringList{f.footer(2, M::JJe), f.footer(2, M::DJe), f.footer(2, M::YJe)}));
        QVERIFY(!shown_->find(QStringLiteral("日期：2024-05")).empty());
        QVERIFY(!shown_->find(QStringLiteral("账簿：甲公司")).empty());
    }

    // The sheet goes to the print dialog as rendered; the journal's staging stays untouched.
    void sheetPrintsAsShownAndLeavesTheStagingAlone() {
        RegisterFixture f;
        f.cashBook();
        f.line(kCashBook, QStringLiteral("2024-05-03"), 1, QStringLiteral("收款"), 20, 0, 520);
        qb::journalprint::stage_journal(f.ledger.dat, kCashBook, QDate(2024, 5, 1));
        f.open(QStringLiteral("甲公司/结存表"), QDate(2024, 5, 9));
        QTest::mouseClick(f.window->findChild<QToolButton*>(QStringLiteral("SpeedButton7")),
                          Qt::LeftButton);
        QCOMPARE(printDialogs_, 1);
        QCOMPARE(previews_, 0);
        QCOMPARE(stagedRows(f.ledger), 2);
    }
};

QTEST_MAIN(RegisterPrint)
#include "tst_register_print.moc"
