#pragma once

#include <QString>

#include "dailyreport.h"

// The daily fund report as a workbook of its own: a heading row with the title and the period,
// the column titles, then every line (books, subtotals, the total) with amounts as numbers.
// Written by the window's "导出Excel" and by quillbook-cli daily --out alike.
namespace qb::dailyworkbook {

// Writes a new workbook at path, replacing any file there (qb::workbook::create); a failure is
// a qb::DbError naming the file, which is then left as it was.
void write(const QString& path, const dailyreport::Report& report);

}  // namespace qb::dailyworkbook
