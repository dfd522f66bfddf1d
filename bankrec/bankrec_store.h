#pragma once

// What the reconciliation's operations share inside the core: where a month starts from. Not for
// callers outside data/.
#include <QDate>
#include <QString>
#include <vector>

#include "bankrec.h"

namespace qb::bankrec::detail {

// The journal's balance at the end of the month: that of its last line.
Cents book_closing(Tdat& dat, const QString& bookId, const QDate& month);

// A month's starting point: the journal's lines from the book's first saved reconciliation on
// that no earlier month ticked, the bank items no earlier month ticked, the journal's closing
// balance and the bank's opening (the last save's closing, else the journal's opening of the
// month). stored[i] is the journal row a save of this month ticked bank item i with, or 0.
struct Start {
    Reconciliation rec;
    std::vector<qint64> stored;
};
Start start_of(Tdat& dat, const QString& bookId, const QDate& month);

// Appends bank items the way a save kept them: this month's statement lines.
void add_saved_lines(Tdat& dat, Start& start);

// Applies the ticks a save kept, where the journal line is still there with the same amount.
void apply_saved_ticks(Start& start);

}  // namespace qb::bankrec::detail
