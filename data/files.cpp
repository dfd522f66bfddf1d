#include "files.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "errors.h"

namespace qb::files {
namespace {

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

QString reason() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

void syncFolderOf(const QString& path) {
    const int fd = ::open(native(QFileInfo(path).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;  // the rename itself succeeded; only its durability is left to the system
    ::fsync(fd);
    ::close(fd);
}

// The file system (or an older kernel) cannot rename with the flag asked for.
bool renameFlagUnsupported() {
    return errno == EINVAL || errno == ENOSYS || errno == ENOTSUP;
}

}  // namespace

PrivateFile::PrivateFile(const QString& path, Name name) : path_(path) {
    if (name == Name::UniqueBeside) {
        const QFileInfo info(path);
        QByteArray unique = native(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                                   QStringLiteral(".new-XXXXXX"));
        fd_ = ::mkostemp(unique.data(), O_CLOEXEC);  // made for the owner alone
        path_ = QFile::decodeName(unique);
    } else {
        fd_ = ::open(native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    }
    if (fd_ < 0) throw DbError(QStringLiteral("无法建立文件 %1：%2").arg(path, reason()));
}

PrivateFile::~PrivateFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!released_) ::unlink(native(path_).constData());
}

void PrivateFile::write(const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size_t(size));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw DbError(QStringLiteral("无法写入文件 %1：%2").arg(path_, reason()));
        data += n;
        size -= n;
    }
}

void PrivateFile::finish() {
    const bool synced = ::fsync(fd_) == 0;
    const QString why = reason();
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!synced || !closed)
        throw DbError(QStringLiteral("无法写入文件 %1：%2").arg(path_, synced ? reason() : why));
}

void placeWithoutReplacing(const QString& from, const QString& to) {
    const auto refused = [&to] {
        return DbError(errno == EEXIST
                           ? whyTaken(to)
                           : QStringLiteral("无法把文件改名为 %1：%2").arg(to, reason()));
    };
    if (::renameat2(AT_FDCWD, native(from).constData(), AT_FDCWD, native(to).constData(),
                    RENAME_NOREPLACE) != 0) {
        // File systems without the no-replace rename still refuse a taken name for a new link.
        if (!renameFlagUnsupported()) throw refused();
        if (::link(native(from).constData(), native(to).constData()) != 0) throw refused();
        ::unlink(native(from).constData());
    }
    syncFolderOf(to);
}

void placeReplacing(const QString& from, const QString& to) {
    if (const QString why = whyNotWritable(to); !why.isEmpty()) throw DbError(why);
    if (::rename(native(from).constData(), native(to).constData()) != 0)
        throw DbError(QStringLiteral("无法把文件改名为 %1：%2").arg(to, reason()));
    syncFolderOf(to);
}

bool exchange(const QString& a, const QString& b) {
    if (::renameat2(AT_FDCWD, native(a).constData(), AT_FDCWD, native(b).constData(),
                    RENAME_EXCHANGE) != 0) {
        if (renameFlagUnsupported()) return false;
        throw DbError(QStringLiteral("无法交换文件 %1 和 %2：%3").arg(a, b, reason()));
    }
    syncFolderOf(b);
    return true;
}

void copyToPrivate(const QString& source, const QString& target) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("无法读取文件 %1：%2").arg(source, in.errorString()));
    PrivateFile out(target);
    QByteArray buffer(4 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(buffer.data(), buffer.size());
        if (n < 0)
            throw DbError(QStringLiteral("无法读取文件 %1：%2").arg(source, in.errorString()));
        if (n == 0) break;
        out.write(buffer.constData(), n);
    }
    out.finish();
    out.release();
}

QString whyNotWritable(const QString& path) {
    struct stat st {};
    if (::lstat(native(path).constData(), &st) != 0) return {};
    if (S_ISLNK(st.st_mode))
        return QStringLiteral(
                   "%1 是指向 %2 的链接；文件不会写到链接指向的地方。请换一个文件名，"
                   "或先删除这个链接。")
            .arg(path, QFileInfo(path).symLinkTarget());
    if (S_ISDIR(st.st_mode)) return QStringLiteral("%1 是一个文件夹，不能写成文件。").arg(path);
    if (!S_ISREG(st.st_mode)) return QStringLiteral("%1 不是普通文件，不能写入。").arg(path);
    return {};
}

void writeWhole(const QString& target, const QByteArray& bytes, Existing existing) {
    if (const QString why = whyNotWritable(target); !why.isEmpty()) throw DbError(why);
    if (existing == Existing::Keep && QFileInfo::exists(target))
        throw DbError(QStringLiteral("文件 %1 已经存在，不会覆盖。").arg(target));
    PrivateFile file(target, PrivateFile::Name::UniqueBeside);
    file.write(bytes.constData(), bytes.size());
    file.finish();
    if (existing == Existing::Keep)
        placeWithoutReplacing(file.path(), target);
    else
        placeReplacing(file.path(), target);
    file.release();
}

bool sameFile(const QString& a, const QString& b) {
    struct stat first {
    }, second{};
    return ::stat(native(a).constData(), &first) == 0 &&
           ::stat(native(b).constData(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

void removeStaleCopies(const QString& path) {
    const QFileInfo info(path);
    const QString prefix = QStringLiteral(".") + info.fileName() + QStringLiteral(".new-");
    const QDateTime stale = QDateTime::currentDateTime().addSecs(-3600);
    const QDir folder = info.absoluteDir();
    for (const QFileInfo& file :
         folder.entryInfoList({prefix + QStringLiteral("??????")}, QDir::Files | QDir::Hidden))
        if (!file.isSymLink() && file.lastModified() < stale) QFile::remove(file.filePath());
}

QString whyTaken(const QString& path) {
    struct stat st {};
    if (::lstat(native(path).constData(), &st) != 0) return {};
    if (S_ISLNK(st.st_mode)) {
        const QString target = QFileInfo(path).symLinkTarget();
        if (!QFileInfo::exists(path))
            return QStringLiteral(
                       "%1 是指向 %2 的链接，那里没有文件；不会顺着这个链接在别处建立"
                       "数据库。请先删除这个链接。")
                .arg(path, target);
        return QStringLiteral("%1 是指向 %2 的链接，那里已有文件，不会覆盖。").arg(path, target);
    }
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("%1 是一个文件夹，不能用作数据库文件。").arg(path);
    return QStringLiteral("数据库文件已存在，不会覆盖：%1").arg(path);
}

}  // namespace qb::files
