#pragma once

#include <QColor>
#include <QDate>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "balances.h"
#include "datasource.h"
#include "money.h"

class QChart;
class QImage;
class QSizeF;

namespace qb::report {
class Report;
}

// The balance table's printout with the chart of month-end balances under it, and that chart
// itself: laid out alike by the window "账户余额表" and by quillbook-cli, which draws it without
// a window (a QApplication is needed all the same).
namespace qb::balanceprint {

// The chart covers the last twelve months.
constexpr int kMonths = 12;

struct ChartLine {
    QString title;  // "name-category"
    QColor color;
    std::vector<std::optional<money::Cents>> balances;  // kMonths, oldest first
};

// Distinct colours for the lines, by a book's place in the list, so that a book keeps its
// colour whatever else is ticked.
QColor colour(int index);

// The line of books[index] over monthEnds (from qb::balances::month_end_balances).
ChartLine chartLine(const std::vector<balances::BookBalance>& books, int index,
                    std::vector<std::optional<money::Cents>> monthEnds);

// A new chart of the lines over the twelve months ending with the month of last; the caller
// owns it. On screen it has a title and the list above it is the legend; on paper the legend
// sits beside the plot and the printout's heading is the title.
QChart* buildChart(const QDate& last, const std::vector<ChartLine>& lines, bool paper);

// The chart as printed: on white paper, mm millimetres large, the legend's type made small enough
// for every book's entry to fit beside the plot, down to a size still read on paper.
QImage printImage(const QDate& last, const std::vector<ChartLine>& lines, const QSizeF& mm);

// Loads the balance table template (a missing file takes the built-in layout) over rows shaped
// as zhye, and puts the chart of the lines into its picture "chart". Without a line, or in a
// template without that picture, the table prints alone. False after a message when the
// template cannot be loaded.
bool loadPrintout(report::Report& report, const QString& templatePath,
                  std::shared_ptr<const report::DataSource> rows, const QDate& last,
                  const std::vector<ChartLine>& lines);

}  // namespace qb::balanceprint
