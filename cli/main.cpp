#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "commands.h"
#include "errors.h"

namespace {

const char* const kUsage =
    "Usage: quillbook-cli [--dir DIR] COMMAND [ARGUMENTS]\n"
    "\n"
    "Works on LedgerData.mdb in DIR (default: the current directory).\n"
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
    "\n"
    "Exit status: 0 success, 1 failure or problems found, 2 wrong arguments.\n";

int run(QStringList args) {
    QString dir = QDir::currentPath();
    if (args.isEmpty() || args.contains(QLatin1String("--help")) ||
        args.contains(QLatin1String("-h"))) {
        std::fputs(kUsage, stdout);
        return args.isEmpty() ? 2 : 0;
    }
    if (args.first() == QLatin1String("--dir")) {
        if (args.size() < 2) throw cli::UsageError{QStringLiteral("--dir needs a directory")};
        dir = args[1];
        args = args.mid(2);
    }
    if (args.isEmpty()) throw cli::UsageError{QStringLiteral("no command given")};
    const QString command = args.takeFirst();
    if (command == QLatin1String("init")) return cli::init(dir, args);
    if (command == QLatin1String("sample")) return cli::sample(dir, args);
    if (command == QLatin1String("check") && args.isEmpty()) return cli::check(dir);
    if (command == QLatin1String("journal")) return cli::journal(dir, args);
    if (command == QLatin1String("post")) return cli::post(dir, args);
    throw cli::UsageError{QStringLiteral("unknown command or arguments: ") + command};
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        return run(app.arguments().mid(1));
    } catch (const cli::UsageError& e) {
        std::fprintf(stderr, "quillbook-cli: %s\nTry 'quillbook-cli --help'.\n",
                     e.message.toUtf8().constData());
        return 2;
    } catch (const qb::DbError& e) {
        std::fprintf(stderr, "quillbook-cli: 错误：%s\n", e.message().toUtf8().constData());
        return 1;
    }
}
