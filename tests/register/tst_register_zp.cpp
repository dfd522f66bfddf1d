// "支票登记簿": opened from a bank book's register, a cheque book entered, a leaf handed out and
// written out into the journal, a voided leaf, an unknown ticket typed in the grid; an ordinary
// user only looks.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include "bankbook.h"
#include "dj.h"
#include "monthmodel.h"
#include "registerfixture.h"
#include "zp.h"

class RegisterZp : public QObject {
    Q_OBJECT
private slots:
    void enterTakeIssueAndVoid();
    void ordinaryUserOnlyLooks();
};

namespace {

Tfr_zp* open(RegisterFixture& f) {
    worked_example::make(f.ledger.dat);
    f.open(QStringLiteral("甲公司/银行日记帐"), QDate(2024, 5, 15));
    f.window->zpdj();
    return f.window->chequeWindow();
}

void set(Tfr_zp* zp, const char* name, const QString& text) {
    zp->findChild<QLineEdit*>(name)->setText(text);
}

void click(Tfr_zp* zp, const char* name) {
    QTest::mouseClick(zp->findChild<QToolButton*>(name), Qt::LeftButton);
}

QString cell(Tfr_zp* zp, int row, int column) {
    return zp->findChild<QTableWidget*>("DBGrid1")->item(row, column)->text();
}

}  // namespace

void RegisterZp::enterTakeIssueAndVoid() {
    RegisterFixture f;
    Tfr_zp* zp = open(f);
    QVERIFY(zp);
    QVERIFY(f.entryEnabled("N31"));
    set(zp, "Edit1", "00000101");
    set(zp, "Edit2", "00000125");
    zp->findChild<QDateEdit*>("DateEdit1")->setDate({2024, 5, 2});
    click(zp, "SpeedButton1");
    QCOMPARE(zp->findChild<QTableWidget*>("DBGrid1")->rowCount(), 25);
    QCOMPARE(zp->findChild<QTableWidget*>("ListView1")->rowCount(), 1);

    set(zp, "Edit3", "张三");
    click(zp, "SpeedButton2");
    QCOMPARE(zp->selectedSerial(), QStringLiteral("00000101"));
    QCOMPARE(cell(zp, 0, 2), QStringLiteral("已领用"));

    set(zp, "Edit5", "乙公司");
    set(zp, "Edit6", "1,200.50");
    set(zp, "Edit7", "材料");
    zp->findChild<QDateEdit*>("DateEdit2")->setDate({2024, 5, 20});
    const int lines = f.window->monthModel()->rowCount();
    click(zp, "SpeedButton3");
    QCOMPARE(cell(zp, 0, 2), QStringLiteral("已开出"));
    QCOMPARE(cell(zp, 0, 7), QStringLiteral("1,200.50"));
    QCOMPARE(f.window->monthModel()->rowCount(), lines + 1);  // the register re-read its month
    QCOMPARE(f.ledger.dat.scalar("select d_je from crereg where ph='00000101'").toDouble(), 1200.5);

    // Its journal line stands: voiding it is refused, and a reason is needed anyway.
    zp->selectSerial("00000101");
    click(zp, "SpeedButton4");
    QCOMPARE(f.messages.texts.last(), QStringLiteral("请填写作废原因。"));
    set(zp, "Edit8", "写错");
    click(zp, "SpeedButton4");
    QVERIFY(f.messages.texts.last().contains("请先删除这一行"));
    zp->selectSerial("00000103");
    click(zp, "SpeedButton4");
    QCOMPARE(cell(zp, 2, 2), QStringLiteral("已作废"));
    QCOMPARE(cell(zp, 1, 2), QStringLiteral("空白（跳号）"));

    // A ticket typed in the grid that no cheque book holds is kept, with a word of warning.
    const int row = f.window->monthModel()->rowCount() - 1;
    f.type(row, MonthModel::Ph, QStringLiteral("A-77"));
    QVERIFY(f.messages.texts.last().contains("不是本账簿支票簿中的支票号码"));
}

void RegisterZp::ordinaryUserOnlyLooks() {
    RegisterFixture f(Session::OrdinaryUser);
    Tfr_zp* zp = open(f);
    QVERIFY(zp);
    set(zp, "Edit1", "00000101");
    set(zp, "Edit2", "00000125");
    click(zp, "SpeedButton1");
    QCOMPARE(f.messages.texts.last(),
             QStringLiteral("对不起，你没有修改权限！请以管理员或操作员身份登录."));
    QCOMPARE(zp->findChild<QTableWidget*>("DBGrid1")->rowCount(), 0);
}

QTEST_MAIN(RegisterZp)
#include "tst_register_zp.moc"
