#include "check.h"

#include <QDate>
#include <map>
#include <optional>

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
        bool counted;
    };
    std::vector<Line> lines;
    std::optional<Cents> journalCarry;  // the carry-forward row in crereg
    // Rows in total by summary.
    std::optional<Cents> totalCarry;
    std::optional<Figures> monthTotal;
    std::optional<Figures> cumulative;
    bool hasTotalRows = false;

    Cents closing() const { return lines.empty() ? 0 : lines.back().balance; }
    Figures sums() const {
        Figures f;
        for (const Line& line : lines)
            if (line.counted) f.debit += line.debit, f.credit += line.credit;
        return f;
    }
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

std::map<QString, Month> readBook(Tdat& dat, const QString& bookId) {
    std::map<QString, Month> book;
    engine::Statement& lines = dat.con().prepare(
        QStringLiteral("select dzrq,zy,j_je,d_je,y_je from crereg where zbh=? order by ") +
        ledger::journal_order());
    lines.bind({bookId});
    while (lines.step()) {
        const QString day = lines.value(0).toString(), summary = lines.value(1).toString();
        const bool marker = rows::isMarker(summary);
        Month& month = book[monthOf(day)];
        month.lines.push_back({day, summary, cents(lines.value(2)), cents(lines.value(3)),
                               cents(lines.value(4)), !lines.value(1).isNull() && !marker});
        if (summary == rows::kCarry) month.journalCarry = cents(lines.value(4));
    }
    engine::Statement& totals = dat.con().prepare(
        QStringLiteral("select dzrq,zy,j_je,d_je,y_je from total where zbh=? order by rowid"));
    totals.bind({bookId});
    while (totals.step()) {
        Month& month = book[monthOf(totals.value(0).toString())];
        month.hasTotalRows = true;
        const QString summary = totals.value(1).toString();
        const Figures figures{cents(totals.value(2)), cents(totals.value(3)),
                              cents(totals.value(4))};
        if (summary == rows::kCarry)
            month.totalCarry = figures.balance;
        else if (summary == rows::kMonthTotal && !month.monthTotal)
            month.monthTotal = figures;
        else if (summary == rows::kCumulative && !month.cumulative)
            month.cumulative = figures;
    }
    return book;
}

QString figuresText(const Figures& f) {
    return QStringLiteral("借 %1 贷 %2 余 %3")
        .arg(money::text(f.debit), money::text(f.credit), money::text(f.balance));
}

class BookCheck {
public:
    BookCheck(const QString& bookId, std::vector<Problem>& problems)
        : bookId_(bookId), problems_(problems) {}

    void run(const std::map<QString, Month>& book) {
        const Month* previous = nullptr;
        QString previousMonth;
        for (const auto& [month, content] : book) {
            chain(month, content);
            const bool follows = previous && nextMonthOf(previousMonth) == month;
            carry(month, content, follows ? previous->closing() : std::optional<Cents>());
            const auto next = book.find(nextMonthOf(month));
            if (next != book.end() && next->second.hasTotalRows)
                posted(month, content, follows ? previous->cumulative : std::nullopt);
            previous = &content;
            previousMonth = month;
        }
    }

private:
    void report(const QString& month, const QString& text) {
        problems_.push_back({bookId_, month, text});
    }

    void chain(const QString& month, const Month& content) {
        for (size_t i = 1; i < content.lines.size(); ++i) {
            const Month::Line& line = content.lines[i];
            const Cents expected = content.lines[i - 1].balance + line.debit - line.credit;
            if (line.balance == expected) continue;
            report(month, QStringLiteral("余额不连续：%1「%2」余额为 %3，应为 %4")
                              .arg(line.day, line.summary, money::text(line.balance),
                                   money::text(expected)));
            return;  // the first break of a month says enough
        }
    }

    void carry(const QString& month, const Month& content, std::optional<Cents> closingBefore) {
        if (content.journalCarry.has_value() != content.totalCarry.has_value())
            report(month, content.journalCarry ? QStringLiteral("total 中缺少月结转余额行")
                                               : QStringLiteral("日记帐中缺少月结转余额行"));
        const Cents expected = closingBefore.value_or(0);
        for (const std::optional<Cents>& carried : {content.journalCarry, content.totalCarry})
            if (carried && *carried != expected) {
                report(month, QStringLiteral("月结转余额为 %1，上月期末余额为 %2")
                                  .arg(money::text(*carried), money::text(expected)));
                return;
            }
    }

    void posted(const QString& month, const Month& content,
                std::optional<Figures> cumulativeBefore) {
        const Figures sums = content.sums();
        compare(month, rows::kMonthTotal, content.monthTotal,
                {sums.debit, sums.credit, content.closing()});
        const Figures before = cumulativeBefore.value_or(Figures{});
        compare(month, rows::kCumulative, content.cumulative,
                {before.debit + sums.debit, before.credit + sums.credit, content.closing()});
    }

    void compare(const QString& month, const QString& summary, const std::optional<Figures>& stored,
                 const Figures& expected) {
        if (!stored)
            report(month, QStringLiteral("已结帐，但缺少%1行").arg(summary));
        else if (stored->debit != expected.debit || stored->credit != expected.credit ||
                 stored->balance != expected.balance)
            report(month, QStringLiteral("%1行为 %2，按日记帐应为 %3")
                              .arg(summary, figuresText(*stored), figuresText(expected)));
    }

    QString bookId_;
    std::vector<Problem>& problems_;
};

}  // namespace

std::vector<Problem> verify(Tdat& dat) {
    QStringList ids;
    engine::Statement& books =
        dat.con().prepare(QStringLiteral("select zbid from accstar order by zbid"));
    books.bind({});
    while (books.step())
        ids << books.value(0).toString();
    std::vector<Problem> problems;
    for (const QString& id : ids)
        BookCheck(id, problems).run(readBook(dat, id));
    return problems;
}

}  // namespace qb::check
