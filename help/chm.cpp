#include "chm.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QPointer>
#include <memory>
#include <stdexcept>

#include "chm_engine.h"
#include "helpwindow.h"
#include "places.h"

namespace {

// The engine of the help: the chm reading library with its entry points, and the help window
// that its initialisation creates (the cookie of the engine).
struct Engine {
    QString libraryName = QStringLiteral("chm");
    int libraryVersion = 1;
    std::unique_ptr<QLibrary> library;
    ChmApi api;
    std::unique_ptr<HelpWindow> window;
    int initialisations = 0;
};

Engine& engine() {
    static Engine e;
    return e;
}

[[noreturn]] void fail(const QString& text) {
    throw std::runtime_error(text.toStdString());
}

void unload() {
    Engine& e = engine();
    e.window.reset();
    if (e.library) e.library->unload();
    e.library.reset();
    e.api = ChmApi();
}

// Loads the library, finds its entry points and initialises; runs until it has succeeded once.
void start() {
    Engine& e = engine();
    e.library = e.libraryVersion < 0 ? std::make_unique<QLibrary>(e.libraryName)
                                     : std::make_unique<QLibrary>(e.libraryName, e.libraryVersion);
    if (!e.library->load()) {
        e.library.reset();
        fail(QStringLiteral("H系统没有安装HCtrl.OCX!\r HTMLHELP不能显示!"));
    }
    ChmApi api;
    api.open = reinterpret_cast<decltype(api.open)>(e.library->resolve("chm_open"));
    api.close = reinterpret_cast<decltype(api.close)>(e.library->resolve("chm_close"));
    api.resolve = reinterpret_cast<decltype(api.resolve)>(e.library->resolve("chm_resolve_object"));
    api.retrieve =
        reinterpret_cast<decltype(api.retrieve)>(e.library->resolve("chm_retrieve_object"));
    if (!api.open || !api.close || !api.resolve || !api.retrieve) {
        unload();
        fail(QStringLiteral("函数HTMLHELP没有装载!"));
    }
    e.api = api;
    e.window = std::make_unique<HelpWindow>(e.api);
    // The help window must go before the application does, also when nobody calls close_help.
    if (e.initialisations++ == 0) qAddPostRoutine(close_help);
}

}  // namespace

int show_help(QWidget* window, const QString& file, int command, int) {
    Engine& e = engine();
    if (!e.window) start();
    if (command != 0) return 0;

    const qsizetype split = file.indexOf(QStringLiteral("::/"));
    const QString path = split < 0 ? file : file.left(split);
    const QString topic = split < 0 ? QString() : file.mid(split + 3);
    const QString problem = e.window->showTopic(path, topic);
    if (!problem.isEmpty()) fail(problem);
    if (window) e.window->setWindowIcon(window->windowIcon());
    e.window->show();
    e.window->raise();
    e.window->activateWindow();
    return 1;
}

void close_help() {
    if (engine().window) unload();
}

QString help_file(const QString& topic) {
    const QString file = qb::places::shipped(QDir::currentPath(), QStringLiteral("qbk.chm"));
    return topic.isEmpty() ? file : file + QStringLiteral("::/") + topic;
}

void set_help_library(const QString& name, int version) {
    engine().libraryName = name;
    engine().libraryVersion = version;
}

int help_initialisations() {
    return engine().initialisations;
}

bool help_engine_loaded() {
    return bool(engine().library);
}
