// The register with a month of 3,000 lines: opening it in the grid, typing an amount into its
// first line and moving on (the post, the balance carried down the month, the re-read and the
// footers), and exporting it into the workbook.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QUrl>

#include "answering_messages.h"
#include "dj.h"
#include "fr_dat.h"
#include "monthmodel.h"
#include "session.h"
#include "templedger.h"

namespace {

constexpr int kLines = 3000;
const QString kBook = QStringLiteral("2024051");

// A book whose May 2024 holds its opening row and kLines entries with their running balance.
void fill(TempLedger& ledger) {
    Tdat& dat = ledger.dat;
    qb::Transaction unit(dat);
    dat.execute(QStringLiteral("insert into accstar(zbid,zblb,zbmc,zh,qcye,flag,qyrq) "
                               "values(?,'现金日记帐','总公司','',10000,'1','2024-05-01')"),
                {kBook});
    dat.execute(QStringLiteral("insert into crereg(dzrq,pzh,zy,j_je,d_je,y_je,zbh) "
                               "values('2024-05-01',0,'期初余额',0,0,10000,?)"),
                {kBook});
    qint64 balance = 1000000;
    for (int i = 1; i <= kLines; ++i) {
        const qint64 debit = i % 3 ? 0 : 12345;
        const qint64 credit = i % 3 ? 678 : 0;
        balance += debit - credit;
        ledger.line(kBook, QDate(2024, 5, 1 + i * 30 / (kLines + 1)).toString(Qt::ISODate), i,
                    QStringLiteral("日常收支 %1").arg(i), debit / 100.0, credit / 100.0,
                    balance / 100.0);
    }
    unit.commit();
}

struct Fixture {
    Fixture() : session(ledger.dat) {
        fill(ledger);
        window = std::make_unique<Tfr_dj>(session);
        window->resize(1200, 800);
        window->show();
        window->findChild<QDateEdit*>(QStringLiteral("dtp"))->setDate(QDate(2024, 5, 15));
        tree = window->findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
        tree->setCurrentItem(tree->topLevelItem(0)->child(1));
    }
    void open() {
        window->TreeView1Click();
        QApplication::processEvents();  // lay out and paint the grid
    }
    TempLedger ledger;
    Session session;
    std::unique_ptr<Tfr_dj> window;
    QTreeWidget* tree = nullptr;
};

void BM_OpenMonth(benchmark::State& state) {
    Fixture f;
    for (auto _ : state)
        f.open();
    if (f.window->monthModel()->rowCount() != kLines + 1) state.SkipWithError("rows missing");
}
BENCHMARK(BM_OpenMonth)->Unit(benchmark::kMillisecond);

void BM_TypeFirstLineAmount(benchmark::State& state) {
    Fixture f;
    f.open();
    MonthModel* model = f.window->monthModel();
    int n = 0;
    for (auto _ : state) {
        // A new amount each time, so every round really posts and propagates.
        model->setData(model->index(1, MonthModel::JJe), QString::number(100 + (++n % 2)));
        QApplication::processEvents();
    }
}
BENCHMARK(BM_TypeFirstLineAmount)->Unit(benchmark::kMillisecond);

// Stands in for the desktop's spreadsheet program, which the export starts at its end.
class Opener : public QObject {
    Q_OBJECT
public:
    int opened = 0;
public slots:
    void open(const QUrl&) { ++opened; }
};

// "导出" answered Yes: the month written over the workbook of the round before.
void BM_ExportMonth(benchmark::State& state) {
    Fixture f;
    f.open();
    QTemporaryDir workdir;
    QFile::copy(QStringLiteral(QB_WORKBOOK_TEMPLATE), workdir.filePath("ExcelF.dat"));
    const QString before = QDir::currentPath();
    QDir::setCurrent(workdir.path());
    AnsweringMessages yes;
    Opener opener;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opener, "open");
    for (auto _ : state)
        f.window->turnexcel();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QDir::setCurrent(before);
    if (opener.opened != int(state.iterations()) || yes.texts.size() != opener.opened)
        state.SkipWithError("an export failed");
}
BENCHMARK(BM_ExportMonth)->Unit(benchmark::kMillisecond);

}  // namespace

#include "bench_register.moc"
