#include "places.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "errors.h"
#include "files.h"
#include "zbinfo.h"

namespace qb::places {
namespace {

const QString kSettingsName = QStringLiteral("quillbook.ini");
const QString kDataSection = QStringLiteral("data");
const QString kFolderKey = QStringLiteral("folder");

QString userSettingsFile() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .absoluteFilePath(QStringLiteral("quillbook/") + kSettingsName);
}

bool isHeader(const QString& line) {
    const QString t = line.trimmed();
    return t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'));
}

// The file's lines without its section [data].
QStringList linesWithoutDataSection(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) return {};
    QStringList kept;
    bool inData = false;
    for (const QString& line : QString::fromUtf8(in.readAll()).split(QLatin1Char('\n'))) {
        if (isHeader(line))
            inData = !line.trimmed().mid(1).chopped(1).trimmed().compare(kDataSection,
                                                                         Qt::CaseInsensitive);
        if (!inData) kept << QString(line).remove(QLatin1Char('\r'));
    }
    while (!kept.isEmpty() && kept.last().trimmed().isEmpty())
        kept.removeLast();
    return kept;
}

}  // namespace

QString programFolder() {
    // Without an application object (a core test) there is no program folder to look in.
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
}

QString shipped(const QString& ledgerFolder, const QString& name) {
    const QString own = QDir(ledgerFolder).absoluteFilePath(name);
    QStringList candidates{own};
    if (const QString program = programFolder(); !program.isEmpty())
        candidates << QDir(program).absoluteFilePath(QStringLiteral("../share/quillbook/") + name)
                   << QDir(program).absoluteFilePath(name);
    for (const QString& candidate : candidates)
        if (QFileInfo(candidate).isFile()) return QDir::cleanPath(candidate);
    return own;
}

QString settingsFile() {
    const QString user = userSettingsFile();
    const QString program = programFolder();
    const QString older = QDir(program).absoluteFilePath(kSettingsName);
    return !program.isEmpty() && !QFileInfo::exists(user) && QFileInfo::exists(older) ? older
                                                                                      : user;
}

QString rememberedDataFolder() {
    for (const auto& [key, value] : zbinfo::readEntries(settingsFile(), kDataSection))
        if (!key.compare(kFolderKey, Qt::CaseInsensitive)) return value;
    return {};
}

void rememberDataFolder(const QString& folder) {
    if (folder.contains(QLatin1Char('\n')) || folder.contains(QLatin1Char('\r')))
        throw DbError(QStringLiteral("文件夹名称中不能有换行：%1").arg(folder));
    const QString target = userSettingsFile();
    if (!QDir().mkpath(QFileInfo(target).absolutePath()))
        throw DbError(QStringLiteral("无法建立文件夹 %1").arg(QFileInfo(target).absolutePath()));
    // An older file beside the program is carried over with the user's first own settings.
    QStringList lines = linesWithoutDataSection(settingsFile());
    if (!lines.isEmpty()) lines << QString();
    lines << QLatin1Char('[') + kDataSection + QLatin1Char(']')
          << kFolderKey + QLatin1Char('=') + QDir::cleanPath(folder) << QString();
    const QByteArray bytes = lines.join(QStringLiteral("\r\n")).toUtf8();
    files::PrivateFile file(target, files::PrivateFile::Name::UniqueBeside);
    file.write(bytes.constData(), bytes.size());
    file.finish();
    files::placeReplacing(file.path(), target);
    file.release();
}

QString proposedDataFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
        .absoluteFilePath(QStringLiteral("Quillbook"));
}

}  // namespace qb::places
