// Handing out the next blank cheque on a server ledger with eight cashiers at once: each takes
// leaves until none is left; every leaf must go to exactly one of them. Needs a server: `make
// bench` runs this beside the throwaway test cluster (QB_TEST_SERVER).
#include <benchmark/benchmark.h>

#include <QSet>
#include <mutex>
#include <thread>

#include "cheques.h"
#include "engine.h"
#include "errors.h"
#include "fr_dat.h"
#include "ledger.h"
#include "schema.h"

namespace {

const QString kDatabase = QStringLiteral("quillbook_bench_cheques");
constexpr int kCashiers = 8;
constexpr int kLeaves = 1000;

QString connection() {
    return qEnvironmentVariable("QB_TEST_SERVER") + QStringLiteral(" dbname=") + kDatabase;
}

// A new server ledger with a bank book and one cheque book of kLeaves leaves; its id.
QString makeLedger() {
    auto admin = qb::engine::openPostgres(qEnvironmentVariable("QB_TEST_SERVER"));
    admin->execute(QStringLiteral("drop database if exists %1 with (force)").arg(kDatabase));
    admin->execute(QStringLiteral("create database %1").arg(kDatabase));
    qb::createServerLedger(connection(), QStringLiteral("admin"), QStringLiteral("admin"));
    Tdat dat;
    dat.openServer(connection());
    const QDate start(2026, 1, 1);
    const QString book = qb::ledger::add_book(
        dat, {QStringLiteral("银行日记帐"), QStringLiteral("本部"), {}, 0, start});
    qb::cheques::add_cheque_book(dat, book, qb::cheques::kTransferCheque,
                                 QStringLiteral("10000001"), QString::number(10000000 + kLeaves),
                                 start, QStringLiteral("admin"));
    return book;
}

void BM_NextLeafEightCashiers(benchmark::State& state) {
    if (qEnvironmentVariableIsEmpty("QB_TEST_SERVER")) {
        state.SkipWithError("no test server (run beside tools/pg_test_cluster.sh)");
        return;
    }
    int duplicates = 0, handedOut = 0, failures = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString book = makeLedger();
        QSet<QString> seen;
        std::mutex guard;
        state.ResumeTiming();
        std::vector<std::thread> cashiers;
        for (int c = 0; c < kCashiers; ++c)
            cashiers.emplace_back([&, c] {
                Tdat dat;
                dat.openServer(connection());
                const QString name = QStringLiteral("出纳%1").arg(c + 1);
                for (;;) {
                    QString serial;
                    try {
                        serial = qb::cheques::take_next(dat, book, qb::cheques::kTransferCheque,
                                                        {name, {}, 0}, name)
                                     .serial;
                    } catch (const qb::DbError& e) {
                        // None left ends the run; a conflict is tried again.
                        if (e.message().contains(QStringLiteral("没有空白"))) return;
                        const std::lock_guard lock(guard);
                        ++failures;
                        continue;
                    }
                    const std::lock_guard lock(guard);
                    ++handedOut;
                    if (seen.contains(serial)) ++duplicates;
                    seen.insert(serial);
                }
            });
        for (std::thread& t : cashiers)
            t.join();
    }
    state.counters["leaves"] = double(handedOut) / double(state.iterations());
    state.counters["duplicates"] = duplicates;
    state.counters["retried"] = failures;
    if (duplicates || handedOut != kLeaves * int(state.iterations()))
        state.SkipWithError("a leaf went to two cashiers, or one was never handed out");
}
BENCHMARK(BM_NextLeafEightCashiers)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
