// The register's entry panel and the reversal with the correcting entry it offers there, driven
// through the real widgets.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "cashlimit.h"
#include "dj.h"
#include "journalgrid.h"
#include "ledger.h"
#include "monthmodel.h"
#include "registerfixture.h"

class RegisterPanel : public QObject {
    Q_OBJECT
private slots:
    void balanceFollowsTheAmountsAndTheEntryIsSaved();
    void badFieldsAreRefusedBeforeAnythingIsWritten();
    void aLowVoucherNumberCarriesTheLaterLines();
    void theBalanceShownIsTheOneStored();
    void panelFollowsRoleAndMonth();
    void twentyLinesFromTheKeyboard();
    void reversalOffersTheCorrectingEntry();
    void reversalRefusals();
};

static QLineEdit* field(RegisterFixture& f, const char* name) {
    return f.window->findChild<QLineEdit*>(QLatin1String(name));
}
static QString text(RegisterFixture& f, const char* name) {
    return field(f, name)->text();
}
static QComboBox* summaryBox(RegisterFixture& f) {
    return f.window->findChild<QComboBox*>(QStringLiteral("CBox1"));
}
static QCheckBox* panelSwitch(RegisterFixture& f) {
    return f.window->findChild<QCheckBox*>(QStringLiteral("CheckBox1"));
}
static bool panelShown(RegisterFixture& f) {
    return !f.window->findChild<QWidget*>(QStringLiteral("Panel2"))->isHidden();
}
static void fill(RegisterFixture& f, const char* name, const QString& text) {
    QLineEdit* edit = field(f, name);
    edit->selectAll();
    typeText(edit, text);
}
static void save(RegisterFixture& f) {
    QTest::keyClick(field(f, "Edit7"), Qt::Key_Return);
}
static int lines(RegisterFixture& f) {
    return f.ledger.dat.scalar(QStringLiteral("select count(*) from crereg")).toInt();
}
static qint64 lastLine(RegisterFixture& f) {
    return f.ledger.dat.scalar(QStringLiteral("select max(rowid) from crereg")).toLongLong();
}

// Keys go where a cashier's keyboard sends them: to the widget with the focus.
static void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), k, m);
    QCoreApplication::processEvents();
}
static void keys(const QString& text) {
    for (QChar c : text) {
        typeText(QApplication::focusWidget(), QString(c));
        QCoreApplication::processEvents();
    }
}
static void activate(RegisterFixture& f) {
    f.window->show();
    QApplication::setActiveWindow(f.window.get());
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
}

void RegisterPanel::balanceFollowsTheAmountsAndTheEntryIsSaved() {
    RegisterFixture f;
    f.cashBook(100);
    qb::cashlimit::set_limit(f.ledger.dat, kCashBook, 11000);  // said once the day goes above it
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 20));
    panelSwitch(f)->click();
    QVERIFY(panelShown(f) && f.window->monthModel()->readOnly());
    QCOMPARE(text(f, "Edit0") + ' ' + text(f, "Edit1"), QStringLiteral("100.00 1"));
    fill(f, "Edit5", QStringLiteral("20"));
    QCOMPARE(text(f, "Edit7"), QStringLiteral("120.00"));
    fill(f, "Edit6", QStringLiteral("5"));
    QCOMPARE(text(f, "Edit7"), QStringLiteral("115.00"));
    summaryBox(f)->setEditText(QStringLiteral("收回备用金"));
    save(f);
    const qint64 first = lastLine(f);
    QCOMPARE(f.storedText(first, "dzrq"), QStringLiteral("2024-05-20"));
    QCOMPARE(f.stored(first, "y_je"), 115.0);
    QCOMPARE(f.footer(0, MonthModel::YJe), QStringLiteral("115.00"));
    // The next entry is prepared: its number, the balance it starts from, empty fields.
    QCOMPARE(text(f, "Edit1") + ' ' + text(f, "Edit0") + ' ' + text(f, "Edit7"),
             QStringLiteral("2 115.00 115.00"));
    QVERIFY(text(f, "Edit5").isEmpty() && summaryBox(f)->currentText().isEmpty());
    // Amounts left empty are stored as 0; "保存" saves as Enter does.
    summaryBox(f)->setEditText(QStringLiteral("备注"));
    QTest::mouseClick(f.window->findChild<QWidget*>(QStringLiteral("sb2")), Qt::LeftButton);
    QCOMPARE(f.stored(lastLine(f), "j_je") + f.stored(lastLine(f), "d_je"), 0.0);
    QCOMPARE(f.window->monthModel()->rowCount(), 3);
    // An amount left shows its thousands separators, as the balance does.
    fill(f, "Edit5", QStringLiteral("12345.6"));
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(field(f, "Edit5"), &leave);
    QCOMPARE(text(f, "Edit5") + ' ' + text(f, "Edit7"), QStringLiteral("12,345.60 12,460.60"));
    QCOMPARE(f.messages.texts,
             QStringList{QStringLiteral("2024-05-20 现金日记帐“甲公司”日终余额 115.00 元，超过库存"
                                        "现金限额 110.00 元。")});
}

void RegisterPanel::badFieldsAreRefusedBeforeAnythingIsWritten() {
    RegisterFixture f;
    f.cashBook(100);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 20));
    panelSwitch(f)->click();
    save(f);                                // nothing typed
    fill(f, "Edit5", QStringLiteral("-"));  // a number being typed is no error yet
    QCOMPARE(f.messages.texts.size(), 1);
    fill(f, "Edit5", QStringLiteral("2x"));
    QCOMPARE(f.messages.texts.last(), QStringLiteral("无效的数字"));
    QCOMPARE(field(f, "Edit7")->text(), QStringLiteral("102.00"));
    const int before = lines(f);
    summaryBox(f)->setEditText(QStringLiteral("报销差旅费"));  // a refused line learns nothing
    save(f);
    fill(f, "Edit5", QStringLiteral("1.234"));
    save(f);
    fill(f, "Edit5", QStringLiteral("1"));
    fill(f, "Edit1", QStringLiteral("七"));
    save(f);
    field(f, "Edit1")->clear();
    save(f);
    fill(f, "Edit1", QStringLiteral("3"));
    summaryBox(f)->setEditText(QStringLiteral("期初余额"));
    save(f);
    const QString unreadable = QStringLiteral("无效的数字");
    const QString badAmount = QStringLiteral("无效的金额，请输入最多两位小数的数字！");
    QCOMPARE(f.messages.texts,
             QStringList({QStringLiteral("请输入摘要或金额！"), unreadable, badAmount, unreadable,
                          badAmount, QStringLiteral("凭证号必须是 0 到 32767 之间的整数！"),
                          QStringLiteral("请输入凭证号！"), f.messages.texts.last()}));
    QVERIFY(f.messages.texts.last().contains(QStringLiteral("系统保留")));
    QCOMPARE(lines(f), before);
    QCOMPARE(f.ledger.dat.scalar(QStringLiteral("select count(*) from basicset")).toInt(), 0);
    // "添加" starts afresh: what was left unreadable is not computed with and refused again.
    fill(f, "Edit5", QStringLiteral("x"));
    const qsizetype told = f.messages.texts.size();
    QTest::mouseClick(f.window->findChild<QWidget*>(QStringLiteral("SB1")), Qt::LeftButton);
    QCOMPARE(f.messages.texts.size(), told);
    QCOMPARE(text(f, "Edit7"), QStringLiteral("100.00"));
}

void RegisterPanel::aLowVoucherNumberCarriesTheLaterLines() {
    RegisterFixture f;
    f.cashBook(300);
    f.carried(kCashBook, QStringLiteral("2024-06-01"), 500, 0, 0);
    const qint64 two =
        f.line(kCashBook, QStringLiteral("2024-06-12"), 2, QStringLiteral("付款"), 0, 50, 450);
    const qint64 three =
        f.line(kCashBook, QStringLiteral("2024-06-12"), 3, QStringLiteral("收款"), 30, 0, 480);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 6, 12));
    panelSwitch(f)->click();
    QCOMPARE(text(f, "Edit0"), QStringLiteral("480.00"));
    // Voucher 1 goes before the day's other lines: the balance shown starts there.
    fill(f, "Edit1", QStringLiteral("1"));
    fill(f, "Edit5", QStringLiteral("100"));
    QCOMPARE(text(f, "Edit0") + ' ' + text(f, "Edit7"), QStringLiteral("500.00 600.00"));
    save(f);
    QCOMPARE(f.stored(lastLine(f), "y_je"), 600.0);
    QCOMPARE(f.stored(two, "y_je"), 550.0);
    QCOMPARE(f.stored(three, "y_je"), 580.0);
}

// The summary places a line within its day and voucher too: the panel reads the balance before it
// by the chain's own order, for an ordinary entry and for a reversal's correcting entry.
void RegisterPanel::theBalanceShownIsTheOneStored() {
    RegisterFixture f;
    f.cashBook(500);
    f.line(kCashBook, QStringLiteral("2024-05-05"), 1, QStringLiteral("付款"), 0, 100, 400);
    activate(f);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 5));
    panelSwitch(f)->click();
    fill(f, "Edit1", QStringLiteral("1"));
    for (int i = 0; i < 4; ++i)
        key(Qt::Key_Return);  // through ticket, count and claimant into the summary
    keys(QStringLiteral("上缴"));
    key(Qt::Key_Return);
    keys(QStringLiteral("10"));
    QCOMPARE(text(f, "Edit0") + ' ' + text(f, "Edit7"), QStringLiteral("500.00 510.00"));
    save(f);
    QCOMPARE(f.stored(lastLine(f), "y_je"), 510.0);

    qb::ledger::post_month(f.ledger.dat, kCashBook, QDate(2024, 5, 1));
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 5));
    QCOMPARE(f.shown(2, MonthModel::Zy), QStringLiteral("付款"));
    f.grid->setCurrent(2, MonthModel::Zy);
    f.window->cz();
    QCOMPARE(text(f, "Edit0"), QStringLiteral("500.00"));
    fill(f, "Edit6", QStringLiteral("80"));
    QCOMPARE(text(f, "Edit7"), QStringLiteral("420.00"));
    save(f);
    QCOMPARE(f.storedText(lastLine(f), "zy"), QStringLiteral("新[付款]"));
    QCOMPARE(f.stored(lastLine(f), "y_je"), 420.0);
}

void RegisterPanel::panelFollowsRoleAndMonth() {
    {
        RegisterFixture ordinary(Session::OrdinaryUser);
        ordinary.cashBook(100);
        ordinary.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 20));
        panelSwitch(ordinary)->click();
        QCOMPARE(
            ordinary.messages.texts,
            QStringList{QStringLiteral("对不起，你没有修改权限！请以管理员或操作员身份登录.")});
        QVERIFY(!panelSwitch(ordinary)->isChecked() && !panelShown(ordinary));
    }
    RegisterFixture f;
    f.cashBook(100);
    f.carried(kCashBook, QStringLiteral("2024-06-01"), 100, 0, 0);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 6, 20));
    panelSwitch(f)->click();
    QVERIFY(f.window->monthModel()->readOnly());
    // A posted month takes no panel entry: the panel goes, and so does its switch.
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 20));
    QVERIFY(!panelShown(f) && !panelSwitch(f)->isChecked() && !panelSwitch(f)->isEnabled());
    QVERIFY(f.window->monthModel()->readOnly());
    // Leaving the panel gives the grid back its editing.
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 6, 20));
    panelSwitch(f)->click();
    panelSwitch(f)->click();
    QVERIFY(!panelShown(f) && !f.window->monthModel()->readOnly());
    QVERIFY(f.messages.texts.isEmpty());
}

void RegisterPanel::twentyLinesFromTheKeyboard() {
    RegisterFixture f;
    f.cashBook(300);
    f.carried(kCashBook, QStringLiteral("2024-06-01"), 1000, 0, 0);
    f.ledger.dat.execute(QStringLiteral("insert into basicset(OftenSummary) values('报销差旅费')"));
    activate(f);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 6, 12));
    panelSwitch(f)->click();
    QCOMPARE(QApplication::focusWidget(), field(f, "Edit1"));
    for (int i = 1; i <= 20; ++i) {
        key(Qt::Key_Return);  // the voucher number offered
        keys(QStringLiteral("T%1").arg(i));
        key(Qt::Key_Return);
        keys(QStringLiteral("1"));
        key(Qt::Key_Return);
        keys(QStringLiteral("王五"));
        key(Qt::Key_Return);  // the summary box drops its phrases down
        if (i % 2) {
            keys(QStringLiteral("收款"));  // typed: the list makes way
        } else {
            key(Qt::Key_Down);  // picked from the list
            key(Qt::Key_Return);
        }
        key(Qt::Key_Return);
        keys(QStringLiteral("%1").arg(i));
        key(Qt::Key_Return);
        key(Qt::Key_Return);  // no credit
        QCOMPARE(text(f, "Edit6"), QStringLiteral("0.00"));
        key(Qt::Key_Return);  // saved from the balance field
    }
    QCOMPARE(f.window->monthModel()->rowCount(), 21);
    QStringList last;
    for (int column :
         {MonthModel::Pzh, MonthModel::Ph, MonthModel::Zy, MonthModel::Bxr, MonthModel::YJe})
        last << f.shown(20, column);
    // 1000 + 1 + ... + 20
    QCOMPARE(last, QStringList({"20", "T20", "报销差旅费", "王五", "1,210.00"}));
    QCOMPARE(f.shown(19, MonthModel::Zy), QStringLiteral("收款"));
    QCOMPARE(QApplication::focusWidget(), field(f, "Edit1"));
    QCOMPARE(f.ledger.dat.scalar(QStringLiteral("select count(*) from basicset")).toInt(), 2);
    QVERIFY(f.messages.texts.isEmpty());
}

// May is posted; its line of 100.00 on the 10th, voucher 7, is the wrong one.
static qint64 postedMay(RegisterFixture& f) {
    f.cashBook(500);
    const qint64 wrong =
        f.line(kCashBook, QStringLiteral("2024-05-10"), 7, QStringLiteral("收货款"), 100, 0, 600);
    f.line(kCashBook, QStringLiteral("2024-05-11"), 8, QStringLiteral("付电费"), 0, 80, 520);
    f.carried(kCashBook, QStringLiteral("2024-06-01"), 520, 100, 80);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 20));
    f.grid->setCurrent(1, MonthModel::Zy);
    return wrong;
}

void RegisterPanel::reversalOffersTheCorrectingEntry() {
    RegisterFixture f;
    const qint64 wrong = postedMay(f);
    const auto totals = [&] {
        return rowsText(f.ledger.dat, QStringLiteral("select j_je,y_je from total order by rowid"));
    };
    const QString before = totals();
    f.window->cz();
    QCOMPARE(f.messages.texts.mid(0, 2),
             QStringList({QStringLiteral("请确认是否要冲账？"),
                          QStringLiteral("冲账已完成，是否需要添加一条记的记录？")}));
    QCOMPARE(f.storedText(wrong, "zy"), QStringLiteral("被冲账 [收货款]"));
    const qint64 reversal = lastLine(f);
    QCOMPARE(f.storedText(reversal, "zy"), QStringLiteral("冲账[2024-05-10 收货款]"));
    QCOMPARE(f.stored(reversal, "j_je") + f.stored(reversal, "y_je"), -100.0 + 500.0);
    // The correcting entry waits in the panel, its voucher number and summary locked.
    QVERIFY(panelShown(f) && !panelSwitch(f)->isChecked());
    QCOMPARE(text(f, "Edit0") + ' ' + text(f, "Edit1"), QStringLiteral("500.00 7"));
    QCOMPARE(summaryBox(f)->currentText(), QStringLiteral("新[收货款]"));
    QVERIFY(!field(f, "Edit1")->isEnabled() && !summaryBox(f)->isEnabled());
    fill(f, "Edit5", QStringLiteral("90"));
    save(f);
    const qint64 correcting = lastLine(f);
    QCOMPARE(f.storedText(correcting, "dzrq") + ' ' + f.storedText(correcting, "pzh") + ' ' +
                 f.storedText(correcting, "zy"),
             QStringLiteral("2024-05-10 7 新[收货款]"));
    QCOMPARE(f.stored(correcting, "y_je"), 590.0);
    // The closed month takes nothing more; the panel is ready for later entries again, and the
    // month waits to be posted again.
    QVERIFY(!panelShown(f) && field(f, "Edit1")->isEnabled() && summaryBox(f)->isEnabled());
    QCOMPARE(f.messages.texts.size(), 3);
    QVERIFY(f.messages.texts.last().contains(QStringLiteral("重新过帐")));
    QCOMPARE(totals(), before);
}

void RegisterPanel::reversalRefusals() {
    for (int role : {Session::Operator, Session::OrdinaryUser}) {
        RegisterFixture f(role);
        postedMay(f);
        f.window->cz();
        QCOMPARE(f.messages.texts,
                 QStringList{QStringLiteral("对不起，你没有这个权限！请以管理员身份登录.")});
    }
    RegisterFixture f;
    const qint64 wrong = postedMay(f);
    const int before = lines(f);
    // An open month: nothing at all.
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 6, 20));
    f.window->cz();
    QVERIFY(f.messages.texts.isEmpty());
    // The opening row is refused before anything is asked.
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 20));
    f.grid->setCurrent(0, MonthModel::Zy);
    f.window->cz();
    QCOMPARE(f.messages.texts, QStringList{QStringLiteral("期初余额和月结转余额行不能冲账。")});
    // Cancel at the question changes nothing.
    f.grid->setCurrent(1, MonthModel::Zy);
    f.messages.answer(qb::MsgAnswer::Cancel);
    f.window->cz();
    QCOMPARE(lines(f), before);
    // Reversed without a correcting entry: the register reminds of posting again.
    f.messages.texts.clear();
    f.messages.answer(qb::MsgAnswer::Ok);
    f.messages.answer(qb::MsgAnswer::Cancel);
    f.window->cz();
    QVERIFY(!panelShown(f) && f.messages.texts.last().contains(QStringLiteral("重新过帐")));
    // Neither the reversed line nor its reversal entry is reversed again.
    for (int row : {1, 2}) {
        f.messages.texts.clear();
        f.grid->setCurrent(row, MonthModel::Zy);
        f.window->cz();
        QVERIFY(f.messages.texts.size() == 1 && f.messages.texts[0].contains("不能再冲账"));
    }
    QCOMPARE(f.storedText(wrong, "zy"), QStringLiteral("被冲账 [收货款]"));
    QCOMPARE(lines(f), before + 1);
}

QTEST_MAIN(RegisterPanel)
#include "tst_register_panel.moc"
