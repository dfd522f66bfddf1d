#include "yhgl.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "chm.h"
#include "guarded.h"
#include "querymodel.h"
#include "users.h"
#include "widgets.h"

namespace {

// Names and roles head for columns that hold 16 characters at most; passwords keep that limit.
QLineEdit* textBox(QWidget* parent, const char* name, bool secret) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(16);
    if (secret) edit->setEchoMode(QLineEdit::Password);
    return edit;
}

// Centred role texts.
class RoleCentred : public QueryModel {
public:
    using QueryModel::QueryModel;
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::TextAlignmentRole && index.column() == 1) return int(Qt::AlignCenter);
        return QueryModel::data(index, role);
    }
};

}  // namespace

Tfr_yhgl::Tfr_yhgl(Session& session, QWidget* parent)
    : QWidget(parent), session_(session), query1(session.dat) {
    setObjectName(QStringLiteral("fr_yhgl"));
    setWindowTitle(QStringLiteral("用户管理"));

    // The password column (its hash) is read with the users but never shown nor loaded.
    model_ = new RoleCentred(query1, {0, 2}, this);
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setModel(model_);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->verticalHeader()->setDefaultSectionSize(20);
    DBGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    DBGrid1->setFixedSize(150 + 100 + 2 * DBGrid1->frameWidth() + 18, 220);

    Edit1 = textBox(this, "Edit1", false);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->addItems(
        {qb::users::kAdministrator, qb::users::kOperator, qb::users::kOrdinaryUser});
    ComboBox1->setCurrentIndex(-1);
    Edit2 = textBox(this, "Edit2", true);
    Edit3 = textBox(this, "Edit3", true);

    QPushButton* add = namedButton(this, "SpeedButton1", QStringLiteral("添加"));
    QPushButton* remove = namedButton(this, "SpeedButton2", QStringLiteral("删除"));
    SpeedButton4 = namedButton(this, "SpeedButton4", QStringLiteral("保存"));
    SpeedButton4->setEnabled(false);
    QPushButton* help = namedButton(this, "SpeedButton5", QStringLiteral("帮助"));
    QPushButton* quit = namedButton(this, "SpeedButton3", QStringLiteral("退出"));

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("用户名："), Edit1);
    fields->addRow(QStringLiteral("身  份："), ComboBox1);
    fields->addRow(QStringLiteral("口  令："), Edit2);
    fields->addRow(QStringLiteral("确  认："), Edit3);
    auto* right = new QVBoxLayout;
    right->addLayout(fields);
    right->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(DBGrid1);
    top->addLayout(right);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {add, remove, SpeedButton4, help, quit})
        buttons->addWidget(b);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    connect(add, &QPushButton::clicked, this, &Tfr_yhgl::SpeedButton1Click);
    connect(remove, &QPushButton::clicked, this, &Tfr_yhgl::SpeedButton2Click);
    connect(SpeedButton4, &QPushButton::clicked, this, &Tfr_yhgl::SpeedButton4Click);
    connect(help, &QPushButton::clicked, this, &Tfr_yhgl::SpeedButton5Click);
    connect(quit, &QPushButton::clicked, this, &QWidget::close);
    connect(DBGrid1, &QTableView::doubleClicked, this, &Tfr_yhgl::DBGrid1DblClick);
    // Moving to another user ends the edit without storing it.
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid() && query1.active()) query1.setRecNo(current.row() + 1);
                if (editing_ && query1.rowId() != editing_) editing_ = 0;
            });

    guarded([this] { reopen(); });
}

// The grid goes first: it reads the query, which is gone before the base class closes.
Tfr_yhgl::~Tfr_yhgl() {
    delete DBGrid1;
}

void Tfr_yhgl::reopen() {
    query1.setSql(QStringLiteral(
        "select user as 用户名,userpassword as 口令,userpopedom as 身份 from pruser"));
    query1.open();
    model_->reload();
    DBGrid1->setColumnWidth(0, 150);
    DBGrid1->setColumnWidth(1, 100);
    if (!query1.isEmpty()) DBGrid1->setCurrentIndex(model_->index(0, 0));
}

int Tfr_yhgl::currentRow() const {
    const QModelIndex current = DBGrid1->currentIndex();
    return current.isValid() && query1.active() && !query1.isEmpty() ? current.row() : -1;
}

void Tfr_yhgl::clearFields() {
    Edit1->clear();
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->setEditText(QString());
    Edit2->clear();
    Edit3->clear();
    Edit2->setPlaceholderText(QString());
}

void Tfr_yhgl::SpeedButton1Click() {
    if (Edit1->text().isEmpty()) {
        qb::messages().plain(QStringLiteral("用户名不能为空"));
        Edit1->setFocus();
        return;
    }
    if (ComboBox1->currentText().isEmpty()) {
        qb::messages().plain(QStringLiteral("身份不能为空"));
        ComboBox1->setFocus();
        return;
    }
    if (Edit2->text().trimmed().isEmpty()) {
        qb::messages().plain(QStringLiteral("口令不能为空"));
        Edit2->setFocus();
        return;
    }
    if (Edit2->text() != Edit3->text()) {
        qb::messages().plain(QStringLiteral("请重新输入你的口令"));
        Edit2->clear();
        Edit3->clear();
        Edit2->setFocus();
        return;
    }
    try {
        qb::users::add_user(session_.dat, Edit1->text().trimmed(), Edit2->text().trimmed(),
                            ComboBox1->currentText().trimmed());
    } catch (const qb::DbError&) {
        qb::messages().plain(QStringLiteral("添加出错，请检查数据的合法性及完整性"));
        return;
    }
    guarded([this] { reopen(); });
    clearFields();
    Edit1->setFocus();
    editing_ = 0;
    SpeedButton4->setEnabled(false);
}

void Tfr_yhgl::DBGrid1DblClick() {
    if (currentRow() < 0) return;
    Edit1->setText(query1.field(0).asString());
    // A password is never shown: empty boxes keep it, a new one is typed twice.
    Edit2->clear();
    Edit3->clear();
    Edit2->setPlaceholderText(QStringLiteral("留空不修改"));
    ComboBox1->setEditText(query1.field(2).asString());
    editing_ = query1.rowId();
    SpeedButton4->setEnabled(true);
}

void Tfr_yhgl::SpeedButton4Click() {
    if (currentRow() < 0) return;
    if (Edit2->text() != Edit3->text()) {
        qb::messages().plain(QStringLiteral("口令错误，请重新输入！"));
        return;
    }
    const QString saveError = QStringLiteral("保存出错，请检查数据的合法性及完整性！");
    if (!editing_ || query1.rowId() != editing_) {
        qb::messages().plain(saveError);
        return;
    }
    const QString role = ComboBox1->currentText();
    const int row = currentRow();
    try {
        if (!qb::users::update_user(session_.dat, editing_, Edit1->text(), Edit2->text(), role)) {
            qb::messages().plain(
                QStringLiteral(
                    "%1 是唯一的管理员，不能取消其管理员身份：否则再也没有人能管理用户。")
                    .arg(query1.field(0).asString()));
            return;
        }
    } catch (const qb::DbError&) {
        qb::messages().plain(saveError);
        return;
    }
    guarded([this] { reopen(); });
    if (row < query1.recordCount()) DBGrid1->setCurrentIndex(model_->index(row, 0));
    clearFields();
    editing_ = 0;
    SpeedButton4->setEnabled(false);
}

void Tfr_yhgl::SpeedButton2Click() {
    const int row = currentRow();
    if (row < 0) return;
    guarded([&] {
        query1.setRecNo(row + 1);
        if (!qb::users::delete_user(session_.dat, query1.rowId())) {
            qb::messages().plain(
                QStringLiteral("%1 是唯一的管理员，不能删除：否则再也没有人能管理用户。")
                    .arg(query1.field(0).asString()));
            return;
        }
        if (query1.rowId() == editing_) editing_ = 0;
        reopen();
        if (!query1.isEmpty())
            DBGrid1->setCurrentIndex(model_->index(std::min(row, query1.recordCount() - 1), 0));
    });
}

void Tfr_yhgl::SpeedButton5Click() {
    guarded([this] { show_help(this, help_file(QStringLiteral("用户管理.htm"))); });
}
