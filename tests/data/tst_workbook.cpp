// The workbook export, read back by another program (openpyxl) as a cashier's spreadsheet would.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include "errors.h"
#include "fr_dat.h"
#include "gymk_export.h"
#include "ledger.h"
#include "templedger.h"
#include "workbook.h"
#include "workbook_reader.h"

namespace {

const QString kBook = QStringLiteral("B1");
const gymk::SheetHeadings kHeadings{QStringLiteral("现金日记帐"), QStringLiteral("甲公司")};

struct Export : TempLedger {
    Export() { QFile::copy(QStringLiteral(QB_WORKBOOK_TEMPLATE), dir() + "/ExcelF.dat"); }
    QString workbook() const { return dir() + "/qbk.xls"; }
    // Exports the month of the date: the opening row on its first day and the given lines.
    QString month(const QDate& date, int lines) {
        const QString first = date.toString("yyyy-MM-01");
        line(kBook, first, 0, "期初余额", 0, 0, 500);
        for (int i = 1; i <= lines; ++i)
            line(kBook, date.toString("yyyy-MM-%1").arg(i + 1, 2, 10, QChar('0')), i,
                 QStringLiteral("收款 %1").arg(i), 100 * i, 0, 500 + 100 * i);
        return exportMonth(date);
    }
    QString exportMonth(const QDate& date) {
        const qb::ledger::MonthSql view = qb::ledger::month_view(kBook, date);
        qb::Query q(dat);
        q.setSql(view.sql, view.params);
        q.open();
        return gymk::export_to_excel(q, kHeadings, dir());
    }
    QJsonObject cells() {
        const QJsonObject book = readWorkbook(workbook());
        EXPECT_FALSE(book.contains("error")) << book["error"].toString().toStdString();
        return book;
    }
};

QJsonValue value(const QJsonObject& book, const char* cell) {
    return book["cells"][cell]["v"];
}

}  // namespace

TEST(WorkbookExport, MonthGoesIntoACopyOfTheTemplateWithItsLayout) {
    Export e;
    const QByteArray model = [&] {
        QFile f(e.dir() + "/ExcelF.dat");
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    e.line(kBook, "2024-05-01", 0, "期初余额", 0, 0, 500);
    const qint64 quoted = e.line(kBook, "2024-05-03", 1, "付\"O'Brien\"运费 𠮷😀", 0, 12.5, 487.5);
    e.dat.execute("update crereg set ph='007',bxr=?,pzn=2 where rowid=?", {"李\x01四", quoted});
    e.line(kBook, "2024-05-09", 2, "=1+1", 1234567.89, 0, 1235055.39);
    EXPECT_EQ(e.exportMonth(QDate(2024, 5, 20)), e.workbook());

    const QJsonObject book = e.cells();
    EXPECT_EQ(value(book, "A1"), "现金日记帐");
    EXPECT_EQ(value(book, "A2"), "账簿：甲公司");
    EXPECT_EQ(value(book, "A3"), "记账日期");  // the template's column titles
    EXPECT_EQ(value(book, "J2"), "金额单位：元");
    EXPECT_EQ(book["cells"]["A5"].toObject(), QJsonObject({{"v", "2024-05-03"},
                                                           {"t", "d"},
                                                           {"fmt", "yyyy-mm-dd"},
                                                           {"bold", false},
                                                           {"fill", ""}}));
    EXPECT_EQ(value(book, "B5"), 1);
    EXPECT_EQ(value(book, "C5"), "007");
    EXPECT_EQ(value(book, "D5"), "付\"O'Brien\"运费 𠮷😀");  // beyond the basic plane, as written
    EXPECT_EQ(value(book, "E5"), 0);
    EXPECT_EQ(value(book, "F5"), 12.5);
    EXPECT_EQ(book["cells"]["F5"]["fmt"], "#,##0.00");
    EXPECT_EQ(value(book, "H5"), 2);
    EXPECT_EQ(value(book, "I5"), "李_x0001_四");  // a control character, escaped
    EXPECT_EQ(book["cells"]["D6"]["t"], "s");     // text, never a formula
    EXPECT_EQ(value(book, "E6"), 1234567.89);
    EXPECT_EQ(value(book, "G6"), 1235055.39);
    EXPECT_FALSE(book["cells"].toObject().contains("K4"));  // the book id stays out
    EXPECT_EQ(book["maxRow"], 6);
    EXPECT_TRUE(book["merged"].toArray().contains("A1:J1"));
    EXPECT_EQ(book["widths"]["D"], 36);
    EXPECT_EQ(book["freeze"], "A4");
    EXPECT_EQ(book["names"]["导出区域"], "'日记帐'!$A$4:$J$6");
    QFile after(e.dir() + "/ExcelF.dat");
    after.open(QIODevice::ReadOnly);
    EXPECT_EQ(after.readAll(), model);
}

TEST(WorkbookExport, LaterExportsClearWhatLongerOnesLeftAndKeepTheCashiersFormatting) {
    Export e;
    e.month(QDate(2024, 4, 1), 5);  // rows 4 to 9
    // The cashier works on the workbook: a fill, a note beside the lines, a wider column, a
    // second sheet, and a row of the month marked in yellow.
    ASSERT_EQ(editWorkbook(e.workbook(),
                           "yellow = PatternFill('solid', fgColor='FFFFFF00')\n"
                           "ws['D5'].fill = yellow\n"
                           "ws['D8'].fill = yellow\n"
                           "ws['L2'] = '审核：王'\n"
                           "ws.column_dimensions['D'].width = 50\n"
                           "wb.create_sheet('备注')\n"),
              "");
    e.month(QDate(2024, 5, 1), 2);  // rows 4 to 6
    const QJsonObject book = e.cells();
    EXPECT_EQ(value(book, "D5"), "收款 1");
    EXPECT_EQ(book["cells"]["D5"]["fill"], "FFFFFF00");
    EXPECT_EQ(value(book, "A6"), "2024-05-03");
    for (const char* gone : {"A7", "D7", "G9", "J9"})
        EXPECT_FALSE(book["cells"].toObject().contains(gone)) << gone;
    // Cleared cells lose the month's formatting, but not the cashier's own.
    EXPECT_TRUE(book["styled"].toArray().contains("D8"));
    EXPECT_FALSE(book["styled"].toArray().contains("E8"));
    EXPECT_EQ(value(book, "L2"), "审核：王");
    EXPECT_EQ(book["widths"]["D"], 50);
    EXPECT_EQ(book["sheets"].toArray(), QJsonArray({"日记帐", "备注"}));
    EXPECT_EQ(book["names"]["导出区域"], "'日记帐'!$A$4:$J$6");

    e.exportMonth(QDate(2024, 6, 1));  // a month without lines
    const QJsonObject empty = e.cells();
    EXPECT_EQ(value(empty, "A2"), "账簿：甲公司");
    for (const char* gone : {"A4", "D5", "A6"})
        EXPECT_FALSE(empty["cells"].toObject().contains(gone)) << gone;
    EXPECT_TRUE(empty["styled"].toArray().contains("A4"));  // the pattern row stays
    EXPECT_FALSE(empty["names"].toObject().contains("导出区域"));
}

TEST(WorkbookExport, RefusesAndLeavesEveryFileAsItWas) {
    Export e;
    QFile::remove(e.dir() + "/ExcelF.dat");
    try {
        e.month(QDate(2024, 5, 1), 1);
        FAIL() << "exported without a template";
    } catch (const qb::DbError& error) {
        EXPECT_TRUE(error.message().contains("ExcelF.dat")) << error.message().toStdString();
    }
    EXPECT_FALSE(QFile::exists(e.workbook()));

    auto refused = [&](const QString& why) {
        QFile before(e.workbook());
        before.open(QIODevice::ReadOnly);
        const QByteArray bytes = before.readAll();
        before.close();
        try {
            e.exportMonth(QDate(2024, 5, 1));
            ADD_FAILURE() << "exported: " << why.toStdString();
        } catch (const qb::DbError& error) {
            EXPECT_TRUE(error.message().contains(why)) << error.message().toStdString();
        }
        QFile after(e.workbook());
        after.open(QIODevice::ReadOnly);
        EXPECT_EQ(after.readAll(), bytes) << why.toStdString();
    };
    QFile text(e.workbook());
    text.open(QIODevice::WriteOnly);
    text.write("记账日期,凭证号\n");
    text.close();
    refused("不是可以读取的工作簿");
    QFile::remove(e.workbook());
    QFile::copy(QStringLiteral(QB_WORKBOOK_TEMPLATE), e.workbook());
    QFile::setPermissions(e.workbook(), QFile::ReadOwner | QFile::ReadGroup);
    refused("只读");
    QFile::setPermissions(e.workbook(), QFile::ReadOwner | QFile::WriteOwner);
    QFile lock(e.dir() + "/.~lock.qbk.xls#");
    lock.open(QIODevice::WriteOnly);
    lock.close();
    refused("正在电子表格程序中打开");
}

TEST(Workbook, AnotherProgramsWorkbookGetsFormatsForAmountsAndDates) {
    QTemporaryDir tmp;
    const QString path = tmp.filePath("book.xlsx");
    ASSERT_EQ(editWorkbook(path,
                           "ws.title = \"张's 表\"\n"
                           "ws['A1'] = '旧标题'\n"
                           "ws['C1'] = '=SUM(B2:B3)'\n"
                           "ws['A3'] = 'old'\n"),
              "");
    qb::workbook::Sheet sheet;
    sheet.setBlock(2, 1, 2);
    sheet.set(2, 1, qb::workbook::Cell::ofDate(QDate(2024, 2, 29)));
    sheet.set(2, 2, qb::workbook::Cell::ofAmount(-1005));
    qb::workbook::fill(path, sheet);
    const QJsonObject book = readWorkbook(path);
    ASSERT_FALSE(book.contains("error")) << book["error"].toString().toStdString();
    EXPECT_EQ(value(book, "A1"), "旧标题");
    EXPECT_EQ(value(book, "C1"), "=SUM(B2:B3)");  // formulas elsewhere stay
    EXPECT_EQ(book["cells"]["A2"]["fmt"], "yyyy-mm-dd");
    EXPECT_EQ(value(book, "A2"), "2024-02-29");
    EXPECT_EQ(value(book, "B2"), -10.05);
    EXPECT_EQ(book["cells"]["B2"]["fmt"], "#,##0.00");
    EXPECT_EQ(value(book, "A3"), "old");  // no earlier block: nothing to clear
    EXPECT_EQ(book["names"]["导出区域"], "'张''s 表'!$A$2:$B$2");
}
