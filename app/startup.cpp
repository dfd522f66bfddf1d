#include "startup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QThread>

#include "application.h"
#include "backup.h"
#include "errors.h"
#include "figures.h"
#include "firstrun.h"
#include "messages.h"
#include "oplog.h"
#include "serversettings.h"
#include "star.h"

namespace {

constexpr int kPassphraseTries = 3;

// Opens the ledger of the directory; one keyed with a passphrase of its own is asked for it.
// Returns false when every try was wrong and the program must end.
bool open_ledger(Tdat& dat, const QString& directory, const StartOptions& options,
                 QWidget& splash) {
    for (int attempt = 0; attempt <= kPassphraseTries; ++attempt) {
        QString passphrase;
        if (attempt > 0) {
            splash.hide();  // the question must not hide behind the splash
            const std::optional<QString> typed =
                options.askPassphrase ? options.askPassphrase(Tdat::pathIn(directory), attempt)
                                      : std::nullopt;
            if (!typed) {
                qb::messages().plain(QStringLiteral("没有输入数据库口令，数据库没有打开：%1")
                                         .arg(QDir::toNativeSeparators(Tdat::pathIn(directory))));
                return true;
            }
            passphrase = *typed;
        }
        try {
            dat.openIn(directory, Tdat::Mode::Locked, passphrase);
            return true;
        } catch (const qb::KeyError&) {
            // The built-in key or the passphrase did not open it: ask (again).
        } catch (const qb::DbError& e) {
            qb::messages().plain(e.message());
            return true;
        }
    }
    qb::messages().plain(QStringLiteral("口令错误，或不是 Quillbook 数据库。系统将退出。"));
    return false;
}

// Opens the ledger on the database server; a server that wants a password nothing else gives is
// asked for one. Returns false when every try failed and the program must end.
bool open_server(Tdat& dat, const QString& server, const StartOptions& options, QWidget& splash) {
    QString password, why;
    for (int attempt = 0; attempt <= kPassphraseTries; ++attempt) {
        if (attempt > 0) {
            splash.hide();  // the question must not hide behind the splash
            const std::optional<QString> typed =
                options.askServerPassword ? options.askServerPassword(server, attempt, why)
                                          : std::nullopt;
            if (!typed) {
                qb::messages().plain(
                    QStringLiteral("没有输入数据库服务器的口令，账本没有打开：%1").arg(server));
                return true;
            }
            password = *typed;
        }
        try {
            dat.openServer(server, password);
            return true;
        } catch (const qb::PasswordNeeded& e) {
            why = e.message();
        } catch (const qb::DbError& e) {
            // Once a typed password is in play, a refusal may be that password's: ask again.
            if (attempt == 0) {
                qb::messages().plain(e.message());
                return true;
            }
            why = e.message();
        }
    }
    qb::messages().plain(
        QStringLiteral("数据库服务器的口令不对，或连接不上：%1\n系统将退出。").arg(why));
    return false;
}

// Opens the ledger the settings choose: the server's, or the file in the working directory (made
// on a first run). Returns false when the program must end.
bool open_chosen(Tdat& dat, const StartOptions& options, QWidget& splash) {
    QString server;
    try {
        server = qb::serversettings::connection(
            options.settingsFile.isEmpty() ? qb::serversettings::path() : options.settingsFile);
    } catch (const qb::DbError& e) {
        splash.hide();
        qb::messages().plain(e.message());
        return true;
    }
    // A server's desk keeps its templates and lists in the data folder too, but is not asked.
    AskDataFolder ask;
    if (server.isEmpty() && options.askDataFolder)
        ask = [&](const QString& proposed) {
            splash.hide();  // the question must not hide behind the splash
            return options.askDataFolder(proposed);
        };
    const std::optional<QString> folder = choose_data_folder(options.dataFolder, ask);
    if (!folder) return false;
    if (!QDir::setCurrent(*folder)) {
        splash.hide();
        qb::messages().plain(QStringLiteral("无法进入数据文件夹 %1，系统将退出。")
                                 .arg(QDir::toNativeSeparators(*folder)));
        return false;
    }
    if (!server.isEmpty()) return open_server(dat, server, options, splash);
    const QString directory = *folder;
    if (!QFile::exists(Tdat::pathIn(directory))) {
        // The questions of a first run must not hide behind the splash.
        splash.hide();
        first_run(directory, options.runFirstRunDialog, options.sample);
    }
    return !QFile::exists(Tdat::pathIn(directory)) || open_ledger(dat, directory, options, splash);
}

}  // namespace

std::unique_ptr<Shell> start_shell(const StartOptions& options) {
    auto splash = std::make_unique<Tfr_show>();
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    setup_look();

    auto shell = std::make_unique<Shell>();
    shell->main = std::make_unique<TForm1>(shell->session);
    if (options.plug) options.plug(shell->main->childWindows());

    if (!open_chosen(shell->dat, options, *splash)) return nullptr;
    if (shell->dat.connected()) {
        // The months an older version left unchained take the balance they bring in.
        try {
            qb::figures::rechain_ledger(shell->dat);
        } catch (const qb::DbError& e) {
            splash->hide();
            qb::messages().plain(
                QStringLiteral("账本各月的余额没有重新接续（什么也没有改）：%1").arg(e.message()));
        }
    }

    if (splash->isVisible()) QThread::msleep(options.pauseMs);
    splash.reset();
    shell->main->showMaximized();
    return shell;
}

void finish_shell(Shell& shell) {
    // A ledger on a database server is the server's to back up.
    if (!shell.dat.fileOps()) return;
    const QString file = qb::dailyBackupFile(shell.dat.path(), QDate::currentDate());
    if (QFileInfo::exists(file)) return;
    QProgressDialog progress(QStringLiteral("正在备份数据……"), QString(), 0, 0);
    progress.setWindowTitle(QStringLiteral("Quillbook"));
    progress.setMinimumDuration(0);
    progress.show();
    QApplication::processEvents();
    try {
        const qb::DailyBackup made = qb::dailyBackup(shell.dat);
        if (made.made)
            qb::oplog::append_alone(shell.dat, {qb::oplog::kBackupMade,
                                                {},
                                                {},
                                                0,
                                                {},
                                                qb::oplog::values_text({{"file", made.file}})});
    } catch (const qb::DbError& e) {
        progress.hide();
        qb::messages().plain(QStringLiteral("今天的自动备份没有完成：%1").arg(e.message()));
    }
}
