// "现金盘点": quantities typed into the grid with Enter moving down, totals following, a count
// with a witness missing refused, then saved with a shortage and an IOU, its sheet previewed and
// written as PDF, its shortage settled by a journal line; an ordinary user only looks.
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include "answering_messages.h"
#include "ledger.h"
#include "report.h"
#include "session.h"
#include "templedger.h"
#include "xjpd.h"

class RegisterXjpd : public QObject {
    Q_OBJECT
private slots:
    void countSaveSettleAndPrint();
};

namespace {

QString label(Tfr_xjpd& w, const char* name) {
    return w.findChild<QLabel*>(name)->text();
}

void set(Tfr_xjpd& w, const char* name, const QString& text) {
    w.findChild<QLineEdit*>(name)->setText(text);
}

void click(Tfr_xjpd& w, const char* name) {
    QTest::mouseClick(w.findChild<QToolButton*>(name), Qt::LeftButton);
}

}  // namespace

void RegisterXjpd::countSaveSettleAndPrint() {
    TempLedger ledger;
    AnsweringMessages messages;
    Session session(ledger.dat);
    session.login_user = QStringLiteral("王出纳");
    const QString book = ledger.cashBook(QStringLiteral("本部"), 100000, {2026, 11, 1});
    qb::ledger::insert_line(
        ledger.dat, book,
        {{2026, 11, 3}, 1, {}, QStringLiteral("付办公用品"), 0, 12000, 1, {}, {}});

    Tfr_xjpd w(session);
    w.show();
    QCOMPARE(w.findChild<QComboBox*>("ComboBox1")->currentText(), QStringLiteral("本部"));
    w.findChild<QDateEdit*>("DateEdit1")->setDate({2026, 11, 3});
    QCOMPARE(label(w, "Label2"), QStringLiteral("账面余额：880.00"));

    // 8 × 100 typed, Enter moves to 50; 3 × 20 written straight into its cell.
    auto* grid = w.findChild<QTableWidget*>("StringGrid1");
    grid->setCurrentCell(0, 1);
    grid->editItem(grid->item(0, 1));
    auto* editor = grid->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("8"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(grid->currentRow(), 1);
    grid->item(2, 1)->setText(QStringLiteral("3"));
    QCOMPARE(grid->item(0, 2)->text(), QStringLiteral("800.00"));
    QCOMPARE(label(w, "Label1"), QStringLiteral("实存：860.00"));
    set(w, "Edit3", QStringLiteral("10"));
    set(w, "Edit5", QStringLiteral("50"));
    QCOMPARE(label(w, "Label3"), QStringLiteral("调整后账面余额：870.00"));
    QCOMPARE(label(w, "Label4"), QStringLiteral("短款：10.00"));
    QVERIFY(label(w, "Label5").contains(QStringLiteral("白条 50.00")));

    set(w, "Edit7", QStringLiteral("王出纳"));
    click(w, "SpeedButton1");
    QCOMPARE(messages.texts.last(), QStringLiteral("请填写监盘人的姓名。"));
    auto* counts = w.findChild<QTableWidget*>("DBGrid1");
    QCOMPARE(counts->rowCount(), 0);
    set(w, "Edit8", QStringLiteral("李会计"));
    click(w, "SpeedButton1");
    QVERIFY(messages.texts.last().startsWith(
        QStringLiteral("盘点已保存（编号 1）：短款 10.00，待处理。")));
    QCOMPARE(counts->rowCount(), 1);
    QCOMPARE(counts->item(0, 9)->text(), QStringLiteral("待处理"));

    QString shortage;
    w.showReport = [&](qb::report::Report& report) { shortage = report.text("ce"); };
    click(w, "SpeedButton3");
    QCOMPARE(shortage, QStringLiteral("-10.00"));
    const QString pdf = ledger.dir() + QStringLiteral("/count.pdf");
    w.askPdfPath = [&] { return pdf; };
    click(w, "SpeedButton4");
    QVERIFY(QFile(pdf).size() > 0);

    // 处理: asked first (answered yes), then the line is in the journal and the count settled.
    click(w, "SpeedButton2");
    QVERIFY(messages.texts.at(messages.texts.size() - 2)
                .contains(QStringLiteral("现金盘亏 待处理」贷 10.00")));
    QCOMPARE(rowsText(ledger.dat, "select dzrq,zy,d_je,jbr from crereg where zy like ?",
                      {QStringLiteral("现金盘亏%")}),
             QStringLiteral("2026-11-03/现金盘亏 待处理/10/王出纳"));
    QCOMPARE(counts->item(0, 9)->text(), QStringLiteral("已处理"));

    session.role_code = Session::OrdinaryUser;
    click(w, "SpeedButton1");
    QCOMPARE(messages.texts.last(),
             QStringLiteral("对不起，你没有修改权限！请以管理员或操作员身份登录."));
    QCOMPARE(counts->rowCount(), 1);
}

QTEST_MAIN(RegisterXjpd)
#include "tst_register_xjpd.moc"
