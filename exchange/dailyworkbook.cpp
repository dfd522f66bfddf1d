#include "dailyworkbook.h"

#include <iterator>

#include "workbook.h"

namespace qb::dailyworkbook {

void write(const QString& path, const dailyreport::Report& report) {
    using workbook::Cell;
    workbook::Sheet sheet;
    sheet.set(1, 1, Cell::ofText(QStringLiteral("资金日报表")));
    sheet.set(1, 2, Cell::ofText(dailyreport::period_text(report)));
    for (int column = 0; column < int(dailyreport::kColumns.size()); ++column)
        sheet.set(2, column + 1, Cell::ofText(dailyreport::kColumns[column]));
    int row = 3;
    for (const dailyreport::Line& line : dailyreport::lines(report)) {
        const Cell cells[] = {Cell::ofText(line.category),
                              Cell::ofText(line.name),
                              Cell::ofText(line.account),
                              Cell::ofAmount(line.amounts.broughtIn),
                              Cell::ofAmount(line.amounts.debit),
                              Cell::ofAmount(line.amounts.credit),
                              Cell::ofAmount(line.amounts.closing),
                              Cell::ofNumber(line.amounts.lines),
                              Cell::ofText(line.mark)};
        for (int column = 0; column < int(std::size(cells)); ++column)
            sheet.set(row, column + 1, cells[column]);
        ++row;
    }
    workbook::create(path, QStringLiteral("资金日报表"), sheet, {14, 20, 20, 16, 16, 16, 16, 8, 8});
}

}  // namespace qb::dailyworkbook
