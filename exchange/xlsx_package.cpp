#include "xlsx_package.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <limits>

#include "errors.h"
#include "files.h"

namespace qb::workbook::xlsx {
namespace {

// "xl/workbook.xml" keeps its relationships in "xl/_rels/workbook.xml.rels"; the package's own
// are in "_rels/.rels".
QString relationshipsOf(const QString& source) {
    const qsizetype slash = source.lastIndexOf(QLatin1Char('/'));
    return source.left(slash + 1) + QStringLiteral("_rels/") + source.mid(slash + 1) +
           QStringLiteral(".rels");
}

// A target is absolute from the package's root ("/xl/worksheets/sheet1.xml") or relative to
// the source part's folder ("worksheets/sheet1.xml").
QString resolve(const QString& source, const QString& target) {
    if (target.startsWith(QLatin1Char('/'))) return target.mid(1);
    const QString folder = source.left(source.lastIndexOf(QLatin1Char('/')) + 1);
    return QDir::cleanPath(folder + target);
}

// Copies an XML part, leaving out the elements for which drop says so.
template <class Drop>
QByteArray without(const QByteArray& xml, Drop drop, const QString& origin, const QString& part) {
    QXmlStreamReader reader;
    startReading(reader, xml);
    QByteArray out;
    QXmlStreamWriter writer(&out);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && drop(reader))
            reader.skipCurrentElement();
        else
            copyToken(reader, writer);
    }
    requireWellFormed(reader, origin, part);
    return out;
}

}  // namespace

Package Package::read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("无法读取工作簿 %1：%2").arg(path, file.errorString()));
    return unpack(file.readAll(), path, std::numeric_limits<qint64>::max());
}

Package Package::unpack(const QByteArray& bytes, const QString& origin, qint64 limit) {
    QByteArray held = bytes;
    QBuffer buffer(&held);
    QuaZip zip(&buffer);
    if (!zip.open(QuaZip::mdUnzip))
        throw DbError(QStringLiteral("%1 不是可以读取的工作簿（Office Open XML）").arg(origin));
    Package package;
    package.origin = origin;
    QuaZipFile entry(&zip);
    qint64 left = limit;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        const QString name = zip.getCurrentFileName();
        if (name.endsWith(QLatin1Char('/'))) continue;  // a folder entry
        if (!entry.open(QIODevice::ReadOnly))
            throw DbError(QStringLiteral("工作簿 %1 已损坏：无法读取 %2").arg(origin, name));
        // Read up to the bound only, whatever size the entry claims.
        QByteArray data;
        char chunk[64 * 1024];
        qint64 n = 0;
        while ((n = entry.read(chunk, sizeof chunk)) > 0) {
            if ((left -= n) < 0)
                throw DbError(QStringLiteral("工作簿 %1 解压后超过 %2 MB，不予读取")
                                  .arg(origin)
                                  .arg(limit / (1024 * 1024)));
            data.append(chunk, n);
        }
        if (n < 0) throw DbError(QStringLiteral("工作簿 %1 已损坏：无法读取 %2").arg(origin, name));
        package.parts_.emplace_back(name, std::move(data));
        entry.close();
        if (entry.getZipError() != UNZ_OK)
            throw DbError(QStringLiteral("工作簿 %1 已损坏：%2 校验不符").arg(origin, name));
    }
    if (zip.getZipError() != UNZ_OK || !package.has(QStringLiteral("[Content_Types].xml")))
        throw DbError(QStringLiteral("%1 不是可以读取的工作簿（Office Open XML）").arg(origin));
    return package;
}

void Package::write(const QString& path, Mode mode) const {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        QuaZip zip(&buffer);
        if (!zip.open(QuaZip::mdCreate))
            throw DbError(QStringLiteral("无法生成工作簿 %1").arg(path));
        QuaZipFile entry(&zip);
        for (const auto& [name, data] : parts_) {
            if (!entry.open(QIODevice::WriteOnly, QuaZipNewInfo(name)) ||
                entry.write(data) != data.size())
                throw DbError(QStringLiteral("无法生成工作簿 %1").arg(path));
            entry.close();
        }
        zip.close();
        if (zip.getZipError() != ZIP_OK)
            throw DbError(QStringLiteral("无法生成工作簿 %1").arg(path));
    }
    // A workbook its owner marked read-only stays as it is, whoever runs the program.
    if (const QFileInfo target(path); mode == Replace && target.exists() && !target.isSymLink() &&
                                      !target.permission(QFileDevice::WriteOwner))
        throw DbError(QStringLiteral("工作簿 %1 是只读文件，不能写入").arg(path));
    files::writeWhole(path, bytes,
                      mode == NewFile ? files::Existing::Keep : files::Existing::Replace);
}

bool Package::has(const QString& name) const {
    for (const auto& p : parts_)
        if (p.first == name) return true;
    return false;
}

QByteArray Package::part(const QString& name) const {
    for (const auto& p : parts_)
        if (p.first == name) return p.second;
    return {};
}

void Package::setPart(const QString& name, const QByteArray& data) {
    for (auto& p : parts_)
        if (p.first == name) {
            p.second = data;
            return;
        }
    parts_.emplace_back(name, data);
}

void Package::removePart(const QString& name) {
    std::erase_if(parts_, [&](const auto& p) { return p.first == name; });
}

QString Package::related(const QString& source, QStringView idOrType, bool byType) const {
    QXmlStreamReader reader;
    startReading(reader, part(relationshipsOf(source)));
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement() || local(reader.qualifiedName()) != u"Relationship") continue;
        const QXmlStreamAttributes a = reader.attributes();
        const bool match = byType ? a.value(QLatin1String("Type")).endsWith(idOrType)
                                  : a.value(QLatin1String("Id")) == idOrType;
        if (match && a.value(QLatin1String("TargetMode")) != u"External")
            return resolve(source, a.value(QLatin1String("Target")).toString());
    }
    return {};
}

void Package::removeRelationships(const QString& source, QStringView typeEnd) {
    const QString name = relationshipsOf(source);
    setPart(name, without(
                      part(name),
                      [&](const QXmlStreamReader& r) {
                          return local(r.qualifiedName()) == u"Relationship" &&
                                 r.attributes().value(QLatin1String("Type")).endsWith(typeEnd);
                      },
                      origin, name));
}

void Package::removeContentType(const QString& partName) {
    const QString name = QStringLiteral("[Content_Types].xml");
    const QString absolute = QLatin1Char('/') + partName;
    setPart(name, without(
                      part(name),
                      [&](const QXmlStreamReader& r) {
                          return local(r.qualifiedName()) == u"Override" &&
                                 r.attributes().value(QLatin1String("PartName")) == absolute;
                      },
                      origin, name));
}

void startReading(QXmlStreamReader& reader, const QByteArray& xml) {
    reader.clear();
    reader.setNamespaceProcessing(false);
    reader.addData(xml);
}

QStringView local(QStringView qualifiedName) {
    const qsizetype colon = qualifiedName.indexOf(QLatin1Char(':'));
    return colon < 0 ? qualifiedName : qualifiedName.mid(colon + 1);
}

QString prefixOf(QStringView qualifiedName) {
    const qsizetype colon = qualifiedName.indexOf(QLatin1Char(':'));
    return colon < 0 ? QString() : qualifiedName.left(colon + 1).toString();
}

void copyToken(const QXmlStreamReader& reader, QXmlStreamWriter& writer) {
    switch (reader.tokenType()) {
        case QXmlStreamReader::StartDocument:
            writer.writeStartDocument(QStringLiteral("1.0"), reader.isStandaloneDocument());
            break;
        case QXmlStreamReader::StartElement:
            writer.writeStartElement(reader.qualifiedName().toString());
            for (const QXmlStreamAttribute& a : reader.attributes())
                writer.writeAttribute(a.qualifiedName().toString(), a.value().toString());
            break;
        case QXmlStreamReader::EndElement:
            writer.writeEndElement();
            break;
        default:
            writer.writeCurrentToken(reader);
    }
}

void copyElement(QXmlStreamReader& reader, QXmlStreamWriter& writer) {
    if (!reader.isStartElement()) return copyToken(reader, writer);
    for (int depth = 0; !reader.atEnd(); reader.readNext()) {
        copyToken(reader, writer);
        if (reader.isStartElement())
            ++depth;
        else if (reader.isEndElement() && --depth == 0)
            return;
    }
}

QXmlStreamAttributes withAttribute(const QXmlStreamAttributes& attributes, const QString& name,
                                   const QString& value) {
    QXmlStreamAttributes result;
    bool done = false;
    for (const QXmlStreamAttribute& a : attributes) {
        if (a.qualifiedName() != name) {
            result.append(a);
        } else if (!done && !value.isNull()) {
            result.append(name, value);
            done = true;
        } else {
            done = true;
        }
    }
    if (!done && !value.isNull()) result.append(name, value);
    return result;
}

FirstSheet first_sheet(const Package& package) {
    FirstSheet sheet;
    sheet.book = package.related(QString(), u"/officeDocument", true);
    if (sheet.book.isEmpty() || !package.has(sheet.book))
        throw DbError(QStringLiteral("%1 不是工作簿：其中没有工作簿部分").arg(package.origin));
    QXmlStreamReader reader;
    startReading(reader, package.part(sheet.book));
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement()) continue;
        const QStringView name = local(reader.qualifiedName());
        const QXmlStreamAttributes a = reader.attributes();
        if (name == u"workbookPr") {
            const QStringView flag = a.value(QLatin1String("date1904"));
            sheet.date1904 = flag == u"1" || flag == u"true";
        } else if (name == u"sheet" && sheet.relationship.isEmpty()) {
            sheet.name = a.value(QLatin1String("name")).toString();
            for (const QXmlStreamAttribute& x : a)  // r:id, whatever its prefix
                if (x.qualifiedName().endsWith(u":id")) sheet.relationship = x.value().toString();
        }
    }
    requireWellFormed(reader, package.origin, sheet.book);
    sheet.part = package.related(sheet.book, sheet.relationship);
    if (sheet.relationship.isEmpty() || !package.has(sheet.part))
        throw DbError(QStringLiteral("工作簿 %1 中没有工作表").arg(package.origin));
    return sheet;
}

void requireWellFormed(const QXmlStreamReader& reader, const QString& origin, const QString& part) {
    if (reader.hasError())
        throw DbError(QStringLiteral("工作簿 %1 已损坏：%2 第 %3 行：%4")
                          .arg(origin, part)
                          .arg(reader.lineNumber())
                          .arg(reader.errorString()));
}

}  // namespace qb::workbook::xlsx
