#include "find.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QStyle>

#include "chm.h"
#include "dj.h"
#include "errors.h"
#include "gymk.h"
#include "ledger.h"
#include "messages.h"
#include "session.h"
#include "widgets.h"
#include "zbinfo.h"

namespace {

// A list to pick from, nothing picked at first; entries keep the order of the file.
QComboBox* pickList(QWidget* parent, const char* name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setEditable(false);
    c->setMinimumWidth(180);
    return c;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text,
                    QStyle::StandardPixmap icon) {
    return namedButton(parent, name, text, parent->style()->standardIcon(icon));
}

}  // namespace

Tfr_find::Tfr_find(Session& session, QWidget* parent) : QWidget(parent), session_(session) {
    setObjectName(QStringLiteral("fr_find"));
    setWindowTitle(QStringLiteral("查找"));

    ComboBox1 = pickList(this, "ComboBox1");
    ComboBox2 = pickList(this, "ComboBox2");
    dtp = new QDateEdit(this);
    dtp->setObjectName(QStringLiteral("dtp"));
    dtp->setDisplayFormat(QStringLiteral("yyyy年M月d日"));
    dtp->setCalendarPopup(true);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("选择账簿：")), 0, 0);
    grid->addWidget(ComboBox1, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("账簿类别：")), 1, 0);
    grid->addWidget(ComboBox2, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("记账月份：")), 2, 0);
    grid->addWidget(dtp, 2, 1);
    grid->setColumnStretch(1, 1);

    auto* search =
        button(this, "SpeedButton1", QStringLiteral("查找"), QStyle::SP_FileDialogContentsView);
    auto* close =
        button(this, "SpeedButton2", QStringLiteral("关闭"), QStyle::SP_DialogCloseButton);
    auto* help = button(this, "SpeedButton3", QStringLiteral("帮助"), QStyle::SP_DialogHelpButton);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {search, close, help})
        buttons->addWidget(b);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttons);
    setFixedSize(330, 160);
    setFocusProxy(ComboBox1);

    connect(search, &QPushButton::clicked, this, &Tfr_find::SpeedButton1Click);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(help, &QPushButton::clicked, this, &Tfr_find::SpeedButton3Click);
}

void Tfr_find::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_) return;
    shown_ = true;
    FormShow();
    // A dialog of the main window: it stands in the middle of the document area.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()); frame && frame->parentWidget())
        frame->move(frame->parentWidget()->rect().center() - frame->rect().center());
}

void Tfr_find::FormShow() {
    // The lists as the file holds them now, then the books the ledger holds that they lack; a
    // later change shows in the next query window.
    const auto offer = [](QComboBox* box, QStringList items, const QStringList& books) {
        for (const QString& book : books)
            if (!items.contains(book)) items << book;
        box->clear();
        box->addItems(items);
        box->setCurrentIndex(-1);
    };
    const bool open = session_.dat.connected();
    offer(ComboBox1, qb::zbinfo::names(),
          open ? qb::ledger::book_names(session_.dat) : QStringList());
    offer(ComboBox2, qb::zbinfo::categories(),
          open ? qb::ledger::book_categories(session_.dat) : QStringList());
    dtp->setDate(QDate::currentDate());
}

void Tfr_find::SpeedButton1Click() {
    const QString name = ComboBox1->currentText();
    const QString category = ComboBox2->currentText();
    if (name.isEmpty() || category.isEmpty()) {
        qb::messages().plain(
            ComboBox1->count() && ComboBox2->count()
                ? QStringLiteral("请选择账簿名称和账簿类别！")
                : QStringLiteral("没有可选的账簿名称或类别，请先在“帐户信息”中添加。"));
        return;
    }
    // Looked up before any register opens, so a search in vain leaves no empty one behind.
    if (gymk::book_id_of(session_.dat, name, category).isEmpty()) {
        qb::messages().plain(QStringLiteral("找不到账簿“%1-%2”！").arg(name, category));
        return;
    }
    auto* reg = session_.openRegister ? qobject_cast<Tfr_dj*>(session_.openRegister()) : nullptr;
    if (!reg) return;  // no main window to open it in: a window used on its own
    try {
        reg->showBookMonth(name, category, dtp->date());
    } catch (const qb::DbError& error) {
        reg->close();
        qb::messages().plain(error.message());
        return;
    }
    close();
}

void Tfr_find::SpeedButton3Click() {
    show_help(this, help_file(QStringLiteral("查找.htm")));
}
