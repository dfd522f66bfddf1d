#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QXmlStreamAttributes>
#include <vector>

class QXmlStreamReader;
class QXmlStreamWriter;

// The pieces of an Office Open XML workbook that the workbook writer (workbook.h) shares
// between its parts: the zip package and the copying of XML as it was written.
namespace qb::workbook::xlsx {

// The parts of a package (a zip file), in their order, held in memory.
class Package {
public:
    // Reads the file; a file that is not a zip package gives a qb::DbError naming it.
    static Package read(const QString& path);
    // The package in the bytes, refused when its parts unpack to more than limit bytes together
    // (a small file can unpack to very much).
    static Package unpack(const QByteArray& bytes, const QString& origin, qint64 limit);
    // Writes the package whole through a temporary file, so a failure leaves the file as it was.
    // A new file is made for its owner alone and never put over a file that is there.
    enum Mode { Replace, NewFile };
    void write(const QString& path, Mode mode) const;

    bool has(const QString& name) const;
    QByteArray part(const QString& name) const;                 // empty when absent
    void setPart(const QString& name, const QByteArray& data);  // added at the end when new
    void removePart(const QString& name);

    // The part a relationship of the source part leads to, found by its id or, with byType, by
    // the end of its type ("/officeDocument", "/styles"); empty when there is none.
    QString related(const QString& source, QStringView idOrType, bool byType = false) const;
    // Drops the relationships of the source part whose type ends so.
    void removeRelationships(const QString& source, QStringView typeEnd);
    // Drops the content type that names a part.
    void removeContentType(const QString& part);

    // The file name shown in messages.
    QString origin;

private:
    std::vector<std::pair<QString, QByteArray>> parts_;
};

// The first sheet of the package's workbook, as its workbook part names it.
struct FirstSheet {
    QString book;  // the workbook part
    QString name;
    QString relationship;   // the workbook's relationship to the sheet
    QString part;           // the worksheet part
    bool date1904 = false;  // dates count from 1904
};
// Refused when the package has no workbook part or no sheet.
FirstSheet first_sheet(const Package& package);

// XML parts are read without namespace processing and copied token by token, so every prefix
// and declaration stays as the program that wrote the file chose it.
void startReading(QXmlStreamReader& reader, const QByteArray& xml);
// The name without its prefix: "x:row" and "row" are both "row".
QStringView local(QStringView qualifiedName);
// "x:" for "x:sheetData", empty for "sheetData": for new elements beside existing ones.
QString prefixOf(QStringView qualifiedName);
// Writes the reader's current token; a start element is written with its attributes.
void copyToken(const QXmlStreamReader& reader, QXmlStreamWriter& writer);
// Writes the reader's current element with everything in it; the reader ends on its end tag.
void copyElement(QXmlStreamReader& reader, QXmlStreamWriter& writer);
// The attributes with the named one set to the value (added when missing), or removed when the
// value is null.
QXmlStreamAttributes withAttribute(const QXmlStreamAttributes& attributes, const QString& name,
                                   const QString& value);
// Throws a qb::DbError when the part could not be read as XML.
void requireWellFormed(const QXmlStreamReader& reader, const QString& origin, const QString& part);

}  // namespace qb::workbook::xlsx
