#include <QTextBrowser>
#include <QTreeWidget>
#include <QtTest>
#include <stdexcept>

#include "chm.h"
#include "chm_engine.h"
#include "chmfile.h"
#include "helpwindow.h"

// The help launcher: the engine is loaded and initialised once, its failures give the engine
// messages every time and never a call through a missing entry point, and the help file the
// build makes holds every page the windows ask for.
class HelpTest : public QObject {
    Q_OBJECT

    static QString failure(const QString& file) {
        try {
            show_help(nullptr, file);
        } catch (const std::runtime_error& e) {
            return QString::fromUtf8(e.what());
        }
        return QString();
    }
    static HelpWindow* window() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* h = qobject_cast<HelpWindow*>(w)) return h;
        return nullptr;
    }

private slots:
    void closingUnusedHelpTouchesNothing() {
        close_help();
        QVERIFY(!help_engine_loaded());
        QCOMPARE(help_initialisations(), 0);
    }

    void missingEngineFailsOnEveryRequest() {
        set_help_library(QStringLiteral("quillbook-no-such-engine"));
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(failure(QStringLiteral(QBK_CHM)),
                     QStringLiteral("H系统没有安装HCtrl.OCX!\r HTMLHELP不能显示!"));
            QVERIFY(!help_engine_loaded());
        }
        QCOMPARE(help_initialisations(), 0);
    }

    void engineWithoutEntryPointFailsOnEveryRequest() {
        set_help_library(QStringLiteral("m"), 6);  // a library that surely is there
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(failure(QStringLiteral(QBK_CHM)), QStringLiteral("函数HTMLHELP没有装载!"));
            QVERIFY(!help_engine_loaded());
        }
        QCOMPARE(help_initialisations(), 0);
        QVERIFY(!window());
    }

    void engineIsInitialisedOnceForManyRequests() {
        set_help_library(QStringLiteral("chm"), 1);
        QCOMPARE(show_help(nullptr, QStringLiteral(QBK_CHM)), 1);
        QVERIFY(help_engine_loaded());
        HelpWindow* shown = window();
        QVERIFY(shown && shown->isVisible());
        QCOMPARE(shown->currentPage(), QStringLiteral("index.htm"));
        show_help(nullptr, QStringLiteral(QBK_CHM "::/系统登录.htm"));
        QCOMPARE(shown->currentPage(), QStringLiteral("系统登录.htm"));
        QVERIFY(shown->findChild<QTextBrowser*>()->toPlainText().contains("用户名错误"));
        QCOMPARE(help_initialisations(), 1);
        QCOMPARE(window(), shown);
    }

    void missingFileOrPageIsExplainedAndHelpGoesOn() {
        const QString noFile = failure(QStringLiteral("/nowhere/qbk.chm::/查找.htm"));
        QVERIFY2(noFile.contains("/nowhere/qbk.chm") && noFile.contains("找不到"),
                 qPrintable(noFile));
        const QString noPage = failure(QStringLiteral(QBK_CHM "::/没有这页.htm"));
        QVERIFY2(noPage.contains("没有这页.htm"), qPrintable(noPage));
        QCOMPARE(help_initialisations(), 1);
        QCOMPARE(show_help(nullptr, QStringLiteral(QBK_CHM "::/查找.htm")), 1);
    }

    void closeReleasesTheEngineAndTheNextRequestStartsAgain() {
        close_help();
        QVERIFY(!help_engine_loaded());
        QVERIFY(!window());
        show_help(nullptr, QStringLiteral(QBK_CHM));
        QCOMPARE(help_initialisations(), 2);
        close_help();
    }

    void helpFileHoldsEveryPageWithContents() {
        set_help_library(QStringLiteral("chm"), 1);
        show_help(nullptr, QStringLiteral(QBK_CHM));
        HelpWindow* help = window();
        QStringList titles;
        auto* tree = help->findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            titles << (*it)->text(0);
        QCOMPARE(titles.size(), 14);
        for (const char* page :
             {"系统登录.htm", "账簿登记.htm", "账簿管理.htm", "账簿信息.htm", "查找.htm",
              "银行对账.htm", "摘要设置.htm", "用户管理.htm", "数据管理.htm", "资金日报表.htm",
              "现金盘点.htm", "支票登记簿.htm", "操作日志.htm"}) {
            show_help(nullptr, QStringLiteral(QBK_CHM "::/") + QString::fromUtf8(page));
            const QString text = help->findChild<QTextBrowser*>()->toPlainText();
            QVERIFY2(text.size() > 200, page);
            QVERIFY2(text.contains("帮助"), page);  // every page explains its help button
        }
        close_help();
    }
};

QTEST_MAIN(HelpTest)
#include "tst_help.moc"
