#include "zbgl_in.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include "cashlimit.h"
#include "chm.h"
#include "errors.h"
#include "fr_dat.h"
#include "messages.h"
#include "session.h"
#include "widgets.h"
#include "zbinfo.h"

namespace {

constexpr int kLeft = 28, kField = 112, kFieldWidth = 218, kRowHeight = 24, kFirstRow = 22,
              kRowStep = 38;

QRect fieldRect(int row) {
    return QRect(kField, kFirstRow + row * kRowStep, kFieldWidth, kRowHeight);
}

void label(QWidget* parent, int row, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(kLeft, kFirstRow + row * kRowStep, kField - kLeft, kRowHeight);
}

QComboBox* combo(QWidget* parent, const char* name, int row, const QStringList& items,
                 int maxLength) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->addItems(items);
    c->setCurrentIndex(-1);
    c->clearEditText();
    c->lineEdit()->setMaxLength(maxLength);
    c->setGeometry(fieldRect(row));
    return c;
}

QLineEdit* edit(QWidget* parent, const char* name, int row, int maxLength) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setMaxLength(maxLength);
    e->setGeometry(fieldRect(row));
    return e;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, int index,
                    QStyle::StandardPixmap icon) {
    QPushButton* b = namedButton(parent, name, text, parent->style()->standardIcon(icon));
    b->setGeometry(38 + index * 100, 252, 88, 30);
    return b;
}

}  // namespace

Tfr_zbgl_in::Tfr_zbgl_in(Session& session, QWidget* parent) : QDialog(parent), session_(session) {
    setObjectName(QStringLiteral("fr_zbgl_in"));
    setWindowTitle(QStringLiteral("帐簿管理"));
    setModal(true);
    setFixedSize(361, 301);

    label(this, 0, QStringLiteral("帐簿类别："));
    label(this, 1, QStringLiteral("帐簿名称："));
    label(this, 2, QStringLiteral("帐    号："));
    label(this, 3, QStringLiteral("期初金额："));
    label(this, 4, QStringLiteral("启用日期："));
    label(this, 5, QStringLiteral("现金限额："));

    // Widths of the book table's category (20), name (50) and account (40) columns.
    ComboBox1 = combo(this, "ComboBox1", 0, qb::zbinfo::categories(), 20);
    ComboBox2 = combo(this, "ComboBox2", 1, qb::zbinfo::names(), 50);
    Edit1 = edit(this, "Edit1", 2, 40);
    Edit2 = edit(this, "Edit2", 3, 24);
    Edit2->setPlaceholderText(QStringLiteral("例如 1000.00"));
    dtp = new QDateEdit(QDate::currentDate(), this);
    dtp->setObjectName(QStringLiteral("dtp"));
    dtp->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    dtp->setCalendarPopup(true);
    dtp->setGeometry(QRect(kField, kFirstRow + 4 * kRowStep, 130, kRowHeight));
    // 库存现金限额: only a cash book has one; empty for none.
    EditLimit = edit(this, "EditLimit", 5, 24);
    EditLimit->setToolTip(QStringLiteral("库存现金限额：现金日记帐日终余额的上限，空着表示不设"));
    connect(ComboBox1, &QComboBox::currentTextChanged, this, [this](const QString& category) {
        const bool cash = qb::cashlimit::is_cash_category(category);
        EditLimit->setEnabled(cash);
        EditLimit->setPlaceholderText(cash ? QStringLiteral("不设限额")
                                           : QStringLiteral("现金日记帐才有"));
    });
    EditLimit->setEnabled(false);
    Label6 = new QLabel(this);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->hide();

    auto* ok =
        button(this, "SpeedButton1", QStringLiteral("确定(&S)"), 0, QStyle::SP_DialogApplyButton);
    auto* quit =
        button(this, "SpeedButton2", QStringLiteral("退出(&Q)"), 1, QStyle::SP_DialogCloseButton);
    auto* help =
        button(this, "SpeedButton3", QStringLiteral("帮助(&H)"), 2, QStyle::SP_DialogHelpButton);
    connect(ok, &QPushButton::clicked, this, &Tfr_zbgl_in::SpeedButton1Click);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, &Tfr_zbgl_in::SpeedButton3Click);

    // The name comes after the amount: the order in which a cashier reads them off a statement.
    setTabOrder(ComboBox1, Edit1);
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, ComboBox2);
    setTabOrder(ComboBox2, dtp);
    setTabOrder(dtp, EditLimit);
    setTabOrder(EditLimit, ok);
    setTabOrder(ok, quit);
    setTabOrder(quit, help);
    ComboBox1->setFocus();
}

void Tfr_zbgl_in::setBook(const QString& bookId, const qb::ledger::BookFields& fields,
                          bool ticked) {
    Label6->setText(bookId);
    ComboBox1->setEditText(fields.category);
    ComboBox2->setEditText(fields.name);
    Edit1->setText(fields.account);
    Edit2->setText(qb::money::text(fields.opening));
    if (fields.startDate.isValid()) dtp->setDate(fields.startDate);
    const std::optional<qb::money::Cents> limit = qb::cashlimit::limit(session_.dat, bookId);
    EditLimit->setText(limit ? qb::money::text(*limit) : QString());
    Tag = ticked ? 1 : 0;
}

// The four fields a book cannot do without, in the order they are checked.
bool Tfr_zbgl_in::complete() {
    for (QWidget* field : {static_cast<QWidget*>(ComboBox1), static_cast<QWidget*>(ComboBox2),
                           static_cast<QWidget*>(Edit1), static_cast<QWidget*>(Edit2)}) {
        const auto* box = qobject_cast<QComboBox*>(field);
        const QString text = box ? box->currentText() : static_cast<QLineEdit*>(field)->text();
        if (text.trimmed().isEmpty()) {
            qb::messages().ask(QStringLiteral("提示"), QStringLiteral("请将数据输入完整！"),
                               qb::MsgIcon::None, qb::MsgButtons::Ok);
            field->setFocus();
            return false;
        }
    }
    return true;
}

void Tfr_zbgl_in::SpeedButton1Click() {
    if (!complete()) return;
    const std::optional<qb::money::Cents> opening = qb::money::parse(Edit2->text());
    if (!opening) {
        qb::messages().ask(QStringLiteral("提示"),
                           QStringLiteral("期初金额“%1”不是有效的金额。\n请输入数字，最多两位"
                                          "小数，例如 1000 或 1000.50。")
                               .arg(Edit2->text()),
                           qb::MsgIcon::Warning, qb::MsgButtons::Ok);
        Edit2->setFocus();
        Edit2->selectAll();
        return;
    }
    const qb::ledger::BookFields fields{ComboBox1->currentText().trimmed(),
                                        ComboBox2->currentText().trimmed(), Edit1->text().trimmed(),
                                        *opening, dtp->date()};
    const bool cash = qb::cashlimit::is_cash_category(fields.category);
    const QString limitText = cash ? EditLimit->text().trimmed() : QString();
    const std::optional<qb::money::Cents> limit = qb::money::parse(limitText);
    if (!limitText.isEmpty() && !limit) {
        qb::messages().plain(
            QStringLiteral("库存现金限额“%1”不是有效的金额。").arg(EditLimit->text()));
        EditLimit->setFocus();
        return;
    }
    try {
        // The book and its limit are stored together or not at all.
        qb::Transaction t(session_.dat);
        const QString id =
            Label6->text().isEmpty() ? qb::ledger::add_book(session_.dat, fields) : Label6->text();
        if (!Label6->text().isEmpty()) qb::ledger::update_book(session_.dat, id, fields, Tag == 1);
        if (limit)
            qb::cashlimit::set_limit(session_.dat, id, *limit);
        else
            qb::cashlimit::clear_limit(session_.dat, id);
        t.commit();
    } catch (const qb::DbError& e) {
        qb::messages().plain(QStringLiteral("帐簿没有保存：%1").arg(e.message()));
        return;
    }
    clearFields();
    emit stored();
}

void Tfr_zbgl_in::clearFields() {
    ComboBox1->clearEditText();
    ComboBox2->clearEditText();
    Edit1->clear();
    Edit2->clear();
    EditLimit->clear();
    ComboBox1->setFocus();
}

void Tfr_zbgl_in::SpeedButton3Click() {
    show_help(this, help_file(QStringLiteral("账簿管理.htm")));
}
