#include "workbook.h"

#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "errors.h"
#include "xlsx_package.h"
#include "xlsx_sheet.h"
#include "xlsx_styles.h"

namespace qb::workbook {

Cell Cell::ofText(const QString& text) {
    Cell c;
    c.kind = Kind::Text;
    c.text = text;
    return c;
}

Cell Cell::ofNumber(double number) {
    Cell c;
    c.kind = Kind::Number;
    c.number = number;
    return c;
}

Cell Cell::ofAmount(money::Cents cents) {
    Cell c;
    c.kind = Kind::Amount;
    c.cents = cents;
    return c;
}

Cell Cell::ofDate(const QDate& date) {
    if (!date.isValid()) return blank();
    Cell c;
    c.kind = Kind::Date;
    c.date = date;
    return c;
}

void Sheet::set(int row, int column, const Cell& cell) {
    rows_[row][column] = cell;
}

void Sheet::setBlock(int firstRow, int firstColumn, int lastColumn) {
    blockFirstRow_ = firstRow;
    blockFirstColumn_ = firstColumn;
    blockLastColumn_ = lastColumn;
}

int Sheet::blockLastRow() const {
    int last = blockFirstRow_ - 1;
    for (auto it = rows_.lower_bound(blockFirstRow_); it != rows_.end(); ++it)
        for (const auto& [column, cell] : it->second)
            if (column >= blockFirstColumn_ && column <= blockLastColumn_) last = it->first;
    return last;
}

namespace {

using namespace xlsx;

// The defined name by which a workbook remembers where the last fill put its block, so that
// the next fill can clear what a longer block left below its own.
const QString kBlockName = QStringLiteral("导出区域");

QString quotedSheet(const QString& name) {
    return QLatin1Char('\'') + QString(name).replace(QLatin1Char('\''), QStringLiteral("''")) +
           QLatin1Char('\'');
}

// "'日记帐'!$A$4:$J$63" or "日记帐!$A$4:$J$63": the last row, when it is on the sheet.
int lastRowOn(const QString& sheetName, const QString& range) {
    const qsizetype bang = range.lastIndexOf(QLatin1Char('!'));
    const QString sheet = range.left(bang);
    if (bang < 0 || (sheet != sheetName && sheet != quotedSheet(sheetName))) return 0;
    QString end = range.mid(range.lastIndexOf(QLatin1Char(':')) + 1);
    return rowOf(end.remove(QLatin1Char('$')));
}

// The last row of the block the last fill left, as its defined name says; 0 when unknown.
int lastBlockRow(const QByteArray& xml, const QString& sheetName, const QString& origin,
                 const QString& part) {
    QXmlStreamReader reader;
    startReading(reader, xml);
    QString blockRange;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && local(reader.qualifiedName()) == u"definedName" &&
            reader.attributes().value(QLatin1String("name")) == kBlockName)
            blockRange = reader.readElementText();
    }
    requireWellFormed(reader, origin, part);
    return lastRowOn(sheetName, blockRange);
}

// The workbook part with the block's defined name set (or removed when blockRange is empty) and
// formulas computed afresh when the workbook is opened, since cells they read have changed.
QByteArray markWorkbook(const QByteArray& xml, const QString& blockRange, const QString& origin,
                        const QString& part) {
    // Elements that follow definedNames and calcPr in a workbook part.
    static const QStringList after = {
        QStringLiteral("oleSize"),        QStringLiteral("customWorkbookViews"),
        QStringLiteral("pivotCaches"),    QStringLiteral("smartTagPr"),
        QStringLiteral("smartTagTypes"),  QStringLiteral("webPublishing"),
        QStringLiteral("fileRecoveryPr"), QStringLiteral("webPublishObjects"),
        QStringLiteral("extLst")};
    QXmlStreamReader reader;
    startReading(reader, xml);
    QByteArray out;
    QXmlStreamWriter writer(&out);
    QString prefix;
    bool named = false, calc = false;
    int depth = 0;
    auto writeName = [&] {
        if (!named && !blockRange.isEmpty()) {
            writer.writeStartElement(prefix + QStringLiteral("definedName"));
            writer.writeAttribute(QStringLiteral("name"), kBlockName);
            writer.writeCharacters(blockRange);
            writer.writeEndElement();
        }
        named = true;
    };
    auto writeCalc = [&] {
        if (!calc) {
            writer.writeEmptyElement(prefix + QStringLiteral("calcPr"));
            writer.writeAttribute(QStringLiteral("fullCalcOnLoad"), QStringLiteral("1"));
        }
        calc = true;
    };
    while (!reader.atEnd()) {
        reader.readNext();
        const QStringView name = local(reader.qualifiedName());
        if (reader.isStartElement() && depth == 0) prefix = prefixOf(reader.qualifiedName());
        const bool topLevel = depth == 1;
        if (reader.isStartElement()) ++depth;
        if (reader.isEndElement()) --depth;
        if (reader.isStartElement() && name == u"definedName" &&
            reader.attributes().value(QLatin1String("name")) == kBlockName) {
            reader.skipCurrentElement();
            --depth;
            continue;
        }
        if (reader.isEndElement() && name == u"definedNames") writeName();
        const bool followsNames = reader.isStartElement() && topLevel &&
                                  (name == u"calcPr" || after.contains(name.toString()));
        const bool endOfBook = reader.isEndElement() && depth == 0;
        if ((followsNames || endOfBook) && !named && !blockRange.isEmpty()) {
            writer.writeStartElement(prefix + QStringLiteral("definedNames"));
            writeName();
            writer.writeEndElement();
        }
        if (followsNames || endOfBook) named = true;
        if (reader.isStartElement() && name == u"calcPr") {
            writer.writeStartElement(reader.qualifiedName().toString());
            writer.writeAttributes(withAttribute(
                reader.attributes(), QStringLiteral("fullCalcOnLoad"), QStringLiteral("1")));
            calc = true;
            continue;
        }
        if ((followsNames && name != u"calcPr") || endOfBook) writeCalc();
        copyToken(reader, writer);
    }
    requireWellFormed(reader, origin, part);
    return out;
}

void fillPackage(Package& package, const Sheet& sheet) {
    const QString& origin = package.origin;
    const FirstSheet first = first_sheet(package);
    const QString& book = first.book;
    const QString& sheetPart = first.part;
    const QString stylesPart = package.related(book, u"/styles", true);
    Styles styles(package.part(stylesPart), origin);
    const int blockLastRow = sheet.blockLastRow();
    const SheetPlan plan{sheet, blockLastRow + 1,
                         lastBlockRow(package.part(book), first.name, origin, book),
                         first.date1904};
    package.setPart(sheetPart,
                    rewriteSheet(package.part(sheetPart), plan, styles, origin, sheetPart));
    if (styles.changed()) package.setPart(stylesPart, styles.xml());
    QString blockRange;
    if (sheet.hasBlock() && blockLastRow >= sheet.blockFirstRow()) {
        auto fixed = [](int row, int column) {
            return QStringLiteral("$%1$%2").arg(columnName(column)).arg(row);
        };
        blockRange = quotedSheet(first.name) + QLatin1Char('!') +
                     fixed(sheet.blockFirstRow(), sheet.blockFirstColumn()) + QLatin1Char(':') +
                     fixed(blockLastRow, sheet.blockLastColumn());
    }
    package.setPart(book, markWorkbook(package.part(book), blockRange, origin, book));
    // The calculation chain lists the formula cells; one now holding a value would make
    // spreadsheet programs call the file damaged. They rebuild the chain on their own.
    const QString chain = package.related(book, u"/calcChain", true);
    if (!chain.isEmpty()) {
        package.removePart(chain);
        package.removeRelationships(book, u"/calcChain");
        package.removeContentType(chain);
    }
}

// A workbook of one empty sheet, as spreadsheet programs make it, in 宋体.
Package blankPackage(const QString& path, const QString& sheetName,
                     const std::vector<double>& widths) {
    const QString main =
        QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");
    const QString rels =
        QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");
    const QString office =
        QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
    const QString type =
        QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.");
    auto xml = [](const QString& body) {
        return (QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n") +
                body)
            .toUtf8();
    };
    Package p;
    p.origin = path;
    p.setPart(
        QStringLiteral("[Content_Types].xml"),
        xml(QStringLiteral(
                "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                "<Default Extension=\"rels\" "
                "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                "<Override PartName=\"/xl/workbook.xml\" ContentType=\"%1sheet.main+xml\"/>"
                "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
                "ContentType=\"%1worksheet+xml\"/>"
                "<Override PartName=\"/xl/styles.xml\" ContentType=\"%1styles+xml\"/>"
                "</Types>")
                .arg(type)));
    p.setPart(QStringLiteral("_rels/.rels"),
              xml(QStringLiteral("<Relationships xmlns=\"%1\"><Relationship Id=\"rId1\" "
                                 "Type=\"%2/officeDocument\" Target=\"xl/workbook.xml\"/>"
                                 "</Relationships>")
                      .arg(rels, office)));
    QString name = sheetName;
    name.replace(QRegularExpression(QStringLiteral("[\\[\\]:*?/\\\\]")), QStringLiteral("_"));
    name = name.left(31).trimmed();
    if (name.isEmpty()) name = QStringLiteral("Sheet1");
    QByteArray book;
    {
        QXmlStreamWriter w(&book);
        w.writeStartDocument(QStringLiteral("1.0"), true);
        w.writeStartElement(QStringLiteral("workbook"));
        w.writeAttribute(QStringLiteral("xmlns"), main);
        w.writeAttribute(QStringLiteral("xmlns:r"), office);
        w.writeStartElement(QStringLiteral("sheets"));
        w.writeEmptyElement(QStringLiteral("sheet"));
        w.writeAttribute(QStringLiteral("name"), name);
        w.writeAttribute(QStringLiteral("sheetId"), QStringLiteral("1"));
        w.writeAttribute(QStringLiteral("r:id"), QStringLiteral("rId1"));
        w.writeEndDocument();
    }
    p.setPart(QStringLiteral("xl/workbook.xml"), book);
    p.setPart(QStringLiteral("xl/_rels/workbook.xml.rels"),
              xml(QStringLiteral("<Relationships xmlns=\"%1\">"
                                 "<Relationship Id=\"rId1\" Type=\"%2/worksheet\" "
                                 "Target=\"worksheets/sheet1.xml\"/>"
                                 "<Relationship Id=\"rId2\" Type=\"%2/styles\" "
                                 "Target=\"styles.xml\"/></Relationships>")
                      .arg(rels, office)));
    p.setPart(
        QStringLiteral("xl/styles.xml"),
        xml(QStringLiteral("<styleSheet xmlns=\"%1\">"
                           "<fonts count=\"1\"><font><sz val=\"10\"/><name val=\"宋体\"/>"
                           "<charset val=\"134\"/></font></fonts>"
                           "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
                           "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
                           "<borders count=\"1\"><border><left/><right/><top/><bottom/>"
                           "<diagonal/></border></borders>"
                           "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" "
                           "fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
                           "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
                           "borderId=\"0\" xfId=\"0\"/></cellXfs>"
                           "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" "
                           "builtinId=\"0\"/></cellStyles></styleSheet>")
                .arg(main)));
    QString columns;
    for (size_t i = 0; i < widths.size(); ++i)
        columns += QStringLiteral("<col min=\"%1\" max=\"%1\" width=\"%2\" customWidth=\"1\"/>")
                       .arg(i + 1)
                       .arg(widths[i], 0, 'f', 2);
    if (!columns.isEmpty())
        columns = QStringLiteral("<cols>") + columns + QStringLiteral("</cols>");
    p.setPart(
        QStringLiteral("xl/worksheets/sheet1.xml"),
        xml(QStringLiteral("<worksheet xmlns=\"%1\" xmlns:r=\"%2\">%3<sheetData/></worksheet>")
                .arg(main, office, columns)));
    return p;
}

}  // namespace

void create(const QString& path, const QString& sheetName, const Sheet& sheet,
            const std::vector<double>& columnWidths) {
    Package package = blankPackage(path, sheetName, columnWidths);
    fillPackage(package, sheet);
    package.write(path, Package::Replace);
}

void fill(const QString& path, const Sheet& sheet, const QString& templatePath) {
    Package package = Package::read(templatePath.isEmpty() ? path : templatePath);
    fillPackage(package, sheet);
    package.write(path, templatePath.isEmpty() ? Package::Replace : Package::NewFile);
}

}  // namespace qb::workbook
