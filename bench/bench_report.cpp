// The journal printout at its largest: a 3,000-line month (about 100 pages) laid out, and
// written as a PDF file. Targets: prepare under one second, PDF under three.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "report.h"
#include "samples.h"

namespace {

const QString kTemplate = QStringLiteral(QB_TEMPLATES_DIR "/pr.rls");

void prepareJournal(benchmark::State& state) {
    qb::report::Report report;
    if (!report.load(kTemplate) || !samples::fillJournal(report)) state.SkipWithError("template");
    report.setDataSource(samples::journal(int(state.range(0))));
    for (auto _ : state) {
        report.setText("memo5", QStringLiteral("日期：2026-03"));  // forces a new layout
        if (!report.prepare()) state.SkipWithError("prepare");
    }
    state.counters["pages"] = report.pageCount();
}
BENCHMARK(prepareJournal)->Arg(3000)->Unit(benchmark::kMillisecond);

void writeJournalPdf(benchmark::State& state) {
    QTemporaryDir dir;
    qb::report::Report report;
    if (!report.load(kTemplate) || !samples::fillJournal(report)) state.SkipWithError("template");
    report.setDataSource(samples::journal(int(state.range(0))));
    if (!report.prepare()) state.SkipWithError("prepare");
    for (auto _ : state)
        if (!report.writePdf(dir.filePath("pr.pdf"))) state.SkipWithError("pdf");
    state.counters["pages"] = report.pageCount();
}
BENCHMARK(writeJournalPdf)->Arg(3000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
