#include "passphrase.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

#include "messages.h"
#include "widgets.h"

namespace {

QLineEdit* secretField(const char* name) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QLatin1String(name));
    edit->setEchoMode(QLineEdit::Password);
    edit->setMinimumWidth(220);
    return edit;
}

}  // namespace

PassphraseDialog::PassphraseDialog(Purpose purpose, const QString& text, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("PassphraseDialog"));
    setWindowTitle(QStringLiteral("数据库口令"));
    auto* form = new QFormLayout(this);
    auto* intro = new QLabel(text);
    intro->setObjectName(QStringLiteral("Label1"));
    intro->setWordWrap(true);
    form->addRow(intro);
    first_ = secretField("Edit1");
    if (purpose == Purpose::Open) {
        form->addRow(QStringLiteral("口  令："), first_);
    } else {
        again_ = secretField("Edit2");
        form->addRow(QStringLiteral("新口令："), first_);
        form->addRow(QStringLiteral("确  认："), again_);
    }
    form->addRow(okCancelButtons(this));
}

QString PassphraseDialog::passphrase() const {
    return first_->text();
}

std::optional<QString> PassphraseDialog::ask() {
    if (exec() != QDialog::Accepted) return std::nullopt;
    return passphrase();
}

void PassphraseDialog::accept() {
    if (again_ && again_->text() != first_->text()) {
        qb::messages().plain(QStringLiteral("两次输入的口令不一致，请重新输入！"));
        first_->clear();
        again_->clear();
        first_->setFocus();
        return;
    }
    QDialog::accept();
}
