// Typing in the register's grid: adding, deleting, and the running balance carried down the
// month after a line is posted.
#include <QApplication>
#include <QDateEdit>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "dj.h"
#include "journalgrid.h"
#include "monthmodel.h"
#include "registerfixture.h"

class RegisterEntry : public QObject {
    Q_OBJECT
private slots:
    void addNumbersAfterTheCarryForwardRow();
    void addIsRefusedInAClosedMonth();
    void addGoesIntoTheMonthOnShow();
    void deleteSparesMarkerRowsAndKeepsTheChain();
    void debitCarriesTheBalanceDown();
    void summaryOnlyEditKeepsBalances();
    void movingALineKeepsTheChain();
    void keyboardOnlyEntry();
};

static void june(RegisterFixture& f) {
    f.cashBook(300);
    f.carried(kCashBook, QStringLiteral("2024-06-01"), 500, 0, 0);
}

static void click(RegisterFixture& f, const char* name) {
    f.window->findChild<QToolButton*>(QLatin1String(name))->click();
}

static QVector<double> balances(RegisterFixture& f) {
    QVector<double> out;
    MonthModel* model = f.window->monthModel();
    for (int row = 0; row < model->rowCount(); ++row)
        out << double(model->centsAt(row, MonthModel::YJe)) / 100;
    return out;
}

void RegisterEntry::addNumbersAfterTheCarryForwardRow() {
    RegisterFixture f;
    june(f);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 6, 12));
    click(f, "SpeedButton1");
    MonthModel* model = f.window->monthModel();
    QCOMPARE(model->rowCount(), 2);
    int added = f.grid->currentRow();
    QCOMPARE(added, 1);
    QCOMPARE(f.shown(added, MonthModel::Pzh), QStringLiteral("1"));
    QCOMPARE(f.shown(added, MonthModel::Dzrq), QStringLiteral("2024-06-12"));
    QCOMPARE(f.shown(added, MonthModel::Jbr), QStringLiteral("张会计"));
    QCOMPARE(f.shown(added, MonthModel::YJe), QStringLiteral("500.00"));
    QCOMPARE(f.shown(added, MonthModel::Zbh), kCashBook);
    QVERIFY(f.grid->view()->hasFocus() || QApplication::focusWidget() == nullptr);
    // Numbering follows the month's highest voucher number, whatever the dates.
    f.line(kCashBook, QStringLiteral("2024-06-02"), 7, QStringLiteral("收款"), 0, 0, 500);
    click(f, "SpeedButton1");
    added = f.grid->currentRow();
    QCOMPARE(f.shown(added, MonthModel::Pzh), QStringLiteral("8"));
    QCOMPARE(model->rowCount(), 4);
    QVERIFY(f.messages.texts.isEmpty());
}

void RegisterEntry::addIsRefusedInAClosedMonth() {
    RegisterFixture f;
    june(f);
    f.line(kCashBook, QStringLiteral("2024-05-03"), 1, QStringLiteral("收款"), 200, 0, 500);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 12));
    // The buttons are off for a closed month; the command itself refuses all the same.
    f.window->SpeedButton1Click();
    f.window->SpeedButton2Click();
    QCOMPARE(f.messages.texts, QStringList({QStringLiteral("本月数据己结转,禁止添加！"),
                                            QStringLiteral("本月数据己结转,禁止删除！")}));
    QCOMPARE(f.window->monthModel()->rowCount(), 2);
}

void RegisterEntry::addGoesIntoTheMonthOnShow() {
    RegisterFixture f;
    june(f);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 6, 12));
    // Without a click: the selection goes to the sheet, the picker to posted May, the selection
    // back to the journal. The journal on show follows the picker.
    auto* tree = f.window->findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
    tree->setCurrentItem(f.node(QStringLiteral("甲公司/结存表")));
    f.window->findChild<QDateEdit*>(QStringLiteral("dtp"))->setDate(QDate(2024, 5, 20));
    tree->setCurrentItem(f.node(QStringLiteral("甲公司/现金日记帐")));
    QVERIFY(f.window->monthModel()->readOnly());
    QVERIFY(!f.window->findChild<QToolButton*>(QStringLiteral("SpeedButton1"))->isEnabled());
    f.window->SpeedButton1Click();
    QCOMPARE(f.messages.texts, QStringList({QStringLiteral("本月数据己结转,禁止添加！")}));
    QCOMPARE(f.ledger.dat.scalar(QStringLiteral("select count(*) from crereg")).toInt(), 2);
}

void RegisterEntry::deleteSparesMarkerRowsAndKeepsTheChain() {
    RegisterFixture f;
    june(f);
    f.line(kCashBook, QStringLiteral("2024-06-02"), 1, QStringLiteral("收款"), 100, 0, 600);
    f.line(kCashBook, QStringLiteral("2024-06-03"), 2, QStringLiteral("付款"), 0, 30, 570);
    f.line(kCashBook, QStringLiteral("2024-06-04"), 3, QStringLiteral("收款"), 10, 0, 580);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 6, 1));
    f.grid->setCurrent(0, MonthModel::Zy);
    click(f, "SpeedButton2");
    QCOMPARE(f.window->monthModel()->rowCount(), 4);
    QVERIFY(f.messages.texts.isEmpty());
    f.grid->setCurrent(1, MonthModel::Zy);
    // A "no" keeps the line; the question names it.
    f.messages.answer(qb::MsgAnswer::No);
    click(f, "SpeedButton2");
    QCOMPARE(f.window->monthModel()->rowCount(), 4);
    click(f, "SpeedButton2");
    QCOMPARE(f.window->monthModel()->rowCount(), 3);
    const QString question = QStringLiteral("删除 2024-06-02 凭证 1「收款」借 100.00？");
    QCOMPARE(f.messages.texts, QStringList({question, question}));
    // The later lines no longer count the deleted 100.00.
    QCOMPARE(balances(f), QVector<double>({500, 470, 480}));
    QCOMPARE(f.footer(0, MonthModel::YJe), QStringLiteral("480.00"));
    QCOMPARE(f.footer(0, MonthModel::JJe), QStringLiteral("10.00"));
}

void RegisterEntry::debitCarriesTheBalanceDown() {
    RegisterFixture f;
    june(f);
    const qint64 first =
        f.line(kCashBook, QStringLiteral("2024-06-02"), 1, QStringLiteral("收款"), 0, 0, 500);
    const qint64 second =
        f.line(kCashBook, QStringLiteral("2024-06-03"), 2, QStringLiteral("付款"), 0, 50, 450);
    const qint64 third =
        f.line(kCashBook, QStringLiteral("2024-06-04"), 3, QStringLiteral("收款"), 20.5, 0, 470.5);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 6, 1));
    f.type(1, MonthModel::JJe, QStringLiteral("100"));
    QCOMPARE(f.stored(first, "y_je"), 600.0);
    QCOMPARE(f.stored(second, "y_je"), 550.0);
    QCOMPARE(f.stored(third, "y_je"), 570.5);
    QCOMPARE(balances(f), QVector<double>({500, 600, 550, 570.5}));
    QCOMPARE(f.footer(0, MonthModel::JJe), QStringLiteral("120.50"));
    QCOMPARE(f.footer(1, MonthModel::JJe), QStringLiteral("120.50"));
    QCOMPARE(f.footer(0, MonthModel::YJe), QStringLiteral("570.50"));
    // Tab moved on to the credit cell of the same line.
    QCOMPARE(f.grid->currentRow(), 1);
    QCOMPARE(f.grid->currentColumn(), int(MonthModel::DJe));
    // A credit typed later, posted with the Return key, is carried the same way.
    f.type(2, MonthModel::DJe, QStringLiteral("1,000.25"), Qt::Key_Return);
    QCOMPARE(f.stored(second, "y_je"), -400.25);
    QCOMPARE(f.stored(third, "y_je"), -379.75);
    QCOMPARE(f.footer(1, MonthModel::DJe), QStringLiteral("1,000.25"));
}

void RegisterEntry::summaryOnlyEditKeepsBalances() {
    RegisterFixture f;
    june(f);
    const qint64 line =
        f.line(kCashBook, QStringLiteral("2024-06-02"), 1, QStringLiteral("收款"), 100, 0, 600);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 6, 1));
    f.type(1, MonthModel::Zy, QStringLiteral("收回备用金"));
    f.type(1, MonthModel::Ph, QStringLiteral("No.0012"));
    QCOMPARE(f.storedText(line, "zy"), QStringLiteral("收回备用金"));
    QCOMPARE(f.shown(1, MonthModel::Ph), QStringLiteral("No.0012"));
    QCOMPARE(f.stored(line, "y_je"), 600.0);
    QCOMPARE(f.footer(0, MonthModel::YJe), QStringLiteral("600.00"));
    QCOMPARE(f.footer(0, MonthModel::JJe), QStringLiteral("100.00"));
    QVERIFY(f.messages.texts.isEmpty());
}

void RegisterEntry::movingALineKeepsTheChain() {
    RegisterFixture f;
    june(f);
    const qint64 early =
        f.line(kCashBook, QStringLiteral("2024-06-02"), 1, QStringLiteral("收款"), 100, 0, 600);
    const qint64 late =
        f.line(kCashBook, QStringLiteral("2024-06-20"), 2, QStringLiteral("付款"), 0, 40, 560);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 6, 1));
    // The receipt moves after the payment: both balances follow the new order.
    QVERIFY(f.window->monthModel()->setData(f.window->monthModel()->index(1, MonthModel::Dzrq),
                                            QDate(2024, 6, 25)));
    QCOMPARE(f.stored(late, "y_je"), 460.0);
    QCOMPARE(f.stored(early, "y_je"), 560.0);
    QCOMPARE(balances(f), QVector<double>({500, 460, 560}));
}

// Keys go where a cashier's keyboard would send them: to the widget with the focus.
static void keys(const QString& text) {
    for (QChar c : text)
        typeText(QApplication::focusWidget(), QString(c));
}
static void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), k, m);
    QCoreApplication::processEvents();
}

void RegisterEntry::keyboardOnlyEntry() {
    RegisterFixture f;
    june(f);
    f.ledger.dat.execute(QStringLiteral("insert into basicset(OftenSummary) values('报销差旅费')"));
    f.window->show();  // the phrases are read when the window is shown
    QApplication::setActiveWindow(f.window.get());
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 6, 12));
    f.grid->view()->setFocus();
    key(Qt::Key_A, Qt::AltModifier);  // the button's mnemonic clicks it a moment later
    MonthModel* model = f.window->monthModel();
    QTRY_COMPARE(model->rowCount(), 2);
    QCOMPARE(f.grid->currentRow(), 1);
    QCOMPARE(f.grid->currentColumn(), int(MonthModel::Dzrq));
    keys(QStringLiteral("20"));  // the day: a line keeps to its month
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);  // voucher number kept
    keys(QStringLiteral("A-77"));
    key(Qt::Key_Tab);
    keys(QStringLiteral("报销"));
    key(Qt::Key_Down, Qt::AltModifier);  // the phrase list
    key(Qt::Key_Return);
    key(Qt::Key_Tab);
    keys(QStringLiteral("0"));  // no receipt: the debit stays 0
    key(Qt::Key_Tab);
    keys(QStringLiteral("88.5"));
    key(Qt::Key_Tab);
    QCOMPARE(f.shown(1, MonthModel::Dzrq), QStringLiteral("2024-06-20"));
    QCOMPARE(f.shown(1, MonthModel::Ph), QStringLiteral("A-77"));
    QCOMPARE(f.shown(1, MonthModel::Zy), QStringLiteral("报销差旅费"));
    QCOMPARE(f.shown(1, MonthModel::DJe), QStringLiteral("88.50"));
    QCOMPARE(f.shown(1, MonthModel::YJe), QStringLiteral("411.50"));
    // The next line, again from the keyboard.
    key(Qt::Key_A, Qt::AltModifier);
    QTRY_COMPARE(model->rowCount(), 3);
    QCOMPARE(f.shown(f.grid->currentRow(), MonthModel::Pzh), QStringLiteral("2"));
    QVERIFY(f.messages.texts.isEmpty());
}

QTEST_MAIN(RegisterEntry)
#include "tst_register_entry.moc"
