// "账户余额表": every book with its balance, the count, the alternating rows, the staging table
// the printout reads, and the chart that follows the ticks into the printout.
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "answering_messages.h"
#include "balancechart.h"
#include "balanceprint.h"
#include "ledger.h"
#include "preview_dialog.h"
#include "report_preview.h"
#include "session.h"
#include "templedger.h"
#include "yetab.h"

namespace {

QString book(Tdat& dat, const QString& name, const QString& category, qb::money::Cents opening,
             bool enabled) {
    const QDate start(2024, 6, 1);
    const QString id = qb::ledger::add_book(dat, {category, name, "6222", opening, start}, start);
    if (enabled) qb::ledger::save_book_ticks(dat, {{id, true, start, opening}});
    return id;
}

// The window in July 2024 on 甲公司's cash journal (opened with -350.00 in June, posted, 1,584.56
// received in July) and bank journal, both enabled, and 乙公司's card, not enabled, with 0.99.
struct Table {
    Table() {
        const QString cash = book(ledger.dat, "甲公司", "现金日记帐", -35000, true);
        qb::ledger::post_month(ledger.dat, cash, QDate(2024, 6, 1));
        qb::ledger::LineFields receipt;
        receipt.date = QDate(2024, 7, 2);
        receipt.summary = QStringLiteral("收款");
        receipt.debit = 158456;
        qb::ledger::insert_line(ledger.dat, cash, receipt);
        book(ledger.dat, "甲公司", "银行日记帐", 0, true);
        book(ledger.dat, "乙公司", "银行卡", 99, false);
        window.today = QDate(2024, 7, 20);
        window.show();
        list = window.findChild<QTreeWidget*>("ListView1");
    }
    QStringList zhye() {
        qb::Query q(ledger.dat);
        q.setSql(QStringLiteral("select zblb || '|' || zbmc || '|' || zh || '|' || ye from zhye"));
        q.open();
        QStringList rows;
        for (q.first(); !q.eof(); q.next())
            rows << q.field(0).asString();
        return rows;
    }

    TempLedger ledger;
    AnsweringMessages messages;
    Session session{ledger.dat};
    TForm3 window{session};
    QTreeWidget* list = nullptr;
};

bool hasPicture(const qb::report::Document& document) {
    for (const qb::report::Page& page : document.pages)
        for (const qb::report::Item& item : page.items)
            if (item.kind == qb::report::Item::Kind::Picture) return true;
    return false;
}

}  // namespace

class BalanceTable : public QObject {
    Q_OBJECT
    qb::report::Asking saved_;

private slots:
    void init() { saved_ = qb::report::asking(); }
    void cleanup() { qb::report::asking() = saved_; }

    // Books by name and category, enabled ones ticked; balances with separators in the list
    // and as "0.00" texts in zhye; every second row on light blue; the count below.
    void listsEveryBookAndStagesItsRows() {
        Table t;
        QCOMPARE(t.list->topLevelItemCount(), 3);
        const QString pad(15, ' ');
        const QStringList expected[] = {{pad + "乙公司", "银行卡", "6222", "0.99"},
                                        {pad + "甲公司", "现金日记帐", "6222", "1,234.56"},
                                        {pad + "甲公司", "银行日记帐", "6222", "0.00"}};
        for (int row = 0; row < 3; ++row) {
            QTreeWidgetItem* item = t.list->topLevelItem(row);
            for (int c = 0; c < 4; ++c)
                QCOMPARE(item->text(c), expected[row][c]);
            QCOMPARE(item->checkState(0), row == 0 ? Qt::Unchecked : Qt::Checked);
            QCOMPARE(item->background(1).style() != Qt::NoBrush, row == 1);
        }
        QCOMPARE(t.list->topLevelItem(1)->background(3).color(), QColor(0xa6, 0xca, 0xf0));
        QVERIFY(t.list->topLevelItem(0)->textAlignment(3) & Qt::AlignRight);
        QCOMPARE(t.window.findChild<QLabel*>("Label1")->text(), QStringLiteral("账户数量：3"));
        QCOMPARE(t.zhye(), (QStringList{"银行卡|乙公司|6222|0.99", "现金日记帐|甲公司|6222|1234.56",
                                        "银行日记帐|甲公司|6222|0.00"}));
    }

    // The ticks choose the chart's books and whether the printout carries the chart; they
    // change nothing stored.
    void ticksChooseTheChartAndItsPrintout() {
        Table t;
        auto* chart = t.window.findChild<BalanceChart*>("Chart1");
        QCOMPARE(int(chart->lines().size()), 2);
        QCOMPARE(chart->lines()[0].title, QStringLiteral("甲公司-现金日记帐"));
        QVERIFY(!chart->lines()[0].balances[9]);  // May, before the book began
        QCOMPARE(*chart->lines()[0].balances[10], qb::money::Cents(-35000));
        QCOMPARE(*chart->lines()[0].balances[11], qb::money::Cents(123456));

        std::shared_ptr<const qb::report::Document> shown;
        qb::report::asking().runModal = [&](QDialog& dialog) {
            shown = static_cast<qb::report::PreviewDialog&>(dialog).preview()->document();
            return 0;
        };
        auto* preview = t.window.findChild<QPushButton*>("SpeedButton1");
        preview->click();
        QVERIFY(shown && hasPicture(*shown));
        QCOMPARE(shown->find(QStringLiteral("1,234.56")).size(), 1u);

        const QStringList staged = t.zhye();
        for (int row : {1, 2})
            t.list->topLevelItem(row)->setCheckState(0, Qt::Unchecked);
        QVERIFY(chart->lines().empty());
        preview->click();
        QVERIFY(!hasPicture(*shown));
        QCOMPARE(t.zhye(), staged);
        QCOMPARE(t.ledger.dat.scalar("select count(*) from accstar where flag='1'").toInt(), 2);
        QVERIFY(t.messages.texts.isEmpty());
    }

    // Paper has no list beside the chart: fifteen books' entries all fit its legend. Without
    // balances, only the legend's marks carry the lines' colours.
    void printedLegendHoldsFifteenBooks() {
        std::vector<qb::balanceprint::ChartLine> lines;
        for (int i = 0; i < 15; ++i)
            lines.push_back({QStringLiteral("第%1分公司-银行日记帐").arg(i + 1),
                             QColor::fromHsv(i * 24, 255, 200),
                             std::vector<std::optional<qb::money::Cents>>(12)});
        const QImage picture =
            qb::balanceprint::printImage(QDate(2024, 7, 20), lines, QSizeF(190, 112));
        QSet<QRgb> seen;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                seen.insert(picture.pixel(x, y));
        for (const auto& line : lines)
            QVERIFY2(seen.contains(line.color.rgb()), qPrintable(line.title));
    }
};

QTEST_MAIN(BalanceTable)
#include "tst_yetab.moc"
