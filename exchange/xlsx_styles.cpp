#include "xlsx_styles.h"

#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "xlsx_package.h"

namespace qb::workbook::xlsx {
namespace {

constexpr int kGeneral = 0;
constexpr int kAmount = 4;  // "#,##0.00", built into every spreadsheet program
constexpr int kText = 49;   // "@"
constexpr int kFirstCustom = 164;
const QString kDateCode = QStringLiteral("yyyy-mm-dd");
const QString kStylesPart = QStringLiteral("xl/styles.xml");

bool builtInDate(int id) {
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
           (id >= 50 && id <= 58);
}

// A custom code shows dates when, quoted texts, escaped characters and bracketed parts (colours,
// conditions, locales) aside, it holds a date or time letter.
bool dateCode(const QString& code) {
    static const QRegularExpression noise(QStringLiteral("\"[^\"]*\"|\\\\.|\\[[^\\]]*\\]"));
    static const QRegularExpression letters(QStringLiteral("[ymdhsYMDHS]"));
    QString stripped = code;
    stripped.remove(noise);
    return stripped.contains(letters);
}

int intOf(const QXmlStreamAttributes& a, const char* name) {
    return a.value(QLatin1String(name)).toInt();
}

}  // namespace

Styles::Styles(const QByteArray& xml, const QString& origin) : xml_(xml), origin_(origin) {
    if (xml.isEmpty()) return;
    QXmlStreamReader reader;
    startReading(reader, xml);
    bool inFormats = false;
    bool inCodes = false;
    while (!reader.atEnd()) {
        reader.readNext();
        const QStringView name = local(reader.qualifiedName());
        if (reader.isEndElement() && name == u"cellXfs") inFormats = false;
        if (reader.isEndElement() && name == u"numFmts") inCodes = false;
        if (!reader.isStartElement()) continue;
        if (name == u"styleSheet") {
            prefix_ = prefixOf(reader.qualifiedName());
        } else if (name == u"numFmts") {
            inCodes = hasCodeList_ = true;
        } else if (inCodes && name == u"numFmt") {
            codes_[intOf(reader.attributes(), "numFmtId")] =
                reader.attributes().value(QLatin1String("formatCode")).toString();
        } else if (name == u"cellXfs") {
            inFormats = true;
        } else if (inFormats && name == u"xf") {
            Format format{reader.attributes(), {}};
            while (reader.readNextStartElement()) {
                if (local(reader.qualifiedName()) != u"extLst")
                    format.children.emplace_back(reader.qualifiedName().toString(),
                                                 reader.attributes());
                reader.skipCurrentElement();
            }
            formats_.push_back(std::move(format));
        }
    }
    requireWellFormed(reader, origin_, kStylesPart);
}

int Styles::numberFormatOf(int format) const {
    return format >= 0 && format < int(formats_.size())
               ? intOf(formats_[format].attributes, "numFmtId")
               : kGeneral;
}

Styles::Shows Styles::shows(int id) const {
    const auto custom = codes_.find(id);
    if (custom == codes_.end()) {
        if (id == kGeneral) return Shows::General;
        if (id == kText) return Shows::Text;
        return builtInDate(id) ? Shows::Date : Shows::Number;
    }
    const QString& code = custom->second;
    if (code.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0) return Shows::General;
    if (code == u"@") return Shows::Text;
    return dateCode(code) ? Shows::Date : Shows::Number;
}

int Styles::forKind(int base, Cell::Kind kind) {
    if (formats_.empty() || base < 0 || base >= int(formats_.size())) return base;
    const Shows now = shows(numberFormatOf(base));
    switch (kind) {
        case Cell::Kind::Amount:
            return now == Shows::Number ? base : withNumberFormat(base, kAmount);
        case Cell::Kind::Date:
            return now == Shows::Date ? base : withNumberFormat(base, dateFormatId());
        case Cell::Kind::Number:
            return now == Shows::Date ? withNumberFormat(base, kGeneral) : base;
        case Cell::Kind::Text:
        case Cell::Kind::Blank:
            break;
    }
    return base;
}

int Styles::dateFormatId() {
    int highest = kFirstCustom - 1;
    for (const auto& [id, code] : codes_) {
        if (code.compare(kDateCode, Qt::CaseInsensitive) == 0) return id;
        highest = std::max(highest, id);
    }
    addedCode_ = highest + 1;
    codes_[addedCode_] = kDateCode;
    return addedCode_;
}

int Styles::withNumberFormat(int base, int numberFormat) {
    const auto key = std::make_pair(base, numberFormat);
    if (const auto it = made_.find(key); it != made_.end()) return it->second;
    Format copy = formats_[base];
    copy.attributes =
        withAttribute(copy.attributes, QStringLiteral("numFmtId"), QString::number(numberFormat));
    copy.attributes =
        withAttribute(copy.attributes, QStringLiteral("applyNumberFormat"), QStringLiteral("1"));
    formats_.push_back(std::move(copy));
    ++added_;
    return made_[key] = int(formats_.size()) - 1;
}

bool Styles::sameLook(int a, int b) const {
    if (a == b) return true;
    const int count = int(formats_.size());
    if (a < 0 || b < 0 || a >= count || b >= count) return false;
    auto look = [](const Format& f) {
        std::vector<std::pair<QString, QString>> attributes;
        for (const QXmlStreamAttribute& x : f.attributes)
            if (x.qualifiedName() != u"numFmtId" && x.qualifiedName() != u"applyNumberFormat")
                attributes.emplace_back(x.qualifiedName().toString(), x.value().toString());
        std::sort(attributes.begin(), attributes.end());
        return std::make_pair(attributes, f.children);
    };
    return look(formats_[a]) == look(formats_[b]);
}

QByteArray Styles::xml() const {
    if (!changed()) return xml_;
    QXmlStreamReader reader;
    startReading(reader, xml_);
    QByteArray out;
    QXmlStreamWriter writer(&out);
    const int firstAdded = int(formats_.size()) - added_;
    auto writeCode = [&] {
        writer.writeEmptyElement(prefix_ + QStringLiteral("numFmt"));
        writer.writeAttribute(QStringLiteral("numFmtId"), QString::number(addedCode_));
        writer.writeAttribute(QStringLiteral("formatCode"), kDateCode);
    };
    bool codesWritten = addedCode_ < 0;
    while (!reader.atEnd()) {
        reader.readNext();
        const QStringView name = local(reader.qualifiedName());
        if (reader.isStartElement() && (name == u"numFmts" || name == u"cellXfs")) {
            QXmlStreamAttributes attributes = reader.attributes();
            const int count = name == u"cellXfs" ? int(formats_.size())
                                                 : intOf(attributes, "count") + !codesWritten;
            attributes = withAttribute(attributes, QStringLiteral("count"), QString::number(count));
            writer.writeStartElement(reader.qualifiedName().toString());
            writer.writeAttributes(attributes);
            continue;
        }
        if (reader.isStartElement() && name != u"styleSheet" && !codesWritten && !hasCodeList_) {
            // A workbook without number formats of its own gets the list, first in the part.
            writer.writeStartElement(prefix_ + QStringLiteral("numFmts"));
            writer.writeAttribute(QStringLiteral("count"), QStringLiteral("1"));
            writeCode();
            writer.writeEndElement();
            codesWritten = true;
        }
        if (reader.isEndElement() && name == u"numFmts" && !codesWritten) {
            writeCode();
            codesWritten = true;
        }
        if (reader.isEndElement() && name == u"cellXfs") {
            for (int i = firstAdded; i < int(formats_.size()); ++i) {
                writer.writeStartElement(prefix_ + QStringLiteral("xf"));
                writer.writeAttributes(formats_[i].attributes);
                for (const auto& [child, attributes] : formats_[i].children) {
                    writer.writeEmptyElement(child);
                    writer.writeAttributes(attributes);
                }
                writer.writeEndElement();
            }
        }
        copyToken(reader, writer);
    }
    return out;
}

}  // namespace qb::workbook::xlsx
