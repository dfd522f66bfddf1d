#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "fr_dat.h"

// The commands of quillbook-cli. Each works on the database in `dir`, writes its output to
// standard output and returns the exit code; failures of the data layer reach the caller as
// qb::DbError, wrong arguments as UsageError.
namespace cli {

struct UsageError {
    QString message;
};

int init(const QString& dir, const QStringList& args);
int sample(const QString& dir, const QStringList& args);
int check(const QString& dir);
int journal(const QString& dir, const QStringList& args);
int post(const QString& dir, const QStringList& args);
int backup(const QString& dir);
int verify(const QStringList& args);
int passphrase(const QString& dir, const QStringList& args);
int print(const QString& dir, const QStringList& args);
int balances(const QString& dir, const QStringList& args);
int exportMonth(const QString& dir, const QStringList& args);
int reconcile(const QString& dir, const QStringList& args);
int copy(const QStringList& args);
int log(const QString& dir, const QStringList& args);
int capitals(const QStringList& args);
int cheque(const QString& dir, const QStringList& args);
int upgrade(const QString& dir);
int book(const QString& dir, const QStringList& args);
int addLine(const QString& dir, const QStringList& args);
int limit(const QString& dir, const QStringList& args);
int daily(const QString& dir, const QStringList& args);

// The ledger's passphrase of its own, for every command that opens or creates a ledger; empty
// for the built-in key.
void usePassphrase(const QString& passphrase);
QString givenPassphrase();
// The ledger on a database server that every command works on instead of the file; empty for
// the file.
void useServer(const QString& connection);
QString givenServer();
// Opens the server's ledger, or LedgerData.mdb in dir with the passphrase; opened for writing,
// an older ledger's months are re-chained first (qb::figures::rechain_ledger).
void openLedger(Tdat& dat, const QString& dir, Tdat::Mode mode);
// Says on standard error which months of the book an older version left unchained, and how a
// writer mends them; nothing when there are none.
void adviseUnchained(Tdat& dat, const QString& bookId, const QString& bookName);
// Runs open with the password the server needs: none first (libpq finds one in the environment
// or ~/.pgpass), then one typed at the terminal when the server asks and there is a terminal.
void withServerPassword(const std::function<void(const QString& password)>& open);
// A line typed without being shown on the terminal, or read from piped input.
QString secretLine(const char* prompt);
// The first line of a file, for a passphrase kept in one.
QString firstLineOf(const QString& path);

// Text from the ledger made safe for a terminal: control characters (and the marks that turn
// the direction of text) are written as escapes, so data cannot move the cursor, clear the
// screen or disguise a line. keepNewlines leaves line breaks for messages of several lines.
QString shown(const QString& text, bool keepNewlines = false);
// Standard output in UTF-8.
void out(const QString& text);

// The value after the option "--name", or the fallback when it is not given.
QString option(const QStringList& args, const QString& name, const QString& fallback = {});
// Refuses anything but "--name value" pairs of the known options.
void onlyOptions(const QStringList& args, const QStringList& known);
// A whole number ≥ 0 given with the option, or the fallback.
int number(const QStringList& args, const QString& name, int fallback);
// A day written strictly YYYY-MM-DD; anything else is a UsageError naming `what`.
QDate day(const QString& text, const QString& what);
// The book's identifier; an unknown book is a qb::DbError.
QString bookIdOf(Tdat& dat, const QString& name, const QString& category);
// NAME CATEGORY YYYY-MM: the book's identifier and the month's first day; wrong arguments are a
// UsageError, an unknown book a qb::DbError.
std::pair<QString, QDate> bookMonth(Tdat& dat, const QStringList& args);
// A text cell a spreadsheet would run as a formula, kept as text with a leading apostrophe.
QString formulaSafe(const QString& text);
// One line of CSV (UTF-8), its fields quoted where they need it.
QString csvRow(const QStringList& fields);

}  // namespace cli
