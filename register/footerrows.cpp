#include "footerrows.h"

#include <QHeaderView>
#include <QPainter>

#include "monthmodel.h"

FooterRows::FooterRows(QHeaderView& header, QWidget* viewport, QWidget* parent)
    : QWidget(parent), header_(header), viewport_(viewport) {
    for (auto& row : texts_)
        row.resize(MonthModel::ColumnCount);
    setObjectName(QStringLiteral("footer"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(&header_, &QHeaderView::sectionResized, this, qOverload<>(&QWidget::update));
    connect(&header_, &QHeaderView::geometriesChanged, this, qOverload<>(&QWidget::update));
}

void FooterRows::setText(int row, int column, const QString& text) {
    if (texts_[row][column] == text) return;
    texts_[row][column] = text;
    update();
}

QString FooterRows::text(int row, int column) const {
    return texts_[row].value(column);
}

int FooterRows::rowHeight() const {
    return fontMetrics().height() + 6;
}

QSize FooterRows::sizeHint() const {
    return QSize(200, kRows * rowHeight() + 1);
}

void FooterRows::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(255, 251, 240));
    const int left = viewport_->mapTo(parentWidget(), QPoint(0, 0)).x() - x();
    const int height = rowHeight();
    painter.setPen(QColor(200, 192, 170));
    painter.drawLine(0, 0, width(), 0);
    for (int column = 0; column < MonthModel::ColumnCount; ++column) {
        if (header_.isSectionHidden(column)) continue;
        const int x = left + header_.sectionViewportPosition(column);
        const int w = header_.sectionSize(column);
        const bool amount =
            column == MonthModel::JJe || column == MonthModel::DJe || column == MonthModel::YJe;
        for (int row = 0; row < kRows; ++row) {
            const QRect cell(x, 1 + row * height, w, height);
            painter.setPen(QColor(200, 192, 170));
            painter.drawRect(cell.adjusted(0, 0, -1, -1));
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawText(cell.adjusted(3, 0, -4, 0),
                             (amount ? Qt::AlignRight : Qt::AlignHCenter) | Qt::AlignVCenter,
                             texts_[row][column]);
        }
    }
}
