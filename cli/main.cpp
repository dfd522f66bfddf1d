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
#include "oplog.h"

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
    "  reconcile NAME CATEGORY YYYY-MM STATEMENT [--tolerance DAYS] [--balance AMOUNT]\n"
    "            [--columns FIELD=COLUMN,...] [--show-columns] [--pdf FILE] [--save]\n"
    "      hold a bank book's month against the bank's statement (CSV in UTF-8 or GB18030,\n"
    "      or the first sheet of an .xlsx or .xls workbook): tick off the lines both hold\n"
    "      (same amount and side, dates at most DAYS apart, default 3) beside the items the\n"
    "      last saved reconciliation left outstanding, and print the four groups of\n"
    "      outstanding items and both adjusted balances; exits with 1 when they disagree.\n"
    "      --balance gives the bank's closing balance for a statement without one; --pdf\n"
    "      writes the reconciliation statement from yhdz.rls. The columns are the\n"
    "      book's kept ones, else guessed from the titles; --columns gives them (fields\n"
    "      date, summary, debit, credit, amount, direction, balance, counterparty, serial,\n"
    "      time; a column by its title or number from 1), --show-columns prints the header\n"
    "      found and the columns that would be read, and nothing else. Only --save writes:\n"
    "      it stores the ticks, as the window's 保存 does, so the next month starts from them,\n"
    "      and keeps the columns given with --columns as the book's\n"
    "  book add NAME CATEGORY --start YYYY-MM-DD --opening AMOUNT [--account NO] [--init]\n"
    "      make a book as the book editor does (not enabled, no opening rows); with --init it\n"
    "      is initialized at once, as ticking it in the book list and saving does\n"
    "  book init NAME CATEGORY\n"
    "      initialize the book: its opening rows from its start date and opening amount\n"
    "  add NAME CATEGORY --date YYYY-MM-DD --summary TEXT (--debit AMOUNT | --credit AMOUNT)\n"
    "      [--voucher N] [--ticket NO] [--count N] [--claimant NAME]\n"
    "      write one line as the entry panel does (voucher number: the month's next, unless\n"
    "      given) and print its balance; a posted month and a book not initialized are refused\n"
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
    "  daily [YYYY-MM-DD | YYYY-MM-DD..YYYY-MM-DD] [--pdf FILE] [--out FILE.xlsx]\n"
    "      the daily fund report (资金日报表) of the day (default: today) as CSV: every enabled\n"
    "      book by category with 昨日余额, 本日收入, 本日支出, 本日余额, 笔数, subtotals and the\n"
    "      total; a range is one period (balance before its first day, sums over it, balance\n"
    "      after its last). A cash book ending above its limit or below zero is marked and\n"
    "      named on standard error. --pdf writes the printout (zjrb.rls), --out a workbook\n"
    "  limit NAME CATEGORY [AMOUNT|--clear]\n"
    "      show, set or clear the cash limit (库存现金限额) of a cash book (现金日记帐)\n"
    "  upgrade\n"
    "      make the tables this version adds that the ledger does not have yet (otherwise made\n"
    "      when first needed); on a server only the ledger's owner may, once for every login\n"
    "  copy --from PLACE --to PLACE\n"
    "      copy a whole ledger between a database file and a server (PLACE: a file, or a\n"
    "      connection string or URL as for --server): books, lines, totals, phrases and users\n"
    "      with their row ids, in one transaction on the target; a target file must not exist\n"
    "      yet, a target database must hold no ledger tables or all seven empty. A file opens\n"
    "      with the passphrase given as above; a new file is keyed as its source file was, or\n"
    "      from a server with the passphrase given\n"
    "  log [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--user NAME] [--book NAME CATEGORY]\n"
    "      [--pdf FILE]\n"
    "      the operation log as CSV: who did what and when, with the values before and after\n"
    "      (times in UTC; the days are local); with --pdf, printed from czrz.rls instead (local\n"
    "      times). log --verify checks every chain of the log and exits with 1 when an entry\n"
    "      was changed, removed or moved by hand\n"
    "  capitals AMOUNT|YYYY-MM-DD\n"
    "      print the amount (人民币壹拾元整) or the date (贰零贰陆年零壹月壹拾伍日) in Chinese\n"
    "      capitals as cheques and bills are written\n"
    "  cheque book-add NAME CATEGORY --kind 转账支票|现金支票 --first NO --last NO [--date "
    "YYYY-MM-DD]\n"
    "      register a cheque book of the bank book: its leaves NO..NO (leading zeros kept), blank\n"
    "  cheque list NAME CATEGORY [--state STATE] [--pdf FILE] [--xlsx FILE]\n"
    "      the leaves as CSV with their state (空白 已领用 已开出 已作废 已兑付 已退回); a leaf "
    "is\n"
    "      已开出 while a journal line of the book carries its number as ticket (票号);\n"
    "      --pdf / --xlsx: the register as printed (zpdj.rls) or as a workbook instead\n"
    "  cheque take NAME CATEGORY --kind KIND --taker WHO [--purpose TEXT] [--limit AMOUNT]\n"
    "      领用: hand out the next blank leaf of the kind and print its number\n"
    "  cheque issue NAME CATEGORY NO --payee TEXT --amount AMOUNT --date YYYY-MM-DD\n"
    "               [--purpose TEXT] [--post]\n"
    "      开出; --post also writes the journal line (amount paid out, NO as ticket)\n"
    "  cheque void NAME CATEGORY NO --reason TEXT\n"
    "      作废: the leaf keeps its number and the reason; a leaf whose journal line stands is "
    "refused\n"
    "  cheque return NAME CATEGORY NO\n"
    "      退回: a taken leaf comes back blank, one written out comes back unpaid (已退回)\n"
    "  cheque honour NAME CATEGORY NO\n"
    "      兑付: the bank paid a leaf written out (已兑付)\n"
    "  cheque print NAME CATEGORY NO --pdf FILE\n"
    "      the cheque as printed on the bank's form (zzzp.rls, xjzp.rls beside the database), "
    "moved\n"
    "      by this desk's printer offset; the form's own print is left out\n"
    "  cheque calibrate 转账支票|现金支票 --pdf FILE\n"
    "      the calibration page for plain paper: the form's outline with a sample cheque\n"
    "  cheque offset [X,Y]\n"
    "      show or set this desk's printer offset in millimetres (right, down), kept in\n"
    "      the user's quillbook.ini (~/.config/quillbook/)\n"
    "  cheque bill-add NAME CATEGORY --kind 银行承兑汇票|商业承兑汇票 --direction 收到|开出\n"
    "                  --number NO --amount AMOUNT --party TEXT --date YYYY-MM-DD --due "
    "YYYY-MM-DD\n"
    "      register a bill received or issued (number up to 30 digits, party the drawer or payee)\n"
    "  cheque bill-honour|bill-return NAME CATEGORY NUMBER\n"
    "      an outstanding bill paid (已兑付) or come back (已退回)\n"
    "  cheque bills [--due DAYS]\n"
    "      the bills of every book as CSV by due date; --due: those outstanding and due within "
    "DAYS\n"
    "  count NAME CATEGORY YYYY-MM-DD --notes DENOMINATION=QUANTITY,... --counter NAME\n"
    "        --witness NAME [--unbooked-in AMOUNT [--unbooked-in-note TEXT]]\n"
    "        [--unbooked-out AMOUNT [--unbooked-out-note TEXT]] [--iou AMOUNT [--iou-note TEXT]]\n"
    "        [--pdf FILE]\n"
    "      count the cash of a cash book on the day and save the count: each denomination in\n"
    "      元 (100 50 20 10 5 2 1 0.5 0.2 0.1 0.05 0.02 0.01) with its quantity, e.g.\n"
    "      100=12,50=3,0.5=2; prints 实存, 账面余额 (the book's balance after the day's last\n"
    "      line), 调整后账面余额 (plus receipts, less payments in hand but not yet booked) and\n"
    "      the difference as 长款 or 短款; IOUs (白条) are listed apart, never counted as cash;\n"
    "      --pdf writes the 现金盘点表 (xjpd.rls)\n"
    "  count settle ID [--date YYYY-MM-DD]\n"
    "      settle the count's difference: the line 现金盘盈 待处理 (money in, 长款) or 现金盘亏\n"
    "      待处理 (money out, 短款) written into the journal on the day (default: the count's)\n"
    "      and linked to the count\n"
    "  counts [NAME CATEGORY] [--pending]\n"
    "      the saved counts as CSV, newest first (times in UTC); --pending: those whose\n"
    "      difference waits to be settled (待处理)\n"
    "\n"
    "check, journal, log and reconcile without --save only read: they need no lock and work on a\n"
    "read-only copy; backup needs no lock either.\n"
    "print, balances and daily only read as well; they write no staging table.\n"
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
    qb::oplog::set_actor(qb::oplog::command_line_actor());
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
    if (command == QLatin1String("log")) return cli::log(dir, args);
    if (command == QLatin1String("capitals")) return cli::capitals(args);
    if (command == QLatin1String("cheque")) return cli::cheque(dir, args);
    if (command == QLatin1String("count")) return cli::count(dir, args);
    if (command == QLatin1String("counts")) return cli::counts(dir, args);
    if (command == QLatin1String("upgrade") && args.isEmpty()) return cli::upgrade(dir);
    if (command == QLatin1String("book")) return cli::book(dir, args);
    if (command == QLatin1String("add")) return cli::addLine(dir, args);
    if (command == QLatin1String("limit")) return cli::limit(dir, args);
    if (command == QLatin1String("daily")) return cli::daily(dir, args);
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
