#pragma once

#include <QString>
#include <utility>
#include <vector>

#include "oplog.h"

namespace qb::report {

class Report;

// The operation log's printout from "czrz.rls": the entries given, in their order, each with its
// book's caption (a deleted book shows its identifier) and its local time, under a heading that
// puts into words the filter that found them. False, with a message, when the template cannot
// be loaded.
bool operation_log_report(Report& report, const QString& templatePath,
                          const std::vector<oplog::Entry>& entries, const oplog::Filter& filter,
                          const std::vector<std::pair<QString, QString>>& bookCaptions);

}  // namespace qb::report
