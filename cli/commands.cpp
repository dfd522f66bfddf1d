#include "commands.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <cstdio>

#include "check.h"
#include "errors.h"
#include "figures.h"
#include "fr_dat.h"
#include "gymk.h"
#include "gymk_export.h"
#include "ledger.h"
#include "money.h"
#include "months.h"
#include "sample.h"
#include "schema.h"

namespace cli {

// "--name value" pairs; anything else is a usage error.
QString option(const QStringList& args, const QString& name, const QString& fallback) {
    const qsizetype at = args.indexOf(name);
    if (at < 0) return fallback;
    if (at + 1 >= args.size()) throw UsageError{name + QStringLiteral(" needs a value")};
    return args[at + 1];
}

void onlyOptions(const QStringList& args, const QStringList& known) {
    for (qsizetype i = 0; i < args.size(); i += 2)
        if (!known.contains(args[i]))
            throw UsageError{QStringLiteral("unknown option: ") + args[i]};
}

int number(const QStringList& args, const QString& name, int fallback) {
    const QString text = option(args, name);
    if (text.isEmpty()) return fallback;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 0) throw UsageError{name + QStringLiteral(" needs a whole number ≥ 0")};
    return value;
}

QDate day(const QString& text, const QString& what) {
    // Strictly four digits, "-", two digits, "-", two digits: "2024/08/01" is no day.
    static const QRegularExpression form(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (!form.match(text).hasMatch() || !date.isValid())
        throw UsageError{what + QStringLiteral(" must be a date written YYYY-MM-DD, not ") + text};
    return date;
}

QString bookIdOf(Tdat& dat, const QString& name, const QString& category) {
    const QString id = gymk::book_id_of(dat, name, category);
    if (id.isEmpty()) throw qb::DbError(QStringLiteral("找不到帐簿“%1”（%2）").arg(name, category));
    return id;
}

// NAME CATEGORY YYYY-MM: the book's identifier and the month's first day.
std::pair<QString, QDate> bookMonth(Tdat& dat, const QStringList& args) {
    if (args.size() != 3) throw UsageError{QStringLiteral("expected NAME CATEGORY YYYY-MM")};
    // Strictly four digits, "-", two digits: "2024/08" is no August.
    static const QRegularExpression form(QStringLiteral("^[0-9]{4}-(0[1-9]|1[0-2])$"));
    const QDate month = QDate::fromString(args[2] + QStringLiteral("-01"), Qt::ISODate);
    if (!form.match(args[2]).hasMatch() || !month.isValid())
        throw UsageError{QStringLiteral("month must be written YYYY-MM, not ") + args[2]};
    return {bookIdOf(dat, args[0], args[1]), month};
}

// A text cell that a spreadsheet would run as a formula is written with a leading apostrophe,
// which spreadsheets take as "this is text".
QString formulaSafe(const QString& text) {
    static const QString starters = QStringLiteral("=+-@");
    return !text.isEmpty() && starters.contains(text.front()) ? QLatin1Char('\'') + text : text;
}

QString csv(const QString& field) {
    if (!field.contains(QLatin1Char(',')) && !field.contains(QLatin1Char('"')) &&
        !field.contains(QLatin1Char('\n')))
        return field;
    return QLatin1Char('"') + QString(field).replace(QStringLiteral("\""), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

QString csvRow(const QStringList& fields) {
    QStringList quoted;
    for (const QString& field : fields)
        quoted << csv(field);
    return quoted.join(QLatin1Char(',')) + QLatin1Char('\n');
}

namespace {

// Set once by the program's options before any command runs.
QString passphraseGiven;
QString serverGiven;

}  // namespace

void usePassphrase(const QString& passphrase) {
    passphraseGiven = passphrase;
}

QString givenPassphrase() {
    return passphraseGiven;
}

void useServer(const QString& connection) {
    serverGiven = connection;
}

QString givenServer() {
    return serverGiven;
}

void openLedger(Tdat& dat, const QString& dir, Tdat::Mode mode) {
    if (serverGiven.isEmpty())
        dat.openIn(dir, mode, passphraseGiven);
    else
        withServerPassword([&](const QString& password) { dat.openServer(serverGiven, password); });
    // A writer brings the balances of an older ledger's months up to date, as the program does.
    if (mode == Tdat::Mode::Locked) qb::figures::rechain_ledger(dat);
}

void adviseUnchained(Tdat& dat, const QString& bookId, const QString& bookName) {
    const QStringList months = qb::figures::unchained_months(dat, bookId);
    if (!months.isEmpty())
        std::fprintf(stderr, "%s\n",
                     shown(qb::figures::unchained_advice(bookName, months)).toUtf8().constData());
}

QString shown(const QString& text, bool keepNewlines) {
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool directional = (u >= 0x202a && u <= 0x202e) || (u >= 0x2066 && u <= 0x2069);
        if ((u == '\n' && keepNewlines) || (c.category() != QChar::Other_Control && !directional))
            result += c;
        else if (u == '\n')
            result += QStringLiteral("\\n");
        else if (u == '\r')
            result += QStringLiteral("\\r");
        else if (u == '\t')
            result += QStringLiteral("\\t");
        else if (u < 0x100)
            result += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else
            result += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
    }
    return result;
}

void out(const QString& text) {
    std::fputs(text.toUtf8().constData(), stdout);
}

int init(const QString& dir, const QStringList& args) {
    onlyOptions(args, {QStringLiteral("--admin"), QStringLiteral("--password")});
    const QString admin = option(args, QStringLiteral("--admin"));
    if (admin.isEmpty()) throw UsageError{QStringLiteral("init needs --admin NAME")};
    const QString password = option(args, QStringLiteral("--password"));
    if (!serverGiven.isEmpty()) {
        withServerPassword([&](const QString& serverPassword) {
            qb::createServerLedger(serverGiven, admin, password, serverPassword);
        });
        out(QStringLiteral("已在服务器上建立账本，管理员 %1\n").arg(shown(admin)));
        return 0;
    }
    qb::createDatabase(Tdat::pathIn(dir), admin, password, {passphraseGiven, {}});
    out(QStringLiteral("已建立数据库 %1，管理员 %2\n").arg(shown(Tdat::pathIn(dir)), shown(admin)));
    return 0;
}

int sample(const QString& dir, const QStringList& args) {
    onlyOptions(args,
                {QStringLiteral("--books"), QStringLiteral("--months"), QStringLiteral("--lines"),
                 QStringLiteral("--admin"), QStringLiteral("--password")});
    qb::sample::Options options;
    options.books = number(args, QStringLiteral("--books"), options.books);
    options.months = number(args, QStringLiteral("--months"), options.months);
    options.linesPerMonth = number(args, QStringLiteral("--lines"), options.linesPerMonth);
    const QString admin = option(args, QStringLiteral("--admin"), QStringLiteral("admin"));
    options.handler = admin;
    const QString path = Tdat::pathIn(dir);
    if (options.months < 1) throw UsageError{QStringLiteral("--months must be at least 1")};
    qb::sample::require_valid(options);
    qb::sample::Result result;
    const QString password = option(args, QStringLiteral("--password"), admin);
    const auto fill = [&](Tdat& dat) { result = qb::sample::generate(dat, options); };
    if (serverGiven.isEmpty())
        qb::createDatabase(path, admin, password, {passphraseGiven, fill});
    else
        withServerPassword([&](const QString& serverPassword) {
            qb::createServerLedger(serverGiven, admin, password, serverPassword, fill);
        });
    try {
        qb::sample::list_books(dir, result.books);
    } catch (const qb::DbError& e) {
        // The ledger is made; only the lists that offer its books are not.
        std::fprintf(stderr, "quillbook-cli: 警告：帐簿名称和类别没有写入 zbinfo.ini：%s\n",
                     shown(e.message(), true).toUtf8().constData());
    }
    out(QStringLiteral("已建立示例数据库 %1：%2 本帐簿，%3 行日记帐，%4 笔冲账（管理员 %5）\n")
            .arg(shown(serverGiven.isEmpty() ? path : QStringLiteral("（服务器）")))
            .arg(result.books)
            .arg(result.lines)
            .arg(result.reversals)
            .arg(shown(admin)));
    return 0;
}

int check(const QString& dir) {
    Tdat dat;
    openLedger(dat, dir, Tdat::Mode::ReadOnly);
    const std::vector<qb::check::Problem> problems = qb::check::verify(dat);
    qsizetype faults = 0;
    for (const qb::check::Problem& p : problems) {
        out(QStringLiteral("%1 %2：%3\n").arg(shown(p.bookId), shown(p.month), shown(p.text)));
        faults += p.fault;
    }
    // A month waiting to be posted again after a reversal is listed but is no fault.
    const qsizetype waiting = qsizetype(problems.size()) - faults;
    if (waiting > 0) out(QStringLiteral("%1 个月需二次过帐。\n").arg(waiting));
    out(faults == 0 ? QStringLiteral("检查完毕，没有发现问题。\n")
                    : QStringLiteral("发现 %1 处问题。\n").arg(faults));
    return faults == 0 ? 0 : 1;
}

int journal(const QString& dir, const QStringList& args) {
    Tdat dat;
    openLedger(dat, dir, Tdat::Mode::ReadOnly);
    const auto [id, month] = bookMonth(dat, args);
    QString text =
        csvRow({QStringLiteral("记账日期"), QStringLiteral("凭证号"), QStringLiteral("票号"),
                QStringLiteral("摘要"), QStringLiteral("借方"), QStringLiteral("贷方"),
                QStringLiteral("余额"), QStringLiteral("凭证张数"), QStringLiteral("报销人"),
                QStringLiteral("经办人")});
    const qb::ledger::MonthSql view = qb::ledger::month_view(id, month);
    qb::Query q(dat);
    q.setSql(view.sql, view.params);
    q.open();
    for (q.first(); !q.eof(); q.next()) {
        QStringList fields;
        for (int c = 0; c < 10; ++c) {
            if (c >= 4 && c <= 6 && !q.field(c).isNull())
                fields << qb::money::text(q.field(c).asCents());  // amounts stay numbers
            else if (c == 1 || c == 7)
                fields << q.field(c).asString();  // voucher number and count
            else
                fields << formulaSafe(shown(q.field(c).asString()));
        }
        text += csvRow(fields);
    }
    // The totals under the lines, each row named in the summary column.
    const qb::figures::Figures f = qb::figures::month(dat, id, month);
    const std::pair<QString, qb::figures::Amounts> totals[] = {
        {QStringLiteral("本月合计"), f.period},
        {QStringLiteral("本月累计"), f.cumulative},
        {QStringLiteral("本年累计"), f.yearToDate}};
    for (const auto& [label, sums] : totals)
        text += csvRow({{},
                        {},
                        {},
                        label,
                        qb::money::text(sums.debit),
                        qb::money::text(sums.credit),
                        qb::money::text(f.closing),
                        {},
                        {},
                        {}});
    adviseUnchained(dat, id, args[0]);
    out(text);
    return 0;
}

int post(const QString& dir, const QStringList& args) {
    Tdat dat;
    openLedger(dat, dir, Tdat::Mode::Locked);
    const auto [id, month] = bookMonth(dat, args);
    const qb::ledger::PostResult r = qb::ledger::post_month(dat, id, month);
    out(QStringLiteral("%1 %2：%3，期末余额 %4\n")
            .arg(shown(args[0]), qb::months::monthText(month),
                 r.reposted ? QStringLiteral("二次过帐完成") : QStringLiteral("过帐完成"),
                 qb::money::text(r.closing)));
    if (r.laterMonthsUpdated > 0)
        out(QStringLiteral("其后已结帐的 %1 个月已按更正后的数字重新结转。\n")
                .arg(r.laterMonthsUpdated));
    return 0;
}

// The month as the register exports it, into the workbook the register uses or another one.
int exportMonth(const QString& dir, const QStringList& args) {
    QStringList rest = args;
    QString workbook;
    if (const qsizetype at = rest.indexOf(QStringLiteral("--out")); at >= 0) {
        if (at + 1 >= rest.size()) throw UsageError{QStringLiteral("--out needs a file name")};
        workbook = QFileInfo(rest[at + 1]).absoluteFilePath();
        rest.remove(at, 2);
    }
    Tdat dat;
    openLedger(dat, dir, Tdat::Mode::ReadOnly);
    const auto [id, month] = bookMonth(dat, rest);
    const qb::ledger::MonthSql view = qb::ledger::month_view(id, month);
    qb::Query q(dat);
    q.setSql(view.sql, view.params);
    q.open();
    const QString path = gymk::export_to_excel(q, {rest[1], rest[0]}, dir, workbook);
    out(QStringLiteral("%1 %2：%3 行已导出到 %4\n")
            .arg(shown(rest[0]), qb::months::monthText(month))
            .arg(q.recordCount())
            .arg(shown(path)));
    return 0;
}

}  // namespace cli
