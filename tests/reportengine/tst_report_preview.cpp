#include <QComboBox>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "answering_messages.h"
#include "pdf_text.h"
#include "preview_dialog.h"
#include "report.h"
#include "report_preview.h"
#include "samples.h"
#include "workbook_reader.h"

using namespace qb::report;

namespace {
const QString kTemplates = QStringLiteral(QB_TEMPLATES_DIR);

// A PDF's text, spaces and line ends removed.
QString pdfText(const QString& pdf) {
    return pdf_text(pdf).remove(QRegularExpression("\\s+"));
}
}  // namespace

class TstReportPreview : public QObject {
    Q_OBJECT

private slots:
    void init() {
        saved_ = asking();
        QVERIFY(journal_.load(kTemplates + "/pr.rls"));
        QVERIFY(samples::fillJournal(journal_));
        journal_.setDataSource(samples::journal(95));
    }
    void cleanup() { asking() = saved_; }

    // The register's summary sheet: shown embedded, printed through the print dialog.
    void embeddedPreviewShowsAndPrintsTheSheet() {
        Report sheet;
        QVERIFY(sheet.load(kTemplates + "/qbk.rmf"));
        QVERIFY(samples::fillSummarySheet(sheet));
        ReportPreview rmp;
        rmp.setObjectName("rmp");
        rmp.resize(800, 600);
        rmp.show();
        QVERIFY(rmp.showReport(sheet));
        QCOMPARE(rmp.pageCount(), 1);
        // The sheet is painted: its ruled lines and texts darken the white paper.
        const QImage shot = rmp.widget()->grab().toImage();
        int dark = 0;
        for (int y = 0; y < shot.height(); y += 2)
            for (int x = 0; x < shot.width(); x += 2)
                dark += qGray(shot.pixel(x, y)) < 60;
        QVERIFY(dark > 500);

        QTemporaryDir dir;
        const QString pdf = dir.filePath("printed.pdf");
        int asked = 0;
        asking().printDialog = [&](QPrinter& printer, QWidget* parent) {
            ++asked;
            [&] { QCOMPARE(parent, &rmp); }();
            printer.setOutputFileName(pdf);  // a PDF printer stands in for paper
            return true;
        };
        QVERIFY(rmp.print());
        QCOMPARE(asked, 1);
        QVERIFY(pdfText(pdf).contains("银行日记帐152,000.0048,000.50"));

        asking().printDialog = [](QPrinter&, QWidget*) { return false; };
        QVERIFY(!rmp.print());  // cancelled
        rmp.clear();
        QVERIFY(!rmp.print());  // nothing shown: no dialog
    }

    void printingHonoursThePageRange() {
        ReportPreview preview;
        QVERIFY(preview.showReport(journal_));
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(dir.filePath("range.pdf"));
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(2, 3);
        QVERIFY(preview.printTo(printer));
        const QString text = pdfText(dir.filePath("range.pdf"));
        QVERIFY(text.contains("第2页共4页") && text.contains("第3页共4页"));
        QVERIFY(!text.contains("第1页") && !text.contains("第4页"));
    }

    void failedPrepareKeepsWhatWasShown() {
        AnsweringMessages messages;
        ReportPreview rmp;
        QVERIFY(rmp.showReport(journal_));
        auto shown = rmp.document();
        Report unloaded;
        QVERIFY(!rmp.showReport(unloaded));
        QCOMPARE(rmp.document(), shown);
        QCOMPARE(messages.texts.size(), 1);
    }

    void zoomFindAndPages() {
        ReportPreview preview;
        preview.resize(900, 700);
        preview.show();
        QVERIFY(preview.showReport(journal_));
        QCOMPARE(preview.pageCount(), 4);
        preview.setZoom(1.0);
        const int tall = preview.widget()->height();
        preview.setZoom(0.5);
        QVERIFY(preview.widget()->height() < tall * 0.6);
        preview.fitWidth();
        QVERIFY(qAbs(preview.widget()->width() - preview.viewport()->width()) < 30);

        preview.setZoom(1.0);
        preview.showPage(2);
        QCOMPARE(preview.currentPage(), 2);
        // Finds walk through the hits page by page, bring each into view and wrap round.
        for (int page : {1, 2, 3, 1}) {
            QVERIFY(preview.findNext("承  上  页"));
            QCOMPARE(preview.lastHit().first, page);
            // A carry-in line sits at the top of its page: in view, the page or the one
            // before it is at the top of the view.
            QVERIFY(preview.currentPage() == page || preview.currentPage() == page - 1);
        }
        QVERIFY(!preview.findNext("没有这句话"));
    }

    void previewWindowCommands() {
        AnsweringMessages messages;
        QVERIFY(journal_.prepare());
        PreviewDialog dialog(journal_);
        dialog.show();
        auto* label = dialog.findChild<QLabel*>("pageLabel");
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("第 1 页 共 4 页"));
        for (const char* name : {"zoom", "firstPage", "priorPage", "nextPage", "lastPage",
                                 "pageSetup", "print", "findText", "find", "savePdf", "close"})
            QVERIFY2(dialog.findChild<QWidget*>(name), name);
        // "导出Excel" writes the report's rows into a workbook, or does what the caller asks.
        QTemporaryDir dir;
        asking().workbookFileName = [&](QWidget*, const QString& suggested) {
            [&] { QCOMPARE(suggested, QStringLiteral("银行日记帐.xlsx")); }();
            return dir.filePath("saved.xlsx");
        };
        auto* workbook = dialog.findChild<QToolButton*>("saveWorkbook");
        QVERIFY(workbook && !workbook->isHidden());
        workbook->click();
        const QJsonObject book = readWorkbook(dir.filePath("saved.xlsx"));
        QCOMPARE(book["cells"]["D3"]["v"].toString(), QStringLiteral("摘要"));
        // The headers once, the lines, the carry pairs and the three lines of the totals (the
        // month, the cumulative sums, the year to date).
        QCOMPARE(book["maxRow"].toInt(), 3 + 95 + 6 + 3);
        int exported = 0;
        dialog.setWorkbookExport([&] { ++exported; });
        workbook->click();
        QCOMPARE(exported, 1);
        dialog.setWorkbookExport({});
        QVERIFY(workbook->isHidden());

        dialog.findChild<QToolButton*>("lastPage")->click();
        QCOMPARE(label->text(), QStringLiteral("第 4 页 共 4 页"));

        dialog.findChild<QLineEdit*>("findText")->setText("没有这句话");
        dialog.findChild<QToolButton*>("find")->click();
        QCOMPARE(messages.texts, QStringList{"没有找到“没有这句话”"});

        asking().pdfFileName = [&](QWidget*, const QString& suggested) {
            [&] { QCOMPARE(suggested, QStringLiteral("pr.pdf")); }();
            return dir.filePath("saved.pdf");
        };
        dialog.findChild<QToolButton*>("savePdf")->click();
        QVERIFY(pdfText(dir.filePath("saved.pdf")).contains("第4页共4页"));

        // Portrait paper holds more lines, but every page still ends at its carry line.
        asking().pageSetupDialog = [](QPrinter& printer, QWidget*) {
            printer.setPageOrientation(QPageLayout::Portrait);
            return true;
        };
        dialog.findChild<QToolButton*>("pageSetup")->click();
        QCOMPARE(journal_.pageLayout().orientation(), QPageLayout::Portrait);
        QCOMPARE(dialog.preview()->pageCount(), 4);
        QCOMPARE(dialog.preview()->document()->layout.orientation(), QPageLayout::Portrait);
        // The landscape columns are scaled down to the narrower paper, not cut off.
        const double right = 210 - journal_.pageLayout().margins(QPageLayout::Millimeter).right();
        for (const Page& page : dialog.preview()->document()->pages)
            for (const Item& item : page.items)
                QVERIFY(item.mm.right() <= right + 1e-6);
    }

    void modalPreviewRunsThroughTheHook() {
        AnsweringMessages messages;
        int ran = 0;
        asking().runModal = [&](QDialog& dialog) {
            ++ran;
            [&] { QCOMPARE(dialog.windowTitle(), QStringLiteral("打印预览 - 日记帐")); }();
            return 0;
        };
        QVERIFY(showPreview(journal_, nullptr, "打印预览 - 日记帐"));
        QCOMPARE(ran, 1);
        Report missing;
        QVERIFY(!missing.load(kTemplates + "/nothing.rls"));
        QVERIFY(!showPreview(missing, nullptr, {}));
        QCOMPARE(ran, 1);  // no preview without a template
        QCOMPARE(messages.texts.size(), 2);
    }

    // "保存" keeps the pages on show; "打开" shows them again as they were, in any preview, to
    // print or save as PDF; page setup, which needs the template, stays off for them.
    void savedReportOpensAgainAsItWas() {
        AnsweringMessages messages;
        QVERIFY(journal_.prepare());
        QTemporaryDir dir;
        QString opened = dir.filePath("kept.qbr");
        asking().reportFileName = [&](QWidget*, const QString& suggested, bool saving) {
            if (!saving) return opened;
            [&] { QCOMPARE(suggested, QStringLiteral("pr.qbr")); }();
            return dir.filePath("kept");  // the suffix is added
        };
        PreviewDialog first(journal_);
        first.findChild<QToolButton*>("saveReport")->click();

        Report table;
        QVERIFY(table.loadOrDefault(kTemplates + "/zhye.rls", builtinBalanceTable()));
        table.setDataSource(samples::balances(3));
        QVERIFY(table.prepare());
        PreviewDialog second(table);
        second.findChild<QToolButton*>("openReport")->click();
        QCOMPARE(second.preview()->pageCount(), 4);
        QCOMPARE(second.preview()->document()->find("承  上  页").size(), 3u);
        QVERIFY(!second.findChild<QToolButton*>("pageSetup")->isEnabled());
        asking().pdfFileName = [&](QWidget*, const QString& suggested) {
            [&] { QCOMPARE(suggested, QStringLiteral("kept.pdf")); }();
            return dir.filePath("kept.pdf");
        };
        second.findChild<QToolButton*>("savePdf")->click();
        QVERIFY(pdfText(dir.filePath("kept.pdf")).contains("第4页共4页"));

        opened = dir.filePath("kept.pdf");  // no prepared report: told, the pages stay
        second.findChild<QToolButton*>("openReport")->click();
        QCOMPARE(messages.texts.size(), 1);
        QCOMPARE(second.preview()->pageCount(), 4);
    }

private:
    Report journal_;
    Asking saved_;
};

QTEST_MAIN(TstReportPreview)
#include "tst_report_preview.moc"
