#pragma once

#include <QDate>
#include <QHash>
#include <QWidget>
#include <vector>

#include "balances.h"
#include "fr_dat.h"

class BalanceChart;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
struct Session;

// "账户余额表": every account book with its enabled state, category, account number and current
// balance, and under it a chart of the ticked books' month-end balances over the last twelve
// months. Opening the window stages the rows in zhye, so the printout reads the figures shown;
// the ticks start as the books' enabled state, choose the chart's books and change nothing
// stored.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    explicit TForm3(Session& session, QWidget* parent = nullptr);

    void FormShow();           // rebuilds zhye and fills the list
    void SpeedButton1Click();  // print preview of the table, with the chart when a book is ticked

    // The month whose end the balances stand at; today's unless a test sets another.
    QDate today = QDate::currentDate();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The chart shows the ticked books.
    void drawChart();
    const std::vector<std::optional<qb::money::Cents>>& monthEnds(int book);

    Session& session_;
    qb::Query Query1;
    std::vector<qb::balances::BookBalance> books_;
    // Month-end balances read once per book, when it is first ticked.
    QHash<int, std::vector<std::optional<qb::money::Cents>>> monthEnds_;
    bool shown_ = false;

    QTreeWidget* ListView1;
    QLabel* Label1;
    QPushButton* SpeedButton1;
    QPushButton* SpeedButton2;
    BalanceChart* Chart1;
};
