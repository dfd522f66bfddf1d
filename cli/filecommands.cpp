// The commands that guard the ledger file: daily backups, their verification and the
// passphrase of the ledger's own.
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <cstdio>
#include <iostream>
#include <string>

#include "backup.h"
#include "commands.h"
#include "errors.h"
#include "oplog.h"

namespace cli {
namespace {

// The new passphrase: from a file, or typed twice.
QString newPassphrase(const QStringList& args) {
    if (args.size() == 2 && args[0] == QLatin1String("--new-passphrase-file"))
        return firstLineOf(args[1]);
    if (!args.isEmpty()) throw UsageError{QStringLiteral("unknown option: ") + args[0]};
    const QString first = secretLine("新口令：");
    if (isatty(STDIN_FILENO) && secretLine("再输入一次：") != first)
        throw qb::DbError(QStringLiteral("两次输入的口令不一致，数据库口令没有更改。"));
    return first;
}

}  // namespace

QString secretLine(const char* prompt) {
    const bool terminal = isatty(STDIN_FILENO);
    termios saved{};
    if (terminal) {
        std::fputs(prompt, stderr);
        tcgetattr(STDIN_FILENO, &saved);
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    const bool read = bool(std::getline(std::cin, line));
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::fputs("\n", stderr);
    }
    if (!read) throw UsageError{QStringLiteral("no passphrase on standard input")};
    QString text = QString::fromStdString(line);
    if (text.endsWith(QLatin1Char('\r'))) text.chop(1);
    return text;
}

QString firstLineOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw UsageError{
            QStringLiteral("cannot read the passphrase file %1: %2").arg(path, file.errorString())};
    const QString line = QString::fromUtf8(file.readLine()).remove(QLatin1Char('\n'));
    if (line.isEmpty())
        throw UsageError{
            QStringLiteral("the passphrase file %1 has no passphrase on its first line").arg(path)};
    return line;
}

int backup(const QString& dir) {
    if (!givenServer().isEmpty()) throw qb::DbError(qb::kServerLedgerBackups);
    Tdat dat;
    // Reading is all a backup needs: it works beside a running program and on a read-only copy.
    openLedger(dat, dir, Tdat::Mode::ReadOnly);
    const qb::DailyBackup made = qb::dailyBackup(dat);
    if (!made.made) {
        out(QStringLiteral("今天的备份已经有了：%1\n").arg(shown(made.file)));
        return 0;
    }
    out(QStringLiteral("已备份并校验：%1\n").arg(shown(made.file)));
    for (const QString& removed : made.removed)
        out(QStringLiteral("已删除最旧的备份：%1\n").arg(shown(removed)));
    return 0;
}

int verify(const QStringList& args) {
    if (args.size() != 1) throw UsageError{QStringLiteral("verify needs one FILE")};
    const qb::RowCounts counts = qb::verifyBackup(args[0], givenPassphrase());
    for (auto it = counts.begin(); it != counts.end(); ++it)
        out(QStringLiteral("%1 %2 行\n").arg(it.key()).arg(it.value()));
    out(QStringLiteral("%1 完好。\n").arg(shown(args[0])));
    return 0;
}

int passphrase(const QString& dir, const QStringList& args) {
    if (args.isEmpty() || (args[0] != QLatin1String("set") && args[0] != QLatin1String("remove")))
        throw UsageError{QStringLiteral("passphrase needs set or remove")};
    const bool set = args[0] == QLatin1String("set");
    if (!set && args.size() > 1)
        throw UsageError{QStringLiteral("passphrase remove takes nothing more")};
    if (!givenServer().isEmpty()) throw qb::DbError(qb::kServerLedgerPassphrase);
    Tdat dat;
    openLedger(dat, dir, Tdat::Mode::Locked);
    const QString next = set ? newPassphrase(args.mid(1)) : QString();
    if (set && next.isEmpty())
        throw qb::DbError(
            QStringLiteral("口令不能为空。要去掉数据库自己的口令，请用 passphrase remove。"));
    if (!set && dat.passphrase().isEmpty()) {
        out(QStringLiteral("数据库没有自己的口令，用的是内置口令。\n"));
        return 0;
    }
    dat.setPassphrase(next);
    qb::oplog::append_alone(
        dat, {set ? qb::oplog::kPassphraseSet : qb::oplog::kPassphraseRemoved, {}, {}, 0, {}, {}});
    out(set ? QStringLiteral("数据库已改用自己的口令；以后打开它要给出这个口令。\n")
            : QStringLiteral("数据库已去掉自己的口令，改回内置口令。\n"));
    return 0;
}

}  // namespace cli
