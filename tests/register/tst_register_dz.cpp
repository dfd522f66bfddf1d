// "银行对账": opened from a bank book's register, a statement imported, lines ticked by hand,
// outstanding bank lines added to the journal, the reconciliation statement printed.
#include <QFile>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "bankbook.h"
#include "dj.h"
#include "dz.h"
#include "journalgrid.h"
#include "monthmodel.h"
#include "registerfixture.h"
#include "report.h"

class RegisterDz : public QObject {
    Q_OBJECT
private slots:
    void importTickAddAndPrint();
    void closedMonthOrdinaryUserAndCashBookAreRefused();
    void unknownLayoutIsAskedForOnceAndKept();

private:
    // The worked example's May in the register, and its reconciliation window.
    Tfr_dz* open(RegisterFixture& f, bool posted = false);
};

namespace {
QString text(Tfr_dz* dz, const char* label) {
    return dz->findChild<QLabel*>(label)->text();
}
QTableWidget* table(Tfr_dz* dz, const char* name) {
    return dz->findChild<QTableWidget*>(name);
}
void select(QTableWidget* grid, std::initializer_list<int> rows) {
    grid->clearSelection();
    for (int row : rows)
        grid->selectionModel()->select(grid->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
}
}  // namespace

Tfr_dz* RegisterDz::open(RegisterFixture& f, bool posted) {
    const QString id = worked_example::make(f.ledger.dat);
    if (posted) qb::ledger::post_month(f.ledger.dat, id, worked_example::kMay);
    f.open(QStringLiteral("甲公司/银行日记帐"), QDate(2024, 5, 15));
    f.window->yhdz();
    return f.window->reconciliationWindow();
}

void RegisterDz::importTickAddAndPrint() {
    RegisterFixture f;
    Tfr_dz* dz = open(f);
    QVERIFY(dz);
    QVERIFY(f.entryEnabled("N29"));
    QCOMPARE(text(dz, "cy"), QStringLiteral("请导入本月的银行对账单，或填写对账单期末余额。"));
    dz->importFile(worked_example::statement("sample_debit_credit_gb18030.csv"));
    QCOMPARE(table(dz, "StatementGrid")->rowCount(), 4);
    QCOMPARE(text(dz, "yhys"), QStringLiteral("150.00"));
    QCOMPARE(text(dz, "tzzm"), QStringLiteral("13,300.00"));
    QCOMPARE(text(dz, "tzyh"), QStringLiteral("13,300.00"));
    QCOMPARE(text(dz, "cy"), QStringLiteral("调节后余额相符。"));

    // Selecting a ticked line selects its partner; unticked, the pair moves into the groups (the
    // balances still agree), and a tick of different amounts is refused.
    select(table(dz, "StatementGrid"), {1});
    QCOMPARE(table(dz, "JournalLines")->selectionModel()->selectedRows().front().row(), 1);
    dz->SpeedButton3Click();
    QCOMPARE(text(dz, "yhyf"), QStringLiteral("3,050.00"));
    QCOMPARE(text(dz, "cy"), QStringLiteral("调节后余额相符。"));
    select(table(dz, "StatementGrid"), {1});
    select(table(dz, "JournalLines"), {2});  // the rent: received, not paid
    dz->SpeedButton2Click();
    QVERIFY(f.messages.texts.last().startsWith(QStringLiteral("金额或方向不同")));
    select(table(dz, "JournalLines"), {1});
    dz->SpeedButton2Click();
    QCOMPARE(text(dz, "yhyf"), QStringLiteral("50.00"));

    // The interest and the fee go into the journal once confirmed, and the register shows them.
    select(table(dz, "StatementGrid"), {2, 3});
    f.messages.answer(qb::MsgAnswer::No);
    dz->SpeedButton4Click();
    QCOMPARE(f.window->monthModel()->rowCount(), 5);
    dz->SpeedButton4Click();
    QCOMPARE(f.window->monthModel()->rowCount(), 7);
    QCOMPARE(f.footer(0, MonthModel::YJe), QStringLiteral("13,300.00"));
    QCOMPARE(text(dz, "zmye"), QStringLiteral("13,300.00"));
    QCOMPARE(text(dz, "yhys"), QStringLiteral("0.00"));
    QVERIFY(!dz->unsaved());

    int shown = 0;
    dz->showReport = [&](qb::report::Report& report) {
        ++shown;
        QCOMPARE(report.text(QStringLiteral("tzyh")), QStringLiteral("13300.00"));
        QVERIFY(report.prepare());
    };
    dz->SpeedButton6Click();
    QCOMPARE(shown, 1);
}

void RegisterDz::closedMonthOrdinaryUserAndCashBookAreRefused() {
    {
        RegisterFixture f;
        Tfr_dz* dz = open(f, true);
        dz->importFile(worked_example::statement("sample_signed_amount_utf8.csv"));
        select(table(dz, "StatementGrid"), {2});
        dz->SpeedButton4Click();
        QCOMPARE(f.messages.texts.last(), QStringLiteral("本月数据己结转,禁止添加！"));
        // A posted month is reconciled all the same.
        dz->SpeedButton5Click();
        QCOMPARE(f.messages.texts.last(), QStringLiteral("对账结果已保存。"));
        QVERIFY(!dz->unsaved());
    }
    {
        RegisterFixture f(Session::OrdinaryUser);
        Tfr_dz* dz = open(f);
        dz->importFile(worked_example::statement("sample_signed_amount_utf8.csv"));
        dz->SpeedButton5Click();
        QVERIFY(f.messages.texts.last().startsWith(QStringLiteral("对不起，你没有修改权限")));
        // Leaving ticks unsaved is asked about; No keeps the window.
        f.messages.answer(qb::MsgAnswer::No);
        QVERIFY(!dz->close());
        f.messages.answer(qb::MsgAnswer::Yes);
        QVERIFY(dz->close());
    }
    {
        RegisterFixture f;
        f.cashBook();
        f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 15));
        QVERIFY(!f.entryEnabled("N29"));
        f.window->yhdz();
        QVERIFY(!f.window->reconciliationWindow());
        QVERIFY(f.messages.texts.last().startsWith(QStringLiteral("只有银行日记帐")));
    }
}

void RegisterDz::unknownLayoutIsAskedForOnceAndKept() {
    RegisterFixture f;
    Tfr_dz* dz = open(f);
    QTemporaryDir dir;
    auto write = [&](const char* name, const char* csv) {
        QFile file(dir.filePath(QString::fromUtf8(name)));
        file.open(QIODevice::WriteOnly);
        file.write(csv);
        return file.fileName();
    };
    const QString odd = write("odd.csv",
                              "时候,内容,钱数,标记,结余\n2024-05-03,货款,5000.00,贷,15000.00\n"
                              "2024-05-11,材料款,3000.00,借,12000.00\n");
    int asked = 0;
    QStringList titles;
    namespace S = qb::statement;
    S::Mapping answer;
    answer[S::Date] = 0;
    answer[S::Summary] = 1;
    answer[S::Amount] = 2;
    answer[S::Direction] = 3;
    answer[S::Balance] = 4;
    dz->askMapping = [&](const S::Table& t, const S::Mapping&) -> std::optional<S::Mapping> {
        ++asked;
        titles = t.titles;
        return answer;
    };
    dz->importFile(odd);
    dz->importFile(odd);
    QCOMPARE(asked, 1);
    QCOMPARE(titles, (QStringList{"时候", "内容", "钱数", "标记", "结余"}));
    QCOMPARE(text(dz, "yhye"), QStringLiteral("12,000.00"));
    QCOMPARE(dz->reconciliation().match, (std::vector<int>{0, 1}));

    // Titles known but read wrongly (余额 here is what is available, 结余 the balance): the
    // balances do not chain, the cashier is asked and names the columns, which are kept.
    const QString misread =
        write("misread.csv",
              "交易日期,摘要,金额,余额,结余\n2024-05-03,货款,5000.00,1.00,15000.00\n"
              "2024-05-11,材料款,-3000.00,2.00,12000.00\n");
    answer[S::Direction] = -1;
    dz->importFile(misread);
    QCOMPARE(asked, 2);
    QVERIFY(f.messages.texts.last().contains(QStringLiteral("余额不接续")));
    QVERIFY(f.messages.texts.last().endsWith(QStringLiteral("要重新指定对账单的各列吗？")));
    QCOMPARE(text(dz, "yhye"), QStringLiteral("12,000.00"));
    QVERIFY(qb::bankrec::kept_mapping(f.ledger.dat, dz->bookId()).contains("5=结余"));
}

QTEST_MAIN(RegisterDz)
#include "tst_register_dz.moc"
