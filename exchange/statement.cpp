// The statement's rows as transactions: totals and notes passed over, amounts bounded and given
// their side, the file's order found and its balances held to chain.
#include "statement.h"

#include <QRegularExpression>
#include <algorithm>

#include "statement_detail.h"

namespace qb::statement {
namespace {

using detail::refuse;
using detail::refuseLine;
using money::Cents;

QString cell(const Row& row, int column) {
    return column >= 0 && column < row.cells.size() ? row.cells[column] : QString();
}

// A total row is known by its place and form, never by a word inside a transaction's summary:
// without a date it says 合计, 总计 or 小计 in one of its first filled cells; with one, one of
// those cells or its summary is that word alone (人民币合计, 本期合计：).
bool isTotalRow(const Row& row, const Mapping& mapping) {
    static const QRegularExpression word(QStringLiteral("合计|总计|小计"));
    static const QRegularExpression alone(
        QStringLiteral("^(人民币|本期|本月|本页|当日|累计|借方|贷方)?(合计|总计|小计)[:：]?$"));
    const bool dated = parse_date(cell(row, mapping[Date])).isValid();
    int leading = 0;
    for (const QString& text : row.cells) {
        if (text.isEmpty()) continue;
        if (dated ? alone.match(text).hasMatch() : text.contains(word)) return true;
        if (++leading == 3) break;
    }
    return dated && alone.match(cell(row, mapping[Summary])).hasMatch();
}

bool isBlankMoney(const QString& text) {
    return text.isEmpty() || text == QLatin1String("-") || text == QLatin1String("--") ||
           text == QStringLiteral("—");
}

Cents amountAt(const Table& table, const Row& row, int column, const QString& what) {
    const QString text = cell(row, column);
    const std::optional<Cents> amount = parse_amount(text);
    if (!amount)
        refuseLine(table.path, row.line,
                   QStringLiteral("：%1“%2”无法识别（应为数字，最多两位小数）").arg(what, text));
    if (!money::withinLimit(*amount))
        refuseLine(
            table.path, row.line,
            QStringLiteral("：%1 %2 超出上限 %3").arg(what, text, money::grouped(money::kLimit)));
    return *amount;
}

// The side a direction cell gives, as the bank sees its account: 借 / Dr / D / 支 / 付 is money
// out, 贷 / Cr / C / 收 / 入 money in. 0 when it is none of them.
int sideOf(const QString& text) {
    for (const QChar c : text) {
        if (QStringLiteral("借支付出取").contains(c)) return -1;
        if (QStringLiteral("贷收入存").contains(c)) return 1;
    }
    static const QRegularExpression latin(QStringLiteral("[A-Za-z]+"));
    const QString word = latin.match(text).captured().toUpper();
    if (word == QLatin1String("D") || word == QLatin1String("DR") || word == QLatin1String("DEBIT"))
        return -1;
    if (word == QLatin1String("C") || word == QLatin1String("CR") ||
        word == QLatin1String("CREDIT"))
        return 1;
    return 0;
}

// The row's money, into the account positive; nothing for a row without money (a note).
std::optional<Cents> moneyOf(const Table& table, const Row& row, const Mapping& mapping) {
    if (mapping[Amount] < 0) {
        const QString debit = cell(row, mapping[Debit]), credit = cell(row, mapping[Credit]);
        if (isBlankMoney(debit) && isBlankMoney(credit)) return std::nullopt;
        return amountAt(table, row, mapping[Credit], QStringLiteral("收入金额")) -
               amountAt(table, row, mapping[Debit], QStringLiteral("支出金额"));
    }
    if (isBlankMoney(cell(row, mapping[Amount]))) return std::nullopt;
    const Cents amount = amountAt(table, row, mapping[Amount], QStringLiteral("金额"));
    if (mapping[Direction] < 0 || amount == 0) return amount;
    const QString direction = cell(row, mapping[Direction]);
    const int side = sideOf(direction);
    if (side == 0)
        refuseLine(
            table.path, row.line,
            QStringLiteral("：借贷方向“%1”无法识别（应为 借/贷、收/支、D/C 等）").arg(direction));
    if (amount < 0 && side > 0)
        refuseLine(table.path, row.line,
                   QStringLiteral("：金额 %1 是负数，借贷方向却是“%2”")
                       .arg(cell(row, mapping[Amount]), direction));
    return side * qAbs(amount);
}

// The first line, in the order given, whose balance is not the balance before it plus the
// amounts since (sides turned round with sign -1); lines.size() when every balance chains.
template <class Order>
size_t firstBreak(const std::vector<Line>& lines, Order at, int sign) {
    std::optional<Cents> running;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[at(i)];
        if (running) *running += sign * line.amount;
        if (!line.balance) continue;
        if (running && *running != *line.balance) return i;
        running = line.balance;
    }
    return lines.size();
}

bool newestFirstByDates(const std::vector<Line>& lines) {
    const Line& first = lines.front();
    const Line& last = lines.back();
    if (first.date != last.date) return first.date > last.date;
    return first.time.isValid() && last.time.isValid() && first.time > last.time;
}

QString sideColumns(const Mapping& mapping, const QStringList& titles) {
    const auto title = [&](Field f) {
        return QStringLiteral("“%1”").arg(titles.value(mapping[f]));
    };
    if (mapping[Amount] < 0) return title(Debit) + QStringLiteral("和") + title(Credit);
    return mapping[Direction] >= 0 ? title(Direction) : title(Amount);
}

// Puts the lines oldest first: in the order in which the balances chain, else by the dates.
// Balances that chain in neither order are refused with the first line that breaks.
void orderAndChain(const Table& table, const Mapping& mapping, std::vector<Line>& lines) {
    const auto forward = [](size_t i) { return i; };
    const auto backward = [n = lines.size()](size_t i) { return n - 1 - i; };
    const bool byDatesReversed = newestFirstByDates(lines);
    const size_t n = lines.size();
    const bool fwd = firstBreak(lines, forward, 1) == n;
    const bool bwd = firstBreak(lines, backward, 1) == n;
    if (fwd != bwd) {
        if (bwd) std::reverse(lines.begin(), lines.end());
        return;
    }
    if (fwd) {  // both: no balances, or too few to tell
        if (byDatesReversed) std::reverse(lines.begin(), lines.end());
        return;
    }
    if (firstBreak(lines, forward, -1) == n || firstBreak(lines, backward, -1) == n)
        refuse(table.path,
               QStringLiteral("余额不接续：按%1读出的收支方向与余额相反，反过来余额才接续；请检查"
                              "这一列的指定（读取的列：%2）")
                   .arg(sideColumns(mapping, table.titles),
                        mapping_description(mapping, table.titles)));
    const size_t at =
        byDatesReversed ? firstBreak(lines, backward, 1) : firstBreak(lines, forward, 1);
    const Line& line = lines[byDatesReversed ? n - 1 - at : at];
    refuseLine(table.path, line.fileLine,
               QStringLiteral("：余额 %1 与上一笔余额加本笔金额 %2 不符，余额不接续；可能是各列指定"
                              "得不对，或对账单不全（读取的列：%3）")
                   .arg(money::grouped(*line.balance), money::grouped(line.amount),
                        mapping_description(mapping, table.titles)));
}

}  // namespace

Statement parse(const Table& table, const Mapping& mapping) {
    if (!mapping.complete())
        refuse(table.path,
               QStringLiteral("无法从标题（%1）认出交易日期和金额所在的列；请在“银行对账”窗口导入"
                              "一次并指定各列（或在 reconcile 中用 --columns 指定），以后按指定的"
                              "列读取")
                   .arg(table.titles.join(QStringLiteral("，"))));
    Statement statement;
    statement.path = table.path;
    statement.encoding = table.encoding;
    Cents received = 0, paid = 0;
    for (const Row& row : table.rows) {
        const std::optional<Cents> amount =
            isTotalRow(row, mapping) ? std::nullopt : moneyOf(table, row, mapping);
        if (!amount || *amount == 0) {
            ++statement.skipped;
            continue;
        }
        Line line;
        line.fileLine = row.line;
        line.amount = *amount;
        const QString dateText = cell(row, mapping[Date]);
        line.date = parse_date(dateText);
        if (!line.date.isValid())
            refuseLine(table.path, row.line,
                       dateText.isEmpty()
                           ? QStringLiteral("：没有交易日期")
                           : QStringLiteral("：日期“%1”无法识别（应为 2024-05-01、2024/5/1 或 "
                                            "20240501 等写法）")
                                 .arg(dateText));
        line.time = parse_time(mapping[Time] >= 0 ? cell(row, mapping[Time]) : dateText);
        if (mapping[Balance] >= 0 && !isBlankMoney(cell(row, mapping[Balance])))
            line.balance = amountAt(table, row, mapping[Balance], QStringLiteral("余额"));
        // Each part stays within the bound, so no sum of the statement's lines can overflow.
        (line.amount > 0 ? received : paid) += qAbs(line.amount);
        if (!money::withinLimit(received) || !money::withinLimit(paid))
            refuseLine(table.path, row.line,
                       QStringLiteral("：对账单的%1合计超出上限 %2")
                           .arg(line.amount > 0 ? QStringLiteral("收入") : QStringLiteral("支出"),
                                money::grouped(money::kLimit)));
        line.summary = cell(row, mapping[Summary]);
        line.counterparty = cell(row, mapping[Counterparty]);
        line.serial = cell(row, mapping[Serial]);
        statement.lines.push_back(std::move(line));
    }
    if (statement.lines.empty()) refuse(table.path, QStringLiteral("没有交易记录"));
    orderAndChain(table, mapping, statement.lines);
    // The balance before the first line is the statement's too.
    if (const Line& first = statement.lines.front();
        first.balance && !money::withinLimit(*first.balance - first.amount))
        refuseLine(
            table.path, first.fileLine,
            QStringLiteral("：这笔之前的余额 %1 超出上限 %2")
                .arg(money::grouped(*first.balance - first.amount), money::grouped(money::kLimit)));
    statement.hasBalance = std::all_of(statement.lines.cbegin(), statement.lines.cend(),
                                       [](const Line& line) { return line.balance.has_value(); });
    return statement;
}

Statement read(const QString& path, const QString& keptMapping) {
    const Table table = read_table(path);
    return parse(table, kept_or_guessed(table, keptMapping));
}

std::optional<Cents> Statement::opening() const {
    if (!hasBalance) return std::nullopt;
    return *lines.front().balance - lines.front().amount;
}

std::optional<Cents> Statement::closing() const {
    if (!hasBalance) return std::nullopt;
    return *lines.back().balance;
}

QDate parse_date(const QString& text) {
    static const QRegularExpression separated(QStringLiteral(
        "^(\\d{4})\\s*[-/.年]\\s*(\\d{1,2})\\s*[-/.月]\\s*(\\d{1,2})\\s*日?(?:[\\sT].*)?$"));
    static const QRegularExpression compact(QStringLiteral(
        "^(\\d{4})(\\d{2})(\\d{2})(?:\\d{6}|[\\sT]+\\d{1,2}:\\d{2}(?::\\d{2})?.*)?$"));
    const QString trimmed = text.trimmed();
    QRegularExpressionMatch m = separated.match(trimmed);
    if (!m.hasMatch()) m = compact.match(trimmed);
    if (!m.hasMatch()) return {};
    return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
}

QTime parse_time(const QString& text) {
    static const QRegularExpression clock(
        QStringLiteral("(?:^|[\\sT])(\\d{1,2}):(\\d{2})(?::(\\d{2}))?(?:[.,]\\d+)?$"));
    static const QRegularExpression compact(
        QStringLiteral("^(?:\\d{8})?(\\d{2})(\\d{2})(\\d{2})$"));
    const QString trimmed = text.trimmed();
    QRegularExpressionMatch m = clock.match(trimmed);
    if (!m.hasMatch() && trimmed.size() != 8) m = compact.match(trimmed);
    if (!m.hasMatch()) return {};
    return QTime(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
}

std::optional<Cents> parse_amount(const QString& text) {
    QString plain = text.trimmed();
    static const QRegularExpression currency(QStringLiteral("^(¥|￥|RMB|CNY)\\s*"));
    plain.remove(currency);
    if (isBlankMoney(plain)) return 0;
    return money::parse(plain);
}

}  // namespace qb::statement
