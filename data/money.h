#pragma once

#include <QString>
#include <optional>

// Amounts are stored as double, but every amount is a whole number of cents: sums and running
// balances are computed in integer cents so that no chain of lines drifts by a fen.
namespace qb::money {

using Cents = qint64;

// The largest amount or balance that any writer or reader of amounts accepts (999,999,999,999.99):
// within it a stored double holds every cent exactly, and sums of many such amounts stay far from
// the end of 64-bit cents.
inline constexpr Cents kLimit = 99'999'999'999'999;
inline constexpr bool withinLimit(Cents cents) {
    return cents >= -kLimit && cents <= kLimit;
}
// What refuses an amount or balance beyond kLimit, the same wherever it was typed or reached.
QString beyondLimit(Cents cents);

Cents toCents(double amount);
double fromCents(Cents cents);
// "0.00": two decimals, no thousands separator, a leading minus for negative values.
QString text(Cents cents);
// "#,##0.00": two decimals with thousands separators.
QString grouped(Cents cents);
// Reads an amount as typed: optional sign, digits, at most two decimals; blanks around it and
// thousands separators are allowed. Anything else (more decimals, letters) gives nothing.
std::optional<Cents> parse(const QString& typed);

}  // namespace qb::money
