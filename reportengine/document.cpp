#include "document.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include "errors.h"
#include "files.h"

namespace qb::report {

namespace {

constexpr double kPaddingMm = 0.8;  // between a text and its frame
constexpr double kSmallestShrink = 0.6;

void drawText(QPainter& painter, const Item& item, const QFont& font, double pxPerMm,
              const QRectF& box) {
    if (item.text.isEmpty()) return;
    const QRectF inner = box.adjusted(kPaddingMm * pxPerMm, 0, -kPaddingMm * pxPerMm, 0);
    if (item.wrap) {
        painter.setFont(font);
        painter.drawText(inner, item.align | Qt::TextWordWrap, item.text);
        return;
    }
    const QFontMetricsF metrics(font, painter.device());
    const double width = metrics.horizontalAdvance(item.text);
    if (width <= inner.width()) {
        painter.setFont(font);
        painter.drawText(inner, item.align | Qt::TextSingleLine, item.text);
        return;
    }
    // A text wider than its box is set smaller on one line, or on two lines when the box is
    // tall enough and that keeps it larger; past the smallest size it is clipped, so it never
    // runs into the next column.
    const double oneLine = inner.width() / width;
    const double twoLines =
        std::min(0.95 * 2 * inner.width() / width, inner.height() / (2 * metrics.lineSpacing()));
    const bool wrap = oneLine < kSmallestShrink && twoLines > oneLine;
    QFont fitted = font;
    fitted.setPointSizeF(font.pointSizeF() *
                         std::min(1.0, std::max(kSmallestShrink, wrap ? twoLines : oneLine)));
    painter.setFont(fitted);
    painter.save();
    painter.setClipRect(inner);
    painter.drawText(inner, item.align | (wrap ? Qt::TextWrapAnywhere : Qt::TextSingleLine),
                     item.text);
    painter.restore();
}

void drawPicture(QPainter& painter, const QImage& image, const QRectF& box) {
    if (image.isNull() || box.isEmpty()) return;
    const QSizeF size = QSizeF(image.size()).scaled(box.size(), Qt::KeepAspectRatio);
    QRectF target(QPointF(), size);
    target.moveCenter(box.center());
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    // A chart of thin lines and white paper: JPEG would grey the paper and blur the lines.
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    painter.drawImage(target, image);
    painter.restore();
}

}  // namespace

std::vector<std::pair<int, int>> Document::find(const QString& needle) const {
    std::vector<std::pair<int, int>> hits;
    if (needle.isEmpty()) return hits;
    for (int p = 0; p < int(pages.size()); ++p)
        for (int i = 0; i < int(pages[p].items.size()); ++i)
            if (pages[p].items[i].text.contains(needle, Qt::CaseInsensitive))
                hits.emplace_back(p, i);
    return hits;
}

void paintPage(QPainter& painter, const Document& document, int page, double pixelsPerMm,
               bool guides) {
    // Point sizes are resolved with the device's resolution; scale them so that a font is as
    // tall relative to the page as on paper, whatever the device and the zoom.
    const double deviceDpi = painter.device()->logicalDpiY();
    const double fontScale = pixelsPerMm * 25.4 / deviceDpi;
    std::vector<QFont> fonts = document.fonts;
    for (QFont& f : fonts)
        f.setPointSizeF(f.pointSizeF() * fontScale);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    QPen pen(Qt::black);
    pen.setCapStyle(Qt::SquareCap);
    for (const Item& item : document.pages.at(page).items) {
        if (item.guide && !guides) continue;
        const QRectF box(item.mm.topLeft() * pixelsPerMm, item.mm.bottomRight() * pixelsPerMm);
        pen.setColor(item.guide ? QColor(0x90, 0xa8, 0xc0) : QColor(Qt::black));
        pen.setWidthF(std::max(1.0, item.penMm * pixelsPerMm));
        painter.setPen(pen);
        switch (item.kind) {
            case Item::Kind::Line:
                painter.drawLine(box.topLeft(), box.bottomRight());
                break;
            case Item::Kind::Rect:
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(box);
                break;
            case Item::Kind::Text:
                if (item.frame & Item::Left) painter.drawLine(box.topLeft(), box.bottomLeft());
                if (item.frame & Item::Top) painter.drawLine(box.topLeft(), box.topRight());
                if (item.frame & Item::Right) painter.drawLine(box.topRight(), box.bottomRight());
                if (item.frame & Item::Bottom)
                    painter.drawLine(box.bottomLeft(), box.bottomRight());
                drawText(painter, item, fonts.at(item.font), pixelsPerMm, box);
                break;
            case Item::Kind::Picture:
                drawPicture(painter, item.image, box);
                break;
        }
    }
    painter.restore();
}

bool paintDocument(const Document& document, QPagedPaintDevice& device, int first, int last) {
    const int count = int(document.pages.size());
    if (last < 0 || last >= count) last = count - 1;
    first = std::max(0, first);
    if (first > last) return false;
    QPageLayout layout = document.layout;
    layout.setMargins(QMarginsF(0, 0, 0, 0));
    layout.setMinimumMargins(QMarginsF(0, 0, 0, 0));
    device.setPageLayout(layout);
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const int dpi = device.logicalDpiX();
    const double pxPerMm = dpi / 25.4;
    // A printer that keeps a margin of its own puts the painter's origin inside it.
    const QRect paint = device.pageLayout().paintRectPixels(dpi);
    painter.translate(-paint.topLeft());
    for (int p = first; p <= last; ++p) {
        if (p > first && !device.newPage()) return false;
        paintPage(painter, document, p, pxPerMm);
    }
    return painter.end();
}

bool writeFile(const QString& path, const std::function<bool(QIODevice& device)>& fill,
               QString* error) {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!fill(buffer)) return false;
    }
    try {
        files::writeWhole(path, bytes);
    } catch (const DbError& e) {
        if (error) *error = e.message();
        return false;
    }
    return true;
}

bool writePdf(const Document& document, const QString& path, const QString& title, QString* error) {
    return writeFile(
        path,
        [&](QIODevice& device) {
            QPdfWriter writer(&device);
            writer.setCreator(QStringLiteral("Quillbook"));
            writer.setTitle(title);
            if (paintDocument(document, writer)) return true;
            if (error) error->clear();
            return false;
        },
        error);
}

}  // namespace qb::report
