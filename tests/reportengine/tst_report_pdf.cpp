#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "answering_messages.h"
#include "pdf_text.h"
#include "report.h"
#include "samples.h"

using qb::report::Report;

namespace {

const QString kTemplates = QStringLiteral(QB_TEMPLATES_DIR);

// Spaces removed, so that column positions do not matter.
QString squeezed(QString text) {
    return text.remove(QRegularExpression("\\s+"));
}

class ReportPdf : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    QTemporaryDir dir;
};

}  // namespace

TEST_F(ReportPdf, JournalShowsCarryLinesPageNumbersAndAmounts) {
    Report journal;
    ASSERT_TRUE(journal.load(kTemplates + "/pr.rls"));
    ASSERT_TRUE(samples::fillJournal(journal));
    journal.setDataSource(samples::journal(65));
    const QString pdf = dir.filePath("pr.pdf");
    ASSERT_TRUE(journal.writePdf(pdf));
    const QString text = squeezed(pdf_text(pdf, true));
    EXPECT_TRUE(text.contains("银行日记帐"));
    EXPECT_TRUE(text.contains("账簿：华东分公司"));
    EXPECT_TRUE(text.contains("日期：2026-03"));
    EXPECT_TRUE(text.contains("第1页共3页"));
    EXPECT_TRUE(text.contains("第3页共3页"));
    EXPECT_EQ(text.count("接下页"), 2);
    EXPECT_EQ(text.count("承上页"), 2);
    EXPECT_TRUE(text.contains("月结转余额12,500.00"));
    // Pages split on form feeds: the first ends with its carry-out line before the footer, the
    // second begins (under its headers) with the carry-in line.
    const QStringList pages = pdf_text(pdf, true).split(QChar('\f'));
    ASSERT_GE(pages.size(), 3);
    EXPECT_TRUE(squeezed(pages[0]).contains(QRegularExpression("接下页[-0-9,.]+第1页共3页$")));
    EXPECT_TRUE(squeezed(pages[1]).contains(QRegularExpression("经办人承上页")));
}

TEST_F(ReportPdf, SummarySheetAndBalanceTable) {
    Report sheet;
    ASSERT_TRUE(sheet.load(kTemplates + "/qbk.rmf"));
    ASSERT_TRUE(samples::fillSummarySheet(sheet));
    ASSERT_TRUE(sheet.writePdf(dir.filePath("qbk.pdf")));
    const QString s = squeezed(pdf_text(dir.filePath("qbk.pdf"), true));
    EXPECT_TRUE(s.contains("结存表"));
    EXPECT_TRUE(s.contains("账簿：华东分公司"));
    EXPECT_TRUE(s.contains("银行日记帐152,000.0048,000.5030,500.25169,500.25169,500.25"));
    EXPECT_TRUE(s.contains("现金日记帐3,200.001,500.002,250.802,449.202,449.20"));

    Report table;
    ASSERT_TRUE(table.load(kTemplates + "/zhye.rls"));
    table.setDataSource(samples::balances(4));
    ASSERT_TRUE(table.writePdf(dir.filePath("zhye.pdf")));
    const QString t = squeezed(pdf_text(dir.filePath("zhye.pdf"), true));
    EXPECT_TRUE(t.contains("账户余额表"));
    EXPECT_TRUE(t.contains("-350.00"));
    // 12,345.67 - 350.00 + 37,037.03 + 49,382.71
    EXPECT_TRUE(t.contains("合计98,415.41")) << t.toStdString();
    EXPECT_TRUE(t.contains("账户数量：4"));
    EXPECT_TRUE(t.contains("第1页共1页"));
}

TEST_F(ReportPdf, PdfIsForTheOwnerAloneNewOrWrittenOverAnOlderOne) {
    Report sheet;
    ASSERT_TRUE(sheet.load(kTemplates + "/qbk.rmf"));
    const QString path = dir.filePath("qbk.pdf");
    const auto ownerOnly =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    ASSERT_TRUE(sheet.writePdf(path));
    EXPECT_EQ(QFile::permissions(path), ownerOnly);
    QFile::setPermissions(path, ownerOnly | QFile::ReadGroup | QFile::ReadOther);
    ASSERT_TRUE(sheet.writePdf(path));
    EXPECT_EQ(QFile::permissions(path), ownerOnly);
}

TEST_F(ReportPdf, FailedWriteIsToldAndLeavesNoFile) {
    AnsweringMessages messages;
    Report sheet;
    ASSERT_TRUE(sheet.load(kTemplates + "/qbk.rmf"));
    const QString path = dir.filePath("missing/qbk.pdf");
    EXPECT_FALSE(sheet.writePdf(path));
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(path));
}
