// Start-up to the login panel, without the splash pause: splash, main window, data module opened
// on a sample database, main window shown maximized with the login panel and the user names.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>

#include "sample.h"
#include "startup.h"
#include "templedger.h"

namespace {

void BM_StartToLoginPanel(benchmark::State& state) {
    QString dir;
    {
        TempLedger ledger;
        qb::sample::Options options;
        options.books = int(state.range(0));
        options.months = 12;
        options.linesPerMonth = 40;
        const qb::sample::Result made = qb::sample::generate(ledger.dat, options);
        state.counters["lines"] = double(made.lines);
        ledger.dat.close();
        ledger.tmp.setAutoRemove(false);
        dir = ledger.dir();
    }
    QDir::setCurrent(dir);
    for (auto _ : state) {
        auto shell = start_shell(StartOptions{0, nullptr, nullptr, nullptr, nullptr});
        QApplication::processEvents();  // lay out and paint the main window
        if (shell->main->findChild<QComboBox*>("ComboBox1")->count() == 0)
            state.SkipWithError("no user names listed");
        state.PauseTiming();
        shell.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    QDir(dir).removeRecursively();
}
// The first start of the process pays for loading fonts, style and icons once: measured alone.
BENCHMARK(BM_StartToLoginPanel)
    ->Name("BM_FirstStartInProcess")
    ->Arg(6)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartToLoginPanel)->Arg(6)->Arg(60)->Unit(benchmark::kMillisecond);

}  // namespace
