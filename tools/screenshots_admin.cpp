// Pictures of the administration windows with a few phrases and users, for looking at them the
// way a cashier would. Writes zy.png, yhgl.png, yhgl-edit.png (a user loaded for changing),
// sjgl.png, sjgl-restore.png, sjgl-framed.png
// (inside a document area) and the two passphrase dialogs (passphrase-open.png,
// passphrase-choose.png) into the folder
// given as the first argument (default /tmp/quillbook-shots).
#include <QApplication>
#include <QDir>
#include <QFont>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>

#include "fr_dat.h"
#include "passphrase.h"
#include "schema.h"
#include "session.h"
#include "sjgl.h"
#include "users.h"
#include "yhgl.h"
#include "zy.h"

namespace {

void save(QWidget& window, const QString& folder, const QString& name) {
    window.show();
    QApplication::processEvents();
    window.grab().save(QDir(folder).filePath(name));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("WenQuanYi Zen Hei"));
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    QApplication::setFont(font);
    const QString folder =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/quillbook-shots");
    QDir().mkpath(folder);

    QTemporaryDir tmp;
    QDir::setCurrent(tmp.path());
    qb::createDatabase(Tdat::pathIn(tmp.path()), QStringLiteral("张会计"), QStringLiteral("1"));
    Tdat dat;
    dat.openIn(tmp.path());
    for (const char* phrase : {"提现金", "支付办公用品费", "收到货款", "报销差旅费", "缴纳电费",
                               "银行手续费", "支付工资", "收回备用金"})
        dat.execute(QStringLiteral("insert into basicset(OftenSummary) values(?)"),
                    {QString::fromUtf8(phrase)});
    dat.execute(QStringLiteral("insert into pruser values(?,?,?),(?,?,?)"),
                {QStringLiteral("李出纳"), qb::users::password_hash(QStringLiteral("2")),
                 qb::users::kOperator, QStringLiteral("王经理"),
                 qb::users::password_hash(QStringLiteral("3")), qb::users::kOrdinaryUser});
    QDir(tmp.path()).mkpath(QStringLiteral("备份"));
    QDir(tmp.path()).mkpath(QStringLiteral("archive"));
    Session session(dat);
    session.login_user = QStringLiteral("张会计");

    Tfr_zy zy(session);
    save(zy, folder, QStringLiteral("zy.png"));
    Tfr_yhgl yhgl(session);
    save(yhgl, folder, QStringLiteral("yhgl.png"));
    auto* users = yhgl.findChild<QTableView*>(QStringLiteral("DBGrid1"));
    users->setCurrentIndex(users->model()->index(1, 0));
    yhgl.DBGrid1DblClick();
    save(yhgl, folder, QStringLiteral("yhgl-edit.png"));
    Tfr_sjgl sjgl(session);
    save(sjgl, folder, QStringLiteral("sjgl.png"));
    sjgl.findChild<QRadioButton*>(QStringLiteral("RadioButton2"))->click();
    save(sjgl, folder, QStringLiteral("sjgl-restore.png"));

    // In a frame of the main window's document area, after switching modes there and back.
    QMdiArea area;
    area.resize(760, 420);
    QMdiSubWindow* frame = area.addSubWindow(new Tfr_sjgl(session));
    frame->setAttribute(Qt::WA_DeleteOnClose);
    area.show();
    frame->show();
    auto* framed = static_cast<Tfr_sjgl*>(frame->widget());
    framed->findChild<QRadioButton*>(QStringLiteral("RadioButton2"))->click();
    framed->findChild<QRadioButton*>(QStringLiteral("RadioButton1"))->click();
    save(area, folder, QStringLiteral("sjgl-framed.png"));

    PassphraseDialog open(
        PassphraseDialog::Purpose::Open,
        QStringLiteral("数据库 /home/会计/LedgerData.mdb 有自己的口令，请输入："));
    save(open, folder, QStringLiteral("passphrase-open.png"));
    PassphraseDialog choose(
        PassphraseDialog::Purpose::Choose,
        QStringLiteral(
            "给数据库设置自己的口令。两栏都留空，则去掉数据库自己的口令，改回内置口令。"));
    save(choose, folder, QStringLiteral("passphrase-choose.png"));
    return 0;
}
