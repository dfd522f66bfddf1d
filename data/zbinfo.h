#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

// The settings file "zbinfo.ini" beside the ledger file: the lists of book names and book
// categories offered when books are created and looked up. It is an INI file of key names
// without values; files written by older programs in the Chinese ANSI code page still read.
namespace qb::zbinfo {

inline const QString kNames = QStringLiteral("帐簿名称");
inline const QString kCategories = QStringLiteral("帐簿类别");

// The directory holding the file: the ledger's folder, which is the current directory unless
// set (the command-line tool's --dir, tests, tools). An empty text restores the current directory.
void setDirectory(const QString& directory);
QString directory();
// The file in a folder, and the file its lists are read from: that one, or while there is none
// an older desk's file beside the program (saving then writes the lists beside the ledger).
QString pathIn(const QString& folder);
QString readPathIn(const QString& folder);
inline QString path() {
    return pathIn(directory());
}

// The entries of a section in file order: the text before the first "=" and after it, blanks
// around each dropped. Only the first section of that name counts; a missing file or section
// gives none.
QList<std::pair<QString, QString>> readEntries(const QString& file, const QString& section);

// The key names of a section in file order: text before the first "=", blanks around it
// dropped, each name once (the first of names equal without regard to case). A missing file
// or section gives an empty list.
QStringList readKeys(const QString& file, const QString& section);
inline QStringList names() {
    return readKeys(readPathIn(directory()), kNames);
}
inline QStringList categories() {
    return readKeys(readPathIn(directory()), kCategories);
}

// Rewrites the file with the two sections (a section without entries is left out; with both
// empty the file is removed). The new file replaces the old one only once it is complete, so a
// failed save keeps the previous lists; it throws qb::DbError "Unable to write to <path>".
void writeLists(const QString& file, const QStringList& names, const QStringList& categories);
inline void save(const QStringList& names, const QStringList& categories) {
    writeLists(path(), names, categories);
}
// Adds names and categories to the lists of the folder's file, after those they hold.
void add(const QString& folder, const QStringList& moreNames, const QStringList& moreCategories);

// Sets one entry "key=value" of a section (its first entry of that key, or a new one at the
// section's end; a new section at the file's end), keeping every other line as it is. Written
// whole like writeLists, and throws the same way.
void writeEntry(const QString& file, const QString& section, const QString& key,
                const QString& value);

}  // namespace qb::zbinfo
