#pragma once

#include <QByteArray>
#include <QImage>
#include <QPageLayout>
#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

// The in-memory form of a template file (FORMAT.md describes the file).
namespace qb::report {

struct FontSpec {
    QString family;
    double size = 9;
    bool bold = false;
    bool operator==(const FontSpec&) const = default;
};

struct TemplateObject {
    enum class Kind { Text, Line, Rect, Picture };
    Kind kind = Kind::Text;
    QString name;
    QRectF mm;  // relative to the band's top-left corner inside the margins
    QString text;
    QString format;  // applied to the whole final text when it is an amount or a date
    FontSpec font;
    int align = 0;
    bool wrap = false;
    int frame = 0;
    double penMm = 0.2;
    QImage picture;      // Picture: what the program put in; none prints nothing
    bool guide = false;  // shown in the preview only: the outline of a pre-printed form
    // Whether the program gave the object something to print: a picture, or a text.
    bool hasContent() const { return kind == Kind::Picture ? !picture.isNull() : !text.isEmpty(); }
};

// A detail line after which the page ends: the field's text equals, contains or starts with
// the value.
struct BreakCondition {
    enum class Test { Equals, Contains, StartsWith };
    QString field;
    Test test = Test::Contains;
    QString value;
};

struct Band {
    enum class Kind { Title, PageHeader, ColumnHeader, Detail, PageFooter, Summary, Appendix };
    Kind kind = Kind::Detail;
    double heightMm = 0;
    QString needs;  // an object's name: the band prints only when that object has content
    std::vector<TemplateObject> objects;
    std::vector<BreakCondition> breakAfter;  // detail band only
};

struct Template {
    QPageLayout layout;
    std::vector<Band> bands;

    const Band* band(Band::Kind kind) const;
    TemplateObject* object(const QString& name);
    const TemplateObject* object(const QString& name) const;
};

// Reads a template; on failure returns nothing and sets error to a message naming the line.
std::optional<Template> readTemplate(const QByteArray& xml, QString* error);

}  // namespace qb::report
