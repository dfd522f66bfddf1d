#pragma once

// For the rooms above the ledger whose operations keep rows of a book of their own (a saved
// reconciliation): the book's lock and its presence, taken as the ledger's own operations take
// them.
#include <QString>

class Tdat;

namespace qb::ledger {

// Locks the book's rows for the rest of the caller's transaction: another operation on the same
// book, by another cashier on the same server ledger, waits until this one is done.
void lock_book(Tdat& dat, const QString& bookId);
// Refuses, with a qb::DbError naming it, a book that is not there (deleted meanwhile).
void require_book(Tdat& dat, const QString& bookId);

}  // namespace qb::ledger
