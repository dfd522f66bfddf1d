#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "fr_dat.h"

// The PostgreSQL cluster that tools/pg_test_cluster.sh starts for the tests (`make test` always
// does), found through QB_TEST_SERVER, a keyword/value libpq connection string.
namespace testserver {

// The cluster's connection string; empty when the tests run without one.
QString address();

// Why a server test cannot run, for its skip or failure message; empty when it can.
QString absence();

// A new empty database on the test cluster, sorting text in Chinese by default; dropped (with
// whoever is still connected to it) when the object goes.
class Database {
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    const QString& name() const { return name_; }
    const QString& connection() const { return connection_; }

private:
    QString name_;
    QString connection_;
};

}  // namespace testserver

enum class Engine { File, Server };

// A new ledger, the seven tables and the administrator "admin" / "admin", opened in dat: a file in
// a temporary directory, or a database of its own on the test server.
class EngineLedger {
public:
    explicit EngineLedger(Engine engine);

    std::unique_ptr<testserver::Database> database;  // on the server only
    QTemporaryDir tmp;                               // for the file only
    Tdat dat;
};
