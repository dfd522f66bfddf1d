#pragma once

#include <QString>
#include <functional>

#include "backup.h"

class Tdat;

// Moving a whole ledger between the file and a database server, or from one to another of either.
namespace qb::ledgercopy {

// Where a ledger is: a database file, or a database on a PostgreSQL server.
struct Place {
    QString file;    // the database file
    QString server;  // a connection string or URL
};
// A text as a place: "postgresql://…", "postgres://…" and "key=value …" name a server, anything
// else a file.
Place place(const QString& text);

struct Target {
    Place place;
    QString password;    // for a server that asks for one that nothing else gives
    QString passphrase;  // keys a new file; empty: the built-in key
};

// Called as a table fills (done false) and once it is whole and verified (done true): its name and
// the rows it holds so far.
using Progress = std::function<void(const QString& table, qint64 rows, bool done)>;

// Copies every book, line, total row, phrase, user and saved bank reconciliation of the open
// ledger into the target, keeping row ids (and with them the order of lines that tie on
// everything else, and the journal lines a reconciliation ticked); the staging tables stay behind,
// empty. The source is read in one consistent state. The target is written in one
// transaction and counts only once it holds as many rows as the source: a new file is built whole
// beside its name and takes it only then, never over anything there; a server database must hold
// none of the ledger's tables, or all seven (and the reconciliation's, if any) empty. Returns the
// rows copied, by table. Throws qb::DbError saying why when anything fails, leaving the target as
// it was.
RowCounts copy_ledger(Tdat& source, const Target& target, const Progress& progress = {});

}  // namespace qb::ledgercopy
