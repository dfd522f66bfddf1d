#pragma once

#include <QDate>
#include <QString>

#include "money.h"

class Tdat;

// The one writer of marker rows: opening, carry-forward, month-total and cumulative rows in
// crereg and total. The opening initialization, posting and gymk's marker operations all write
// through it, each value bound.
namespace qb::markers {

enum class Table { Journal, Totals };  // crereg, total

// "crereg" or "total" in any letter case; any other name is refused with a qb::DbError, since
// the name becomes statement text.
Table table_named(const QString& name);

struct Row {
    QString bookId;
    QDate day;
    int voucher = 0;  // 0 opening or carry-forward, 1 month total, 2 cumulative
    QString summary;
    money::Cents debit = 0;
    money::Cents credit = 0;
    money::Cents balance = 0;
};

// Posting writes an empty ticket number (and in crereg voucher count 0 and empty claimant and
// handler); the opening initialization leaves these columns unset (null).
enum class Writer { Posting, Initialization };

void insert(Tdat& dat, Table table, const Row& row, Writer writer);
// The book's total rows of that summary in the date's month get the figures; returns whether
// there were any.
bool update_totals(Tdat& dat, const QString& bookId, const QDate& month, const QString& summary,
                   money::Cents debit, money::Cents credit, money::Cents balance);
// The carry-forward row dated exactly on the day gets the balance; returns whether there was one.
bool set_carry(Tdat& dat, Table table, const QString& bookId, const QDate& day,
               money::Cents balance);

// The book's opening rows in the table get the balance.
void set_opening(Tdat& dat, Table table, const QString& bookId, money::Cents balance);

}  // namespace qb::markers
