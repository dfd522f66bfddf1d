// One cashier of the concurrency trial: random ledger operations on two books of a server ledger,
// as the register makes them, each through the ledger's own operation. Prints what it did:
//   added A typed T deleted D posted P refused R lost L unsure U
// A refusal is an operation another cashier made impossible meanwhile (the month was posted, the
// line deleted) or one that waited too long; anything else ends the worker with exit code 1.
// Given a stop file, the worker also lives through its sessions being ended from outside (the
// termination trial): an operation whose connection was lost counts as lost, one lost at its
// commit, so that it may or may not have been saved, as unsure; it posts more often, months
// already posted too, and stops once the stop file is there.
//
//   trial_worker CONNECTION BOOK1 BOOK2 SEED OPERATIONS [STOPFILE]
#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <cstdio>

#include "errors.h"
#include "fr_dat.h"
#include "ledger.h"
#include "months.h"
#include "rowkinds.h"

namespace L = qb::ledger;

namespace {

struct Tally {
    int added = 0, typed = 0, deleted = 0, posted = 0, refused = 0, lost = 0, unsure = 0;
};

// A line of the month that a cashier could click on: none of the opening or carry-forward rows.
qint64 anyLine(Tdat& dat, const QString& book, const QDate& month, QRandomGenerator& random) {
    qb::Query q(dat);
    q.setSql(QStringLiteral("select rowid from crereg where zbh=? and dzrq between ? and ? and "
                            "zy<>? and zy<>? order by rowid"),
             QVariantList{book} + qb::months::range(month) +
                 QVariantList{qb::rows::kOpening, qb::rows::kCarry});
    q.open();
    if (q.isEmpty()) return 0;
    return q.valueAt(random.bounded(q.recordCount()), 0).toLongLong();
}

void typeAmount(Tdat& dat, qint64 line, QRandomGenerator& random) {
    L::edit_line(dat, line, random.bounded(2) ? L::JJe : L::DJe,
                 qb::money::fromCents(random.bounded(1, 100000)));
}

void operate(Tdat& dat, const QString& book, QRandomGenerator& random, Tally& tally, bool lossy) {
    const QDate month = L::first_open_month(dat, book);
    const int pick = random.bounded(100);
    if (lossy && pick < 10) {
        // A posted month posted again runs many statements: the longest operation there is.
        if (dat.scalar(QStringLiteral("select count(*) from total where zbh=? and dzrq<?"),
                       {book, month})
                .toInt() > 0) {
            L::post_month(dat, book, month.addMonths(-1));
            ++tally.posted;
        }
        return;
    }
    if (lossy && pick < 20) {
        L::post_month(dat, book, month);
        ++tally.posted;
        return;
    }
    if (pick < 35) {
        const QDate day = month.addDays(random.bounded(month.daysInMonth()));
        const qint64 line = L::add_line(dat, book, day, QStringLiteral("trial")).rowId;
        ++tally.added;
        typeAmount(dat, line, random);
        ++tally.typed;
    } else if (pick < 70) {
        if (const qint64 line = anyLine(dat, book, month, random)) {
            typeAmount(dat, line, random);
            ++tally.typed;
        }
    } else if (pick < 96) {
        if (const qint64 line = anyLine(dat, book, month, random)) {
            if (L::delete_line(dat, line) == L::DeleteResult::Deleted)
                ++tally.deleted;
            else
                ++tally.refused;
        }
    } else {
        L::post_month(dat, book, month);
        ++tally.posted;
    }
}

// What another cashier may make of an operation: refused, the ledger left as it was.
bool isRefusal(const qb::DbError& e) {
    return dynamic_cast<const qb::ConflictError*>(&e) || e.message().contains("本月数据己结转") ||
           e.message().contains("已被删除");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 5 && args.size() != 6) {
        std::fputs("usage: trial_worker CONNECTION BOOK1 BOOK2 SEED OPERATIONS [STOPFILE]\n",
                   stderr);
        return 2;
    }
    const QString stopFile = args.value(5);
    const bool lossy = !stopFile.isEmpty();
    QRandomGenerator random(args[3].toUInt());
    Tally tally;
    try {
        Tdat dat;
        // The session may be ended while it is being set up, too.
        for (int tries = 1;; ++tries) {
            try {
                dat.openServer(args[0]);
                break;
            } catch (const qb::DbError&) {
                if (!lossy || tries == 20) throw;
            }
        }
        for (int i = 0; i < args[4].toInt() && !(lossy && QFile::exists(stopFile)); ++i) {
            try {
                operate(dat, args[1 + random.bounded(2)], random, tally, lossy);
            } catch (const qb::DbError& e) {
                if (lossy && e.message().contains(QStringLiteral("提交时")))
                    ++tally.unsure;
                else if (lossy && e.message().contains(QStringLiteral("连接")))
                    ++tally.lost;
                else if (isRefusal(e))
                    ++tally.refused;
                else
                    throw;
            }
        }
    } catch (const qb::DbError& e) {
        std::fprintf(stderr, "%s\n", e.message().toUtf8().constData());
        return 1;
    }
    std::printf("added %d typed %d deleted %d posted %d refused %d lost %d unsure %d\n",
                tally.added, tally.typed, tally.deleted, tally.posted, tally.refused, tally.lost,
                tally.unsure);
    return 0;
}
