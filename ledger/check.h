#pragma once

#include <QString>
#include <vector>

class Tdat;

// Verifies the books of a database: books sharing a name and category; each book's opening
// rows against its opening amount; rows dated outside the book's life (before its start date,
// or posting rows beyond its first open month); the balance chain of every month, from the
// balance it brings in (qb::figures); the stored rows of each posted month among themselves
// (month total = its cumulative row less the one before; its balance = the next month's
// carry-forward rows); and its month total against its lines, where only a difference that some
// of its reversal and correcting entries make up waits to be posted again. Reads only.
namespace qb::check {

struct Problem {
    QString bookId;
    QString month;  // "YYYY-MM"; empty for what concerns the whole book
    QString text;   // what is wrong, in words for the administrator
    // False for a normal state rather than a fault: a posted month holding reversal rows whose
    // stored figures wait for the month to be posted again ("需二次过帐").
    bool fault = true;
};

std::vector<Problem> verify(Tdat& dat);

}  // namespace qb::check
