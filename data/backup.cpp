#include "backup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "errors.h"
#include "fr_dat.h"
#include "schema.h"

namespace qb {
namespace {

bool sameFile(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

// Puts the database that was moved aside back in place and opens it again.
void putBack(Tdat& dat, const QString& aside, const QString& path) {
    QFile::remove(path);
    QFile::rename(aside, path);
    dat.open(path);
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

void backupDatabase(Tdat& dat, const QString& target) {
    if (target.trimmed().isEmpty()) throw DbError(QStringLiteral("没有指定备份文件"));
    if (QFileInfo(target).isDir())
        throw DbError(QStringLiteral("备份文件名是一个目录：%1").arg(target));
    // The engine replaces the target only after the copy is complete; replacing the live file
    // would pull it out from under the open connection.
    if (sameFile(target, dat.path()))
        throw DbError(QStringLiteral("不能把数据库备份到数据库文件自身"));
    dat.con().backupTo(target);
}

QString restoreDatabase(Tdat& dat, const QString& source, const QDateTime& moment) {
    if (!dat.connected()) throw DbError(QStringLiteral("没有连接数据库"));
    const QString path = dat.path();
    if (source.trimmed().isEmpty()) throw DbError(QStringLiteral("没有选择还原文件"));
    if (!QFileInfo(source).isFile())
        throw DbError(QStringLiteral("找不到还原文件：%1").arg(source));
    if (sameFile(source, path)) throw DbError(QStringLiteral("不能用数据库文件自身还原"));
    QString why;
    if (!isLedgerDatabase(source, &why))
        throw DbError(QStringLiteral("%1 不是本系统的数据库：%2").arg(source, why));

    // The backup is copied beside the database first and checked again there, so the swap below
    // is two renames on one file system and the database is never half written.
    const QString staged = path + QStringLiteral(".restoring");
    QFile::remove(staged);
    if (!QFile::copy(source, staged) || !isLedgerDatabase(staged, &why)) {
        QFile::remove(staged);
        throw DbError(QStringLiteral("无法复制还原文件 %1 %2").arg(source, why));
    }
    // Once closed, the database file is whole and consistent: it becomes the safety copy.
    QString safety = safetyCopyPath(path, moment);
    for (int n = 2; QFileInfo::exists(safety); ++n)
        safety = safetyCopyPath(path, moment) + QStringLiteral("-%1").arg(n);
    dat.close();
    if (!QFile::rename(path, safety)) {
        QFile::remove(staged);
        dat.open(path);
        throw DbError(QStringLiteral("无法替换数据库文件：%1").arg(path));
    }
    if (!QFile::rename(staged, path)) {
        QFile::remove(staged);
        putBack(dat, safety, path);
        throw DbError(QStringLiteral("无法替换数据库文件：%1").arg(path));
    }
    try {
        dat.open(path);
    } catch (const DbError& e) {
        putBack(dat, safety, path);
        throw DbError(
            QStringLiteral("还原后的数据库无法打开，已恢复原数据库：%1").arg(e.message()));
    }
    return safety;
}

}  // namespace qb
