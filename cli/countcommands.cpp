// count and counts: the cash count of a cash book, its sheet, and settling its difference.
#include <QDateTime>

#include "arguments.h"
#include "cashcount.h"
#include "cashcount_report.h"
#include "commands.h"
#include "months.h"
#include "places.h"
#include "report.h"

namespace cli {
namespace {

namespace cc = qb::cashcount;
using qb::money::Cents;
using qb::money::grouped;

// Who the count and the journal name for what the command line wrote.
const QString kUser = QStringLiteral("命令行");

QString noted(const cc::Noted& n) {
    return grouped(n.amount) +
           (n.note.isEmpty() ? QString() : QStringLiteral("（%1）").arg(shown(n.note)));
}

// The sheet as the terminal shows it.
QString sheet(const cc::Count& c, const QStringList& warnings) {
    QString text = QStringLiteral("%1-%2 %3 现金盘点（编号 %4）\n")
                       .arg(shown(c.bookName), shown(c.category), qb::months::iso(c.day))
                       .arg(c.id);
    for (int i = 0; i < cc::kDenominationCount; ++i)
        if (c.quantities[size_t(i)])
            text += QStringLiteral("  %1 × %2 = %3\n")
                        .arg(cc::denomination_text(cc::kDenominations[size_t(i)]))
                        .arg(c.quantities[size_t(i)])
                        .arg(grouped(c.amount(i)));
    text += QStringLiteral("  实存  %1\n").arg(grouped(c.counted()));
    text += QStringLiteral("  账面余额  %1\n").arg(grouped(c.bookBalance));
    text += QStringLiteral("  加：已收未记  %1\n").arg(noted(c.receivedUnbooked));
    text += QStringLiteral("  减：已付未记  %1\n").arg(noted(c.paidUnbooked));
    text += QStringLiteral("  调整后账面余额  %1\n").arg(grouped(c.adjusted()));
    text += c.difference() == 0
                ? QStringLiteral("  实存与调整后账面余额相符\n")
                : QStringLiteral("  %1  %2（%3）\n")
                      .arg(c.differenceKind(), grouped(qAbs(c.difference())), c.state());
    if (c.iou.amount) text += QStringLiteral("  白条（不计入实存）  %1\n").arg(noted(c.iou));
    text += QStringLiteral("  盘点人：%1  监盘人：%2\n").arg(shown(c.counter), shown(c.witness));
    for (const QString& warning : warnings)
        text += QStringLiteral("警告：%1\n").arg(warning);
    return text;
}

int countCash(const QString& dir, const Arguments& a) {
    if (a.words.size() != 3) throw UsageError{QStringLiteral("expected NAME CATEGORY YYYY-MM-DD")};
    const auto amount = [&](const char* name) {
        const QString given = a.option(QLatin1String(name));
        return given.isEmpty() ? Cents(0) : amountArgument(given);
    };
    cc::Count c;
    c.day = dateArgument(a.words[2]);
    c.quantities = cc::parse_quantities(a.required(QStringLiteral("--notes")));
    c.receivedUnbooked = {amount("--unbooked-in"), a.option(QStringLiteral("--unbooked-in-note"))};
    c.paidUnbooked = {amount("--unbooked-out"), a.option(QStringLiteral("--unbooked-out-note"))};
    c.iou = {amount("--iou"), a.option(QStringLiteral("--iou-note"))};
    c.counter = a.required(QStringLiteral("--counter"));
    c.witness = a.required(QStringLiteral("--witness"));
    const QString pdf = a.option(QStringLiteral("--pdf"));
    Tdat dat;
    openLedger(dat, dir, Tdat::Mode::Locked);
    c.bookId = bookIdOf(dat, a.words[0], a.words[1]);
    c = cc::save(dat, c, kUser);
    const QStringList warnings = cc::warnings(dat, c);
    out(sheet(c, warnings));
    if (pdf.isEmpty()) return 0;
    qb::report::Report report;
    if (!qb::report::cash_count_report(report, qb::places::shipped(dir, QStringLiteral("xjpd.rls")),
                                       c, a.words[0] + QLatin1Char('-') + a.words[1], warnings) ||
        !report.writePdf(pdf)) {
        out(QStringLiteral("盘点已保存，但盘点表没有写成 PDF。\n"));
        return 1;
    }
    out(QStringLiteral("盘点表已写入 %1\n").arg(shown(pdf)));
    return 0;
}

int settle(const QString& dir, const Arguments& a) {
    bool ok = false;
    const qint64 id = a.words.size() == 2 ? a.words[1].toLongLong(&ok) : 0;
    if (!ok || id <= 0) throw UsageError{QStringLiteral("expected count settle ID")};
    const QString day = a.option(QStringLiteral("--date"));
    Tdat dat;
    openLedger(dat, dir, Tdat::Mode::Locked);
    const QDate date = day.isEmpty() ? QDate() : dateArgument(day);
    const qint64 line = cc::settle(dat, id, date, kUser);
    const cc::Settling s = cc::settling_line(cc::count(dat, id), date);
    out(QStringLiteral("盘点 %1 已处理：%2 %3 %4 %5（凭证行 %6）\n")
            .arg(id)
            .arg(qb::months::iso(s.date), s.summary,
                 s.debit ? QStringLiteral("借") : QStringLiteral("贷"),
                 grouped(s.debit ? s.debit : s.credit))
            .arg(line));
    return 0;
}

}  // namespace

int count(const QString& dir, const QStringList& args) {
    const Arguments a = parse(args, {"--notes", "--unbooked-in", "--unbooked-in-note",
                                     "--unbooked-out", "--unbooked-out-note", "--iou", "--iou-note",
                                     "--counter", "--witness", "--pdf", "--date"});
    if (!a.words.isEmpty() && a.words.first() == QLatin1String("settle")) return settle(dir, a);
    if (a.options.contains(QStringLiteral("--date")))
        throw UsageError{QStringLiteral("--date belongs to count settle")};
    return countCash(dir, a);
}

int counts(const QString& dir, const QStringList& args) {
    const Arguments a = parse(args, {}, {"--pending"});
    if (!a.words.isEmpty() && a.words.size() != 2)
        throw UsageError{QStringLiteral("expected NAME CATEGORY, or nothing for every book")};
    Tdat dat;
    openLedger(dat, dir, Tdat::Mode::ReadOnly);
    const QString id = a.words.isEmpty() ? QString() : bookIdOf(dat, a.words[0], a.words[1]);
    QString text = csvRow({"编号", "账簿", "类别", "盘点日期", "实存", "账面余额", "已收未记",
                           "已付未记", "调整后账面余额", "长短款", "差额", "状态", "白条", "盘点人",
                           "监盘人", "时间", "经办人"});
    for (const cc::Count& c : cc::counts(dat, id, a.flags.contains(QStringLiteral("--pending")))) {
        const auto safe = [](const QString& field) { return formulaSafe(shown(field)); };
        const QStringList row{QString::number(c.id),
                              safe(c.bookName),
                              safe(c.category),
                              qb::months::iso(c.day),
                              qb::money::text(c.counted()),
                              qb::money::text(c.bookBalance),
                              qb::money::text(c.receivedUnbooked.amount),
                              qb::money::text(c.paidUnbooked.amount),
                              qb::money::text(c.adjusted()),
                              c.differenceKind(),
                              qb::money::text(c.difference()),
                              c.state(),
                              qb::money::text(c.iou.amount),
                              safe(c.counter),
                              safe(c.witness),
                              c.time.toString(Qt::ISODate),
                              safe(c.user)};
        text += csvRow(row);
    }
    out(text);
    return 0;
}

}  // namespace cli
