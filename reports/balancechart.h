#pragma once

#include <QChartView>
#include <QColor>
#include <QDate>
#include <QImage>
#include <QString>
#include <optional>
#include <vector>

#include "money.h"

// The month-end balances of some books over the last twelve months as lines, one per book: a
// chart a cashier takes in at a glance under the balance table, and prints with it.
class BalanceChart : public QChartView {
    Q_OBJECT
public:
    static constexpr int kMonths = 12;

    struct Line {
        QString title;  // "name-category"
        QColor color;
        std::vector<std::optional<qb::money::Cents>> balances;  // kMonths, oldest first
    };
    // Distinct colours for the lines, by a book's place in the list, so that a book keeps its
    // colour whatever else is ticked.
    static QColor colour(int index);

    explicit BalanceChart(QWidget* parent = nullptr);

    // Draws the lines over the twelve months ending with the month of last.
    void setLines(const QDate& last, std::vector<Line> lines);
    const std::vector<Line>& lines() const { return lines_; }

    // The same chart on white paper with its legend, for a printout width x height millimetres
    // large; null when there is no line to draw.
    QImage printImage(const QSizeF& mm) const;

private:
    // A new chart of the lines; the caller owns it. On screen the list above it is the legend.
    QChart* build(bool legend) const;

    QDate last_;
    std::vector<Line> lines_;
};
