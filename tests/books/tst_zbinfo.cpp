// The settings file of book names and categories, and the window that edits it.
#include <sys/resource.h>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

#include "answering_messages.h"
#include "errors.h"
#include "fr_dat.h"
#include "session.h"
#include "zbinfo.h"
#include "zhxx.h"

namespace {

QByteArray readAll(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& file, const QByteArray& bytes) {
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Caps the size of any file this process writes, so that a save fails however privileged the
// test runs; the previous limit comes back with the scope.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit capped = previous_;
        capped.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &capped);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &previous_); }

private:
    rlimit previous_{};
};

}  // namespace

class TestZbinfo : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString file() const { return dir.filePath(QStringLiteral("zbinfo.ini")); }

private slots:
    void init() {
        QFile::remove(file());
        qb::zbinfo::setDirectory(dir.path());
    }

    void aFileFromAnOlderProgramReadsInItsCodePage() {
        QStringEncoder gbk("GB18030");
        writeAll(file(),
                 gbk.encode(QStringLiteral("[帐簿名称]\r\n工商银行基本户=\r\n库存现金=\r\n"
                                           "[帐簿类别]\r\n现金日记帐=\r\n银行日记帐=\r\n")));
        QCOMPARE(qb::zbinfo::names(), QStringList({"工商银行基本户", "库存现金"}));
        QCOMPARE(qb::zbinfo::categories(), QStringList({"现金日记帐", "银行日记帐"}));
    }

    void keysAreTakenOnceBeforeTheFirstEquals() {
        writeAll(file(),
                 QStringLiteral("; comment\n[ 帐簿名称 ]\nCash=1\n  cash = 2\nA=B=C\n"
                                "plain line\n\n[旧]Bank=\n;x=\n[other]\nx=\n[帐簿名称]\nlater=\n")
                     .toUtf8());
        QCOMPARE(qb::zbinfo::names(), QStringList({"Cash", "A", "plain line", "[旧]Bank", ";x"}));
        QVERIFY(qb::zbinfo::categories().isEmpty());
    }

    void aLongSectionIsReadWhole() {
        QStringList names;
        for (int i = 0; i < 3000; ++i)
            names << QStringLiteral("往来银行账户%1").arg(i);
        qb::zbinfo::save(names, {});
        QVERIFY(QFileInfo(file()).size() > 3 * 16384);
        QCOMPARE(qb::zbinfo::names(), names);
    }

    void savingWritesUtf8WithCrlfAndEachEntryOnce() {
        qb::zbinfo::save({"中国银行", "Cash", "中国银行", "CASH", "a=b"}, {"银行卡"});
        QCOMPARE(
            readAll(file()),
            QStringLiteral("[帐簿名称]\r\n中国银行=\r\nCash=\r\na=\r\n[帐簿类别]\r\n银行卡=\r\n")
                .toUtf8());
        QCOMPARE(qb::zbinfo::names(), QStringList({"中国银行", "Cash", "a"}));

        qb::zbinfo::save({}, {"现金日记帐"});
        QVERIFY(qb::zbinfo::names().isEmpty());
        QCOMPARE(qb::zbinfo::categories(), QStringList({"现金日记帐"}));
    }

    void savingTwoEmptyListsLeavesNoFile() {
        qb::zbinfo::save({"现金"}, {"现金日记帐"});
        QVERIFY(QFile::exists(file()));
        qb::zbinfo::save({}, {});
        QVERIFY(!QFile::exists(file()));
        QVERIFY(qb::zbinfo::names().isEmpty());
        qb::zbinfo::save({}, {});  // nothing to remove is no failure
    }

    void aFailedWriteKeepsThePreviousFile() {
        qb::zbinfo::save({"库存现金"}, {"现金日记帐"});
        const QByteArray before = readAll(file());
        QStringList many;
        for (int i = 0; i < 200; ++i)
            many << QStringLiteral("新帐簿%1").arg(i);
        {
            FileSizeLimit limit(16);
            QVERIFY_THROWS_EXCEPTION(qb::DbError, qb::zbinfo::save(many, {"银行卡"}));
        }
        QCOMPARE(readAll(file()), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"zbinfo.ini"}));
    }

    void theWindowEditsAndSavesTheLists() {
        qb::zbinfo::save({"库存现金"}, {"现金日记帐"});
        AnsweringMessages answers;
        Tdat dat;
        Session session(dat);
        Tfr_zhxx window(session);
        auto* edit1 = window.findChild<QLineEdit*>("Edit1");
        auto* list1 = window.findChild<QListWidget*>("ListBox1");
        auto* list2 = window.findChild<QListWidget*>("ListBox2");
        QCOMPARE(list1->count(), 1);
        QCOMPARE(list2->item(0)->text(), QStringLiteral("现金日记帐"));

        edit1->setText(QStringLiteral("建设银行一般户"));
        QTest::keyClick(edit1, Qt::Key_Return);
        edit1->setText(QStringLiteral("建设银行一般户"));
        window.findChild<QPushButton*>("SpeedButton1")->click();
        window.findChild<QPushButton*>("SpeedButton1")->click();  // empty: nothing added
        QCOMPARE(list1->count(), 3);
        QVERIFY(edit1->text().isEmpty());

        window.findChild<QPushButton*>("SpeedButton4")->click();  // nothing selected
        QCOMPARE(list2->count(), 1);
        list2->setCurrentRow(0);
        window.findChild<QPushButton*>("SpeedButton4")->click();
        QCOMPARE(list2->count(), 0);

        window.findChild<QPushButton*>("SpeedButton5")->click();
        QCOMPARE(answers.texts, QStringList({"保存完毕"}));
        QCOMPARE(answers.captions, QStringList({"系统提示"}));
        QCOMPARE(qb::zbinfo::names(), QStringList({"库存现金", "建设银行一般户"}));
        QVERIFY(qb::zbinfo::categories().isEmpty());
    }

    void theWindowReportsAFailedSave() {
        qb::zbinfo::save({"库存现金"}, {});
        const QByteArray before = readAll(file());
        AnsweringMessages answers;
        Tdat dat;
        Session session(dat);
        Tfr_zhxx window(session);
        auto* edit2 = window.findChild<QLineEdit*>("Edit2");
        for (int i = 0; i < 20; ++i) {
            edit2->setText(QStringLiteral("类别%1").arg(i));
            QTest::keyClick(edit2, Qt::Key_Enter);
        }
        {
            FileSizeLimit limit(16);
            window.findChild<QPushButton*>("SpeedButton5")->click();
        }
        QCOMPARE(answers.texts, QStringList({"Unable to write to " + file()}));
        QCOMPARE(readAll(file()), before);
        QCOMPARE(window.findChild<QListWidget*>("ListBox2")->count(), 20);
    }
};

QTEST_MAIN(TestZbinfo)
#include "tst_zbinfo.moc"
