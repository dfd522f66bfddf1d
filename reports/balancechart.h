#pragma once

#include <QChartView>
#include <QDate>
#include <vector>

#include "balanceprint.h"

// The month-end balances of some books over the last twelve months as lines, one per book: a
// chart a cashier takes in at a glance under the balance table, and prints with it.
class BalanceChart : public QChartView {
    Q_OBJECT
public:
    explicit BalanceChart(QWidget* parent = nullptr);

    // Draws the lines over the twelve months ending with the month of last.
    void setLines(const QDate& last, std::vector<qb::balanceprint::ChartLine> lines);
    const std::vector<qb::balanceprint::ChartLine>& lines() const { return lines_; }

private:
    std::vector<qb::balanceprint::ChartLine> lines_;
};
