#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

#include "money.h"

// A bank statement as Chinese banks export it: a CSV file (RFC 4180) in UTF-8 or GB18030, a few
// lines about the account, then a header row whose titles name the columns, then one row per
// transaction. Every failure is a qb::DbError whose message names the file and, for a row that
// does not read, its line.
namespace qb::statement {

// What a column of the statement holds. Debit and credit are the bank's: 借方 (支出) is money
// out of the account, 贷方 (收入) money in; a statement has either both or one signed amount.
enum Field { Date, Summary, Debit, Credit, Amount, Balance, Counterparty, Serial, FieldCount };

// The column index of each field, -1 where the statement has none.
struct Mapping {
    std::array<int, FieldCount> columns{-1, -1, -1, -1, -1, -1, -1, -1};
    int& operator[](Field field) { return columns[field]; }
    int operator[](Field field) const { return columns[field]; }
    // A date, and money either as debit and credit or as one signed amount.
    bool complete() const;
    bool operator==(const Mapping&) const = default;
};

// The caption of a field as the mapping dialog and messages show it.
QString field_caption(Field field);

// The file's rows below the header, with the line each begins on.
struct Row {
    int line = 0;
    QStringList cells;
};
struct Table {
    QString path;
    QString encoding;  // "UTF-8", "GB18030" or the byte-order mark's
    int headerLine = 0;
    QStringList titles;
    std::vector<Row> rows;
};

// Reads and decodes the file and finds its header row among the first lines: the first row that
// holds a date title and a money title, else the first row of several cells followed by a row
// with a date. A missing, empty or unreadable file, broken quoting and a file without such a row
// are refused.
Table read_table(const QString& path);

// The columns the titles name (交易日期/记账日期, 摘要/用途/附言, 借方发生额/支出, 贷方发生额/收入,
// 金额/交易金额, 余额, 对方户名, 流水号/交易流水号 and their usual variants); incomplete when the
// titles are not known.
Mapping guess_mapping(const QStringList& titles);

// A mapping kept by its titles, so that it fits the next file of the same layout whatever the
// lines above its header: "field=title" pairs separated by newlines.
QString mapping_text(const Mapping& mapping, const QStringList& titles);
// The kept mapping applied to a header; nothing when one of its titles is not there.
std::optional<Mapping> mapping_from_text(const QString& text, const QStringList& titles);

// One transaction of the statement.
struct Line {
    int fileLine = 0;
    QDate date;
    QString summary;
    QString counterparty;
    QString serial;
    money::Cents amount = 0;  // money into the account positive, out of it negative
    std::optional<money::Cents> balance;
};

struct Statement {
    QString path;
    QString encoding;
    std::vector<Line> lines;  // oldest first, whatever order the file has
    bool hasBalance = false;  // every line carries the balance after it
    int skipped = 0;          // rows below the header that are no transactions (totals, notes)
    // The opening balance (first balance less its amount) and the closing balance (the last),
    // when the statement has balances.
    std::optional<money::Cents> opening() const;
    std::optional<money::Cents> closing() const;
};

// The rows as transactions through the mapping. A row without any amount (a note) or one that
// says it is a total (合计, 总计, 小计) is skipped; a date or amount that does not read is refused
// with its line.
Statement parse(const Table& table, const Mapping& mapping);

// Reads a statement whose layout is known: the kept mapping if it fits, else the guessed one; a
// layout that cannot be guessed is refused with the titles found.
Statement read(const QString& path, const QString& keptMapping = {});

// Dates in the forms banks write them: 2024-05-01, 2024/5/1, 2024.5.1, 2024年5月1日, 20240501,
// each optionally followed by a time. Invalid when the text is none of them.
QDate parse_date(const QString& text);
// An amount as banks write it: thousands separators, a currency sign, at most two decimals.
// Empty (or a lone dash) is zero; anything else that does not read gives nothing.
std::optional<money::Cents> parse_amount(const QString& text);

}  // namespace qb::statement
