// Statements that banks export as workbooks: the first sheet of an .xlsx through the workbook
// code (QuaZip and Qt's XML reader), of an .xls through FreeXL; both become the rows a CSV file
// gives, so the same header search and columns apply.
#include <freexl.h>
#include <QFile>
#include <QXmlStreamReader>
#include <cmath>

#include "errors.h"
#include "statement_detail.h"
#include "xlsx_package.h"
#include "xlsx_sheet.h"
#include "xlsx_styles.h"

namespace qb::statement::detail {
namespace {

namespace X = workbook::xlsx;

// Unpacked, a workbook is many times its file; this bounds what one statement may take.
constexpr qint64 kMaxUnpackedBytes = 100LL * 1024 * 1024;

// The text of an element with rich runs (<r><t>…</t></r>), without its phonetic guides.
QString textOf(QXmlStreamReader& reader) {
    QString text;
    int depth = 1;
    while (depth > 0 && !reader.atEnd()) {
        reader.readNext();
        if (reader.isEndElement()) --depth;
        if (!reader.isStartElement()) continue;
        const QStringView name = X::local(reader.qualifiedName());
        if (name == u"t")
            text += reader.readElementText(QXmlStreamReader::IncludeChildElements);
        else if (name == u"rPh")
            reader.skipCurrentElement();
        else
            ++depth;
    }
    return text;
}

std::vector<QString> sharedStrings(const X::Package& package, const QString& book) {
    std::vector<QString> strings;
    const QString part = package.related(book, u"/sharedStrings", true);
    if (part.isEmpty()) return strings;
    QXmlStreamReader reader;
    X::startReading(reader, package.part(part));
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && X::local(reader.qualifiedName()) == u"si")
            strings.push_back(textOf(reader));
    }
    X::requireWellFormed(reader, package.origin, part);
    return strings;
}

// A number in a date format as the statement's date (and time, when it has one).
QString dateText(double serial, bool date1904) {
    const QDate epoch = date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    const double days = std::floor(serial);
    const int seconds = int(std::lround((serial - days) * 86400));
    const QDateTime when = QDateTime(epoch.addDays(qint64(days)), QTime(0, 0)).addSecs(seconds);
    if (serial < 1) return when.time().toString(QStringLiteral("HH:mm:ss"));
    return when.toString(seconds == 0 ? QStringLiteral("yyyy-MM-dd")
                                      : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

struct SheetContext {
    const std::vector<QString>& strings;
    X::Styles& styles;
    bool date1904;
};

QString cellText(QXmlStreamReader& reader, const SheetContext& sheet) {
    const QXmlStreamAttributes a = reader.attributes();
    const QString type = a.value(QLatin1String("t")).toString();
    const int style = a.value(QLatin1String("s")).toInt();
    QString value, inlineText;
    while (reader.readNextStartElement()) {
        const QStringView name = X::local(reader.qualifiedName());
        if (name == u"v")
            value = reader.readElementText();
        else if (name == u"is")
            inlineText = textOf(reader);
        else
            reader.skipCurrentElement();
    }
    if (type == u"inlineStr") return inlineText;
    if (type == u"s") {
        const qsizetype at = value.toLongLong();
        return at >= 0 && at < qsizetype(sheet.strings.size()) ? sheet.strings[size_t(at)]
                                                               : QString();
    }
    if (!type.isEmpty() && type != u"n") return value;  // str, b, e
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok) return value;
    return sheet.styles.showsDate(style) ? dateText(number, sheet.date1904) : numberText(number);
}

}  // namespace

QString numberText(double value) {
    if (std::nearbyint(value) == value && std::fabs(value) < 1e18)
        return QString::number(qint64(value));
    return QString::number(value, 'g', 15);
}

Rows xlsx_rows(const QString& path, const QByteArray& bytes) {
    const X::Package package = X::Package::unpack(bytes, path, kMaxUnpackedBytes);
    const X::FirstSheet first = X::first_sheet(package);
    const std::vector<QString> strings = sharedStrings(package, first.book);
    X::Styles styles(package.part(package.related(first.book, u"/styles", true)), path);
    const SheetContext sheet{strings, styles, first.date1904};
    Rows result;
    result.encoding = QStringLiteral("xlsx");
    QXmlStreamReader reader;
    X::startReading(reader, package.part(first.part));
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement() || X::local(reader.qualifiedName()) != u"row") continue;
        Row row;
        const int number = reader.attributes().value(QLatin1String("r")).toInt();
        row.line = number > 0 ? number : (result.rows.empty() ? 1 : result.rows.back().line + 1);
        while (reader.readNextStartElement()) {
            if (X::local(reader.qualifiedName()) != u"c") {
                reader.skipCurrentElement();
                continue;
            }
            const int column = X::columnOf(reader.attributes().value(QLatin1String("r")));
            const int at = column > 0 ? column - 1 : int(row.cells.size());
            // A sheet names its columns; one far off the statement's is no column of it.
            if (at >= 1000) {
                reader.skipCurrentElement();
                continue;
            }
            const QString text = padless(cellText(reader, sheet));
            while (row.cells.size() <= at)
                row.cells << QString();
            row.cells[at] = text;
        }
        result.rows.push_back(std::move(row));
    }
    X::requireWellFormed(reader, path, first.part);
    return result;
}

Rows xls_rows(const QString& path) {
    const void* handle = nullptr;
    if (freexl_open(QFile::encodeName(path).constData(), &handle) != FREEXL_OK) {
        if (handle) freexl_close(handle);
        refuse(path, QStringLiteral("不是可以读取的 Excel 97-2003 工作簿（.xls）"));
    }
    struct Closing {
        const void* handle;
        ~Closing() { freexl_close(handle); }
    } closing{handle};
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(handle, 0) != FREEXL_OK ||
        freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK)
        refuse(path, QStringLiteral("工作簿中没有可以读取的工作表"));
    Rows result;
    result.encoding = QStringLiteral("xls");
    for (unsigned int r = 0; r < rows; ++r) {
        Row row;
        row.line = int(r) + 1;
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue value;
            if (freexl_get_cell_value(handle, r, c, &value) != FREEXL_OK)
                refuseLine(path, row.line, QStringLiteral("：单元格无法读取，工作簿可能已损坏"));
            switch (value.type) {
                case FREEXL_CELL_INT:
                    row.cells << QString::number(value.value.int_value);
                    break;
                case FREEXL_CELL_DOUBLE:
                    row.cells << numberText(value.value.double_value);
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                case FREEXL_CELL_TIME:
                    row.cells << padless(QString::fromUtf8(value.value.text_value));
                    break;
                default:
                    row.cells << QString();
            }
        }
        result.rows.push_back(std::move(row));
    }
    return result;
}

}  // namespace qb::statement::detail
