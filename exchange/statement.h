#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>
#include <array>
#include <optional>
#include <vector>

#include "money.h"

// A bank statement as Chinese banks export it: a CSV file (RFC 4180) in UTF-8 or GB18030, or the
// first sheet of a workbook (.xlsx or the older .xls); a few lines about the account, then a
// header row whose titles name the columns, then one row per transaction. Every failure is a
// qb::DbError whose message names the file and, for a row that does not read, its line.
namespace qb::statement {

// What a column of the statement holds. Debit and credit are the bank's: 借方 (支出) is money
// out of the account, 贷方 (收入) money in; a statement has either both or one amount, signed
// or with a direction column (借/贷, 收/支) that gives its side. The numbers are kept with each
// book's mapping: new fields go at the end.
enum Field {
    Date,
    Summary,
    Debit,
    Credit,
    Amount,
    Balance,
    Counterparty,
    Serial,
    Direction,
    Time,
    FieldCount
};

// The column index of each field, -1 where the statement has none.
struct Mapping {
    std::array<int, FieldCount> columns = none();
    int& operator[](Field field) { return columns[field]; }
    int operator[](Field field) const { return columns[field]; }
    // A date, and money either as debit and credit or as one amount.
    bool complete() const;
    bool operator==(const Mapping&) const = default;

private:
    static constexpr std::array<int, FieldCount> none() {
        std::array<int, FieldCount> columns{};
        columns.fill(-1);
        return columns;
    }
};

// The caption of a field as the mapping dialog and messages show it, and its name in
// `reconcile --columns` (date, summary, debit, credit, amount, balance, counterparty, serial,
// direction, time).
QString field_caption(Field field);
QString field_key(Field field);

// The file's rows below the header, with the line (or sheet row) each begins on.
struct Row {
    int line = 0;
    QStringList cells;
};
struct Table {
    QString path;
    QString encoding;  // "UTF-8", "GB18030", the byte-order mark's, or the workbook's kind
    int headerLine = 0;
    QStringList titles;
    std::vector<Row> rows;
};

// The largest statement file read, in bytes; a workbook's unpacked parts have a bound of their own.
inline constexpr qint64 kMaxFileBytes = 50LL * 1024 * 1024;

// Reads the file and finds its header row among the first lines: the first row that holds a
// date title and a money title, else the first row of several cells followed by a row with a
// date. Only a regular file up to kMaxFileBytes is read; a text file must be valid UTF-8 or
// GB18030 throughout. A missing, empty or unreadable file, broken quoting and a file without
// such a row are refused.
Table read_table(const QString& path);

// The columns the titles name (交易日期/记账日期, 摘要/用途/附言, 借方发生额/支出, 贷方发生额/收入,
// 金额/交易金额 with 借贷/收支, 余额/本次余额/账户余额, 对方户名, 流水号/交易流水号, 交易时间 and
// their usual variants). Where several columns could hold a field, the one whose cells hold
// numbers is taken (a pair of money columns filled with "-" is passed over), and 可用余额 only
// without another balance. Incomplete when the titles are not known.
Mapping guess_mapping(const Table& table);

// A mapping kept by its titles, so that it fits the next file of the same layout whatever the
// lines above its header: "field=title" pairs separated by newlines.
QString mapping_text(const Mapping& mapping, const QStringList& titles);
// The kept mapping applied to a header; nothing when one of its titles is not there.
std::optional<Mapping> mapping_from_text(const QString& text, const QStringList& titles);
// The kept mapping if it fits the header, else the guessed one (incomplete when not known).
Mapping kept_or_guessed(const Table& table, const QString& keptMapping);
// A mapping given as "date=交易日期,amount=3,…": field names (field_key) with a title or a
// column number from 1. Refused naming what does not fit the header; must be complete.
Mapping mapping_from_columns(const QString& spec, const QStringList& titles);
// "交易日期=“交易日期”（第 1 列），…": the columns a mapping reads, for messages.
QString mapping_description(const Mapping& mapping, const QStringList& titles);

// One transaction of the statement.
struct Line {
    int fileLine = 0;
    QDate date;
    QTime time;  // when the statement gives one
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

// The rows as transactions through the mapping; an incomplete mapping is refused with the
// titles found. Totals (a row without a date that says 合计,
// 总计 or 小计, or one whose leading cell or summary is that word alone), notes without money
// and rows of no amount are skipped. Refused, with the line: a date, amount, balance or
// direction that does not read, an amount or balance beyond money::kLimit, sums beyond it, and
// balances that do not chain (each the one before plus its amount, in the order the chain or
// else the dates give), naming the columns read, so that a wrong mapping never passes.
Statement parse(const Table& table, const Mapping& mapping);

// Reads a statement whose layout is known: the kept mapping if it fits, else the guessed one.
Statement read(const QString& path, const QString& keptMapping = {});

// Dates in the forms banks write them: 2024-05-01, 2024/5/1, 2024.5.1, 2024年5月1日, 20240501,
// each optionally followed by a time. Invalid when the text is none of them.
QDate parse_date(const QString& text);
// The time of day in a cell that has one ("10:22:33", "2024-05-01 10:22", "102233" after a
// compact date); invalid when it has none.
QTime parse_time(const QString& text);
// An amount as banks write it: thousands separators, a currency sign, at most two decimals.
// Empty (or a lone dash) is zero; anything else that does not read gives nothing.
std::optional<money::Cents> parse_amount(const QString& text);

}  // namespace qb::statement
