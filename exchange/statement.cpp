// The statement reader: decoding, CSV records through libcsv, the header row and the columns.
#include "statement.h"

#include <csv.h>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>
#include <functional>

#include "errors.h"

namespace qb::statement {
namespace {

constexpr int kHeaderSearch = 20;  // the header row lies among the first rows

[[noreturn]] void refuse(const QString& path, const QString& why) {
    throw DbError(QStringLiteral("对账单 %1：%2").arg(QFileInfo(path).fileName(), why));
}

[[noreturn]] void refuseLine(const QString& path, int line, const QString& why) {
    refuse(path, QStringLiteral("第 %1 行%2").arg(line).arg(why));
}

// ---- Decoding ----

// A byte-order mark decides; otherwise text that is valid UTF-8 is UTF-8, and anything else is
// taken as GB18030, the code page of Chinese Windows.
QString decoded(const QByteArray& bytes, QString* encoding) {
    if (const auto bom = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*bom);
        *encoding = QString::fromLatin1(QStringConverter::nameForEncoding(*bom));
        return decoder(bytes);
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError()) {
        *encoding = QStringLiteral("UTF-8");
        return text;
    }
    QStringDecoder gb18030("GB18030");
    *encoding = QStringLiteral("GB18030");
    return gb18030(bytes);
}

// ---- CSV records ----

struct Records {
    std::vector<Row> rows;
    Row current;
    int line = 0;  // the line being fed
};

void endField(void* data, size_t size, void* sink) {
    auto* records = static_cast<Records*>(sink);
    records->current.cells << QString::fromUtf8(static_cast<const char*>(data), qsizetype(size))
                                  .trimmed()
                                  .remove(QLatin1Char('\t'));
}

void endRecord(int, void* sink) {
    auto* records = static_cast<Records*>(sink);
    // A quoted field may span lines: the record begins as many lines up as it holds breaks.
    int breaks = 0;
    for (const QString& cell : records->current.cells)
        breaks += int(cell.count(QLatin1Char('\n')));
    records->current.line = records->line - breaks;
    records->rows.push_back(std::move(records->current));
    records->current = Row();
}

// Comma-separated unless the first line has tabs and no commas.
unsigned char delimiterOf(const QString& text) {
    const QString first = text.section(QLatin1Char('\n'), 0, 0);
    return first.contains(QLatin1Char('\t')) && !first.contains(QLatin1Char(',')) ? CSV_TAB
                                                                                  : CSV_COMMA;
}

std::vector<Row> records(const QString& path, const QString& text) {
    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0)
        refuse(path, QStringLiteral("无法读取（内存不足）"));
    csv_set_delim(&parser, delimiterOf(text));
    // Tabs are kept inside fields: some banks put one before a number to keep it text.
    csv_set_space_func(&parser, [](unsigned char c) { return c == CSV_SPACE ? 1 : 0; });
    Records sink;
    const QByteArray bytes = text.toUtf8();
    // Fed line by line, so that each record knows the line it ends on.
    qsizetype from = 0;
    while (from < bytes.size()) {
        qsizetype to = bytes.indexOf('\n', from);
        to = to < 0 ? bytes.size() : to + 1;
        ++sink.line;
        const size_t fed = size_t(to - from);
        if (csv_parse(&parser, bytes.constData() + from, fed, endField, endRecord, &sink) != fed) {
            csv_free(&parser);
            refuseLine(path, sink.line, QStringLiteral("：引号不成对，不是规范的 CSV 文件"));
        }
        from = to;
    }
    const int finished = csv_fini(&parser, endField, endRecord, &sink);
    csv_free(&parser);
    if (finished != 0)
        refuseLine(path, sink.line, QStringLiteral("：引号没有结束，不是规范的 CSV 文件"));
    return std::move(sink.rows);
}

// ---- Titles ----

// A title as compared: without blanks, units in brackets, asterisks and colons.
QString plainTitle(QString title) {
    static const QRegularExpression noise(
        QStringLiteral("\\s|\\(.*\\)|（.*）|\\[.*\\]|\\*|:|：|\\x{feff}"));
    return title.remove(noise);
}

// The titles banks give each field, the most usual first.
const QStringList& titlesOf(Field field) {
    static const QStringList known[FieldCount] = {
        {"交易日期", "记账日期", "入账日期", "日期", "交易时间", "记账时间"},
        {"摘要", "用途", "附言", "交易摘要", "备注"},
        {"借方发生额", "支出", "支出金额", "借方金额", "付款金额", "借方"},
        {"贷方发生额", "收入", "收入金额", "贷方金额", "收款金额", "贷方"},
        {"金额", "交易金额", "发生额"},
        {"余额", "账户余额", "交易后余额", "联机余额"},
        {"对方户名", "对方账户名称", "对方名称", "对方账户名", "收/付方名称", "对方单位"},
        {"流水号", "交易流水号", "业务流水号", "票据号", "支票号", "凭证号"},
    };
    return known[field];
}

bool anyCell(const QStringList& cells, const std::function<bool(const QString&)>& test) {
    return std::any_of(cells.cbegin(), cells.cend(), test);
}

int nonEmpty(const QStringList& cells) {
    return int(
        std::count_if(cells.cbegin(), cells.cend(), [](const QString& c) { return !c.isEmpty(); }));
}

// Where the header row is among the records, or -1.
int headerIndex(const std::vector<Row>& rows) {
    const int search = std::min(int(rows.size()), kHeaderSearch);
    for (int i = 0; i < search; ++i)
        if (guess_mapping(rows[size_t(i)].cells).complete()) return i;
    // Titles of its own: a row of several cells whose next row begins a transaction with a date.
    for (int i = 0; i + 1 < search; ++i)
        if (nonEmpty(rows[size_t(i)].cells) >= 3 &&
            !anyCell(rows[size_t(i)].cells,
                     [](const QString& c) { return parse_date(c).isValid(); }) &&
            anyCell(rows[size_t(i) + 1].cells,
                    [](const QString& c) { return parse_date(c).isValid(); }))
            return i;
    return -1;
}

// ---- Rows ----

QString cell(const Row& row, int column) {
    return column >= 0 && column < row.cells.size() ? row.cells[column] : QString();
}

bool isTotalRow(const Row& row) {
    return anyCell(row.cells, [](const QString& c) {
        return c.contains(QStringLiteral("合计")) || c.contains(QStringLiteral("总计")) ||
               c.contains(QStringLiteral("小计"));
    });
}

money::Cents amountAt(const Table& table, const Row& row, int column) {
    const QString text = cell(row, column);
    const std::optional<money::Cents> amount = parse_amount(text);
    if (!amount)
        refuseLine(table.path, row.line,
                   QStringLiteral("：金额“%1”无法识别（应为数字，最多两位小数）").arg(text));
    return *amount;
}

}  // namespace

bool Mapping::complete() const {
    return columns[Date] >= 0 &&
           (columns[Amount] >= 0 || (columns[Debit] >= 0 && columns[Credit] >= 0));
}

QString field_caption(Field field) {
    static const char* const captions[FieldCount] = {
        "交易日期",         "摘要", "支出（借方）", "收入（贷方）",
        "金额（收正付负）", "余额", "对方户名",     "流水号"};
    return QString::fromUtf8(captions[field]);
}

Table read_table(const QString& path) {
    QFile file(path);
    if (!file.exists()) refuse(path, QStringLiteral("找不到文件 %1").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        refuse(path, QStringLiteral("无法读取：%1").arg(file.errorString()));
    const QByteArray bytes = file.readAll();
    Table table;
    table.path = path;
    const QString text = decoded(bytes, &table.encoding);
    std::vector<Row> rows = records(path, text);
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [](const Row& r) { return nonEmpty(r.cells) == 0; }),
               rows.end());
    if (rows.empty()) refuse(path, QStringLiteral("文件是空的"));
    const int header = headerIndex(rows);
    if (header < 0)
        refuse(path, QStringLiteral("不像银行对账单：前 %1 行中没有“交易日期”和金额等栏目的标题行")
                         .arg(kHeaderSearch));
    table.headerLine = rows[size_t(header)].line;
    table.titles = rows[size_t(header)].cells;
    table.rows.assign(std::make_move_iterator(rows.begin() + header + 1),
                      std::make_move_iterator(rows.end()));
    return table;
}

Mapping guess_mapping(const QStringList& titles) {
    Mapping mapping;
    QStringList plain;
    for (const QString& title : titles)
        plain << plainTitle(title);
    for (int f = 0; f < FieldCount; ++f)
        for (const QString& known : titlesOf(Field(f))) {
            const qsizetype at = plain.indexOf(known);
            const bool taken = std::find(mapping.columns.begin(), mapping.columns.end(), at) !=
                               mapping.columns.end();
            if (at >= 0 && !taken) {
                mapping.columns[size_t(f)] = int(at);
                break;
            }
        }
    return mapping;
}

QString mapping_text(const Mapping& mapping, const QStringList& titles) {
    QStringList pairs;
    for (int f = 0; f < FieldCount; ++f)
        if (mapping.columns[size_t(f)] >= 0 && mapping.columns[size_t(f)] < titles.size())
            pairs << QStringLiteral("%1=%2").arg(f).arg(titles[mapping.columns[size_t(f)]]);
    return pairs.join(QLatin1Char('\n'));
}

std::optional<Mapping> mapping_from_text(const QString& text, const QStringList& titles) {
    Mapping mapping;
    for (const QString& pair : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int field = pair.section(QLatin1Char('='), 0, 0).toInt(&ok);
        const qsizetype at = titles.indexOf(pair.section(QLatin1Char('='), 1));
        if (!ok || field < 0 || field >= FieldCount || at < 0) return std::nullopt;
        mapping.columns[size_t(field)] = int(at);
    }
    if (!mapping.complete()) return std::nullopt;
    return mapping;
}

Statement parse(const Table& table, const Mapping& mapping) {
    Statement statement;
    statement.path = table.path;
    statement.encoding = table.encoding;
    const bool signedAmount = mapping[Amount] >= 0;
    bool everyBalance = true;
    for (const Row& row : table.rows) {
        const QString dateText = cell(row, mapping[Date]);
        const bool noMoney = signedAmount ? cell(row, mapping[Amount]).isEmpty()
                                          : cell(row, mapping[Debit]).isEmpty() &&
                                                cell(row, mapping[Credit]).isEmpty();
        if (isTotalRow(row) || noMoney) {
            ++statement.skipped;
            continue;
        }
        Line line;
        line.fileLine = row.line;
        line.date = parse_date(dateText);
        if (!line.date.isValid())
            refuseLine(table.path, row.line,
                       dateText.isEmpty()
                           ? QStringLiteral("：没有交易日期")
                           : QStringLiteral("：日期“%1”无法识别（应为 2024-05-01、2024/5/1 或 "
                                            "20240501 等写法）")
                                 .arg(dateText));
        line.amount = signedAmount ? amountAt(table, row, mapping[Amount])
                                   : amountAt(table, row, mapping[Credit]) -
                                         amountAt(table, row, mapping[Debit]);
        if (mapping[Balance] >= 0 && !cell(row, mapping[Balance]).isEmpty())
            line.balance = amountAt(table, row, mapping[Balance]);
        everyBalance = everyBalance && line.balance.has_value();
        line.summary = cell(row, mapping[Summary]);
        line.counterparty = cell(row, mapping[Counterparty]);
        line.serial = cell(row, mapping[Serial]);
        statement.lines.push_back(std::move(line));
    }
    if (statement.lines.empty()) refuse(table.path, QStringLiteral("没有交易记录"));
    // Newest first, as some banks list them: turned round, keeping the order within a day.
    if (statement.lines.front().date > statement.lines.back().date)
        std::reverse(statement.lines.begin(), statement.lines.end());
    statement.hasBalance = everyBalance;
    return statement;
}

Statement read(const QString& path, const QString& keptMapping) {
    const Table table = read_table(path);
    std::optional<Mapping> mapping = mapping_from_text(keptMapping, table.titles);
    if (!mapping) mapping = guess_mapping(table.titles);
    if (!mapping->complete())
        refuse(path, QStringLiteral("无法从标题（%1）认出交易日期和金额所在的列；请在“银行对账”"
                                    "窗口导入一次并指定各列，以后按指定的列读取")
                         .arg(table.titles.join(QStringLiteral("，"))));
    return parse(table, *mapping);
}

std::optional<money::Cents> Statement::opening() const {
    if (!hasBalance) return std::nullopt;
    return *lines.front().balance - lines.front().amount;
}

std::optional<money::Cents> Statement::closing() const {
    if (!hasBalance) return std::nullopt;
    return *lines.back().balance;
}

QDate parse_date(const QString& text) {
    static const QRegularExpression separated(QStringLiteral(
        "^(\\d{4})\\s*[-/.年]\\s*(\\d{1,2})\\s*[-/.月]\\s*(\\d{1,2})\\s*日?(?:[\\sT].*)?$"));
    static const QRegularExpression compact(
        QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})(?:\\d{6})?$"));
    const QString trimmed = text.trimmed();
    QRegularExpressionMatch m = separated.match(trimmed);
    if (!m.hasMatch()) m = compact.match(trimmed);
    if (!m.hasMatch()) return {};
    return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
}

std::optional<money::Cents> parse_amount(const QString& text) {
    QString plain = text.trimmed();
    static const QRegularExpression currency(QStringLiteral("^(¥|￥|RMB|CNY)\\s*"));
    plain.remove(currency);
    if (plain.isEmpty() || plain == QLatin1String("-") || plain == QLatin1String("--") ||
        plain == QStringLiteral("—"))
        return 0;
    return money::parse(plain);
}

}  // namespace qb::statement
