#include "gymk_export.h"

#include <QDir>
#include <QFileInfo>

#include "errors.h"
#include "files.h"
#include "fr_dat.h"
#include "places.h"

namespace gymk {
namespace {

using qb::workbook::Cell;

constexpr int kFirstLineRow = 4;

// What a field's declared type makes of its values: dates date cells, doubles amounts, the rest
// by the value itself.
enum class Column { Date, Amount, ByValue };

Column columnOf(const QString& type) {
    if (type.compare(QLatin1String("date"), Qt::CaseInsensitive) == 0) return Column::Date;
    if (type.compare(QLatin1String("double"), Qt::CaseInsensitive) == 0) return Column::Amount;
    return Column::ByValue;
}

Cell cellOf(const QVariant& value, Column column) {
    if (value.isNull()) return Cell::blank();
    if (column == Column::Date)
        return Cell::ofDate(QDate::fromString(value.toString().left(10), Qt::ISODate));
    if (column == Column::Amount) return Cell::ofAmount(qb::money::toCents(value.toDouble()));
    switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::Double:
            return Cell::ofNumber(value.toDouble());
        default:
            return Cell::ofText(value.toString());
    }
}

// A spreadsheet program that has the workbook open keeps a lock file beside it and would show
// its own, older copy instead of what is written now.
void requireClosed(const QString& path) {
    const QFileInfo file(path);
    for (const QString& lock : {QStringLiteral(".~lock.%1#"), QStringLiteral("~$%1")}) {
        const QString lockPath = file.dir().filePath(lock.arg(file.fileName()));
        if (QFileInfo::exists(lockPath))
            throw qb::DbError(
                QStringLiteral("工作簿 %1 正在电子表格程序中打开，请先关闭它再导出。\n"
                               "（若它并未打开，请删除锁定文件 %2。）")
                    .arg(path, lockPath));
    }
}

}  // namespace

bool query_to_sheet(const qb::Query& query, const SheetHeadings& headings,
                    qb::workbook::Sheet& sheet, const std::function<bool(int row)>& shown) {
    if (!query.active()) return false;
    const int fields = query.fieldCount() - 1;  // the last, the book id, stays out
    sheet.set(1, 1, Cell::ofText(headings.category));
    sheet.set(2, 1, Cell::ofText(QStringLiteral("账簿：") + headings.bookName));
    sheet.setBlock(kFirstLineRow, 1, std::max(fields, 1));
    std::vector<Column> columns;
    for (int field = 0; field < fields; ++field)
        columns.push_back(columnOf(query.fieldType(field)));
    int sheetRow = kFirstLineRow;
    for (int row = 0; row < query.recordCount(); ++row) {
        if (shown && !shown(row)) continue;
        for (int field = 0; field < fields; ++field)
            sheet.set(sheetRow, field + 1, cellOf(query.valueAt(row, field), columns[field]));
        ++sheetRow;
    }
    return true;
}

QString export_to_excel(const qb::Query& query, const SheetHeadings& headings,
                        const QString& directory, const QString& workbook,
                        const std::function<bool(int row)>& shown) {
    qb::workbook::Sheet sheet;
    if (!query_to_sheet(query, headings, sheet, shown))
        throw qb::DbError(QStringLiteral("没有打开的账簿月份可以导出"));
    const QDir dir(directory);
    const QString path = dir.absoluteFilePath(workbook.isEmpty() ? kWorkbookName : workbook);
    const QString model = qb::places::shipped(directory, kWorkbookTemplate);
    if (const QString why = qb::files::whyNotWritable(path); !why.isEmpty()) throw qb::DbError(why);
    if (QDir::cleanPath(path) == QDir::cleanPath(model) || qb::files::sameFile(path, model))
        throw qb::DbError(QStringLiteral("模板 %1 不能用作导出的工作簿").arg(model));
    requireClosed(path);
    if (QFileInfo::exists(path)) {
        qb::workbook::fill(path, sheet);
        return path;
    }
    if (!QFileInfo::exists(model))
        throw qb::DbError(QStringLiteral("找不到工作簿模板 %1，无法建立 %2").arg(model, path));
    qb::workbook::fill(path, sheet, model);
    return path;
}

}  // namespace gymk
