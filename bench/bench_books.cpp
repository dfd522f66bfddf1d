// How long the book list takes to load and to appear with 500 books.
#include <benchmark/benchmark.h>

#include "fr_dat.h"
#include "session.h"
#include "templedger.h"
#include "zbgl.h"

namespace {

void fillBooks(Tdat& dat, int count) {
    const QStringList categories{"现金日记帐", "银行日记帐", "银行卡"};
    qb::Transaction unit(dat);
    for (int i = 1; i <= count; ++i)
        dat.execute("insert into accstar(zbid,zblb,zbmc,zh,qcye,flag,qyrq) values(?,?,?,?,?,?,?)",
                    {QStringLiteral("2024%1").arg(i, 4, 10, QLatin1Char('0')), categories[i % 3],
                     QStringLiteral("往来银行账户第%1号").arg(i),
                     QStringLiteral("6222 0200 %1").arg(i, 6, 10, QLatin1Char('0')), i * 1234.56,
                     i % 2 ? "1" : "0", "2024-03-15"});
    unit.commit();
}

// load_dat alone: the query and the list rows.
void BM_BookListReload(benchmark::State& state) {
    TempLedger ledger;
    fillBooks(ledger.dat, int(state.range(0)));
    Session session(ledger.dat);
    Tfr_zbgl window(session);
    for (auto _ : state)
        window.load_dat();
}
BENCHMARK(BM_BookListReload)->Arg(500)->Unit(benchmark::kMillisecond);

// What the cashier waits for: the window made, loaded and painted once.
void BM_BookListOpen(benchmark::State& state) {
    TempLedger ledger;
    fillBooks(ledger.dat, int(state.range(0)));
    Session session(ledger.dat);
    for (auto _ : state) {
        Tfr_zbgl window(session);
        benchmark::DoNotOptimize(window.grab());
    }
}
BENCHMARK(BM_BookListOpen)->Arg(500)->Unit(benchmark::kMillisecond);

}  // namespace
