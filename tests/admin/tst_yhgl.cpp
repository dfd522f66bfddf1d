#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include "users.h"
#include "window_fixture.h"
#include "yhgl.h"

class TestYhgl : public QObject, WindowFixture<Tfr_yhgl> {
    Q_OBJECT

    QLineEdit* edit(const char* name) { return window->findChild<QLineEdit*>(name); }
    QComboBox* role() { return window->findChild<QComboBox*>("ComboBox1"); }
    QTableView* grid() { return window->findChild<QTableView*>("DBGrid1"); }
    QPushButton* button(const char* name) { return window->findChild<QPushButton*>(name); }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    void fill(const QString& name, const QString& roleText, const QString& password,
              const QString& again) {
        edit("Edit1")->setText(name);
        role()->setEditText(roleText);
        edit("Edit2")->setText(password);
        edit("Edit3")->setText(again);
    }
    int rowOf(const QString& name) {
        for (int r = 0; r < grid()->model()->rowCount(); ++r)
            if (grid()->model()->index(r, 0).data().toString() == name) return r;
        return -1;
    }
    void doubleClick(const QString& name) {
        const QModelIndex index = grid()->model()->index(rowOf(name), 0);
        grid()->setCurrentIndex(index);
        const QPoint at = grid()->visualRect(index).center();
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {},
                          at);  // a double-click's first press
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, at);
    }
    // name|role of every user, in table order.
    QStringList users() {
        qb::Query q(t->dat);
        q.setSql("select user, userpopedom from pruser");
        q.open();
        QStringList rows;
        for (; !q.eof(); q.next())
            rows << q.field(0).asString() + "|" + q.field(1).asString();
        return rows;
    }
    QString storedPassword(const QString& name) {
        return t->dat.scalar("select userpassword from pruser where user=?", {name}).toString();
    }
    bool logsIn(const QString& name, const QString& password) {
        return qb::users::check_login(t->dat, name, password) == qb::users::Login::Ok;
    }

private slots:
    void init() {
        begin();
        t->dat.execute("insert into pruser values('bob','pw','操作员')");
        session->login_user = "admin";
        showWindow();
    }
    void cleanup() { end(); }

    void listNeverShowsPasswords() {
        QAbstractItemModel* model = grid()->model();
        QCOMPARE(model->columnCount(), 2);
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QString("用户名"));
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QString("身份"));
        QCOMPARE(model->index(rowOf("bob"), 1).data().toString(), QString("操作员"));
        for (int r = 0; r < model->rowCount(); ++r)
            for (int c = 0; c < 2; ++c)
                QVERIFY(model->index(r, c).data().toString() != "pw");
        QVERIFY(!button("SpeedButton4")->isEnabled());
    }

    void addChecksInOrderAndTrims() {
        fill("", "", "a", "b");
        click("SpeedButton1");
        fill("carol", "", "a", "b");
        click("SpeedButton1");
        fill("carol", "操作员", " ", "");
        click("SpeedButton1");
        fill("carol", "操作员", "a", "b");
        click("SpeedButton1");
        QCOMPARE(messages->texts, QStringList({"用户名不能为空", "身份不能为空", "口令不能为空",
                                               "请重新输入你的口令"}));
        QVERIFY(edit("Edit2")->text().isEmpty() && edit("Edit3")->text().isEmpty());
        QCOMPARE(edit("Edit1")->text(), QString("carol"));

        // A name of blanks passes the first test, but the database refuses the empty name;
        // so does a role too long for its column. The fields keep what was typed.
        messages->texts.clear();
        fill("   ", "操作员", "p", "p");
        click("SpeedButton1");
        fill("dave", "一个非常非常非常长的身份名称", "p", "p");
        click("SpeedButton1");
        QCOMPARE(messages->texts, QStringList(2, "添加出错，请检查数据的合法性及完整性"));
        QCOMPARE(edit("Edit1")->text(), QString("dave"));
        QCOMPARE(users().size(), 2);

        messages->texts.clear();
        fill(" O'Neil ", " 普通用户 ", " secret ", " secret ");
        click("SpeedButton1");
        QVERIFY(messages->texts.isEmpty());
        QVERIFY(users().contains("O'Neil|普通用户"));
        QVERIFY(storedPassword("O'Neil").startsWith("$argon2id$"));
        QVERIFY(logsIn("O'Neil", "secret") && !logsIn("O'Neil", " secret "));
        QVERIFY(rowOf("O'Neil") >= 0);
        QVERIFY(edit("Edit1")->text().isEmpty() && role()->currentText().isEmpty());
        QVERIFY(edit("Edit2")->text().isEmpty() && edit("Edit3")->text().isEmpty());
    }

    void editByDoubleClickStoresExactlyAsTyped() {
        doubleClick("bob");
        QCOMPARE(edit("Edit1")->text(), QString("bob"));
        QVERIFY(edit("Edit2")->text().isEmpty() && edit("Edit3")->text().isEmpty());
        QCOMPARE(role()->currentText(), QString("操作员"));
        QVERIFY(button("SpeedButton4")->isEnabled());

        edit("Edit3")->setText("other");
        click("SpeedButton4");
        QCOMPARE(messages->texts, QStringList({"口令错误，请重新输入！"}));
        QVERIFY(button("SpeedButton4")->isEnabled());

        fill("robert ", "普通用户", " new pw ", " new pw ");
        click("SpeedButton4");
        QCOMPARE(messages->texts.size(), 1);
        QVERIFY(users().contains("robert |普通用户"));
        QVERIFY(logsIn("robert ", " new pw "));
        QVERIFY(!button("SpeedButton4")->isEnabled());
        QVERIFY(edit("Edit1")->text().isEmpty());
        QCOMPARE(grid()->model()->index(rowOf("robert "), 1).data().toString(),
                 QString("普通用户"));
    }

    void movingAwayEndsTheEditWithoutStoring() {
        doubleClick("bob");
        grid()->setCurrentIndex(grid()->model()->index(rowOf("admin"), 0));
        edit("Edit1")->setText("mallory");
        click("SpeedButton4");
        QCOMPARE(messages->texts, QStringList({"保存出错，请检查数据的合法性及完整性！"}));
        QCOMPARE(users(), QStringList({"admin|管理员", "bob|操作员"}));
    }

    void theLastAdministratorStays() {
        grid()->setCurrentIndex(grid()->model()->index(rowOf("admin"), 0));
        click("SpeedButton2");
        QCOMPARE(messages->texts.size(), 1);
        QVERIFY(messages->texts[0].contains("唯一的管理员"));
        doubleClick("admin");
        role()->setEditText("操作员");
        click("SpeedButton4");
        QCOMPARE(messages->texts.size(), 2);
        QVERIFY(messages->texts[1].contains("唯一的管理员"));
        QCOMPARE(users(), QStringList({"admin|管理员", "bob|操作员"}));

        // Renaming keeps the role, and the password while its boxes stay empty; with a second
        // administrator the first may go.
        const QString hash = storedPassword("admin");
        edit("Edit1")->setText("boss");
        role()->setEditText("管理员");
        click("SpeedButton4");
        QCOMPARE(storedPassword("boss"), hash);
        QVERIFY(logsIn("boss", "admin"));
        doubleClick("bob");
        role()->setEditText("管理员");
        click("SpeedButton4");
        grid()->setCurrentIndex(grid()->model()->index(rowOf("boss"), 0));
        click("SpeedButton2");
        QCOMPARE(users(), QStringList({"bob|管理员"}));
        QCOMPARE(messages->texts.size(), 2);
    }

    void deletingTheLoggedInUserTakesEffectAtNextLogin() {
        session->login_user = "bob";
        grid()->setCurrentIndex(grid()->model()->index(rowOf("bob"), 0));
        click("SpeedButton2");
        QCOMPARE(users(), QStringList({"admin|管理员"}));
        QCOMPARE(rowOf("bob"), -1);
        QVERIFY(t->dat.scalar("select userpassword from pruser where user=?", {"bob"}).isNull());
        // The session goes on working meanwhile.
        QCOMPARE(session->login_user, QString("bob"));
        fill("eve", "操作员", "e", "e");
        click("SpeedButton1");
        QVERIFY(messages->texts.isEmpty());
        QCOMPARE(users().size(), 2);
    }

    void anEmptyListIgnoresDoubleClickStoreAndDelete() {
        window.reset();
        t->dat.execute("delete from pruser");
        showWindow();
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
        window->DBGrid1DblClick();
        click("SpeedButton4");
        click("SpeedButton2");
        QVERIFY(messages->texts.isEmpty());
        QVERIFY(!button("SpeedButton4")->isEnabled());
    }
};

QTEST_MAIN(TestYhgl)
#include "tst_yhgl.moc"
