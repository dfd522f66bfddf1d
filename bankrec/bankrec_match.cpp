// Ticking off: the automatic matching, ticks by hand and the arithmetic of the reconciliation
// statement.
#include <QHash>
#include <algorithm>
#include <tuple>

#include "bankrec.h"
#include "errors.h"

namespace qb::bankrec {
namespace {

struct Candidate {
    int bank;
    int book;
    qint64 days;
    bool numbered;  // the ticket number agrees with the statement's serial number
};

bool numbersAgree(const BankItem& bank, const BookItem& book) {
    const QString serial = bank.serial.trimmed();
    return !serial.isEmpty() && serial == book.ticket.trimmed();
}

}  // namespace

std::vector<int> Reconciliation::bookMatches() const {
    std::vector<int> matches(book.size(), -1);
    for (size_t i = 0; i < match.size(); ++i)
        if (match[i] >= 0) matches[size_t(match[i])] = int(i);
    return matches;
}

Groups Reconciliation::groups() const {
    Groups g;
    for (size_t i = 0; i < bank.size(); ++i)
        if (match[i] < 0)
            (bank[i].amount > 0 ? g.bankReceived : g.bankPaid) += qAbs(bank[i].amount);
    const std::vector<int> matches = bookMatches();
    for (size_t j = 0; j < book.size(); ++j)
        if (matches[j] < 0)
            (book[j].amount > 0 ? g.bookReceived : g.bookPaid) += qAbs(book[j].amount);
    g.adjustedBook = bookClosing + g.bankReceived - g.bankPaid;
    g.adjustedBank = bankClosing + g.bookReceived - g.bookPaid;
    return g;
}

void match(Reconciliation& rec) {
    rec.match.resize(rec.bank.size(), -1);
    std::vector<int> matched = rec.bookMatches();
    // The free journal lines of each amount, by date, so that each statement line looks only at
    // the days within the tolerance.
    QHash<Cents, std::vector<int>> byAmount;
    for (size_t j = 0; j < rec.book.size(); ++j)
        if (matched[j] < 0) byAmount[rec.book[j].amount].push_back(int(j));
    for (std::vector<int>& lines : byAmount)
        std::stable_sort(lines.begin(), lines.end(), [&](int a, int b) {
            return rec.book[size_t(a)].date < rec.book[size_t(b)].date;
        });
    std::vector<Candidate> candidates;
    for (size_t i = 0; i < rec.bank.size(); ++i) {
        if (rec.match[i] >= 0) continue;
        const BankItem& item = rec.bank[i];
        const auto lines = byAmount.constFind(item.amount);
        if (lines == byAmount.cend()) continue;
        const QDate from = item.date.addDays(-rec.tolerance);
        auto at = std::lower_bound(lines->begin(), lines->end(), from, [&](int j, const QDate& d) {
            return rec.book[size_t(j)].date < d;
        });
        for (; at != lines->end(); ++at) {
            const BookItem& line = rec.book[size_t(*at)];
            const qint64 days = item.date.daysTo(line.date);
            if (days > rec.tolerance) break;
            candidates.push_back({int(i), *at, qAbs(days), numbersAgree(item, line)});
        }
    }
    // Agreeing numbers first, then the closest dates; ties in statement and journal order.
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return std::make_tuple(!a.numbered, a.days, a.bank, a.book) <
               std::make_tuple(!b.numbered, b.days, b.bank, b.book);
    });
    for (const Candidate& c : candidates)
        if (rec.match[size_t(c.bank)] < 0 && matched[size_t(c.book)] < 0) {
            rec.match[size_t(c.bank)] = c.book;
            matched[size_t(c.book)] = c.bank;
        }
}

void tick(Reconciliation& rec, int bankIndex, int bookIndex) {
    if (bankIndex < 0 || bankIndex >= int(rec.bank.size()) || bookIndex < 0 ||
        bookIndex >= int(rec.book.size()))
        throw DbError(QStringLiteral("请在左边选一笔银行流水、在右边选一笔日记帐再勾对。"));
    if (rec.match[size_t(bankIndex)] >= 0 || rec.bookMatches()[size_t(bookIndex)] >= 0)
        throw DbError(QStringLiteral("所选的流水或日记帐已经勾对过了，请先取消勾对。"));
    const Cents bank = rec.bank[size_t(bankIndex)].amount;
    const Cents book = rec.book[size_t(bookIndex)].amount;
    if (bank != book)
        throw DbError(QStringLiteral("金额或方向不同，不能勾对：银行流水 %1，日记帐 %2。")
                          .arg(money::grouped(bank), money::grouped(book)));
    rec.match[size_t(bankIndex)] = bookIndex;
}

void untick(Reconciliation& rec, int bankIndex) {
    if (bankIndex >= 0 && bankIndex < int(rec.match.size())) rec.match[size_t(bankIndex)] = -1;
}

}  // namespace qb::bankrec
