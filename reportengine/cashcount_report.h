#pragma once

#include <QString>

#include "cashcount.h"

namespace qb::report {

class Report;

// The 现金盘点表 of a count from the template "xjpd.rls": every denomination with its quantity
// and amount, the cash counted, the book's balance adjusted by what is in hand but not yet
// booked, the difference as 长款 or 短款, the IOUs listed apart with their warning, and the
// names of counter and witness, and what the count warns of (qb::cashcount::warnings). book is
// the book's caption ("name-category"). False, with a message, when the template cannot be loaded
// or lacks an object.
bool cash_count_report(Report& report, const QString& templatePath, const cashcount::Count& count,
                       const QString& book, const QStringList& warnings);

}  // namespace qb::report
