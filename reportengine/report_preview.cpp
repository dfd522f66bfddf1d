#include "report_preview.h"

#include <QFileDialog>
#include <QPageSetupDialog>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>

#include "messages.h"
#include "prepared.h"
#include "report.h"

namespace qb::report {

Asking& asking() {
    static Asking a{
        [](QPrinter& printer, QWidget* parent) {
            QPrintDialog dialog(&printer, parent);
            dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
            return dialog.exec() == QDialog::Accepted;
        },
        [](QPrinter& printer, QWidget* parent) {
            QPageSetupDialog dialog(&printer, parent);
            return dialog.exec() == QDialog::Accepted;
        },
        [](QWidget* parent, const QString& suggested) {
            return QFileDialog::getSaveFileName(parent, QStringLiteral("另存为PDF"), suggested,
                                                QStringLiteral("PDF 文件 (*.pdf)"));
        },
        [](QWidget* parent, const QString& suggested) {
            return QFileDialog::getSaveFileName(parent, QStringLiteral("导出Excel"), suggested,
                                                QStringLiteral("Excel 工作簿 (*.xlsx)"));
        },
        [](QWidget* parent, const QString& suggested, bool forSaving) {
            return forSaving ? QFileDialog::getSaveFileName(parent, QStringLiteral("保存报表"),
                                                            suggested, kPreparedFilter)
                             : QFileDialog::getOpenFileName(parent, QStringLiteral("打开报表"),
                                                            suggested, kPreparedFilter);
        },
        [](QDialog& dialog) { return dialog.exec(); }};
    return a;
}

namespace {
constexpr int kGap = 12;  // pixels around and between pages
}

// The paper sheets themselves, as tall as all pages together; paints only what is in view.
class ReportPreview::Pages : public QWidget {
public:
    explicit Pages(ReportPreview& owner) : QWidget(&owner), owner_(owner) {}

    QSize pageSize() const {
        const auto& doc = owner_.document_;
        if (!doc) return {};
        const QSizeF mm = doc->paperMm();
        const double px = owner_.pixelsPerMm();
        return QSize(qRound(mm.width() * px), qRound(mm.height() * px));
    }
    QRect pageRect(int page) const {
        const QSize size = pageSize();
        const int x = std::max(kGap, (width() - size.width()) / 2);
        return QRect(QPoint(x, kGap + page * (size.height() + kGap)), size);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.fillRect(event->rect(), QColor(0x80, 0x80, 0x80));
        const auto& doc = owner_.document_;
        if (!doc) return;
        const double px = owner_.pixelsPerMm();
        for (int p = 0; p < int(doc->pages.size()); ++p) {
            const QRect sheet = pageRect(p);
            if (!sheet.adjusted(0, 0, 3, 3).intersects(event->rect())) continue;
            painter.fillRect(sheet.translated(3, 3), QColor(0x40, 0x40, 0x40));
            painter.fillRect(sheet, Qt::white);
            painter.save();
            painter.translate(sheet.topLeft());
            painter.setClipRect(QRect(QPoint(0, 0), sheet.size()));
            if (owner_.hit_.first == p) {
                const QRectF mm = doc->pages[p].items[owner_.hit_.second].mm;
                painter.fillRect(QRectF(mm.topLeft() * px, mm.bottomRight() * px),
                                 QColor(255, 230, 0, 160));
            }
            paintPage(painter, *doc, p, px, true);
            painter.restore();
        }
    }

private:
    ReportPreview& owner_;
};

ReportPreview::ReportPreview(QWidget* parent) : QScrollArea(parent), pages_(new Pages(*this)) {
    setWidget(pages_);
    setWidgetResizable(false);
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setBackgroundRole(QPalette::Dark);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { emit pageChanged(currentPage(), pageCount()); });
}

ReportPreview::~ReportPreview() = default;

bool ReportPreview::showReport(Report& report) {
    if (!report.prepare()) return false;
    setDocument(report.document());
    return true;
}

void ReportPreview::setDocument(std::shared_ptr<const Document> document) {
    document_ = std::move(document);
    hit_ = {-1, -1};
    relayout();
    verticalScrollBar()->setValue(0);
    emit pageChanged(currentPage(), pageCount());
}

double ReportPreview::pixelsPerMm() const {
    return logicalDpiX() / 25.4 * zoom_;
}

void ReportPreview::setZoom(double zoom) {
    fit_ = Fit::None;
    zoom_ = std::clamp(zoom, 0.1, 8.0);
    relayout();
}

void ReportPreview::fitWidth() {
    fit_ = Fit::Width;
    relayout();
}

void ReportPreview::fitPage() {
    fit_ = Fit::Page;
    relayout();
}

void ReportPreview::relayout() {
    const int page = currentPage();
    if (document_ && fit_ != Fit::None) {
        const QSizeF mm = document_->paperMm();
        const double dpmm = logicalDpiX() / 25.4;
        const QSize room = viewport()->size() - QSize(2 * kGap, 2 * kGap);
        const double byWidth = room.width() / (mm.width() * dpmm);
        const double byHeight = room.height() / (mm.height() * dpmm);
        zoom_ = std::max(0.1, fit_ == Fit::Width ? byWidth : std::min(byWidth, byHeight));
    }
    const QSize sheet = pages_->pageSize();
    const int n = pageCount();
    pages_->resize(std::max(viewport()->width(), sheet.width() + 2 * kGap),
                   n == 0 ? viewport()->height() : kGap + n * (sheet.height() + kGap));
    pages_->update();
    showPage(page);
}

void ReportPreview::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    relayout();
}

void ReportPreview::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QScrollArea::wheelEvent(event);
        return;
    }
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0) setZoom(zoom_ * std::pow(1.1, steps));
    event->accept();
}

int ReportPreview::currentPage() const {
    const int step = pages_->pageSize().height() + kGap;
    if (!document_ || step <= kGap) return 0;
    return std::clamp((verticalScrollBar()->value() + step / 3) / step, 0, pageCount() - 1);
}

void ReportPreview::showPage(int page) {
    if (!document_) return;
    page = std::clamp(page, 0, pageCount() - 1);
    verticalScrollBar()->setValue(pages_->pageRect(page).top() - kGap);
}

bool ReportPreview::findNext(const QString& needle) {
    if (!document_) return false;
    const auto hits = document_->find(needle);
    if (hits.empty()) return false;
    auto next = std::upper_bound(hits.begin(), hits.end(), hit_);
    hit_ = next == hits.end() ? hits.front() : *next;
    const double px = pixelsPerMm();
    const QRectF mm = document_->pages[hit_.first].items[hit_.second].mm;
    const QPoint at = pages_->pageRect(hit_.first).topLeft() + (mm.center() * px).toPoint();
    ensureVisible(at.x(), at.y(), 50, int(mm.height() * px) + 50);
    pages_->update();
    return true;
}

bool ReportPreview::print() {
    if (!document_) return false;
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setPageLayout(document_->layout);
    printer.setFromTo(1, pageCount());
    if (!asking().printDialog(printer, this)) return false;
    if (printTo(printer)) return true;
    qb::messages().plain(QStringLiteral("打印失败：打印机无法使用"));
    return false;
}

bool ReportPreview::printTo(QPrinter& printer) {
    if (!document_) return false;
    printer.setFullPage(true);
    int first = 0;
    int last = -1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = printer.fromPage() - 1;
        last = printer.toPage() - 1;
    }
    return paintDocument(*document_, printer, first, last);
}

}  // namespace qb::report
