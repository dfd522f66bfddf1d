#include "zbinfo.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include "errors.h"
#include "files.h"
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

bool isHeader(const QString& line) {
    return line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'));
}

// Through the one file writer: whole or not at all, never through a link.
void saveWhole(const QString& file, const QByteArray& out) {
    if (const QString why = files::whyNotWritable(file); !why.isEmpty()) throw DbError(why);
    try {
        files::writeWhole(file, out);
    } catch (const DbError&) {
        unableToWrite(file);
    }
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
        if (isHeader(line)) {
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
    saveWhole(file, out);
}

void writeEntry(const QString& file, const QString& section, const QString& key,
                const QString& value) {
    QStringList lines;
    QFile in(file);
    if (in.open(QIODevice::ReadOnly)) lines = decode(in.readAll()).split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    const QString entry = key + QLatin1Char('=') + value;
    qsizetype header = -1, end = lines.size();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (!isHeader(line)) continue;
        if (header >= 0) {
            end = i;
            break;
        }
        if (line.mid(1, line.size() - 2).trimmed().compare(section, Qt::CaseInsensitive) == 0)
            header = i;
    }
    if (header < 0) {
        lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
    } else {
        qsizetype at = -1;
        for (qsizetype i = header + 1; i < end && at < 0; ++i)
            if (lines[i]
                    .section(QLatin1Char('='), 0, 0)
                    .trimmed()
                    .compare(key, Qt::CaseInsensitive) == 0)
                at = i;
        if (at >= 0) {
            lines[at] = entry;
        } else {
            while (end > header + 1 && lines[end - 1].trimmed().isEmpty())
                --end;
            lines.insert(end, entry);
        }
    }
    saveWhole(file, (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
}

void add(const QString& folder, const QStringList& moreNames, const QStringList& moreCategories) {
    const QString from = readPathIn(folder);
    writeLists(pathIn(folder), readKeys(from, kNames) + moreNames,
               readKeys(from, kCategories) + moreCategories);
}

}  // namespace qb::zbinfo
