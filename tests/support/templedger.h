#pragma once

#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "engine.h"
#include "fr_dat.h"
#include "money.h"
#include "testserver.h"

enum class Engine { File, Server };

// The engine a test program's ledgers use: the file, or the test server when the program runs
// with QB_TEST_ENGINE=server (the core tests run once on each).
Engine testEngine();

// A new ledger with the seven tables and the administrator "admin" / "admin", opened: a database
// file in a temporary directory, or a database of its own on the test server. The directory is
// there on either engine, for the files a test writes beside the ledger; everything goes away
// with the object.
struct TempLedger {
    explicit TempLedger(Engine engine = testEngine());
    QString dir() const { return tmp.path(); }
    // The database file (the file engine only).
    QString path() const { return Tdat::pathIn(tmp.path()); }
    // Inserts a journal line directly (for preparing a month); returns its row id.
    qint64 line(const QString& book, const QString& date, int voucher, const QString& summary,
                double debit, double credit, double balance);
    // A cash journal kept from its start with the opening balance; returns its id.
    QString cashBook(const QString& name, qb::money::Cents opening, const QDate& start);

    const Engine engine;
    std::unique_ptr<testserver::Database> database;  // on the server only
    QTemporaryDir tmp;
    Tdat dat;
};

// The rows of a select as one text, alike on both engines, for comparing in tests: a row's values
// joined by "/", the rows by ","; a number in its shortest form ("300", "650.55"), null as nothing.
QString rowsText(Tdat& dat, const QString& sql, const QVariantList& params = {});

// The message of the qb::DbError the work throws; empty when it throws none.
QString refusal(const std::function<void()>& work);

// A new database file keyed with the key and holding nothing yet, for files that are not ledgers.
std::unique_ptr<qb::engine::Connection> keyedFile(const QString& path, const QByteArray& key);
