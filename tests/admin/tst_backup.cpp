#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include "backup.h"
#include "engine.h"
#include "errors.h"
#include "schema.h"
#include "tables.h"
#include "templedger.h"

namespace {

QString phrases(Tdat& dat) {
    return dat
        .scalar(
            "select group_concat(OftenSummary,'|') from "
            "(select OftenSummary from basicset order by OftenSummary)")
        .toString();
}

void addPhrase(Tdat& dat, const QString& phrase) {
    dat.execute("insert into basicset(OftenSummary) values(?)", {phrase});
}

// What the sqlcipher command-line client prints for the statements, keyed or not.
std::string sqlcipher(const QString& file, const QString& statements) {
    QProcess client;
    client.start("sqlcipher", {file});
    if (!client.waitForStarted()) return "sqlcipher client missing";
    client.write(statements.toUtf8());
    client.closeWriteChannel();
    client.waitForFinished();
    return (client.readAllStandardOutput() + client.readAllStandardError()).trimmed().toStdString();
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

}  // namespace

TEST(Backup, NamesCarryTheDayAndTheMoment) {
    EXPECT_EQ(qb::backupFileName(QDate(2026, 3, 7)), "20260307.DAT");
    EXPECT_EQ(qb::backupTarget("/srv/backups", QDate(2026, 12, 31)), "/srv/backups/20261231.DAT");
    EXPECT_EQ(qb::safetyCopyPath("/w/LedgerData.mdb", QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))),
              "/w/LedgerData.mdb.before-restore-20260102-030405");
}

TEST(Backup, CopyIsKeyedAndHoldsTheSameRows) {
    TempLedger t;
    addPhrase(t.dat, "O'Brien 报销");
    t.line("202601001", "2026-01-05", 1, "收到货款", 1200.50, 0, 1200.50);
    const QString target = qb::backupTarget(t.dir(), QDate::currentDate());
    qb::backupDatabase(t.dat, target);

    EXPECT_EQ(sqlcipher(target,
                        "PRAGMA key='mtk52096318';\n"
                        "select count(*), sum(j_je) from crereg;\n"
                        "select OftenSummary from basicset;\n"
                        "select user from pruser;\n"),
              "1|1200.5\nO'Brien 报销\nadmin");
    EXPECT_NE(sqlcipher(target, "select count(*) from crereg;\n").find("not a database"),
              std::string::npos);
    EXPECT_FALSE(QFile::exists(target + ".part"));
    // The live database goes on working after the copy.
    addPhrase(t.dat, "after");
    EXPECT_EQ(phrases(t.dat), "O'Brien 报销|after");
}

TEST(Backup, SecondBackupOfTheDayReplacesTheFirst) {
    TempLedger t;
    const QString target = qb::backupTarget(t.dir(), QDate::currentDate());
    addPhrase(t.dat, "first");
    qb::backupDatabase(t.dat, target);
    addPhrase(t.dat, "second");
    qb::backupDatabase(t.dat, target);
    EXPECT_EQ(sqlcipher(target,
                        "PRAGMA key='mtk52096318';\n"
                        "select group_concat(OftenSummary,'|') from basicset;\n"),
              "first|second");
}

TEST(Backup, RefusesTheDatabaseItselfAndMissingPlaces) {
    TempLedger t;
    addPhrase(t.dat, "keep");
    EXPECT_THROW(qb::backupDatabase(t.dat, t.path()), qb::DbError);
    EXPECT_THROW(qb::backupDatabase(t.dat, t.dir() + "/./" + Tdat::kFileName), qb::DbError);
    EXPECT_THROW(qb::backupDatabase(t.dat, t.dir() + "/missing/20260101.DAT"), qb::DbError);
    EXPECT_THROW(qb::backupDatabase(t.dat, t.dir()), qb::DbError);
    EXPECT_THROW(qb::backupDatabase(t.dat, ""), qb::DbError);
    EXPECT_EQ(phrases(t.dat), "keep");
}

TEST(Restore, GoodBackupComesBackAndTheReplacedFileIsKept) {
    TempLedger t;
    addPhrase(t.dat, "before");
    const QString backup = t.dir() + "/20260101.DAT";
    qb::backupDatabase(t.dat, backup);
    addPhrase(t.dat, "typed after the backup");

    const QDateTime moment(QDate(2026, 2, 3), QTime(4, 5, 6));
    const QString safety = qb::restoreDatabase(t.dat, backup, moment);
    EXPECT_EQ(safety, qb::safetyCopyPath(t.path(), moment));
    ASSERT_TRUE(t.dat.connected());
    EXPECT_EQ(phrases(t.dat), "before");
    addPhrase(t.dat, "works");  // the reopened file takes writes
    EXPECT_EQ(phrases(t.dat), "before|works");

    // The safety copy is a whole database holding what was replaced.
    Tdat old;
    old.open(safety);
    EXPECT_EQ(phrases(old), "before|typed after the backup");
    // A second restore in the same second keeps both safety copies.
    const QString again = qb::restoreDatabase(t.dat, backup, moment);
    EXPECT_NE(again, safety);
    EXPECT_TRUE(QFile::exists(again) && QFile::exists(safety));
    EXPECT_EQ(phrases(t.dat), "before");
    // Nothing half-done is left beside the database, and it is still locked against others.
    EXPECT_EQ(QDir(t.dir()).entryList({"*.restoring", "*.replaced", "*.part"}, QDir::Files),
              QStringList());
    Tdat second;
    EXPECT_THROW(second.open(t.path()), qb::DbError);
}

TEST(Restore, RefusesWhatIsNotALedgerAndChangesNothing) {
    TempLedger t;
    addPhrase(t.dat, "current");
    const QString dir = t.dir();
    writeFile(dir + "/junk.DAT", QByteArray(8192, 'x'));
    writeFile(dir + "/empty.DAT", QByteArray());
    {
        auto other = keyedFile(dir + "/otherkey.DAT", "another password");
        for (const QString& table : qb::schema::names(qb::schema::Made::WithLedger))
            other->execute(QString("create table %1 (a)").arg(table));
        auto partial = keyedFile(dir + "/partial.DAT", Tdat::kPassword);
        partial->execute("create table basicset (OftenSummary text)");
    }
    sqlcipher(dir + "/plain.DAT", "create table basicset (OftenSummary text);\n");
    for (const QString& bad : {dir + "/junk.DAT", dir + "/empty.DAT", dir + "/otherkey.DAT",
                               dir + "/partial.DAT", dir + "/plain.DAT", dir + "/missing.DAT",
                               QString(), t.path(), dir + "/./" + Tdat::kFileName}) {
        SCOPED_TRACE(bad.toStdString());
        EXPECT_THROW(qb::restoreDatabase(t.dat, bad), qb::DbError);
        ASSERT_TRUE(t.dat.connected());
        EXPECT_EQ(phrases(t.dat), "current");
    }
    EXPECT_EQ(QDir(dir).entryList({"*.before-restore-*", "*.restoring", "*.replaced"}),
              QStringList());
}

TEST(DailyBackup, KeepsThirtyAndDropsTheOldestOnlyForAVerifiedCopy) {
    TempLedger t;
    addPhrase(t.dat, "kept");
    const QDir folder(qb::dailyBackupFolder(t.path()));
    const QDate first(2026, 1, 1);
    QDir().mkpath(folder.path());
    for (int day = 0; day < 30; ++day)
        writeFile(qb::dailyBackupFile(t.path(), first.addDays(day)), "older copy");
    const QString oldest = qb::dailyBackupFile(t.path(), first);

    const auto broken = [](const QString&, const QString&, const qb::RowCounts*) -> qb::RowCounts {
        throw qb::DbError("damaged");
    };
    EXPECT_THROW(qb::dailyBackup(t.dat, first.addDays(30), broken), qb::DbError);
    EXPECT_EQ(folder.entryList(QDir::Files | QDir::Hidden).size(), 30);
    EXPECT_TRUE(QFile::exists(oldest));

    const qb::DailyBackup made = qb::dailyBackup(t.dat, first.addDays(30));
    EXPECT_TRUE(made.made);
    EXPECT_EQ(made.removed, QStringList{oldest});
    EXPECT_EQ(folder.entryList(QDir::Files | QDir::Hidden).size(), 30);
    EXPECT_EQ(QFile::permissions(made.file) & 0x0077, 0);  // nothing for group or others
    EXPECT_EQ(qb::verifyBackup(made.file, {})["basicset"], 1);
    EXPECT_FALSE(qb::dailyBackup(t.dat, first.addDays(30)).made);  // once a day
}

TEST(DailyBackup, AClockSetBackNeverDropsTheCopyJustMade) {
    TempLedger t;
    const QDate first(2026, 1, 1);
    QDir().mkpath(qb::dailyBackupFolder(t.path()));
    for (int day = 0; day < 30; ++day)
        writeFile(qb::dailyBackupFile(t.path(), first.addDays(day)), "older copy");

    const qb::DailyBackup made = qb::dailyBackup(t.dat, first.addDays(-1));
    EXPECT_TRUE(QFile::exists(made.file));
    EXPECT_EQ(made.removed, QStringList{qb::dailyBackupFile(t.path(), first)});
}

TEST(DailyBackup, UnfinishedCopiesOfKilledBackupsGoOnceStale) {
    TempLedger t;
    const QDir folder(qb::dailyBackupFolder(t.path()));
    QDir().mkpath(folder.path());
    const QString killed = folder.filePath(".20260101.DAT.new-aB3xYz");
    const QString running = folder.filePath(".20260102.DAT.new-Qw12er");
    writeFile(killed, "half a copy");
    writeFile(running, "a copy being written");
    QFile old(killed);
    ASSERT_TRUE(old.open(QIODevice::ReadWrite));
    old.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime);
    old.close();

    qb::dailyBackup(t.dat, QDate(2026, 1, 2));
    EXPECT_FALSE(QFile::exists(killed));
    EXPECT_TRUE(QFile::exists(running));
}
