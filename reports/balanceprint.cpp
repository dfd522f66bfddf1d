#include "balanceprint.h"

#include <QCategoryAxis>
#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QImage>
#include <QLegend>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>

#include "months.h"
#include "printouts.h"
#include "report.h"

namespace qb::balanceprint {
namespace {

constexpr double kScreenDpi = 96;
constexpr double kPrintScale = 3;  // pixels of the printed picture per screen pixel
const QString kChart = QStringLiteral("chart");

// Whether every entry of the legend lies inside its box: entries that do not fit are cut off.
bool legendFits(QLegend* legend) {
    const double bottom = legend->contentsRect().bottom();
    for (QGraphicsItem* group : legend->childItems())
        for (QGraphicsItem* entry : group->childItems())
            if (entry->mapToItem(legend, entry->boundingRect().bottomLeft()).y() > bottom + 0.5)
                return false;
    return true;
}

// Paper has no list to stand in for the legend: with many books the legend's type shrinks, down
// to a size still read on paper, until every book's entry fits beside the plot.
void fitLegend(QChart* chart) {
    constexpr double kSmallestPoints = 5;
    QLegend* legend = chart->legend();
    QFont font = legend->font();
    while (!legendFits(legend) && font.pointSizeF() > kSmallestPoints) {
        font.setPointSizeF(std::max(kSmallestPoints, font.pointSizeF() - 0.5));
        legend->setFont(font);
        chart->layout()->activate();
        legend->layout()->activate();  // its entries, which wait for an event loop otherwise
    }
}

}  // namespace

QImage printImage(const QDate& last, const std::vector<ChartLine>& lines, const QSizeF& mm) {
    const QSizeF logical = mm / 25.4 * kScreenDpi;
    QImage image((logical * kPrintScale).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QGraphicsScene scene;
    QChart* chart = buildChart(last, lines, true);  // the scene owns it
    scene.addItem(chart);
    chart->setGeometry(QRectF(QPointF(), logical));
    chart->layout()->activate();
    fitLegend(chart);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter, QRectF(QPointF(), QSizeF(image.size())), QRectF(QPointF(), logical));
    return image;
}

QColor colour(int index) {
    static const QRgb colours[] = {0x1f77b4, 0xff7f0e, 0x2ca02c, 0xd62728, 0x9467bd, 0x8c564b,
                                   0xe377c2, 0x7f7f7f, 0xbcbd22, 0x17becf, 0x393b79, 0x637939};
    return QColor(colours[index % int(std::size(colours))]);
}

ChartLine chartLine(const std::vector<balances::BookBalance>& books, int index,
                    std::vector<std::optional<money::Cents>> monthEnds) {
    return {books[index].name + QLatin1Char('-') + books[index].category, colour(index),
            std::move(monthEnds)};
}

QChart* buildChart(const QDate& last, const std::vector<ChartLine>& lines, bool paper) {
    auto* chart = new QChart;
    chart->setTheme(QChart::ChartThemeLight);
    chart->setBackgroundRoundness(0);
    if (paper) {
        chart->setBackgroundBrush(Qt::white);
        chart->setDropShadowEnabled(false);
    } else {
        chart->setTitle(lines.empty() ? QStringLiteral("勾选账簿，即可看到它近十二个月的月末余额")
                                      : QStringLiteral("近十二个月月末余额"));
    }
    // Beside the plot, each book's whole name on a line of its own.
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->legend()->setVisible(paper);

    // One category per month, its label under the month's point; the axis names the years.
    auto* months = new QCategoryAxis;
    months->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
    months->setStartValue(-0.5);
    const QDate first = qb::months::firstDay(last).addMonths(1 - kMonths);
    for (int i = 0; i < kMonths; ++i)
        months->append(QStringLiteral("%1月").arg(first.addMonths(i).month()), i + 0.5);
    months->setRange(-0.5, kMonths - 0.5);
    months->setTruncateLabels(false);
    months->setTitleText(QStringLiteral("%1年%2月至%3年%4月")
                             .arg(first.year())
                             .arg(first.month())
                             .arg(last.year())
                             .arg(last.month()));
    chart->addAxis(months, Qt::AlignBottom);

    // Large balances read in 万元 (ten thousands), without a row of zeros.
    double low = 0, high = 0;
    for (const ChartLine& line : lines)
        for (const auto& balance : line.balances)
            if (balance) {
                low = std::min(low, qb::money::fromCents(*balance));
                high = std::max(high, qb::money::fromCents(*balance));
            }
    const bool large = high - low >= 100000;
    const double unit = large ? 10000 : 1;
    auto* amounts = new QValueAxis;
    amounts->setLabelFormat(high - low >= 100 * unit ? QStringLiteral("%.0f")
                                                     : QStringLiteral("%.2f"));
    amounts->setTitleText(large ? QStringLiteral("余额（万元）") : QStringLiteral("余额（元）"));
    amounts->setRange(low / unit, high > low ? high / unit : low / unit + 1);
    amounts->applyNiceNumbers();
    chart->addAxis(amounts, Qt::AlignLeft);

    for (const ChartLine& line : lines) {
        auto* series = new QLineSeries;
        series->setName(line.title);
        series->setPointsVisible(true);
        series->setPen(QPen(line.color, 2));
        for (int i = 0; i < int(line.balances.size()); ++i)
            if (line.balances[i])  // none before the book began
                series->append(i, qb::money::fromCents(*line.balances[i]) / unit);
        chart->addSeries(series);
        series->attachAxis(months);
        series->attachAxis(amounts);
    }
    return chart;
}

bool loadPrintout(report::Report& report, const QString& templatePath,
                  std::shared_ptr<const report::DataSource> rows, const QDate& last,
                  const std::vector<ChartLine>& lines) {
    if (!report::loadBalanceTable(report, templatePath)) return false;
    report.setDataSource(std::move(rows));
    // A chart object that is no picture is told about; the table still prints.
    if (!lines.empty() && report.hasObject(kChart))
        report.setPicture(kChart, printImage(last, lines, report.objectSize(kChart)));
    return true;
}

}  // namespace qb::balanceprint
