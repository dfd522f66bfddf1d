#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "cashlimit.h"
#include "money.h"

class Tdat;

// The daily fund report (资金日报表): for a day, or a run of days read as one period, every enabled
// book grouped by category with the balance it brings in (昨日余额), the money in and out
// (本日收入, 本日支出), its closing balance (本日余额) and its number of lines (笔数), a subtotal
// per category and a grand total. The figures are qb::figures' (figures::movement), so each row
// holds brought in + in − out = closing to the cent, and the closing balance is the journal's
// after the last line of the last day. A cash book whose last day ends above its limit or below
// zero is marked.
namespace qb::dailyreport {

using money::Cents;

struct Amounts {
    Cents broughtIn = 0;
    Cents debit = 0;
    Cents credit = 0;
    Cents closing = 0;
    int lines = 0;
};
Amounts& operator+=(Amounts& sum, const Amounts& a);

struct Row {
    QString bookId;
    QString name;
    QString category;
    QString account;
    Amounts amounts;
    std::optional<Cents> limit;  // a cash book's 库存现金限额
    cashlimit::Standing standing = cashlimit::Standing::Within;
};

struct Group {
    QString category;
    std::vector<Row> rows;  // by name
    Amounts subtotal;
};

struct Report {
    QDate first;
    QDate last;
    std::vector<Group> groups;  // 现金日记帐, 银行日记帐, 银行卡 first, then by category
    Amounts total;
};

// The report of the days first..last (one day when they are equal). Every enabled book is
// listed but one that starts after the last day; a book that starts within the period brings in
// its opening amount. Refuses (qb::DbError) a period whose end comes before its start.
Report report_of(Tdat& dat, const QDate& first, const QDate& last);

// The period as the report's heading says it: "2026-12-09", or "2026-12-07 至 2026-12-09".
QString period_text(const Report& report);

// The report as a table, in the order it prints: each book's row, each category's subtotal
// ("小计") under its books, the grand total ("合计") at the end; what the window, the printout,
// the workbook and the CSV show alike.
struct Line {
    enum class Kind { Book, Subtotal, Total };
    Kind kind = Kind::Book;
    QString category;
    QString name;  // the book's name; "小计" or "合计"
    QString account;
    Amounts amounts;
    QString mark;     // cashlimit::mark of the book's standing
    QString warning;  // cashlimit::warning, for a tooltip or a note
};
std::vector<Line> lines(const Report& report);

// The columns of that table, as every output heads them.
inline const QStringList kColumns = {
    QStringLiteral("账簿类别"), QStringLiteral("账簿名称"), QStringLiteral("账号"),
    QStringLiteral("昨日余额"), QStringLiteral("本日收入"), QStringLiteral("本日支出"),
    QStringLiteral("本日余额"), QStringLiteral("笔数"),     QStringLiteral("提示")};

}  // namespace qb::dailyreport
