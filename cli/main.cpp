#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "commands.h"
#include "errors.h"

namespace {

const char* const kUsage =
    "Usage: quillbook-cli [--dir DIR] [--passphrase-file FILE] [--server CONNECTION] COMMAND\n"
    "       [ARGUMENTS]\n"
    "\n"
    "Works on LedgerData.mdb in DIR (default: the current directory). A ledger with a passphrase\n"
    "of its own opens with the first line of FILE, or with the environment variable\n"
    "QUILLBOOK_PASSPHRASE; init and sample key a new ledger with it.\n"
    "With --server it works on a ledger on a PostgreSQL server instead: CONNECTION is a libpq\n"
    "connection string or URL (\"host=db.example.com dbname=ledger\", \"postgresql://cashier@db/\n"
    "ledger\"); what it leaves out comes from the PG* environment (\"postgresql://\" takes it all\n"
    "from there), the password from ~/.pgpass or PGPASSWORD, or is asked for at the terminal.\n"
    "\n"
    "Commands:\n"
    "  init --admin NAME --password PW\n"
    "      create the database with its seven tables and that administrator\n"
    "  sample [--books N] [--months M] [--lines L] [--admin NAME --password PW]\n"
    "      create a database filled with sample books (default 6 books, 6 months, 20 lines a\n"
    "      month; administrator admin / admin unless given): all months but the last posted\n"
    "  check\n"
    "      verify every book: opening rows, rows outside the book's life, books sharing a\n"
    "      name and category, balance chains, posted months' totals, carry-forward rows;\n"
    "      prints what is wrong and exits with 1 if anything is (a month that only waits\n"
    "      to be posted again after a reversal is listed as 需二次过帐 and is no failure)\n"
    "  journal NAME CATEGORY YYYY-MM\n"
    "      print the month of the book as CSV (UTF-8) with its month and cumulative totals\n"
    "  post NAME CATEGORY YYYY-MM\n"
    "      post the month of the book, or post it again when it is posted already; a month\n"
    "      before the book's start month or after its first open month is refused\n"
    "  export NAME CATEGORY YYYY-MM [--out FILE]\n"
    "      write the month of the book into a workbook as the register exports it: into FILE,\n"
    "      or qbk.xls in DIR; a workbook that does not exist yet is made from ExcelF.dat\n"
    "  reconcile NAME CATEGORY YYYY-MM STATEMENT.csv [--tolerance DAYS] [--balance AMOUNT]\n"
    "            [--pdf FILE] [--save]\n"
    "      hold a bank book's month against the bank's statement (CSV, UTF-8 or GB18030): tick\n"
    "      off the lines both hold (same amount and side, dates at most DAYS apart, default 3)\n"
    "      beside the items the last saved reconciliation left outstanding, and print the four\n"
    "      groups of outstanding items and both adjusted balances; exits with 1 when they\n"
    "      disagree. --balance gives the bank's closing balance for a statement without one;\n"
    "      --pdf writes the reconciliation statement from yhdz.rls. Only --save writes:\n"
    "      it stores the ticks, as the window's 保存 does, so the next month starts from them\n"
    "  backup\n"
    "      once a day: a verified copy in the folder backup beside the database, the newest\n"
    "      30 kept (the oldest goes only once the new copy is verified)\n"
    "  verify FILE\n"
    "      check a backup: it opens, passes the integrity check and has the seven tables\n"
    "  passphrase set [--new-passphrase-file FILE]\n"
    "      give the ledger a passphrase of its own (typed twice, or read from standard input\n"
    "      or the first line of FILE); the file is re-encrypted in one step\n"
    "  passphrase remove\n"
    "      go back to the built-in key\n"
    "  print NAME CATEGORY YYYY-MM --pdf FILE\n"
    "      write the month of the book as the register prints it (template pr.rls): carry\n"
    "      lines at every page break, the month's totals under the last line\n"
    "  balances [--pdf FILE]\n"
    "      every book's balance at the end of this month as CSV; with --pdf also the balance\n"
    "      table as the window prints it (zhye.rls, else the built-in layout), with the chart\n"
    "      of the enabled books' month-end balances over the last twelve months\n"
    "  copy --from PLACE --to PLACE\n"
    "      copy a whole ledger between a database file and a server (PLACE: a file, or a\n"
    "      connection string or URL as for --server): books, lines, totals, phrases and users\n"
    "      with their row ids, in one transaction on the target; a target file must not exist\n"
    "      yet, a target database must hold no ledger tables or all seven empty. A file opens\n"
    "      with the passphrase given as above; a new file is keyed as its source file was, or\n"
    "      from a server with the passphrase given\n"
    "\n"
    "Templates (pr.rls, zhye.rls, yhdz.rls, ExcelF.dat) are taken from DIR when they are there\n"
    "(a cashier's own), else from the program's data folder ../share/quillbook beside it, else\n"
    "from beside the program. sample lists its books in zbinfo.ini in DIR.\n"
    "\n"
    "check, journal and reconcile without --save only read: they need no lock and work on a\n"
    "read-only copy; backup needs no lock either.\n"
    "print and balances only read as well; they write no staging table.\n"
    "A server ledger is shared: nothing is locked, and backup and passphrase are the\n"
    "server's business (pg_dump).\n"
    "Text from the ledger is printed with control characters escaped; journal writes a text cell\n"
    "that begins with = + - @ with a leading ' so that spreadsheets do not run it.\n"
    "\n"
    "Exit status: 0 success, 1 failure or problems found, 2 wrong arguments.\n";

int run(QStringList args) {
    QString dir = QDir::currentPath();
    if (args.isEmpty() || args.contains(QLatin1String("--help")) ||
        args.contains(QLatin1String("-h"))) {
        std::fputs(kUsage, stdout);
        return args.isEmpty() ? 2 : 0;
    }
    cli::usePassphrase(qEnvironmentVariable("QUILLBOOK_PASSPHRASE"));
    static const QStringList globals = {
        QStringLiteral("--dir"), QStringLiteral("--passphrase-file"), QStringLiteral("--server")};
    while (!args.isEmpty() && globals.contains(args.first())) {
        if (args.size() < 2) throw cli::UsageError{args.first() + QStringLiteral(" needs a value")};
        if (args.first() == QLatin1String("--dir"))
            dir = args[1];
        else if (args.first() == QLatin1String("--server") && args[1].trimmed().isEmpty())
            throw cli::UsageError{QStringLiteral(
                "--server needs a connection string or URL (postgresql:// takes it all from the "
                "PG* environment)")};
        else if (args.first() == QLatin1String("--server"))
            cli::useServer(args[1]);
        else
            cli::usePassphrase(cli::firstLineOf(args[1]));
        args = args.mid(2);
    }
    if (args.isEmpty()) throw cli::UsageError{QStringLiteral("no command given")};
    const QString command = args.takeFirst();
    if (command == QLatin1String("init")) return cli::init(dir, args);
    if (command == QLatin1String("sample")) return cli::sample(dir, args);
    if (command == QLatin1String("check") && args.isEmpty()) return cli::check(dir);
    if (command == QLatin1String("journal")) return cli::journal(dir, args);
    if (command == QLatin1String("post")) return cli::post(dir, args);
    if (command == QLatin1String("export")) return cli::exportMonth(dir, args);
    if (command == QLatin1String("reconcile")) return cli::reconcile(dir, args);
    if (command == QLatin1String("backup") && args.isEmpty()) return cli::backup(dir);
    if (command == QLatin1String("verify")) return cli::verify(args);
    if (command == QLatin1String("passphrase")) return cli::passphrase(dir, args);
    if (command == QLatin1String("print")) return cli::print(dir, args);
    if (command == QLatin1String("balances")) return cli::balances(dir, args);
    if (command == QLatin1String("copy")) return cli::copy(args);
    throw cli::UsageError{QStringLiteral("unknown command or arguments: ") + command};
}

bool given(int argc, char** argv, const char* word) {
    return std::any_of(argv + 1, argv + argc,
                       [word](const char* arg) { return std::strcmp(arg, word) == 0; });
}

// Laying out a printout (a command with --pdf) takes the fonts of a graphical application, and
// the balance table's chart the widgets of a full one; no window opens, so no display is needed
// either. (A folder named balances merely makes the application heavier.)
std::unique_ptr<QCoreApplication> application(int& argc, char** argv) {
    if (!given(argc, argv, "--pdf")) return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Without a runtime directory the platform warns on standard error; a private one keeps it
    // clean for scripts.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        static QTemporaryDir runtime;  // removed at exit
        if (runtime.isValid()) qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }
    if (given(argc, argv, "balances")) return std::make_unique<QApplication>(argc, argv);
    return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace

int main(int argc, char** argv) {
    const std::unique_ptr<QCoreApplication> app = application(argc, argv);
    try {
        return run(app->arguments().mid(1));
    } catch (const cli::UsageError& e) {
        std::fprintf(stderr, "quillbook-cli: %s\nTry 'quillbook-cli --help'.\n",
                     cli::shown(e.message).toUtf8().constData());
        return 2;
    } catch (const qb::DbError& e) {
        std::fprintf(stderr, "quillbook-cli: 错误：%s\n",
                     cli::shown(e.message(), true).toUtf8().constData());
        if (dynamic_cast<const qb::KeyError*>(&e))
            std::fputs(
                "若数据库有自己的口令，请用 --passphrase-file FILE 或环境变量 "
                "QUILLBOOK_PASSPHRASE 给出。\n",
                stderr);
        return 1;
    }
}
