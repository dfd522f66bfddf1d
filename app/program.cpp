#include <QDialog>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "application.h"
#include "childregistry.h"
#include "firstrun.h"
#include "messagebox.h"
#include "passphrase.h"
#include "sample.h"
#include "startup.h"

int main(int argc, char** argv) {
    QbApplication app(argc, argv);
    // A Chinese program whatever the desktop's locale: dates, the calendar and Qt's own dialogs
    // (file pickers, standard buttons) in Chinese, when the translations are installed.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    MessageBoxService boxes;
    qb::ScopedMessageService service(&boxes);

    StartOptions options;
    const QStringList arguments = QCoreApplication::arguments();
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--dir"));
        at > 0 && at + 1 < arguments.size())
        options.dataFolder = arguments[at + 1];
    options.askDataFolder = [](const QString& proposed) -> std::optional<QString> {
        DataFolderDialog dialog(proposed);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.folder();
    };
    options.plug = plug_child_windows;
    options.runFirstRunDialog = [](FirstRunDialog& dialog) {
        return dialog.exec() == QDialog::Accepted;
    };
    options.sample = [](Tdat& dat, const QString& admin) {
        qb::sample::Options sample;
        sample.handler = admin;
        qb::sample::generate(dat, sample);
    };
    options.askPassphrase = [](const QString& path, int attempt) -> std::optional<QString> {
        QString text =
            QStringLiteral("数据库 %1 有自己的口令，请输入：").arg(QDir::toNativeSeparators(path));
        if (attempt > 1)
            text = QStringLiteral("口令不对，请再输入一次（第 %1 次，共 3 次）：").arg(attempt);
        return PassphraseDialog(PassphraseDialog::Purpose::Open, text).ask();
    };
    options.askServerPassword = [](const QString& server, int attempt,
                                   const QString& why) -> std::optional<QString> {
        QString text = QStringLiteral("数据库服务器（%1）要求输入口令：").arg(server);
        if (attempt > 1)
            text =
                QStringLiteral("%1\n请再输入一次口令（第 %2 次，共 3 次）：").arg(why).arg(attempt);
        PassphraseDialog dialog(PassphraseDialog::Purpose::Open, text);
        dialog.setWindowTitle(QStringLiteral("数据库服务器口令"));
        return dialog.ask();
    };
    const std::unique_ptr<Shell> shell = start_shell(options);
    if (!shell) return 1;
    const int code = app.exec();
    finish_shell(*shell);
    return code;
}
