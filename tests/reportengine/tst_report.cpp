#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "answering_messages.h"
#include "expression.h"
#include "report.h"
#include "samples.h"
#include "templedger.h"
#include "workbook_reader.h"

using qb::report::Item;
using qb::report::Report;

namespace {

const QString kTemplates = QStringLiteral(QB_TEMPLATES_DIR);

// A page of 110 mm with 10 mm margins, a 10 mm header, a 6 mm column header, a 4 mm footer and
// 10 mm detail lines: room for exactly 7 lines a page.
QByteArray smallTemplate(const QString& detailExtra = {}, const QString& summary = {}) {
    return QStringLiteral(R"(<report font="宋体" size="8">
  <page width="100" height="110" left="10" top="10" right="10" bottom="10"/>
  <band type="pageHeader" height="10"><text name="Title" x="0" y="0" w="80" h="10">标题</text></band>
  <band type="columnHeader" height="6"><text x="0" y="0" w="80" h="6">栏目</text></band>
  <band type="detail" height="10">%1<text x="0" y="0" w="40" h="10">{name}</text>
    <text x="40" y="0" w="40" h="10" align="right">{amount|#,##0.00}</text></band>
  %2
  <band type="pageFooter" height="4"><text x="0" y="0" w="80" h="4">第 {page} 页 共 {pages} 页</text></band>
</report>)")
        .arg(detailExtra, summary)
        .toUtf8();
}

std::shared_ptr<qb::report::TableDataSource> rows(int n, int markEvery = 0) {
    auto source = std::make_shared<qb::report::TableDataSource>(QStringList{"name", "amount"});
    for (int i = 1; i <= n; ++i)
        source->addRow({markEvery && i % markEvery == 0 ? QStringLiteral("分页%1").arg(i)
                                                        : QStringLiteral("行%1").arg(i),
                        i * 1.01});
    return source;
}

// The texts of a page, top to bottom as laid out.
QStringList texts(const Report& report, int page) {
    QStringList out;
    for (const Item& item : report.document()->pages.at(page).items)
        if (item.kind == Item::Kind::Text) out << item.text;
    return out;
}

QStringList detailNames(const Report& report, int page) {
    return texts(report, page).filter(QRegularExpression(QStringLiteral("^(行|分页)")));
}

}  // namespace

TEST(ReportLayout, DetailLinesFillPagesWholeAndHeadersRepeat) {
    AnsweringMessages messages;
    Report report;
    ASSERT_TRUE(report.loadXml(smallTemplate(), "small"));
    report.setDataSource(rows(15));
    ASSERT_TRUE(report.prepare());
    ASSERT_EQ(report.pageCount(), 3);
    EXPECT_EQ(detailNames(report, 0).size(), 7);
    EXPECT_EQ(detailNames(report, 1).size(), 7);
    EXPECT_EQ(detailNames(report, 2), QStringList{"行15"});
    for (int p = 0; p < 3; ++p) {
        const QStringList t = texts(report, p);
        EXPECT_EQ(t.first(), "标题") << p;
        EXPECT_EQ(t.at(1), "栏目") << p;
        EXPECT_TRUE(t.contains(QStringLiteral("第 %1 页 共 3 页").arg(p + 1))) << p;
        // Every item lies inside the paper's printable height: nothing is cut at the bottom.
        for (const Item& item : report.document()->pages[p].items)
            EXPECT_LE(item.mm.bottom(), 100.0 + 1e-9);
    }
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST(ReportLayout, BreakConditionEndsThePageAfterTheMatchingLine) {
    Report report;
    ASSERT_TRUE(
        report.loadXml(smallTemplate(R"(<breakAfter field="name" startsWith="分页"/>)"), "b"));
    report.setDataSource(rows(9, 3));  // lines 3, 6 and 9 ask for a break
    ASSERT_TRUE(report.prepare());
    // The last line's break would only make an empty page: there is none.
    ASSERT_EQ(report.pageCount(), 3);
    EXPECT_EQ(detailNames(report, 0), (QStringList{"行1", "行2", "分页3"}));
    EXPECT_EQ(detailNames(report, 2), (QStringList{"行7", "行8", "分页9"}));
}

TEST(ReportLayout, SummaryGoesOnANewPageWhenTheLastHasNoRoom) {
    const QString summary = QStringLiteral(
        R"(<band type="summary" height="15"><text x="0" y="0" w="80" h="7">合计 {sum(amount)|#,##0.00} 共 {count} 行</text></band>)");
    Report report;
    ASSERT_TRUE(report.loadXml(smallTemplate({}, summary), "s"));
    report.setDataSource(rows(6));  // 60 mm of 70: the 15 mm summary does not fit
    ASSERT_TRUE(report.prepare());
    ASSERT_EQ(report.pageCount(), 2);
    EXPECT_TRUE(texts(report, 1).contains("合计 21.21 共 6 行"));
    report.setDataSource(rows(5));
    ASSERT_TRUE(report.prepare());
    EXPECT_EQ(report.pageCount(), 1);
}

TEST(ReportLayout, EmptyDataStillGivesOnePageWithHeaders) {
    Report report;
    ASSERT_TRUE(report.loadXml(smallTemplate(), "e"));
    ASSERT_TRUE(report.prepare());
    ASSERT_EQ(report.pageCount(), 1);
    EXPECT_TRUE(texts(report, 0).contains("第 1 页 共 1 页"));
}

TEST(ReportLayout, BandTallerThanThePageIsRefused) {
    AnsweringMessages messages;
    QByteArray xml = smallTemplate();
    xml.replace(R"(type="detail" height="10")", R"(type="detail" height="75")");
    xml.replace(R"(h="10">{name})", R"(h="75">{name})");
    xml.replace(R"(h="10" align="right")", R"(h="75" align="right")");
    Report report;
    ASSERT_TRUE(report.loadXml(xml, "tall"));
    EXPECT_FALSE(report.prepare());
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains("一页放不下")) << messages.texts[0].toStdString();
}

TEST(ReportTemplate, MissingFileBrokenFileUnknownObjectAndField) {
    AnsweringMessages messages;
    QTemporaryDir dir;
    Report report;
    EXPECT_FALSE(report.load(dir.filePath("pr.rls")));
    EXPECT_FALSE(report.loaded());
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains("找不到报表模板文件"));
    EXPECT_TRUE(messages.texts[0].contains("pr.rls"));

    QFile broken(dir.filePath("broken.rls"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("<report>\n<band type=\"detail\" height=\"5\">\n<text x=\"0\" h=\"5\">x</text>");
    broken.close();
    EXPECT_FALSE(report.load(broken.fileName()));
    EXPECT_TRUE(messages.texts.last().contains("第3行")) << messages.texts.last().toStdString();

    EXPECT_FALSE(report.setText("memo3", "x"));  // nothing loaded: told, no crash
    ASSERT_TRUE(report.loadXml(smallTemplate(), "small.rls"));
    EXPECT_FALSE(report.setText("memo99", "x"));
    EXPECT_TRUE(messages.texts.last().contains("memo99"));
    EXPECT_TRUE(messages.texts.last().contains("small.rls"));

    auto other = std::make_shared<qb::report::TableDataSource>(QStringList{"name"});
    report.setDataSource(other);
    EXPECT_FALSE(report.prepare());
    EXPECT_TRUE(messages.texts.last().contains("amount"));
    EXPECT_FALSE(report.document());
}

TEST(ReportTemplate, NamedObjectsAreFoundWithoutRegardToCaseAndTakePlainText) {
    Report report;
    ASSERT_TRUE(report.loadXml(smallTemplate(), "small"));
    EXPECT_TRUE(report.hasObject("title"));
    EXPECT_EQ(report.text("Title"), "标题");
    // Braces from the caller's data are text, never placeholders.
    ASSERT_TRUE(report.setText("TITLE", "账簿：{page} 公司"));
    ASSERT_TRUE(report.prepare());
    EXPECT_EQ(texts(report, 0).first(), "账簿：{page} 公司");
}

TEST(ReportTemplate, ShippedTemplatesHoldTheObjectsTheProgramFills) {
    Report sheet;
    ASSERT_TRUE(sheet.load(kTemplates + "/qbk.rmf"));
    EXPECT_TRUE(samples::fillSummarySheet(sheet));
    Report journal;
    ASSERT_TRUE(journal.load(kTemplates + "/pr.rls"));
    EXPECT_TRUE(samples::fillJournal(journal));
    // The compiled-in balance table is the shipped file, taken silently when the file is gone.
    QFile file(kTemplates + "/zhye.rls");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), qb::report::builtinBalanceTable());
    AnsweringMessages messages;
    Report table;
    EXPECT_TRUE(table.loadOrDefault("/nonexistent/zhye.rls", qb::report::builtinBalanceTable()));
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST(ReportFormat, AmountsAreExactCentsWhetherNumberOrText) {
    using qb::report::formatValue;
    EXPECT_EQ(formatValue(1234567.891 - 0.001, "#,##0.00"), "1,234,567.89");
    EXPECT_EQ(formatValue(0.1 + 0.2, "#,##0.00"), "0.30");
    EXPECT_EQ(formatValue(-1234.5, "#,##0.00"), "-1,234.50");
    EXPECT_EQ(formatValue(QStringLiteral("-987654.30"), "#,##0.00"), "-987,654.30");
    EXPECT_EQ(formatValue(1234.5, "0.00"), "1234.50");
    EXPECT_EQ(formatValue(0.0, "#,##0.00", true), "");
    EXPECT_EQ(formatValue(0.0, "#,##0.00"), "0.00");
    EXPECT_EQ(formatValue(QVariant(), "#,##0.00"), "");
    EXPECT_EQ(formatValue(QStringLiteral("未结"), "#,##0.00"), "未结");
    EXPECT_EQ(formatValue(QStringLiteral("2026-03-05"), "yyyy年MM月dd日"), "2026年03月05日");
    EXPECT_EQ(formatValue(7.0, ""), "7");
    EXPECT_EQ(formatValue(0, "0", true), "");

    // Column sums add cents, not doubles: a thousand 0.10 texts make exactly 100.00.
    auto tenths = std::make_shared<qb::report::TableDataSource>(QStringList{"ye"});
    for (int i = 0; i < 1000; ++i)
        tenths->addRow({QStringLiteral("0.10")});
    QString error;
    auto sum = qb::report::Expression::compile("{sum(ye)|#,##0.00} {sum(#0)|0.00} {count}",
                                               tenths.get(), &error);
    ASSERT_TRUE(sum) << error.toStdString();
    EXPECT_EQ(sum->evaluate({}), "100.00 100.00 1000");
    EXPECT_FALSE(qb::report::Expression::compile("{zy", tenths.get(), &error));
    EXPECT_FALSE(qb::report::Expression::compile("{#7}", tenths.get(), &error));
}

TEST(ReportJournal, EveryPageEndsWithItsCarryOutAndTheNextBeginsWithItsCarryIn) {
    Report journal;
    ASSERT_TRUE(journal.load(kTemplates + "/pr.rls"));
    ASSERT_TRUE(samples::fillJournal(journal));
    journal.setDataSource(samples::journal(95));  // carry pairs before lines 30, 60 and 90
    ASSERT_TRUE(journal.prepare());
    ASSERT_EQ(journal.pageCount(), 4);
    for (int p = 0; p < 4; ++p) {
        const QStringList summaries =
            texts(journal, p).filter(QRegularExpression(QStringLiteral("^ {31}[接承]")));
        const QStringList all = texts(journal, p);
        EXPECT_TRUE(all.contains(QStringLiteral("第 %1 页 共 4 页").arg(p + 1)));
        EXPECT_EQ(all.first(), "银行日记帐");
        if (p > 0) {
            EXPECT_EQ(summaries.first(), QString::fromUtf8(samples::kCarryIn)) << p;
        }
        if (p < 3) {
            EXPECT_EQ(summaries.last(), QString::fromUtf8(samples::kCarryOut)) << p;
        }
    }
    // A carry line prints only its summary and amounts.
    const QStringList page2 = texts(journal, 1);
    const qsizetype in = page2.indexOf(QString::fromUtf8(samples::kCarryIn));
    ASSERT_GT(in, 0);
    EXPECT_TRUE(page2.at(in - 1).isEmpty() && page2.at(in - 2).isEmpty() &&
                page2.at(in - 3).isEmpty());
    EXPECT_TRUE(page2.at(in + 4).isEmpty() && page2.at(in + 5).isEmpty());
}

TEST(ReportData, QueryOverTheStagingTableFeedsTheDetailBandInItsOrder) {
    TempLedger ledger;
    for (int i = 3; i >= 1; --i)
        ledger.dat.execute(
            "insert into tmp_pr(sn,dzrq,pzh,zy,j_je,d_je,y_je) values(?,?,?,?,?,?,?)",
            {i, "2026-03-0" + QString::number(i), i, QStringLiteral("第%1笔").arg(i), 1000.5 * i,
             0.0, 1000.5 * i});
    qb::Query query(ledger.dat);
    query.setSql("select * from tmp_pr order by sn");
    query.open();
    Report journal;
    ASSERT_TRUE(journal.load(kTemplates + "/pr.rls"));
    journal.setDataSource(std::make_shared<qb::report::QueryDataSource>(query));
    ASSERT_TRUE(journal.prepare());
    const QStringList t = texts(journal, 0);
    const qsizetype first = t.indexOf("第1笔");
    ASSERT_GE(first, 0);
    EXPECT_EQ(t.at(first - 3), "2026-03-01");
    EXPECT_EQ(t.at(first + 1), "1,000.50");
    EXPECT_EQ(t.indexOf("第2笔"), first + 10);
    EXPECT_EQ(t.indexOf("第3笔"), first + 20);
    EXPECT_EQ(t.at(first + 20 + 1), "3,001.50");
}

TEST(ReportWorkbook, BalanceTableBecomesASheetOfTypedRows) {
    Report table;
    ASSERT_TRUE(table.load(kTemplates + "/zhye.rls"));
    table.setDataSource(samples::balances(4));
    EXPECT_EQ(table.workbookName(), "账户余额表.xlsx");
    QTemporaryDir dir;
    ASSERT_TRUE(table.writeWorkbook(dir.filePath("t.xlsx")));
    const QJsonObject book = readWorkbook(dir.filePath("t.xlsx"));
    ASSERT_FALSE(book.contains("error")) << book["error"].toString().toStdString();
    const QJsonObject cells = book["cells"].toObject();
    auto v = [&](const char* cell) { return cells[cell]["v"]; };
    EXPECT_EQ(book["sheets"][0], "账户余额表");
    EXPECT_EQ(v("A1"), "账户余额表");
    EXPECT_EQ(v("A2"), "金额单位：元");  // title lines, each a row; the page footer stays out
    EXPECT_EQ(v("A3"), "序号");
    EXPECT_EQ(v("E3"), "账簿余额");
    EXPECT_EQ(v("A4"), 1);
    EXPECT_EQ(v("C4"), "华东分公司1");
    EXPECT_EQ(v("E5"), -350);
    EXPECT_EQ(cells["E5"]["fmt"], "#,##0.00");
    EXPECT_EQ(v("A8"), "合    计");
    EXPECT_EQ(v("E8"), 98415.41);  // 12,345.67 - 350.00 + 37,037.03 + 49,382.71
    EXPECT_EQ(v("A9"), "账户数量：4");
    EXPECT_EQ(book["maxRow"], 9);
    EXPECT_GT(book["widths"]["C"].toDouble(), book["widths"]["A"].toDouble());
}
