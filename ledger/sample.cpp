#include "sample.h"

#include <QStringList>
#include <algorithm>
#include <random>

#include "errors.h"
#include "fr_dat.h"
#include "ledger.h"
#include "money.h"
#include "months.h"
#include "zbinfo.h"

namespace qb::sample {
namespace {

using money::Cents;

const QStringList kCategories{QStringLiteral("现金日记帐"), QStringLiteral("银行日记帐"),
                              QStringLiteral("银行卡")};
const QStringList kNames{
    QStringLiteral("本部"),       QStringLiteral("销售部"),     QStringLiteral("采购部"),
    QStringLiteral("北京分公司"), QStringLiteral("上海分公司"), QStringLiteral("广州分公司"),
    QStringLiteral("深圳分公司"), QStringLiteral("成都分公司"), QStringLiteral("武汉分公司"),
    QStringLiteral("杭州分公司"), QStringLiteral("南京分公司"), QStringLiteral("西安分公司")};
QString categoryOf(int book) {
    return kCategories[book % 3];
}
QString nameOf(int book) {
    const int index = book / 3;
    return index < kNames.size() ? kNames[index]
                                 : QStringLiteral("第%1分公司").arg(index - kNames.size() + 1);
}

const QStringList kReceipts{QStringLiteral("收%1货款"),   QStringLiteral("收回%1欠款"),
                            QStringLiteral("%1销售收入"), QStringLiteral("提现备用"),
                            QStringLiteral("收%1押金"),   QStringLiteral("收到%1投资款"),
                            QStringLiteral("收存款利息"), QStringLiteral("退回多付%1运费")};
const QStringList kPayments{
    QStringLiteral("付%2月电费"),   QStringLiteral("付%2月水费"), QStringLiteral("付%2月房租"),
    QStringLiteral("发%2月工资"),   QStringLiteral("付%1货款"),   QStringLiteral("报销差旅费"),
    QStringLiteral("购办公用品"),   QStringLiteral("付%1运费"),   QStringLiteral("业务招待费"),
    QStringLiteral("缴%2月增值税"), QStringLiteral("付电话费"),   QStringLiteral("购打印纸墨盒"),
    QStringLiteral("付快递费"),     QStringLiteral("车辆加油费"), QStringLiteral("付银行手续费")};
const QStringList kPartners{QStringLiteral("华联商厦"), QStringLiteral("宏达公司"),
                            QStringLiteral("东方物流"), QStringLiteral("新华书店"),
                            QStringLiteral("永辉超市"), QStringLiteral("大华电器")};
const QStringList kPeople{QStringLiteral("张伟"), QStringLiteral("王芳"), QStringLiteral("李娜"),
                          QStringLiteral("刘洋"), QStringLiteral("陈静"), QStringLiteral("杨帆"),
                          QStringLiteral("赵磊"), QStringLiteral("黄敏"), QStringLiteral("周杰"),
                          QStringLiteral("吴刚")};

class Generator {
public:
    Generator(Tdat& dat, const Options& options)
        : dat_(dat), options_(options), random_(options.seed) {}

    Result run() {
        const QDate first =
            months::firstDay(options_.lastMonth).addMonths(-(std::max(options_.months, 1) - 1));
        for (int b = 0; b < options_.books; ++b)
            book(b, first);
        reversals(first);
        return result_;
    }

private:
    int uniform(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random_);
    }
    const QString& pick(const QStringList& list) { return list[uniform(0, int(list.size()) - 1)]; }

    void book(int index, const QDate& start) {
        const QString category = categoryOf(index);
        const QString name = nameOf(index);
        const bool cash = index % 3 == 0;
        const QString account = cash ? QString()
                                     : QStringLiteral("6222%1%2")
                                           .arg(uniform(1000, 9999))
                                           .arg(uniform(10000000, 99999999));
        const Cents opening = cash ? uniform(5000, 20000) * 100 : uniform(1000, 10000) * 10000;
        const QString id =
            ledger::add_book(dat_, {category, name, account, opening, start}, QDate::currentDate());
        ledger::save_book_ticks(dat_, {{id, true, start, opening}});
        ++result_.books;
        ++result_.lines;  // the opening row

        Cents balance = opening;
        const int count = std::max(options_.months, 1);
        for (int m = 0; m < count; ++m) {
            const QDate month = start.addMonths(m);
            lines(id, month, cash, balance);
            if (m + 1 == count) break;  // the last month stays open
            ledger::post_month(dat_, id, month);
            ++result_.lines;  // the carry-forward row that opens the next month
        }
    }

    void lines(const QString& id, const QDate& month, bool cash, Cents& balance) {
        // The open month has lines only up to the given day, as on a real working day.
        const bool open = month == months::firstDay(options_.lastMonth);
        const int latest = open ? options_.lastMonth.day() : month.daysInMonth();
        std::vector<int> days(options_.linesPerMonth);
        for (int& day : days)
            day = uniform(1, latest);
        std::sort(days.begin(), days.end());
        std::vector<ledger::LineFields> entries;
        for (int voucher = 1; voucher <= int(days.size()); ++voucher) {
            const QString partner = pick(kPartners), monthNo = QString::number(month.month());
            const Cents scale = cash ? 100 : 1000;
            Cents amount = Cents(uniform(1, 2000)) * scale / 10 + uniform(0, 99);
            bool receipt = uniform(0, 99) < 40 || amount > balance;
            const QString summary = QString(receipt ? pick(kReceipts) : pick(kPayments))
                                        .replace(QLatin1String("%1"), partner)
                                        .replace(QLatin1String("%2"), monthNo);
            if (receipt) amount *= 2;
            const Cents j = receipt ? amount : 0, d = receipt ? 0 : amount;
            balance += j - d;
            const QString ticket =
                cash ? QString() : QStringLiteral("%1").arg(uniform(1000000, 9999999));
            entries.push_back({month.addDays(days[voucher - 1] - 1), voucher, ticket, summary, j, d,
                               uniform(1, 5), pick(kPeople), options_.handler});
        }
        ledger::insert_lines(dat_, id, entries);
        result_.lines += qint64(entries.size());
    }

    // A wrong line of a posted month reversed, its correcting entry added and the month posted
    // again, as the cashier does it; the later months follow through posting.
    void reversals(const QDate& first) {
        if (options_.months < 2 || options_.linesPerMonth < 1) return;
        const QDate month = first.addMonths(std::max(options_.months - 3, 0));
        QStringList ids;
        engine::Statement& books =
            dat_.con().prepare(QStringLiteral("select zbid from accstar order by rowid"));
        books.bind({});
        while (books.step())
            ids << books.value(0).toString();
        books.reset();
        for (const QString& id : ids.mid(ids.size() - result_.books, options_.reversals)) {
            const QVariant row = dat_.scalar(
                QStringLiteral("select rowid from crereg where zbh=? and dzrq between ? and ? and "
                               "pzh=? limit 1"),
                {id, months::iso(month), months::iso(months::lastDay(month)),
                 std::min(2, options_.linesPerMonth)});
            if (row.isNull()) continue;
            const ledger::Reversal r =
                ledger::reverse_line(dat_, row.toLongLong(), options_.handler);
            // The correcting entry: the amount as it should have been, ten per cent less.
            const Cents debit = money::toCents(
                dat_.scalar(QStringLiteral("select j_je from crereg where rowid=?"), {row})
                    .toDouble());
            const Cents credit = money::toCents(
                dat_.scalar(QStringLiteral("select d_je from crereg where rowid=?"), {row})
                    .toDouble());
            ledger::add_correcting_entry(dat_, r.correction,
                                         {{},
                                          0,
                                          QString(),
                                          QString(),
                                          debit * 9 / 10,
                                          credit * 9 / 10,
                                          1,
                                          pick(kPeople),
                                          options_.handler});
            result_.lines += 2;
            ledger::post_month(dat_, id, month);
            ++result_.reversals;
        }
    }

    Tdat& dat_;
    const Options& options_;
    std::mt19937 random_;
    Result result_;
};

}  // namespace

void require_valid(const Options& options) {
    if (options.books < 0 || options.months < 1 || options.linesPerMonth < 0)
        throw DbError(QStringLiteral("示例数据的帐簿数、月数和每月笔数不能为负，月数至少为 1"));
    if (options.books > 9999)
        throw DbError(QStringLiteral("帐簿数不能超过 9999（一个月内新建的帐簿号只有这么多）"));
    if (options.months > 1200) throw DbError(QStringLiteral("月数不能超过 1200（100 年）"));
    if (options.linesPerMonth > 30000)
        throw DbError(QStringLiteral("每月笔数不能超过 30000（凭证号只有 16 位）"));
}

Result generate(Tdat& dat, const Options& options) {
    require_valid(options);
    Transaction t(dat);
    const Result result = Generator(dat, options).run();
    t.commit();
    return result;
}

void list_books(const QString& folder, int books) {
    QStringList names, categories;
    for (int i = 0; i < books; ++i) {
        names << nameOf(i);
        categories << categoryOf(i);
    }
    zbinfo::add(folder, names, categories);
}

}  // namespace qb::sample
