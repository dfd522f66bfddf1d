#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

class Tdat;

// Backup and restore of the whole database file. Both keep the open database consistent: a
// backup is the engine's online copy, and a restore only ever replaces the file with a
// verified database of this program, keeping a copy of the old file beside it.
namespace qb {

// "YYYYMMDD.DAT" for the day.
QString backupFileName(const QDate& day);
// The backup file of the day in a directory.
QString backupTarget(const QString& directory, const QDate& day);
// Where a restore keeps the file it replaces: "<database>.before-restore-YYYYMMDD-HHMMSS".
QString safetyCopyPath(const QString& databasePath, const QDateTime& moment);

// Writes a consistent copy of the open database to target, keyed with the database password,
// replacing an existing file of that name. Refuses the database file itself. Throws DbError.
void backupDatabase(Tdat& dat, const QString& target);

// Replaces the open database with the database in source and reopens it. Refuses a file that
// is not a database of this program and the database file itself, leaving everything as it
// was. Returns the path of the safety copy of the replaced file. Throws DbError; after a
// failure the previous database is open again.
QString restoreDatabase(Tdat& dat, const QString& source,
                        const QDateTime& moment = QDateTime::currentDateTime());

}  // namespace qb
