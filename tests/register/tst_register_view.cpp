// The register's month view: the book tree, the footers, the read-only states with the main
// window's entries, and the cell styles.
#include <QApplication>
#include <QBrush>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "dj.h"
#include "fourteenmonths.h"
#include "journalgrid.h"
#include "monthmodel.h"
#include "registerfixture.h"

class RegisterView : public QObject {
    Q_OBJECT
private slots:
    void treeListsNamesReversedWithSheetFirst();
    void emptyMonthShowsCarriedCumulativeFooters();
    void theFiguresStoryInTheFootersAndStatus();
    void clickingBookNameKeepsWhatIsOnShow();
    void closedMonthIsReadOnlyForEverybody();
    void ordinaryUserSeesOpenMonthReadOnly();
    void cellStylesFollowTheRowKind();
    void typedDateMustStayInTheMonth();
    void doubleClickedDateDropsItsCalendar();
    void amountEditorRefusesThirdDecimal();
    void filterRowFiltersLocally();
    void dateChangeFollowsTheOpenJournal();
};

static QString label3(const RegisterFixture& f) {
    return f.window->findChild<QLabel*>(QStringLiteral("Label3"))->text();
}

static QToolButton* button(const RegisterFixture& f, const char* name) {
    return f.window->findChild<QToolButton*>(QLatin1String(name));
}

void RegisterView::treeListsNamesReversedWithSheetFirst() {
    RegisterFixture f;
    f.book(QStringLiteral("2024011"), QStringLiteral("甲公司"), QStringLiteral("现金日记帐"), 0,
           QStringLiteral("2024-01-01"));
    f.book(QStringLiteral("2024012"), QStringLiteral("甲公司"), QStringLiteral("银行日记帐"), 0,
           QStringLiteral("2024-01-01"));
    f.book(QStringLiteral("2024013"), QStringLiteral("乙公司"), QStringLiteral("银行卡"), 0,
           QStringLiteral("2024-01-01"));
    // Not enabled: not listed.
    f.ledger.dat.execute(
        QStringLiteral("insert into accstar(zbid,zblb,zbmc,flag) "
                       "values('2024014','现金日记帐','丙公司','0')"));
    f.window->show();
    auto* tree = f.window->findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
    QCOMPARE(tree->topLevelItemCount(), 2);
    // The names stand in the reverse of the order the database gives them.
    qb::Query names(f.ledger.dat);
    names.setSql(QStringLiteral("select distinct(zbmc) from accstar where flag='1'"));
    names.open();
    QCOMPARE(tree->topLevelItem(0)->text(0), names.valueAt(1, 0).toString());
    QCOMPARE(tree->topLevelItem(1)->text(0), names.valueAt(0, 0).toString());
    QTreeWidgetItem* first = f.node(QStringLiteral("甲公司"));
    QCOMPARE(first->childCount(), 3);
    QCOMPARE(first->child(0)->text(0), QStringLiteral("结存表"));
    QCOMPARE(first->child(1)->text(0), QStringLiteral("现金日记帐"));
    QCOMPARE(first->child(2)->text(0), QStringLiteral("银行日记帐"));
    QVERIFY(!first->icon(0).isNull());
    QVERIFY(!first->child(0)->icon(0).isNull());
    // Nothing open yet: the date and the entry panel's switch wait for a journal.
    QVERIFY(!f.window->findChild<QDateEdit*>(QStringLiteral("dtp"))->isEnabled());
    QVERIFY(!f.window->findChild<QWidget*>(QStringLiteral("CheckBox1"))->isEnabled());
    QVERIFY(f.window->findChild<QWidget*>(QStringLiteral("Panel2"))->isHidden());
    QCOMPARE(f.footer(0, MonthModel::YJe), QStringLiteral("0.00"));
}

void RegisterView::emptyMonthShowsCarriedCumulativeFooters() {
    RegisterFixture f;
    f.book(QStringLiteral("2024011"), QStringLiteral("甲公司"), QStringLiteral("现金日记帐"), 0,
           QStringLiteral("2024-01-01"));
    // April was posted with cumulative figures; May holds no line at all.
    f.ledger.dat.execute(
        QStringLiteral("insert into total(dzrq,pzh,ph,zy,j_je,d_je,y_je,zbh) "
                       "values('2024-04-01',2,'','本月累计',1234.5,200.25,1034.25,'2024011')"));
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 10));
    QCOMPARE(f.window->monthModel()->rowCount(), 0);
    QCOMPARE(f.footer(0, MonthModel::Zy), QStringLiteral("本月合计"));
    QCOMPARE(f.footer(1, MonthModel::Zy), QStringLiteral("本月累计"));
    QCOMPARE(f.footer(0, MonthModel::JJe), QStringLiteral("0.00"));
    QCOMPARE(f.footer(0, MonthModel::DJe), QStringLiteral("0.00"));
    QCOMPARE(f.footer(1, MonthModel::JJe), QStringLiteral("1,234.50"));
    QCOMPARE(f.footer(1, MonthModel::DJe), QStringLiteral("200.25"));
    QCOMPARE(f.footer(0, MonthModel::YJe), QStringLiteral("0.00"));
    QCOMPARE(f.footer(1, MonthModel::YJe), QStringLiteral("0.00"));
    // The year to date, from January, and the month's state: April not posted.
    QCOMPARE(f.footer(2, MonthModel::Zy), QStringLiteral("本年累计"));
    QCOMPARE(f.footer(2, MonthModel::JJe), QStringLiteral("1,234.50"));
    QCOMPARE(f.window->findChild<QStatusBar*>(QStringLiteral("monthStatus"))->currentMessage(),
             QStringLiteral("2024-05 未结账　上月结存 0.00（上月未结账）"));
    QCOMPARE(label3(f), QStringLiteral("甲公司-现金日记帐"));
    QVERIFY(f.window->findChild<QDateEdit*>(QStringLiteral("dtp"))->isEnabled());
}

// The figures story as the grid shows it: the reversal's month, the year's first month and the
// last, open one after unposted months.
void RegisterView::theFiguresStoryInTheFootersAndStatus() {
    RegisterFixture f;
    fourteenMonthBook(f.ledger);
    using qb::money::grouped;
    for (const StoryMonth& s : fourteenMonthFigures()) {
        const QString month = s.month.toString(QStringLiteral("yyyy-MM"));
        if (month != QLatin1String("2025-12") && month != QLatin1String("2026-01") &&
            month != QLatin1String("2026-12"))
            continue;
        f.open(QStringLiteral("总部/现金日记帐"), s.month.addDays(14));
        const qb::money::Cents sums[3][2] = {{s.debit, s.credit},
                                             {s.cumulativeDebit, s.cumulativeCredit},
                                             {s.yearDebit, s.yearCredit}};
        for (int row = 0; row < 3; ++row) {
            QCOMPARE(f.footer(row, MonthModel::JJe), grouped(sums[row][0]));
            QCOMPARE(f.footer(row, MonthModel::DJe), grouped(sums[row][1]));
            QCOMPARE(f.footer(row, MonthModel::YJe), grouped(s.closing));
        }
        QCOMPARE(f.window->findChild<QStatusBar*>(QStringLiteral("monthStatus"))->currentMessage(),
                 QStringLiteral("%1 %2　上月结存 %3%4")
                     .arg(month, s.posted ? QStringLiteral("已结账") : QStringLiteral("未结账"),
                          grouped(s.broughtIn),
                          s.posted ? QString() : QStringLiteral("（上月未结账）")));
    }
}

void RegisterView::clickingBookNameKeepsWhatIsOnShow() {
    RegisterFixture f;
    f.cashBook();
    const qint64 line =
        f.line(kCashBook, QStringLiteral("2024-05-03"), 1, QStringLiteral("收款"), 100, 0, 600);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 3));
    f.grid->setCurrent(1, MonthModel::Zy);
    f.open(QStringLiteral("甲公司/结存表"), QDate(2024, 5, 3));
    f.open(QStringLiteral("甲公司"), QDate(2024, 5, 3));
    // The sheet stays, and nothing acts on the journal hidden behind it.
    QCOMPARE(label3(f), QStringLiteral("甲公司-结存表"));
    for (const char* name : {"SpeedButton1", "SpeedButton2", "SpeedButton4"})
        QVERIFY(!button(f, name)->isEnabled());
    QVERIFY(!f.entryEnabled("N20") && !f.entryEnabled("N26"));
    QVERIFY(button(f, "SpeedButton7")->isEnabled());
    f.window->SpeedButton2Click();
    f.window->SpeedButton1Click();
    QCOMPARE(f.storedText(line, "zy"), QStringLiteral("收款"));
    QCOMPARE(f.ledger.dat.scalar(QStringLiteral("select count(*) from crereg")).toInt(), 2);
    QVERIFY(f.messages.texts.isEmpty());
}

void RegisterView::closedMonthIsReadOnlyForEverybody() {
    RegisterFixture f;
    f.cashBook();
    f.line(kCashBook, QStringLiteral("2024-05-03"), 1, QStringLiteral("收款"), 100, 0, 600);
    f.carried(kCashBook, QStringLiteral("2024-06-01"), 600, 100, 0);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 3));
    MonthModel* model = f.window->monthModel();
    QVERIFY(model->readOnly());
    QVERIFY(!(model->flags(model->index(1, MonthModel::Zy)) & Qt::ItemIsEditable));
    QVERIFY(!button(f, "SpeedButton1")->isEnabled());
    QVERIFY(!button(f, "SpeedButton2")->isEnabled());
    QVERIFY(!f.window->findChild<QWidget*>(QStringLiteral("CheckBox1"))->isEnabled());
    QVERIFY(f.entryEnabled("N20"));
    QVERIFY(f.entryEnabled("N25"));
    QVERIFY(f.entryEnabled("N26"));

    // June is open: editable, and "冲账" has nothing to do there.
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 6, 1));
    QVERIFY(!model->readOnly());
    QVERIFY(button(f, "SpeedButton1")->isEnabled());
    QVERIFY(!f.entryEnabled("N25"));
    QVERIFY(f.entryEnabled("N20"));
    // The opening and carry-forward rows never take typing.
    QVERIFY(!(model->flags(model->index(0, MonthModel::JJe)) & Qt::ItemIsEditable));

    // The summary sheet switches the month's commands off.
    f.open(QStringLiteral("甲公司/结存表"), QDate(2024, 6, 1));
    QVERIFY(!f.entryEnabled("N20"));
    QVERIFY(!f.entryEnabled("N25"));
    QVERIFY(!f.entryEnabled("N26"));
    QVERIFY(!button(f, "SpeedButton4")->isEnabled());
}

void RegisterView::ordinaryUserSeesOpenMonthReadOnly() {
    RegisterFixture f(Session::OrdinaryUser);
    f.cashBook();
    f.line(kCashBook, QStringLiteral("2024-05-03"), 1, QStringLiteral("收款"), 100, 0, 600);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 3));
    MonthModel* model = f.window->monthModel();
    QVERIFY(model->readOnly());
    QVERIFY(button(f, "SpeedButton1")->isEnabled());
    button(f, "SpeedButton1")->click();
    button(f, "SpeedButton2")->click();
    const QString refusal = QStringLiteral("对不起，你没有修改权限！请以管理员或操作员身份登录.");
    QCOMPARE(f.messages.texts, QStringList({refusal, refusal}));
    QCOMPARE(model->rowCount(), 2);
    QVERIFY(!f.entryEnabled("N25"));
}

void RegisterView::cellStylesFollowTheRowKind() {
    RegisterFixture f;
    f.cashBook();
    f.line(kCashBook, QStringLiteral("2024-05-02"), 1, QStringLiteral("收款"), 100, 0, 600);
    f.line(kCashBook, QStringLiteral("2024-05-03"), 2, QStringLiteral("付款"), 0, 50, 550);
    f.line(kCashBook, QStringLiteral("2024-05-04"), 3, QStringLiteral("被冲账 [付房租]"), 0, 30,
           520);
    f.line(kCashBook, QStringLiteral("2024-05-04"), 3, QStringLiteral("冲账[2024-05-04 付房租]"), 0,
           -30, 550);
    f.line(kCashBook, QStringLiteral("2024-05-05"), 4, QStringLiteral("被冲账 [收押金]"), 80, 0,
           630);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 1));
    MonthModel* model = f.window->monthModel();
    QCOMPARE(model->rowCount(), 6);
    auto colour = [&](int row) {
        return model->index(row, MonthModel::Ph).data(Qt::ForegroundRole).value<QBrush>().color();
    };
    auto bold = [&](int row) {
        return model->index(row, MonthModel::Bxr).data(Qt::FontRole).value<QFont>().bold();
    };
    // Opening row: bold, and green as its debit is 0.
    QVERIFY(bold(0));
    QCOMPARE(colour(0), QColor(0, 128, 0));
    QVERIFY(!bold(1));
    QVERIFY(!model->index(1, 0).data(Qt::ForegroundRole).isValid());
    QCOMPARE(colour(2), QColor(0, 128, 0));
    // A reversed entry without debit: the later blue wins over green; reversal entries red.
    auto rowOf = [&](const QString& summary) {
        for (int row = 0; row < model->rowCount(); ++row)
            if (model->summaryAt(row) == summary) return row;
        return -1;
    };
    QCOMPARE(colour(rowOf(QStringLiteral("被冲账 [付房租]"))), QColor(0, 0, 255));
    QCOMPARE(colour(rowOf(QStringLiteral("冲账[2024-05-04 付房租]"))), QColor(255, 0, 0));
    QCOMPARE(colour(rowOf(QStringLiteral("被冲账 [收押金]"))), QColor(0, 0, 255));
    // Formats: dates "YYYY-MM-DD", amounts "#,##0.00", info colour for the people.
    QCOMPARE(f.shown(1, MonthModel::Dzrq), QStringLiteral("2024-05-02"));
    QCOMPARE(f.shown(1, MonthModel::JJe), QStringLiteral("100.00"));
    QVERIFY(model->index(1, MonthModel::Jbr).data(Qt::BackgroundRole).isValid());
    QVERIFY(!(model->flags(model->index(1, MonthModel::YJe)) & Qt::ItemIsEditable));
    QVERIFY(!(model->flags(model->index(1, MonthModel::Jbr)) & Qt::ItemIsEditable));
    QVERIFY(f.grid->view()->isColumnHidden(MonthModel::Zbh));
}

void RegisterView::typedDateMustStayInTheMonth() {
    RegisterFixture f;
    f.cashBook();
    const qint64 rowId =
        f.line(kCashBook, QStringLiteral("2024-05-03"), 1, QStringLiteral("收款"), 100, 0, 600);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 3));
    MonthModel* model = f.window->monthModel();
    QVERIFY(!model->setData(model->index(1, MonthModel::Dzrq), QDate(2024, 6, 2)));
    QCOMPARE(f.messages.texts.size(), 1);
    QVERIFY(f.messages.texts[0].contains(QStringLiteral("2024-05")));
    QCOMPARE(f.storedText(rowId, "dzrq"), QStringLiteral("2024-05-03"));
    QVERIFY(model->setData(model->index(1, MonthModel::Dzrq), QDate(2024, 5, 31)));
    QCOMPARE(f.storedText(rowId, "dzrq"), QStringLiteral("2024-05-31"));
    QCOMPARE(f.shown(1, MonthModel::Dzrq), QStringLiteral("2024-05-31"));
}

void RegisterView::doubleClickedDateDropsItsCalendar() {
    RegisterFixture f;
    f.cashBook();
    f.line(kCashBook, QStringLiteral("2024-05-03"), 1, QStringLiteral("收款"), 100, 0, 600);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 3));
    QAbstractItemView* view = f.grid->view();
    const QRect cell = view->visualRect(f.cell(1, MonthModel::Dzrq));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QTRY_VERIFY(QApplication::activePopupWidget());
    QVERIFY(QApplication::activePopupWidget()->findChild<QCalendarWidget*>());
    QApplication::activePopupWidget()->close();
}

void RegisterView::amountEditorRefusesThirdDecimal() {
    RegisterFixture f;
    f.cashBook();
    const qint64 rowId =
        f.line(kCashBook, QStringLiteral("2024-05-03"), 1, QStringLiteral("收款"), 0, 0, 500);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 3));
    // The editor takes no letter and no third decimal: "12.345x" arrives as 12.34.
    f.type(1, MonthModel::JJe, QStringLiteral("12.345x"));
    QCOMPARE(f.stored(rowId, "j_je"), 12.34);
    QCOMPARE(f.stored(rowId, "y_je"), 512.34);
    // A value that reaches the model some other way is refused all the same.
    MonthModel* model = f.window->monthModel();
    QVERIFY(!model->setData(model->index(1, MonthModel::DJe), QStringLiteral("1.005")));
    QCOMPARE(f.stored(rowId, "d_je"), 0.0);
    QVERIFY(!f.messages.texts.isEmpty());
}

void RegisterView::filterRowFiltersLocally() {
    RegisterFixture f;
    f.cashBook();
    f.line(kCashBook, QStringLiteral("2024-05-02"), 1, QStringLiteral("收房租"), 100, 0, 600);
    f.line(kCashBook, QStringLiteral("2024-05-03"), 2, QStringLiteral("付工资"), 0, 50, 550);
    f.line(kCashBook, QStringLiteral("2024-05-04"), 3, QStringLiteral("收货款"), 30, 0, 580);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 1));
    f.grid->filterEditor(MonthModel::Zy)->setText(QStringLiteral("收"));
    QCOMPARE(f.grid->view()->model()->rowCount(), 2);
    QCOMPARE(f.window->monthModel()->rowCount(), 4);
    // The footers keep the whole month.
    QCOMPARE(f.footer(0, MonthModel::JJe), QStringLiteral("130.00"));
    QCOMPARE(f.footer(0, MonthModel::DJe), QStringLiteral("50.00"));
    f.grid->filterEditor(MonthModel::Zy)->clear();
    QCOMPARE(f.grid->view()->model()->rowCount(), 4);
}

void RegisterView::dateChangeFollowsTheOpenJournal() {
    RegisterFixture f;
    f.cashBook();
    f.carried(kCashBook, QStringLiteral("2024-06-01"), 500, 0, 0);
    f.line(kCashBook, QStringLiteral("2024-06-03"), 1, QStringLiteral("收款"), 10, 0, 510);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 3));
    QCOMPARE(f.window->monthModel()->rowCount(), 1);
    f.window->findChild<QDateEdit*>(QStringLiteral("dtp"))->setDate(QDate(2024, 6, 15));
    QCOMPARE(f.window->monthModel()->rowCount(), 2);
    QCOMPARE(f.footer(0, MonthModel::YJe), QStringLiteral("510.00"));
    QVERIFY(!f.window->monthModel()->readOnly());
}

QTEST_MAIN(RegisterView)
#include "tst_register_view.moc"
