#include <QHash>
#include <QPageSize>
#include <QSet>
#include <QXmlStreamReader>

#include "document.h"
#include "template.h"

namespace qb::report {

const Band* Template::band(Band::Kind kind) const {
    for (const Band& b : bands)
        if (b.kind == kind) return &b;
    return nullptr;
}

TemplateObject* Template::object(const QString& name) {
    for (Band& b : bands)
        for (TemplateObject& o : b.objects)
            if (!o.name.isEmpty() && o.name.compare(name, Qt::CaseInsensitive) == 0) return &o;
    return nullptr;
}

const TemplateObject* Template::object(const QString& name) const {
    return const_cast<Template*>(this)->object(name);
}

namespace {

// Thrown inside the reader only; readTemplate turns it into its error text.
struct Bad {
    QString what;
};

class Reader {
public:
    explicit Reader(const QByteArray& xml) : xml_(xml) {}

    Template read() {
        if (!xml_.readNextStartElement() || xml_.name() != u"report")
            bad(QStringLiteral("根元素应为 <report>"));
        FontSpec base{QStringLiteral("宋体"), 9, false};
        base = font(base);
        tpl_.layout = QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                  QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        while (xml_.readNextStartElement()) {
            if (xml_.name() == u"page")
                page();
            else if (xml_.name() == u"band")
                band(base);
            else
                bad(QStringLiteral("未知元素 <%1>").arg(xml_.name()));
        }
        if (xml_.hasError()) bad(xml_.errorString());
        for (const Band& b : tpl_.bands)
            if (!b.needs.isEmpty() && !tpl_.object(b.needs))
                bad(QStringLiteral("带区所需的对象 %1 不存在").arg(b.needs));
        return std::move(tpl_);
    }

    [[noreturn]] void bad(const QString& what) {
        throw Bad{QStringLiteral("第%1行：%2").arg(xml_.lineNumber()).arg(what)};
    }

private:
    QString attr(const char* name) const {
        return xml_.attributes().value(QLatin1String(name)).toString();
    }
    bool has(const char* name) const { return xml_.attributes().hasAttribute(QLatin1String(name)); }

    double number(const char* name, double fallback, bool required = false) {
        if (!has(name)) {
            if (required) bad(QStringLiteral("缺少属性 %1").arg(QLatin1String(name)));
            return fallback;
        }
        bool ok = false;
        const double v = attr(name).toDouble(&ok);
        if (!ok || v < 0) bad(QStringLiteral("属性 %1 不是有效的毫米数").arg(QLatin1String(name)));
        return v;
    }

    bool flag(const char* name, bool fallback) {
        if (!has(name)) return fallback;
        const QString v = attr(name);
        if (v == u"true" || v == u"1") return true;
        if (v == u"false" || v == u"0") return false;
        bad(QStringLiteral("属性 %1 应为 true 或 false").arg(QLatin1String(name)));
    }

    FontSpec font(FontSpec inherited) {
        if (has("font")) inherited.family = attr("font");
        if (has("size")) {
            inherited.size = number("size", inherited.size);
            if (inherited.size <= 0) bad(QStringLiteral("字号必须大于0"));
        }
        inherited.bold = flag("bold", inherited.bold);
        return inherited;
    }

    void page() {
        QPageSize size(QPageSize::A4);
        if (has("width") || has("height")) {
            size = QPageSize(QSizeF(number("width", 0, true), number("height", 0, true)),
                             QPageSize::Millimeter);
        } else if (has("size")) {
            static const QHash<QString, QPageSize::PageSizeId> named{
                {QStringLiteral("A3"), QPageSize::A3},
                {QStringLiteral("A4"), QPageSize::A4},
                {QStringLiteral("A5"), QPageSize::A5},
                {QStringLiteral("B5"), QPageSize::B5},
                {QStringLiteral("Letter"), QPageSize::Letter}};
            const auto it = named.constFind(attr("size"));
            if (it == named.constEnd()) bad(QStringLiteral("未知纸张 %1").arg(attr("size")));
            size = QPageSize(*it);
        }
        if (!size.isValid()) bad(QStringLiteral("纸张尺寸无效"));
        QPageLayout::Orientation orientation = QPageLayout::Portrait;
        if (has("orientation")) {
            if (attr("orientation") == u"landscape")
                orientation = QPageLayout::Landscape;
            else if (attr("orientation") != u"portrait")
                bad(QStringLiteral("方向应为 portrait 或 landscape"));
        }
        const QMarginsF margins(number("left", 10), number("top", 10), number("right", 10),
                                number("bottom", 10));
        tpl_.layout =
            QPageLayout(size, orientation, margins, QPageLayout::Millimeter, QMarginsF(0, 0, 0, 0));
        const QRectF paper = tpl_.layout.fullRect(QPageLayout::Millimeter);
        if (margins.left() + margins.right() >= paper.width() ||
            margins.top() + margins.bottom() >= paper.height())
            bad(QStringLiteral("页边距超出纸张"));
        xml_.skipCurrentElement();
    }

    void band(const FontSpec& inherited) {
        static const QHash<QString, Band::Kind> kinds{
            {QStringLiteral("title"), Band::Kind::Title},
            {QStringLiteral("pageHeader"), Band::Kind::PageHeader},
            {QStringLiteral("columnHeader"), Band::Kind::ColumnHeader},
            {QStringLiteral("detail"), Band::Kind::Detail},
            {QStringLiteral("pageFooter"), Band::Kind::PageFooter},
            {QStringLiteral("summary"), Band::Kind::Summary},
            {QStringLiteral("appendix"), Band::Kind::Appendix}};
        const auto kind = kinds.constFind(attr("type"));
        if (kind == kinds.constEnd()) bad(QStringLiteral("未知带区类型 %1").arg(attr("type")));
        if (tpl_.band(*kind)) bad(QStringLiteral("带区 %1 重复").arg(attr("type")));
        Band b;
        b.kind = *kind;
        b.heightMm = number("height", 0, true);
        b.needs = attr("needs");
        const FontSpec base = font(inherited);
        while (xml_.readNextStartElement()) {
            if (xml_.name() == u"breakAfter" && b.kind == Band::Kind::Detail) {
                b.breakAfter.push_back(breakCondition());
                continue;
            }
            if (xml_.name() == u"text")
                b.objects.push_back(text(base));
            else if (xml_.name() == u"line")
                b.objects.push_back(line());
            else if (xml_.name() == u"rect")
                b.objects.push_back(rect());
            else if (xml_.name() == u"picture")
                b.objects.push_back(picture());
            else
                bad(QStringLiteral("带区中不能有 <%1>").arg(xml_.name()));
            // Nothing may stick out of its band: the band's height is what page breaking uses.
            if (b.objects.back().mm.normalized().bottom() > b.heightMm + 1e-6)
                bad(QStringLiteral("对象超出带区高度 %1 毫米").arg(b.heightMm));
        }
        tpl_.bands.push_back(std::move(b));
    }

    BreakCondition breakCondition() {
        BreakCondition c;
        c.field = attr("field");
        if (c.field.isEmpty()) bad(QStringLiteral("<breakAfter> 缺少 field"));
        if (has("equals")) {
            c.test = BreakCondition::Test::Equals;
            c.value = attr("equals");
        } else if (has("startsWith")) {
            c.test = BreakCondition::Test::StartsWith;
            c.value = attr("startsWith");
        } else if (has("contains")) {
            c.value = attr("contains");
        } else {
            bad(QStringLiteral("<breakAfter> 需要 equals、contains 或 startsWith"));
        }
        xml_.skipCurrentElement();
        return c;
    }

    QRectF box() {
        return QRectF(number("x", 0), number("y", 0), number("w", 0, true), number("h", 0, true));
    }

    // An object's name, unique without regard to case.
    QString name() {
        const QString n = attr("name");
        if (n.isEmpty()) return n;
        if (names_.contains(n.toLower())) bad(QStringLiteral("对象名 %1 重复").arg(n));
        names_.insert(n.toLower());
        return n;
    }

    TemplateObject text(const FontSpec& inherited) {
        TemplateObject o;
        o.name = name();
        o.mm = box();
        o.font = font(inherited);
        o.align = alignment();
        o.wrap = flag("wrap", false);
        o.frame = frame();
        o.penMm = number("pen", 0.2);
        o.format = attr("format");
        o.guide = flag("guide", false);
        o.text = xml_.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        return o;
    }

    TemplateObject line() {
        TemplateObject o;
        o.kind = TemplateObject::Kind::Line;
        o.mm = QRectF(QPointF(number("x1", 0), number("y1", 0)),
                      QPointF(number("x2", 0), number("y2", 0)));
        o.penMm = number("pen", 0.2);
        o.guide = flag("guide", false);
        xml_.skipCurrentElement();
        return o;
    }

    TemplateObject rect() {
        TemplateObject o;
        o.kind = TemplateObject::Kind::Rect;
        o.mm = box();
        o.penMm = number("pen", 0.2);
        o.guide = flag("guide", false);
        xml_.skipCurrentElement();
        return o;
    }

    // A picture the program puts in by name; without a name nothing could ever fill it.
    TemplateObject picture() {
        TemplateObject o;
        o.kind = TemplateObject::Kind::Picture;
        o.name = name();
        if (o.name.isEmpty()) bad(QStringLiteral("<picture> 缺少 name"));
        o.mm = box();
        xml_.skipCurrentElement();
        return o;
    }

    int alignment() {
        int a = Qt::AlignLeft;
        const QString h = attr("align");
        if (h == u"center")
            a = Qt::AlignHCenter;
        else if (h == u"right")
            a = Qt::AlignRight;
        else if (!h.isEmpty() && h != u"left")
            bad(QStringLiteral("align 应为 left、center 或 right"));
        const QString v = attr("valign");
        if (v == u"top") return a | Qt::AlignTop;
        if (v == u"bottom") return a | Qt::AlignBottom;
        if (!v.isEmpty() && v != u"middle")
            bad(QStringLiteral("valign 应为 top、middle 或 bottom"));
        return a | Qt::AlignVCenter;
    }

    int frame() {
        const QString f = attr("frame");
        if (f.isEmpty() || f == u"none") return 0;
        if (f == u"all") return Item::Left | Item::Top | Item::Right | Item::Bottom;
        int sides = 0;
        for (const QString& side : f.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (side == u"left")
                sides |= Item::Left;
            else if (side == u"top")
                sides |= Item::Top;
            else if (side == u"right")
                sides |= Item::Right;
            else if (side == u"bottom")
                sides |= Item::Bottom;
            else
                bad(QStringLiteral("frame 中的 %1 无效").arg(side));
        }
        return sides;
    }

    QXmlStreamReader xml_;
    Template tpl_;
    QSet<QString> names_;
};

}  // namespace

std::optional<Template> readTemplate(const QByteArray& xml, QString* error) {
    Reader reader(xml);
    try {
        return reader.read();
    } catch (const Bad& b) {
        if (error) *error = b.what;
        return std::nullopt;
    }
}

}  // namespace qb::report
