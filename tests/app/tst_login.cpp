#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolBar>
#include <QtTest>
#include <memory>

#include "answering_messages.h"
#include "login.h"
#include "main.h"
#include "session.h"
#include "templedger.h"
#include "testwindows.h"

// The login panel: who may log in, the messages of a failed login, the role rules of the menus,
// re-login and the centring of the panel.
class LoginTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainOnLedger> s;

    template <class T>
    T* find(const char* name) {
        T* w = s->main->findChild<T*>(QLatin1String(name));
        if (!w) qFatal("no control %s", name);
        return w;
    }
    QComboBox* nameBox() { return find<QComboBox>("ComboBox1"); }
    QLineEdit* passwordBox() { return find<QLineEdit>("Edit1"); }
    bool enabled(const char* name) {
        if (auto* a = s->main->findChild<QAction*>(QLatin1String(name))) return a->isEnabled();
        return find<QWidget>(name)->isEnabled();
    }
    bool workingMenusEnabled() {
        for (const char* m : {"N1", "N2", "N4", "N7"})
            if (find<QMenu>(m)->menuAction()->isEnabled()) return true;
        return find<QToolBar>("ToolBar1")->isEnabled();
    }
    void typeLogin(const QString& name, const QString& password) {
        nameBox()->setEditText(name);
        passwordBox()->setText(password);
        QTest::mouseClick(find<QPushButton>("SpeedButton8"), Qt::LeftButton);
    }
    void addUser(const QString& name, const QString& password, const QString& role) {
        s->ledger.dat.execute(
            QStringLiteral("insert into pruser(user,userpassword,userpopedom) values(?,?,?)"),
            {name, password, role});
    }

private slots:
    void init() {
        s = std::make_unique<MainOnLedger>();
        addUser(QStringLiteral("张会计"), QStringLiteral("op1"), QStringLiteral("操作员"));
        addUser(QStringLiteral("user"), QString(), QStringLiteral("普通用户"));
        addUser(QStringLiteral("odd"), QStringLiteral("x"), QStringLiteral("出纳"));
        s->main->childWindows().plug(QStringLiteral("N13"), make_child<TestWindow>());
        s->main->show();
    }
    void cleanup() { s.reset(); }

    void firstShowingListsUsersWithMenusDisabled() {
        QVERIFY(find<QWidget>("Panel1")->isVisible());
        QVERIFY(find<QWidget>("Panel2")->isVisible());
        QVERIFY(!workingMenusEnabled());
        QVERIFY(find<QMenu>("N21")->menuAction()->isEnabled());
        QVERIFY(!find<QMenu>("N18")->menuAction()->isVisible());
        QCOMPARE(nameBox()->count(), 4);
        QCOMPARE(nameBox()->itemText(0), QStringLiteral("admin"));
        QCOMPARE(nameBox()->itemText(1), QStringLiteral("张会计"));
        QVERIFY(s->messages.texts.isEmpty());
    }

    void noUsersMeansDamagedDatabase() {
        s.reset();  // its message service goes first
        s = std::make_unique<MainOnLedger>();
        s->ledger.dat.execute(QStringLiteral("delete from pruser"));
        s->main->show();
        QCOMPARE(s->messages.texts, QStringList{QStringLiteral("数据库损坏")});
        QCOMPARE(nameBox()->count(), 0);
        typeLogin(QStringLiteral("admin"), QStringLiteral("admin"));
        QCOMPARE(s->messages.texts.last(), QStringLiteral("用户名错误，请重新输入！"));
    }

    void roleLabelFollowsTheName() {
        auto* role = find<QLabel>("Label4");
        nameBox()->setEditText(QStringLiteral("张会计"));
        QCOMPARE(role->text(), QStringLiteral("操作员"));
        nameBox()->setEditText(QStringLiteral("张会"));
        QCOMPARE(role->text(), QString());
        nameBox()->setCurrentIndex(0);
        QCOMPARE(role->text(), QStringLiteral("管理员"));
    }

    void failedLogins() {
        // An unknown name keeps the password; a quote in a name is just a name nobody has.
        for (const QString& name :
             {QStringLiteral("nobody"), QStringLiteral("o'brien' or '1'='1")}) {
            typeLogin(name, QStringLiteral("admin"));
            QCOMPARE(s->messages.texts.last(), QStringLiteral("用户名错误，请重新输入！"));
            QCOMPARE(passwordBox()->text(), QStringLiteral("admin"));
        }
        typeLogin(QStringLiteral("admin"), QStringLiteral("wrong"));
        QCOMPARE(s->messages.texts.last(), QStringLiteral("口令错误，请重新输入！"));
        QCOMPARE(passwordBox()->text(), QString());
        QCOMPARE(s->messages.texts.size(), 3);
        QVERIFY(find<QWidget>("Panel1")->isVisible());
        QVERIFY(!workingMenusEnabled());
        QCOMPARE(s->session.login_user, QString());
    }

    void rolesNarrowTheEntries_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("roleText");
        QTest::addColumn<bool>("admin");   // SpeedButton3, N12, N5, N14
        QTest::addColumn<bool>("keeper");  // SpeedButton6, N6
        QTest::newRow("administrator") << "admin"
                                       << "admin" << 0 << "管理员" << true << true;
        QTest::newRow("operator") << "张会计"
                                  << "op1" << 1 << "操作员" << false << true;
        QTest::newRow("ordinary user") << "user"
                                       << "" << 2 << "普通用户" << false << false;
        QTest::newRow("unknown role text") << "odd"
                                           << "x" << 2 << "出纳" << false << false;
    }
    void rolesNarrowTheEntries() {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(int, role);
        QFETCH(QString, roleText);
        QFETCH(bool, admin);
        QFETCH(bool, keeper);
        typeLogin(name, password);
        QVERIFY(s->messages.texts.isEmpty());
        QCOMPARE(s->session.login_user, name);
        QCOMPARE(s->session.role_code, role);
        QCOMPARE(find<QLabel>("StatusPanel4")->text(), name + "  [" + roleText + "]");
        QVERIFY(!find<QWidget>("Panel1")->isVisible());
        QVERIFY(!find<QWidget>("Panel2")->isVisible());
        QCOMPARE(nameBox()->currentText(), QString());
        QCOMPARE(passwordBox()->text(), QString());
        for (const char* m : {"N1", "N2", "N4", "N7"})
            QVERIFY(find<QMenu>(m)->menuAction()->isEnabled());
        QVERIFY(find<QToolBar>("ToolBar1")->isEnabled());
        for (const char* c : {"SpeedButton3", "N12", "N5", "N14", "N30"})
            QCOMPARE(enabled(c), admin);
        for (const char* c : {"SpeedButton6", "N6"})
            QCOMPARE(enabled(c), keeper);
        for (const char* c : {"N9", "N10", "N11", "N13", "N15", "N16", "N41", "SpeedButton1",
                              "SpeedButton2", "SpeedButton4", "SpeedButton5", "SpeedButton7"})
            QVERIFY2(enabled(c), c);
    }

    void enterGoesFromNameToPasswordToLogin() {
        s->main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(s->main.get()));
        nameBox()->setFocus();
        QTest::keyClicks(nameBox(), QStringLiteral("admin"));
        QTest::keyClick(nameBox(), Qt::Key_Return);
        QVERIFY(passwordBox()->hasFocus());
        QVERIFY(find<QWidget>("Panel1")->isVisible());  // Enter in the name box does not log in
        QTest::keyClicks(passwordBox(), QStringLiteral("admin"));
        QTest::keyClick(passwordBox(), Qt::Key_Return);
        QVERIFY(!find<QWidget>("Panel1")->isVisible());
        QCOMPARE(s->session.login_user, QStringLiteral("admin"));
    }

    void reloginClosesChildWindowsOrNothingOnNo() {
        typeLogin(QStringLiteral("张会计"), QStringLiteral("op1"));
        s->main->childWindows().open(QStringLiteral("N13"));
        s->messages.answer(qb::MsgAnswer::No);
        s->main->findChild<QAction*>(QStringLiteral("N19"))->trigger();
        QCOMPARE(s->messages.texts.last(),
                 QStringLiteral("系统将关闭所有子窗口，重新登录，确认数据已保存？"));
        QCOMPARE(s->messages.captions.last(), QStringLiteral("系统提示"));
        QCOMPARE(s->main->childWindows().count(QStringLiteral("N13")), 1);
        QVERIFY(workingMenusEnabled());

        s->main->findChild<QAction*>(QStringLiteral("N19"))->trigger();
        QCOMPARE(s->main->childWindows().count(QStringLiteral("N13")), 0);
        QVERIFY(find<QWidget>("Panel1")->isVisible());
        QVERIFY(!workingMenusEnabled());
        // Closing the panel leaves the menus disabled and the last user in the status bar.
        QTest::mouseClick(find<QPushButton>("SpeedButton7"), Qt::LeftButton);
        QVERIFY(!find<QWidget>("Panel1")->isVisible());
        QVERIFY(!workingMenusEnabled());
        QCOMPARE(find<QLabel>("StatusPanel4")->text(), QStringLiteral("张会计  [操作员]"));
        QCOMPARE(s->session.login_user, QStringLiteral("张会计"));
        QCOMPARE(s->session.role_code, 1);
    }

    void panelStaysCentred() {
        for (const QSize size :
             {QSize(716, 460), QSize(1200, 800), QSize(901, 555), QSize(300, 150)}) {
            s->main->resize(size);
            const QSize outer = s->main->frameGeometry().size();
            const QPoint expected((outer.width() - 313) / 2, (outer.height() - 177) / 2);
            QCOMPARE(find<QWidget>("Panel1")->pos(), expected);
            QCOMPARE(find<QWidget>("Panel2")->pos(), expected + QPoint(8, 8));
            QCOMPARE(find<QWidget>("Panel1")->size(), QSize(313, 177));
        }
    }

    void withoutDatabaseTheLoginSaysSo() {
        s->ledger.dat.close();
        s->messages.texts.clear();
        s->main = std::make_unique<TForm1>(s->session);
        s->main->show();
        QCOMPARE(s->messages.texts.size(), 1);
        nameBox()->setEditText(QStringLiteral("admin"));  // typing stays quiet
        QCOMPARE(s->messages.texts.size(), 1);
        typeLogin(QStringLiteral("admin"), QStringLiteral("admin"));
        QCOMPARE(s->messages.texts.size(), 2);
        QVERIFY(!workingMenusEnabled());
    }
};

QTEST_MAIN(LoginTest)
#include "tst_login.moc"
