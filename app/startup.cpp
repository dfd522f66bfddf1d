#include "startup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QThread>

#include "application.h"
#include "errors.h"
#include "firstrun.h"
#include "messages.h"
#include "star.h"

std::unique_ptr<Shell> start_shell(const StartOptions& options) {
    auto splash = std::make_unique<Tfr_show>();
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    setup_look();

    auto shell = std::make_unique<Shell>();
    shell->main = std::make_unique<TForm1>(shell->session);
    if (options.plug) options.plug(shell->main->childWindows());

    const QString directory = QDir::currentPath();
    if (!QFile::exists(Tdat::pathIn(directory))) {
        // The questions of a first run must not hide behind the splash.
        splash->hide();
        first_run(directory, options.runFirstRunDialog, options.sample);
    }
    if (QFile::exists(Tdat::pathIn(directory))) {
        try {
            shell->dat.openIn(directory);
        } catch (const qb::DbError& e) {
            qb::messages().plain(e.message());
        }
    }

    if (splash->isVisible()) QThread::msleep(options.pauseMs);
    splash.reset();
    shell->main->showMaximized();
    return shell;
}
