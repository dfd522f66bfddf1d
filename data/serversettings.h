#pragma once

#include <QString>

// Which ledger the program opens: the local file, unless the user's settings file
// "quillbook.ini" (see qb::places::settingsFile) names a database server in its section [server]:
//
//   [server]
//   connection=host=db.example.com dbname=ledger user=cashier1
//
// The connection string is libpq's (or a URL, postgresql://cashier1@db.example.com/ledger); what
// it leaves out comes from the PG* environment. It never holds the password: that lives in
// PostgreSQL's password file (~/.pgpass), or is asked for at start-up.
namespace qb::serversettings {

// The user's quillbook.ini, or an older one beside the program.
QString path();

// The server's connection string; empty when the file or its [server] connection is missing or
// empty. A connection string that carries a password, or cannot be read, is refused with a
// qb::DbError saying what to do instead.
QString connection(const QString& file = path());

}  // namespace qb::serversettings
