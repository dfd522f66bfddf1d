#include "check.h"

#include <QDate>
#include <map>
#include <optional>
#include <set>
#include <tuple>

#include "errors.h"
#include "figures.h"
#include "fr_dat.h"
#include "ledger.h"
#include "money.h"
#include "months.h"
#include "rowkinds.h"

namespace qb::check {
namespace {

using money::Cents;

struct Figures {
    Cents debit = 0;
    Cents credit = 0;
    Cents balance = 0;
};

struct Month {
    // The month's lines in journal order.
    struct Line {
        QString day;
        QString summary;
        Cents debit, credit, balance;
    };
    std::vector<Line> lines;
    std::optional<Cents> journalCarry;  // the carry-forward row in crereg
    // Rows in total by summary.
    std::optional<Cents> totalCarry;
    std::optional<Figures> monthTotal;
    std::optional<Figures> cumulative;
    QStringList totalDays;  // the day of every total row
    // The amounts of its reversal and correcting entries: what may wait to be posted again.
    std::vector<Figures> adjustments;
};

struct Book {
    QString id;
    QString name;
    QString category;
    QDate start;
    Cents opening = 0;
    std::map<QString, Month> months;  // by "YYYY-MM"
    // The opening rows of crereg and of total: day and balance.
    std::vector<std::pair<QString, Cents>> journalOpenings, totalOpenings;
};

Cents cents(const QVariant& v) {
    return v.isNull() ? 0 : money::toCents(v.toDouble());
}

QString monthOf(const QString& day) {
    return day.left(7);
}

QString nextMonthOf(const QString& month) {
    return months::monthText(
        QDate::fromString(month + QStringLiteral("-01"), Qt::ISODate).addMonths(1));
}

std::vector<Book> readBooks(Tdat& dat) {
    std::vector<Book> books;
    engine::Statement& s = dat.con().prepare(
        QStringLiteral("select zbid,zbmc,zblb,qyrq,qcye from accstar order by zbid"));
    s.bind({});
    while (s.step())
        books.push_back({s.value(0).toString(),
                         s.value(1).toString(),
                         s.value(2).toString(),
                         QDate::fromString(s.value(3).toString().left(10), Qt::ISODate),
                         cents(s.value(4)),
                         {},
                         {},
                         {}});
    return books;
}

void readRows(Tdat& dat, Book& book) {
    engine::Statement& lines = dat.con().prepare(
        QStringLiteral("select dzrq,zy,j_je,d_je,y_je from crereg where zbh=? order by ") +
        ledger::journal_order());
    lines.bind({book.id});
    while (lines.step()) {
        const QString day = lines.value(0).toString(), summary = lines.value(1).toString();
        Month& month = book.months[monthOf(day)];
        month.lines.push_back(
            {day, summary, cents(lines.value(2)), cents(lines.value(3)), cents(lines.value(4))});
        if (summary == rows::kCarry) month.journalCarry = cents(lines.value(4));
        if (summary == rows::kOpening) book.journalOpenings.push_back({day, cents(lines.value(4))});
        if (rows::isReversal(summary) || summary.startsWith(rows::kCorrectingPrefix)) {
            const Cents debit = cents(lines.value(2)), credit = cents(lines.value(3));
            month.adjustments.push_back({debit, credit, debit - credit});
        }
    }
    engine::Statement& totals = dat.con().prepare(
        QStringLiteral("select dzrq,zy,j_je,d_je,y_je from total where zbh=? order by rowid"));
    totals.bind({book.id});
    while (totals.step()) {
        const QString day = totals.value(0).toString();
        Month& month = book.months[monthOf(day)];
        month.totalDays << day;
        const QString summary = totals.value(1).toString();
        const Figures figures{cents(totals.value(2)), cents(totals.value(3)),
                              cents(totals.value(4))};
        if (summary == rows::kCarry)
            month.totalCarry = figures.balance;
        else if (summary == rows::kOpening)
            book.totalOpenings.push_back({day, figures.balance});
        else if (summary == rows::kMonthTotal && !month.monthTotal)
            month.monthTotal = figures;
        else if (summary == rows::kCumulative && !month.cumulative)
            month.cumulative = figures;
    }
}

QString figuresText(const Figures& f) {
    return QStringLiteral("借 %1 贷 %2 余 %3")
        .arg(money::text(f.debit), money::text(f.credit), money::text(f.balance));
}

class BookCheck {
public:
    BookCheck(const Book& book, std::vector<Problem>& problems)
        : book_(book), problems_(problems) {}

    void run(Tdat& dat) {
        if (book_.months.empty()) return;  // not initialized: nothing to compare yet
        if (!book_.start.isValid()) {
            report({}, QStringLiteral("帐簿没有启用日期"));
            for (const auto& [month, content] : book_.months)
                report(month, chain(content, std::nullopt, false));
            return;
        }
        startMonth_ = months::monthText(book_.start);
        firstOpen_ = months::monthText(ledger::first_open_month(dat, book_.id));
        opening();
        const Month* previous = nullptr;
        QString previousMonth;
        for (const auto& [month, content] : book_.months) {
            const QDate first = QDate::fromString(month + QStringLiteral("-01"), Qt::ISODate);
            outsideLife(month, content);
            const bool posted = month >= startMonth_ && month < firstOpen_;
            // A broken chain is a fault whatever else the month holds.
            report(month, chain(content, figures::brought_in(dat, book_.id, first), !posted));
            if (month > startMonth_ && month <= nextMonthOf(firstOpen_))
                report(month, carry(content));
            if (!posted) continue;
            const bool follows = previous && nextMonthOf(previousMonth) == month;
            const auto next = book_.months.find(nextMonthOf(month));
            againstLines(month, content, figures::month(dat, book_.id, first));
            storedTotals(month, content, follows ? previous->cumulative : std::nullopt,
                         next == book_.months.end() ? nullptr : &next->second);
            previous = &content;
            previousMonth = month;
        }
    }

private:
    void report(const QString& month, const QString& text, bool fault = true) {
        problems_.push_back({book_.id, month, text, fault});
    }
    void report(const QString& month, const std::vector<QString>& texts) {
        for (const QString& text : texts)
            report(month, text);
    }

    void opening() {
        const QString amount = money::text(book_.opening);
        const auto compare = [&](const std::vector<std::pair<QString, Cents>>& rows,
                                 const QString& where) {
            if (rows.empty()) report(startMonth_, where + QStringLiteral("缺少期初余额行"));
            for (const auto& [day, balance] : rows) {
                if (balance != book_.opening)
                    report(monthOf(day), QStringLiteral("%1的期初余额行为 %2，帐簿的期初金额为 %3")
                                             .arg(where, money::text(balance), amount));
                if (day != months::iso(book_.start))
                    report(monthOf(day), QStringLiteral("%1的期初余额行日期为 %2，启用日期为 %3")
                                             .arg(where, day, months::iso(book_.start)));
            }
        };
        compare(book_.journalOpenings, QStringLiteral("日记帐"));
        compare(book_.totalOpenings, QStringLiteral("total "));
        const auto start = book_.months.find(startMonth_);
        if (start == book_.months.end()) return;
        const Month& first = start->second;
        if (!first.monthTotal || !first.cumulative)
            report(startMonth_, QStringLiteral("启用月份缺少本月合计或本月累计行"));
        // The start month is opened by its opening row; a carry-forward row there came from
        // posting a month before the book's life.
        if (first.journalCarry || first.totalCarry)
            report(startMonth_, QStringLiteral("启用月份中有月结转余额行"));
    }

    // Rows before the start date, and posting rows beyond the month after the first open one.
    void outsideLife(const QString& month, const Month& content) {
        const QString start = months::iso(book_.start);
        int early = 0;
        for (const Month::Line& line : content.lines)
            early += line.day < start;
        for (const QString& day : content.totalDays)
            early += day < start;
        if (early > 0)
            report(month,
                   QStringLiteral("有 %1 行的日期早于帐簿的启用日期 %2").arg(early).arg(start));
        if (month <= nextMonthOf(firstOpen_)) return;
        const int posting = int(content.totalDays.size()) + (content.journalCarry ? 1 : 0);
        if (posting > 0)
            report(
                month,
                QStringLiteral("有 %1 行过帐数据，但 %2 还没有过帐").arg(posting).arg(firstOpen_));
    }

    // The month's lines against the balance it brings in and each against the one before.
    std::vector<QString> chain(const Month& content, std::optional<Cents> broughtIn, bool open) {
        for (size_t i = 0; i < content.lines.size(); ++i) {
            const Month::Line& line = content.lines[i];
            if (rows::isMarker(line.summary)) continue;  // it brings its own balance in
            if (i == 0 && !broughtIn) continue;
            const Cents before = i == 0 ? *broughtIn : content.lines[i - 1].balance;
            const Cents expected = before + line.debit - line.credit;
            if (line.balance == expected) continue;
            if (i == 0)
                return {QStringLiteral("余额没有从上月的期末余额 %1 接续：%2「%3」余额为 %4，"
                                       "应为 %5%6")
                            .arg(money::text(before), line.day, line.summary,
                                 money::text(line.balance), money::text(expected),
                                 open ? QStringLiteral("（旧版本写成的账本：用本版本的程序、"
                                                       "post 或 add 打开一次即可重新接续）")
                                      : QString())};
            // The first break of a month says enough.
            return {
                QStringLiteral("余额不连续：%1「%2」余额为 %3，应为 %4")
                    .arg(line.day, line.summary, money::text(line.balance), money::text(expected))};
        }
        return {};
    }

    std::vector<QString> carry(const Month& content) {
        if (content.journalCarry.has_value() == content.totalCarry.has_value()) return {};
        return {content.journalCarry ? QStringLiteral("total 中缺少月结转余额行")
                                     : QStringLiteral("日记帐中缺少月结转余额行")};
    }

    // The stored rows of a posted month among themselves: its month total is its cumulative row
    // less the one before, and its balance is what the next month's carry-forward rows bring in.
    void storedTotals(const QString& month, const Month& content,
                      std::optional<Figures> cumulativeBefore, const Month* next) {
        for (const auto& [row, summary] : {std::pair{&content.monthTotal, rows::kMonthTotal},
                                           std::pair{&content.cumulative, rows::kCumulative}})
            if (!*row) report(month, QStringLiteral("已结帐，但缺少%1行").arg(summary));
        if (!content.monthTotal || !content.cumulative) return;
        const Figures& total = *content.monthTotal;
        const Figures before = cumulativeBefore.value_or(Figures{});
        const Figures expected{before.debit + total.debit, before.credit + total.credit,
                               total.balance};
        if (!same(*content.cumulative, expected))
            report(month, QStringLiteral("%1行为 %2，按上月%1与本月合计应为 %3")
                              .arg(rows::kCumulative, figuresText(*content.cumulative),
                                   figuresText(expected)));
        if (!next) return;
        for (const std::optional<Cents>& carried : {next->journalCarry, next->totalCarry})
            if (carried && *carried != total.balance) {
                report(nextMonthOf(month),
                       QStringLiteral("月结转余额为 %1，上月本月合计的余额为 %2")
                           .arg(money::text(*carried), money::text(total.balance)));
                break;
            }
    }

    // The stored month total against the month's lines: a difference that some of its reversal
    // and correcting entries make up waits for the month to be posted again; any other is a
    // fault.
    void againstLines(const QString& month, const Month& content, const figures::Figures& f) {
        if (!content.monthTotal) return;
        const Figures& stored = *content.monthTotal;
        const Figures lines{f.period.debit, f.period.credit, f.closing};
        if (same(stored, lines)) return;
        const Figures difference{lines.debit - stored.debit, lines.credit - stored.credit,
                                 lines.balance - stored.balance};
        if (madeUpOf(difference, content.adjustments))
            report(month, QStringLiteral("需二次过帐：本月有冲账，本月及下月结转的数字尚未更新"),
                   false);
        else
            report(month, QStringLiteral("%1行为 %2，按日记帐应为 %3")
                              .arg(rows::kMonthTotal, figuresText(stored), figuresText(lines)));
    }

    static bool same(const Figures& a, const Figures& b) {
        return a.debit == b.debit && a.credit == b.credit && a.balance == b.balance;
    }

    // Whether some of the entries add up to the difference. A month holds few such entries;
    // past a bound of sums worth trying, the difference counts as unexplained.
    static bool madeUpOf(const Figures& difference, const std::vector<Figures>& entries) {
        constexpr size_t kMostSums = 1 << 16;
        const auto key = [](const Figures& f) { return std::tuple{f.debit, f.credit, f.balance}; };
        std::set<std::tuple<Cents, Cents, Cents>> reachable{{0, 0, 0}};
        for (const Figures& entry : entries) {
            if (reachable.size() > kMostSums) return false;
            std::vector<std::tuple<Cents, Cents, Cents>> added;
            for (const auto& [d, c, b] : reachable)
                added.push_back(key({d + entry.debit, c + entry.credit, b + entry.balance}));
            reachable.insert(added.begin(), added.end());
        }
        return reachable.contains(key(difference));
    }

    const Book& book_;
    std::vector<Problem>& problems_;
    QString startMonth_;
    QString firstOpen_;  // the first open month; the months from the start up to it are posted
};

// The register, the query and the month operations find a book by its name and category: of
// books sharing both, only the first can be reached.
void sharedNames(const std::vector<Book>& books, std::vector<Problem>& problems) {
    std::map<std::pair<QString, QString>, QStringList> ids;
    for (const Book& book : books)
        ids[{book.name, book.category}] << book.id;
    for (const auto& [pair, list] : ids)
        if (list.size() > 1)
            problems.push_back(
                {list.join(QLatin1Char(',')),
                 {},
                 QStringLiteral("%1 本帐簿的名称（%2）和类别（%3）相同，只能打开其中第一本")
                     .arg(list.size())
                     .arg(pair.first, pair.second),
                 true});
}

}  // namespace

std::vector<Problem> verify(Tdat& dat) {
    std::vector<Book> books = readBooks(dat);
    std::vector<Problem> problems;
    sharedNames(books, problems);
    for (Book& book : books) {
        readRows(dat, book);
        BookCheck(book, problems).run(dat);
    }
    return problems;
}

}  // namespace qb::check
