// A bank statement of 20,000 lines read (decoding, CSV, columns, dates and amounts, the balance
// chain) and held against a bank book's month of 20,000 lines: the journal and the outstanding
// items read, every pair ticked off. Targets: under 1 s together, and the process's peak memory
// under 100 MB.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

#include "bankrec.h"
#include "ledger.h"
#include "months.h"
#include "statement.h"
#include "templedger.h"

namespace {

constexpr int kLines = 20000;
const QDate kMonth(2024, 5, 1);

// A ledger whose bank book holds the month, and the bank's statement of the same payments and
// receipts, a day or two later, in GB18030 as Chinese banks write it. Amounts repeat (one in
// seven), so the tolerance and the one-to-one rule are at work.
struct Setup {
    TempLedger ledger;
    QString id;
    QString statement;
    Setup() {
        Tdat& dat = ledger.dat;
        qb::Transaction t(dat);
        id = qb::ledger::add_book(dat, {"银行日记帐", "基准", "1", 100000000, kMonth});
        qb::ledger::save_book_ticks(dat, {{id, true, kMonth, 100000000}});
        std::vector<qb::ledger::LineFields> lines;
        QString csv = QStringLiteral(
            "示例数据（基准测试）\n交易日期,摘要,借方发生额,贷方发生额,余额,"
            "对方户名,交易流水号\n");
        qb::money::Cents balance = 100000000;
        for (int i = 0; i < kLines; ++i) {
            const QDate day = kMonth.addDays(i * 28 / kLines);
            const qb::money::Cents amount = (i % 7 + 1) * 10000 + (i % 7 ? i : 0);
            const bool paid = i % 3 != 0;
            lines.push_back({day,
                             i + 1,
                             QString::number(i),
                             QStringLiteral("往来款"),
                             paid ? 0 : amount,
                             paid ? amount : 0,
                             0,
                             {},
                             QStringLiteral("admin")});
            balance += paid ? -amount : amount;
            const QString money = qb::money::grouped(amount);
            csv += QStringLiteral("%1,往来款,\"%2\",\"%3\",\"%4\",示例单位,B%5\n")
                       .arg(qb::months::iso(day.addDays(i % 3)), paid ? money : QString(),
                            paid ? QString() : money, qb::money::grouped(balance))
                       .arg(i);
        }
        qb::ledger::insert_lines(dat, id, lines);
        t.commit();
        statement = ledger.dir() + QStringLiteral("/statement.csv");
        QFile file(statement);
        file.open(QIODevice::WriteOnly);
        file.write(QStringEncoder("GB18030")(csv));
    }
};

// The process's peak resident memory in MB since the last reset: the reading and matching, on
// top of what the ledger and the libraries hold, without the setup's own peak.
void resetPeakMemory() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) clear.write("5");
}
double peakMemoryMB() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    static const QRegularExpression hwm(QStringLiteral("VmHWM:\\s*(\\d+) kB"));
    return hwm.match(QString::fromLatin1(status.readAll())).captured(1).toDouble() / 1024;
}

void BM_ReadAndMatch20000(benchmark::State& state) {
    static Setup setup;
    resetPeakMemory();
    size_t ticked = 0;
    for (auto _ : state) {
        const qb::bankrec::Reconciliation rec = qb::bankrec::reconcile_month(
            setup.ledger.dat, setup.id, kMonth, qb::statement::read(setup.statement), {});
        ticked =
            size_t(std::count_if(rec.match.begin(), rec.match.end(), [](int m) { return m >= 0; }));
        benchmark::DoNotOptimize(rec);
    }
    state.counters["ticked"] = double(ticked);
    state.counters["peak_MB"] = peakMemoryMB();
}
BENCHMARK(BM_ReadAndMatch20000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
