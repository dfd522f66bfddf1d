#include "zhxx.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

#include "chm.h"
#include "errors.h"
#include "messages.h"
#include "widgets.h"
#include "zbinfo.h"

namespace {

QPushButton* button(QWidget* parent, const char* name, const QString& text,
                    QStyle::StandardPixmap icon) {
    return namedButton(parent, name, text, parent->style()->standardIcon(icon));
}

QLineEdit* edit(QWidget* parent, const char* name, int maxLength) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setMaxLength(maxLength);
    return e;
}

QListWidget* list(QWidget* parent, const char* name, const QStringList& items) {
    auto* l = new QListWidget(parent);
    l->setObjectName(QLatin1String(name));
    l->setSelectionMode(QAbstractItemView::SingleSelection);
    l->addItems(items);
    return l;
}

// One list with its entry box and buttons: label above, box and "添加" beside, list and
// "删除" beside.
void placeList(QGridLayout* grid, int column, const QString& caption, QLineEdit* entry,
               QListWidget* items, QPushButton* add, QPushButton* remove) {
    grid->addWidget(new QLabel(caption), 0, column);
    grid->addWidget(entry, 1, column);
    grid->addWidget(add, 1, column + 1);
    grid->addWidget(items, 2, column, 2, 1);
    grid->addWidget(remove, 2, column + 1, Qt::AlignTop);
}

}  // namespace

Tfr_zhxx::Tfr_zhxx(Session&, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("fr_zhxx"));
    setWindowTitle(QStringLiteral("帐户信息"));

    // The widths the book table gives its name (50) and category (20) columns.
    Edit1 = edit(this, "Edit1", 50);
    Edit2 = edit(this, "Edit2", 20);
    ListBox1 = list(this, "ListBox1", qb::zbinfo::names());
    ListBox2 = list(this, "ListBox2", qb::zbinfo::categories());

    auto* add1 =
        button(this, "SpeedButton1", QStringLiteral("添加"), QStyle::SP_FileDialogNewFolder);
    auto* del1 = button(this, "SpeedButton2", QStringLiteral("删除"), QStyle::SP_TrashIcon);
    auto* add2 =
        button(this, "SpeedButton3", QStringLiteral("添加"), QStyle::SP_FileDialogNewFolder);
    auto* del2 = button(this, "SpeedButton4", QStringLiteral("删除"), QStyle::SP_TrashIcon);
    auto* save = button(this, "SpeedButton5", QStringLiteral("保存"), QStyle::SP_DialogSaveButton);
    auto* help = button(this, "SpeedButton7", QStringLiteral("帮助"), QStyle::SP_DialogHelpButton);
    auto* close =
        button(this, "SpeedButton6", QStringLiteral("关闭"), QStyle::SP_DialogCloseButton);

    auto* grid = new QGridLayout;
    placeList(grid, 0, QStringLiteral("帐簿名称："), Edit1, ListBox1, add1, del1);
    grid->setColumnMinimumWidth(2, 12);
    placeList(grid, 3, QStringLiteral("帐簿类别："), Edit2, ListBox2, add2, del2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(3, 2);
    grid->setRowStretch(3, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(help);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    setFixedSize(520, 360);

    connect(add1, &QPushButton::clicked, this, &Tfr_zhxx::SpeedButton1Click);
    connect(Edit1, &QLineEdit::returnPressed, this, &Tfr_zhxx::SpeedButton1Click);
    connect(del1, &QPushButton::clicked, this, &Tfr_zhxx::SpeedButton2Click);
    connect(add2, &QPushButton::clicked, this, &Tfr_zhxx::SpeedButton3Click);
    connect(Edit2, &QLineEdit::returnPressed, this, &Tfr_zhxx::SpeedButton3Click);
    connect(del2, &QPushButton::clicked, this, &Tfr_zhxx::SpeedButton4Click);
    connect(save, &QPushButton::clicked, this, &Tfr_zhxx::SpeedButton5Click);
    connect(help, &QPushButton::clicked, this, &Tfr_zhxx::SpeedButton7Click);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    Edit1->setFocus();
}

void Tfr_zhxx::addEntry(QLineEdit* edit, QListWidget* list) {
    if (!edit->text().isEmpty()) list->addItem(edit->text());
    edit->clear();
}

void Tfr_zhxx::deleteSelected(QListWidget* list) {
    if (QListWidgetItem* item = list->currentItem(); item && item->isSelected()) delete item;
}

QStringList Tfr_zhxx::entries(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void Tfr_zhxx::SpeedButton1Click() {
    addEntry(Edit1, ListBox1);
}
void Tfr_zhxx::SpeedButton2Click() {
    deleteSelected(ListBox1);
}
void Tfr_zhxx::SpeedButton3Click() {
    addEntry(Edit2, ListBox2);
}
void Tfr_zhxx::SpeedButton4Click() {
    deleteSelected(ListBox2);
}

void Tfr_zhxx::SpeedButton5Click() {
    try {
        qb::zbinfo::save(entries(ListBox1), entries(ListBox2));
    } catch (const qb::DbError& e) {
        qb::messages().plain(e.message());
        return;
    }
    qb::messages().ask(QStringLiteral("系统提示"), QStringLiteral("保存完毕"), qb::MsgIcon::None,
                       qb::MsgButtons::Ok);
}

void Tfr_zhxx::SpeedButton7Click() {
    show_help(this, help_file(QStringLiteral("账簿信息.htm")));
}
