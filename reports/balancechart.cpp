#include "balancechart.h"

BalanceChart::BalanceChart(QWidget* parent) : QChartView(parent) {
    setRenderHint(QPainter::Antialiasing);
    setChart(qb::balanceprint::buildChart(QDate::currentDate(), {}, false));
}

void BalanceChart::setLines(const QDate& last, std::vector<qb::balanceprint::ChartLine> lines) {
    lines_ = std::move(lines);
    QChart* old = chart();
    setChart(qb::balanceprint::buildChart(last, lines_, false));
    delete old;
}
