#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include "window_fixture.h"
#include "zy.h"

class TestZy : public QObject, WindowFixture<Tfr_zy> {
    Q_OBJECT

    QLineEdit* edit() { return window->findChild<QLineEdit*>("Edit1"); }
    QTableView* grid() { return window->findChild<QTableView*>("DBGrid1"); }
    void click(const char* name) {
        QTest::mouseClick(window->findChild<QPushButton*>(name), Qt::LeftButton);
    }
    QStringList shown() {
        QStringList rows;
        for (int r = 0; r < grid()->model()->rowCount(); ++r)
            rows << grid()->model()->index(r, 0).data().toString();
        return rows;
    }
    QStringList stored() {
        qb::Query q(t->dat);
        q.setSql("select OftenSummary from basicset order by OftenSummary");
        q.open();
        QStringList rows;
        for (; !q.eof(); q.next())
            rows << q.field(0).asString();
        return rows;
    }
    void type(const QString& text) {
        edit()->clear();
        edit()->insert(text);  // as typed: every change narrows
    }

private slots:
    void init() {
        begin();
        for (const char* p :
             {"提现金", "提取备用金", "收到货款", "100%完成", "1000元", "O'Brien 报销"})
            t->dat.execute("insert into basicset(OftenSummary) values(?)", {QString(p)});
        showWindow();
    }
    void cleanup() { end(); }

    void narrowsAsTheUserTypes() {
        QCOMPARE(shown().size(), 6);
        type("  提");
        QCOMPARE(shown(), QStringList({"提取备用金", "提现金"}));
        type("O'");
        QCOMPARE(shown(), QStringList({"O'Brien 报销"}));
        // "%" stays the database's wildcard.
        type("10%元");
        QCOMPARE(shown(), QStringList({"1000元"}));
        type("%");
        QCOMPARE(shown().size(), 6);
        type("   ");
        QCOMPARE(shown().size(), 6);
        type("无此摘要");
        QVERIFY(shown().isEmpty());
        QVERIFY(messages->texts.isEmpty());
    }

    void addTestsTheTrimmedTextForDuplicates() {
        type("  收到货款 ");
        click("SpeedButton1");
        QCOMPARE(messages->texts, QStringList({"摘要数据库中已经存在此数据"}));
        QCOMPARE(stored().count("收到货款"), 1);
        QCOMPARE(edit()->text(), QString("  收到货款 "));

        messages->texts.clear();
        type(" 支付工资  ");
        QTest::keyClick(edit(), Qt::Key_Return);  // Enter adds as the button does
        QCOMPARE(messages->texts, QStringList({"数据已保存！"}));
        QVERIFY(stored().contains("支付工资"));
        // The whole list shows again although the phrase stays typed.
        QCOMPARE(shown().size(), 7);
        QCOMPARE(edit()->text(), QString(" 支付工资  "));

        messages->texts.clear();
        type("   ");
        click("SpeedButton1");
        click("SpeedButton3");
        QVERIFY(messages->texts.isEmpty());
        QCOMPARE(stored().size(), 7);
    }

    void storeSkipsTheDuplicateTestAndQuotesWork() {
        type("收到货款");
        click("SpeedButton3");
        QCOMPARE(stored().count("收到货款"), 2);
        type("O'Brien 报销");
        click("SpeedButton1");
        QCOMPARE(messages->texts.last(), QString("摘要数据库中已经存在此数据"));
        type("it's \"quoted\"; drop table basicset");
        click("SpeedButton1");
        QVERIFY(stored().contains("it's \"quoted\"; drop table basicset"));
    }

    void aPhraseTooLongIsRefused() {
        // The box takes no more than a journal line's summary holds...
        type(QString(51, QChar(u'长')));
        QCOMPARE(edit()->text().size(), 50);
        type("");
        // ...and a change in the grid that the database refuses is reported and dropped.
        QAbstractItemModel* model = grid()->model();
        const QString first = model->index(0, 0).data().toString();
        QVERIFY(model->setData(model->index(0, 0), QString(51, QChar(u'长'))));
        grid()->setCurrentIndex(model->index(1, 0));
        QCOMPARE(messages->texts, QStringList({"摘要最多 50 个字，这次修改没有保存。"}));
        QCOMPARE(model->index(0, 0).data().toString(), first);
        QCOMPARE(stored().size(), 6);
        QVERIFY(stored().contains(first));
    }

    void changeInPlaceIsStoredWhenTheCursorLeavesTheRow() {
        QAbstractItemModel* model = grid()->model();
        grid()->setCurrentIndex(model->index(0, 0));
        const QString old = model->index(0, 0).data().toString();
        QVERIFY(model->setData(model->index(0, 0), "  改过的摘要 "));
        QVERIFY(stored().contains(old));  // not yet written
        QCOMPARE(model->index(0, 0).data().toString(), QString("  改过的摘要 "));
        grid()->setCurrentIndex(model->index(1, 0));
        QVERIFY(!stored().contains(old));
        QVERIFY(stored().contains("改过的摘要"));

        // A change still pending when the list reloads is dropped, and so is an emptied cell.
        grid()->setCurrentIndex(model->index(2, 0));
        const QString third = model->index(2, 0).data().toString();
        model->setData(model->index(2, 0), "dropped");
        type("1");
        QVERIFY(stored().contains(third));
        QVERIFY(!stored().contains("dropped"));
        type("");
        grid()->setCurrentIndex(model->index(0, 0));
        model->setData(model->index(0, 0), "  ");
        grid()->setCurrentIndex(model->index(1, 0));
        QCOMPARE(stored().size(), 6);
        QVERIFY(!stored().contains(""));
    }

    void deleteAsksOnlyForTheGridKey() {
        grid()->setCurrentIndex(grid()->model()->index(1, 0));
        const QString second = shown()[1];
        messages->answer(qb::MsgAnswer::Cancel);
        QTest::keyClick(grid(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(messages->texts, QStringList({"Delete record?"}));
        QCOMPARE(stored().size(), 6);
        messages->answer(qb::MsgAnswer::Ok);
        QTest::keyClick(grid(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(stored().size(), 5);
        QVERIFY(!stored().contains(second));

        // The button deletes at once, also a phrase with a quote.
        type("O'");
        click("SpeedButton2");
        QCOMPARE(messages->texts.size(), 2);
        QVERIFY(!stored().contains("O'Brien 报销"));
        click("SpeedButton2");  // nothing left in the narrowed list: nothing happens
        QCOMPARE(stored().size(), 4);
    }
};

QTEST_MAIN(TestZy)
#include "tst_zy.moc"
