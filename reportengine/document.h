#pragma once

#include <QFont>
#include <QIODevice>
#include <QImage>
#include <QPageLayout>
#include <QRectF>
#include <QString>
#include <functional>
#include <vector>

class QPagedPaintDevice;
class QPainter;

namespace qb::report {

// One thing to draw on a page, in millimetres from the paper's top-left corner.
struct Item {
    enum class Kind { Text, Line, Rect, Picture };
    enum Side { Left = 1, Top = 2, Right = 4, Bottom = 8 };
    Kind kind = Kind::Text;
    QRectF mm;           // a line runs from topLeft to bottomRight
    QString text;        // Text only: the final text
    int font = 0;        // Text only: index into Document::fonts
    int align = 0;       // Text only: Qt::Alignment flags
    bool wrap = false;   // Text only: break into lines instead of shrinking to fit
    int frame = 0;       // Text only: Side flags of the frame lines
    double penMm = 0.2;  // width of frame lines, lines and rectangles
    QImage image;        // Picture only: drawn as large as fits the box, centred
    bool guide = false;  // the outline of a pre-printed form: on screen only, never on paper
};

struct Page {
    std::vector<Item> items;
};

// A prepared report: everything laid out and every text final, ready to paint on a screen,
// a printer or a PDF file, independent of the template and the data it came from.
struct Document {
    QPageLayout layout;        // paper, orientation and margins
    std::vector<QFont> fonts;  // point sizes as on paper
    std::vector<Page> pages;

    QSizeF paperMm() const { return layout.fullRect(QPageLayout::Millimeter).size(); }
    // Texts that contain the needle (case-insensitive), as (page, item) pairs in page order.
    std::vector<std::pair<int, int>> find(const QString& needle) const;
};

// Paints a page with the paper's top-left corner at the painter's origin, pixelsPerMm device
// pixels to the millimetre (fonts scale with it, whatever the device's resolution). Guides are
// painted, in grey, only when asked for (the preview).
void paintPage(QPainter& painter, const Document& document, int page, double pixelsPerMm,
               bool guides = false);
// Paints every page on a paged device (printer, PDF writer), one device page per page; the
// device's page layout is set to the document's, without margins, so positions hold to the
// millimetre. first and last (0-based, inclusive; -1: the last page) choose a range of pages.
// False when the device cannot be painted on.
bool paintDocument(const Document& document, QPagedPaintDevice& device, int first = 0,
                   int last = -1);
// Writes every page into a PDF file with the title; a failed write leaves no half-written file
// and false comes back with error saying why.
bool writePdf(const Document& document, const QString& path, const QString& title, QString* error);

// Writes what fill puts on the device as the file at path, through the ledger's one file writer:
// whole, for its owner alone, never through a link. False when fill fails (it says why in error)
// or the file cannot be written (error says why).
bool writeFile(const QString& path, const std::function<bool(QIODevice& device)>& fill,
               QString* error);

}  // namespace qb::report
