#pragma once

// The cheque register's tables, declared here once for both engines and made on first use, so
// that an older ledger and a read-only one work as they are. Not for callers outside ledger/.
class Tdat;

namespace qb::cheques::tables {

inline constexpr const char* kNames[] = {"zpb", "zpmx", "pjdj"};

// Whether the ledger has them yet (reading a ledger that never kept cheques finds none).
bool present(Tdat& dat);
// Makes them when missing, inside the caller's transaction.
void ensure(Tdat& dat);

}  // namespace qb::cheques::tables
