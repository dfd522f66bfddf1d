#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

// The data layer writes its statements in the dialect both engines accept; these few pieces are
// what a PostgreSQL server needs said differently.
namespace qb::engine::pg {

struct Translation {
    QByteArray text;         // what the server is sent
    int placeholders = 0;    // the "?" found, now $1, $2, ...
    QString command;         // the first word, lower case: "select", "insert", "begin", ...
    QString object;          // the second word, lower case: "to" in "rollback to x"
    QString insertTable;     // for an insert: the table written, as written
    bool returning = false;  // the statement has a returning clause of its own
};

// Columns of a table as a bare "*" over it should list them; empty when there is no such table.
using ColumnsOf = std::function<QStringList(const QString& table)>;

// Rewrites a statement for the server, leaving string literals, quoted names and comments alone:
// - "?" placeholders become $1, $2, ... in order;
// - the column name user, a reserved word (the session's user) to the server, is quoted;
// - a bare "*" in the select list of a select over one table becomes that table's columns, so
//   that the row identity column the server's tables carry stays out of "select *".
Translation translate(const QString& sql, const ColumnsOf& columnsOf);

}  // namespace qb::engine::pg
