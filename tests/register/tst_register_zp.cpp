// "支票登记簿": opened from a bank book's register, a cheque book entered, a leaf handed out and
// written out into the journal, a voided leaf, an unknown ticket typed in the grid; a leaf paid,
// the register printed and exported, a cheque printed from its journal line, bills entered and
// paid; an ordinary user only looks.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "bankbook.h"
#include "dj.h"
#include "journalgrid.h"
#include "monthmodel.h"
#include "preview_dialog.h"
#include "registerfixture.h"
#include "report_preview.h"
#include "zp.h"

class RegisterZp : public QObject {
    Q_OBJECT
private slots:
    void enterTakeIssueAndVoid();
    void honourPrintAndExport();
    void billsByDueDate();
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

// What the previews show, without a dialog: the pages of each one opened.
struct Previews {
    qb::report::Asking saved = qb::report::asking();
    std::vector<std::shared_ptr<const qb::report::Document>> shown;
    Previews() {
        qb::report::asking().runModal = [this](QDialog& dialog) {
            shown.push_back(static_cast<qb::report::PreviewDialog&>(dialog).preview()->document());
            return 0;
        };
    }
    ~Previews() { qb::report::asking() = saved; }
};

void RegisterZp::honourPrintAndExport() {
    RegisterFixture f;
    Previews previews;
    Tfr_zp* zp = open(f);
    set(zp, "Edit1", "00000101");
    set(zp, "Edit2", "00000125");
    zp->findChild<QDateEdit*>("DateEdit1")->setDate({2024, 5, 2});
    click(zp, "SpeedButton1");
    // 00000101 written out into the journal from the register, 00000102 only typed as a ticket.
    zp->selectSerial("00000101");
    set(zp, "Edit5", "乙公司 \"华东\" 分部");
    set(zp, "Edit6", "300");
    zp->findChild<QDateEdit*>("DateEdit2")->setDate({2024, 5, 20});
    click(zp, "SpeedButton3");
    qb::ledger::LineFields typed;
    typed.date = {2024, 5, 21};
    typed.voucher = 9;
    typed.ticket = "00000102";
    typed.summary = "付运费";
    typed.credit = 4500;
    qb::ledger::insert_line(f.ledger.dat, f.window->currentBookId(), typed);
    f.window->SpeedButton4Click();

    // "打印支票" on journal lines: one naming no leaf, one whose cheque has no payee yet (the
    // register comes up to complete it), one written out.
    const auto printLine = [&](const QString& ticket) {
        for (int r = 0; r < f.window->monthModel()->rowCount(); ++r)
            if (f.shown(r, MonthModel::Ph) == ticket) f.grid->setCurrent(r, MonthModel::Zy);
        f.grid->view()->findChild<QAction*>("PrintCheque")->trigger();
    };
    printLine("1001");
    QVERIFY(f.messages.texts.last().contains("不是本账簿支票簿中的支票号码"));
    printLine("00000102");
    QVERIFY(f.messages.texts.last().contains("还没有收款人"));
    QCOMPARE(zp->selectedSerial(), QStringLiteral("00000102"));
    set(zp, "Edit5", "丙公司");
    set(zp, "Edit6", "");
    click(zp, "SpeedButton3");
    QCOMPARE(cell(zp, 1, 6), QStringLiteral("丙公司"));
    QCOMPARE(previews.shown.size(), size_t(0));
    printLine("00000102");
    QCOMPARE(previews.shown.size(), size_t(1));
    QVERIFY(!previews.shown.back()->find(QStringLiteral("¥45.00")).empty());

    // 兑付, twice: the second is refused.
    zp->selectSerial("00000101");
    click(zp, "SpeedButton9");
    QCOMPARE(cell(zp, 0, 2), QStringLiteral("已兑付"));
    click(zp, "SpeedButton9");
    QVERIFY(f.messages.texts.last().contains("不能兑付"));

    // The register printed as filtered, and exported.
    click(zp, "SpeedButton10");
    QCOMPARE(previews.shown.size(), size_t(2));
    for (const QString& text :
         {QStringLiteral("支票登记簿"), QStringLiteral("已兑付"),
          QStringLiteral("乙公司 \"华东\" 分部"), QStringLiteral("开出金额合计：345.00")})
        QVERIFY2(!previews.shown.back()->find(text).empty(), qPrintable(text));
    QTemporaryDir dir;
    const QString workbook = dir.filePath("zpdj.xlsx");
    qb::report::asking().workbookFileName = [&](QWidget*, const QString&) { return workbook; };
    click(zp, "SpeedButton11");
    QVERIFY(QFileInfo(workbook).size() > 1000);
    QVERIFY(f.messages.texts.last().contains("已导出"));
}

void RegisterZp::billsByDueDate() {
    RegisterFixture f;
    Tfr_zp* zp = open(f);
    auto* bills = zp->findChild<QTableWidget*>("DBGrid2");
    const auto enter = [&](const QString& number, int dueInDays) {
        set(zp, "Edit9", number);
        set(zp, "Edit10", "50,000");
        set(zp, "Edit11", "丁'公司");
        zp->findChild<QDateEdit*>("DateEdit3")->setDate(QDate::currentDate().addDays(-30));
        zp->findChild<QDateEdit*>("DateEdit4")->setDate(QDate::currentDate().addDays(dueInDays));
        click(zp, "SpeedButton12");
    };
    enter("310000000001", 90);
    enter("310000000002", 3);
    QCOMPARE(bills->rowCount(), 2);
    QCOMPARE(bills->item(0, 3)->text(), QStringLiteral("310000000002"));  // due first
    QCOMPARE(bills->item(0, 5)->text(), QStringLiteral("丁'公司"));
    QVERIFY(bills->item(0, 0)->background().color() != bills->item(1, 0)->background().color());
    enter("310000000002", 3);
    QVERIFY(f.messages.texts.last().contains("已经登记过了"));
    bills->setCurrentItem(nullptr);
    click(zp, "SpeedButton13");
    QCOMPARE(f.messages.texts.last(), QStringLiteral("请先在列表中选择一张票据。"));
    zp->selectBill(bills->item(0, 0)->data(Qt::UserRole).toLongLong());
    click(zp, "SpeedButton13");
    QCOMPARE(bills->item(0, 7)->text(), QStringLiteral("已兑付"));
    click(zp, "SpeedButton14");
    QVERIFY(f.messages.texts.last().contains("不能再改"));
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
    set(zp, "Edit9", "310000000001");
    click(zp, "SpeedButton12");
    QCOMPARE(f.messages.texts.last(),
             QStringLiteral("对不起，你没有修改权限！请以管理员或操作员身份登录."));
    QCOMPARE(zp->findChild<QTableWidget*>("DBGrid2")->rowCount(), 0);
}

QTEST_MAIN(RegisterZp)
#include "tst_register_zp.moc"
