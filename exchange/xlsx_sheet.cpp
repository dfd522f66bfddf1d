#include "xlsx_sheet.h"

#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "errors.h"
#include "xlsx_package.h"
#include "xlsx_styles.h"

namespace qb::workbook::xlsx {
namespace {

using CellMap = std::map<int, Cell>;

// Text as a cell stores it: characters XML cannot carry (control characters, a lone surrogate)
// are written "_xHHHH_", the way spreadsheet programs store them, and a text that looks like such
// an escape is escaped itself. Everything else, characters beyond the basic plane too, is kept.
QString stored(const QString& text) {
    static const QRegularExpression escapeLike(QStringLiteral("_(x[0-9A-Fa-f]{4}_)"));
    QString escaped = text;
    escaped.replace(escapeLike, QStringLiteral("_x005F_\\1"));
    QString out;
    out.reserve(escaped.size());
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        const QChar c = escaped[i];
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < escaped.size() && escaped[i + 1].isLowSurrogate()) {
            out += c;
            out += escaped[++i];
            continue;
        }
        const bool allowed = u == '\t' || u == '\n' || u == '\r' ||
                             (u >= 0x20 && u != 0xfffe && u != 0xffff && !c.isSurrogate());
        out += allowed ? QString(c) : QStringLiteral("_x%1_").arg(int(u), 4, 16, QLatin1Char('0'));
    }
    return out;
}

int styleOf(const QXmlStreamAttributes& a) {
    return a.value(QLatin1String("s")).toInt();
}

class SheetWriter {
public:
    SheetWriter(const SheetPlan& plan, Styles& styles, QByteArray& out)
        : plan_(plan), cells_(plan.cells), styles_(styles), writer_(&out) {}

    void run(const QByteArray& xml, const QString& origin, const QString& part) {
        startReading(reader_, xml);
        bool found = false;
        while (!reader_.atEnd()) {
            reader_.readNext();
            const QStringView name = local(reader_.qualifiedName());
            if (reader_.isStartElement() && name == u"dimension") {
                writeDimension();
            } else if (reader_.isStartElement() && name == u"sheetData") {
                found = true;
                prefix_ = prefixOf(reader_.qualifiedName());
                copyToken(reader_, writer_);
                sheetData();
            } else {
                if (reader_.isStartElement() && name == u"col") readColumn();
                copyToken(reader_, writer_);
            }
        }
        requireWellFormed(reader_, origin, part);
        if (!found)
            throw DbError(QStringLiteral("工作簿 %1 的第一张表不是工作表，无法写入").arg(origin));
    }

private:
    bool clearing(int row, int column) const {
        return row >= plan_.clearFirstRow && row <= plan_.clearLastRow &&
               column >= cells_.blockFirstColumn() && column <= cells_.blockLastColumn();
    }

    void readColumn() {
        const QXmlStreamAttributes a = reader_.attributes();
        if (!a.hasAttribute(QLatin1String("style"))) return;
        const int style = a.value(QLatin1String("style")).toInt();
        for (int c = a.value(QLatin1String("min")).toInt();
             c <= std::min(a.value(QLatin1String("max")).toInt(), 16384); ++c)
            columnStyles_[c] = style;
    }

    // The formatting a cell without one of its own shows: its row's, its block's pattern's, its
    // column's.
    int defaultStyle(int row, int column, int rowStyle) const {
        if (rowStyle >= 0) return rowStyle;
        if (row > cells_.blockFirstRow() && cells_.hasBlock())
            if (const auto p = pattern_.find(column); p != pattern_.end()) return p->second;
        const auto c = columnStyles_.find(column);
        return c == columnStyles_.end() ? 0 : c->second;
    }

    void writeDimension() {
        QString ref = reader_.attributes().value(QLatin1String("ref")).toString();
        if (!cells_.rows().empty()) {
            const QStringList ends = ref.split(QLatin1Char(':'));
            int top = rowOf(ends.first()), left = columnOf(ends.first());
            int bottom = rowOf(ends.last()), right = columnOf(ends.last());
            for (const auto& [row, columns] : cells_.rows()) {
                top = top ? std::min(top, row) : row;
                bottom = std::max(bottom, row);
                left = left ? std::min(left, columns.begin()->first) : columns.begin()->first;
                right = std::max(right, columns.rbegin()->first);
            }
            ref = reference(top, left) + QLatin1Char(':') + reference(bottom, right);
        }
        writer_.writeStartElement(reader_.qualifiedName().toString());
        writer_.writeAttributes(withAttribute(reader_.attributes(), QStringLiteral("ref"), ref));
    }

    void sheetData() {
        auto pending = cells_.rows().begin();
        const auto end = cells_.rows().end();
        int row = 0;
        while (!reader_.atEnd()) {
            reader_.readNext();
            if (reader_.isEndElement()) {  // of sheetData
                for (; pending != end; ++pending)
                    newRow(pending->first, pending->second);
                copyToken(reader_, writer_);
                return;
            }
            if (!reader_.isStartElement() || local(reader_.qualifiedName()) != u"row") {
                copyElement(reader_, writer_);
                continue;
            }
            const QXmlStreamAttributes attributes = reader_.attributes();
            row = attributes.hasAttribute(QLatin1String("r"))
                      ? attributes.value(QLatin1String("r")).toInt()
                      : row + 1;
            for (; pending != end && pending->first < row; ++pending)
                newRow(pending->first, pending->second);
            const CellMap* set = nullptr;
            if (pending != end && pending->first == row) set = &(pending++)->second;
            if (set || clearing(row, cells_.blockFirstColumn()))
                changeRow(row, attributes, set);
            else
                copyRow(row, attributes);
        }
    }

    void copyRow(int row, const QXmlStreamAttributes& attributes) {
        if (row == cells_.blockFirstRow()) notePatternRow(attributes);
        writer_.writeStartElement(reader_.qualifiedName().toString());
        writer_.writeAttributes(
            withAttribute(attributes, QStringLiteral("r"), QString::number(row)));
        int column = 0;
        while (!reader_.atEnd()) {
            reader_.readNext();
            if (reader_.isEndElement()) break;
            if (reader_.isStartElement() && local(reader_.qualifiedName()) == u"c") {
                const QXmlStreamAttributes a = reader_.attributes();
                column = a.hasAttribute(QLatin1String("r")) ? columnOf(a.value(QLatin1String("r")))
                                                            : column + 1;
                if (row == cells_.blockFirstRow()) pattern_[column] = styleOf(a);
            }
            copyElement(reader_, writer_);
        }
        writer_.writeEndElement();
    }

    void notePatternRow(const QXmlStreamAttributes& attributes) {
        for (const char* name : {"ht", "customHeight"})
            if (attributes.hasAttribute(QLatin1String(name)))
                patternRow_.append(QLatin1String(name),
                                   attributes.value(QLatin1String(name)).toString());
    }

    // A row that gets cells or loses the earlier block's: every cell written with its
    // reference, since a cell put in between would move the ones that have none.
    void changeRow(int row, const QXmlStreamAttributes& attributes, const CellMap* set) {
        if (row == cells_.blockFirstRow()) notePatternRow(attributes);
        const bool ownFormat = attributes.value(QLatin1String("customFormat")) == u"1" ||
                               attributes.value(QLatin1String("customFormat")) == u"true";
        const int rowStyle = ownFormat ? styleOf(attributes) : -1;
        QXmlStreamAttributes rowAttributes =
            withAttribute(attributes, QStringLiteral("spans"), QString());
        writer_.writeStartElement(reader_.qualifiedName().toString());
        writer_.writeAttributes(
            withAttribute(rowAttributes, QStringLiteral("r"), QString::number(row)));
        static const CellMap none;
        auto next = (set ? set : &none)->begin();
        const auto end = (set ? set : &none)->end();
        int column = 0;
        while (!reader_.atEnd()) {
            reader_.readNext();
            if (reader_.isEndElement()) break;
            if (!reader_.isStartElement() || local(reader_.qualifiedName()) != u"c") {
                copyElement(reader_, writer_);
                continue;
            }
            const QXmlStreamAttributes a = reader_.attributes();
            column = a.hasAttribute(QLatin1String("r")) ? columnOf(a.value(QLatin1String("r")))
                                                        : column + 1;
            for (; next != end && next->first < column; ++next)
                newCell(row, next->first, next->second, defaultStyle(row, next->first, rowStyle));
            const QString ref = reference(row, column);
            if (next != end && next->first == column) {
                writeCell(withAttribute(a, QStringLiteral("r"), ref), styleOf(a), next->second);
                reader_.skipCurrentElement();
                ++next;
            } else if (clearing(row, column)) {
                const int own = lastStyle_ = styleOf(a);
                reader_.skipCurrentElement();
                // The pattern row keeps its cells, and a cell its own formatting.
                if (row == cells_.blockFirstRow() ||
                    !styles_.sameLook(own, defaultStyle(row, column, rowStyle)))
                    writeCell(withAttribute(a, QStringLiteral("r"), ref), own, Cell::blank());
            } else {
                lastStyle_ = styleOf(a);
                writer_.writeStartElement(reader_.qualifiedName().toString());
                writer_.writeAttributes(withAttribute(a, QStringLiteral("r"), ref));
                for (reader_.readNext(); !reader_.isEndElement() && !reader_.atEnd();
                     reader_.readNext())
                    copyElement(reader_, writer_);
                writer_.writeEndElement();
            }
            if (row == cells_.blockFirstRow()) pattern_[column] = lastStyle_;
        }
        for (; next != end; ++next)
            newCell(row, next->first, next->second, defaultStyle(row, next->first, rowStyle));
        writer_.writeEndElement();
    }

    void newRow(int row, const CellMap& set) {
        writer_.writeStartElement(prefix_ + QStringLiteral("row"));
        writer_.writeAttribute(QStringLiteral("r"), QString::number(row));
        if (row > cells_.blockFirstRow() && cells_.hasBlock()) writer_.writeAttributes(patternRow_);
        for (const auto& [column, cell] : set) {
            newCell(row, column, cell, defaultStyle(row, column, -1));
            if (row == cells_.blockFirstRow()) pattern_[column] = lastStyle_;
        }
        writer_.writeEndElement();
    }

    void newCell(int row, int column, const Cell& cell, int style) {
        QXmlStreamAttributes a;
        a.append(QStringLiteral("r"), reference(row, column));
        writeCell(a, style, cell);
    }

    // Writes the cell with the value; of the old cell only its reference, formatting and
    // phonetic flag stay.
    void writeCell(QXmlStreamAttributes attributes, int style, const Cell& cell) {
        for (const char* gone : {"t", "cm", "vm"})
            attributes = withAttribute(attributes, QLatin1String(gone), QString());
        lastStyle_ = styles_.forKind(style, cell.kind);
        attributes = withAttribute(attributes, QStringLiteral("s"),
                                   lastStyle_ ? QString::number(lastStyle_) : QString());
        const bool text = cell.kind == Cell::Kind::Text && !cell.text.isEmpty();
        if (text) attributes.append(QStringLiteral("t"), QStringLiteral("inlineStr"));
        writer_.writeStartElement(prefix_ + QStringLiteral("c"));
        writer_.writeAttributes(attributes);
        if (text) {
            writer_.writeStartElement(prefix_ + QStringLiteral("is"));
            writer_.writeStartElement(prefix_ + QStringLiteral("t"));
            writer_.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
            writer_.writeCharacters(stored(cell.text));
            writer_.writeEndElement();
            writer_.writeEndElement();
        } else if (cell.kind != Cell::Kind::Blank && cell.kind != Cell::Kind::Text) {
            writer_.writeTextElement(prefix_ + QStringLiteral("v"), number(cell));
        }
        writer_.writeEndElement();
    }

    QString number(const Cell& cell) const {
        switch (cell.kind) {
            case Cell::Kind::Amount:
                return money::text(cell.cents);
            case Cell::Kind::Date: {
                const QDate epoch = plan_.date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
                return QString::number(epoch.daysTo(cell.date));
            }
            default:
                return QString::number(cell.number, 'g', 15);
        }
    }

    const SheetPlan& plan_;
    const Sheet& cells_;
    Styles& styles_;
    QXmlStreamReader reader_;
    QXmlStreamWriter writer_;
    QString prefix_;
    std::map<int, int> columnStyles_;
    std::map<int, int> pattern_;       // the block's first row: column -> formatting
    QXmlStreamAttributes patternRow_;  // and its height
    int lastStyle_ = 0;
};

}  // namespace

QByteArray rewriteSheet(const QByteArray& xml, const SheetPlan& plan, Styles& styles,
                        const QString& origin, const QString& part) {
    QByteArray out;
    SheetWriter(plan, styles, out).run(xml, origin, part);
    return out;
}

int columnOf(QStringView ref) {
    int column = 0;
    for (const QChar c : ref) {
        if (c < QLatin1Char('A') || c > QLatin1Char('Z')) break;
        column = column * 26 + (c.unicode() - 'A' + 1);
    }
    return column;
}

int rowOf(QStringView ref) {
    qsizetype i = 0;
    while (i < ref.size() && ref[i] >= QLatin1Char('A') && ref[i] <= QLatin1Char('Z'))
        ++i;
    return ref.mid(i).toInt();
}

QString columnName(int column) {
    QString letters;
    for (int c = column; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters;
}

QString reference(int row, int column) {
    return columnName(column) + QString::number(row);
}

}  // namespace qb::workbook::xlsx
