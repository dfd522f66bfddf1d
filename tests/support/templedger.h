#pragma once

#include <QTemporaryDir>

#include "engine.h"
#include "fr_dat.h"

// A new database with the seven tables and the administrator "admin" / "admin" in a temporary
// directory, opened; the directory and everything in it go away with the object.
struct TempLedger {
    TempLedger();
    QString dir() const { return tmp.path(); }
    QString path() const { return Tdat::pathIn(tmp.path()); }
    // Inserts a journal line directly (for preparing a month); returns its row id.
    qint64 line(const QString& book, const QString& date, int voucher, const QString& summary,
                double debit, double credit, double balance);

    QTemporaryDir tmp;
    Tdat dat;
};

// A new database file keyed with the key and holding nothing yet, for files that are not ledgers.
std::unique_ptr<qb::engine::Connection> keyedFile(const QString& path, const QByteArray& key);
