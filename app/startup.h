#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>

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
    std::function<bool(FirstRunDialog&)> runFirstRunDialog;       // runs the new-database dialog
    std::function<void(Tdat& dat, const QString& admin)> sample;  // fills a new ledger, optional
    // Asks for the passphrase of a ledger that has one of its own (attempt 1 to 3); nothing
    // when the user cancels.
    std::function<std::optional<QString>(const QString& path, int attempt)> askPassphrase;
};

// The start in its fixed order: splash, application title, main window, data module opened in
// the current directory (created on a first run, asked for its passphrase when it has one of its
// own), the pause, splash gone, main window shown maximized with the login panel. A database that
// cannot be opened is reported and the program goes on without a connection; after three wrong
// passphrases the program ends: the result is null.
std::unique_ptr<Shell> start_shell(const StartOptions& options);

// What the program does after its main window has closed: the day's backup beside the ledger,
// verified, the oldest of the kept copies removed for it. A failure is reported.
void finish_shell(Shell& shell);
