// capitals and cheque: amounts and dates in Chinese capitals, the cheque register and printing
// on the bank's forms.
#include <QDir>
#include <QRegularExpression>

#include "arguments.h"
#include "capitals.h"
#include "chequeform.h"
#include "chequeprint.h"
#include "cheques.h"
#include "commands.h"
#include "desksettings.h"
#include "errors.h"
#include "gymk.h"
#include "months.h"
#include "report.h"

namespace cli {
namespace {

namespace cheques = qb::cheques;

// Who the register and the journal name for what the command line wrote.
const QString kUser = QStringLiteral("命令行");

// NAME CATEGORY (and as many further words as wanted): the book's identifier.
QString bookOf(Tdat& dat, const Arguments& a, int words) {
    if (a.words.size() != words)
        throw UsageError{words == 2 ? QStringLiteral("expected NAME CATEGORY")
                                    : QStringLiteral("expected NAME CATEGORY NO")};
    const QString id = gymk::book_id_of(dat, a.words[0], a.words[1]);
    if (id.isEmpty())
        throw qb::DbError(QStringLiteral("找不到帐簿“%1”（%2）").arg(a.words[0], a.words[1]));
    return id;
}

QString kindArgument(const QString& kind) {
    if (kind != cheques::kCashCheque && kind != cheques::kTransferCheque)
        throw UsageError{QStringLiteral("--kind is 转账支票 or 现金支票")};
    return kind;
}

QString amountCell(qb::money::Cents cents) {
    return cents ? qb::money::text(cents) : QString();
}

// The register printed (--pdf) or as a workbook (--xlsx), as the window prints and exports it.
int writeRegister(const QString& dir, Tdat& dat, const QString& id, const QString& state,
                  const Arguments& a) {
    qb::report::Report report;
    if (!qb::report::loadChequeRegister(report, dir, cheques::cheque_register(dat, id, state)))
        return 1;
    for (const auto& [option, write] :
         {std::pair{QStringLiteral("--pdf"), &qb::report::Report::writePdf},
          std::pair{QStringLiteral("--xlsx"), &qb::report::Report::writeWorkbook}}) {
        const QString path = a.option(option);
        if (path.isEmpty()) continue;
        if (!(report.*write)(path)) return 1;
        out(QStringLiteral("支票登记簿已写入 %1\n").arg(shown(path)));
    }
    return 0;
}

int list(const QString& dir, const Arguments& a) {
    Tdat dat;
    openLedger(dat, dir, Tdat::Mode::ReadOnly);
    const QString id = bookOf(dat, a, 2);
    const QString state = a.option(QStringLiteral("--state"));
    if (!state.isEmpty() && !cheques::states().contains(state))
        throw UsageError{QStringLiteral("--state is one of ") +
                         cheques::states().join(QStringLiteral(", "))};
    if (a.options.contains(QStringLiteral("--pdf")) || a.options.contains(QStringLiteral("--xlsx")))
        return writeRegister(dir, dat, id, state, a);
    QString text = csvRow({"号码", "种类", "状态", "领用人", "领用用途", "限额", "收款人", "金额",
                           "出票日期", "用途", "凭证号", "冲账", "作废原因", "经办人"});
    for (const cheques::Leaf& l : cheques::leaves(dat, id, state)) {
        QStringList row{l.serial,
                        l.kind,
                        cheques::shown_state(l),
                        l.taker,
                        l.takenFor,
                        amountCell(l.limit),
                        l.payee,
                        amountCell(l.amount),
                        qb::months::iso(l.date),
                        l.purpose,
                        l.voucher ? QString::number(l.voucher) : QString(),
                        l.reversed ? QStringLiteral("已冲账") : QString(),
                        l.voidReason,
                        l.changedBy};
        for (QString& field : row)
            field = formulaSafe(shown(field));
        text += csvRow(row);
    }
    out(text);
    return 0;
}

int printCheque(const QString& dir, const Arguments& a) {
    const QString pdf = a.required(QStringLiteral("--pdf"));
    Tdat dat;
    openLedger(dat, dir, Tdat::Mode::ReadOnly);
    const QString id = bookOf(dat, a, 3);
    const cheques::ChequeForm form = cheques::cheque_form(dat, id, a.words[2]);
    qb::report::Report report;
    if (!qb::report::loadCheque(report, dir, form, qb::desksettings::chequeOffset()) ||
        !report.writePdf(pdf))
        return 1;
    out(QStringLiteral("支票 %1：%2 %3，已写入 %4\n")
            .arg(form.serial, shown(form.payee), QStringLiteral("人民币") + form.amountInWords,
                 shown(pdf)));
    return 0;
}

int calibrate(const QString& dir, const Arguments& a) {
    if (a.words.size() != 1) throw UsageError{QStringLiteral("expected 转账支票 or 现金支票")};
    qb::report::Report report;
    const QPointF offset = qb::desksettings::chequeOffset();
    if (!qb::report::loadCalibration(report, dir, kindArgument(a.words[0]), offset) ||
        !report.writePdf(a.required(QStringLiteral("--pdf"))))
        return 1;
    out(QStringLiteral("校准页已写入 %1（偏移 %2, %3 毫米）\n")
            .arg(shown(a.required(QStringLiteral("--pdf"))))
            .arg(offset.x())
            .arg(offset.y()));
    return 0;
}

int offset(const Arguments& a) {
    if (a.words.size() == 1) {
        static const QRegularExpression pair(
            QStringLiteral("^(-?[0-9]+(?:\\.[0-9]+)?),(-?[0-9]+(?:\\.[0-9]+)?)$"));
        const QRegularExpressionMatch m = pair.match(a.words[0]);
        if (!m.hasMatch()) throw UsageError{QStringLiteral("offset is written X,Y in millimetres")};
        qb::desksettings::setChequeOffset({m.captured(1).toDouble(), m.captured(2).toDouble()});
    } else if (!a.words.isEmpty()) {
        throw UsageError{QStringLiteral("expected X,Y")};
    }
    const QPointF now = qb::desksettings::chequeOffset();
    out(QStringLiteral("支票打印偏移：右 %1 毫米，下 %2 毫米\n").arg(now.x()).arg(now.y()));
    return 0;
}

int listBills(const QString& dir, const Arguments& a) {
    if (!a.words.isEmpty()) throw UsageError{QStringLiteral("bills takes no NAME CATEGORY")};
    Tdat dat;
    openLedger(dat, dir, Tdat::Mode::ReadOnly);
    const QString days = a.option(QStringLiteral("--due"));
    bool ok = days.isEmpty();
    const int within = days.toInt(&ok);
    if (!days.isEmpty() && (!ok || within < 0))
        throw UsageError{QStringLiteral("--due needs a number of days")};
    const std::vector<cheques::Bill> found =
        days.isEmpty() ? cheques::bills(dat)
                       : cheques::bills_due(dat, QDate::currentDate(), within);
    QString text = csvRow({"到期日", "账簿", "种类", "收到/开出", "号码", "金额", "出票人/收款人",
                           "出票日期", "状态"});
    for (const cheques::Bill& b : found) {
        QStringList row{qb::months::iso(b.due),
                        b.bookName,
                        b.kind,
                        b.direction,
                        b.number,
                        qb::money::text(b.amount),
                        b.party,
                        qb::months::iso(b.issued),
                        b.state};
        for (QString& field : row)
            field = formulaSafe(shown(field));
        text += csvRow(row);
    }
    out(text);
    return 0;
}

// The commands that change the register: the ledger locked against a second program.
int change(const QString& dir, const QString& what, const Arguments& a) {
    Tdat dat;
    openLedger(dat, dir, Tdat::Mode::Locked);
    if (what == QLatin1String("book-add")) {
        const QString id = bookOf(dat, a, 2);
        const QString received = a.option(QStringLiteral("--date"));
        cheques::add_cheque_book(
            dat, id, kindArgument(a.required(QStringLiteral("--kind"))),
            a.required(QStringLiteral("--first")), a.required(QStringLiteral("--last")),
            received.isEmpty() ? QDate::currentDate() : dateArgument(received), kUser);
        out(QStringLiteral("已登记支票簿 %1–%2\n")
                .arg(shown(a.option(QStringLiteral("--first"))),
                     shown(a.option(QStringLiteral("--last")))));
    } else if (what == QLatin1String("take")) {
        const QString id = bookOf(dat, a, 2);
        const QString limit = a.option(QStringLiteral("--limit"));
        const cheques::Leaf l = cheques::take_next(
            dat, id, kindArgument(a.required(QStringLiteral("--kind"))),
            {a.required(QStringLiteral("--taker")), a.option(QStringLiteral("--purpose")),
             limit.isEmpty() ? 0 : amountArgument(limit)},
            kUser);
        out(l.serial + QLatin1Char('\n'));
    } else if (what == QLatin1String("issue")) {
        const QString id = bookOf(dat, a, 3);
        const bool post = a.flags.contains(QStringLiteral("--post"));
        const qint64 line = cheques::issue(dat, id, a.words[2],
                                           {a.required(QStringLiteral("--payee")),
                                            amountArgument(a.required(QStringLiteral("--amount"))),
                                            dateArgument(a.required(QStringLiteral("--date"))),
                                            a.option(QStringLiteral("--purpose"))},
                                           kUser, post);
        out(QStringLiteral("支票 %1 已开出%2\n")
                .arg(shown(a.words[2]), line ? QStringLiteral("，已记入日记帐") : QString()));
    } else if (what == QLatin1String("bill-add")) {
        cheques::Bill bill;
        bill.bookId = bookOf(dat, a, 2);
        bill.kind = a.required(QStringLiteral("--kind"));
        bill.direction = a.required(QStringLiteral("--direction"));
        bill.number = a.required(QStringLiteral("--number"));
        bill.amount = amountArgument(a.required(QStringLiteral("--amount")));
        bill.party = a.required(QStringLiteral("--party"));
        bill.issued = dateArgument(a.required(QStringLiteral("--date")));
        bill.due = dateArgument(a.required(QStringLiteral("--due")));
        cheques::add_bill(dat, bill, kUser);
        out(QStringLiteral("已登记票据 %1，%2 到期\n")
                .arg(shown(bill.number), qb::months::iso(bill.due)));
    } else if (what == QLatin1String("bill-honour") || what == QLatin1String("bill-return")) {
        const cheques::Bill bill = cheques::bill(dat, bookOf(dat, a, 3), a.words[2]);
        const QString state =
            what == QLatin1String("bill-honour") ? cheques::kPaid : cheques::kReturned;
        cheques::settle_bill(dat, bill.id, state, kUser);
        out(QStringLiteral("票据 %1 %2\n").arg(bill.number, state));
    } else if (what == QLatin1String("honour")) {
        const QString id = bookOf(dat, a, 3);
        cheques::honour(dat, id, a.words[2], kUser);
        out(QStringLiteral("支票 %1 已兑付\n").arg(shown(a.words[2])));
    } else if (what == QLatin1String("void")) {
        const QString id = bookOf(dat, a, 3);
        cheques::void_leaf(dat, id, a.words[2], a.required(QStringLiteral("--reason")), kUser);
        out(QStringLiteral("支票 %1 已作废\n").arg(shown(a.words[2])));
    } else {
        const QString id = bookOf(dat, a, 3);
        cheques::give_back(dat, id, a.words[2], kUser);
        out(QStringLiteral("支票 %1 已退回：%2\n")
                .arg(shown(a.words[2]), cheques::leaf(dat, id, a.words[2]).state));
    }
    return 0;
}

}  // namespace

int capitals(const QStringList& args) {
    if (args.size() != 1) throw UsageError{QStringLiteral("capitals needs AMOUNT or YYYY-MM-DD")};
    static const QRegularExpression dateForm(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
    if (dateForm.match(args[0]).hasMatch()) {
        out(qb::capitals::date(dateArgument(args[0])) + QLatin1Char('\n'));
        return 0;
    }
    const std::optional<qb::money::Cents> cents = qb::money::parse(args[0]);
    if (!cents)
        throw UsageError{QStringLiteral("not an amount (at most two decimals) nor a date "
                                        "(YYYY-MM-DD): ") +
                         args[0]};
    out(qb::capitals::amount(*cents) + QLatin1Char('\n'));
    return 0;
}

int cheque(const QString& dir, const QStringList& args) {
    if (args.isEmpty()) throw UsageError{QStringLiteral("cheque needs a subcommand")};
    const QString what = args.first();
    const Arguments a = parse(args.mid(1),
                              {"--kind", "--first", "--last", "--date", "--state", "--payee",
                               "--amount", "--purpose", "--reason", "--pdf", "--xlsx", "--taker",
                               "--limit", "--direction", "--number", "--party", "--due"},
                              {"--post"});
    if (what == QLatin1String("list")) return list(dir, a);
    if (what == QLatin1String("print")) return printCheque(dir, a);
    if (what == QLatin1String("calibrate")) return calibrate(dir, a);
    if (what == QLatin1String("offset")) return offset(a);
    if (what == QLatin1String("bills")) return listBills(dir, a);
    static const QStringList changing{"book-add", "take",     "issue",       "void",       "return",
                                      "honour",   "bill-add", "bill-honour", "bill-return"};
    if (changing.contains(what)) return change(dir, what, a);
    throw UsageError{QStringLiteral("unknown cheque subcommand: ") + what};
}

}  // namespace cli
