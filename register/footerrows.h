#pragma once

#include <QString>
#include <QVector>
#include <QWidget>

class QHeaderView;

// The grid's footer rows (本月合计, 本月累计, 本年累计) on their cream background, each cell
// under its column.
class FooterRows : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRows = 3;

    FooterRows(QHeaderView& header, QWidget* viewport, QWidget* parent);

    void setText(int row, int column, const QString& text);
    QString text(int row, int column) const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int rowHeight() const;

    QHeaderView& header_;
    QWidget* viewport_;  // the grid's cells, whose left edge the columns start from
    QVector<QString> texts_[kRows];
};
