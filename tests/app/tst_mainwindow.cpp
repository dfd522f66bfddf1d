#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "about.h"
#include "answering_messages.h"
#include "application.h"
#include "errors.h"
#include "main.h"
#include "session.h"
#include "templedger.h"
#include "testwindows.h"

// The main window's menus, keys, tool launchers, about box and closing, and the application's
// general error display.
class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainOnLedger> s;
    int dialogs = 0;

    QAction* action(const char* name) { return s->main->findChild<QAction*>(QLatin1String(name)); }
    void login() {
        s->main->findChild<QComboBox*>("ComboBox1")->setEditText("admin");
        s->main->findChild<QLineEdit*>("Edit1")->setText("admin");
        s->main->findChild<QPushButton*>("SpeedButton8")->click();
    }
    void press(int key) {
        QTest::keyClick(s->main.get(), Qt::Key(key), Qt::ControlModifier);
        QCoreApplication::processEvents();
    }

private slots:
    void init() {
        s = std::make_unique<MainOnLedger>();
        dialogs = 0;
        s->main->runDialog = [this](QDialog& d) {
            ++dialogs;
            QVERIFY(qobject_cast<TForm2*>(&d));
        };
        s->main->childWindows().plug("N9", make_child<TestRegister>());
        s->main->childWindows().plug("N11", make_child<TestWindow>());
        s->main->show();
        s->main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(s->main.get()));
    }
    void cleanup() { s.reset(); }

    void menusAndToolBarAsDesigned() {
        QCOMPARE(s->main->windowTitle(), QStringLiteral("Quillbook"));
        const QList<QPair<const char*, QString>> entries = {
            {"N9", "登记凭证"},    {"N10", "账户余额表"}, {"N11", "日记帐查询"},
            {"N20", "账务月结"},   {"N25", "冲账"},       {"N26", "重新计算余额"},
            {"N28", "导出"},       {"N29", "银行对账"},   {"N31", "支票登记簿"},
            {"N12", "帐薄初始化"}, {"N13", "摘要"},       {"N14", "帐户信息"},
            {"N15", "计算器"},     {"N16", "记事本"},     {"N5", "用户管理"},
            {"N6", "数据管理"},    {"N30", "操作日志"},   {"N22", "联机帮助"},
            {"N23", "关于......"}, {"N19", "重新登录"},   {"N8", "系统退出"},
            {"N41", "资金日报表"}};
        for (const auto& [name, caption] : entries)
            QCOMPARE(action(name)->text().section('\t', 0, 0), caption);
        QStringList menus;
        for (QAction* m : s->main->menuBar()->actions())
            menus << m->objectName() + ":" + m->text();
        QCOMPARE(menus,
                 (QStringList{"N2:账簿管理(&Z)", "N40:查询(&Q)", "N18:账务处理", "N4:初始化(&C)",
                              "N7:快捷工具(&T)", "N1:系统(&S)", "N21:帮助(&H)"}));
        const QList<QPair<const char*, QString>> keys = {
            {"N9", "Ctrl+A"},  {"N10", "Ctrl+Y"}, {"N11", "Ctrl+F"}, {"N15", "Ctrl+C"},
            {"N16", "Ctrl+W"}, {"N19", "Ctrl+I"}, {"N8", "Ctrl+X"}};
        for (const auto& [name, key] : keys)
            QCOMPARE(action(name)->shortcut().toString(), key);
        // The second entries with Ctrl+F and Ctrl+A show the key but do not take it.
        QVERIFY(action("N22")->shortcut().isEmpty());
        QVERIFY(action("N23")->shortcut().isEmpty());
        QVERIFY(action("N22")->text().endsWith("Ctrl+F"));
        const QList<QPair<const char*, QString>> buttons = {
            {"SpeedButton1", "登  记"},   {"SpeedButton2", "查  找"},
            {"SpeedButton3", "账簿管理"}, {"SpeedButton4", "摘要设置"},
            {"SpeedButton6", "数据管理"}, {"SpeedButton7", "资金日报"},
            {"SpeedButton5", "系统退出"}};
        for (const auto& [name, caption] : buttons)
            QCOMPARE(s->main->findChild<QToolButton*>(name)->text(), caption);
        QStringList panels;
        for (int i = 1; i <= 4; ++i)
            panels << s->main->findChild<QLabel*>(QString("StatusPanel%1").arg(i))->text();
        QCOMPARE(panels, (QStringList{"状态：", "", "登录用户：", ""}));
        s->session.setStatusText("导出完成");
        QCOMPARE(s->main->findChild<QLabel*>("StatusPanel2")->text(), QStringLiteral("导出完成"));
    }

    void keysBeforeLoginOnlyReachTheHelpMenu() {
        press(Qt::Key_A);
        press(Qt::Key_F);
        QCOMPARE(dialogs, 0);
        QCOMPARE(s->main->childWindows().count("N9"), 0);
        QCOMPARE(s->main->childWindows().count("N11"), 0);
        press(Qt::Key_I);  // re-login asks
        QCOMPARE(s->messages.texts.last(),
                 QStringLiteral("系统将关闭所有子窗口，重新登录，确认数据已保存？"));
        s->messages.answer(qb::MsgAnswer::No);
        press(Qt::Key_X);  // exit asks
        QCOMPARE(s->messages.texts.last(), QStringLiteral("你真的要关闭吗？"));
        QVERIFY(s->main->isVisible());
    }

    void ctrlAAndCtrlFGoToTheFirstEntryOnly() {
        login();
        press(Qt::Key_A);
        QCOMPARE(s->main->childWindows().count("N9"), 1);
        press(Qt::Key_A);  // the register is open: nothing, and no about box
        QCOMPARE(s->main->childWindows().count("N9"), 1);
        press(Qt::Key_F);
        QCOMPARE(s->main->childWindows().count("N11"), 1);
        s->main->activateWindow();
        press(Qt::Key_F);  // the query is open: nothing, and no help
        QCOMPARE(s->main->childWindows().count("N11"), 1);
        QCOMPARE(dialogs, 0);
        QVERIFY(s->messages.texts.isEmpty());
        action("N23")->trigger();  // the menu still opens the about box
        QCOMPARE(dialogs, 1);
    }

    void aboutBox() {
        TForm2 box;
        QCOMPARE(box.windowTitle(), QStringLiteral("关于[Quillbook]"));
        QCOMPARE(box.size(), QSize(357, 212));
        QStringList texts;
        for (QLabel* l : box.findChildren<QLabel*>())
            texts << l->text();
        QVERIFY(texts.contains("Version 2.1"));
    }

    void closingAsksAndNoKeepsEverythingOpen() {
        login();
        action("N9")->trigger();
        s->messages.answer(qb::MsgAnswer::No);
        action("N8")->trigger();
        QCOMPARE(s->messages.captions.last(), QStringLiteral("系统提示"));
        QCOMPARE(s->messages.texts.last(), QStringLiteral("你真的要关闭吗？"));
        QVERIFY(s->main->isVisible());
        QCOMPARE(s->main->childWindows().count("N9"), 1);
        QVERIFY(!action("N9")->isEnabled());
        QTest::mouseClick(s->main->findChild<QToolButton*>("SpeedButton5"), Qt::LeftButton);  // Yes
        QVERIFY(!s->main->isVisible());
        QCOMPARE(s->main->childWindows().count("N9"), 0);
    }

    void toolsWithoutProgramsDoNothing() {
        login();
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QDir::tempPath().toLocal8Bit());
        action("N15")->trigger();
        action("N16")->trigger();
        qputenv("PATH", path);
        QVERIFY(s->messages.texts.isEmpty());
    }

    void helpWithoutItsFileSaysWhatIsMissing() {
        QTemporaryDir empty;
        QDir::setCurrent(empty.path());
        action("N22")->trigger();
        s->main->findChild<QPushButton*>("SpeedButton9")->click();  // the login panel's help
        QCOMPARE(s->messages.texts.size(), 2);
        for (const QString& text : s->messages.texts)
            QVERIFY2(text.contains(QDir(empty.path()).filePath("qbk.chm")), qPrintable(text));
        QVERIFY(s->main->isVisible());
    }

    void errorsLeavingAHandlerAreShownAndTheProgramGoesOn() {
        struct Throwing : QObject {
            bool db = true;
            bool event(QEvent*) override {
                if (db) throw qb::DbError(QStringLiteral("数据库已被锁定"));
                throw std::runtime_error("出错了");
            }
        } receiver;
        QEvent e(QEvent::User);
        QVERIFY(!QCoreApplication::sendEvent(&receiver, &e));
        receiver.db = false;
        QVERIFY(!QCoreApplication::sendEvent(&receiver, &e));
        QCOMPARE(s->messages.texts, (QStringList{"数据库已被锁定", "出错了"}));
        // The usual way: a button's handler fails; the window stays usable.
        QPushButton button("保存");
        int clicks = 0;
        QObject::connect(&button, &QPushButton::clicked, [&] {
            if (++clicks == 1) throw qb::DbError(QStringLiteral("磁盘已满"));
        });
        button.show();
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicks, 2);
        QCOMPARE(s->messages.texts.last(), QStringLiteral("磁盘已满"));
    }
};

int main(int argc, char** argv) {
    QbApplication app(argc, argv);
    setup_look();
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_mainwindow.moc"
