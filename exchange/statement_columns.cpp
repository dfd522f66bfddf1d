// The statement's layout: the header row among the first rows, the columns by their titles, and
// mappings kept, given or shown.
#include <QRegularExpression>
#include <algorithm>

#include "errors.h"
#include "statement_detail.h"

namespace qb::statement {
namespace {

using detail::refuse;

constexpr int kHeaderSearch = 20;  // the header row lies among the first rows

// A title as compared: without blanks, asterisks and colons, and what it says in brackets
// apart: "交易金额（收入）" is 交易金额 noted 收入, "余额(元)" is 余额.
struct Title {
    QString base;
    QString note;
};

Title titleOf(const QString& text) {
    static const QRegularExpression noise(QStringLiteral("\\s|\\*|:|：|\\x{feff}"));
    static const QRegularExpression bracketed(QStringLiteral("[(（\\[【]([^)）\\]】]*)[)）\\]】]"));
    Title title;
    QString plain = QString(text).remove(noise);
    for (const QRegularExpressionMatch& m : bracketed.globalMatch(plain))
        title.note += m.captured(1);
    title.base = plain.remove(bracketed);
    return title;
}

// The titles banks give each field, the most usual first.
const QStringList& titlesOf(Field field) {
    static const QStringList known[FieldCount] = {
        {"交易日期", "记账日期", "入账日期", "日期", "交易时间", "记账时间", "发生日期", "账务日期",
         "会计日期"},
        {"摘要", "用途", "附言", "交易摘要", "备注", "业务摘要"},
        {"借方发生额", "支出", "支出金额", "借方金额", "付款金额", "借方", "转出金额"},
        {"贷方发生额", "收入", "收入金额", "贷方金额", "收款金额", "贷方", "转入金额", "存入金额"},
        {"金额", "交易金额", "发生额", "记账金额", "入账金额", "交易额"},
        // 可用余额 is the balance less what is frozen: only where nothing better is there.
        {"余额", "账户余额", "交易后余额", "联机余额", "本次余额", "当前余额", "账面余额",
         "实时余额", "可用余额"},
        {"对方户名", "对方账户名称", "对方名称", "对方账户名", "收/付方名称", "对方单位",
         "对方账户户名"},
        {"流水号", "交易流水号", "业务流水号", "票据号", "支票号", "凭证号", "交易序号"},
        {"借贷", "借贷标志", "借贷方向", "借贷标识", "借/贷", "收支", "收支标志", "收支方向",
         "收/支", "交易方向", "方向", "资金方向", "收付标志", "收付方向"},
        {"交易时间", "时间", "记账时间", "入账时间"},
    };
    return known[field];
}

// The side a money title's note names: 交易金额（收入） holds credits, 记账金额（支出） debits.
std::optional<Field> sideOfNote(const QString& note) {
    for (const char* word : {"贷", "收", "存入", "转入"})
        if (note.contains(QString::fromUtf8(word))) return Credit;
    for (const char* word : {"借", "支", "付", "转出"})
        if (note.contains(QString::fromUtf8(word))) return Debit;
    return std::nullopt;
}

// How well a title names a field: 0 for its most usual title, larger for less usual ones, -1
// for a title that does not name it. A money title with a side in its note is that side's.
int rank(Field field, const Title& title) {
    const std::optional<Field> side = sideOfNote(title.note);
    const qsizetype money = titlesOf(Amount).indexOf(title.base);
    if (money >= 0 && side) return field == *side ? int(100 + money) : -1;
    return int(titlesOf(field).indexOf(title.base));
}

bool isMoney(Field field) {
    return field == Debit || field == Credit || field == Amount || field == Balance;
}

// Whether the column holds an amount other than zero in any row: a placeholder column of "-"
// does not.
bool holdsNumbers(const Table& table, int column) {
    return std::any_of(table.rows.cbegin(), table.rows.cend(), [&](const Row& row) {
        if (column >= row.cells.size()) return false;
        const std::optional<money::Cents> amount = parse_amount(row.cells[column]);
        return amount && *amount != 0;
    });
}

// The columns by their titles; with the table, a money field goes to the first column of its
// titles that holds numbers.
Mapping guessed(const QStringList& texts, const Table* table) {
    std::vector<Title> titles;
    for (const QString& text : texts)
        titles.push_back(titleOf(text));
    Mapping mapping;
    std::vector<bool> taken(titles.size(), false);
    for (int f = 0; f < FieldCount; ++f) {
        std::vector<std::pair<int, int>> candidates;  // rank, column
        for (size_t c = 0; c < titles.size(); ++c)
            if (const int r = rank(Field(f), titles[c]); r >= 0 && !taken[c])
                candidates.emplace_back(r, int(c));
        if (candidates.empty()) continue;
        std::sort(candidates.begin(), candidates.end());
        auto chosen = candidates.begin();
        if (table && isMoney(Field(f))) {
            const auto filled = std::find_if(candidates.begin(), candidates.end(), [&](auto& c) {
                return holdsNumbers(*table, c.second);
            });
            if (filled != candidates.end()) chosen = filled;
        }
        mapping.columns[size_t(f)] = chosen->second;
        taken[size_t(chosen->second)] = true;
    }
    // A pair of money columns says everything; a direction goes with one amount only.
    if (mapping[Debit] >= 0 && mapping[Credit] >= 0) mapping[Amount] = -1;
    if (mapping[Amount] < 0) mapping[Direction] = -1;
    return mapping;
}

int nonEmpty(const QStringList& cells) {
    return int(
        std::count_if(cells.cbegin(), cells.cend(), [](const QString& c) { return !c.isEmpty(); }));
}

bool holdsDate(const QStringList& cells) {
    return std::any_of(cells.cbegin(), cells.cend(),
                       [](const QString& c) { return parse_date(c).isValid(); });
}

// Where the header row is among the rows, or -1.
int headerIndex(const std::vector<Row>& rows) {
    const int search = std::min(int(rows.size()), kHeaderSearch);
    for (int i = 0; i < search; ++i)
        if (guessed(rows[size_t(i)].cells, nullptr).complete()) return i;
    // Titles of its own: a row of several cells whose next row begins a transaction with a date.
    for (int i = 0; i + 1 < search; ++i)
        if (nonEmpty(rows[size_t(i)].cells) >= 3 && !holdsDate(rows[size_t(i)].cells) &&
            holdsDate(rows[size_t(i) + 1].cells))
            return i;
    return -1;
}

detail::Rows rowsOf(const QString& path) {
    const QByteArray bytes = detail::file_bytes(path);
    if (bytes.startsWith("PK\x03\x04")) return detail::xlsx_rows(path, bytes);
    if (bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) return detail::xls_rows(path);
    return detail::text_rows(path, bytes);
}

}  // namespace

bool Mapping::complete() const {
    return columns[Date] >= 0 &&
           (columns[Amount] >= 0 || (columns[Debit] >= 0 && columns[Credit] >= 0));
}

QString field_caption(Field field) {
    static const char* const captions[FieldCount] = {
        "交易日期", "摘要",     "支出（借方）", "收入（贷方）", "金额（收正付负或按借贷方向）",
        "余额",     "对方户名", "流水号",       "借贷方向",     "交易时间"};
    return QString::fromUtf8(captions[field]);
}

QString field_key(Field field) {
    static const char* const keys[FieldCount] = {"date",      "summary", "debit",        "credit",
                                                 "amount",    "balance", "counterparty", "serial",
                                                 "direction", "time"};
    return QString::fromLatin1(keys[field]);
}

Table read_table(const QString& path) {
    detail::Rows read = rowsOf(path);
    std::vector<Row>& rows = read.rows;
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [](const Row& r) { return nonEmpty(r.cells) == 0; }),
               rows.end());
    if (rows.empty()) refuse(path, QStringLiteral("文件是空的"));
    const int header = headerIndex(rows);
    if (header < 0)
        refuse(path, QStringLiteral("不像银行对账单：前 %1 行中没有“交易日期”和金额等栏目的标题行")
                         .arg(kHeaderSearch));
    Table table;
    table.path = path;
    table.encoding = read.encoding;
    table.headerLine = rows[size_t(header)].line;
    table.titles = rows[size_t(header)].cells;
    table.rows.assign(std::make_move_iterator(rows.begin() + header + 1),
                      std::make_move_iterator(rows.end()));
    return table;
}

Mapping guess_mapping(const Table& table) {
    return guessed(table.titles, &table);
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

Mapping kept_or_guessed(const Table& table, const QString& keptMapping) {
    if (std::optional<Mapping> kept = mapping_from_text(keptMapping, table.titles)) return *kept;
    return guess_mapping(table);
}

Mapping mapping_from_columns(const QString& spec, const QStringList& titles) {
    Mapping mapping;
    for (const QString& pair : spec.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString key = pair.section(QLatin1Char('='), 0, 0).trimmed();
        const QString column = pair.section(QLatin1Char('='), 1).trimmed();
        int field = 0;
        while (field < FieldCount && field_key(Field(field)) != key)
            ++field;
        if (field == FieldCount || !pair.contains(QLatin1Char('=')))
            throw DbError(QStringLiteral("列的指定“%1”无法识别：应为“字段=标题或列号”，字段为 "
                                         "date、summary、debit、credit、amount、balance、"
                                         "counterparty、serial、direction、time")
                              .arg(pair));
        bool numbered = false;
        const int number = column.toInt(&numbered);
        const int at = numbered ? number - 1 : int(titles.indexOf(column));
        if (at < 0 || at >= titles.size())
            throw DbError(QStringLiteral("列的指定“%1”：对账单的标题行（%2）中没有这一列")
                              .arg(pair, titles.join(QStringLiteral("，"))));
        mapping.columns[size_t(field)] = at;
    }
    if (!mapping.complete())
        throw DbError(
            QStringLiteral("列的指定不全：至少要有 date，以及 debit 和 credit 两列或一列 "
                           "amount"));
    return mapping;
}

QString mapping_description(const Mapping& mapping, const QStringList& titles) {
    QStringList parts;
    for (int f = 0; f < FieldCount; ++f)
        if (const int c = mapping.columns[size_t(f)]; c >= 0)
            parts << QStringLiteral("%1=“%2”（第 %3 列）")
                         .arg(field_caption(Field(f)), c < titles.size() ? titles[c] : QString())
                         .arg(c + 1);
    return parts.join(QStringLiteral("，"));
}

}  // namespace qb::statement
