#include "firstrun.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

#include "errors.h"
#include "fr_dat.h"
#include "messages.h"
#include "sample.h"
#include "schema.h"
#include "widgets.h"

namespace {

// The widths the users table allows.
constexpr int kMaxLength = 16;

QLineEdit* field(const char* name, bool secret) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(kMaxLength);
    if (secret) edit->setEchoMode(QLineEdit::Password);
    return edit;
}

}  // namespace

FirstRunDialog::FirstRunDialog(bool offerSample, QWidget* parent)
    : QDialog(parent), offerSample_(offerSample) {
    setObjectName(QStringLiteral("FirstRun"));
    setWindowTitle(QStringLiteral("新建数据库"));
    auto* form = new QFormLayout(this);
    auto* intro = new QLabel(QStringLiteral("请设置系统管理员的用户名和口令："));
    form->addRow(intro);
    name_ = field("Edit1", false);
    password_ = field("Edit2", true);
    again_ = field("Edit3", true);
    form->addRow(QStringLiteral("用户名："), name_);
    form->addRow(QStringLiteral("口  令："), password_);
    form->addRow(QStringLiteral("确认口令："), again_);
    sample_ = new QCheckBox(QStringLiteral("示例数据"));
    sample_->setObjectName(QStringLiteral("CheckBox1"));
    sample_->setToolTip(
        QStringLiteral("在新数据库中建立几本示例账簿和几个月的日记账，便于熟悉系统"));
    form->addRow(sample_);
    sample_->setVisible(offerSample);
    form->addRow(okCancelButtons(this));
}

QString FirstRunDialog::name() const {
    return name_->text().trimmed();
}
QString FirstRunDialog::password() const {
    return password_->text();
}
bool FirstRunDialog::sample() const {
    return offerSample_ && sample_->isChecked();
}

QString FirstRunDialog::problem() const {
    if (name().isEmpty()) return QStringLiteral("用户名不能为空！");
    if (password_->text().trimmed().isEmpty()) return QStringLiteral("口令不能为空！");
    if (password_->text() != again_->text())
        return QStringLiteral("两次输入的口令不一致，请重新输入！");
    return QString();
}

void FirstRunDialog::accept() {
    const QString why = problem();
    if (!why.isEmpty()) {
        qb::messages().plain(why);
        return;
    }
    QDialog::accept();
}

bool first_run(const QString& directory, const std::function<bool(FirstRunDialog&)>& exec,
               const SampleFill& sample) {
    const QString path = QDir::toNativeSeparators(Tdat::pathIn(directory));
    const QString missing = QStringLiteral("没有找到数据库文件：\n%1").arg(path);
    const auto refuse = [&] {
        qb::messages().plain(missing +
                             QStringLiteral("\n\n没有数据库，系统不能登录。请把数据库文件"
                                            "“LedgerData.mdb”放到上面的目录中，再启动本系统。"));
        return false;
    };
    if (qb::messages().ask(QStringLiteral("系统提示"),
                           missing + QStringLiteral("\n\n是否新建一个数据库？"),
                           qb::MsgIcon::Question, qb::MsgButtons::YesNo) != qb::MsgAnswer::Yes)
        return refuse();

    FirstRunDialog dialog(static_cast<bool>(sample));
    if (!exec(dialog)) return refuse();
    try {
        qb::NewLedger filled;
        if (dialog.sample()) filled.fill = [&](Tdat& dat) { sample(dat, dialog.name()); };
        qb::createDatabase(Tdat::pathIn(directory), dialog.name(), dialog.password(), filled);
        // The query and the account lists offer the sample's books.
        if (dialog.sample()) qb::sample::list_books(directory, qb::sample::Options{}.books);
    } catch (const qb::DbError& e) {
        qb::messages().plain(e.message());
    }
    return QFile::exists(Tdat::pathIn(directory));
}
