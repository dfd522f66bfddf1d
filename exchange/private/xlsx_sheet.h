#pragma once

#include <QByteArray>
#include <QString>

#include "workbook.h"

namespace qb::workbook::xlsx {

class Styles;

// What a fill does to one worksheet part.
struct SheetPlan {
    const Sheet& cells;
    // The rows of an earlier block to clear in the block's columns; none when last < first.
    int clearFirstRow = 0;
    int clearLastRow = -1;
    bool date1904 = false;  // the workbook counts its dates from 1904
};

// The worksheet part with the plan's cells set and the earlier block's rows cleared. A cell that
// is set keeps its formatting (with a number format added where the value needs one); a new cell
// takes that of its row, of the block's pattern row or of its column. A cleared cell loses its
// value; its formatting goes too unless it is the cell's own, unlike the pattern's or the
// column's. Everything else in the part is copied as it was.
QByteArray rewriteSheet(const QByteArray& xml, const SheetPlan& plan, Styles& styles,
                        const QString& origin, const QString& part);

// "A1" references: column letters and row number; 0 for what is not one.
int columnOf(QStringView reference);
int rowOf(QStringView reference);
QString columnName(int column);  // "A", ..., "Z", "AA", ...
QString reference(int row, int column);

}  // namespace qb::workbook::xlsx
