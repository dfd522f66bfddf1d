// The book list and the book editor against a real database file.
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include "answering_messages.h"
#include "session.h"
#include "templedger.h"
#include "zbgl.h"
#include "zbgl_in.h"
#include "zbinfo.h"

class TestZbgl : public QObject {
    Q_OBJECT

    std::unique_ptr<TempLedger> ledger;
    std::unique_ptr<Session> session;
    std::unique_ptr<AnsweringMessages> answers;

    Tdat& dat() { return ledger->dat; }
    int count(const QString& sql, const QVariantList& params = {}) {
        return dat().scalar(sql, params).toInt();
    }
    int rows(const char* table, const QString& book) {
        return count(QStringLiteral("select count(*) from %1 where %2=?")
                         .arg(table, table == QLatin1String("accstar") ? "zbid" : "zbh"),
                     {book});
    }
    QString flag(const QString& book) {
        return dat().scalar("select flag from accstar where zbid=?", {book}).toString();
    }
    void book(const QString& id, const QString& name, double opening, const QString& flag,
              const QString& start) {
        dat().execute(
            "insert into accstar(zbid,zblb,zbmc,zh,qcye,flag,qyrq) "
            "values(?,'银行日记帐',?,'6222 0200 1234',?,?,?)",
            {id, name, opening, flag, start});
    }
    static QTreeWidget* list(Tfr_zbgl& w) { return w.findChild<QTreeWidget*>("ListView1"); }
    static void click(QWidget& w, const char* name) {
        w.findChild<QAbstractButton*>(QLatin1String(name))->click();
    }
    static void select(Tfr_zbgl& w, int row) {
        list(w)->setCurrentItem(list(w)->topLevelItem(row));
    }
    static void tick(Tfr_zbgl& w, int row, bool on) {
        list(w)->topLevelItem(row)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
    }
    // Fills the editor's four required fields.
    static void fill(Tfr_zbgl_in& e, const QString& category, const QString& name,
                     const QString& account, const QString& amount) {
        e.findChild<QComboBox*>("ComboBox1")->setEditText(category);
        e.findChild<QComboBox*>("ComboBox2")->setEditText(name);
        e.findChild<QLineEdit*>("Edit1")->setText(account);
        e.findChild<QLineEdit*>("Edit2")->setText(amount);
    }

private slots:
    void init() {
        ledger = std::make_unique<TempLedger>();
        session = std::make_unique<Session>(ledger->dat);
        answers = std::make_unique<AnsweringMessages>();
        qb::zbinfo::setDirectory(ledger->dir());
    }
    void cleanup() {
        answers.reset();
        session.reset();
        ledger.reset();
    }

    void theListShowsEveryBook() {
        book("2024031", "基本户", 1234567.5, "1", "2024-03-15");
        book("2024032", "现金", 0, "0", "2024-03-01");
        Tfr_zbgl w(*session);
        QTreeWidget* l = list(w);
        QCOMPARE(l->topLevelItemCount(), 2);
        const QStringList captions{"启用", "帐簿类别", "帐簿名称", "帐号", "期初金额", "启用日期"};
        const int widths[] = {40, 100, 300, 150, 100, 80};
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(l->headerItem()->text(c), captions[c]);
            QCOMPARE(l->header()->sectionSize(c), widths[c]);
        }
        const QTreeWidgetItem* first = l->topLevelItem(0);
        QCOMPARE(first->checkState(0), Qt::Checked);
        QCOMPARE(first->text(2), QStringLiteral("基本户"));
        QCOMPARE(first->text(4), QStringLiteral("1,234,567.50"));
        QCOMPARE(first->text(5), QStringLiteral("2024-03-15"));
        QCOMPARE(l->topLevelItem(1)->checkState(0), Qt::Unchecked);
        QVERIFY(l->alternatingRowColors());
        QCOMPARE(l->palette().color(QPalette::AlternateBase), QColor(166, 202, 240));
        QCOMPARE(l->selectionBehavior(), QAbstractItemView::SelectRows);
    }

    void tickingAndSavingCreatesTheOpeningRowsOnce() {
        book("2024031", "基本户", 1000, "0", "2024-03-15");
        Tfr_zbgl w(*session);
        tick(w, 0, true);
        click(w, "SpeedButton2");
        QCOMPARE(answers->texts, QStringList({"数据已保存！"}));
        QCOMPARE(flag("2024031"), QStringLiteral("1"));
        QCOMPARE(count("select count(*) from crereg where zbh='2024031' and zy='期初余额' "
                       "and dzrq='2024-03-15' and pzh=0 and j_je=0 and d_je=0 and y_je=1000"),
                 1);
        QCOMPARE(count("select count(*) from total where zbh='2024031' and dzrq='2024-03-15' "
                       "and y_je=1000 and ((pzh=0 and zy='期初余额') or (pzh=1 and zy='本月合计') "
                       "or (pzh=2 and zy='本月累计'))"),
                 3);

        click(w, "SpeedButton2");
        QCOMPARE(rows("crereg", "2024031"), 1);
        QCOMPARE(rows("total", "2024031"), 3);

        tick(w, 0, false);
        click(w, "SpeedButton2");
        QCOMPARE(flag("2024031"), QStringLiteral("0"));
        QCOMPARE(rows("total", "2024031"), 3);
    }

    void anInitializedBookKeepsItsStartDate() {
        book("2024031", "基本户", 1000, "0", "2024-03-15");
        Tfr_zbgl w(*session);
        tick(w, 0, true);
        click(w, "SpeedButton2");
        select(w, 0);
        w.showEditor = [&](Tfr_zbgl_in& e) {
            QCOMPARE(e.findChild<QLineEdit*>("Edit2")->text(), QStringLiteral("1000.00"));
            e.findChild<QDateEdit*>("dtp")->setDate(QDate(2024, 5, 2));
            click(e, "SpeedButton1");
        };
        click(w, "SpeedButton1");
        QVERIFY(answers->texts.last().contains("启用日期（2024-03-15）不能再修改"));
        QCOMPARE(list(w)->topLevelItem(0)->text(5), QStringLiteral("2024-03-15"));
        click(w, "SpeedButton2");
        QCOMPARE(rows("total", "2024031"), 3);
    }

    void deletingRemovesTheBookFromAllThreeTables() {
        book("2024031", "基本户", 1000, "0", "2024-03-15");
        book("2024032", "现金", 50, "0", "2024-03-01");
        Tfr_zbgl w(*session);
        tick(w, 0, true);
        tick(w, 1, true);
        click(w, "SpeedButton2");
        ledger->line("2024031", "2024-03-20", 1, "收货款", 200, 0, 1200);
        answers->texts.clear();

        click(w, "b_del");  // nothing selected: nothing asked
        QVERIFY(answers->texts.isEmpty());
        select(w, 0);
        answers->answer(qb::MsgAnswer::No);
        click(w, "b_del");
        QCOMPARE(answers->captions, QStringList({"系统提示"}));
        QCOMPARE(answers->texts.first(),
                 QStringLiteral("你真的确认要永久删除此账簿吗？与此账簿相关的数据将会同时删除,"
                                "并无法挽回。\n建议您先备份数据库。"));
        QCOMPARE(rows("crereg", "2024031"), 2);

        click(w, "b_del");
        for (const char* table : {"accstar", "crereg", "total"})
            QCOMPARE(rows(table, "2024031"), 0);
        QCOMPARE(rows("accstar", "2024032"), 1);
        QCOMPARE(rows("total", "2024032"), 3);
        QCOMPARE(list(w)->topLevelItemCount(), 1);
        QCOMPARE(list(w)->topLevelItem(0)->text(2), QStringLiteral("现金"));
    }

    void anEmptyListDeletesAndSavesNothing() {
        Tfr_zbgl w(*session);
        click(w, "b_del");
        click(w, "SpeedButton2");
        click(w, "SpeedButton1");
        QVERIFY(answers->texts.isEmpty());
    }

    void theEditorChecksItsFieldsAndNumbersNewBooks() {
        qb::zbinfo::save({"工商银行基本户", "库存现金"}, {"现金日记帐", "银行日记帐", "银行卡"});
        Tfr_zbgl w(*session);
        const QString prefix = QDate::currentDate().toString("yyyyMM");
        w.showEditor = [&](Tfr_zbgl_in& e) {
            auto* category = e.findChild<QComboBox*>("ComboBox1");
            QCOMPARE(category->count(), 3);
            QCOMPARE(e.findChild<QComboBox*>("ComboBox2")->itemText(1), QStringLiteral("库存现金"));
            QCOMPARE(e.findChild<QDateEdit*>("dtp")->date(), QDate::currentDate());
            e.show();

            category->setEditText("现金日记帐");
            click(e, "SpeedButton1");
            QCOMPARE(answers->texts, QStringList({"请将数据输入完整！"}));
            QCOMPARE(answers->captions, QStringList({"提示"}));

            for (const char* bad : {"12.345", "一千", "1000元"}) {
                fill(e, "现金日记帐", "库存现金", "-", bad);
                click(e, "SpeedButton1");
                QVERIFY(answers->texts.last().contains(bad));
                QCOMPARE(e.findChild<QLineEdit*>("Edit2")->text(), QString(bad));
            }
            QCOMPARE(count("select count(*) from accstar"), 0);

            fill(e, "银行日记帐", "工商银行基本户", "6222'0200", "1,000.5");
            e.findChild<QDateEdit*>("dtp")->setDate(QDate(2024, 1, 1));
            click(e, "SpeedButton1");
            QVERIFY(e.isVisible());
            QVERIFY(e.findChild<QComboBox*>("ComboBox1")->currentText().isEmpty());
            QVERIFY(e.findChild<QLineEdit*>("Edit2")->text().isEmpty());
            QCOMPARE(list(w)->topLevelItemCount(), 1);
            // A second book of the same name and category could never be opened.
            for (int i = 0; i < 2; ++i) {
                fill(e, "现金日记帐", "库存现金", "无", "0");
                click(e, "SpeedButton1");
            }
            QVERIFY(answers->texts.last().contains("同名同类别的帐簿只能有一本"));
        };
        click(w, "b_add");
        QCOMPARE(rowsText(dat(), "select zbid from accstar order by rowid"),
                 QStringList({prefix + "1", prefix + "2"}).join(','));
        QCOMPARE(count("select count(*) from accstar where zbid=? and qcye=1000.5 and flag='0' "
                       "and qyrq='2024-01-01' and zbmc='工商银行基本户' and zh='6222''0200'",
                       {prefix + "1"}),
                 1);
        QCOMPARE(list(w)->topLevelItemCount(), 2);
    }

    void editModeRewritesTheFlagFromTheTick() {
        book("2024031", "基本户", 1000, "0", "2024-03-15");
        book("2024032", "现金", 0, "0", "2024-03-15");
        Tfr_zbgl w(*session);
        tick(w, 0, true);  // ticked but not saved
        tick(w, 1, true);
        select(w, 0);
        w.showEditor = [&](Tfr_zbgl_in& e) {
            QCOMPARE(e.findChild<QLabel*>("Label6")->text(), QStringLiteral("2024031"));
            QVERIFY(e.findChild<QLabel*>("Label6")->isHidden());
            QCOMPARE(e.tag(), 1);
            e.findChild<QComboBox*>("ComboBox2")->setEditText("");
            click(e, "SpeedButton1");
            QCOMPARE(answers->texts, QStringList({"请将数据输入完整！"}));
            QCOMPARE(flag("2024031"), QStringLiteral("0"));
            fill(e, "银行卡", "工资卡", "6217", "88.80");
            click(e, "SpeedButton1");
        };
        emit list(w)->itemDoubleClicked(list(w)->topLevelItem(0), 1);
        QCOMPARE(flag("2024031"), QStringLiteral("1"));
        QCOMPARE(count("select count(*) from accstar where zbmc='工资卡' and qcye=88.8"), 1);
        QCOMPARE(rows("crereg", "2024031"), 0);
        QCOMPARE(rows("total", "2024031"), 0);
        // The reload after storing keeps the other book's unsaved tick.
        QCOMPARE(list(w)->topLevelItem(1)->checkState(0), Qt::Checked);
        QCOMPARE(flag("2024032"), QStringLiteral("0"));
    }

    void theEditorTabsFromTheAmountToTheName() {
        Tfr_zbgl_in e(*session);
        e.show();
        QApplication::setActiveWindow(&e);
        QVERIFY(QTest::qWaitForWindowActive(&e));
        QStringList order;
        e.findChild<QComboBox*>("ComboBox1")->setFocus();
        for (int i = 0; i < 5; ++i) {
            QWidget* w = QApplication::focusWidget();
            while (w && w->objectName().isEmpty())
                w = w->parentWidget();
            order << (w ? w->objectName() : QString());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(order, QStringList({"ComboBox1", "Edit1", "Edit2", "ComboBox2", "dtp"}));
    }
};

QTEST_MAIN(TestZbgl)
#include "tst_zbgl.moc"
