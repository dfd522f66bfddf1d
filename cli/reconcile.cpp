// reconcile: a bank book's month held against the bank's statement, as the window "银行对账"
// does it, printed as the reconciliation statement.
#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "bankrec.h"
#include "commands.h"
#include "errors.h"
#include "fr_dat.h"
#include "months.h"
#include "places.h"
#include "reconciliation_report.h"
#include "report.h"

namespace cli {
namespace {

struct ReconcileArgs {
    QStringList positional;  // NAME CATEGORY YYYY-MM STATEMENT
    QString pdf;
    qb::bankrec::Options options;
    QString columns;  // the mapping given, "date=交易日期,amount=3,…"
    bool save = false;
    bool showColumns = false;
};

ReconcileArgs reconcileArgs(const QStringList& args) {
    ReconcileArgs r;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--save") || arg == QLatin1String("--show-columns")) {
            (arg == QLatin1String("--save") ? r.save : r.showColumns) = true;
            continue;
        }
        if (!arg.startsWith(QLatin1String("--"))) {
            r.positional << arg;
            continue;
        }
        if (i + 1 >= args.size()) throw UsageError{arg + QStringLiteral(" needs a value")};
        const QString value = args[++i];
        if (arg == QLatin1String("--pdf")) {
            r.pdf = QFileInfo(value).absoluteFilePath();
        } else if (arg == QLatin1String("--columns")) {
            r.columns = value;
        } else if (arg == QLatin1String("--tolerance")) {
            bool ok = false;
            r.options.tolerance = value.toInt(&ok);
            if (!ok || r.options.tolerance < 0 || r.options.tolerance > 31)
                throw UsageError{QStringLiteral("--tolerance needs a number of days from 0 to 31")};
        } else if (arg == QLatin1String("--balance")) {
            r.options.closing = qb::money::parse(value);
            if (!r.options.closing || !qb::money::withinLimit(*r.options.closing))
                throw UsageError{QStringLiteral("--balance needs an amount with at most two "
                                                "decimals, at most 999,999,999,999.99, not ") +
                                 value};
        } else {
            throw UsageError{QStringLiteral("unknown option: ") + arg};
        }
    }
    if (r.positional.size() != 4)
        throw UsageError{QStringLiteral("expected NAME CATEGORY YYYY-MM STATEMENT")};
    return r;
}

QString amount(qb::money::Cents cents) {
    return qb::money::grouped(cents);
}

QString summaryOf(const qb::bankrec::Reconciliation& rec, const QString& caption) {
    const qb::bankrec::Groups g = rec.groups();
    QString text =
        QStringLiteral("%1 %2 银行存款余额调节表\n").arg(caption, qb::months::monthText(rec.month));
    const std::pair<QString, qb::money::Cents> rows[] = {
        {QStringLiteral("企业银行存款日记帐余额"), rec.bookClosing},
        {QStringLiteral("加：银行已收企业未收"), g.bankReceived},
        {QStringLiteral("减：银行已付企业未付"), g.bankPaid},
        {QStringLiteral("调节后余额"), g.adjustedBook},
        {QStringLiteral("银行对账单余额"), rec.bankClosing},
        {QStringLiteral("加：企业已收银行未收"), g.bookReceived},
        {QStringLiteral("减：企业已付银行未付"), g.bookPaid},
        {QStringLiteral("调节后余额"), g.adjustedBank},
    };
    for (const auto& [label, value] : rows)
        text += QStringLiteral("  %1  %2\n").arg(label, amount(value));
    text += g.difference() == 0
                ? QStringLiteral("调节后余额相符。\n")
                : QStringLiteral("调节后余额不相符，差额 %1。\n").arg(amount(g.difference()));
    return text;
}

QString outstandingOf(const qb::bankrec::Reconciliation& rec) {
    QString text;
    for (size_t i = 0; i < rec.bank.size(); ++i)
        if (rec.match[i] < 0)
            text += QStringLiteral("  银行已%1企业未%1 %2 %3 %4\n")
                        .arg(rec.bank[i].amount > 0 ? QStringLiteral("收") : QStringLiteral("付"))
                        .arg(qb::months::iso(rec.bank[i].date), shown(rec.bank[i].summary),
                             amount(qAbs(rec.bank[i].amount)));
    const std::vector<int> ticked = rec.bookMatches();
    for (size_t j = 0; j < rec.book.size(); ++j)
        if (ticked[j] < 0)
            text += QStringLiteral("  企业已%1银行未%1 %2 凭证 %3 %4 %5\n")
                        .arg(rec.book[j].amount > 0 ? QStringLiteral("收") : QStringLiteral("付"))
                        .arg(qb::months::iso(rec.book[j].date))
                        .arg(rec.book[j].voucher)
                        .arg(shown(rec.book[j].summary), amount(qAbs(rec.book[j].amount)));
    return text.isEmpty() ? text : QStringLiteral("未达账项：\n") + text;
}

// The header found and the columns read from it, for a script to check before it saves.
QString columnsOf(const qb::statement::Table& table, const qb::statement::Mapping& mapping) {
    QString text = QStringLiteral("对账单 %1（%2）第 %3 行是标题行：\n")
                       .arg(shown(QFileInfo(table.path).fileName()), table.encoding)
                       .arg(table.headerLine);
    for (qsizetype c = 0; c < table.titles.size(); ++c)
        text += QStringLiteral("  %1  %2\n").arg(c + 1).arg(shown(table.titles[c]));
    text += QStringLiteral("各列：\n");
    for (int f = 0; f < qb::statement::FieldCount; ++f) {
        const auto field = qb::statement::Field(f);
        const int c = mapping[field];
        text +=
            QStringLiteral("  %1=%2\n")
                .arg(qb::statement::field_key(field),
                     c < 0 ? QString()
                           : QStringLiteral("%1 %2").arg(c + 1).arg(shown(table.titles.value(c))));
    }
    if (!mapping.complete())
        text += QStringLiteral("认不出交易日期和金额所在的列，请用 --columns 指定。\n");
    return text;
}

}  // namespace

int reconcile(const QString& dir, const QStringList& args) {
    const ReconcileArgs r = reconcileArgs(args);
    Tdat dat;
    openLedger(dat, dir, r.save ? Tdat::Mode::Locked : Tdat::Mode::ReadOnly);
    const auto [id, month] = bookMonth(dat, r.positional.mid(0, 3));
    if (!qb::bankrec::is_bank_book(r.positional[1]))
        throw qb::DbError(QStringLiteral("“%1”不是银行帐簿，不能银行对账。").arg(r.positional[1]));
    const qb::statement::Table table = qb::statement::read_table(r.positional[3]);
    const qb::statement::Mapping mapping =
        r.columns.isEmpty()
            ? qb::statement::kept_or_guessed(table, qb::bankrec::kept_mapping(dat, id))
            : qb::statement::mapping_from_columns(r.columns, table.titles);
    if (r.showColumns) {
        out(columnsOf(table, mapping));
        return mapping.complete() ? 0 : 1;
    }
    const qb::statement::Statement statement = qb::statement::parse(table, mapping);
    const qb::bankrec::Reconciliation rec =
        qb::bankrec::reconcile_month(dat, id, month, statement, r.options);
    const QString caption = r.positional[0] + QLatin1Char('-') + r.positional[1];
    const auto ticked =
        std::count_if(rec.match.cbegin(), rec.match.cend(), [](int m) { return m >= 0; });
    out(QStringLiteral("对账单 %1（%2）：%3 笔，勾对 %4 笔，日期容差 %5 天\n")
            .arg(shown(QFileInfo(statement.path).fileName()), statement.encoding)
            .arg(statement.lines.size())
            .arg(ticked)
            .arg(rec.tolerance));
    out(summaryOf(rec, shown(caption)) + outstandingOf(rec));
    for (const QString& note : rec.notes)
        out(QStringLiteral("说明：%1\n").arg(note));
    if (!r.pdf.isEmpty()) {
        qb::report::Report report;
        const QString account =
            dat.scalar(QStringLiteral("select zh from accstar where zbid=?"), {id}).toString();
        if (!qb::report::reconciliation_report(report,
                                               qb::places::shipped(dir, QStringLiteral("yhdz.rls")),
                                               rec, caption, account) ||
            !report.writePdf(r.pdf))
            return 1;
        out(QStringLiteral("调节表已写入 %1\n").arg(shown(r.pdf)));
    }
    if (r.save) {
        // The columns given become the book's, as the window keeps those chosen there.
        qb::Transaction t(dat);
        qb::bankrec::save_reconciliation(dat, rec, QStringLiteral("命令行"));
        if (!r.columns.isEmpty())
            qb::bankrec::keep_mapping(dat, id, qb::statement::mapping_text(mapping, table.titles));
        t.commit();
        out(QStringLiteral("对账结果已保存%1。\n")
                .arg(r.columns.isEmpty() ? QString()
                                         : QStringLiteral("，各列的指定已为本帐簿保留")));
    }
    return rec.groups().difference() == 0 ? 0 : 1;
}

}  // namespace cli
