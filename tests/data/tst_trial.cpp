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

namespace {

// What the cashiers said they did, added up: "added N typed N deleted N posted N refused N",
// followed by "lost N unsure N" in the termination trial.
struct Tally {
    int added = 0, deleted = 0, posted = 0, refused = 0, lost = 0, unsure = 0;
};

void addUp(const std::vector<std::unique_ptr<QProcess>>& cashiers, int waitMs, Tally& sum) {
    static const QRegularExpression tally(
        QStringLiteral("added (\\d+) typed \\d+ deleted (\\d+) posted (\\d+) refused (\\d+)"
                       "(?: lost (\\d+) unsure (\\d+))?"));
    for (const auto& cashier : cashiers) {
        ASSERT_TRUE(cashier->waitForFinished(waitMs));
        const QString said = QString::fromUtf8(cashier->readAllStandardOutput());
        ASSERT_EQ(cashier->exitCode(), 0) << cashier->readAllStandardError().toStdString();
        const QRegularExpressionMatch counts = tally.match(said);
        ASSERT_TRUE(counts.hasMatch()) << said.toStdString();
        sum.added += counts.captured(1).toInt();
        sum.deleted += counts.captured(2).toInt();
        sum.posted += counts.captured(3).toInt();
        sum.refused += counts.captured(4).toInt();
        sum.lost += counts.captured(5).toInt();
        sum.unsure += counts.captured(6).toInt();
    }
}

// The journal's own lines: every row but the opening and carry-forward rows.
int journalLines(Tdat& dat) {
    return dat
        .scalar("select count(*) from crereg where zy is null or (zy<>? and zy<>?)",
                {qb::rows::kOpening, qb::rows::kCarry})
        .toInt();
}

void expectChecksClean(Tdat& dat) {
    for (const qb::check::Problem& problem : qb::check::verify(dat))
        ADD_FAILURE() << (problem.bookId + " " + problem.month + " " + problem.text).toStdString();
}

}  // namespace

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
    Tally t;
    addUp(cashiers, 180000, t);
    if (HasFatalFailure()) return;
    std::printf(
        "%d cashiers x %d operations in %.1f s: %d lines added, %d deleted, %d postings, "
        "%d refused\n",
        kCashiers, kOperations, clock.elapsed() / 1000.0, t.added, t.deleted, t.posted, t.refused);
    EXPECT_GT(t.posted, 0);
    EXPECT_EQ(journalLines(ledger.dat), t.added - t.deleted);
    expectChecksClean(ledger.dat);
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
    // Only this ledger's: the tests running beside it on the same server are left alone.
    qb::engine::Statement& inside = admin->prepare(
        "select distinct pid from pg_locks where locktype='advisory' and pid<>pg_backend_pid() "
        "and database=(select oid from pg_database where datname=current_database())");
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

    Tally t;
    addUp(cashiers, 60000, t);
    if (HasFatalFailure()) return;
    std::printf(
        "%d sessions ended inside operations in %.1f s: %d operations lost whole, %d lost "
        "at the commit; %d lines added, %d deleted, %d postings\n",
        terminated, clock.elapsed() / 1000.0, t.lost, t.unsure, t.added, t.deleted, t.posted);
    EXPECT_GE(terminated, kTerminations);
    EXPECT_GT(t.lost, 0);
    EXPECT_LE(std::abs(journalLines(ledger.dat) - (t.added - t.deleted)), t.unsure);
    expectChecksClean(ledger.dat);
}
