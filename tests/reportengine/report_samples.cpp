// Renders each template with sample data to PDF, and takes pictures of the two previews:
// report_samples <template dir> <output dir> [journal lines] [books].
// Used by tools/report_check.sh to look at and check the output.
#include <QApplication>
#include <QDir>
#include <cstdio>

#include "preview_dialog.h"
#include "report.h"
#include "report_preview.h"
#include "samples.h"

namespace {

bool shoot(QWidget& widget, const QString& path) {
    widget.show();
    QApplication::processEvents();
    return widget.grab().save(path);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: report_samples <template dir> <output dir> [lines] [books]\n");
        return 2;
    }
    const QDir templates(args.at(1));
    const QDir out(args.at(2));
    const int lines = args.value(3, QStringLiteral("95")).toInt();
    const int books = args.value(4, QStringLiteral("40")).toInt();

    qb::report::Report journal;
    if (!journal.load(templates.filePath("pr.rls")) || !samples::fillJournal(journal)) return 1;
    journal.setDataSource(samples::journal(lines));
    if (!journal.writePdf(out.filePath("pr.pdf"))) return 1;

    qb::report::Report sheet;
    if (!sheet.load(templates.filePath("qbk.rmf")) || !samples::fillSummarySheet(sheet)) return 1;
    if (!sheet.writePdf(out.filePath("qbk.pdf"))) return 1;

    qb::report::Report table;
    if (!table.loadOrDefault(templates.filePath("zhye.rls"), qb::report::builtinBalanceTable()))
        return 1;
    table.setDataSource(samples::balances(books));
    if (!table.writePdf(out.filePath("zhye.pdf"))) return 1;

    qb::report::PreviewDialog dialog(journal);
    dialog.resize(1100, 760);
    qb::report::ReportPreview rmp;
    rmp.resize(900, 640);
    rmp.setDocument(sheet.document());
    if (!shoot(dialog, out.filePath("preview_dialog.png")) ||
        !shoot(rmp, out.filePath("embedded_preview.png")))
        return 1;
    std::printf("pr.pdf %d pages, qbk.pdf %d, zhye.pdf %d\n", journal.pageCount(),
                sheet.pageCount(), table.pageCount());
    return 0;
}
