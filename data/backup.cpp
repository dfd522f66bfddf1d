#include "backup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "errors.h"
#include "files.h"
#include "fr_dat.h"
#include "schema.h"
#include "tables.h"

namespace qb {
namespace {

bool sameFile(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

// Puts the database that was moved aside back in place and opens it again.
void putBack(Tdat& dat, const QString& aside, const QString& path, const QString& passphrase) {
    files::placeReplacing(aside, path);
    dat.open(path, Tdat::Mode::Locked, passphrase);
}

// The staged backup takes the database's name and the database the safety copy's. Where the file
// system can trade the two names in one step, no moment is left without a database under its
// name; elsewhere it takes two renames. Throws with the database back under its name.
void swapIn(const QString& staged, const QString& path, const QString& safety) {
    bool exchanged = false;
    try {
        exchanged = files::exchange(staged, path);
    } catch (const DbError&) {
        QFile::remove(staged);
        throw;
    }
    if (exchanged) {
        if (QFile::rename(staged, safety)) return;
        // Should trading back fail too, both files stay under the names its message gives.
        files::exchange(staged, path);
    } else if (QFile::rename(path, safety)) {
        if (QFile::rename(staged, path)) return;
        QFile::rename(safety, path);
    }
    QFile::remove(staged);
    throw DbError(QStringLiteral("无法替换数据库文件：%1").arg(path));
}

void requireFile(Tdat& dat) {
    if (dat.onServer()) throw DbError(kServerLedgerBackups);
}

RowCounts rowCounts(Tdat& dat) {
    RowCounts counts;
    for (const QString& table : schema::names())
        if (schema::present(dat, table))
            counts[table] =
                dat.scalar(QStringLiteral("select count(*) from %1").arg(table)).toLongLong();
    return counts;
}

// A backup that was stopped midway (the program killed while closing) leaves its unfinished copy
// under a hidden name. One that nobody has written to for an hour belongs to no backup still
// running.
void removeUnfinished(const QDir& folder) {
    static const QRegularExpression unfinished(QStringLiteral("^\\.\\d{8}\\.DAT\\.new-\\w{6}$"));
    const QDateTime stale = QDateTime::currentDateTime().addSecs(-3600);
    for (const QFileInfo& file : folder.entryInfoList(QDir::Files | QDir::Hidden))
        if (unfinished.match(file.fileName()).hasMatch() && file.lastModified() < stale)
            QFile::remove(file.filePath());
}

// Copies the open database beside target and gives the copy target's name (replacing a file
// there) only once verify accepts it, so a failed backup never destroys an older one; a copy that
// fails is removed.
void writeVerifiedCopy(Tdat& dat, const QString& target, const Verifier& verify) {
    files::PrivateFile copy(target, files::PrivateFile::Name::UniqueBeside);
    const RowCounts counts = copyDatabase(dat, copy);
    verify(copy.path(), dat.passphrase(), &counts);
    files::placeReplacing(copy.path(), target);
    copy.release();
}

}  // namespace

QString backupFileName(const QDate& day) {
    return day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".DAT");
}

QString backupTarget(const QString& directory, const QDate& day) {
    return QDir(directory).filePath(backupFileName(day));
}

QString safetyCopyPath(const QString& databasePath, const QDateTime& moment) {
    return databasePath + QStringLiteral(".before-restore-") +
           moment.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

RowCounts copyDatabase(Tdat& dat, files::PrivateFile& copy) {
    requireFile(dat);
    if (dat.inTransaction()) throw DbError(QStringLiteral("数据库有未完成的更改，现在不能备份"));
    // Reading every table takes the read lock that keeps writers out until the copy is done.
    Transaction reading(dat);
    const RowCounts counts = rowCounts(dat);
    dat.con().readFile([&copy](const char* data, qint64 size) { copy.write(data, size); });
    copy.finish();
    return counts;
}

RowCounts verifyBackup(const QString& file, const QString& passphrase, const RowCounts* expected) {
    Tdat backup;
    backup.open(file, Tdat::Mode::ReadOnly, passphrase);
    const QString integrity = backup.scalar(QStringLiteral("pragma integrity_check")).toString();
    if (integrity != QLatin1String("ok"))
        throw DbError(
            QStringLiteral("备份 %1 未通过完整性检查：%2").arg(file, integrity.left(200)));
    const RowCounts counts = rowCounts(backup);
    if (expected && counts != *expected) {
        for (auto it = expected->begin(); it != expected->end(); ++it)
            if (counts.value(it.key(), -1) != it.value())
                throw DbError(QStringLiteral("备份 %1 的数据表 %2 有 %3 行，数据库中有 %4 行")
                                  .arg(file, it.key())
                                  .arg(counts.value(it.key(), -1))
                                  .arg(it.value()));
    }
    return counts;
}

void backupDatabase(Tdat& dat, const QString& target) {
    requireFile(dat);
    if (target.trimmed().isEmpty()) throw DbError(QStringLiteral("没有指定备份文件"));
    if (QFileInfo(target).isDir())
        throw DbError(QStringLiteral("备份文件名是一个目录：%1").arg(target));
    // Replacing the live file would pull it out from under the open connection.
    if (sameFile(target, dat.path()))
        throw DbError(QStringLiteral("不能把数据库备份到数据库文件自身"));
    writeVerifiedCopy(dat, target, verifyBackup);
}

QString dailyBackupFolder(const QString& databasePath) {
    return QFileInfo(databasePath).absoluteDir().filePath(QStringLiteral("backup"));
}

QString dailyBackupFile(const QString& databasePath, const QDate& day) {
    return backupTarget(dailyBackupFolder(databasePath), day);
}

DailyBackup dailyBackup(Tdat& dat, const QDate& day, const Verifier& verify) {
    requireFile(dat);
    const QDir folder(dailyBackupFolder(dat.path()));
    if (!folder.exists() &&
        !QDir().mkdir(folder.path(),
                      QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner))
        throw DbError(QStringLiteral("无法建立备份文件夹 %1").arg(folder.path()));
    DailyBackup result;
    result.file = dailyBackupFile(dat.path(), day);
    if (QFileInfo::exists(result.file)) return result;
    writeVerifiedCopy(
        dat, result.file,
        [&verify](const QString& file, const QString& passphrase, const RowCounts* expected) {
            try {
                return verify(file, passphrase, expected);
            } catch (const DbError& e) {
                throw DbError(QStringLiteral("新的备份未通过校验，已删除；原有的备份都保留着。%1")
                                  .arg(e.message()));
            }
        });
    result.made = true;
    removeUnfinished(folder);
    // Only now that the new copy counts does the oldest make room for it; the new copy itself is
    // never the one to go, even when a clock set back gives it the oldest name.
    static const QRegularExpression daily(QStringLiteral("^\\d{8}\\.DAT$"));
    QStringList backups;
    for (const QString& name : folder.entryList(QDir::Files, QDir::Name))
        if (daily.match(name).hasMatch() && name != QFileInfo(result.file).fileName())
            backups << name;
    while (backups.size() >= kDailyBackupsKept) {
        const QString oldest = folder.filePath(backups.takeFirst());
        if (QFile::remove(oldest)) result.removed << oldest;
    }
    return result;
}

QString restoreDatabase(Tdat& dat, const QString& source, const QDateTime& moment) {
    if (!dat.connected()) throw DbError(QStringLiteral("没有连接数据库"));
    requireFile(dat);
    const QString path = dat.path();
    const QString passphrase = dat.passphrase();
    if (source.trimmed().isEmpty()) throw DbError(QStringLiteral("没有选择还原文件"));
    if (!QFileInfo(source).isFile())
        throw DbError(QStringLiteral("找不到还原文件：%1").arg(source));
    if (sameFile(source, path)) throw DbError(QStringLiteral("不能用数据库文件自身还原"));
    QString why;
    if (!isLedgerDatabase(source, &why, passphrase))
        throw DbError(QStringLiteral("%1 不是本系统的数据库：%2").arg(source, why));

    // The backup is copied beside the database first and checked again there, so the swap below
    // stays on one file system and the database is never half written.
    const QString staged = path + QStringLiteral(".restoring");
    QFile::remove(staged);
    try {
        files::copyToPrivate(source, staged);
    } catch (const DbError& e) {
        why = e.message();
    }
    if (!why.isEmpty() || !isLedgerDatabase(staged, &why, passphrase)) {
        QFile::remove(staged);
        throw DbError(QStringLiteral("无法复制还原文件 %1 %2").arg(source, why));
    }
    // Once closed, the database file is whole and consistent: it becomes the safety copy.
    QString safety = safetyCopyPath(path, moment);
    for (int n = 2; QFileInfo::exists(safety); ++n)
        safety = safetyCopyPath(path, moment) + QStringLiteral("-%1").arg(n);
    dat.close();
    try {
        swapIn(staged, path, safety);
    } catch (const DbError&) {
        dat.open(path, Tdat::Mode::Locked, passphrase);
        throw;
    }
    // An older ledger may have been readable by everyone; its copy is kept for the owner alone.
    QFile::setPermissions(safety, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    try {
        dat.open(path, Tdat::Mode::Locked, passphrase);
    } catch (const DbError& e) {
        putBack(dat, safety, path, passphrase);
        throw DbError(
            QStringLiteral("还原后的数据库无法打开，已恢复原数据库：%1").arg(e.message()));
    }
    return safety;
}

}  // namespace qb
