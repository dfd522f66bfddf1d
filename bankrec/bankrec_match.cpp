// Ticking off: the automatic matching, ticks by hand and the arithmetic of the reconciliation
// statement.
#include <QHash>

#include "bankrec.h"
#include "errors.h"

namespace qb::bankrec {
namespace {

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
    // The free journal lines of each amount and day, in journal order; lines before a day's
    // cursor are all ticked.
    struct Day {
        std::vector<int> lines;
        size_t next = 0;
    };
    QHash<std::pair<Cents, qint64>, Day> days;
    for (size_t j = 0; j < rec.book.size(); ++j)
        if (matched[j] < 0)
            days[{rec.book[j].amount, rec.book[j].date.toJulianDay()}].lines.push_back(int(j));
    // The first free line of the item's amount on the day (whose ticket agrees, when numbered).
    const auto firstFree = [&](const BankItem& item, qint64 day, bool numbered) {
        const auto found = days.find({item.amount, day});
        if (found == days.end()) return -1;
        Day& d = *found;
        while (d.next < d.lines.size() && matched[size_t(d.lines[d.next])] >= 0)
            ++d.next;
        for (size_t k = d.next; k < d.lines.size(); ++k) {
            const int j = d.lines[k];
            if (matched[size_t(j)] < 0 && (!numbered || numbersAgree(item, rec.book[size_t(j)])))
                return j;
        }
        return -1;
    };
    // Agreeing numbers first, then the closest dates; ties in statement and journal order. Day
    // by day of distance, so no list of every possible pair is made (many equal amounts would
    // make it very long).
    for (const bool numbered : {true, false})
        for (qint64 apart = 0; apart <= rec.tolerance; ++apart)
            for (size_t i = 0; i < rec.bank.size(); ++i) {
                const BankItem& item = rec.bank[i];
                if (rec.match[i] >= 0 || (numbered && item.serial.trimmed().isEmpty())) continue;
                const qint64 day = item.date.toJulianDay();
                int j = firstFree(item, day - apart, numbered);
                if (apart > 0) {
                    const int later = firstFree(item, day + apart, numbered);
                    if (later >= 0 && (j < 0 || later < j)) j = later;
                }
                if (j < 0) continue;
                rec.match[i] = j;
                matched[size_t(j)] = int(i);
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
