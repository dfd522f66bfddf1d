#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include "answering_messages.h"
#include "backup.h"
#include "engine.h"
#include "errors.h"
#include "files.h"
#include "fr_dat.h"
#include "schema.h"
#include "templedger.h"

namespace {

QString openError(const QString& path, Tdat::Mode mode = Tdat::Mode::Locked) {
    Tdat dat;
    try {
        dat.open(path, mode);
    } catch (const qb::DbError& e) {
        return e.message();
    }
    return {};
}

QByteArray digest(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

bool ownerOnly(const QString& path) {
    return QFile::permissions(path) ==
           (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
}

}  // namespace

TEST(LedgerFile, AFileThatIsNotALedgerIsRefusedByNameAndLeftUntouched) {
    QTemporaryDir tmp;
    const QString empty = tmp.filePath("empty.mdb");
    QFile(empty).open(QIODevice::WriteOnly);
    const QString bare = tmp.filePath("bare.mdb");
    keyedFile(bare, Tdat::kPassword)->execute("create table other (a)");
    for (const QString& file : {empty, bare}) {
        const QByteArray before = digest(file);
        EXPECT_TRUE(openError(file).contains("不是 Quillbook 数据库"))
            << openError(file).toStdString();
        EXPECT_TRUE(openError(file, Tdat::Mode::ReadOnly).contains("没有数据表 accstar"));
        EXPECT_EQ(digest(file), before);
    }
}

TEST(LedgerFile, CreatingLeavesEitherTheWholeLedgerOrNothing) {
    QTemporaryDir tmp;
    const QString path = Tdat::pathIn(tmp.path());
    const auto failingFill = [](Tdat& dat) {
        dat.execute("insert into basicset values('half')");
        throw qb::DbError("disk full");
    };
    EXPECT_THROW(qb::createDatabase(path, "admin", "pw", {{}, failingFill}), qb::DbError);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());

    qb::createDatabase(path, "admin", "pw");
    EXPECT_TRUE(ownerOnly(path));
    Tdat dat;
    dat.open(path);
    EXPECT_TRUE(ownerOnly(path + ".lock"));
    // Nothing is ever put over what is there, not even through a link that leads nowhere.
    EXPECT_THROW(qb::createDatabase(path, "other", "pw"), qb::DbError);
    const QString link = tmp.filePath("elsewhere/LedgerData.mdb");
    QDir(tmp.path()).mkdir("elsewhere");
    QFile::link(tmp.filePath("nowhere/target.mdb"), link);
    try {
        qb::createDatabase(link, "admin", "pw");
        ADD_FAILURE() << "a dangling link was followed";
    } catch (const qb::DbError& e) {
        EXPECT_TRUE(e.message().contains(link) && e.message().contains("链接"));
    }
    EXPECT_FALSE(QFile::exists(tmp.filePath("nowhere/target.mdb")));
}

TEST(LedgerFile, ReadingNeedsNoLockAndALockFolderIsNamed) {
    TempLedger t;  // holds the lock, as the running program does
    Tdat reader;
    reader.open(t.path(), Tdat::Mode::ReadOnly);
    EXPECT_EQ(reader.scalar("select user from pruser").toString(), "admin");
    EXPECT_THROW(reader.execute("insert into basicset values('x')"), qb::DbError);

    t.dat.close();
    QDir(t.dir()).mkdir(QString(Tdat::kFileName) + ".lock");
    EXPECT_TRUE(openError(t.path()).contains("是一个文件夹")) << openError(t.path()).toStdString();
}

TEST(LedgerFile, APassphraseOfItsOwnIsNeededToOpenItAndItsBackups) {
    TempLedger t;
    t.dat.execute("insert into basicset values('secret')");
    t.dat.setPassphrase("口令 with ' quote");
    const QString backup = t.dir() + "/20260101.DAT";
    qb::backupDatabase(t.dat, backup);
    t.dat.close();

    for (const QString& file : {t.path(), backup}) {
        Tdat dat;
        EXPECT_THROW(dat.open(file, Tdat::Mode::ReadOnly), qb::KeyError);
        EXPECT_THROW(dat.open(file, Tdat::Mode::ReadOnly, "wrong"), qb::KeyError);
        dat.open(file, Tdat::Mode::ReadOnly, "口令 with ' quote");
        EXPECT_EQ(dat.scalar("select OftenSummary from basicset").toString(), "secret");
    }
    t.dat.open(t.path(), Tdat::Mode::Locked, "口令 with ' quote");
    t.dat.setPassphrase({});
    t.dat.close();
    t.dat.open(t.path());
    EXPECT_EQ(t.dat.passphrase(), "");
}

TEST(LedgerFile, ReadingAFileAWriterLeftHalfDoneSaysWhatToDo) {
    TempLedger t;
    QTemporaryDir crashed;
    const QString copy = Tdat::pathIn(crashed.path());
    {
        // The file and its journal as a writer killed in the middle of a change leaves them: a
        // change larger than the page cache is already partly written to the file.
        t.dat.execute("pragma cache_size=10");
        qb::Transaction change(t.dat);
        for (int i = 0; i < 200; ++i)
            t.dat.execute("insert into basicset values(?)", {QString(40, QChar('x' + i % 3))});
        ASSERT_TRUE(QFile::copy(t.path(), copy));
        ASSERT_TRUE(QFile::copy(t.path() + "-journal", copy + "-journal"));
    }
    const QString why = openError(copy, Tdat::Mode::ReadOnly);
    EXPECT_TRUE(why.contains("没有做完的更改")) << why.toStdString();

    Tdat writer;  // undoes the change, after which reading works again
    writer.open(copy);
    writer.close();
    Tdat reader;
    reader.open(copy, Tdat::Mode::ReadOnly);
    EXPECT_EQ(reader.scalar("select count(*) from basicset").toInt(), 0);
}

// A lock nobody holds (left by a dead program, or not a lock at all) is taken over and the
// takeover said; one held on another machine, or by a live program, keeps the ledger closed; a
// link at the lock's name is refused and not followed. Leftovers of a copy killed an hour ago go.
TEST(LedgerFile, AStaleOrForeignLockIsTakenOverAndALinkAtItsNameRefused) {
    TempLedger t;
    t.dat.close();
    const QString lock = t.path() + ".lock";
    const auto writeLock = [&lock](const QByteArray& content) {
        QFile::remove(lock);
        QFile f(lock);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    };
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
    AnsweringMessages answers;
    for (const QByteArray& stale :
         {QByteArray("not a lock at all"), QByteArray(), "999999999\nquillbook\n" + host + "\n",
          QByteArray::number(QCoreApplication::applicationPid()) + "\nvim\n" + host + "\n"}) {
        writeLock(stale);
        EXPECT_EQ(openError(t.path()), "") << stale.toStdString();
    }
    ASSERT_EQ(answers.texts.size(), 4);
    EXPECT_TRUE(answers.texts[0].contains("接管")) << answers.texts[0].toStdString();
    EXPECT_TRUE(answers.texts[2].contains("已经不在运行")) << answers.texts[2].toStdString();

    writeLock("1\nquillbook\nanother-desk\n");
    EXPECT_TRUE(openError(t.path()).contains("正被另一个")) << openError(t.path()).toStdString();
    QFile::remove(lock);
    {
        Tdat holder;
        holder.open(t.path());
        EXPECT_TRUE(openError(t.path()).contains("正被另一个"));
    }

    const QString elsewhere = t.dir() + "/elsewhere";
    ASSERT_TRUE(QFile::link(elsewhere, lock));
    EXPECT_TRUE(openError(t.path()).contains("是一个链接")) << openError(t.path()).toStdString();
    EXPECT_FALSE(QFile::exists(elsewhere));
    QFile::remove(lock);

    const QString old = t.dir() + "/.LedgerData.mdb.new-abc123";
    const QString fresh = t.dir() + "/.LedgerData.mdb.new-def456";
    for (const QString& leftover : {old, fresh}) {
        QFile f(leftover);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QFile f(old);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.setFileTime(QDateTime::currentDateTime().addSecs(-7200), QFileDevice::FileModificationTime);
    f.close();
    EXPECT_EQ(openError(t.path()), "");
    EXPECT_FALSE(QFile::exists(old));
    EXPECT_TRUE(QFile::exists(fresh));
}

// Every finished file is written one way: whole, for its owner alone whatever was there, never
// through a link (a link's target is neither changed nor created).
TEST(LedgerFile, TheOneFileWriterRefusesLinksAndLeavesOwnerOnlyFiles) {
    QTemporaryDir tmp;
    const QString target = tmp.filePath("report.pdf");
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("older");
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                         QFile::ReadOther);
    }
    qb::files::writeWhole(target, "newer");
    EXPECT_EQ(digest(target), QCryptographicHash::hash("newer", QCryptographicHash::Sha256));
    EXPECT_TRUE(ownerOnly(target));
    EXPECT_TRUE(refusal([&] {
                    qb::files::writeWhole(target, "again", qb::files::Existing::Keep);
                }).contains("已经存在"));

    const QString link = tmp.filePath("link.pdf"), dangling = tmp.filePath("dangling.pdf");
    ASSERT_TRUE(QFile::link(target, link));
    ASSERT_TRUE(QFile::link(tmp.filePath("nowhere.pdf"), dangling));
    EXPECT_TRUE(refusal([&] { qb::files::writeWhole(link, "through"); }).contains("链接"));
    EXPECT_TRUE(refusal([&] { qb::files::writeWhole(dangling, "through"); }).contains("链接"));
    EXPECT_EQ(digest(target), QCryptographicHash::hash("newer", QCryptographicHash::Sha256));
    EXPECT_FALSE(QFile::exists(tmp.filePath("nowhere.pdf")));
    EXPECT_TRUE(qb::files::sameFile(link, target));
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 3);
}
