#include "layout.h"

#include <QHash>

#include "datasource.h"
#include "expression.h"
#include "template.h"

namespace qb::report {

namespace {

struct CompiledBand {
    const Band* band = nullptr;
    std::vector<Expression> texts;  // one per text object, in object order
    std::vector<int> fonts;         // document font index per text object
};

struct Placed {
    const CompiledBand* band;
    int row;
    double top;
};

bool breaksAfter(const Band& detail, const DataSource& source, int row,
                 const std::vector<int>& fields) {
    for (size_t i = 0; i < detail.breakAfter.size(); ++i) {
        const BreakCondition& c = detail.breakAfter[i];
        const QString value = source.value(row, fields[i]).toString();
        switch (c.test) {
            case BreakCondition::Test::Equals:
                if (value == c.value) return true;
                break;
            case BreakCondition::Test::Contains:
                if (value.contains(c.value)) return true;
                break;
            case BreakCondition::Test::StartsWith:
                if (value.startsWith(c.value)) return true;
                break;
        }
    }
    return false;
}

}  // namespace

std::shared_ptr<Document> layOut(const Template& tpl, const QPageLayout& layout,
                                 const DataSource* source, QString* error, QPointF offsetMm,
                                 bool inkGuides) {
    auto document = std::make_shared<Document>();
    document->layout = layout;
    const QRectF paper = layout.fullRect(QPageLayout::Millimeter);
    const QMarginsF margins = layout.margins(QPageLayout::Millimeter);
    // Paper narrower than the template was drawn for (a landscape journal set up portrait)
    // gets the whole report scaled down to its width, rather than columns cut off.
    double widest = 0;
    for (const Band& band : tpl.bands)
        for (const TemplateObject& o : band.objects)
            widest = std::max(widest, o.mm.normalized().right());
    const double room = paper.width() - margins.left() - margins.right();
    const double scale = widest > room ? room / widest : 1.0;
    QHash<QString, int> fontIndex;
    auto fontOf = [&](const FontSpec& spec) {
        const QString key =
            QStringLiteral("%1|%2|%3").arg(spec.family).arg(spec.size).arg(spec.bold);
        if (const auto it = fontIndex.constFind(key); it != fontIndex.constEnd()) return *it;
        QFont font(spec.family);
        font.setPointSizeF(spec.size * scale);
        font.setBold(spec.bold);
        document->fonts.push_back(font);
        fontIndex.insert(key, int(document->fonts.size() - 1));
        return int(document->fonts.size() - 1);
    };

    std::vector<CompiledBand> compiled;
    compiled.reserve(tpl.bands.size());
    for (const Band& band : tpl.bands) {
        // A band that needs something the program did not give (a chart) is left out.
        if (!band.needs.isEmpty() && !tpl.object(band.needs)->hasContent()) continue;
        CompiledBand cb;
        cb.band = &band;
        for (const TemplateObject& o : band.objects) {
            if (o.kind != TemplateObject::Kind::Text) continue;
            auto e = Expression::compile(o.text, source, error);
            if (!e) return nullptr;
            cb.texts.push_back(std::move(*e));
            cb.fonts.push_back(fontOf(o.font));
        }
        compiled.push_back(std::move(cb));
    }
    auto bandOf = [&](Band::Kind kind) -> const CompiledBand* {
        for (const CompiledBand& cb : compiled)
            if (cb.band->kind == kind) return &cb;
        return nullptr;
    };
    const CompiledBand* title = bandOf(Band::Kind::Title);
    const CompiledBand* pageHeader = bandOf(Band::Kind::PageHeader);
    const CompiledBand* columnHeader = bandOf(Band::Kind::ColumnHeader);
    const CompiledBand* detail = bandOf(Band::Kind::Detail);
    const CompiledBand* footer = bandOf(Band::Kind::PageFooter);
    const CompiledBand* summary = bandOf(Band::Kind::Summary);
    const CompiledBand* appendix = bandOf(Band::Kind::Appendix);

    const double top = margins.top();
    const double footerTop =
        paper.height() - margins.bottom() - (footer ? footer->band->heightMm * scale : 0);
    auto height = [&](const CompiledBand* cb) { return cb ? cb->band->heightMm * scale : 0.0; };
    const double headers = height(pageHeader) + height(columnHeader);
    for (const CompiledBand* cb : {detail, summary, appendix, title}) {
        const double extra = cb == title ? 0 : height(title);
        if (cb && top + headers + extra + height(cb) > footerTop + 1e-6) {
            if (error) *error = QStringLiteral("带区太高，一页放不下");
            return nullptr;
        }
    }

    std::vector<int> breakFields;
    const int rows = detail && source ? source->rowCount() : 0;
    if (detail && source) {
        for (const BreakCondition& c : detail->band->breakAfter) {
            const int field = source->fieldIndex(c.field);
            if (field < 0) {
                if (error) *error = QStringLiteral("数据中没有字段“%1”").arg(c.field);
                return nullptr;
            }
            breakFields.push_back(field);
        }
    }

    std::vector<std::vector<Placed>> pages;
    double y = 0;
    auto place = [&](const CompiledBand* cb, int row = -1) {
        if (!cb) return;
        pages.back().push_back({cb, row, y});
        y += height(cb);
    };
    auto newPage = [&](bool columns = true) {
        pages.emplace_back();
        y = top;
        place(pageHeader);
        if (pages.size() == 1) place(title);
        if (columns) place(columnHeader);
    };
    newPage();
    const double detailHeight = height(detail);
    for (int row = 0; row < rows; ++row) {
        if (y + detailHeight > footerTop + 1e-6) newPage();
        place(detail, row);
        const bool more = row + 1 < rows || summary || appendix;
        if (more && breaksAfter(*detail->band, *source, row, breakFields)) newPage();
    }
    for (const CompiledBand* closing : {summary, appendix}) {
        // The appendix is no part of the table: a page of its own has no column titles.
        if (closing && y + height(closing) > footerTop + 1e-6) newPage(closing != appendix);
        place(closing);
    }

    const int pageCount = int(pages.size());
    document->pages.resize(pageCount);
    for (int p = 0; p < pageCount; ++p) {
        if (footer) pages[p].push_back({footer, -1, footerTop});
        TextContext context{source, -1, p + 1, pageCount};
        std::vector<Item>& items = document->pages[p].items;
        for (const Placed& placed : pages[p]) {
            context.row = placed.row;
            const QPointF origin = QPointF(margins.left(), placed.top) + offsetMm;
            size_t text = 0;
            for (const TemplateObject& o : placed.band->band->objects) {
                Item item;
                item.mm =
                    QRectF(origin + o.mm.topLeft() * scale, origin + o.mm.bottomRight() * scale);
                item.penMm = o.penMm * scale;
                item.guide = o.guide && !inkGuides;
                if (o.kind == TemplateObject::Kind::Line) {
                    item.kind = Item::Kind::Line;
                } else if (o.kind == TemplateObject::Kind::Rect) {
                    item.kind = Item::Kind::Rect;
                } else if (o.kind == TemplateObject::Kind::Picture) {
                    item.kind = Item::Kind::Picture;
                    item.image = o.picture;
                } else {
                    item.text = placed.band->texts[text].evaluate(context);
                    if (!o.format.isEmpty()) item.text = formatValue(item.text, o.format);
                    item.font = placed.band->fonts[text];
                    item.align = o.align;
                    item.wrap = o.wrap;
                    item.frame = o.frame;
                    ++text;
                }
                items.push_back(std::move(item));
            }
        }
    }
    return document;
}

}  // namespace qb::report
