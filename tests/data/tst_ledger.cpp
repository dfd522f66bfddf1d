#include <gtest/gtest.h>

#include "errors.h"
#include "gymk.h"
#include "ledger.h"
#include "templedger.h"

namespace L = qb::ledger;

namespace {

const QDate kToday(2024, 5, 20);
const QString kNasty = "O'Brien \"100%\" \\_x";

struct Ledger : TempLedger {
    QString book(const QString& name = "总部", QDate start = QDate(2024, 5, 1),
                 qb::money::Cents opening = 50000) {
        const QString id = L::add_book(dat, {"现金日记帐", name, "6222", opening, start}, kToday);
        L::save_book_ticks(dat, {{id, true, start, opening}});
        return id;
    }
    // A line with its amounts, balanced by propagation as the register does after a post.
    qint64 entry(const QString& id, const QDate& date, double debit, double credit,
                 const QString& summary = "收货款") {
        const qint64 row = L::add_line(dat, id, date, "admin").rowId;
        dat.execute("update crereg set zy=?,j_je=?,d_je=? where rowid=?",
                    {summary, debit, credit, row});
        L::propagate_from(dat, row);
        return row;
    }
    QVariant at(qint64 row, const QString& column) {
        return dat.scalar(QString("select %1 from crereg where rowid=?").arg(column), {row});
    }
    QList<double> balances(const QString& id, const QDate& month) {
        qb::Query q(dat);
        const L::MonthSql view = L::month_view(id, month);
        q.setSql(view.sql, view.params);
        q.open();
        QList<double> result;
        for (q.first(); !q.eof(); q.next())
            result << q.fieldByName("y_je").asFloat();
        return result;
    }
    int count(const QString& sql, const QVariantList& params = {}) {
        return dat.scalar(sql, params).toInt();
    }
};

}  // namespace

TEST(Books, IdentifiersRunPastTenWithoutRepeating) {
    Ledger l;
    QStringList ids;
    for (int i = 0; i < 12; ++i)
        ids << L::add_book(l.dat, {"银行卡", QString("卡%1").arg(i), "1", 0, kToday}, kToday);
    EXPECT_EQ(ids.mid(0, 3), (QStringList{"2024051", "2024052", "2024053"}));
    EXPECT_EQ(ids[8], "2024059");
    EXPECT_EQ(ids[9], "20240510");
    EXPECT_EQ(ids[11], "20240512");
    EXPECT_EQ(L::next_book_id(l.dat, QDate(2024, 6, 1)), "2024061");  // a new month starts again
    EXPECT_EQ(L::next_book_id(l.dat, kToday), "20240513");
    // Rows a lost book left behind are never handed to a new one.
    l.line("20240513", "2024-05-01", 0, "期初余额", 0, 0, 1);
    EXPECT_EQ(L::next_book_id(l.dat, kToday), "20240514");
    l.dat.execute("insert into accstar(zbid) values('2024059999')");
    EXPECT_THROW(L::next_book_id(l.dat, kToday), qb::DbError);
    EXPECT_THROW(L::add_book(l.dat, {"银行卡", "x", "1", 0, kToday}, kToday), qb::DbError);
    EXPECT_EQ(l.count("select count(*) from accstar"), 13);
}

TEST(Books, OpeningInitializationIsRepeatableAndFollowsTheStartMonth) {
    Ledger l;
    const QString id =
        L::add_book(l.dat, {"现金日记帐", "总部", "1", 123456, QDate(2024, 3, 15)}, kToday);
    EXPECT_EQ(l.dat.scalar("select flag from accstar where zbid=?", {id}).toString(), "0");
    EXPECT_EQ(L::save_book_ticks(l.dat, {{id, true, QDate(2024, 3, 15), 123456}}), 4);
    EXPECT_EQ(l.count("select count(*) from crereg where dzrq='2024-03-15' and y_je=1234.56 and "
                      "pzh=0 and zy='期初余额' and ph is null and jbr is null"),
              1);
    EXPECT_EQ(l.count("select count(*) from total where dzrq='2024-03-15' and y_je=1234.56 and "
                      "pzh+0=rowid-1 and ph is null"),
              3);
    EXPECT_EQ(l.dat.scalar("select flag from accstar").toString(), "1");
    EXPECT_EQ(gymk::opening_balance(l.dat, id, QDate(2024, 3, 1)), "1234.56");
    EXPECT_EQ(L::save_book_ticks(l.dat, {{id, true, QDate(2024, 3, 15), 123456}}), 0);
    // A start moved into April: the journal's opening row stands, April gets its three rows.
    EXPECT_EQ(L::save_book_ticks(l.dat, {{id, true, QDate(2024, 4, 2), 123456}}), 3);
    EXPECT_EQ(l.count("select count(*) from total"), 6);
    EXPECT_EQ(L::save_book_ticks(l.dat, {{id, false, QDate(2024, 4, 2), 0}}), 0);
    EXPECT_EQ(l.dat.scalar("select flag from accstar").toString(), "0");
    EXPECT_EQ(l.count("select count(*) from crereg"), 1);
}

TEST(Books, QuotesPercentAndBackslashStoreInEveryTextField) {
    Ledger l;
    const QString name = kNasty.left(20);
    const QString id = L::add_book(l.dat, {kNasty.left(20), name, kNasty, 100, kToday}, kToday);
    L::update_book(l.dat, id, {kNasty.left(20), name, kNasty + "'", 250, kToday}, true);
    L::init_book(l.dat, id);
    EXPECT_EQ(gymk::book_id_of(l.dat, name, kNasty.left(20)), id);
    EXPECT_EQ(rowsText(l.dat, "select zh,flag,qcye from accstar"), kNasty + "'/1/2.5");
    const qint64 row = L::add_line(l.dat, id, kToday, "a'b\\c%d'e'f'g").rowId;
    l.dat.execute("update crereg set ph=?,zy=?,bxr=? where rowid=?",
                  {kNasty.left(15), kNasty, kNasty.left(10), row});
    EXPECT_EQ(l.at(row, "jbr").toString(), "a'b\\c%d'e'");  // a long user name is cut to 10
    EXPECT_EQ(l.at(row, "ph").toString() + l.at(row, "bxr").toString(),
              kNasty.left(15) + kNasty.left(10));
    L::post_month(l.dat, id, kToday);
    const L::Reversal r = L::reverse_line(l.dat, row, kNasty);
    EXPECT_EQ(l.at(row, "zy").toString(), "被冲账 [" + kNasty + "]");
    EXPECT_EQ(l.at(r.reversalRowId, "zy").toString(), "冲账[2024-05-20 " + kNasty + "]");
    L::delete_book(l.dat, id);
    EXPECT_EQ(l.count("select count(*) from crereg") + l.count("select count(*) from accstar"), 0);
}

TEST(Books, DeletingABookTakesAllItsRowsAndNoOthers) {
    Ledger l;
    const QString a = l.book("甲"), b = l.book("乙");
    l.entry(a, kToday, 10, 0);
    L::post_month(l.dat, a, kToday);
    l.entry(b, kToday, 10, 0);
    L::delete_book(l.dat, a);
    EXPECT_EQ(l.count("select count(*) from crereg where zbh=?", {a}) +
                  l.count("select count(*) from total where zbh=?", {a}) +
                  l.count("select count(*) from accstar where zbid=?", {a}),
              0);
    EXPECT_EQ(l.count("select count(*) from crereg where zbh=?", {b}), 2);
    EXPECT_EQ(l.count("select count(*) from total where zbh=?", {b}), 3);
}

TEST(Lines, AddNumbersAfterTheHighestVoucherAndKeepsTheChain) {
    Ledger l;
    const QString id = l.book();
    const L::NewLine first = L::add_line(l.dat, id, QDate(2024, 5, 9), "admin");
    EXPECT_EQ(first.voucher, 1);
    EXPECT_EQ(l.at(first.rowId, "y_je").toDouble(), 500.0);  // the balance it follows
    EXPECT_EQ(l.at(first.rowId, "zy").toString(), "");
    EXPECT_EQ(l.at(first.rowId, "jbr").toString(), "admin");
    l.entry(id, QDate(2024, 5, 30), 0, 80);
    EXPECT_EQ(L::add_line(l.dat, id, QDate(2024, 5, 2), "admin").voucher, 3);  // any date order
    EXPECT_EQ(L::add_line(l.dat, id, QDate(2024, 6, 2), "admin").voucher, 1);
    EXPECT_EQ(l.balances(id, kToday), (QList<double>{500, 500, 500, 420}));
}

TEST(Lines, DeletingRefusesMarkerRowsAndMendsTheBalancesBelow) {
    Ledger l;
    const QString id = l.book();
    const qint64 a = l.entry(id, QDate(2024, 5, 3), 100, 0);
    l.entry(id, QDate(2024, 5, 4), 0, 30);
    const qint64 opening =
        l.dat.scalar("select rowid from crereg where zy='期初余额'").toLongLong();
    EXPECT_EQ(L::delete_line(l.dat, opening), L::DeleteResult::MarkerRow);
    EXPECT_EQ(L::delete_line(l.dat, 9999), L::DeleteResult::NotFound);
    EXPECT_EQ(L::delete_line(l.dat, a), L::DeleteResult::Deleted);
    EXPECT_EQ(l.balances(id, kToday), (QList<double>{500, 470}));
}

TEST(Propagation, StartsAtTheLinesPlaceInTheMonthNotItsVoucher) {
    Ledger l;
    const QString id = l.book();
    const qint64 v1 = l.entry(id, QDate(2024, 5, 25), 0, 0);  // voucher 1, dated late
    l.entry(id, QDate(2024, 5, 3), 0, 50);
    l.entry(id, QDate(2024, 5, 28), 20, 0);
    ASSERT_EQ(l.balances(id, kToday), (QList<double>{500, 450, 450, 470}));
    l.dat.execute("update crereg set j_je=100 where rowid=?", {v1});
    L::propagate_from(l.dat, v1);
    EXPECT_EQ(l.balances(id, kToday), (QList<double>{500, 450, 550, 570}));
    // Thousands of cent amounts never drift.
    for (int i = 0; i < 300; ++i)
        l.line(id, "2024-05-29", 100 + i, "x", 0.1, 0.07, 0);
    L::propagate_from(l.dat, v1);
    EXPECT_EQ(gymk::last_balance(l.dat, id, kToday), "579.00");
    EXPECT_EQ(l.balances(id, kToday).last(), 579.0);
}

TEST(Propagation, AFirstOrdinaryLineStartsFromTheBalanceInTotal) {
    Ledger l;
    const QString id = l.book("总部", QDate(2024, 5, 15));
    const qint64 early = l.line(id, "2024-05-02", 1, "早于启用", 10, 0, 0);
    L::propagate_from(l.dat, early);
    EXPECT_EQ(l.at(early, "y_je").toDouble(), 510.0);
    // A month with no row before it, even one an older file holds before the book's start,
    // starts from the opening amount.
    const qint64 lone = l.line(id, "2023-01-05", 1, "x", 0, 3, 99);
    L::propagate_from(l.dat, lone);
    EXPECT_EQ(l.at(lone, "y_je").toDouble(), 497.0);
    EXPECT_THROW(L::propagate_from(l.dat, 4242), qb::DbError);
}

TEST(Recalc, RebuildsFromTheFirstRowAndLeavesAnEmptyMonth) {
    Ledger l;
    const QString id = l.book();
    l.line(id, "2024-05-02", 1, "a", 100, 0, 1);
    l.line(id, "2024-05-03", 2, "b", 0, 40, 2);
    EXPECT_EQ(L::recalc_month(l.dat, id, kToday), 2);
    EXPECT_EQ(l.balances(id, kToday), (QList<double>{500, 600, 560}));
    EXPECT_EQ(L::recalc_month(l.dat, id, kToday), 0);
    EXPECT_EQ(L::recalc_month(l.dat, id, QDate(2024, 7, 1)), 0);
    // An entry an older file holds before the opening row keeps its own balance, and the
    // opening row keeps the book's.
    const QString late = l.book("分部", QDate(2024, 5, 15));
    l.line(late, "2024-05-01", 1, "早", 5, 0, 77);
    l.line(late, "2024-05-16", 1, "晚", 5, 0, 0);
    L::recalc_month(l.dat, late, kToday);
    EXPECT_EQ(l.balances(late, kToday), (QList<double>{77, 500, 505}));
}

TEST(Reversal, NegatesTheLineBesideItAndKeepsEveryMarkerWhole) {
    Ledger l;
    const QString id = l.book();
    const qint64 debit = l.line(id, "2024-05-10", 7, "收货款", 100, 0, 600);
    L::post_month(l.dat, id, kToday);
    const L::Reversal r = L::reverse_line(l.dat, debit, "admin");
    EXPECT_EQ(l.at(debit, "zy").toString(), "被冲账 [收货款]");
    EXPECT_EQ(l.at(debit, "j_je").toDouble(), 100.0);
    const QVariantList expected{"2024-05-10", 7,          "冲账[2024-05-10 收货款]",
                                -100.0,       0.0,        500.0,
                                QVariant(),   QVariant(), QVariant(),
                                "admin",      id};
    const QStringList columns{"dzrq", "pzh", "zy",  "j_je", "d_je", "y_je",
                              "ph",   "pzn", "bxr", "jbr",  "zbh"};
    for (int c = 0; c < columns.size(); ++c)
        EXPECT_EQ(l.at(r.reversalRowId, columns[c]), expected[c]) << columns[c].toStdString();
    EXPECT_EQ(r.balanceBefore, 50000);
    EXPECT_EQ(r.voucher, 7);
    EXPECT_EQ(r.date, QDate(2024, 5, 10));
    EXPECT_EQ(L::correcting_summary(r.formerSummary), "新[收货款]");

    const qint64 credit = l.line(id, "2024-05-11", 8, "付电费", 0, 80, 420);
    const L::Reversal c = L::reverse_line(l.dat, credit, "a-very-long-user");
    EXPECT_EQ(l.at(c.reversalRowId, "d_je").toDouble(), -80.0);
    EXPECT_EQ(l.at(c.reversalRowId, "y_je").toDouble(), 500.0);
    EXPECT_EQ(l.at(c.reversalRowId, "jbr").toString(), "a-very-lon");

    // A reversal stands: neither the reversed line nor its reversal entry is reversed again.
    const int lines = l.count("select count(*) from crereg");
    EXPECT_THROW(L::reverse_line(l.dat, debit, "admin"), qb::DbError);
    EXPECT_THROW(L::check_reversible(l.dat, r.reversalRowId), qb::DbError);
    EXPECT_EQ(l.at(debit, "zy").toString(), "被冲账 [收货款]");
    EXPECT_EQ(l.count("select count(*) from crereg"), lines);
    // Reversed lines read before their reversal entries, whatever the code points say.
    const L::MonthSql view = L::month_view(id, kToday);
    qb::Query q(l.dat);
    q.setSql(view.sql, view.params);
    q.open();
    q.setRecNo(2);
    EXPECT_EQ(q.fieldByName("zy").asString(), "被冲账 [收货款]");

    // A summary of 50 characters: cut inside the brackets, both texts still 50 long.
    const QString longest(50, QChar(u'账'));
    const qint64 full = l.line(id, "2024-05-12", 9, longest, 1, 0, 421);
    const L::Reversal f = L::reverse_line(l.dat, full, "admin");
    EXPECT_EQ(l.at(full, "zy").toString(), "被冲账 [" + longest.left(44) + "]");
    EXPECT_EQ(l.at(f.reversalRowId, "zy").toString(), "冲账[2024-05-12 " + longest.left(35) + "]");
    EXPECT_EQ(f.formerSummary, longest);
    EXPECT_EQ(L::correcting_summary(longest).size(), 50);

    const qint64 opening =
        l.dat.scalar("select rowid from crereg where zy='期初余额'").toLongLong();
    EXPECT_THROW(L::reverse_line(l.dat, opening, "admin"), qb::DbError);
    EXPECT_EQ(l.at(opening, "zy").toString(), "期初余额");
}

// Marking a line moves it ahead of the other lines of its voucher: the chain follows it there.
TEST(Reversal, ALineSharingItsVoucherIsChainedFromItsNewPlace) {
    Ledger l;
    const QString id = l.book();  // opening 500.00
    l.line(id, "2024-05-10", 7, "a", 100, 0, 0);
    const qint64 b = l.line(id, "2024-05-10", 7, "b", 30, 0, 0);
    L::post_month(l.dat, id, kToday);
    EXPECT_EQ(l.balances(id, kToday), (QList<double>{500, 600, 630}));
    const L::Reversal r = L::reverse_line(l.dat, b, "admin");
    // Now "被冲账 [b]", its reversal entry, then "a".
    EXPECT_EQ(l.balances(id, kToday), (QList<double>{500, 530, 500, 600}));
    EXPECT_EQ(r.balanceBefore, 50000);
}

TEST(Lines, BalanceBeforeIsThatOfTheLineTheNewOneWillFollow) {
    Ledger l;
    const QString id = l.book();  // opening 500.00 on May 1st
    EXPECT_EQ(L::balance_before(l.dat, id, QDate(2024, 5, 1), 1, ""), 50000);
    l.entry(id, QDate(2024, 5, 3), 100, 0);  // voucher 1: 600
    l.entry(id, QDate(2024, 5, 3), 0, 30);   // voucher 2: 570
    l.entry(id, QDate(2024, 5, 9), 10, 0);   // voucher 3: 580
    EXPECT_EQ(L::balance_before(l.dat, id, QDate(2024, 5, 20), 4, ""), 58000);
    EXPECT_EQ(L::balance_before(l.dat, id, QDate(2024, 5, 3), 4, ""), 57000);
    EXPECT_EQ(L::balance_before(l.dat, id, QDate(2024, 5, 3), 1, "补记"), 60000);
    EXPECT_EQ(L::balance_before(l.dat, id, QDate(2024, 5, 2), 9, "补记"), 50000);
    // Written there, the line gets exactly that balance plus its amounts.
    const qint64 row =
        L::insert_line(l.dat, id, {QDate(2024, 5, 3), 1, "", "补记", 2000, 0, 0, "", "admin"});
    EXPECT_EQ(l.at(row, "y_je").toDouble(), 620.0);
    // A later month brings in what May closed with, May posted or not.
    EXPECT_EQ(L::balance_before(l.dat, id, QDate(2024, 8, 1), 1, ""), 60000);
}

// Within one day and voucher the summary places the line too: the balance before it is read by
// the chain's own order, also for a reversal's correcting entry.
TEST(Lines, TheBalanceBeforeANewLineIsTheOneItIsStoredWith) {
    Ledger l;
    const QString id = l.book();  // opening 500.00
    L::insert_line(l.dat, id, {QDate(2024, 5, 5), 1, "", "付款", 0, 10000, 0, "", "admin"});
    // "上缴" sorts ahead of "付款": it follows the opening row, not the payment.
    EXPECT_EQ(L::balance_before(l.dat, id, QDate(2024, 5, 5), 1, "上缴"), 50000);
    const qint64 paid =
        L::insert_line(l.dat, id, {QDate(2024, 5, 5), 1, "", "上缴", 1000, 0, 0, "", "admin"});
    EXPECT_EQ(L::line_balance(l.dat, paid), 51000);
    EXPECT_EQ(l.balances(id, kToday), (QList<double>{500, 510, 410}));

    // The second line of the voucher reversed in posted May: its correcting entry follows the
    // reversal entry, ahead of "上缴".
    L::post_month(l.dat, id, kToday);
    const qint64 second = l.dat.scalar("select rowid from crereg where zy='付款'").toLongLong();
    const L::Reversal r = L::reverse_line(l.dat, second, "admin");
    EXPECT_EQ(r.balanceBefore, 50000);
    EXPECT_EQ(r.correction.summary(), "新[付款]");
    const qint64 fixed =
        L::add_correcting_entry(l.dat, r.correction, {{}, 0, "", "", 0, 8000, 0, "", "admin"});
    EXPECT_EQ(L::line_balance(l.dat, fixed), r.balanceBefore - 8000);
    EXPECT_EQ(l.balances(id, kToday), (QList<double>{500, 400, 500, 420, 430}));
}

TEST(Lines, NoPathWritesAMarkerTextOrALineBeforeTheStart) {
    Ledger l;
    const QString id = l.book("总部", QDate(2024, 5, 10));
    const qint64 row = L::add_line(l.dat, id, QDate(2024, 5, 12), "admin").rowId;
    for (const QString summary :
         {"期初余额", " 月结转余额", "本月合计", "被冲账 [收货款]", "冲账[x"}) {
        EXPECT_THROW(L::insert_line(l.dat, id, {kToday, 2, "", summary, 100, 0, 0, "", "a"}),
                     qb::DbError);
        EXPECT_THROW(L::edit_line(l.dat, row, L::Zy, summary), qb::DbError);
    }
    EXPECT_THROW(L::add_line(l.dat, id, QDate(2024, 5, 9), "admin"), qb::DbError);
    EXPECT_THROW(L::edit_line(l.dat, row, L::Dzrq, "2024-05-09"), qb::DbError);
    EXPECT_THROW(L::edit_line(l.dat, row, L::Dzrq, "2024-06-12"), qb::DbError);  // another month
    EXPECT_EQ(l.count("select count(*) from crereg"), 2);
    EXPECT_EQ(l.at(row, "zy").toString(), "");
    // What a cashier writes goes through, the balances following the line's new place.
    const qint64 late =
        L::insert_line(l.dat, id, {kToday, 2, "1", "新[收货款]", 0, 3000, 0, "", ""});
    L::edit_line(l.dat, row, L::JJe, 100.0);
    EXPECT_EQ(l.balances(id, kToday), (QList<double>{500, 600, 570}));
    L::edit_line(l.dat, row, L::Dzrq, QDate(2024, 5, 25));
    EXPECT_EQ(l.balances(id, kToday), (QList<double>{500, 470, 570}));
    EXPECT_EQ(l.at(late, "zy").toString(), "新[收货款]");
}

TEST(Books, ANameAndCategoryBelongToOneBook) {
    Ledger l;
    const QString a = l.book("总部");
    EXPECT_THROW(L::add_book(l.dat, {"现金日记帐", "总部", "", 0, kToday}, kToday), qb::DbError);
    const QString bank = L::add_book(l.dat, {"银行日记帐", "总部", "", 0, kToday}, kToday);
    EXPECT_THROW(L::update_book(l.dat, bank, {"现金日记帐", "总部", "", 0, kToday}, false),
                 qb::DbError);
    L::update_book(l.dat, a, {"现金日记帐", "总部", "新帐号", 50000, QDate(2024, 5, 1)}, true);
    EXPECT_EQ(l.count("select count(*) from accstar where zblb='现金日记帐'"), 1);
}

TEST(Books, ANewOpeningAmountReachesEveryBalanceAndTheStartDateStays) {
    Ledger l;
    const QDate start(2024, 5, 15);
    const QString id = l.book("总部", start);
    l.entry(id, QDate(2024, 5, 20), 100, 0);
    L::post_month(l.dat, id, start);
    const qint64 june = l.entry(id, QDate(2024, 6, 3), 0, 50);
    L::post_month(l.dat, id, QDate(2024, 6, 1));
    const qint64 july = l.entry(id, QDate(2024, 7, 3), 0, 10);
    L::update_book(l.dat, id, {"现金日记帐", "总部", "6222", 80000, start}, true);
    EXPECT_EQ(l.count("select count(*) from crereg where zy='期初余额' and y_je=800"), 1);
    EXPECT_EQ(gymk::opening_balance(l.dat, id, start), "800.00");
    EXPECT_EQ(l.at(june, "y_je").toDouble(), 850.0);
    EXPECT_EQ(l.at(july, "y_je").toDouble(), 840.0);
    EXPECT_EQ(gymk::month_sums(l.dat, id, gymk::CumulativeMode, QDate(2024, 7, 1)).debit, 100.0);
    EXPECT_EQ(
        l.dat.scalar("select y_je from total where zbh=? and dzrq='2024-07-01' and pzh=0", {id})
            .toDouble(),
        850.0);
    EXPECT_THROW(L::update_book(l.dat, id, {"现金日记帐", "总部", "6222", 80000, kToday}, true),
                 qb::DbError);
    EXPECT_EQ(l.dat.scalar("select qyrq from accstar").toString(), "2024-05-15");
}

// One bound for every writer: a line's amount, each balance it leads to and a book's opening.
TEST(Lines, AmountsAndBalancesStayWithinTheLimit) {
    Ledger l;
    const QString id = l.book();  // opening 500.00
    const qb::money::Cents limit = qb::money::kLimit;
    L::LineFields line{QDate(2024, 5, 3), 1, "", "大额", limit - 50000, 0, 0, "", "admin"};
    const qint64 row = L::insert_line(l.dat, id, line);
    EXPECT_EQ(L::line_balance(l.dat, row), limit);
    try {
        L::insert_line(l.dat, id, {QDate(2024, 5, 4), 2, "", "再收", 1, 0, 0, "", "admin"});
        ADD_FAILURE() << "a balance beyond the limit was stored";
    } catch (const qb::DbError& e) {
        EXPECT_EQ(e.message(), qb::money::beyondLimit(limit + 1));
    }
    line.debit = limit + 1;
    EXPECT_THROW(L::insert_line(l.dat, id, line), qb::DbError);
    EXPECT_THROW(L::edit_line(l.dat, row, L::JJe, qb::money::fromCents(limit)), qb::DbError);
    EXPECT_THROW(L::add_book(l.dat, {"现金日记帐", "大", "", -limit - 1, kToday}, kToday),
                 qb::DbError);
    EXPECT_EQ(l.count("select count(*) from crereg where zbh=?", {id}), 2);
    EXPECT_EQ(L::line_balance(l.dat, row), limit);
}
