// The journal query "查找" in the main window: the search opens a further register on the
// book's month, and that register keeps its rules.
#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "answering_messages.h"
#include "dj.h"
#include "find.h"
#include "gymk.h"
#include "journalgrid.h"
#include "ledger.h"
#include "main.h"
#include "monthmodel.h"
#include "session.h"
#include "templedger.h"
#include "zbinfo.h"

namespace {

const QString kName = QStringLiteral("甲公司");
const QString kCash = QStringLiteral("现金日记帐");
const QDate kMay(2024, 5, 17);

// The main window with the register and the query plugged in, its own settings file.
struct QueryOnLedger {
    explicit QueryOnLedger(int role = Session::Administrator) {
        qb::zbinfo::setDirectory(settings.path());
        qb::zbinfo::save({QStringLiteral("乙公司"), kName, QStringLiteral("O'Hara's 公司")},
                         {kCash});
        session.role_code = role;
        main->childWindows().plug(QStringLiteral("N9"), make_child<Tfr_dj>());
        main->childWindows().plug(QStringLiteral("N11"), make_child<Tfr_find>());
        main->show();
        main->setWorkingMenusEnabled(true);
    }
    ~QueryOnLedger() {
        main.reset();
        qb::zbinfo::setDirectory(QString());
    }
    // A book from May 2024, made with SQL as older files hold them, then enabled.
    void book(const char* id, const QString& name, double opening = 500) {
        ledger.dat.execute(QStringLiteral("insert into accstar(zbid,zblb,zbmc,qcye,flag,qyrq) "
                                          "values(?,?,?,?,'0','2024-05-01')"),
                           {QLatin1String(id), kCash, name, opening});
        enable(id, true, opening);
    }
    void enable(const char* id, bool on, double opening = 500) {
        qb::ledger::save_book_ticks(ledger.dat, {{QLatin1String(id), on, QDate(2024, 5, 1),
                                                  qb::money::Cents(opening * 100)}});
    }
    bool enabled(const char* entry) { return main->findChild<QAction*>(entry)->isEnabled(); }
    int count(const char* entry) { return main->childWindows().count(QLatin1String(entry)); }

    // Picks in a new query window and presses "查找"; the register it opened, if any.
    Tfr_dj* search(const QString& name, const QDate& date) {
        main->findChild<QAction*>(QStringLiteral("N11"))->trigger();
        QWidget* query = main->childWindows().latest(QStringLiteral("N11"));
        auto* names = query->findChild<QComboBox*>(QStringLiteral("ComboBox1"));
        names->setCurrentIndex(names->findText(name));
        query->findChild<QComboBox*>(QStringLiteral("ComboBox2"))->setCurrentIndex(0);
        query->findChild<QDateEdit*>(QStringLiteral("dtp"))->setDate(date);
        const int before = count("N9");
        QTest::mouseClick(query->findChild<QPushButton*>(QStringLiteral("SpeedButton1")),
                          Qt::LeftButton);
        QCoreApplication::processEvents();  // the query's frame closes through the queue
        return count("N9") > before
                   ? qobject_cast<Tfr_dj*>(main->childWindows().latest(QStringLiteral("N9")))
                   : nullptr;
    }

    AnsweringMessages messages;
    TempLedger ledger;
    QTemporaryDir settings;
    Session session{ledger.dat};
    std::unique_ptr<TForm1> main = std::make_unique<TForm1>(session);
};

QString caption(Tfr_dj* reg) {
    return reg->findChild<QLabel*>(QStringLiteral("Label3"))->text();
}

}  // namespace

class FindTest : public QObject {
    Q_OBJECT
private slots:
    void searchOpensTheMonthInAFurtherRegister() {
        QueryOnLedger s;
        s.book("2024051", kName);
        s.ledger.line(QStringLiteral("2024051"), QStringLiteral("2024-05-20"), 2, "付款", 0, 30,
                      470);
        s.ledger.line(QStringLiteral("2024051"), QStringLiteral("2024-05-03"), 1, "收款", 100, 0,
                      600);
        Tfr_dj* may = s.search(kName, kMay);
        QVERIFY(may);
        QCOMPARE(s.count("N11"), 0);
        QVERIFY(s.enabled("N11") && !s.enabled("N9"));
        QCOMPARE(s.main->mdiArea()->activeSubWindow()->widget(), may);
        // Any day picks its month, in journal order with its footers and its date.
        QCOMPARE(caption(may), QStringLiteral("甲公司-现金日记帐"));
        QCOMPARE(may->monthModel()->index(1, MonthModel::Dzrq).data().toString(),
                 QStringLiteral("2024-05-03"));
        QCOMPARE(may->grid()->footer(0, MonthModel::YJe), QStringLiteral("470.00"));
        QCOMPARE(may->findChild<QDateEdit*>(QStringLiteral("dtp"))->date(), kMay);
        // A month without lines, in a second register; the first keeps its own.
        Tfr_dj* june = s.search(kName, QDate(2024, 6, 2));
        QVERIFY(june && june != may);
        QCOMPARE(june->monthModel()->rowCount(), 0);
        QCOMPARE(caption(june), caption(may));
        QCOMPARE(may->monthModel()->rowCount(), 3);
        QVERIFY(s.messages.texts.isEmpty());
    }

    // A ledger made elsewhere (a sample, another desk): its books are offered though the
    // lists in zbinfo.ini lack them.
    void booksTheListsLackAreOfferedToo() {
        QueryOnLedger s;
        s.book("2024052", QStringLiteral("丙公司"));
        QVERIFY(s.search(QStringLiteral("丙公司"), kMay));
    }

    void queryStandsInAFixedDialogFrame() {
        QueryOnLedger s;
        s.main->findChild<QAction*>(QStringLiteral("N11"))->trigger();
        auto* frame = qobject_cast<QMdiSubWindow*>(
            s.main->childWindows().latest(QStringLiteral("N11"))->parentWidget());
        QVERIFY(!(frame->windowFlags() & Qt::WindowMinMaxButtonsHint));
        QStringList offered;
        for (QAction* a : frame->systemMenu()->actions())
            if (a->isVisible() && a->isEnabled()) offered << a->text();
        QCOMPARE(offered, (QStringList{"&Move", "Stay on &Top", "", "&Close"}));
    }

    void searchInVainSaysSoAndOpensNothing() {
        QueryOnLedger s;
        QVERIFY(!s.search(QString(), kMay));
        QCOMPARE(s.messages.texts.last(), QStringLiteral("请选择账簿名称和账簿类别！"));
        QVERIFY(!s.search(kName, kMay));  // listed, but no such book
        QCOMPARE(s.messages.texts.last(), QStringLiteral("找不到账簿“甲公司-现金日记帐”！"));
        QCOMPARE(s.count("N11"), 1);  // stays open for another try
    }

    void firstOfTwoBooksSharingAQuotedNameCounts() {
        QueryOnLedger s;
        const QString name = QStringLiteral("O'Hara's 公司");
        s.book("2024051", name, 100);
        s.book("2024052", name, 200);
        Tfr_dj* reg = s.search(name, kMay);
        QVERIFY(reg);
        QCOMPARE(caption(reg), QStringLiteral("O'Hara's 公司-现金日记帐"));
        QCOMPARE(reg->monthModel()->index(0, MonthModel::YJe).data().toString(),
                 QStringLiteral("100.00"));
    }

    void registerOfASearchKeepsItsRules_data() {
        QTest::addColumn<int>("role");
        QTest::addColumn<bool>("posted");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("open month") << int(Session::Administrator) << false << true;
        QTest::newRow("closed month") << int(Session::Administrator) << true << true;
        QTest::newRow("ordinary user") << int(Session::OrdinaryUser) << false << true;
        QTest::newRow("book not enabled") << int(Session::Administrator) << false << false;
    }
    void registerOfASearchKeepsItsRules() {
        QFETCH(int, role);
        QFETCH(bool, posted);
        QFETCH(bool, enabled);
        QueryOnLedger s(role);
        s.book("2024051", kName);
        if (posted) qb::ledger::post_month(s.ledger.dat, QStringLiteral("2024051"), kMay);
        if (!enabled) s.enable("2024051", false);
        Tfr_dj* reg = s.search(kName, kMay);
        QVERIFY(reg);
        const bool writable = !posted && enabled && role != Session::OrdinaryUser;
        QCOMPARE(reg->monthModel()->readOnly(), !writable);
        QCOMPARE(s.enabled("N25"), posted);
        QCOMPARE(s.enabled("N20"), enabled);
        // A line added there lands in the month on show, not in today's.
        QTest::mouseClick(reg->findChild<QToolButton*>(QStringLiteral("SpeedButton1")),
                          Qt::LeftButton);
        const QString inMay =
            QStringLiteral("select count(*) from crereg where dzrq like '2024-05%'");
        QCOMPARE(s.ledger.dat.scalar(inMay).toInt(), writable ? 2 : 1);
    }

    // The cashier goes back from the register a search opened to the one of the menu: the
    // entries of "账务处理" are those of the register in front, and act on its book.
    void accountingEntriesFollowTheRegisterInFront() {
        QueryOnLedger s;
        const QString other = QStringLiteral("乙公司");
        s.book("2024051", kName);
        s.book("2024052", other);
        qb::ledger::post_month(s.ledger.dat, QStringLiteral("2024052"), kMay);
        s.main->findChild<QAction*>(QStringLiteral("N9"))->trigger();
        auto* mine = qobject_cast<Tfr_dj*>(s.main->childWindows().latest(QStringLiteral("N9")));
        mine->showBookMonth(other, kCash, kMay);
        QVERIFY(s.enabled("N25"));  // a closed month takes a reversal
        QVERIFY(s.search(kName, kMay));
        QVERIFY(!s.enabled("N25"));
        s.main->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(mine->parentWidget()));
        QVERIFY(s.enabled("N25"));
        // Still so while another window is in front.
        s.main->findChild<QAction*>(QStringLiteral("N11"))->trigger();
        s.main->findChild<QAction*>(QStringLiteral("N20"))->trigger();
        QVERIFY(s.messages.texts.contains(QStringLiteral("本月数据已结转，你要重新过账吗？？")));
        QVERIFY(!gymk::month_closed(s.ledger.dat, QString(), QStringLiteral("2024051"),
                                    gymk::SilentMode, kMay));
    }
};

QTEST_MAIN(FindTest)
#include "tst_find.moc"
