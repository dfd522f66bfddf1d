// The journal printout at its largest: a 3,000-line month (about 100 pages) laid out, and
// written as a PDF file. Targets: prepare under one second, PDF under three; the register's
// whole print of such a month from the ledger to a PDF file under one second.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "fr_dat.h"
#include "journalprint.h"
#include "ledger.h"
#include "printouts.h"
#include "report.h"
#include "samples.h"
#include "templedger.h"

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

// As "打印" does it: the month staged in tmp_pr with its carry pairs, read back, laid out
// through pr.rls and written as a PDF file.
void printMonthToPdf(benchmark::State& state) {
    TempLedger ledger;
    const QDate may(2024, 5, 1);
    const QString book = ledger.cashBook(QStringLiteral("总公司"), 1000000, may);
    std::vector<qb::ledger::LineFields> lines;
    for (int i = 1; i < state.range(0); ++i) {
        qb::ledger::LineFields line;
        line.date = may.addDays(i * 30 / int(state.range(0)));
        line.voucher = i;
        line.ticket = QStringLiteral("ZP%1").arg(i);
        line.summary = QStringLiteral("日常收支 %1").arg(i);
        (i % 3 ? line.credit : line.debit) = i % 3 ? 678 : 12345;
        lines.push_back(line);
    }
    qb::ledger::insert_lines(ledger.dat, book, lines);
    int pages = 0;
    for (auto _ : state) {
        const auto printout = qb::journalprint::stage_journal(ledger.dat, book, may);
        qb::Query staged(ledger.dat);
        staged.setSql(qb::journalprint::kStagedSql);
        staged.open();
        qb::report::Report report;
        if (!qb::report::loadJournal(report, kTemplate, QStringLiteral("总公司"),
                                     QStringLiteral("现金日记帐"), may, printout))
            state.SkipWithError("template");
        report.setDataSource(std::make_shared<qb::report::QueryDataSource>(staged));
        if (!report.writePdf(ledger.tmp.filePath("pr.pdf"))) state.SkipWithError("pdf");
        pages = report.pageCount();
    }
    state.counters["pages"] = pages;
}
BENCHMARK(printMonthToPdf)->Arg(3000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
