#pragma once

#include <QString>

namespace qb {

// The table names, in the order the schema creates them.
inline constexpr const char* kTables[] = {"accstar", "crereg", "total", "basicset",
                                          "pruser",  "tmp_pr", "zhye"};

// Creates a new database file with the seven tables and one administrator. Refuses to
// overwrite an existing file; on failure no file is left behind.
void createDatabase(const QString& path, const QString& adminName, const QString& adminPassword);

// True when the file opens with the database password and holds the seven tables.
bool isLedgerDatabase(const QString& path, QString* why = nullptr);

}  // namespace qb
