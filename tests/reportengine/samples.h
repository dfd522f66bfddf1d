#pragma once

#include <memory>

#include "datasource.h"

namespace qb::report {
class Report;
}

// Sample data for the three templates, shaped as the program stages it: used by the tests, by
// tools/report_check.sh (through report_samples) and by the benchmark.
namespace samples {

extern const char* const kCarryOut;  // the staging's carried-to-next-page summary
extern const char* const kCarryIn;   // the staging's brought-forward summary

// A month of a journal as the print staging holds it (columns of tmp_pr): the carry-forward
// row, then entries, with a carry pair before every 30th line.
std::shared_ptr<qb::report::TableDataSource> journal(int lines);
// Rows of the balance table staging (zblb, zbmc, zh, ye as "0.00" text).
std::shared_ptr<qb::report::TableDataSource> balances(int books);
// Fills the journal's named objects as the register does.
bool fillJournal(qb::report::Report& report);
// Fills the summary sheet's named objects as the register does.
bool fillSummarySheet(qb::report::Report& report);

}  // namespace samples
