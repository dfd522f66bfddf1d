#include "dailyreport.h"

#include <algorithm>
#include <map>

#include "balances.h"
#include "errors.h"
#include "figures.h"
#include "fr_dat.h"
#include "months.h"
#include "rowreading.h"

namespace qb::dailyreport {
namespace {

// The usual categories in the order a cashier reads them; any other follows by its name.
int categoryRank(const QString& category) {
    static const QStringList kUsual = {cashlimit::kCashCategory, QStringLiteral("银行日记帐"),
                                       QStringLiteral("银行卡")};
    const qsizetype at = kUsual.indexOf(category);
    return at < 0 ? int(kUsual.size()) : int(at);
}

bool categoryBefore(const QString& a, const QString& b) {
    const int ra = categoryRank(a), rb = categoryRank(b);
    return ra != rb ? ra < rb : a < b;
}

Row rowOf(Tdat& dat, Row row, const QDate& first, const QDate& last) {
    const figures::Movement m = figures::movement(dat, row.bookId, first, last);
    row.amounts = {m.broughtIn, m.period.debit, m.period.credit, m.closing, m.period.lines};
    if (cashlimit::is_cash_category(row.category)) {
        row.limit = cashlimit::limit(dat, row.bookId);
        row.standing = cashlimit::judge(m.closing, row.limit);
    }
    return row;
}

}  // namespace

Amounts& operator+=(Amounts& sum, const Amounts& a) {
    sum.broughtIn += a.broughtIn;
    sum.debit += a.debit;
    sum.credit += a.credit;
    sum.closing += a.closing;
    sum.lines += a.lines;
    return sum;
}

Report report_of(Tdat& dat, const QDate& first, const QDate& last) {
    if (!first.isValid() || !last.isValid())
        throw DbError(QStringLiteral("请给出资金日报表的日期。"));
    if (last < first)
        throw DbError(QStringLiteral("资金日报表的结束日期 %1 早于开始日期 %2。")
                          .arg(months::iso(last), months::iso(first)));
    Report report{first, last, {}, {}};
    std::vector<Row> books;
    rowreading::eachRow(
        dat,
        QStringLiteral("select zbid,zblb,zbmc,zh,flag,qyrq from accstar order by "
                       "zblb,zbmc,zbid"),
        {}, [&](engine::Statement& s) {
            const QDate start = QDate::fromString(s.value(5).toString().left(10), Qt::ISODate);
            if (!balances::is_enabled(s.value(4).toString()) || (start.isValid() && start > last))
                return;
            Row row;
            row.bookId = s.value(0).toString();
            row.category = s.value(1).toString();
            row.name = s.value(2).toString();
            row.account = s.value(3).toString();
            books.push_back(std::move(row));
        });
    std::stable_sort(books.begin(), books.end(), [](const Row& a, const Row& b) {
        return a.category != b.category && categoryBefore(a.category, b.category);
    });
    for (Row& book : books) {
        Row row = rowOf(dat, std::move(book), first, last);
        if (report.groups.empty() || report.groups.back().category != row.category)
            report.groups.push_back({row.category, {}, {}});
        Group& group = report.groups.back();
        group.subtotal += row.amounts;
        report.total += row.amounts;
        group.rows.push_back(std::move(row));
    }
    return report;
}

QString period_text(const Report& report) {
    return report.first == report.last
               ? months::iso(report.first)
               : QStringLiteral("%1 至 %2")
                     .arg(months::iso(report.first), months::iso(report.last));
}

std::vector<Line> lines(const Report& report) {
    std::vector<Line> result;
    for (const Group& group : report.groups) {
        for (const Row& row : group.rows)
            result.push_back({Line::Kind::Book, row.category, row.name, row.account, row.amounts,
                              cashlimit::mark(row.standing),
                              cashlimit::warning(row.name, report.last, row.standing,
                                                 row.amounts.closing, row.limit)});
        result.push_back({Line::Kind::Subtotal,
                          group.category,
                          QStringLiteral("小计"),
                          {},
                          group.subtotal,
                          {},
                          {}});
    }
    result.push_back({Line::Kind::Total, {}, QStringLiteral("合计"), {}, report.total, {}, {}});
    return result;
}

}  // namespace qb::dailyreport
