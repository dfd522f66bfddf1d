#include "yetab.h"
#include "places.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "balancechart.h"
#include "balanceprint.h"
#include "preview_dialog.h"
#include "report.h"
#include "session.h"
#include "widgets.h"

namespace {

enum Column { NameColumn, CategoryColumn, AccountColumn, BalanceColumn };
constexpr int kWidths[] = {300, 170, 150, 100};
// Every second row stands on light sky blue, so that a row is easy to follow across.
const QColor kAlternate(166, 202, 240);
constexpr int kBook = Qt::UserRole;  // the row's index into the books

}  // namespace

TForm3::TForm3(Session& session, QWidget* parent)
    : QWidget(parent), session_(session), Query1(session.dat) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("账户余额表"));

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setHeaderLabels({QStringLiteral("启用状态   账簿名称"), QStringLiteral("账簿类别"),
                                QStringLiteral("账        号"), QStringLiteral("账簿余额")});
    ListView1->headerItem()->setTextAlignment(BalanceColumn, Qt::AlignRight | Qt::AlignVCenter);
    int width = 2 * ListView1->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (int c = 0; c < 4; ++c) {
        ListView1->setColumnWidth(c, kWidths[c]);
        width += kWidths[c];
    }
    ListView1->setFixedSize(width, 200);

    Chart1 = new BalanceChart(this);
    Chart1->setObjectName(QStringLiteral("Chart1"));

    Label1 = new QLabel(QStringLiteral("账户数量："), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    SpeedButton1 = namedButton(this, "SpeedButton1", QStringLiteral("打印预览"),
                               style()->standardIcon(QStyle::SP_FileDialogContentsView));
    SpeedButton2 = namedButton(this, "SpeedButton2", QStringLiteral("关闭"),
                               style()->standardIcon(QStyle::SP_DialogCloseButton));

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Label1);
    bottom->addStretch();
    bottom->addWidget(SpeedButton1);
    bottom->addWidget(SpeedButton2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListView1);
    layout->addWidget(Chart1, 1);
    layout->addLayout(bottom);
    // Under the list, so that the window fits the smallest screens a cashier may have.
    setFixedSize(width + 2 * layout->contentsMargins().left(), 540);

    connect(ListView1, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem*, int column) {
        if (column == NameColumn) drawChart();
    });
    connect(SpeedButton1, &QPushButton::clicked, this, &TForm3::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &QWidget::close);
}

void TForm3::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TForm3::FormShow() {
    {
        const QSignalBlocker quiet(ListView1);
        ListView1->clear();
        monthEnds_.clear();
        books_ = qb::balances::stage_balances(session_.dat, today);
        for (int i = 0; i < int(books_.size()); ++i) {
            const qb::balances::BookBalance& b = books_[i];
            auto* item = new QTreeWidgetItem(ListView1);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(NameColumn, b.enabled ? Qt::Checked : Qt::Unchecked);
            item->setData(NameColumn, kBook, i);
            item->setText(NameColumn, QString(15, QLatin1Char(' ')) + b.name);
            item->setText(CategoryColumn, b.category);
            item->setText(AccountColumn, b.account);
            item->setText(BalanceColumn, qb::money::grouped(b.balance));
            item->setTextAlignment(BalanceColumn, Qt::AlignRight | Qt::AlignVCenter);
            if (i % 2 == 1)
                for (int c = 0; c < 4; ++c)
                    item->setBackground(c, kAlternate);
        }
    }
    Label1->setText(QStringLiteral("账户数量：%1").arg(books_.size()));
    drawChart();
}

const std::vector<std::optional<qb::money::Cents>>& TForm3::monthEnds(int book) {
    auto it = monthEnds_.find(book);
    if (it == monthEnds_.end())
        it = monthEnds_.insert(book,
                               qb::balances::month_end_balances(session_.dat, books_[book], today,
                                                                qb::balanceprint::kMonths));
    return *it;
}

void TForm3::drawChart() {
    std::vector<qb::balanceprint::ChartLine> lines;
    for (int row = 0; row < ListView1->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = ListView1->topLevelItem(row);
        if (item->checkState(NameColumn) != Qt::Checked) continue;
        const int book = item->data(NameColumn, kBook).toInt();
        lines.push_back(qb::balanceprint::chartLine(books_, book, monthEnds(book)));
    }
    Chart1->setLines(today, std::move(lines));
    // The list is the chart's legend: a ticked book shows its line's colour.
    const QSignalBlocker quiet(ListView1);
    for (int row = 0; row < ListView1->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = ListView1->topLevelItem(row);
        QPixmap swatch(12, 12);
        swatch.fill(item->checkState(NameColumn) == Qt::Checked
                        ? qb::balanceprint::colour(item->data(NameColumn, kBook).toInt())
                        : Qt::transparent);
        item->setIcon(NameColumn, QIcon(swatch));
    }
}

void TForm3::SpeedButton1Click() {
    Query1.setSql(qb::balances::kStagedSql);
    Query1.open();
    qb::report::Report RMGridReport1;
    if (qb::balanceprint::loadPrintout(
            RMGridReport1, qb::places::shipped(QDir::currentPath(), QStringLiteral("zhye.rls")),
            std::make_shared<qb::report::QueryDataSource>(Query1), today, Chart1->lines()))
        qb::report::showPreview(RMGridReport1, this, windowTitle());
    Query1.close();
}
