#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "fr_dat.h"
#include "main.h"
#include "session.h"

class ChildWindows;
class FirstRunDialog;

// What the running program consists of: the data module, the session and the main window.
struct Shell {
    Tdat dat;
    Session session{dat};
    std::unique_ptr<TForm1> main;
};

struct StartOptions {
    int pauseMs = 2000;                       // the splash pause; no events are handled meanwhile
    std::function<void(ChildWindows&)> plug;  // plugs the child windows
    std::function<bool(FirstRunDialog&)> runFirstRunDialog;  // runs the new-database dialog
    std::function<void(const QString& path, const QString& admin)>
        sample;  // fills a new database, optional
};

// The start in its fixed order: splash, application title, main window, data module opened in
// the current directory (created on a first run), the pause, splash gone, main window shown
// maximized with the login panel. A database that cannot be opened is reported and the program
// goes on without a connection.
std::unique_ptr<Shell> start_shell(const StartOptions& options);
