#include "journalgrid.h"

#include <QEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include "filterrow.h"
#include "footerrows.h"
#include "griddelegate.h"
#include "monthmodel.h"

void GridView::finishEdit() {
    if (state() != EditingState) return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

// A date picked with the mouse gets its calendar at once; from the keyboard the day is typed.
bool GridView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (!QTableView::edit(index, trigger, event)) return false;
    if (index.column() == MonthModel::Dzrq &&
        (trigger == DoubleClicked || trigger == SelectedClicked))
        GridDelegate::dropDown(indexWidget(index));
    return true;
}

JournalGrid::JournalGrid(MonthModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("DBGridEh1"));
    proxy_ = new FilterProxy(this);
    proxy_->setSourceModel(&model_);

    view_ = new GridView(this);
    view_->setObjectName(QStringLiteral("gridView"));
    header_ = new FilterHeader(*proxy_, view_);
    QFont titleFont = header_->font();
    titleFont.setBold(true);
    header_->setFont(titleFont);
    header_->setSectionsClickable(false);
    header_->setHighlightSections(false);
    view_->setHorizontalHeader(header_);
    view_->setModel(proxy_);
    delegate_ = new GridDelegate(view_);
    view_->setItemDelegate(delegate_);
    view_->setFont(QFont(QStringLiteral("宋体"), 9));
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    view_->verticalHeader()->hide();
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    view_->setTabKeyNavigation(true);
    view_->setWordWrap(false);
    view_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    view_->setColumnHidden(MonthModel::Zbh, true);
    header_->setSectionResizeMode(QHeaderView::Interactive);

    footer_ = new FooterRows(*header_, view_->viewport(), this);
    connect(view_->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        header_->placeEditors();
        footer_->update();
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view_, 1);
    layout->addWidget(footer_);
    // Columns share whatever width the cells get, also after a new month resets the titles.
    view_->viewport()->installEventFilter(this);
    connect(proxy_, &QAbstractItemModel::modelReset, this, &JournalGrid::fitColumns);
}

QLineEdit* JournalGrid::filterEditor(int column) const {
    return header_->editor(column);
}

void JournalGrid::setFooter(int row, int column, const QString& text) {
    footer_->setText(row, column, text);
}

QString JournalGrid::footer(int row, int column) const {
    return footer_->text(row, column);
}

int JournalGrid::currentRow() const {
    const QModelIndex index = proxy_->mapToSource(view_->currentIndex());
    return index.isValid() ? index.row() : -1;
}

int JournalGrid::currentColumn() const {
    return view_->currentIndex().column();
}

void JournalGrid::setCurrent(int sourceRow, int column) {
    const QModelIndex index = proxy_->mapFromSource(model_.index(sourceRow, column));
    if (!index.isValid()) return;
    view_->setCurrentIndex(index);
    view_->scrollTo(index);
}

void JournalGrid::fitColumns() {
    int design = 0;
    for (int column = 0; column < MonthModel::ColumnCount; ++column)
        design += MonthModel::designWidth(column);
    const int available = view_->viewport()->width();
    if (available <= 0) return;
    int used = 0;
    for (int column = 0; column < MonthModel::Zbh; ++column) {
        const int w = column == MonthModel::Zbh - 1
                          ? std::max(20, available - used)
                          : MonthModel::designWidth(column) * available / design;
        header_->resizeSection(column, w);
        used += w;
    }
}

bool JournalGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_->viewport() && event->type() == QEvent::Resize) fitColumns();
    return QWidget::eventFilter(watched, event);
}
