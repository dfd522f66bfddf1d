#include "login.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "chm.h"
#include "errors.h"
#include "fr_dat.h"
#include "messages.h"
#include "oplog.h"
#include "session.h"
#include "users.h"
#include "widgets.h"

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text, QRect place) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(place);
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, QRect place) {
    QPushButton* b = namedButton(parent, name, text);
    b->setGeometry(place);
    return b;
}

}  // namespace

LoginPanel::LoginPanel(QWidget& host, Session& session)
    : QObject(&host), host_(host), session_(session) {
    shadow_ = new QFrame(&host);
    shadow_->setObjectName(QStringLiteral("Panel2"));
    shadow_->setFrameShape(QFrame::Box);
    shadow_->setStyleSheet(
        QStringLiteral("QFrame#Panel2 { background: black; border: 1px solid black; }"));
    shadow_->resize(kWidth, kHeight);

    panel_ = new QFrame(&host);
    panel_->setObjectName(QStringLiteral("Panel1"));
    panel_->setAutoFillBackground(true);
    QPalette green = panel_->palette();
    green.setColor(QPalette::Window, QColor(0xCC, 0xFF, 0xCC));
    panel_->setPalette(green);
    panel_->resize(kWidth, kHeight);

    QLabel* bar = label(panel_, "Label5", QString(), QRect(0, 0, kWidth, 22));
    bar->setStyleSheet(QStringLiteral("background: #1f4e9c;"));
    QLabel* title = label(panel_, "Label6", QStringLiteral("系统登录"), QRect(10, 0, 200, 22));
    title->setStyleSheet(QStringLiteral("color: white; font-weight: bold;"));

    label(panel_, "Label1", QStringLiteral("用户名："), QRect(48, 40, 60, 22));
    name_ = new QComboBox(panel_);
    name_->setObjectName(QStringLiteral("ComboBox1"));
    name_->setEditable(true);
    name_->setInsertPolicy(QComboBox::NoInsert);
    name_->setGeometry(110, 40, 150, 22);

    label(panel_, "Label3", QStringLiteral("权  限："), QRect(48, 70, 60, 22));
    role_ = label(panel_, "Label4", QString(), QRect(110, 70, 150, 22));
    role_->setStyleSheet(QStringLiteral("color: blue;"));

    label(panel_, "Label2", QStringLiteral("口  令："), QRect(48, 100, 60, 22));
    password_ = new QLineEdit(panel_);
    password_->setObjectName(QStringLiteral("Edit1"));
    password_->setEchoMode(QLineEdit::Password);
    password_->setGeometry(110, 100, 150, 22);

    QPushButton* ok =
        button(panel_, "SpeedButton8", QStringLiteral("登录"), QRect(48, 138, 66, 26));
    QPushButton* close =
        button(panel_, "SpeedButton7", QStringLiteral("关闭"), QRect(124, 138, 66, 26));
    QPushButton* help =
        button(panel_, "SpeedButton9", QStringLiteral("帮助"), QRect(200, 138, 66, 26));
    QWidget::setTabOrder(name_, password_);
    QWidget::setTabOrder(password_, ok);
    QWidget::setTabOrder(ok, close);
    QWidget::setTabOrder(close, help);

    connect(name_, &QComboBox::editTextChanged, this, &LoginPanel::nameChanged);
    connect(name_->lineEdit(), &QLineEdit::returnPressed, password_,
            [this] { password_->setFocus(); });
    connect(password_, &QLineEdit::returnPressed, this, &LoginPanel::login);
    connect(ok, &QPushButton::clicked, this, &LoginPanel::login);
    connect(close, &QPushButton::clicked, this, &LoginPanel::hide);
    connect(help, &QPushButton::clicked, this, [this] {
        try {
            show_help(&host_, help_file(QStringLiteral("系统登录.htm")));
        } catch (const std::exception& e) {
            qb::messages().plain(QString::fromUtf8(e.what()));
        }
    });
}

void LoginPanel::present() {
    centre(host_.frameGeometry().size());
    shadow_->show();
    panel_->show();
    shadow_->raise();
    panel_->raise();
    emit presented();
    fillNames();
    name_->setFocus();
}

void LoginPanel::hide() {
    panel_->hide();
    shadow_->hide();
}

bool LoginPanel::isShown() const {
    return !panel_->isHidden();
}

void LoginPanel::centre(QSize outer) {
    // Integer division truncates toward zero, also for a window smaller than the panel.
    const int left = (outer.width() - kWidth) / 2;
    const int top = (outer.height() - kHeight) / 2;
    panel_->move(left, top);
    shadow_->move(left + kShadow, top + kShadow);
}

void LoginPanel::fillNames() {
    const QSignalBlocker quiet(name_);
    const QString typed = name_->currentText();
    name_->clear();
    name_->setEditText(typed);
    try {
        const QStringList names = qb::users::user_names(session_.dat);
        if (names.isEmpty()) {
            qb::messages().plain(QStringLiteral("数据库损坏"));
            return;
        }
        name_->addItems(names);
        name_->setCurrentIndex(-1);
        name_->setEditText(typed);
    } catch (const qb::DbError& e) {
        qb::messages().plain(e.message());
    }
}

void LoginPanel::nameChanged(const QString& name) {
    // Without a database there is nothing to look up; the login reports that once.
    if (!session_.dat.connected()) return;
    try {
        const std::optional<QString> role = qb::users::role_of(session_.dat, name);
        if (!role) {
            role_->clear();
            return;
        }
        role_->setText(*role);
        name_->setFocus();
    } catch (const qb::DbError& e) {
        qb::messages().plain(e.message());
    }
}

void LoginPanel::login() {
    const QString name = name_->currentText();
    try {
        const qb::users::Login answer =
            qb::users::check_login(session_.dat, name, password_->text());
        switch (answer) {
            case qb::users::Login::UnknownUser:
                qb::messages().plain(QStringLiteral("用户名错误，请重新输入！"));
                name_->setFocus();
                return;
            case qb::users::Login::WrongPassword:
            case qb::users::Login::Wait: {
                const qb::users::Brake brake = qb::users::login_brake(session_.dat, name);
                // Within the wait the password was not even looked at.
                QString text = answer == qb::users::Login::Wait
                                   ? QString()
                                   : QStringLiteral("口令错误，请重新输入！");
                const int wait =
                    std::max(brake.waitSeconds, answer == qb::users::Login::Wait ? 1 : 0);
                if (wait > 0)
                    text += QStringLiteral("已连续输错口令 %1 次，请等 %2 秒后再试。")
                                .arg(brake.failures)
                                .arg(wait);
                qb::messages().plain(text);
                password_->clear();
                password_->setFocus();
                return;
            }
            case qb::users::Login::Ok:
                break;
        }
    } catch (const qb::DbError& e) {
        qb::messages().plain(e.message());
        return;
    }
    const QString roleText = role_->text();
    session_.login_user = name;
    session_.role_code = qb::users::role_code(roleText);
    qb::oplog::set_actor({name, roleText});
    name_->setCurrentIndex(-1);
    name_->setEditText(QString());
    password_->clear();
    hide();
    emit loggedIn(name, roleText);
}
