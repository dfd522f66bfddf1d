#include "filterrow.h"

#include <QLineEdit>

void FilterProxy::setPattern(int column, const QString& text) {
    if (patterns_.size() <= column) patterns_.resize(column + 1);
    if (patterns_[column] == text) return;
    patterns_[column] = text;
    invalidateRowsFilter();
}

bool FilterProxy::active() const {
    for (const QString& p : patterns_)
        if (!p.isEmpty()) return true;
    return false;
}

bool FilterProxy::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    for (int column = 0; column < patterns_.size(); ++column) {
        const QString& pattern = patterns_[column];
        if (pattern.isEmpty()) continue;
        const QString shown =
            sourceModel()->index(sourceRow, column, sourceParent).data(Qt::DisplayRole).toString();
        if (!shown.contains(pattern, Qt::CaseInsensitive)) return false;
    }
    return true;
}

FilterHeader::FilterHeader(FilterProxy& proxy, QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), proxy_(proxy) {
    connect(this, &QHeaderView::sectionResized, this, &FilterHeader::placeEditors);
    connect(this, &QHeaderView::sectionCountChanged, this, &FilterHeader::makeEditors);
}

int FilterHeader::filterHeight() const {
    return fontMetrics().height() + 8;
}

QSize FilterHeader::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    size.setHeight(size.height() + filterHeight());
    return size;
}

void FilterHeader::makeEditors() {
    while (editors_.size() < count()) {
        const int column = int(editors_.size());
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("filter%1").arg(column));
        edit->setPlaceholderText(QStringLiteral("筛选"));
        edit->setClearButtonEnabled(true);
        connect(edit, &QLineEdit::textChanged, this,
                [this, column](const QString& text) { proxy_.setPattern(column, text.trimmed()); });
        editors_.append(edit);
    }
    placeEditors();
}

void FilterHeader::placeEditors() {
    const int height = filterHeight();
    const int top = this->height() - height;
    for (int column = 0; column < editors_.size(); ++column) {
        QLineEdit* edit = editors_[column];
        if (isSectionHidden(column) || column >= count()) {
            edit->hide();
            continue;
        }
        edit->setGeometry(sectionViewportPosition(column), top, sectionSize(column), height);
        edit->show();
    }
}

void FilterHeader::updateGeometries() {
    QHeaderView::updateGeometries();
    placeEditors();
}

void FilterHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    QHeaderView::paintSection(painter, rect.adjusted(0, 0, 0, -filterHeight()), logicalIndex);
}
