#include "zy.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "chm.h"
#include "guarded.h"
#include "phrases.h"
#include "querymodel.h"
#include "widgets.h"

namespace {
const QString kAll = QStringLiteral("select * from BasicSet order by OftenSummary");
}

Tfr_zy::Tfr_zy(Session& session, QWidget* parent)
    : QWidget(parent), session_(session), query(session.dat) {
    setObjectName(QStringLiteral("fr_zy"));
    setWindowTitle(QStringLiteral("摘要"));

    auto* label = new QLabel(QStringLiteral("摘要名称："), this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(50);  // a phrase must fit the summary of a journal line
    label->setBuddy(Edit1);
    setFocusProxy(Edit1);

    model_ = new QueryModel(query, {0}, this);
    model_->setEditable(true);
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setModel(model_);
    DBGrid1->horizontalHeader()->hide();
    DBGrid1->verticalHeader()->hide();
    DBGrid1->verticalHeader()->setDefaultSectionSize(20);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    DBGrid1->setColumnWidth(0, 260);
    DBGrid1->setFixedWidth(260 + 2 * DBGrid1->frameWidth() + 18);
    DBGrid1->installEventFilter(this);

    QPushButton* add = namedButton(this, "SpeedButton1", QStringLiteral("添加(A)"));
    QPushButton* remove = namedButton(this, "SpeedButton2", QStringLiteral("删除(&D)"));
    QPushButton* save = namedButton(this, "SpeedButton3", QStringLiteral("保存(&S)"));
    QPushButton* help = namedButton(this, "SpeedButton5", QStringLiteral("帮助(&H)"));
    QPushButton* quit = namedButton(this, "SpeedButton4", QStringLiteral("关闭(Q)"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(Edit1, 0, 1, 1, 2);
    grid->addWidget(DBGrid1, 1, 0, 6, 2);
    int row = 1;
    for (QPushButton* b : {add, remove, save, help, quit})
        grid->addWidget(b, row++, 2);
    grid->setRowStretch(6, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    DBGrid1->setMinimumHeight(260);

    connect(Edit1, &QLineEdit::textChanged, this, &Tfr_zy::Edit1Change);
    connect(Edit1, &QLineEdit::returnPressed, this, &Tfr_zy::SpeedButton1Click);
    connect(add, &QPushButton::clicked, this, &Tfr_zy::SpeedButton1Click);
    connect(remove, &QPushButton::clicked, this, &Tfr_zy::SpeedButton2Click);
    connect(save, &QPushButton::clicked, this, &Tfr_zy::SpeedButton3Click);
    connect(help, &QPushButton::clicked, this, &Tfr_zy::SpeedButton5Click);
    connect(quit, &QPushButton::clicked, this, &QWidget::close);
    // A change typed into a cell is written when the cursor leaves its row.
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                postPending();
                if (current.isValid() && query.active()) query.setRecNo(current.row() + 1);
            });

    guarded([this] { showAll(); });
    Edit1->setFocus();
}

// The grid goes first: it reads the query, which is gone before the base class closes.
Tfr_zy::~Tfr_zy() {
    delete DBGrid1;
}

void Tfr_zy::load(const QString& sql, const QVariantList& params) {
    query.setSql(sql, params);  // drops a change still pending
    query.open();
    model_->reload();
    if (!query.isEmpty()) DBGrid1->setCurrentIndex(model_->index(0, 0));
}

void Tfr_zy::showAll() {
    load(kAll);
}

void Tfr_zy::Edit1Change() {
    const QString text = Edit1->text().trimmed();
    guarded([&] {
        if (text.isEmpty())
            showAll();
        else
            load(QStringLiteral("select * from BasicSet where %1 order by OftenSummary")
                     .arg(session_.dat.con().like(QStringLiteral("OftenSummary"),
                                                  QStringLiteral("? || '%'"))),
                 {text});
    });
}

void Tfr_zy::SpeedButton1Click() {
    const QString text = Edit1->text().trimmed();
    guarded([&] {
        qb::Query& gycx = session_.dat.gycx;
        gycx.setSql(QStringLiteral("select * from basicset where oftensummary=?"), {text});
        gycx.open();
        const bool found = !gycx.isEmpty();
        gycx.close();
        if (found)
            qb::messages().plain(QStringLiteral("摘要数据库中已经存在此数据"));
        else
            store();
    });
}

void Tfr_zy::SpeedButton3Click() {
    guarded([this] { store(); });
}

void Tfr_zy::store() {
    const QString text = Edit1->text().trimmed();
    if (text.isEmpty()) return;
    qb::phrases::add(session_.dat, text);
    showAll();
    qb::messages().plain(QStringLiteral("数据已保存！"));
}

void Tfr_zy::postPending() {
    if (query.state() != qb::Query::State::Edit) return;
    const int row = query.recNo() - 1;
    const QString text = query.value(0).toString().trimmed();
    if (text.size() > Edit1->maxLength())
        qb::messages().plain(
            QStringLiteral("摘要最多 %1 个字，这次修改没有保存。").arg(Edit1->maxLength()));
    // Emptying a cell is no way to delete a phrase: such a change is dropped. The row is written
    // where it stands, with its log entry in the same unit.
    const QString was = query.valueAt(row, 0).toString();
    if (text.isEmpty() || text.size() > Edit1->maxLength() || !guarded([&] {
            qb::Transaction unit(session_.dat);
            query.setValue(0, text);
            query.post();
            qb::phrases::changed(session_.dat, was, text);
            unit.commit();
        }))
        query.cancel();
    model_->dataChanged(model_->index(row, 0), model_->index(row, 0));
}

int Tfr_zy::currentRow() const {
    const QModelIndex current = DBGrid1->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void Tfr_zy::deleteCurrent() {
    const int row = currentRow();
    if (row < 0 || !query.active() || query.isEmpty()) return;
    query.cancel();
    guarded([&] {
        query.setRecNo(row + 1);
        qb::phrases::remove(session_.dat, query.rowId());
        query.open();
    });
    model_->reload();
    if (!query.isEmpty())
        DBGrid1->setCurrentIndex(model_->index(std::min(row, query.recordCount() - 1), 0));
}

void Tfr_zy::SpeedButton2Click() {
    deleteCurrent();
}

void Tfr_zy::SpeedButton5Click() {
    guarded([this] { show_help(this, help_file(QStringLiteral("摘要设置.htm"))); });
}

bool Tfr_zy::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DBGrid1 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && currentRow() >= 0) {
            if (qb::messages().ask(QStringLiteral("确认"), QStringLiteral("Delete record?"),
                                   qb::MsgIcon::Question,
                                   qb::MsgButtons::OkCancel) == qb::MsgAnswer::Ok)
                deleteCurrent();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
