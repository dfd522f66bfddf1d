// The concurrency trial: eight cashiers at once on two books of one server ledger, adding lines,
// typing amounts, deleting and posting, each through the ledger's operations. Afterwards the
// ledger checks clean: no balance chain broken, no month half posted, and exactly the lines added
// and not deleted are there.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>

#include "check.h"
#include "engines.h"
#include "rowkinds.h"

TEST(Trial, EightCashiersOnTwoBooksLeaveALedgerThatChecksClean) {
    QB_REQUIRE_TEST_SERVER();
    constexpr int kCashiers = 8, kOperations = 200;
    TempLedger ledger(Engine::Server);
    const QDate start(2020, 1, 1);
    const QStringList books{ledger.cashBook("总部", 100000, start),
                            ledger.cashBook("分部", 100000, start)};

    QElapsedTimer clock;
    clock.start();
    std::vector<std::unique_ptr<QProcess>> cashiers;
    for (int i = 0; i < kCashiers; ++i) {
        cashiers.push_back(std::make_unique<QProcess>());
        cashiers.back()->start(QStringLiteral(QB_TRIAL_WORKER),
                               {ledger.database->connection(), books[0], books[1],
                                QString::number(i + 1), QString::number(kOperations)});
    }
    int added = 0, deleted = 0, posted = 0, refused = 0;
    static const QRegularExpression tally(
        QStringLiteral("added (\\d+) typed \\d+ deleted (\\d+) posted (\\d+) refused (\\d+)"));
    for (const auto& cashier : cashiers) {
        ASSERT_TRUE(cashier->waitForFinished(180000));
        const QString said = QString::fromUtf8(cashier->readAllStandardOutput());
        ASSERT_EQ(cashier->exitCode(), 0) << cashier->readAllStandardError().toStdString();
        const QRegularExpressionMatch counts = tally.match(said);
        ASSERT_TRUE(counts.hasMatch()) << said.toStdString();
        added += counts.captured(1).toInt();
        deleted += counts.captured(2).toInt();
        posted += counts.captured(3).toInt();
        refused += counts.captured(4).toInt();
    }
    std::printf(
        "%d cashiers x %d operations in %.1f s: %d lines added, %d deleted, %d postings, "
        "%d refused\n",
        kCashiers, kOperations, clock.elapsed() / 1000.0, added, deleted, posted, refused);
    EXPECT_GT(posted, 0);
    EXPECT_EQ(ledger.dat
                  .scalar("select count(*) from crereg where zy is null or (zy<>? and zy<>?)",
                          {qb::rows::kOpening, qb::rows::kCarry})
                  .toInt(),
              added - deleted);
    for (const qb::check::Problem& problem : qb::check::verify(ledger.dat))
        ADD_FAILURE() << (problem.bookId + " " + problem.month + " " + problem.text).toStdString();
}
