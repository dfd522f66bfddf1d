// Month-end posting, posting again, recalculation and the summary sheet, through the window.
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "dj.h"
#include "journalgrid.h"
#include "monthmodel.h"
#include "registerfixture.h"
#include "report.h"

class RegisterPosting : public QObject {
    Q_OBJECT
private slots:
    void firstPostingOfMay();
    void cancelWritesNothing();
    void aBookNeverInitializedIsRefused();
    void decemberIntoJanuary();
    void postingAgainByRole();
    void postingAgainCarriesIntoLaterMonths();
    void filteredGridDoesNotChangeWhatIsPosted();
    void recalculationRebuildsBalances();
    void summarySheetCells();
    void summarySheetWithoutTemplate();
};

static const QString kPostNoRight =
    QStringLiteral("对不起，你没有'过账'的权限！请以管理员或操作员身份登录.");

// May 2024 brought in 500.00 with April's cumulative 400.00 / 200.00, then 300.00 in and
// 120.00 out: closing 680.00, cumulative 700.00 / 320.00.
static void may(RegisterFixture& f) {
    f.cashBook(100, QStringLiteral("2024-04-01"));
    f.ledger.dat.execute(
        QStringLiteral("update total set j_je=400,d_je=200,y_je=500 "
                       "where zy='本月累计' and dzrq='2024-04-01'"));
    f.carried(kCashBook, QStringLiteral("2024-05-01"), 500, 400, 200);
    f.line(kCashBook, QStringLiteral("2024-05-03"), 1, QStringLiteral("收货款"), 200, 0, 700);
    f.line(kCashBook, QStringLiteral("2024-05-10"), 2, QStringLiteral("付运费"), 0, 120, 580);
    f.line(kCashBook, QStringLiteral("2024-05-20"), 3, QStringLiteral("收押金"), 100, 0, 680);
}

// A total row's debit, credit and balance; empty when there is no such row.
static QVector<double> total(RegisterFixture& f, const QString& date, const QString& summary) {
    qb::Query q(f.ledger.dat);
    q.setSql(QStringLiteral("select j_je,d_je,y_je,pzh from total where zbh=? and dzrq=? and zy=?"),
             {kCashBook, date, summary});
    q.open();
    if (q.recordCount() != 1) return {};
    return {q.field(0).asFloat(), q.field(1).asFloat(), q.field(2).asFloat(), q.field(3).asFloat()};
}

static QDate picked(RegisterFixture& f) {
    return f.window->findChild<QDateEdit*>(QStringLiteral("dtp"))->date();
}

void RegisterPosting::firstPostingOfMay() {
    RegisterFixture f;
    may(f);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 20));
    QCOMPARE(f.footer(0, MonthModel::JJe), QStringLiteral("300.00"));
    QCOMPARE(f.footer(1, MonthModel::DJe), QStringLiteral("320.00"));
    f.messages.answer(qb::MsgAnswer::Ok);
    f.window->zwyj();
    QCOMPARE(f.messages.texts, QStringList({QStringLiteral("你真的要结转本月数据吗？"),
                                            QStringLiteral("过帐完成！")}));
    QCOMPARE(f.messages.captions, QStringList({QStringLiteral("系统提示")}));
    QCOMPARE(total(f, QStringLiteral("2024-05-01"), QStringLiteral("本月合计")),
             QVector<double>({300, 120, 680, 1}));
    QCOMPARE(total(f, QStringLiteral("2024-05-01"), QStringLiteral("本月累计")),
             QVector<double>({700, 320, 680, 2}));
    QCOMPARE(total(f, QStringLiteral("2024-06-01"), QStringLiteral("月结转余额")),
             QVector<double>({0, 0, 680, 0}));
    QCOMPARE(total(f, QStringLiteral("2024-06-01"), QStringLiteral("本月合计")),
             QVector<double>({0, 0, 680, 1}));
    QCOMPARE(total(f, QStringLiteral("2024-06-01"), QStringLiteral("本月累计")),
             QVector<double>({700, 320, 680, 2}));
    // The register moved on to June, which begins with its carry-forward line.
    QCOMPARE(picked(f), QDate(2024, 6, 1));
    MonthModel* model = f.window->monthModel();
    QCOMPARE(model->rowCount(), 1);
    QCOMPARE(model->summaryAt(0), QStringLiteral("月结转余额"));
    QCOMPARE(f.shown(0, MonthModel::YJe), QStringLiteral("680.00"));
    QCOMPARE(f.footer(1, MonthModel::JJe), QStringLiteral("700.00"));
    QVERIFY(!model->readOnly());
}

void RegisterPosting::cancelWritesNothing() {
    RegisterFixture f;
    may(f);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 20));
    f.messages.answer(qb::MsgAnswer::Cancel);
    f.window->zwyj();
    QCOMPARE(f.messages.texts.size(), 1);
    QVERIFY(total(f, QStringLiteral("2024-06-01"), QStringLiteral("本月合计")).isEmpty());
    QCOMPARE(picked(f), QDate(2024, 5, 20));
}

// Ticked in the book list's flag but without its opening rows: the core refuses a line and a
// posting with the words the command-line tool prints too, and nothing is written.
void RegisterPosting::aBookNeverInitializedIsRefused() {
    RegisterFixture f;
    f.ledger.dat.execute(
        QStringLiteral("insert into accstar(zbid,zblb,zbmc,qcye,flag,qyrq) "
                       "values('2024019','现金日记帐','乙公司',100,'1','2024-05-01')"));
    f.open(QStringLiteral("乙公司/现金日记帐"), QDate(2024, 5, 20));
    f.window->SpeedButton1Click();
    f.window->zwyj();
    const QString refusal = QStringLiteral(
        "帐簿“乙公司”（现金日记帐）还没有初始化，没有期初余额行，不能记账或过帐。"
        "请先在“帐簿管理”中勾选并保存（初始化）这本帐簿。");
    QCOMPARE(f.messages.texts, QStringList({refusal, refusal}));
    QCOMPARE(rowsText(f.ledger.dat, QStringLiteral("select count(*) from crereg")) +
                 rowsText(f.ledger.dat, QStringLiteral("select count(*) from total")),
             QStringLiteral("00"));
}

void RegisterPosting::decemberIntoJanuary() {
    RegisterFixture f;
    f.book(kCashBook, QStringLiteral("甲公司"), QStringLiteral("银行日记帐"), 1000,
           QStringLiteral("2024-11-01"));
    f.ledger.dat.execute(
        QStringLiteral("update total set j_je=5000,d_je=4000 "
                       "where zy='本月累计' and dzrq='2024-11-01'"));
    f.carried(kCashBook, QStringLiteral("2024-12-01"), 1000, 5000, 4000);
    f.line(kCashBook, QStringLiteral("2024-12-31"), 1, QStringLiteral("利息"), 0.1, 0, 1000.1);
    f.open(QStringLiteral("甲公司/银行日记帐"), QDate(2024, 12, 31));
    f.window->zwyj();
    QCOMPARE(f.messages.texts.last(), QStringLiteral("过帐完成！"));
    QCOMPARE(total(f, QStringLiteral("2025-01-01"), QStringLiteral("月结转余额")),
             QVector<double>({0, 0, 1000.1, 0}));
    QCOMPARE(total(f, QStringLiteral("2025-01-01"), QStringLiteral("本月累计")),
             QVector<double>({5000.1, 4000, 1000.1, 2}));
    QCOMPARE(picked(f), QDate(2025, 1, 1));
    QCOMPARE(f.footer(1, MonthModel::JJe), QStringLiteral("5,000.10"));
}

void RegisterPosting::postingAgainByRole() {
    RegisterFixture f;
    may(f);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 20));
    f.window->zwyj();
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 20));
    QVERIFY(f.window->monthModel()->readOnly());
    f.messages.texts.clear();

    f.session.role_code = Session::Operator;
    f.window->zwyj();
    f.session.role_code = Session::OrdinaryUser;
    f.window->zwyj();
    QCOMPARE(f.messages.texts,
             QStringList({QStringLiteral("对不起，你没有修改权限！请以管理员或操作员身份登录."),
                          kPostNoRight}));

    // A correction slipped into the closed month (as a reversal would make) is taken up.
    f.line(kCashBook, QStringLiteral("2024-05-25"), 4, QStringLiteral("冲账[2024-05-20 收押金]"),
           -100, 0, 0);
    f.messages.texts.clear();
    f.session.role_code = Session::Administrator;
    f.messages.answer(qb::MsgAnswer::Ok);
    f.window->zwyj();
    QCOMPARE(f.messages.texts, QStringList({QStringLiteral("本月数据已结转，你要重新过账吗？？"),
                                            QStringLiteral("二次过帐完成！")}));
    QCOMPARE(total(f, QStringLiteral("2024-05-01"), QStringLiteral("本月合计")),
             QVector<double>({200, 120, 580, 1}));
    QCOMPARE(total(f, QStringLiteral("2024-06-01"), QStringLiteral("月结转余额")),
             QVector<double>({0, 0, 580, 0}));
    QCOMPARE(total(f, QStringLiteral("2024-06-01"), QStringLiteral("本月累计")),
             QVector<double>({600, 320, 580, 2}));
    QCOMPARE(f.window->monthModel()->summaryAt(0), QStringLiteral("月结转余额"));
    QCOMPARE(f.shown(0, MonthModel::YJe), QStringLiteral("580.00"));
}

void RegisterPosting::postingAgainCarriesIntoLaterMonths() {
    RegisterFixture f;
    may(f);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 20));
    f.window->zwyj();  // May, then June from the register's move
    f.line(kCashBook, QStringLiteral("2024-06-05"), 1, QStringLiteral("收款"), 20, 0, 700);
    f.window->zwyj();
    QCOMPARE(picked(f), QDate(2024, 7, 1));
    f.line(kCashBook, QStringLiteral("2024-05-25"), 4, QStringLiteral("冲账[2024-05-20 收押金]"),
           -100, 0, 0);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 1));
    f.messages.texts.clear();
    f.window->zwyj();
    QCOMPARE(f.messages.texts.last(),
             QStringLiteral("二次过帐完成！\n已同时更新其后 1 个已过账月份。"));
    // June keeps its own figures on the corrected balance, and July starts from them.
    QCOMPARE(total(f, QStringLiteral("2024-06-01"), QStringLiteral("本月合计")),
             QVector<double>({20, 0, 600, 1}));
    QCOMPARE(total(f, QStringLiteral("2024-07-01"), QStringLiteral("月结转余额")),
             QVector<double>({0, 0, 600, 0}));
    QCOMPARE(total(f, QStringLiteral("2024-07-01"), QStringLiteral("本月累计")),
             QVector<double>({620, 320, 600, 2}));
}

void RegisterPosting::filteredGridDoesNotChangeWhatIsPosted() {
    RegisterFixture f;
    may(f);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 20));
    f.grid->filterEditor(MonthModel::Zy)->setText(QStringLiteral("运费"));
    QCOMPARE(f.grid->view()->model()->rowCount(), 1);
    f.window->zwyj();
    QCOMPARE(total(f, QStringLiteral("2024-05-01"), QStringLiteral("本月合计")),
             QVector<double>({300, 120, 680, 1}));
    QCOMPARE(total(f, QStringLiteral("2024-06-01"), QStringLiteral("月结转余额")),
             QVector<double>({0, 0, 680, 0}));
}

void RegisterPosting::recalculationRebuildsBalances() {
    RegisterFixture f;
    f.cashBook(100, QStringLiteral("2024-04-01"));
    f.carried(kCashBook, QStringLiteral("2024-05-01"), 500, 0, 0);
    const qint64 a =
        f.line(kCashBook, QStringLiteral("2024-05-03"), 1, QStringLiteral("收"), 200, 0, 1);
    const qint64 b =
        f.line(kCashBook, QStringLiteral("2024-05-04"), 2, QStringLiteral("付"), 0, 50, 2);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 20));
    QCOMPARE(f.footer(0, MonthModel::YJe), QStringLiteral("2.00"));
    f.session.role_code = Session::OrdinaryUser;
    f.window->rejsye();
    QCOMPARE(f.messages.texts, QStringList({kPostNoRight}));
    QCOMPARE(f.stored(b, "y_je"), 2.0);
    f.session.role_code = Session::Operator;
    f.window->rejsye();
    QCOMPARE(f.stored(a, "y_je"), 700.0);
    QCOMPARE(f.stored(b, "y_je"), 650.0);
    QCOMPARE(f.shown(2, MonthModel::YJe), QStringLiteral("650.00"));
    QCOMPARE(f.footer(0, MonthModel::YJe), QStringLiteral("650.00"));
    QCOMPARE(f.footer(1, MonthModel::YJe), QStringLiteral("650.00"));
}

void RegisterPosting::summarySheetCells() {
    RegisterFixture f;
    may(f);
    const QString bank = QStringLiteral("2024012");
    f.book(bank, QStringLiteral("甲公司"), QStringLiteral("银行日记帐"), 10000,
           QStringLiteral("2024-05-01"));
    f.line(bank, QStringLiteral("2024-05-08"), 1, QStringLiteral("收货款"), 2500.5, 0, 12500.5);
    f.open(QStringLiteral("甲公司/结存表"), QDate(2024, 5, 8));
    QCOMPARE(f.window->findChild<QLabel*>(QStringLiteral("Label3"))->text(),
             QStringLiteral("甲公司-结存表"));
    QVERIFY(f.window->findChild<QWidget*>(QStringLiteral("rmp"))->isVisible());
    QVERIFY(!f.grid->isVisible());
    const qb::report::Report& sheet = *f.window->summaryReport();
    QCOMPARE(sheet.text(QStringLiteral("Memo35")), QStringLiteral("账簿：甲公司"));
    QCOMPARE(sheet.text(QStringLiteral("Memo36")), QStringLiteral("日期：2024-05"));
    const QStringList bankRow = {"10000.00", "2500.50", "0.00", "12500.50", "12500.50"};
    const QStringList cashRow = {"500.00", "300.00", "120.00", "680.00", "680.00"};
    const QStringList cardRow = {"0.00", "0.00", "0.00", "0.00", "0.00"};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(sheet.text(QStringLiteral("mm%1").arg(1 + 3 * i)), bankRow[i]);
        QCOMPARE(sheet.text(QStringLiteral("mm%1").arg(2 + 3 * i)), cashRow[i]);
        QCOMPARE(sheet.text(QStringLiteral("mm%1").arg(3 + 3 * i)), cardRow[i]);
    }
    QVERIFY(f.messages.texts.isEmpty());
}

void RegisterPosting::summarySheetWithoutTemplate() {
    RegisterFixture f;
    may(f);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 8));
    const QString here = QDir::currentPath();
    QDir::setCurrent(f.ledger.dir());  // no "qbk.rmf" there
    f.open(QStringLiteral("甲公司/结存表"), QDate(2024, 5, 8));
    QDir::setCurrent(here);
    // The report says what is missing; the journal stays on show.
    QCOMPARE(f.messages.texts.size(), 1);
    QVERIFY(f.messages.texts[0].contains(QStringLiteral("qbk.rmf")));
    QVERIFY(f.grid->isVisible());
    QCOMPARE(f.window->monthModel()->rowCount(), 4);
}

QTEST_MAIN(RegisterPosting)
#include "tst_register_posting.moc"
