#pragma once

#include <QDate>
#include <QString>
#include <map>
#include <vector>

#include "money.h"

// Workbooks in Office Open XML, the form today's spreadsheet programs read and write, whatever
// the file is called ("qbk.xls" keeps its old name). A fill sets cells in the first sheet of a
// workbook file and keeps everything else in it: other sheets, column widths, merged cells,
// print setup, formulas elsewhere and each cell's own formatting.
namespace qb::workbook {

// What one cell receives.
struct Cell {
    enum class Kind { Blank, Text, Number, Amount, Date };
    Kind kind = Kind::Blank;
    QString text;
    double number = 0;
    money::Cents cents = 0;
    QDate date;

    static Cell blank() { return {}; }
    static Cell ofText(const QString& text);
    static Cell ofNumber(double number);
    static Cell ofAmount(money::Cents cents);
    static Cell ofDate(const QDate& date);
    bool operator==(const Cell&) const = default;
};

// The cells a fill writes, rows and columns counted from 1, and the block of rows it owns.
class Sheet {
public:
    void set(int row, int column, const Cell& cell);
    const std::map<int, std::map<int, Cell>>& rows() const { return rows_; }

    // The rows written as one block (a month's lines): from firstRow down, in the columns
    // firstColumn to lastColumn. The block's first row is its pattern: a new cell below it takes
    // the formatting of the pattern cell of its column. Rows that an earlier fill's block had
    // below this block's last row are cleared, so nothing of a longer earlier month is left.
    void setBlock(int firstRow, int firstColumn, int lastColumn);
    bool hasBlock() const { return blockFirstRow_ > 0; }
    int blockFirstRow() const { return blockFirstRow_; }
    int blockFirstColumn() const { return blockFirstColumn_; }
    int blockLastColumn() const { return blockLastColumn_; }
    // The block's last written row; one above its first row when it holds none.
    int blockLastRow() const;

private:
    std::map<int, std::map<int, Cell>> rows_;
    int blockFirstRow_ = 0;
    int blockFirstColumn_ = 0;
    int blockLastColumn_ = 0;
};

// Sets the cells in the first sheet of the workbook file, which must exist. Amounts become
// numbers shown with two decimals and dates date cells, unless the cell's formatting already
// shows them so. The file is written whole through a temporary file: on failure (a qb::DbError
// naming the file) it is left as it was. With a template, the cells go into a copy of the
// template instead, which becomes the new file at path, never put over a file there.
void fill(const QString& path, const Sheet& sheet, const QString& templatePath = {});

// Writes a new workbook holding one sheet with the cells, replacing any file at path. Column
// widths are in characters, from the first column on.
void create(const QString& path, const QString& sheetName, const Sheet& sheet,
            const std::vector<double>& columnWidths = {});

}  // namespace qb::workbook
