// Ledgers on a database server: reaching one (its password asked for at the terminal when
// nothing else gives it), copying a whole ledger between the file and a server, and making the
// tables a version adds (on a server, the owner's step).
#include <unistd.h>

#include <QFileInfo>
#include <cstdio>

#include "commands.h"
#include "errors.h"
#include "fr_dat.h"
#include "ledgercopy.h"
#include "oplog.h"
#include "tables.h"

namespace cli {
namespace {

// The passphrase keys files only; a server is reached with its own password.
void openSource(Tdat& dat, const qb::ledgercopy::Place& place) {
    if (place.server.isEmpty())
        dat.open(place.file, Tdat::Mode::ReadOnly, givenPassphrase());
    else
        withServerPassword(
            [&](const QString& password) { dat.openServer(place.server, password); });
}

}  // namespace

int upgrade(const QString& dir) {
    Tdat dat;
    openLedger(dat, dir, Tdat::Mode::Locked);
    const QStringList made = qb::schema::makeMissingTables(dat);
    out(made.isEmpty() ? QStringLiteral("账本的数据表已经齐全。\n")
                       : QStringLiteral("已建立数据表：%1\n").arg(made.join(QStringLiteral("、"))));
    return 0;
}

void withServerPassword(const std::function<void(const QString& password)>& open) {
    try {
        open(QString());
    } catch (const qb::PasswordNeeded&) {
        // Without a terminal nobody can type it: the message names the password file.
        if (!isatty(STDIN_FILENO)) throw;
        open(secretLine("数据库服务器的口令："));
    }
}

int copy(const QStringList& args) {
    if (!givenServer().isEmpty())
        throw UsageError{QStringLiteral("copy names both places itself: --from and --to")};
    if (args.size() != 4 || args[0] != QLatin1String("--from") || args[2] != QLatin1String("--to"))
        throw UsageError{QStringLiteral("copy needs --from PLACE --to PLACE")};
    const qb::ledgercopy::Place from = qb::ledgercopy::place(args[1]);
    qb::ledgercopy::Target target{qb::ledgercopy::place(args[3]), {}, givenPassphrase()};
    if (!target.place.file.isEmpty())
        target.place.file = QFileInfo(target.place.file).absoluteFilePath();
    Tdat source;
    openSource(source, from);
    // A file copied to a file keeps its passphrase of its own.
    if (source.fileOps()) target.passphrase = source.passphrase();
    qb::RowCounts copied;
    // Whole tables on standard output; a large one counts up on the terminal meanwhile.
    const bool terminal = isatty(STDERR_FILENO);
    const auto progress = [terminal](const QString& table, qint64 rows, bool done) {
        if (done) {
            if (terminal) std::fputs("\r\033[K", stderr);
            out(QStringLiteral("%1 %2 行\n").arg(table).arg(rows));
        } else if (terminal) {
            std::fprintf(stderr, "\r%s %lld 行……", table.toUtf8().constData(), rows);
        }
    };
    withServerPassword([&](const QString& password) {
        target.password = password;
        copied = qb::ledgercopy::copy_ledger(source, target, progress);
    });
    // The copy's entry goes into the ledger it made, which starts with the source's log.
    Tdat made;
    if (target.place.file.isEmpty())
        withServerPassword(
            [&](const QString& password) { made.openServer(target.place.server, password); });
    else
        made.open(target.place.file, Tdat::Mode::Locked, target.passphrase);
    const QString origin = from.file.isEmpty() ? QStringLiteral("数据库服务器") : from.file;
    qb::oplog::append_alone(
        made,
        {qb::oplog::kLedgerCopied, {}, {}, 0, {}, qb::oplog::values_text({{"from", origin}})});
    out(QStringLiteral("账本已复制到 %1。\n")
            .arg(shown(target.place.file.isEmpty() ? QStringLiteral("服务器上的数据库")
                                                   : target.place.file)));
    return 0;
}

}  // namespace cli
