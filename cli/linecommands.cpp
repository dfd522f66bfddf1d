// book add, book init and add: books and lines written through the same ledger operations as
// the book list, the book editor and the register's entry panel.
#include "cashlimit.h"
#include "commands.h"
#include "errors.h"
#include "fr_dat.h"
#include "ledger.h"
#include "money.h"
#include "months.h"

namespace cli {
namespace {

QDate dateOption(const QStringList& args, const QString& name) {
    const QString text = option(args, name);
    if (text.isEmpty()) throw UsageError{name + QStringLiteral(" YYYY-MM-DD is needed")};
    return day(text, name);
}

std::optional<qb::money::Cents> amountOption(const QStringList& args, const QString& name) {
    if (!args.contains(name)) return std::nullopt;
    const std::optional<qb::money::Cents> cents = qb::money::parse(option(args, name));
    if (!cents)
        throw UsageError{name + QStringLiteral(" needs an amount with at most two decimals, not ") +
                         option(args, name)};
    return cents;
}

// NAME CATEGORY and the options after them.
QStringList optionsAfterBook(const QStringList& args, const char* usage) {
    if (args.size() < 2 || args[0].startsWith(QLatin1String("--")) ||
        args[1].startsWith(QLatin1String("--")))
        throw UsageError{QStringLiteral("expected ") + QLatin1String(usage)};
    return args.mid(2);
}

int bookAdd(const QString& dir, const QStringList& args) {
    QStringList options = optionsAfterBook(
        args, "book add NAME CATEGORY --start YYYY-MM-DD --opening AMOUNT [--account NO] [--init]");
    const bool init = options.removeAll(QStringLiteral("--init")) > 0;
    onlyOptions(options, {QStringLiteral("--start"), QStringLiteral("--opening"),
                          QStringLiteral("--account")});
    const std::optional<qb::money::Cents> opening =
        amountOption(options, QStringLiteral("--opening"));
    if (!opening) throw UsageError{QStringLiteral("--opening AMOUNT is needed")};
    const qb::ledger::BookFields fields{args[1], args[0],
                                        option(options, QStringLiteral("--account")), *opening,
                                        dateOption(options, QStringLiteral("--start"))};
    Tdat dat;
    openLedger(dat, dir, Tdat::Mode::Locked);
    // Made and initialized at once, or not at all.
    qb::Transaction t(dat);
    const QString id = qb::ledger::add_book(dat, fields);
    if (init) qb::ledger::init_book(dat, id);
    t.commit();
    out(QStringLiteral("已建立帐簿 %1（%2），帐簿号 %3，启用日期 %4，期初余额 %5，%6\n")
            .arg(shown(args[0]), shown(args[1]), id, qb::months::iso(fields.startDate),
                 qb::money::text(*opening),
                 init ? QStringLiteral("已初始化") : QStringLiteral("未初始化")));
    return 0;
}

int bookInit(const QString& dir, const QStringList& args) {
    if (args.size() != 2) throw UsageError{QStringLiteral("expected book init NAME CATEGORY")};
    Tdat dat;
    openLedger(dat, dir, Tdat::Mode::Locked);
    const int created = qb::ledger::init_book(dat, bookIdOf(dat, args[0], args[1]));
    out(created > 0 ? QStringLiteral("帐簿 %1（%2）已初始化：新建 %3 行期初记录\n")
                          .arg(shown(args[0]), shown(args[1]))
                          .arg(created)
                    : QStringLiteral("帐簿 %1（%2）已经初始化过，期初记录齐全\n")
                          .arg(shown(args[0]), shown(args[1])));
    return 0;
}

}  // namespace

int limit(const QString& dir, const QStringList& args) {
    if (args.size() < 2 || args.size() > 3)
        throw UsageError{QStringLiteral("expected limit NAME CATEGORY [AMOUNT|--clear]")};
    const bool clear = args.value(2) == QLatin1String("--clear");
    std::optional<qb::money::Cents> amount;
    if (args.size() == 3 && !clear) {
        amount = qb::money::parse(args[2]);
        if (!amount)
            throw UsageError{
                QStringLiteral("the limit must be an amount with at most two decimals, not ") +
                args[2]};
    }
    Tdat dat;
    openLedger(dat, dir, args.size() == 3 ? Tdat::Mode::Locked : Tdat::Mode::ReadOnly);
    const QString id = bookIdOf(dat, args[0], args[1]);
    if (clear)
        qb::cashlimit::clear_limit(dat, id);
    else if (amount)
        qb::cashlimit::set_limit(dat, id, *amount);
    else
        qb::cashlimit::require_cash_book(dat, id);
    const std::optional<qb::money::Cents> now = qb::cashlimit::limit(dat, id);
    out(now ? QStringLiteral("帐簿 %1（%2）的库存现金限额：%3\n")
                  .arg(shown(args[0]), shown(args[1]), qb::money::text(*now))
            : QStringLiteral("帐簿 %1（%2）没有库存现金限额\n")
                  .arg(shown(args[0]), shown(args[1])));
    return 0;
}

int book(const QString& dir, const QStringList& args) {
    const QString sub = args.value(0);
    if (sub == QLatin1String("add")) return bookAdd(dir, args.mid(1));
    if (sub == QLatin1String("init")) return bookInit(dir, args.mid(1));
    throw UsageError{QStringLiteral("book needs add or init")};
}

int addLine(const QString& dir, const QStringList& args) {
    const QStringList options = optionsAfterBook(
        args,
        "add NAME CATEGORY --date YYYY-MM-DD --summary TEXT (--debit AMOUNT | --credit AMOUNT) "
        "[--voucher N] [--ticket NO] [--count N] [--claimant NAME]");
    onlyOptions(options, {QStringLiteral("--date"), QStringLiteral("--summary"),
                          QStringLiteral("--debit"), QStringLiteral("--credit"),
                          QStringLiteral("--voucher"), QStringLiteral("--ticket"),
                          QStringLiteral("--count"), QStringLiteral("--claimant")});
    if (!options.contains(QStringLiteral("--summary")))
        throw UsageError{QStringLiteral("--summary TEXT is needed")};
    const std::optional<qb::money::Cents> debit = amountOption(options, QStringLiteral("--debit"));
    const std::optional<qb::money::Cents> credit =
        amountOption(options, QStringLiteral("--credit"));
    if (debit.has_value() == credit.has_value())
        throw UsageError{QStringLiteral("give either --debit AMOUNT or --credit AMOUNT")};
    qb::ledger::LineFields line;
    line.date = dateOption(options, QStringLiteral("--date"));
    line.summary = option(options, QStringLiteral("--summary"));
    line.debit = debit.value_or(0);
    line.credit = credit.value_or(0);
    line.ticket = option(options, QStringLiteral("--ticket"));
    line.voucherCount = number(options, QStringLiteral("--count"), 0);
    line.claimant = option(options, QStringLiteral("--claimant"));
    line.voucher = number(options, QStringLiteral("--voucher"), 0);
    Tdat dat;
    openLedger(dat, dir, Tdat::Mode::Locked);
    const QString id = bookIdOf(dat, args[0], args[1]);
    if (!options.contains(QStringLiteral("--voucher")))
        line.voucher = qb::ledger::next_voucher(dat, id, line.date);
    const qint64 row = qb::ledger::insert_line(dat, id, line);
    out(QStringLiteral("%1 %2 凭证 %3 %4：余额 %5\n")
            .arg(shown(args[0]), qb::months::iso(line.date))
            .arg(line.voucher)
            .arg(shown(line.summary), qb::money::text(qb::ledger::line_balance(dat, row))));
    return 0;
}

}  // namespace cli
