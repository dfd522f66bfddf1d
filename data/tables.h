#pragma once

// Every table of a ledger, declared once: its columns with their types and widths, its indexes,
// and whether it is made with the ledger or on first use. The file's and the server's statements
// are both made from it, and whatever goes over every table (a ledger's copy, a backup's row
// check, telling a ledger from another database, a deleted book's rows) reads the list here.
//
// Adding a table takes one entry in the list in tables.cpp, for instance
//     {"rzb", Made::OnFirstUse, Style::Checked, {{"zbh", Text, 10}, {"rq", Date}, {"je", Double}}},
// and, in each operation that writes to it, inside its transaction and before the first write:
//     qb::schema::ensureTable(dat, "rzb");
// Where it is only read, qb::schema::present(dat, "rzb") tells whether it is there yet (an older
// ledger, or one opened read-only, has not made it). A column named zbh holds a book's zbid: the
// book's rows there go with the book when it is deleted.
#include <QString>
#include <QStringList>
#include <vector>

class Tdat;

namespace qb::engine {
class Connection;
}

namespace qb::schema {

enum class Type {
    Text,      // text, its width in characters checked when given
    Date,      // "YYYY-MM-DD" text
    SmallInt,  // a 16-bit integer: voucher numbers and counts
    Integer,   // a 32-bit integer
    Double,    // an amount (whole cents as double precision)
    RowId,     // another table's row id (64 bits on a server)
    Counter,   // a number each new row is given, the table's own row id
};

// What the file checks itself: it would otherwise keep any value in any column. A server checks
// each value's type on its own and every width from the declaration, whatever the style.
enum class Style {
    Checked,  // every column's type and width: the ledger's tables, and any new table
    Staging,  // widths only: tables the program alone fills for a printout
    Loose,    // widths only, written without the null case, amounts declared "double precision":
              // the reconciliation's tables were first made so
};

enum class Made {
    WithLedger,  // with a new ledger; a database lacking it is no ledger
    OnFirstUse,  // by the first operation that writes to it (on a server, only by its owner)
};

struct Column {
    const char* name;  // as statements write it: a reserved word in double quotes
    Type type;
    int width = 0;          // for texts, in characters; 0 leaves it open
    bool nonBlank = false;  // never null nor blank
};

struct Index {
    const char* name;
    const char* columns;  // "zbh, dzrq, pzh"
};

struct Table {
    const char* name;
    Made made;
    Style style;
    std::vector<Column> columns;
    std::vector<Index> indexes = {};
    // Filled by printing and the balance table and read back at once; nothing keeps its rows
    // (a copy leaves them out; each server connection has its own).
    bool staging = false;

    bool hasColumn(const QString& column) const;
};

// Every table in the order it is made.
const std::vector<Table>& tables();
// The declared table of that name; an undeclared name is refused with a qb::DbError.
const Table& table(const QString& name);
// Refuses a text longer than its column's declared width before a statement meets the column's
// check, saying what it is and how long it may be (what: "帐簿名称").
void requireFits(const QString& table, const QString& column, const QString& what,
                 const QString& value);
// The names of the tables: all of them, or those made so.
QStringList names();
QStringList names(Made made);
QStringList stagingNames();

// The statements that make the table and its indexes, in the file's or the server's dialect.
QStringList createStatements(const Table& table, bool onServer);
// The statements that make a new ledger's tables (Made::WithLedger) and their indexes.
QStringList ledgerStatements(bool onServer);

// Makes the table, when the database does not have it yet, inside the caller's transaction: two
// first uses at once on a server never make it twice. On a server only the ledger's owner makes
// tables (so that the rights the owner gives others cover them); another login is told to have
// the owner run the upgrade step.
void ensureTable(Tdat& dat, const QString& name);
// Whether the database has the table already.
bool present(Tdat& dat, const QString& name);
// Makes every table made on first use that the database lacks, in one transaction: the upgrade
// step of a server ledger's owner. Returns the tables made.
QStringList makeMissingTables(Tdat& dat);

// Deletes a book's rows from every table that keeps rows of books (a zbh column), inside the
// caller's transaction; the books table's own row stays the caller's business.
void deleteBookRows(Tdat& dat, const QString& bookId);

}  // namespace qb::schema
