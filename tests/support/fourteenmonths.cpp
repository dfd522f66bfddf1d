#include "fourteenmonths.h"

#include "templedger.h"

namespace L = qb::ledger;

L::LineFields lineFields(const QDate& date, int voucher, const QString& summary,
                         qb::money::Cents debit, qb::money::Cents credit) {
    L::LineFields line;
    line.date = date;
    line.voucher = voucher;
    line.summary = summary;
    line.debit = debit;
    line.credit = credit;
    line.handler = "admin";
    return line;
}

namespace {

const QDate kStart(2025, 11, 10);
constexpr int kMonths = 14, kPosted = 4;

QDate monthOf(int m) {
    return QDate(2025, 11, 1).addMonths(m);
}

}  // namespace

QString fourteenMonthBook(TempLedger& t, const std::function<void()>& afterReversal) {
    const QString book = t.cashBook("总部", 100000, kStart);
    std::vector<L::LineFields> lines;
    for (int m = 0; m < kMonths; ++m) {
        lines.push_back(lineFields(monthOf(m).addDays(14), 1, "收款", (m + 1) * 10000, 0));
        lines.push_back(lineFields(monthOf(m).addDays(14), 2, "付款", 0, 5000));
    }
    L::insert_lines(t.dat, book, lines);
    for (int m = 0; m < kPosted; ++m)
        L::post_month(t.dat, book, monthOf(m));
    const qint64 payment =
        t.dat.scalar("select rowid from crereg where zbh=? and dzrq='2025-12-15' and pzh=2", {book})
            .toLongLong();
    L::reverse_line(t.dat, payment, "admin");
    if (afterReversal) afterReversal();
    L::update_book(t.dat, book, {"现金日记帐", "总部", {}, 150000, kStart}, true);
    return book;
}

std::vector<StoryMonth> fourteenMonthFigures() {
    std::vector<StoryMonth> months;
    qb::money::Cents closing = 150000, cumDebit = 0, cumCredit = 0, yearDebit = 0, yearCredit = 0;
    for (int m = 0; m < kMonths; ++m) {
        StoryMonth s;
        s.month = monthOf(m);
        if (s.month.month() == 1) yearDebit = yearCredit = 0;
        // December's payment and its reversal cancel out: three lines, no credit.
        s.debit = (m + 1) * 10000;
        s.credit = m == 1 ? 0 : 5000;
        s.lines = m == 1 ? 3 : 2;
        s.broughtIn = closing;
        closing += s.debit - s.credit;
        cumDebit += s.debit, cumCredit += s.credit, yearDebit += s.debit, yearCredit += s.credit;
        s.cumulativeDebit = cumDebit, s.cumulativeCredit = cumCredit;
        s.yearDebit = yearDebit, s.yearCredit = yearCredit;
        s.closing = closing;
        s.posted = m < kPosted;
        months.push_back(s);
    }
    return months;
}
