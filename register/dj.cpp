#include "dj.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeWidget>

#include "bankrec.h"
#include "chm.h"
#include "entries.h"
#include "entrypanel.h"
#include "errors.h"
#include "figures.h"
#include "footerrows.h"
#include "griddelegate.h"
#include "gymk.h"
#include "journalgrid.h"
#include "ledger.h"
#include "monthmodel.h"
#include "months.h"
#include "report.h"
#include "report_preview.h"
#include "session.h"
#include "zp.h"

namespace {

const QString kSheet = QStringLiteral("结存表");
const QString kFooterTitles[FooterRows::kRows] = {
    QStringLiteral("本月合计"), QStringLiteral("本月累计"), QStringLiteral("本年累计")};

// Node images: a book name closed and open, a journal and the one open, the summary sheet.
QIcon nodeIcon(const char* normal, const char* selected) {
    QIcon icon(QStringLiteral(":/register/%1.svg").arg(QLatin1String(normal)));
    icon.addFile(QStringLiteral(":/register/%1.svg").arg(QLatin1String(selected)), QSize(),
                 QIcon::Selected);
    return icon;
}

QToolButton* toolButton(QWidget* parent, const char* name, const QString& text, const char* icon) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setIcon(QIcon(QStringLiteral(":/register/%1.svg").arg(QLatin1String(icon))));
    button->setIconSize(QSize(20, 20));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    return button;
}

}  // namespace

Tfr_dj::Tfr_dj(Session& session, QWidget* parent)
    : QWidget(parent),
      session_(session),
      dat_(session.dat),
      Query1(session.dat),
      aux_query(session.dat) {
    Q_INIT_RESOURCE(register_icons);
    setObjectName(QStringLiteral("fr_dj"));
    setWindowTitle(QStringLiteral("登记"));
    model_ = std::make_unique<MonthModel>(Query1);
    model_->writeCell = [this](int row, int column, const QVariant& value) {
        return writeCell(row, column, value);
    };
    buildLayout();
}

Tfr_dj::~Tfr_dj() {
    model_->writeCell = nullptr;
    // The grid goes before the model it shows; an edit still open is dropped with it.
    delete DBGridEh1;
}

void Tfr_dj::closeEvent(QCloseEvent* event) {
    // What was typed into a cell is kept, as if the cashier had left the cell.
    DBGridEh1->view()->finishEdit();
    QWidget::closeEvent(event);
}

void Tfr_dj::buildLayout() {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setAutoFillBackground(true);
    QPalette cream = bar->palette();
    cream.setColor(QPalette::Window, QColor(255, 251, 240));
    bar->setPalette(cream);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(4, 2, 4, 2);
    SpeedButton1 = toolButton(bar, "SpeedButton1", QStringLiteral("添加(&A)"), "add");
    SpeedButton2 = toolButton(bar, "SpeedButton2", QStringLiteral("删除"), "delete");
    SpeedButton4 = toolButton(bar, "SpeedButton4", QStringLiteral("刷新"), "refresh");
    SpeedButton7 = toolButton(bar, "SpeedButton7", QStringLiteral("打印"), "print");
    SpeedButton9 = toolButton(bar, "SpeedButton9", QStringLiteral("帮助"), "help");
    SpeedButton8 = toolButton(bar, "SpeedButton8", QStringLiteral("关闭"), "close");
    for (QToolButton* b :
         {SpeedButton1, SpeedButton2, SpeedButton4, SpeedButton7, SpeedButton9, SpeedButton8})
        barLayout->addWidget(b);
    dtp = new QDateEdit(bar);
    dtp->setObjectName(QStringLiteral("dtp"));
    dtp->setDisplayFormat(QStringLiteral("yyyy年M月d日"));
    dtp->setCalendarPopup(true);
    dtp->setEnabled(false);
    barLayout->addSpacing(12);
    barLayout->addWidget(dtp);
    CheckBox1 = new QCheckBox(QStringLiteral("切换录入界面"), bar);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setEnabled(false);
    barLayout->addSpacing(12);
    barLayout->addWidget(CheckBox1);
    barLayout->addStretch(1);

    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setStyleSheet(QStringLiteral("QTreeWidget { background: #a6caf0; }"));
    TreeView1->setMinimumWidth(120);

    auto* right = new QWidget(this);
    auto* strip = new QHBoxLayout;
    Label2 = new QLabel(QStringLiteral("当前账簿："), right);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setStyleSheet(QStringLiteral("color: blue;"));
    Label3 = new QLabel(right);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    Label1 = new QLabel(right);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->hide();
    strip->addWidget(Label2);
    strip->addWidget(Label3, 1);
    strip->addWidget(Label1);

    area_ = new QStackedWidget(right);
    DBGridEh1 = new JournalGrid(*model_, area_);
    rmp = new qb::report::ReportPreview(area_);
    rmp->setObjectName(QStringLiteral("rmp"));
    area_->addWidget(DBGridEh1);
    area_->addWidget(rmp);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addLayout(strip);
    rightLayout->addWidget(area_, 1);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(TreeView1);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({209, 800});

    Panel2 = new EntryPanel(this);
    Panel2->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(splitter, 1);
    layout->addWidget(Panel2);
    monthStatus_ = new QStatusBar(this);
    monthStatus_->setObjectName(QStringLiteral("monthStatus"));
    monthStatus_->setSizeGripEnabled(false);
    layout->addWidget(monthStatus_);

    connect(SpeedButton1, &QToolButton::clicked, this, &Tfr_dj::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &Tfr_dj::SpeedButton2Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &Tfr_dj::SpeedButton4Click);
    connect(SpeedButton7, &QToolButton::clicked, this, &Tfr_dj::SpeedButton7Click);
    connect(SpeedButton9, &QToolButton::clicked, this,
            [this] { show_help(this, help_file(QStringLiteral("账簿登记.htm"))); });
    connect(SpeedButton8, &QToolButton::clicked, this, &QWidget::close);
    connect(dtp, &QDateEdit::dateChanged, this, &Tfr_dj::dtpChange);
    connect(TreeView1, &QTreeWidget::itemClicked, this, &Tfr_dj::TreeView1Click);
    connect(TreeView1, &QTreeWidget::itemActivated, this, &Tfr_dj::TreeView1Click);
    connectPanel();
    addChequeAction();
}

void Tfr_dj::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
        // With a second register open (the journal query's), the main window's entries are
        // those of the register in front.
        if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
            connect(frame, &QMdiSubWindow::aboutToActivate, this, &Tfr_dj::setCommands);
    }
}

void Tfr_dj::FormShow() {
    summary_report = std::make_unique<qb::report::Report>();
    {
        const QSignalBlocker quiet(dtp);
        dtp->setDate(QDate::currentDate());
    }
    loadTree();
    Query1.setSql(QStringLiteral("select * from CreReg where dzrq='1990-01-01'"));
    Query1.open();
    model_->resetFromQuery();
    for (int row = 0; row < FooterRows::kRows; ++row) {
        DBGridEh1->setFooter(row, MonthModel::Zy, kFooterTitles[row]);
        for (int column : {MonthModel::JJe, MonthModel::DJe, MonthModel::YJe})
            DBGridEh1->setFooter(row, column, QStringLiteral("0.00"));
    }
    loadPhrases();
    setCommands();
}

void Tfr_dj::loadTree() {
    TreeView1->clear();
    // Every enabled book in one query, ordered as the file gives them: the database's own order
    // may differ from one engine to another.
    aux_query.setSql(QStringLiteral(
        "select distinct zbmc, zblb from accstar where flag='1' order by zbmc, zblb"));
    aux_query.open();
    const QIcon nameIcon = nodeIcon("book", "book_open");
    const QIcon categoryIcon = nodeIcon("journal", "journal_open");
    const QIcon sheetIcon = nodeIcon("sheet", "sheet");
    QTreeWidgetItem* node = nullptr;
    for (int row = 0; row < aux_query.recordCount(); ++row) {
        const QString name = aux_query.valueAt(row, 0).toString();
        if (!node || node->text(0) != name) {
            // Each name goes before those already there: the tree lists them in reverse.
            node = new QTreeWidgetItem(QStringList{name});
            node->setIcon(0, nameIcon);
            TreeView1->insertTopLevelItem(0, node);
            (new QTreeWidgetItem(node, QStringList{kSheet}))->setIcon(0, sheetIcon);
        }
        (new QTreeWidgetItem(node, QStringList{aux_query.valueAt(row, 1).toString()}))
            ->setIcon(0, categoryIcon);
    }
    aux_query.close();
    TreeView1->expandAll();
}

void Tfr_dj::loadPhrases() {
    aux_query.setSql(QStringLiteral("select * from basicset"));
    aux_query.open();
    QStringList phrases;
    for (int row = 0; row < aux_query.recordCount(); ++row)
        phrases << aux_query.valueAt(row, 0).toString();
    aux_query.close();
    DBGridEh1->delegate()->setPhrases(phrases);
}

bool Tfr_dj::sheetOnShow() const {
    return onShow_ && onShow_->text(0) == kSheet;
}

bool Tfr_dj::journalOnShow() const {
    return onShow_ && !sheetOnShow();
}

bool Tfr_dj::bookWritable() const {
    return journalOnShow() && onShow_->treeWidget();
}

void Tfr_dj::TreeView1Click() {
    QTreeWidgetItem* node = TreeView1->currentItem();
    // A book name opens nothing: what is on show stays, with its caption and its commands.
    if (TreeView1->topLevelItemCount() == 0 || !node || !node->parent()) return;
    showNode(node);
}

void Tfr_dj::showBookMonth(const QString& name, const QString& category, const QDate& month) {
    QTreeWidgetItem* node = nullptr;
    for (QTreeWidgetItem* book : TreeView1->findItems(name, Qt::MatchExactly))
        for (int i = 0; i < book->childCount(); ++i)
            if (book->child(i)->text(0) == category) node = book->child(i);
    // The tree lists only enabled books; one it does not list gets a node of its own.
    std::unique_ptr<QTreeWidgetItem> unlisted;
    if (!node) {
        unlisted = std::make_unique<QTreeWidgetItem>(QStringList{name});
        node = new QTreeWidgetItem(unlisted.get(), QStringList{category});
    }
    TreeView1->setCurrentItem(unlisted ? nullptr : node);
    {
        const QSignalBlocker quiet(dtp);
        dtp->setDate(month);
    }
    showNode(node);
    if (unlisted) unlisted_ = std::move(unlisted);
}

void Tfr_dj::showNode(QTreeWidgetItem* node) {
    // What was typed into a cell is written before anything else goes on show.
    DBGridEh1->view()->finishEdit();
    // A correcting entry belongs to the month it was offered in.
    if (followUp_.isValid()) leavePanel();
    if (node->text(0) == kSheet) {
        // A sheet that cannot be made is told by the report and leaves the window as it was.
        if (showSheet(node->parent())) {
            onShow_ = node;
            monthStatus_->clearMessage();  // a sheet holds several books
        }
    } else {
        // Until the month is read, nothing is on show; a failure leaves it so.
        onShow_ = nullptr;
        Label3->clear();
        monthStatus_->clearMessage();
        setCommands();
        openMonth(node);
        onShow_ = node;
    }
    setCommands();
    panelFollowsView();
}

void Tfr_dj::openMonth(QTreeWidgetItem* node) {
    const QString name = node->parent()->text(0);
    const QString category = node->text(0);
    const QDate date = dtp->date();
    area_->setCurrentWidget(DBGridEh1);
    current_book_id = gymk::book_id_of(dat_, name, category);
    const qb::ledger::MonthSql view = qb::ledger::month_view(current_book_id, date);
    Query1.setSql(view.sql, view.params);
    try {
        Query1.open();
    } catch (...) {
        model_->resetFromQuery();
        throw;
    }
    shownMonth_ = qb::months::firstDay(date);
    model_->resetFromQuery();
    refreshFooters();
    Label1->setText(current_book_id);
    Label3->setText(name + QLatin1Char('-') + category);  // the book id is internal
    monthClosed_ = gymk::month_closed(dat_, QString(), current_book_id, gymk::SilentMode, date);
    if (model_->rowCount() > 0) DBGridEh1->setCurrent(0, MonthModel::Dzrq);
}

// Add, delete, refresh, posting, recalculation and export work on a journal on show; a closed
// month takes no new or deleted lines but a reversal; an ordinary user reads only, and so does
// the grid while lines are entered in the panel. A book the tree does not list (not enabled) is
// only read: it has no opening rows to carry a balance from.
void Tfr_dj::setCommands() {
    const bool journal = journalOnShow();
    const bool writable = bookWritable();
    const bool open = writable && !monthClosed_;
    model_->setReadOnly(!open || !session_.may(qb::roles::Action::WriteLines) ||
                        CheckBox1->isChecked());
    // Lines are added in the panel while it is on.
    SpeedButton1->setEnabled(open && !CheckBox1->isChecked());
    SpeedButton2->setEnabled(open);
    SpeedButton4->setEnabled(journal);
    SpeedButton7->setEnabled(onShow_ != nullptr);
    dtp->setEnabled(onShow_ != nullptr);
    CheckBox1->setEnabled(open);
    for (const char* entry : {entries::kPost, entries::kRecalc})
        session_.setMainActionEnabled(entry, writable);
    session_.setMainActionEnabled(entries::kExport, journal);
    // A book not enabled has no opening rows for lines from a statement to carry on from.
    session_.setMainActionEnabled(entries::kBankRec,
                                  writable && qb::bankrec::is_bank_book(onShow_->text(0)));
    session_.setMainActionEnabled(entries::kCheques,
                                  journal && qb::bankrec::is_bank_book(onShow_->text(0)));
    session_.setMainActionEnabled(
        entries::kReverse,
        writable && qb::ledger::month_reversible(dat_, current_book_id, shownMonth_));
}

void Tfr_dj::refreshFooters() {
    using qb::money::grouped;
    const qb::figures::Figures f = qb::figures::month(dat_, current_book_id, shownMonth_);
    const qb::figures::Amounts rows[FooterRows::kRows] = {f.period, f.cumulative, f.yearToDate};
    for (int row = 0; row < FooterRows::kRows; ++row) {
        DBGridEh1->setFooter(row, MonthModel::JJe, grouped(rows[row].debit));
        DBGridEh1->setFooter(row, MonthModel::DJe, grouped(rows[row].credit));
        DBGridEh1->setFooter(row, MonthModel::YJe, grouped(f.closing));
    }
    // The month's state and what it brings in, marked when the month before is not posted.
    const qb::figures::State state = qb::figures::month_state(dat_, current_book_id, shownMonth_);
    monthStatus_->showMessage(
        QStringLiteral("%1 %2　上月结存 %3%4")
            .arg(qb::months::monthText(shownMonth_), qb::figures::state_text(state.state),
                 grouped(f.broughtIn),
                 state.afterOpenMonth ? QStringLiteral("（上月未结账）") : QString()));
}

void Tfr_dj::dtpChange() {
    if (!onShow_) return;
    try {
        showNode(onShow_);
    } catch (const qb::DbError&) {
        // A month that cannot be read leaves nothing on show.
    }
}

void Tfr_dj::SpeedButton4Click() {
    if (!journalOnShow()) return;
    DBGridEh1->view()->finishEdit();
    const int row = DBGridEh1->currentRow();
    reloadKeeping(row >= 0 ? model_->rowIdAt(row) : 0, DBGridEh1->currentColumn());
    // Lines written elsewhere since the month was opened count in the footers too.
    refreshFooters();
}

void Tfr_dj::reloadKeeping(qint64 rowId, int column) {
    model_->reload();
    const int row = model_->rowOf(rowId);
    if (row >= 0) DBGridEh1->setCurrent(row, column < 0 ? MonthModel::Dzrq : column);
    // The cheque register shows what the journal's lines make of its leaves.
    if (zp_ && zp_->bookId() == current_book_id) zp_->load_dat();
}
