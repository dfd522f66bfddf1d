#include "zbinfo.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include "errors.h"
#include "places.h"

namespace qb::zbinfo {
namespace {

QString overrideDirectory;

// UTF-8 when the bytes are valid UTF-8, otherwise the GB18030 superset of the old GBK files.
QString decode(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        QStringDecoder gb("GB18030");
        text = gb.isValid() ? gb.decode(bytes) : QString::fromLocal8Bit(bytes);
    }
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
}

bool containsKey(const QStringList& keys, const QString& key) {
    return keys.contains(key, Qt::CaseInsensitive);
}

// The entries once each, in first-seen order, as the reader will give them back.
QStringList uniqueKeys(const QStringList& entries) {
    QStringList keys;
    for (const QString& entry : entries) {
        const QString key = entry.section(QLatin1Char('='), 0, 0).trimmed();
        if (!key.isEmpty() && !containsKey(keys, key)) keys << key;
    }
    return keys;
}

void appendSection(QByteArray& out, const QString& section, const QStringList& keys) {
    if (keys.isEmpty()) return;
    out += '[' + section.toUtf8() + "]\r\n";
    for (const QString& key : keys)
        out += key.toUtf8() + "=\r\n";
}

[[noreturn]] void unableToWrite(const QString& file) {
    throw DbError(QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(file)));
}

}  // namespace

void setDirectory(const QString& directory) {
    overrideDirectory = directory;
}

QString directory() {
    return overrideDirectory.isEmpty() ? QDir::currentPath() : overrideDirectory;
}

QString pathIn(const QString& folder) {
    return QDir(folder).absoluteFilePath(QStringLiteral("zbinfo.ini"));
}

QString readPathIn(const QString& folder) {
    const QString program = places::programFolder();
    const QString own = pathIn(folder);
    if (program.isEmpty() || QFile::exists(own)) return own;
    const QString older = pathIn(program);
    return QFile::exists(older) ? older : own;
}

QList<std::pair<QString, QString>> readEntries(const QString& file, const QString& section) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) return {};
    const QStringList lines = decode(in.readAll()).split(QLatin1Char('\n'));
    QList<std::pair<QString, QString>> entries;
    bool inSection = false, seen = false;
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        // A header is a whole line in brackets; an entry such as "[旧]帐户=" stays an entry.
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            if (seen) break;  // the first section of that name is the one read
            inSection =
                line.mid(1, line.size() - 2).trimmed().compare(section, Qt::CaseInsensitive) == 0;
            seen = inSection;
            continue;
        }
        if (!inSection || line.isEmpty()) continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        entries.append(
            {line.left(equals).trimmed(), equals < 0 ? QString() : line.mid(equals + 1).trimmed()});
    }
    return entries;
}

QStringList readKeys(const QString& file, const QString& section) {
    QStringList keys;
    for (const auto& [key, value] : readEntries(file, section))
        if (!key.isEmpty() && !containsKey(keys, key)) keys << key;
    return keys;
}

void writeLists(const QString& file, const QStringList& names, const QStringList& categories) {
    const QStringList nameKeys = uniqueKeys(names);
    const QStringList categoryKeys = uniqueKeys(categories);
    if (nameKeys.isEmpty() && categoryKeys.isEmpty()) {
        if (QFile::exists(file) && !QFile::remove(file)) unableToWrite(file);
        return;
    }
    QByteArray out;
    appendSection(out, kNames, nameKeys);
    appendSection(out, kCategories, categoryKeys);
    // Unbuffered, so that a short write (a full disk, a size limit) shows in write()'s count:
    // a buffered flush at commit may drop the rest of the file and still report success.
    QSaveFile save(file);
    if (!save.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || save.write(out) != out.size() ||
        !save.commit())
        unableToWrite(file);
}

void add(const QString& folder, const QStringList& moreNames, const QStringList& moreCategories) {
    const QString from = readPathIn(folder);
    writeLists(pathIn(folder), readKeys(from, kNames) + moreNames,
               readKeys(from, kCategories) + moreCategories);
}

}  // namespace qb::zbinfo
