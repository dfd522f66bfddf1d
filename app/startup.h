#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "datafolder.h"
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
    // The settings file that may name a database server instead of the file; empty: the one
    // beside the program.
    QString settingsFile{};
    // Asks for the database server's password when the server wants one that nothing else
    // gives (attempt 1 to 3; why the attempt before failed); nothing when the user cancels.
    std::function<std::optional<QString>(const QString& server, int attempt, const QString& why)>
        askServerPassword{};
    // The data folder given on the command line, and how a first start asks for one; without
    // either, the program works in the current directory.
    QString dataFolder{};
    AskDataFolder askDataFolder{};
};

// The start in its fixed order: splash, application title, main window, the data folder chosen
// (see choose_data_folder) and made the current directory, the data module opened there (created on
// a first run, asked for its passphrase when it has one of its own) or, when the settings file
// names one, on the database server (asked for its password when it wants one), the pause, splash
// gone, main window shown maximized with the login panel. A database that cannot be opened is
// reported and the program goes on without a connection; after three wrong passphrases or passwords
// the program ends: the result is null.
std::unique_ptr<Shell> start_shell(const StartOptions& options);

// What the program does after its main window has closed: the day's backup beside the ledger
// file, verified, the oldest of the kept copies removed for it (a server keeps its ledger itself).
// A failure is reported.
void finish_shell(Shell& shell);
