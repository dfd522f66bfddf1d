#include "prepared.h"

#include <QBuffer>
#include <QFile>
#include <QPageSize>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <cmath>

namespace qb::report {

namespace {

constexpr int kVersion = 1;

QString number(double value) {
    return QString::number(value, 'g', 10);
}

// Characters an XML file cannot hold as they are (control characters; a carriage return would
// come back as a line feed): such a text is kept as base64 of its UTF-8 bytes.
bool needsEncoding(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != '\t' && u != '\n') || u == 0xfffe || u == 0xffff || c.isSurrogate())
            return true;
    }
    return false;
}

const char* horizontal(int align) {
    if (align & Qt::AlignHCenter) return "center";
    if (align & Qt::AlignRight) return "right";
    return "left";
}

const char* vertical(int align) {
    if (align & Qt::AlignTop) return "top";
    if (align & Qt::AlignBottom) return "bottom";
    return "middle";
}

QString sides(int frame) {
    QStringList names;
    if (frame & Item::Left) names << QStringLiteral("left");
    if (frame & Item::Top) names << QStringLiteral("top");
    if (frame & Item::Right) names << QStringLiteral("right");
    if (frame & Item::Bottom) names << QStringLiteral("bottom");
    return names.join(QLatin1Char(' '));
}

void writeBox(QXmlStreamWriter& xml, const QRectF& mm) {
    xml.writeAttribute(QStringLiteral("x"), number(mm.x()));
    xml.writeAttribute(QStringLiteral("y"), number(mm.y()));
    xml.writeAttribute(QStringLiteral("w"), number(mm.width()));
    xml.writeAttribute(QStringLiteral("h"), number(mm.height()));
}

// A form's outline stays an outline when the report is opened again.
void writeGuide(QXmlStreamWriter& xml, const Item& item) {
    if (item.guide) xml.writeAttribute(QStringLiteral("guide"), QStringLiteral("true"));
}

void writeItem(QXmlStreamWriter& xml, const Item& item) {
    switch (item.kind) {
        case Item::Kind::Line:
            xml.writeEmptyElement(QStringLiteral("line"));
            xml.writeAttribute(QStringLiteral("x1"), number(item.mm.left()));
            xml.writeAttribute(QStringLiteral("y1"), number(item.mm.top()));
            xml.writeAttribute(QStringLiteral("x2"), number(item.mm.right()));
            xml.writeAttribute(QStringLiteral("y2"), number(item.mm.bottom()));
            xml.writeAttribute(QStringLiteral("pen"), number(item.penMm));
            writeGuide(xml, item);
            return;
        case Item::Kind::Rect:
            xml.writeEmptyElement(QStringLiteral("rect"));
            writeBox(xml, item.mm);
            xml.writeAttribute(QStringLiteral("pen"), number(item.penMm));
            writeGuide(xml, item);
            return;
        case Item::Kind::Picture: {
            xml.writeStartElement(QStringLiteral("picture"));
            writeBox(xml, item.mm);
            QByteArray png;
            {
                QBuffer buffer(&png);
                buffer.open(QIODevice::WriteOnly);
                item.image.save(&buffer, "PNG");
            }
            xml.writeCharacters(QString::fromLatin1(png.toBase64()));
            xml.writeEndElement();
            return;
        }
        case Item::Kind::Text:
            break;
    }
    xml.writeStartElement(QStringLiteral("text"));
    writeBox(xml, item.mm);
    xml.writeAttribute(QStringLiteral("font"), QString::number(item.font));
    // Left and middle are the defaults.
    if (item.align & (Qt::AlignHCenter | Qt::AlignRight))
        xml.writeAttribute(QStringLiteral("align"), QLatin1String(horizontal(item.align)));
    if (item.align & (Qt::AlignTop | Qt::AlignBottom))
        xml.writeAttribute(QStringLiteral("valign"), QLatin1String(vertical(item.align)));
    if (item.frame) {
        xml.writeAttribute(QStringLiteral("frame"), sides(item.frame));
        xml.writeAttribute(QStringLiteral("pen"), number(item.penMm));
    }
    if (item.wrap) xml.writeAttribute(QStringLiteral("wrap"), QStringLiteral("true"));
    writeGuide(xml, item);
    if (needsEncoding(item.text)) {
        xml.writeAttribute(QStringLiteral("encoding"), QStringLiteral("base64"));
        xml.writeCharacters(QString::fromLatin1(item.text.toUtf8().toBase64()));
    } else {
        xml.writeCharacters(item.text);
    }
    xml.writeEndElement();
}

// Thrown inside the reader only; readPrepared turns it into its error text.
struct Bad {
    QString what;
};

class Reader {
public:
    explicit Reader(QIODevice* device) : xml_(device) {}

    std::shared_ptr<Document> read() {
        if (!xml_.readNextStartElement() || xml_.name() != u"preparedReport")
            throw Bad{QStringLiteral("不是 Quillbook 报表文件")};
        if (attr("version").toInt() != kVersion)
            throw Bad{QStringLiteral("报表文件的版本 %1 无法读取").arg(attr("version"))};
        auto document = std::make_shared<Document>();
        bool paper = false;
        while (xml_.readNextStartElement()) {
            if (xml_.name() == u"paper") {
                document->layout = layout();
                paper = true;
            } else if (xml_.name() == u"font") {
                document->fonts.push_back(font());
            } else if (xml_.name() == u"page") {
                document->pages.push_back(page(int(document->fonts.size())));
            } else {
                bad(QStringLiteral("未知元素 <%1>").arg(xml_.name()));
            }
        }
        if (xml_.hasError()) bad(xml_.errorString());
        if (!paper || document->pages.empty()) bad(QStringLiteral("缺少纸张或页面"));
        return document;
    }

private:
    [[noreturn]] void bad(const QString& what) {
        throw Bad{QStringLiteral("第%1行：%2").arg(xml_.lineNumber()).arg(what)};
    }
    QString attr(const char* name) const {
        return xml_.attributes().value(QLatin1String(name)).toString();
    }
    double value(const char* name, double fallback = 0, bool required = true) {
        if (!xml_.attributes().hasAttribute(QLatin1String(name))) {
            if (required) bad(QStringLiteral("缺少属性 %1").arg(QLatin1String(name)));
            return fallback;
        }
        bool ok = false;
        const double v = attr(name).toDouble(&ok);
        if (!ok || !std::isfinite(v))
            bad(QStringLiteral("属性 %1 不是数字").arg(QLatin1String(name)));
        return v;
    }
    QRectF box() { return QRectF(value("x"), value("y"), value("w"), value("h")); }

    QPageLayout layout() {
        const QSizeF size(value("width"), value("height"));
        if (size.width() <= 0 || size.height() <= 0) bad(QStringLiteral("纸张尺寸无效"));
        const auto orientation =
            attr("orientation") == u"landscape" ? QPageLayout::Landscape : QPageLayout::Portrait;
        const QMarginsF margins(value("left"), value("top"), value("right"), value("bottom"));
        xml_.skipCurrentElement();
        return QPageLayout(QPageSize(size, QPageSize::Millimeter), orientation, margins,
                           QPageLayout::Millimeter, QMarginsF(0, 0, 0, 0));
    }

    QFont font() {
        QFont f(attr("family"));
        const double size = value("size");
        if (size <= 0) bad(QStringLiteral("字号必须大于0"));
        f.setPointSizeF(size);
        f.setBold(attr("bold") == u"true");
        xml_.skipCurrentElement();
        return f;
    }

    Page page(int fonts) {
        Page p;
        while (xml_.readNextStartElement()) {
            Item item;
            item.guide = attr("guide") == u"true";
            if (xml_.name() == u"text") {
                text(item, fonts);
            } else if (xml_.name() == u"line") {
                item.kind = Item::Kind::Line;
                item.mm =
                    QRectF(QPointF(value("x1"), value("y1")), QPointF(value("x2"), value("y2")));
                item.penMm = value("pen", 0.2, false);
                xml_.skipCurrentElement();
            } else if (xml_.name() == u"rect") {
                item.kind = Item::Kind::Rect;
                item.mm = box();
                item.penMm = value("pen", 0.2, false);
                xml_.skipCurrentElement();
            } else if (xml_.name() == u"picture") {
                item.kind = Item::Kind::Picture;
                item.mm = box();
                const QByteArray png = QByteArray::fromBase64(xml_.readElementText().toLatin1());
                if (!item.image.loadFromData(png, "PNG")) bad(QStringLiteral("图片无法读取"));
            } else {
                bad(QStringLiteral("页面中不能有 <%1>").arg(xml_.name()));
            }
            p.items.push_back(std::move(item));
        }
        return p;
    }

    void text(Item& item, int fonts) {
        item.mm = box();
        item.font = int(value("font"));
        if (item.font < 0 || item.font >= fonts) bad(QStringLiteral("字体编号无效"));
        const QString h = attr("align");
        int align = h == u"center"  ? Qt::AlignHCenter
                    : h == u"right" ? Qt::AlignRight
                                    : Qt::AlignLeft;
        const QString v = attr("valign");
        align |= v == u"top" ? Qt::AlignTop : v == u"bottom" ? Qt::AlignBottom : Qt::AlignVCenter;
        item.align = align;
        for (const QString& side : attr("frame").split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const int i = QStringList{"left", "top", "right", "bottom"}.indexOf(side);
            if (i < 0) bad(QStringLiteral("frame 中的 %1 无效").arg(side));
            item.frame |= 1 << i;  // Item::Left, Top, Right, Bottom
        }
        item.penMm = value("pen", 0.2, false);
        item.wrap = attr("wrap") == u"true";
        const bool base64 = attr("encoding") == u"base64";
        const QString content = xml_.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        item.text =
            base64 ? QString::fromUtf8(QByteArray::fromBase64(content.toLatin1())) : content;
    }

    QXmlStreamReader xml_;
};

}  // namespace

bool writePrepared(const Document& document, const QString& path, QString* error) {
    return writeFile(
        path,
        [&](QIODevice& device) {
            QXmlStreamWriter xml(&device);
            xml.setAutoFormatting(true);
            xml.setAutoFormattingIndent(1);
            xml.writeStartDocument();
            xml.writeStartElement(QStringLiteral("preparedReport"));
            xml.writeAttribute(QStringLiteral("version"), QString::number(kVersion));
            const QPageLayout& layout = document.layout;
            const QSizeF size = layout.pageSize().size(QPageSize::Millimeter);  // upright
            const QMarginsF margins = layout.margins(QPageLayout::Millimeter);
            xml.writeEmptyElement(QStringLiteral("paper"));
            xml.writeAttribute(QStringLiteral("width"), number(size.width()));
            xml.writeAttribute(QStringLiteral("height"), number(size.height()));
            xml.writeAttribute(QStringLiteral("orientation"),
                               layout.orientation() == QPageLayout::Landscape
                                   ? QStringLiteral("landscape")
                                   : QStringLiteral("portrait"));
            xml.writeAttribute(QStringLiteral("left"), number(margins.left()));
            xml.writeAttribute(QStringLiteral("top"), number(margins.top()));
            xml.writeAttribute(QStringLiteral("right"), number(margins.right()));
            xml.writeAttribute(QStringLiteral("bottom"), number(margins.bottom()));
            for (const QFont& font : document.fonts) {
                xml.writeEmptyElement(QStringLiteral("font"));
                xml.writeAttribute(QStringLiteral("family"), font.family());
                xml.writeAttribute(QStringLiteral("size"), number(font.pointSizeF()));
                xml.writeAttribute(QStringLiteral("bold"),
                                   font.bold() ? QStringLiteral("true") : QStringLiteral("false"));
            }
            for (const Page& page : document.pages) {
                xml.writeStartElement(QStringLiteral("page"));
                for (const Item& item : page.items)
                    writeItem(xml, item);
                xml.writeEndElement();
            }
            xml.writeEndElement();
            xml.writeEndDocument();
            if (!xml.hasError()) return true;
            if (error) *error = device.errorString();
            return false;
        },
        error);
}

std::shared_ptr<Document> readPrepared(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = file.errorString();
        return nullptr;
    }
    try {
        return Reader(&file).read();
    } catch (const Bad& b) {
        if (error) *error = b.what;
        return nullptr;
    }
}

}  // namespace qb::report
