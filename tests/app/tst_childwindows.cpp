#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "answering_messages.h"
#include "main.h"
#include "session.h"
#include "templedger.h"
#include "testwindows.h"

// The child-window registry: one window per single-instance kind, entries enabled again however
// a window closes, menu "账务处理" with the register windows, commands to the latest register.
class ChildWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainOnLedger> s;

    ChildWindows& children() { return s->main->childWindows(); }
    QAction* action(const char* name) { return s->main->findChild<QAction*>(QLatin1String(name)); }
    QWidget* button(const char* name) {
        return s->main->findChild<QToolButton*>(QLatin1String(name));
    }
    // Its own state: the tool bar as a whole is disabled again after re-login.
    bool buttonEnabled(const char* name) {
        QWidget* b = button(name);
        return b->isEnabledTo(b->parentWidget());
    }
    bool menuShown() {
        return s->main->findChild<QMenu*>(QStringLiteral("N18"))->menuAction()->isVisible();
    }
    static QMdiSubWindow* frameOf(QWidget* w) {
        return qobject_cast<QMdiSubWindow*>(w->parentWidget());
    }
    static void settle() { QCoreApplication::processEvents(); }

private slots:
    void init() {
        s = std::make_unique<MainOnLedger>();
        for (const char* entry : {"N10", "N11", "N12", "N13", "N6", "N14", "N5", "N41"})
            children().plug(QLatin1String(entry), make_child<TestWindow>());
        children().plug(QStringLiteral("N9"), make_child<TestRegister>());
        s->main->show();
        s->main->setWorkingMenusEnabled(true);
    }
    void cleanup() { s.reset(); }

    void singleInstanceEntriesComeBackHoweverTheWindowCloses_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("how");
        const QList<QPair<QString, QString>> kinds = {
            {"N9", "SpeedButton1"},  {"N10", ""},
            {"N11", "SpeedButton2"}, {"N12", "SpeedButton3"},
            {"N13", "SpeedButton4"}, {"N6", "SpeedButton6"},
            {"N41", "SpeedButton7"}};
        for (const auto& [entry, button] : kinds)
            for (const char* how : {"own button", "close box", "re-login"})
                QTest::newRow(qPrintable(entry + " " + how)) << entry << button << how;
    }
    void singleInstanceEntriesComeBackHoweverTheWindowCloses() {
        QFETCH(QString, entry);
        QFETCH(QString, button);
        QFETCH(QString, how);
        QAction* a = action(qPrintable(entry));
        a->trigger();
        QWidget* window = children().latest(entry);
        QVERIFY(window);
        QVERIFY(!a->isEnabled());
        if (!button.isEmpty()) QVERIFY(!buttonEnabled(qPrintable(button)));
        for (QPushButton* own : window->findChildren<QPushButton*>())  // same names, untouched
            QVERIFY(own->isEnabled());
        a->trigger();  // a disabled entry opens nothing more
        QCOMPARE(children().count(entry), 1);

        if (how == "own button")
            QTest::mouseClick(window->findChild<QPushButton*>("CloseButton"), Qt::LeftButton);
        else if (how == "close box")
            frameOf(window)->close();
        else
            action("N19")->trigger();
        settle();
        QCOMPARE(children().count(entry), 0);
        QVERIFY(a->isEnabled());
        if (!button.isEmpty()) QVERIFY(buttonEnabled(qPrintable(button)));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(s->main->mdiArea()->subWindowList().isEmpty());
    }

    void multiInstanceEntriesStayEnabled() {
        for (const char* entry : {"N14", "N5"}) {
            action(entry)->trigger();
            action(entry)->trigger();
            QCOMPARE(children().count(QLatin1String(entry)), 2);
            QVERIFY(action(entry)->isEnabled());
        }
        QVERIFY(children().closeAll());
        QCOMPARE(children().count(QStringLiteral("N14")), 0);
    }

    void toolButtonsOpenTheirEntrysWindow() {
        QTest::mouseClick(button("SpeedButton4"), Qt::LeftButton);
        QCOMPARE(children().count(QStringLiteral("N13")), 1);
        QVERIFY(!action("N13")->isEnabled());
    }

    void accountMenuFollowsTheRegisters() {
        QVERIFY(!menuShown());
        action("N9")->trigger();
        QVERIFY(menuShown());
        auto* first = dynamic_cast<TestRegister*>(children().latest(QStringLiteral("N9")));
        QVERIFY(children().latestRegister() == first);
        // A second register as the journal query opens it: the latest one gets the commands.
        auto* second = dynamic_cast<TestRegister*>(s->session.openRegister());
        QVERIFY(second && second != first);
        for (const char* entry : {"N20", "N25", "N26", "N28", "N29", "N31"})
            action(entry)->trigger();
        QCOMPARE(second->calls, (QStringList{"zwyj", "cz", "rejsye", "turnexcel", "yhdz", "zpdj"}));
        QVERIFY(first->calls.isEmpty());
        // Closing either register enables the register entries; the menu stays for the other.
        frameOf(second)->close();
        settle();
        QVERIFY(menuShown());
        QVERIFY(action("N9")->isEnabled());
        QVERIFY(button("SpeedButton1")->isEnabled());
        QCOMPARE(children().latestRegister(), static_cast<RegisterCommands*>(first));
        frameOf(first)->close();
        settle();
        QVERIFY(!menuShown());
    }

    void registerFromTheQueryHasTheMenu() {
        QWidget* reg = s->session.openRegister();
        QVERIFY(reg);
        QVERIFY(menuShown());
        QVERIFY(!action("N9")->isEnabled());
        QVERIFY(!button("SpeedButton1")->isEnabled());
        QVERIFY(frameOf(reg)->isMaximized());
    }

    void aFixedWindowKeepsItsSizeOverAMaximizedRegister() {
        children().plug(QStringLiteral("N11"), [](Session& session) {
            auto* w = new TestWindow(session);
            w->setFixedSize(330, 160);
            return w;
        });
        action("N9")->trigger();
        QWidget* reg = children().latest(QStringLiteral("N9"));
        action("N11")->trigger();
        QWidget* query = children().latest(QStringLiteral("N11"));
        settle();
        QVERIFY(!frameOf(query)->isMaximized());
        QCOMPARE(query->size(), QSize(330, 160));
        QCOMPARE(frameOf(query)->size(), frameOf(query)->sizeHint());
        QVERIFY(frameOf(reg)->isMaximized());
    }

    void closeChildWindowsKeepsTheGivenOne() {
        action("N10")->trigger();
        action("N14")->trigger();
        QWidget* keep = children().latest(QStringLiteral("N14"));
        action("N13")->trigger();
        s->session.closeChildWindows(keep);
        QCOMPARE(children().count(QStringLiteral("N10")), 0);
        QCOMPARE(children().count(QStringLiteral("N13")), 0);
        QCOMPARE(children().latest(QStringLiteral("N14")), keep);
        QVERIFY(action("N10")->isEnabled());
    }

    void anEntryWithoutAWindowOpensNothing() {
        s.reset();  // its message service goes first
        s = std::make_unique<MainOnLedger>();
        s->main->setWorkingMenusEnabled(true);
        action("N12")->trigger();
        QVERIFY(s->main->mdiArea()->subWindowList().isEmpty());
        QVERIFY(action("N12")->isEnabled());
        QVERIFY(!s->session.openRegister());
        QVERIFY(s->messages.texts.isEmpty());
    }
};

QTEST_MAIN(ChildWindowsTest)
#include "tst_childwindows.moc"
