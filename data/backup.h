#pragma once

#include <QDate>
#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

class Tdat;

namespace qb::files {
class PrivateFile;
}

// Backup and restore of the whole database file. A backup is a byte copy of the file taken under
// a read transaction, so no writer changes it meanwhile, and is verified before it counts; a
// restore only ever replaces the file with a verified database of this program, keeping a copy of
// the old file beside it.
namespace qb {

// What a ledger on a database server says instead of a backup, a restore or a daily backup: the
// server keeps it, and its own tools copy it.
inline const QString kServerLedgerBackups = QStringLiteral(
    "服务器上的账本由数据库服务器保存，备份和还原请用服务器自己的工具（pg_dump、pg_restore），"
    "或请数据库管理员安排；本程序的备份、还原和每日自动备份只用于本机的账本文件。");
// And instead of a passphrase of its own.
inline const QString kServerLedgerPassphrase = QStringLiteral(
    "服务器上的账本没有数据库口令：谁能打开它，由数据库服务器的用户和权限决定"
    "（口令存在 PostgreSQL 的口令文件 ~/.pgpass 中）。");

// "YYYYMMDD.DAT" for the day.
QString backupFileName(const QDate& day);
// The backup file of the day in a directory.
QString backupTarget(const QString& directory, const QDate& day);
// Where a restore keeps the file it replaces: "<database>.before-restore-YYYYMMDD-HHMMSS".
QString safetyCopyPath(const QString& databasePath, const QDateTime& moment);

// The number of rows in each table the database has (tables.h).
using RowCounts = QMap<QString, qint64>;

// Copies the open database, as stored and keyed, into the new file and finishes it; returns the
// rows of each table as they were copied. Refused while the connection has a change under way.
RowCounts copyDatabase(Tdat& dat, files::PrivateFile& copy);
// Checks a backup: it opens with the passphrase (or the built-in password), holds the seven
// tables, passes the engine's integrity check and, when expected is given, holds as many rows in
// each table. Returns its row counts; throws DbError saying what failed.
RowCounts verifyBackup(const QString& file, const QString& passphrase,
                       const RowCounts* expected = nullptr);

// Writes a verified copy of the open database to target, replacing an existing file of that
// name only once the copy is verified. Refuses the database file itself. Throws DbError.
void backupDatabase(Tdat& dat, const QString& target);

// The daily backups: at most one a day in the folder "backup" beside the database, the newest
// kDailyBackupsKept of them kept.
inline constexpr int kDailyBackupsKept = 30;
QString dailyBackupFolder(const QString& databasePath);
// The day's backup file in that folder.
QString dailyBackupFile(const QString& databasePath, const QDate& day);

struct DailyBackup {
    QString file;         // the day's backup
    bool made = false;    // false: it was there already
    QStringList removed;  // the oldest backups that made room for it
};
using Verifier = std::function<RowCounts(const QString& file, const QString& passphrase,
                                         const RowCounts* expected)>;
// Makes the day's backup unless it exists. Only a copy that passes verify counts: one that fails
// is removed and reported (DbError), and no older backup is removed for it.
DailyBackup dailyBackup(Tdat& dat, const QDate& day = QDate::currentDate(),
                        const Verifier& verify = verifyBackup);

// Replaces the open database with the database in source and reopens it. Refuses a file that
// is not a database of this program and the database file itself, leaving everything as it
// was. Returns the path of the safety copy of the replaced file. Throws DbError; after a
// failure the previous database is open again.
QString restoreDatabase(Tdat& dat, const QString& source,
                        const QDateTime& moment = QDateTime::currentDateTime());

}  // namespace qb
