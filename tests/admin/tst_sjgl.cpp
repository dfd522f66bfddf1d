#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QtTest>

#include "backup.h"
#include "schema.h"
#include "sjgl.h"
#include "window_fixture.h"

class TestSjgl : public QObject, WindowFixture<Tfr_sjgl> {
    Q_OBJECT

    QList<QWidget*> closedFor;

    QString target() { return child<QLineEdit>("Edit1")->text(); }
    QString stamp() { return qb::backupFileName(QDate::currentDate()); }
    void click(const char* name) {
        QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton);
    }
    void addPhrase(Tdat& dat, const QString& phrase) {
        dat.execute("insert into basicset(OftenSummary) values(?)", {phrase});
    }
    QString phrases(Tdat& dat) {
        return rowsText(dat, "select OftenSummary from basicset order by rowid");
    }
    void doubleClickDirectory(const QString& name) {
        auto* tree = child<QTreeWidget>("DirectoryListBox1");
        const auto items = tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        QVERIFY(!items.isEmpty());
        const QPoint at = tree->visualItemRect(items.first()).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          at);  // a double-click's first press
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
    }
    void fileOnly() {
        if (t->engine == Engine::Server) QSKIP("the ledger file only");
    }
    void pick(const QString& file) {
        window->pickFile = [file](QWidget*, const QString& filter) {
            return filter == "财务数据库 (*.dat *.DAT)" ? file : QString();
        };
        click("SpeedButton1");
    }

private slots:
    void init() {
        begin();
        QDir(t->dir()).mkpath("备份/2026");
        addPhrase(t->dat, "原有数据");
        closedFor.clear();
        session->closeChildWindows = [this](QWidget* keep) { closedFor << keep; };
        showWindow();
    }
    void cleanup() { end(); }

    void modesSwitchWidthAndKeepThePaths() {
        QVERIFY(child<QRadioButton>("RadioButton1")->isChecked());
        QCOMPARE(target(), QDir(t->dir()).filePath(stamp()));
        QVERIFY(!child("SpeedButton1")->isEnabled());
        QCOMPARE(window->width(), 573);
        QVERIFY(child("DirectoryListBox1")->isVisible());

        click("RadioButton2");
        QVERIFY(!child<QRadioButton>("RadioButton1")->isChecked());
        QVERIFY(child("SpeedButton1")->isEnabled());
        QVERIFY(!child("DriveComboBox1")->isVisible() && !child("DirectoryListBox1")->isVisible());
        QCOMPARE(window->width(), 360);
        pick(t->dir() + "/x.DAT");
        QCOMPARE(child<QLineEdit>("Edit2")->text(), t->dir() + "/x.DAT");
        pick(QString());  // cancelled: nothing changes
        QCOMPARE(child<QLineEdit>("Edit2")->text(), t->dir() + "/x.DAT");

        click("RadioButton1");
        QVERIFY(!child<QRadioButton>("RadioButton2")->isChecked());
        QCOMPARE(window->width(), 573);
        QCOMPARE(target(), QDir(t->dir()).filePath(stamp()));
        QCOMPARE(child<QLineEdit>("Edit2")->text(), t->dir() + "/x.DAT");
    }

    void directoriesMoveTheTargetDrivesDoNot() {
        doubleClickDirectory("备份");
        QCOMPARE(window->directory(), t->dir() + "/备份");
        QCOMPARE(target(), t->dir() + "/备份/" + stamp());
        doubleClickDirectory("2026");
        QCOMPARE(target(), t->dir() + "/备份/2026/" + stamp());
        auto* drives = child<QComboBox>("DriveComboBox1");
        QVERIFY(drives->count() >= 1);
        QCOMPARE(drives->itemData(0).toString(), QDir::rootPath());
        drives->setCurrentIndex(0);
        window->DriveComboBox1Change();
        QCOMPARE(window->directory(), QDir::rootPath());
        QCOMPARE(target(), t->dir() + "/备份/2026/" + stamp());
    }

    void backupWritesAKeyedCopyAndOverwritesTheDaysFile() {
        fileOnly();
        doubleClickDirectory("备份");
        click("SpeedButton3");
        QCOMPARE(messages->texts, QStringList({"操作完成！"}));
        {
            Tdat copy;
            copy.open(target());
            QCOMPARE(phrases(copy), QString("原有数据"));
        }
        addPhrase(t->dat, "O'Brien");
        click("SpeedButton3");
        Tdat copy;
        copy.open(target());
        QCOMPARE(phrases(copy), QString("原有数据,O'Brien"));
        QVERIFY(messages->captions.isEmpty());  // a backup asks nothing

        messages->texts.clear();
        child<QLineEdit>("Edit1")->setText(t->dir() + "/no such folder/" + stamp());
        click("SpeedButton3");
        QCOMPARE(messages->texts, QStringList({"操作失败，请检查目录或文件是否正确。"}));
    }

    void restoreReplacesTheDataAndClosesTheOtherWindows() {
        fileOnly();
        click("SpeedButton3");  // today's backup beside the database
        addPhrase(t->dat, "备份之后");
        click("RadioButton2");
        pick(target());

        messages->texts.clear();
        messages->answer(qb::MsgAnswer::No);
        click("SpeedButton3");
        QCOMPARE(messages->captions, QStringList({"系统警告"}));
        QCOMPARE(messages->texts,
                 QStringList({"“还原数据库”将会覆盖现有的数据，而且不可恢复，是否继续？"}));
        QCOMPARE(phrases(t->dat), QString("原有数据,备份之后"));
        QVERIFY(closedFor.isEmpty());

        messages->texts.clear();
        messages->answer(qb::MsgAnswer::Yes);
        click("SpeedButton3");
        QCOMPARE(messages->texts.last(), QString("操作完成！"));
        QCOMPARE(phrases(t->dat), QString("原有数据"));
        QCOMPARE(closedFor, QList<QWidget*>({window.get()}));
        // The replaced data waits in the safety copy.
        const QStringList kept =
            QDir(t->dir()).entryList({QString(Tdat::kFileName) + ".before-restore-*"});
        QCOMPARE(kept.size(), 1);
        Tdat old;
        old.open(QDir(t->dir()).filePath(kept[0]));
        QCOMPARE(phrases(old), QString("原有数据,备份之后"));
    }

    void restoreRefusesABadFileWithoutAsking() {
        fileOnly();
        QFile junk(t->dir() + "/junk.DAT");
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'j'));
        junk.close();
        click("RadioButton2");
        click("SpeedButton3");  // nothing picked
        pick(junk.fileName());
        click("SpeedButton3");
        pick(t->path());  // the database itself
        click("SpeedButton3");
        QCOMPARE(messages->texts.size(), 4);
        QCOMPARE(messages->texts.mid(0, 2), QStringList(2, "操作失败，请检查目录或文件是否正确。"));
        QCOMPARE(messages->texts.last(), QString("操作失败，请检查目录或文件是否正确。"));
        QCOMPARE(phrases(t->dat), QString("原有数据"));
        QVERIFY(closedFor.isEmpty());
        QCOMPARE(QDir(t->dir()).entryList({"*.before-restore-*"}), QStringList());
    }

    void onlyAnAdministratorGivesTheLedgerAPassphraseAfterAWarning() {
        fileOnly();
        int asked = 0;
        window->choosePassphrase = [&](QWidget*) {
            ++asked;
            return std::optional<QString>("新口令");
        };
        session->role_code = Session::Operator;
        click("SpeedButton5");
        QCOMPARE(messages->texts, QStringList({"对不起，你没有这个权限！请以管理员身份登录."}));
        QCOMPARE(asked, 0);

        session->role_code = Session::Administrator;
        messages->answer(qb::MsgAnswer::No);
        click("SpeedButton5");
        QCOMPARE(messages->captions, QStringList({"系统警告"}));
        QCOMPARE(t->dat.passphrase(), QString());
        click("SpeedButton5");
        QCOMPARE(messages->texts.last(), QString("数据库口令已设置。"));
        QCOMPARE(t->dat.passphrase(), QString("新口令"));
        QVERIFY(!qb::isLedgerDatabase(t->path()));
        QVERIFY(qb::isLedgerDatabase(t->path(), nullptr, "新口令"));
        QCOMPARE(phrases(t->dat), QString("原有数据"));  // the open ledger goes on working
    }

    // A ledger on a database server has no file here to copy or key: each command says whose
    // tools do that instead, and asks nothing.
    void aServerLedgerNamesTheServersTools() {
        if (t->engine != Engine::Server) QSKIP("a server ledger only");
        window->choosePassphrase = [](QWidget*) -> std::optional<QString> {
            QTest::qFail("asked for a passphrase", __FILE__, __LINE__);
            return std::nullopt;
        };
        click("SpeedButton3");
        click("RadioButton2");
        click("SpeedButton3");
        session->role_code = Session::Administrator;
        click("SpeedButton5");
        QCOMPARE(messages->texts, QStringList({qb::kServerLedgerBackups, qb::kServerLedgerBackups,
                                               qb::kServerLedgerPassphrase}));
        QVERIFY(qb::kServerLedgerBackups.contains("pg_dump"));
        QCOMPARE(phrases(t->dat), QString("原有数据"));
    }
};

QTEST_MAIN(TestSjgl)
#include "tst_sjgl.moc"
