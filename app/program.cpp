#include <QDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "application.h"
#include "childregistry.h"
#include "firstrun.h"
#include "messagebox.h"
#include "sample.h"
#include "startup.h"

int main(int argc, char** argv) {
    QbApplication app(argc, argv);
    // Qt's own dialogs (file pickers, standard buttons) in Chinese, when the translations are
    // installed.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    MessageBoxService boxes;
    qb::ScopedMessageService service(&boxes);

    StartOptions options;
    options.plug = plug_child_windows;
    options.runFirstRunDialog = [](FirstRunDialog& dialog) {
        return dialog.exec() == QDialog::Accepted;
    };
    options.sample = [](const QString& path, const QString& admin) {
        Tdat dat;
        dat.open(path);
        qb::sample::Options sample;
        sample.handler = admin;
        qb::sample::generate(dat, sample);
    };
    const std::unique_ptr<Shell> shell = start_shell(options);
    return app.exec();
}
