// The operation log on the command line: its entries as CSV, and the check of its chains.
#include <QFileInfo>
#include <QHash>

#include "commands.h"
#include "errors.h"
#include "gymk.h"
#include "oplog.h"
#include "oplog_report.h"
#include "places.h"
#include "report.h"

namespace cli {
namespace {

int verifyLog(Tdat& dat) {
    const std::vector<qb::oplog::Break> breaks = qb::oplog::verify(dat);
    for (const qb::oplog::Break& b : breaks)
        out(QStringLiteral("%1 第 %2 条（记录号 %3）：%4\n")
                .arg(b.bookId.isEmpty() ? QStringLiteral("操作日志")
                                        : QStringLiteral("帐簿 ") + shown(b.bookId))
                .arg(b.seq)
                .arg(b.id)
                .arg(b.what));
    out(breaks.empty() ? QStringLiteral("操作日志完好。\n")
                       : QStringLiteral("操作日志有 %1 条链被改动。\n").arg(breaks.size()));
    return breaks.empty() ? 0 : 1;
}

}  // namespace

int log(const QString& dir, const QStringList& args) {
    qb::oplog::Filter filter;
    bool verify = false;
    QStringList book;
    QString pdf;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& name = args[i];
        const int values = name == QLatin1String("--verify") ? 0
                           : name == QLatin1String("--book") ? 2
                                                             : 1;
        if (i + values >= args.size()) throw UsageError{name + QStringLiteral(" needs a value")};
        if (name == QLatin1String("--verify"))
            verify = true;
        else if (name == QLatin1String("--from"))
            filter.from = day(args[i + 1], name);
        else if (name == QLatin1String("--to"))
            filter.to = day(args[i + 1], name);
        else if (name == QLatin1String("--user"))
            filter.user = args[i + 1];
        else if (name == QLatin1String("--book"))
            book = args.mid(i + 1, 2);
        else if (name == QLatin1String("--pdf"))
            pdf = QFileInfo(args[i + 1]).absoluteFilePath();
        else
            throw UsageError{QStringLiteral("unknown option: ") + name};
        i += values;
    }
    Tdat dat;
    openLedger(dat, dir, Tdat::Mode::ReadOnly);
    if (verify) return verifyLog(dat);
    if (!book.isEmpty()) {
        filter.bookId = gymk::book_id_of(dat, book[0], book[1]);
        if (filter.bookId->isEmpty())
            throw qb::DbError(QStringLiteral("找不到帐簿“%1”（%2）").arg(book[0], book[1]));
    }
    const std::vector<qb::oplog::Entry> found = qb::oplog::entries(dat, filter);
    const auto captions = qb::oplog::book_captions(dat);
    if (!pdf.isEmpty()) {
        qb::report::Report report;
        if (!qb::report::operation_log_report(report,
                                              qb::places::shipped(dir, QStringLiteral("czrz.rls")),
                                              found, filter, captions) ||
            !report.writePdf(pdf))
            return 1;
        out(QStringLiteral("操作日志已写入 %1（%2 条）\n").arg(shown(pdf)).arg(found.size()));
        return 0;
    }
    const QHash<QString, QString> names(captions.begin(), captions.end());
    QString text = csvRow({QStringLiteral("时间(UTC)"), QStringLiteral("操作员"),
                           QStringLiteral("身份"), QStringLiteral("操作"), QStringLiteral("帐簿号"),
                           QStringLiteral("帐簿"), QStringLiteral("月份"), QStringLiteral("行号"),
                           QStringLiteral("修改前"), QStringLiteral("修改后")});
    const auto cell = [](const QString& value) { return formulaSafe(shown(value)); };
    for (const qb::oplog::Entry& e : found)
        text +=
            csvRow({cell(e.time), cell(e.user), cell(e.role), cell(e.operation), cell(e.bookId),
                    cell(names.value(e.bookId)), cell(e.month),
                    e.rowId ? QString::number(e.rowId) : QString(), cell(e.before), cell(e.after)});
    out(text);
    return 0;
}

}  // namespace cli
