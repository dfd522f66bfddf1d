// A report as a workbook sheet: each band's texts row by row and column by column, as they stand
// on paper, with amounts, dates and whole numbers as cells of their kind.
#include <QFileInfo>
#include <QRegularExpression>

#include "errors.h"
#include "expression.h"
#include "report.h"
#include "template.h"
#include "workbook.h"

namespace qb::report {

namespace {

using qb::workbook::Cell;

constexpr double kSameMm = 0.5;        // texts this close count as one line or one column
constexpr double kMmPerCharacter = 2;  // a workbook's column width unit, roughly, on paper

// What a text puts into its cell. One placeholder alone ("{j_je|#,##0.00|blankzero}") holds one
// value, which keeps its kind in the sheet: an amount when its format or a sum says so; any other
// text stays text.
enum class Holds { Text, Value, Amount };

Holds holdsOf(const TemplateObject& object) {
    static const QRegularExpression single(QStringLiteral(
        "^\\{\\s*([^{}|]+?)\\s*(?:\\|\\s*([^{}|]*?)\\s*)?(?:\\|\\s*blankzero\\s*)?\\}$"));
    const QRegularExpressionMatch m = single.match(object.text);
    if (!m.hasMatch()) return Holds::Text;
    const QString format = object.format.isEmpty() ? m.captured(2) : object.format;
    return format == u"#,##0.00" || format == u"0.00" || m.captured(1).startsWith(u"sum(")
               ? Holds::Amount
               : Holds::Value;
}

Cell cellOf(Holds holds, const QString& shown) {
    static const QRegularExpression isoDate(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    static const QRegularExpression whole(QStringLiteral("^-?(0|[1-9]\\d{0,14})$"));
    if (holds == Holds::Text) return Cell::ofText(shown);
    if (shown.isEmpty()) return Cell::blank();
    if (holds == Holds::Amount)
        if (const auto cents = qb::money::parse(shown)) return Cell::ofAmount(*cents);
    if (isoDate.match(shown).hasMatch()) return Cell::ofDate(QDate::fromString(shown, Qt::ISODate));
    if (whole.match(shown).hasMatch()) return Cell::ofNumber(shown.toDouble());
    return Cell::ofText(shown);
}

// The left edges of the columns: those of the detail band's texts, or of every text when the
// report has no detail lines.
std::vector<double> columnEdges(const Template& tpl, bool withDetail) {
    std::vector<double> edges;
    for (const Band& band : tpl.bands) {
        if (band.kind == Band::Kind::PageFooter) continue;
        if (withDetail && band.kind != Band::Kind::Detail) continue;
        for (const TemplateObject& o : band.objects)
            if (o.kind == TemplateObject::Kind::Text) edges.push_back(o.mm.normalized().left());
    }
    std::sort(edges.begin(), edges.end());
    std::vector<double> merged;
    for (double x : edges)
        if (merged.empty() || x - merged.back() > kSameMm) merged.push_back(x);
    return merged;
}

int columnAt(const std::vector<double>& edges, double x) {
    int column = 1;
    for (size_t i = 0; i < edges.size(); ++i)
        if (edges[i] <= x + kSameMm) column = int(i) + 1;
    return column;
}

// A band's texts as they are read on paper: top to bottom, left to right.
std::vector<const TemplateObject*> textsOf(const Band& band) {
    std::vector<const TemplateObject*> texts;
    for (const TemplateObject& o : band.objects)
        if (o.kind == TemplateObject::Kind::Text) texts.push_back(&o);
    std::sort(texts.begin(), texts.end(), [](auto* a, auto* b) {
        const QRectF x = a->mm.normalized(), y = b->mm.normalized();
        return std::make_pair(x.top(), x.left()) < std::make_pair(y.top(), y.left());
    });
    return texts;
}

// The first text of the page header or the title as printed: what the report is called.
QString heading(const Template& tpl, const DataSource* source) {
    for (const Band::Kind kind : {Band::Kind::PageHeader, Band::Kind::Title}) {
        const Band* band = tpl.band(kind);
        if (!band) continue;
        for (const TemplateObject* o : textsOf(*band))
            if (const auto e = Expression::compile(o->text, source, nullptr)) {
                const QString text = e->evaluate(TextContext{source, -1, 1, 1}).trimmed();
                if (!text.isEmpty()) return text;
            }
    }
    return {};
}

// A band's texts compiled once for the sheet, in reading order, each with its column.
struct SheetText {
    Expression expression;
    QString format;
    double top = 0;
    int column = 1;
    Holds holds = Holds::Text;
};

// Nothing when a text does not compile; error says why. Texts of a band with values (the lines
// and the summary) keep their kinds; headers are text.
std::optional<std::vector<SheetText>> sheetTexts(const Band& band, const DataSource* source,
                                                 const std::vector<double>& edges, bool values,
                                                 QString* error) {
    std::vector<SheetText> texts;
    for (const TemplateObject* o : textsOf(band)) {
        auto expression = Expression::compile(o->text, source, error);
        if (!expression) return std::nullopt;
        const QRectF box = o->mm.normalized();
        texts.push_back({std::move(*expression), o->format, box.top(), columnAt(edges, box.left()),
                         values ? holdsOf(*o) : Holds::Text});
    }
    return texts;
}

// The band printed once (row -1) or for one detail line: a sheet row from `sheetRow` on for each
// line of its texts.
void putBand(const std::vector<SheetText>& texts, const DataSource* source, int row,
             qb::workbook::Sheet& sheet, int& sheetRow) {
    std::map<int, Cell> line;
    double lineTop = 0;
    auto flush = [&] {
        if (line.empty()) return;
        ++sheetRow;
        for (const auto& [column, cell] : line)
            sheet.set(sheetRow, column, cell);
        line.clear();
    };
    for (const SheetText& text : texts) {
        QString shown = text.expression.evaluate(TextContext{source, row, 1, 1});
        if (!text.format.isEmpty()) shown = formatValue(shown, text.format);
        if (text.top - lineTop > kSameMm) flush();
        lineTop = text.top;
        if (shown.trimmed().isEmpty()) continue;
        const auto taken = line.find(text.column);
        if (taken == line.end())
            line[text.column] = cellOf(text.holds, shown);
        else  // two texts in one column share its cell
            taken->second = Cell::ofText(taken->second.text + QLatin1Char(' ') + shown);
    }
    flush();
}

}  // namespace

QString Report::workbookName() const {
    const QString name = template_ ? heading(*template_, source_.get()) : QString();
    return (name.isEmpty() ? QFileInfo(origin_).completeBaseName() : name) +
           QStringLiteral(".xlsx");
}

bool Report::writeWorkbook(const QString& path) {
    if (!template_) return fail(QStringLiteral("没有载入报表模板"));
    const Band* detail = template_->band(Band::Kind::Detail);
    const int rows = detail && source_ ? source_->rowCount() : 0;
    const std::vector<double> edges = columnEdges(*template_, rows > 0);
    qb::workbook::Sheet sheet;
    int sheetRow = 0;
    // Each band's texts are compiled once, however many lines it prints.
    auto put = [&](const Band* band, int rows) {
        if (!band || rows == 0) return true;
        const bool values = band->kind == Band::Kind::Detail || band->kind == Band::Kind::Summary;
        QString error;
        const auto texts = sheetTexts(*band, source_.get(), edges, values, &error);
        if (!texts) return fail(QStringLiteral("报表 %1 无法导出：%2").arg(origin_, error));
        for (int row = 0; row < rows; ++row)
            putBand(*texts, source_.get(), band->kind == Band::Kind::Detail ? row : -1, sheet,
                    sheetRow);
        return true;
    };
    for (const Band::Kind kind :
         {Band::Kind::PageHeader, Band::Kind::Title, Band::Kind::ColumnHeader})
        if (!put(template_->band(kind), 1)) return false;
    if (!put(detail, rows) || !put(template_->band(Band::Kind::Summary), 1)) return false;

    // Each column as wide as from its edge to the next; the last to the widest text's end.
    std::vector<double> widths;
    double right = edges.empty() ? 0 : edges.back();
    for (const Band& band : template_->bands)
        for (const TemplateObject& o : band.objects)
            if (o.kind == TemplateObject::Kind::Text && o.mm.normalized().left() >= right - kSameMm)
                right = std::max(right, o.mm.normalized().right());
    for (size_t i = 0; i < edges.size(); ++i)
        widths.push_back(((i + 1 < edges.size() ? edges[i + 1] : right) - edges[i]) /
                         kMmPerCharacter);
    try {
        qb::workbook::create(path, heading(*template_, source_.get()), sheet, widths);
    } catch (const qb::DbError& error) {
        return fail(error.message());
    }
    return true;
}

}  // namespace qb::report
