#pragma once

#include <QString>
#include <functional>

#include "workbook.h"

namespace qb {
class Query;
}

// The journal's workbook export, beside the month operations of gymk: a book's month goes into
// the first sheet of "qbk.xls", made from the template "ExcelF.dat" when it is missing.
namespace gymk {

inline constexpr char kWorkbookName[] = "qbk.xls";
inline constexpr char kWorkbookTemplate[] = "ExcelF.dat";

// What the sheet's two heading rows say.
struct SheetHeadings {
    QString category;  // row 1
    QString bookName;  // row 2, after "账簿："
};

// Lays the rows of an open result set out as the register exports a month: row 1 the category,
// row 2 "账簿：" and the book's name, row 3 left to the template's column titles, and from row 4
// one row per result row in its order, every field but the last (the book id) in field order.
// Dates become date cells, amounts numbers with two decimals, whole numbers numbers, the rest
// text; an empty field stays an empty cell. Rows for which shown says false are left out (the
// lines the register's filter hides). False, with nothing laid out, when the result set is not
// open.
bool query_to_sheet(const qb::Query& query, const SheetHeadings& headings,
                    qb::workbook::Sheet& sheet, const std::function<bool(int row)>& shown = {});

// Exports the result set into the workbook: the given file, or "qbk.xls" in the directory when
// none is given. A missing workbook is first made as a copy of "ExcelF.dat" from the directory,
// never over an existing file. Rows an earlier, longer export left below the new last row are
// cleared. Returns the workbook's path; throws qb::DbError (and leaves the workbook as it was)
// when the result set is not open, the template is missing or the workbook cannot be read or
// written.
QString export_to_excel(const qb::Query& query, const SheetHeadings& headings,
                        const QString& directory, const QString& workbook = {},
                        const std::function<bool(int row)>& shown = {});

}  // namespace gymk
