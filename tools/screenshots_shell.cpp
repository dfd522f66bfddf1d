// The pictures of the application shell, for looking at it: splash, main window with the login
// panel, after login as each role, the about box and the help window.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>

#include "about.h"
#include "application.h"
#include "childregistry.h"
#include "chm.h"
#include "firstrun.h"
#include "login.h"
#include "main.h"
#include "sample.h"
#include "session.h"
#include "star.h"
#include "templedger.h"

namespace {

void save(QWidget& w, const QString& dir, const QString& name) {
    QApplication::processEvents();
    w.grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
}

}  // namespace

int main(int argc, char** argv) {
    QbApplication app(argc, argv);
    setup_look();
    const QStringList args = QApplication::arguments();
    const QString out = args.value(1, QStringLiteral("/tmp/quillbook-shots/shell"));
    const QString chm = args.value(2);
    QDir().mkpath(out);

    TempLedger ledger;
    qb::sample::generate(ledger.dat, qb::sample::Options());
    ledger.dat.execute(
        QStringLiteral("insert into pruser(user,userpassword,userpopedom) values(?,?,?),(?,?,?)"),
        {QStringLiteral("张会计"), QStringLiteral("1"), QStringLiteral("操作员"),
         QStringLiteral("李出纳"), QStringLiteral("2"), QStringLiteral("普通用户")});

    Tfr_show splash;
    splash.show();
    save(splash, out, QStringLiteral("splash"));

    Session session(ledger.dat);
    TForm1 main(session);
    main.resize(1024, 700);
    main.show();
    main.findChild<QComboBox*>(QStringLiteral("ComboBox1"))->setEditText(QStringLiteral("admin"));
    save(main, out, QStringLiteral("main_login"));

    const QList<QStringList> users = {{QStringLiteral("admin"), QStringLiteral("admin")},
                                      {QStringLiteral("张会计"), QStringLiteral("1")},
                                      {QStringLiteral("李出纳"), QStringLiteral("2")}};
    const QStringList roles = {QStringLiteral("administrator"), QStringLiteral("operator"),
                               QStringLiteral("ordinary")};
    for (int i = 0; i < users.size(); ++i) {
        main.loginPanel().present();
        main.findChild<QComboBox*>(QStringLiteral("ComboBox1"))->setEditText(users[i][0]);
        main.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(users[i][1]);
        main.loginPanel().login();
        save(main, out, QStringLiteral("main_") + roles[i]);
    }

    // Every child window the program has, opened by its entry in the main window.
    plug_child_windows(main.childWindows());
    main.loginPanel().present();
    main.findChild<QComboBox*>(QStringLiteral("ComboBox1"))->setEditText(QStringLiteral("admin"));
    main.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("admin"));
    main.loginPanel().login();
    for (const char* entry : {"N9", "N10", "N11", "N41", "N12", "N13", "N14", "N5", "N6"}) {
        if (!main.childWindows().plugged(QLatin1String(entry))) continue;
        main.findChild<QAction*>(QLatin1String(entry))->trigger();
        save(main, out, QStringLiteral("child_") + QLatin1String(entry));
        main.childWindows().closeAll();
    }

    FirstRunDialog firstRun(true);
    firstRun.show();
    save(firstRun, out, QStringLiteral("firstrun"));

    TForm2 about;
    about.show();
    save(about, out, QStringLiteral("about"));

    if (!chm.isEmpty()) {
        show_help(&main, chm + QStringLiteral("::/系统登录.htm"));
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("HelpWindow"))
                save(*w, out, QStringLiteral("help"));
        close_help();
    }
    return 0;
}
