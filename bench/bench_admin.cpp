// Backup and restore of a ledger of about 165 MB. The ledger is made once per run, before the
// first measurement, from bulk journal lines.
#include <benchmark/benchmark.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "backup.h"
#include "files.h"
#include "fr_dat.h"
#include "schema.h"

namespace {

struct BigLedger {
    BigLedger() {
        const QString path = Tdat::pathIn(dir.path());
        qb::createDatabase(path, QStringLiteral("admin"), QStringLiteral("admin"));
        dat.open(path);
        const QDate start(2020, 1, 1);
        const QString insert = QStringLiteral(
            "insert into crereg(dzrq,pzh,ph,zy,j_je,d_je,y_je,pzn,bxr,jbr,zbh) "
            "values(?,?,?,?,?,?,?,?,?,?,?)");
        qint64 n = 0;
        while (QFileInfo(path).size() < (165LL << 20)) {
            qb::Transaction unit(dat);
            for (int i = 0; i < 20000; ++i, ++n) {
                const QDate day = start.addDays(int(n / 40 % 2500));
                dat.execute(insert, {day.toString(Qt::ISODate), int(n % 40 + 1),
                                     QStringLiteral("No.%1").arg(n % 100000),
                                     QStringLiteral("支付办公用品费 第%1笔").arg(n),
                                     double(n % 5000) + 0.25, 0.0, double(n) * 0.5, 1,
                                     QStringLiteral("报销人"), QStringLiteral("admin"),
                                     QStringLiteral("2020010%1").arg(n % 9 + 1)});
            }
            unit.commit();
        }
        bytes = QFileInfo(path).size();
    }
    QTemporaryDir dir;
    Tdat dat;
    qint64 bytes = 0;
};

BigLedger& ledger() {
    static BigLedger big;
    return big;
}

// The byte copy under a read transaction, made durable; its verification is measured apart.
void BM_BackupCopy(benchmark::State& state) {
    BigLedger& big = ledger();
    const QString target = QDir(big.dir.path()).filePath(QStringLiteral("copy.DAT"));
    for (auto _ : state) {
        qb::files::PrivateFile copy(target);
        qb::copyDatabase(big.dat, copy);
    }
    state.counters["MiB"] = double(big.bytes) / (1 << 20);
    state.SetBytesProcessed(state.iterations() * big.bytes);
}
BENCHMARK(BM_BackupCopy)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Opening the copy, the engine's integrity check and the row count of every table.
void BM_BackupVerify(benchmark::State& state) {
    BigLedger& big = ledger();
    const QString target = QDir(big.dir.path()).filePath(QStringLiteral("verified.DAT"));
    qb::backupDatabase(big.dat, target);
    for (auto _ : state)
        qb::verifyBackup(target, {});
    state.counters["MiB"] = double(big.bytes) / (1 << 20);
}
BENCHMARK(BM_BackupVerify)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Verification of the backup, safety copy of the current file, swap and reopening.
void BM_Restore(benchmark::State& state) {
    BigLedger& big = ledger();
    const QString source = QDir(big.dir.path()).filePath(QStringLiteral("restore-source.DAT"));
    qb::backupDatabase(big.dat, source);
    for (auto _ : state) {
        const QString safety = qb::restoreDatabase(big.dat, source);
        state.PauseTiming();
        QFile::remove(safety);
        state.ResumeTiming();
    }
    state.counters["MiB"] = double(big.bytes) / (1 << 20);
}
BENCHMARK(BM_Restore)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
