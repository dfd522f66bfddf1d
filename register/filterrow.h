#pragma once

#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QVector>

class QLineEdit;

// Keeps the rows whose shown text contains, in every column with a filter text, that text.
// Filtering is local: the month view's rows stay as read.
class FilterProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setPattern(int column, const QString& text);
    bool active() const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QVector<QString> patterns_;
};

// The column titles with a filter row under them: one text box per column, kept aligned with its
// column as columns are resized or scrolled.
class FilterHeader : public QHeaderView {
    Q_OBJECT
public:
    FilterHeader(FilterProxy& proxy, QWidget* parent);
    QLineEdit* editor(int column) const { return editors_.value(column); }
    QSize sizeHint() const override;
    void placeEditors();

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void updateGeometries() override;

private:
    void makeEditors();
    int filterHeight() const;

    FilterProxy& proxy_;
    QVector<QLineEdit*> editors_;
};
