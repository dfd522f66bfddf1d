#pragma once

#include <QString>
#include <functional>

class Tdat;

namespace qb {

namespace engine {
class Connection;
}

struct NewLedger {
    // Keys the file with a passphrase of its own instead of the built-in key, when not empty.
    QString passphrase;
    // Fills the new ledger (sample data) before it takes its name.
    std::function<void(Tdat&)> fill;
};

// Creates a new database file with the seven tables and one administrator, filled as asked. It is
// built whole under a temporary name beside path and takes the name only when complete, never
// over anything already there (a file, a folder, a link). A failure removes only the temporary
// file; a crash leaves at most a hidden temporary file, never a half-made ledger.
void createDatabase(const QString& path, const QString& adminName, const QString& adminPassword,
                    const NewLedger& options = {});

// Makes a new ledger in an empty database on a PostgreSQL server (a connection string or URL,
// and the server's password when nothing else gives it): the seven tables and one
// administrator, in one transaction, so that a failure leaves the database empty. A database
// that holds any of the seven tables already is refused untouched. fill (sample data) runs
// afterwards in a transaction of its own; when it fails, the ledger stays as made, empty.
void createServerLedger(const QString& connection, const QString& adminName,
                        const QString& adminPassword, const QString& serverPassword = {},
                        const std::function<void(Tdat&)>& fill = {});

// The seven tables and their indexes on an open connection, in the file's or the server's
// dialect, inside the caller's transaction. The tables are declared in tables.h.
void createTables(engine::Connection& con, bool onServer);

// Brings a table that an older version made otherwise to today's definition, in one transaction
// that keeps its rows: pruser's password column, once 16 characters of clear text, holds hashes.
void upgradeTables(engine::Connection& con);

// The first of the seven tables that the open database lacks, or empty when it has them all.
QString missingTable(engine::Connection& con);

// True when the file opens (with the passphrase, or the built-in key) and holds the seven tables.
bool isLedgerDatabase(const QString& path, QString* why = nullptr, const QString& passphrase = {});

}  // namespace qb
