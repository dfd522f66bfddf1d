#pragma once

#include <QString>

#include "bankrec.h"

namespace qb::report {

class Report;

// The 银行存款余额调节表 of a reconciliation from the template "yhdz.rls": both balances, the four
// groups, both adjusted balances and whether they agree (their difference when they do not), and
// every outstanding item as a detail line. book is the book's caption ("name-category"). False,
// with a message, when the template cannot be loaded or lacks an object.
bool reconciliation_report(Report& report, const QString& templatePath,
                           const bankrec::Reconciliation& rec, const QString& book,
                           const QString& account);

}  // namespace qb::report
