// The concurrency trial: eight cashiers at once on two books of one server ledger, adding lines,
// typing amounts, deleting and posting, each through the ledger's operations. Afterwards the
// ledger checks clean: no balance chain broken, no month half posted, and exactly the lines added
// and not deleted are there.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include "check.h"
#include "engine.h"
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

// The termination trial: four cashiers as above, while their sessions are ended from outside
// (pg_terminate_backend, as an administrator or a server restart would) in the middle of their
// postings and line writes, at least 30 times. The operation in progress is lost whole, never
// carried on statement by statement in a new session; the ledger checks clean, and the lines are
// exactly those added and not deleted, give or take the operations lost at their very commit.
TEST(Trial, SessionsEndedInsideOperationsLeaveEachWholeOrAbsent) {
    QB_REQUIRE_TEST_SERVER();
    constexpr int kCashiers = 4, kTerminations = 30;
    TempLedger ledger(Engine::Server);
    const QDate start(2020, 1, 1);
    const QStringList books{ledger.cashBook("总部", 100000, start),
                            ledger.cashBook("分部", 100000, start)};
    QTemporaryDir folder;
    const QString stop = folder.filePath(QStringLiteral("stop"));

    std::vector<std::unique_ptr<QProcess>> cashiers;
    for (int i = 0; i < kCashiers; ++i) {
        cashiers.push_back(std::make_unique<QProcess>());
        cashiers.back()->start(QStringLiteral(QB_TRIAL_WORKER),
                               {ledger.database->connection(), books[0], books[1],
                                QString::number(i + 11), QStringLiteral("100000"), stop});
    }
    auto admin = qb::engine::openPostgres(ledger.database->connection());
    // A session holding a book's lock is inside a ledger operation: a posting or a line write.
    qb::engine::Statement& inside = admin->prepare(
        "select distinct pid from pg_locks where locktype='advisory' and pid<>pg_backend_pid()");
    QRandomGenerator random(7);
    QElapsedTimer clock;
    clock.start();
    int terminated = 0;
    while (terminated < kTerminations && clock.elapsed() < 60000) {
        QThread::msleep(random.bounded(100, 400));
        QVariantList pids;
        inside.bind({});
        while (inside.step())
            pids << inside.value(0);
        if (pids.isEmpty()) continue;
        qb::engine::Statement& end = admin->prepare("select pg_terminate_backend(?)");
        end.bind({pids[random.bounded(int(pids.size()))]});
        terminated += end.step() && end.value(0).toBool();
        end.reset();
    }
    QFile(stop).open(QIODevice::WriteOnly);

    int added = 0, deleted = 0, posted = 0, lost = 0, unsure = 0;
    static const QRegularExpression tally(QStringLiteral(
        "added (\\d+) typed \\d+ deleted (\\d+) posted (\\d+) refused \\d+ lost (\\d+) unsure "
        "(\\d+)"));
    for (const auto& cashier : cashiers) {
        ASSERT_TRUE(cashier->waitForFinished(60000));
        const QString said = QString::fromUtf8(cashier->readAllStandardOutput());
        ASSERT_EQ(cashier->exitCode(), 0) << cashier->readAllStandardError().toStdString();
        const QRegularExpressionMatch counts = tally.match(said);
        ASSERT_TRUE(counts.hasMatch()) << said.toStdString();
        added += counts.captured(1).toInt();
        deleted += counts.captured(2).toInt();
        posted += counts.captured(3).toInt();
        lost += counts.captured(4).toInt();
        unsure += counts.captured(5).toInt();
    }
    std::printf(
        "%d sessions ended inside operations in %.1f s: %d operations lost whole, %d lost "
        "at the commit; %d lines added, %d deleted, %d postings\n",
        terminated, clock.elapsed() / 1000.0, lost, unsure, added, deleted, posted);
    EXPECT_GE(terminated, kTerminations);
    EXPECT_GT(lost, 0);
    const int lines =
        ledger.dat
            .scalar("select count(*) from crereg where zy is null or (zy<>? and zy<>?)",
                    {qb::rows::kOpening, qb::rows::kCarry})
            .toInt();
    EXPECT_LE(std::abs(lines - (added - deleted)), unsure);
    for (const qb::check::Problem& problem : qb::check::verify(ledger.dat))
        ADD_FAILURE() << (problem.bookId + " " + problem.month + " " + problem.text).toStdString();
}
