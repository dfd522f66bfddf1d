#pragma once

#include <QString>
#include <vector>

class Tdat;

// Verifies the books of a database: the balance chain of every month, each posted month's
// month-total and cumulative rows against its lines, and each carry-forward row against the
// closing balance of the month before. Reads only.
namespace qb::check {

struct Problem {
    QString bookId;
    QString month;  // "YYYY-MM"
    QString text;   // what is wrong, in words for the administrator
};

std::vector<Problem> verify(Tdat& dat);

}  // namespace qb::check
