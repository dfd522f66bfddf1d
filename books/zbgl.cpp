#include "zbgl.h"

#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "chm.h"
#include "errors.h"
#include "ledger.h"
#include "messages.h"
#include "session.h"
#include "zbgl_in.h"

namespace {

enum Column { Tick, Category, Name, Account, Opening, Start };
// What a row carries beside its texts, in the tick column.
constexpr int kBookId = Qt::UserRole, kFlag = Qt::UserRole + 1;
// The typed values behind the amount and date texts, in their own columns.
constexpr int kValue = Qt::UserRole;

QToolButton* toolButton(QWidget* parent, const char* name, const QString& text,
                        QStyle::StandardPixmap icon) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(text);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setIconSize(QSize(24, 24));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    b->setMinimumWidth(56);
    return b;
}

QString bookId(const QTreeWidgetItem* item) {
    return item->data(Tick, kBookId).toString();
}
bool ticked(const QTreeWidgetItem* item) {
    return item->checkState(Tick) == Qt::Checked;
}
QDate startDate(const QTreeWidgetItem* item) {
    return item->data(Start, kValue).toDate();
}
qb::money::Cents opening(const QTreeWidgetItem* item) {
    return item->data(Opening, kValue).toLongLong();
}

}  // namespace

Tfr_zbgl::Tfr_zbgl(Session& session, QWidget* parent)
    : QWidget(parent), session_(session), Query1(session.dat) {
    setObjectName(QStringLiteral("fr_zbgl"));
    setWindowTitle(QStringLiteral("帐簿管理"));
    showEditor = [](Tfr_zbgl_in& editor) { editor.exec(); };

    auto* add = toolButton(this, "b_add", QStringLiteral("添加"), QStyle::SP_FileDialogNewFolder);
    auto* change =
        toolButton(this, "SpeedButton1", QStringLiteral("修改"), QStyle::SP_FileDialogDetailedView);
    auto* del = toolButton(this, "b_del", QStringLiteral("删除"), QStyle::SP_TrashIcon);
    auto* save =
        toolButton(this, "SpeedButton2", QStringLiteral("保存"), QStyle::SP_DialogSaveButton);
    auto* help =
        toolButton(this, "SpeedButton4", QStringLiteral("帮助"), QStyle::SP_DialogHelpButton);
    auto* close =
        toolButton(this, "SpeedButton3", QStringLiteral("关闭"), QStyle::SP_DialogCloseButton);

    auto* bar = new QHBoxLayout;
    bar->setSpacing(2);
    for (QToolButton* b : {add, change, del, save, help, close})
        bar->addWidget(b);
    bar->addStretch();

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setHeaderLabels({QStringLiteral("启用"), QStringLiteral("帐簿类别"),
                                QStringLiteral("帐簿名称"), QStringLiteral("帐号"),
                                QStringLiteral("期初金额"), QStringLiteral("启用日期")});
    const int widths[] = {40, 100, 300, 150, 100, 80};
    for (int c = Tick; c <= Start; ++c)
        ListView1->header()->resizeSection(c, widths[c]);
    ListView1->headerItem()->setTextAlignment(Opening, Qt::AlignRight | Qt::AlignVCenter);
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Every second row on sky blue, so a long line is easy to follow across the columns.
    ListView1->setAlternatingRowColors(true);
    QPalette palette = ListView1->palette();
    palette.setColor(QPalette::AlternateBase, QColor(166, 202, 240));
    ListView1->setPalette(palette);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(ListView1);
    setFixedSize(800, 460);

    connect(add, &QToolButton::clicked, this, &Tfr_zbgl::b_addClick);
    connect(change, &QToolButton::clicked, this, &Tfr_zbgl::ListView1DblClick);
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, &Tfr_zbgl::ListView1DblClick);
    connect(del, &QToolButton::clicked, this, &Tfr_zbgl::b_delClick);
    connect(save, &QToolButton::clicked, this, &Tfr_zbgl::SpeedButton2Click);
    connect(help, &QToolButton::clicked, this, &Tfr_zbgl::SpeedButton4Click);
    connect(close, &QToolButton::clicked, this, &QWidget::close);

    load_dat();
}

void Tfr_zbgl::load_dat() {
    // Ticks not saved yet and the selection survive a reload after the editor stored a book.
    QHash<QString, bool> pending;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = ListView1->topLevelItem(i);
        if (ticked(item) != (item->data(Tick, kFlag).toString() == QLatin1String("1")))
            pending.insert(bookId(item), ticked(item));
    }
    const QTreeWidgetItem* current = ListView1->currentItem();
    const QString selected = current ? bookId(current) : QString();
    ListView1->clear();

    QList<QTreeWidgetItem*> items;
    QTreeWidgetItem* reselect = nullptr;
    try {
        Query1.setSql(QStringLiteral("select zblb,zbmc,zh,qcye,qyrq,flag,zbid from accstar"));
        Query1.open();
        items.reserve(Query1.recordCount());
        for (Query1.first(); !Query1.eof(); Query1.next()) {
            const qb::money::Cents amount = Query1.field(3).asCents();
            const QDate date = Query1.field(4).asDate();
            const QString flag = Query1.field(5).asString();
            const QString id = Query1.field(6).asString();
            auto* item = new QTreeWidgetItem(
                {QString(), Query1.field(0).asString(), Query1.field(1).asString(),
                 Query1.field(2).asString(), qb::money::grouped(amount),
                 date.isValid() ? date.toString(Qt::ISODate) : Query1.field(4).asString()});
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setData(Tick, kBookId, id);
            item->setData(Tick, kFlag, flag);
            item->setData(Opening, kValue, amount);
            item->setData(Start, kValue, date);
            item->setTextAlignment(Opening, Qt::AlignRight | Qt::AlignVCenter);
            item->setCheckState(
                Tick, pending.value(id, flag == QLatin1String("1")) ? Qt::Checked : Qt::Unchecked);
            if (id == selected && !selected.isEmpty()) reselect = item;
            items << item;
        }
        Query1.close();
    } catch (const qb::DbError& e) {
        qb::messages().plain(QStringLiteral("帐簿列表无法读取：%1").arg(e.message()));
    }
    ListView1->addTopLevelItems(items);
    if (reselect) ListView1->setCurrentItem(reselect);
}

void Tfr_zbgl::b_addClick() {
    openEditor(nullptr);
}

void Tfr_zbgl::ListView1DblClick() {
    QTreeWidgetItem* item = ListView1->currentItem();
    if (item && item->isSelected()) openEditor(item);
}

void Tfr_zbgl::openEditor(QTreeWidgetItem* item) {
    Tfr_zbgl_in editor(session_, this);
    if (item)
        editor.setBook(bookId(item),
                       {item->text(Category), item->text(Name), item->text(Account), opening(item),
                        startDate(item)},
                       ticked(item));
    connect(&editor, &Tfr_zbgl_in::stored, this, &Tfr_zbgl::load_dat);
    showEditor(editor);
}

void Tfr_zbgl::b_delClick() {
    QTreeWidgetItem* item = ListView1->currentItem();
    if (!item || !item->isSelected()) return;
    if (qb::messages().ask(QStringLiteral("系统提示"),
                           QStringLiteral("你真的确认要永久删除此账簿吗？与此账簿相关的数据将会同时"
                                          "删除,并无法挽回。\n建议您先备份数据库。"),
                           qb::MsgIcon::Information, qb::MsgButtons::YesNo) != qb::MsgAnswer::Yes)
        return;
    try {
        qb::ledger::delete_book(session_.dat, bookId(item));
    } catch (const qb::DbError& e) {
        qb::messages().plain(QStringLiteral("帐簿没有删除：%1").arg(e.message()));
        return;
    }
    delete item;
}

void Tfr_zbgl::SpeedButton2Click() {
    std::vector<qb::ledger::BookTick> ticks;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = ListView1->topLevelItem(i);
        if (ticked(item) && !startDate(item).isValid()) {
            qb::messages().plain(QStringLiteral("帐簿“%1”没有有效的启用日期，请先修改后再保存。")
                                     .arg(item->text(Name)));
            return;
        }
        ticks.push_back({bookId(item), ticked(item), startDate(item), opening(item)});
    }
    if (ticks.empty()) return;
    try {
        qb::ledger::save_book_ticks(session_.dat, ticks);
    } catch (const qb::DbError& e) {
        qb::messages().plain(QStringLiteral("数据没有保存：%1").arg(e.message()));
        return;
    }
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = ListView1->topLevelItem(i);
        item->setData(Tick, kFlag, ticked(item) ? QStringLiteral("1") : QStringLiteral("0"));
    }
    qb::messages().plain(QStringLiteral("数据已保存！"));
}

void Tfr_zbgl::SpeedButton4Click() {
    show_help(this, help_file(QStringLiteral("账簿管理.htm")));
}
