#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "czrz.h"
#include "ledger.h"
#include "report.h"
#include "window_fixture.h"

class TestCzrz : public QObject, WindowFixture<Tfr_czrz> {
    Q_OBJECT

    QTableWidget* list() { return child<QTableWidget>("list"); }
    void click(const char* name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    int rowOf(const QString& operation) {
        for (int r = 0; r < list()->rowCount(); ++r)
            if (list()->item(r, 3)->text() == operation) return r;
        return -1;
    }

private slots:
    void init() { begin(); }
    void cleanup() { end(); }

    void aDeletedLineComesBackOnceIntoItsOpenMonth() {
        const QDate today = QDate::currentDate();
        const QString book = t->cashBook("本部", 10000, today.addDays(1 - today.day()));
        qb::ledger::LineFields line;
        line.date = today;
        line.summary = "购办公用品 50%";
        line.credit = 6850;
        qb::ledger::delete_line(t->dat, qb::ledger::insert_line(t->dat, book, line));
        showWindow();
        // Nothing chosen: the command says what it needs.
        list()->setCurrentCell(rowOf("添加凭证"), 0);
        click("restore");
        list()->setCurrentCell(rowOf("删除凭证"), 0);
        QVERIFY(child<QPlainTextEdit>("values")->toPlainText().contains("购办公用品 50%"));
        click("restore");
        list()->setCurrentCell(rowOf("删除凭证"), 0);
        click("restore");  // once only
        QCOMPARE(messages->texts, QStringList({"请先选中一条“删除凭证”的记录。", "已恢复这一行。",
                                               "这一行已经恢复过了。"}));
        QCOMPARE(t->dat.scalar("select count(*) from crereg where zy=?", {line.summary}).toInt(),
                 1);
        QVERIFY(rowOf("恢复凭证") >= 0);

        // Text is found as typed; the list goes to a workbook.
        child<QLineEdit>("text")->setText("0%");
        click("search");
        QCOMPARE(list()->rowCount(), 3);  // added, deleted, restored
        window->pickWorkbook = [this](QWidget*) { return t->dir() + "/log.xlsx"; };
        click("export");
        QVERIFY(QFile::exists(t->dir() + "/log.xlsx"));
        // And printed, the heading naming the filter that found the rows, not one typed since;
        // nothing found, nothing to print.
        QFile::copy(QB_TEMPLATES "/czrz.rls", t->dir() + "/czrz.rls");
        int shown = 0;
        window->showReport = [&](qb::report::Report& report) {
            ++shown;
            QVERIFY(report.text("Memo1").endsWith("查找：0%"));
            QVERIFY(report.prepare());
        };
        child<QLineEdit>("text")->setText("'无此记录'");
        click("print");
        click("search");
        click("print");
        QCOMPARE(shown, 1);
        QCOMPARE(messages->texts.last(), QString("没有可以打印的日志记录。"));
    }
};

QTEST_MAIN(TestCzrz)
#include "tst_czrz.moc"
