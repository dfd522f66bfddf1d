#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include "backup.h"
#include "bankbook.h"
#include "bankrec.h"
#include "engines.h"
#include "fourteenmonths.h"
#include "fr_dat.h"
#include "ledger.h"
#include "pdf_text.h"
#include "templedger.h"
#include "workbook_reader.h"
#include "zbinfo.h"

namespace {

struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

Outcome cli(const QStringList& args, const QByteArray& input = {},
            const QStringList& environment = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& pair : environment)
        env.insert(pair.section('=', 0, 0), pair.section('=', 1));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(QB_CLI), args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace

TEST(Cli, SampleCheckJournalAndPost) {
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    const Outcome made =
        cli({"--dir", dir, "sample", "--books", "3", "--months", "3", "--lines", "6"});
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
    EXPECT_TRUE(made.out.contains("3 本帐簿"));
    // The query and the account lists offer the sample's books.
    EXPECT_EQ(qb::zbinfo::readKeys(dir + "/zbinfo.ini", qb::zbinfo::kNames), QStringList{"本部"});
    EXPECT_EQ(qb::zbinfo::readKeys(dir + "/zbinfo.ini", qb::zbinfo::kCategories),
              QStringList({"现金日记帐", "银行日记帐", "银行卡"}));
    EXPECT_EQ(cli({"--dir", dir, "sample"}).code, 1);  // never over an existing database
    EXPECT_EQ(cli({"--dir", dir, "check"}).code, 0);

    const QString month = QDate::currentDate().addMonths(-1).toString("yyyy-MM");
    const Outcome journal = cli({"--dir", dir, "journal", "本部", "银行日记帐", month});
    ASSERT_EQ(journal.code, 0) << journal.err.toStdString();
    const QStringList rows = journal.out.trimmed().split('\n');
    ASSERT_EQ(rows.size(), 1 + 7 + 3);  // header, carry-forward row and six lines, three totals
    EXPECT_EQ(rows[0], "记账日期,凭证号,票号,摘要,借方,贷方,余额,凭证张数,报销人,经办人");
    EXPECT_TRUE(rows[1].startsWith(month + "-01,0,,月结转余额,0.00,0.00,"));
    const auto totalRow = [&](const QString& label) {
        for (const QString& row : rows)
            if (row.startsWith(",,," + label + ",")) return row;
        return QString();
    };
    for (const char* label : {"本月合计", "本月累计", "本年累计"})
        EXPECT_EQ(totalRow(label).section(',', 6, 6), rows[7].section(',', 6, 6));  // closing
    EXPECT_EQ(rows.last(), totalRow("本年累计"));

    const Outcome post = cli({"--dir", dir, "post", "本部", "银行日记帐", month});
    EXPECT_EQ(post.code, 0);
    EXPECT_TRUE(post.out.contains("二次过帐完成")) << post.out.toStdString();
    // The month before the book's first one is no month of its life.
    const QString before = QDate::currentDate().addMonths(-3).toString("yyyy-MM");
    const Outcome outside = cli({"--dir", dir, "post", "本部", "银行日记帐", before});
    EXPECT_EQ(outside.code, 1);
    EXPECT_TRUE(outside.err.contains("早于帐簿的启用月份")) << outside.err.toStdString();
    EXPECT_EQ(cli({"--dir", dir, "post", "本部", "银行日记帐", "2024/08"}).code, 2);

    {  // A line of a posted month reversed: the month waits to be posted again, no failure.
        Tdat dat;
        dat.openIn(dir);
        qb::ledger::reverse_line(
            dat,
            dat.scalar("select max(rowid) from crereg where dzrq like ?", {month + "%"})
                .toLongLong(),
            "admin");
    }
    const Outcome waiting = cli({"--dir", dir, "check"});
    EXPECT_EQ(waiting.code, 0);
    EXPECT_TRUE(waiting.out.contains("需二次过帐")) << waiting.out.toStdString();
    EXPECT_EQ(cli({"--dir", dir, "post", "本部", "银行日记帐", month}).code, 0);

    {  // A balance spoilt behind the program's back is found.
        Tdat dat;
        dat.openIn(dir);
        dat.execute("update crereg set y_je=y_je+1 where pzh=3");
    }
    const Outcome checked = cli({"--dir", dir, "check"});
    EXPECT_EQ(checked.code, 1);
    EXPECT_TRUE(checked.out.contains("余额不连续"));
}

TEST(Cli, RefusesClearly) {
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    EXPECT_EQ(cli({"--help"}).code, 0);
    EXPECT_EQ(cli({"--dir", dir, "frobnicate"}).code, 2);
    EXPECT_EQ(cli({"--dir", dir, "init"}).code, 2);
    const Outcome missing = cli({"--dir", dir + "/nowhere", "check"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains("找不到数据库文件")) << missing.err.toStdString();
    // Arguments are checked before anything is written, and said what is allowed.
    for (const QStringList& bad :
         {QStringList{"init", "--admin", "管理员", "--password", ""},
          QStringList{"init", "--admin", QString(17, 'a'), "--password", "x"},
          QStringList{"sample", "--months", "100000"}, QStringList{"sample", "--books", "10000"}}) {
        const Outcome refused = cli(QStringList{"--dir", dir} + bad);
        EXPECT_EQ(refused.code, 1) << bad.join(' ').toStdString();
        EXPECT_TRUE(refused.err.contains("不能为空") || refused.err.contains("最多") ||
                    refused.err.contains("不能超过"))
            << refused.err.toStdString();
        EXPECT_FALSE(refused.err.contains("CHECK")) << refused.err.toStdString();
        EXPECT_TRUE(QDir(dir).isEmpty());
    }
    ASSERT_EQ(cli({"--dir", dir, "init", "--admin", "O'Neil", "--password", "x"}).code, 0);
    EXPECT_EQ(cli({"--dir", dir, "init", "--admin", "a", "--password", "x"}).code, 1);
    const Outcome noBook = cli({"--dir", dir, "post", "无此帐簿", "银行卡", "2024-05"});
    EXPECT_EQ(noBook.code, 1);
    EXPECT_TRUE(noBook.err.contains("找不到帐簿")) << noBook.err.toStdString();
    EXPECT_EQ(cli({"--dir", dir, "journal", "x", "y", "2024-13"}).code, 2);

    // A damaged page is named with its file and what to do.
    ASSERT_TRUE(QDir(dir).mkdir("damaged"));
    ASSERT_EQ(cli({"--dir", dir + "/damaged", "sample", "--months", "12"}).code, 0);
    {
        QFile ledger(dir + "/damaged/LedgerData.mdb");
        ASSERT_TRUE(ledger.open(QIODevice::ReadWrite));
        ledger.seek(ledger.size() / 2);
        ledger.write(QByteArray(4096, '\x5a'));
    }
    const Outcome damaged = cli({"--dir", dir + "/damaged", "check"});
    EXPECT_EQ(damaged.code, 1);
    EXPECT_TRUE(damaged.err.contains("LedgerData.mdb") && damaged.err.contains("backup") &&
                damaged.err.contains("verify"))
        << damaged.err.toStdString();
}

// A script makes a book, initializes it and writes lines through the ledger's own operations; a
// book without its opening rows takes neither a line nor a posting.
TEST(Cli, BooksAndLinesFromAScript) {
    QTemporaryDir tmp;
    const QStringList at{"--dir", tmp.path()};
    ASSERT_EQ(cli(at + QStringList{"init", "--admin", "admin", "--password", "x"}).code, 0);
    const QStringList book{"分部", "现金日记帐"};
    const Outcome made = cli(at + QStringList{"book", "add"} + book +
                             QStringList{"--start", "2026-10-05", "--opening", "1,000"});
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
    EXPECT_TRUE(made.out.contains("未初始化")) << made.out.toStdString();
    const QStringList line = book + QStringList{"--date", "2026-10-09", "--summary", "收租金"};
    for (const QStringList& refused : {QStringList{"post"} + book + QStringList{"2026-10"},
                                       QStringList{"add"} + line + QStringList{"--debit", "200"}}) {
        const Outcome o = cli(at + refused);
        EXPECT_EQ(o.code, 1);
        EXPECT_TRUE(o.err.contains("还没有初始化，没有期初余额行")) << o.err.toStdString();
    }
    EXPECT_TRUE(cli(at + QStringList{"book", "init"} + book).out.contains("新建 4 行"));
    EXPECT_TRUE(cli(at + QStringList{"book", "init"} + book).out.contains("已经初始化过"));

    const Outcome first = cli(at + QStringList{"add"} + line + QStringList{"--debit", "200"});
    EXPECT_EQ(first.out, "分部 2026-10-09 凭证 1 收租金：余额 1200.00\n")
        << first.err.toStdString();
    const Outcome second =
        cli(at + QStringList{"add"} + book +
            QStringList{"--date", "2026-10-09", "--summary", "O'Brien", "--credit", "50.5",
                        "--voucher", "7", "--ticket", "88", "--count", "2", "--claimant", "张三"});
    EXPECT_TRUE(second.out.endsWith("凭证 7 O'Brien：余额 1149.50\n")) << second.out.toStdString();
    EXPECT_TRUE(
        cli(at + QStringList{"add"} + line + QStringList{"--credit", "1"}).out.contains("凭证 8"));
    for (const QStringList& wrong :
         {line, line + QStringList{"--debit", "1", "--credit", "1"},
          line + QStringList{"--debit", "1.001"}, line + QStringList{"--debit", "1", "--x", "1"},
          book + QStringList{"--date", "2026-10-9", "--summary", "x", "--debit", "1"}})
        EXPECT_EQ(cli(at + QStringList{"add"} + wrong).code, 2) << wrong.join(' ').toStdString();
    const Outcome huge =
        cli(at + QStringList{"add"} + line + QStringList{"--debit", "999999999999.99"});
    EXPECT_EQ(huge.code, 1);
    EXPECT_TRUE(huge.err.contains("超出范围")) << huge.err.toStdString();
    EXPECT_EQ(cli(at + QStringList{"book", "add"} + book +
                  QStringList{"--start", "2026-10-05", "--opening", "1"})
                  .code,
              1);  // a second book of that name and category
    const Outcome long_name =
        cli(at + QStringList{"book", "add", QString(51, QChar(0x7532)), "现金日记帐", "--start",
                             "2026-10-05", "--opening", "1"});
    EXPECT_TRUE(long_name.err.contains("帐簿名称最多 50 个字，这里有 51 个。"))
        << long_name.err.toStdString();

    const Outcome bank =
        cli(at + QStringList{"book", "add", "本部", "银行卡", "--start", "2026-10-01", "--opening",
                             "5", "--account", "6222", "--init"});
    EXPECT_TRUE(bank.out.contains("已初始化")) << bank.err.toStdString();
    const Outcome posted = cli(at + QStringList{"post"} + book + QStringList{"2026-10"});
    EXPECT_TRUE(posted.out.contains("期末余额 1148.50")) << posted.err.toStdString();
    EXPECT_EQ(cli(at + QStringList{"check"}).code, 0);
}

TEST(Cli, AKilledCreationLeavesNoLedgerOrAWholeOne) {
    for (int trial = 0; trial < 8; ++trial) {
        QTemporaryDir tmp;
        QProcess p;
        p.start(QStringLiteral(QB_CLI), {"--dir", tmp.path(), "sample", "--books", "6"});
        ASSERT_TRUE(p.waitForStarted());
        // Anywhere in the creation, which begins with hashing the administrator's password.
        QThread::msleep(QRandomGenerator::global()->bounded(5, 400));
        p.kill();
        p.waitForFinished();
        const QString path = Tdat::pathIn(tmp.path());
        if (QFile::exists(path)) {
            Tdat dat;
            dat.open(path, Tdat::Mode::ReadOnly);
            EXPECT_EQ(dat.scalar("select count(*) from accstar").toInt(), 6);
        } else {
            EXPECT_EQ(cli({"--dir", tmp.path(), "sample", "--books", "1"}).code, 0);
        }
    }
}

TEST(Cli, OfTwoCreatorsAtOnceOneWinsAndKeepsItsLedger) {
    for (int trial = 0; trial < 5; ++trial) {
        QTemporaryDir tmp;
        QProcess a, b;
        a.start(QStringLiteral(QB_CLI), {"--dir", tmp.path(), "sample", "--admin", "A"});
        b.start(QStringLiteral(QB_CLI), {"--dir", tmp.path(), "sample", "--admin", "B"});
        a.waitForFinished();
        b.waitForFinished();
        ASSERT_EQ((a.exitCode() == 0) + (b.exitCode() == 0), 1);
        Tdat dat;
        dat.openIn(tmp.path(), Tdat::Mode::ReadOnly);
        EXPECT_EQ(dat.scalar("select user from pruser").toString(), a.exitCode() == 0 ? "A" : "B");
    }
}

TEST(Cli, ReadingCommandsWorkBesideARunningProgramAndPassphrasesComeFromOutside) {
    TempLedger t;  // locked, as by the running program
    const QString dir = t.dir();
    t.line("B1", "2024-05-03", 1, "=HYPERLINK(\"x\")", 0, 12.5, -12.5);
    t.dat.execute("update crereg set bxr=? where pzh=1", {QString("\x1b[2J\u202e")});
    t.dat.execute("insert into accstar(zbid,zblb,zbmc,flag) values('B1','银行卡','本部','1')");
    const Outcome journal = cli({"--dir", dir, "journal", "本部", "银行卡", "2024-05"});
    ASSERT_EQ(journal.code, 0) << journal.err.toStdString();
    EXPECT_TRUE(journal.out.contains(
        R"csv(2024-05-03,1,,"'=HYPERLINK(""x"")",0.00,12.50,-12.50,0,\x1b[2J\u202e,admin)csv"))
        << journal.out.toStdString();
    EXPECT_EQ(cli({"--dir", dir, "check"}).err, "");  // it ran, whatever it found
    EXPECT_TRUE(
        cli({"--dir", dir, "post", "本部", "银行卡", "2024-05"}).err.contains("正被另一个"));

    t.dat.close();
    ASSERT_EQ(cli({"--dir", dir, "passphrase", "set"}, "暗号\n").code, 0);
    EXPECT_TRUE(cli({"--dir", dir, "check"}).err.contains("口令不符"));
    // It opens with the passphrase (the book, with no start date or opening rows, has findings).
    EXPECT_EQ(cli({"--dir", dir, "check"}, {}, {"QUILLBOOK_PASSPHRASE=暗号"}).err, "");
    QFile file(dir + "/pass");
    file.open(QIODevice::WriteOnly);
    file.write("暗号\n");
    file.close();
    const Outcome backup = cli({"--dir", dir, "--passphrase-file", dir + "/pass", "backup"});
    ASSERT_EQ(backup.code, 0) << backup.err.toStdString();
    const QString copy = qb::dailyBackupFile(t.path(), QDate::currentDate());
    EXPECT_EQ(cli({"verify", copy}).code, 1);
    EXPECT_TRUE(
        cli({"--passphrase-file", dir + "/pass", "verify", copy}).out.contains("crereg 1 行"));
}

// The journal and the balance table as PDF files, written beside a running program (the ledger
// locked) without touching its staging tables: every line of the month once, a carry pair at
// each page break, the totals of the CSV journal.
TEST(Cli, PrintsJournalAndBalancesWithoutWriting) {
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    ASSERT_EQ(cli({"--dir", dir, "sample", "--books", "1", "--months", "2", "--lines", "64"}).code,
              0);
    Tdat running;  // the templates are the ones the program ships: none lies beside the ledger
    running.openIn(dir);
    const QString month = QDate::currentDate().addMonths(-1).toString("yyyy-MM");
    const QStringList csv =
        cli({"--dir", dir, "journal", "本部", "现金日记帐", month}).out.trimmed().split('\n');
    const int entries = csv.size() - 4;  // no header, none of the three totals
    const Outcome printed =
        cli({"--dir", dir, "print", "本部", "现金日记帐", month, "--pdf", dir + "/pr.pdf"});
    ASSERT_EQ(printed.code, 0) << printed.err.toStdString();
    EXPECT_TRUE(printed.out.contains(QString("%1 行，3 页").arg(entries + 4)))
        << printed.out.toStdString();
    const QString pdf = pdf_text(dir + "/pr.pdf", true);
    EXPECT_EQ(pdf.count(QRegularExpression("^ *" + month + "-\\d\\d ",
                                           QRegularExpression::MultilineOption)),
              entries);
    const QString flat = QString(pdf).remove(' ');
    EXPECT_EQ(flat.count("接下页"), 2);
    EXPECT_EQ(flat.count("承上页"), 2);
    for (const QString& total : csv.mid(csv.size() - 3)) {  // 本月合计, 本月累计, 本年累计
        const QStringList f = total.split(',');
        QString expected = f[3];
        for (int c : {4, 5, 6})
            expected += qb::money::grouped(*qb::money::parse(f[c]));
        EXPECT_TRUE(flat.contains(expected)) << expected.toStdString();
    }
    EXPECT_EQ(running.scalar("select count(*) from tmp_pr").toInt(), 0);

    // The balance table as the window prints it, with the chart of the enabled book, and a
    // clean standard error even where the desktop session gives no runtime directory.
    const Outcome balances =
        cli({"--dir", dir, "balances", "--pdf", dir + "/zhye.pdf"}, {}, {"XDG_RUNTIME_DIR="});
    ASSERT_EQ(balances.code, 0) << balances.err.toStdString();
    EXPECT_EQ(balances.err.toStdString(), "");
    EXPECT_TRUE(
        balances.out.startsWith("启用状态,账簿名称,账簿类别,账号,账簿余额\n启用,本部,"
                                "现金日记帐,"));
    EXPECT_TRUE(pdf_text(dir + "/zhye.pdf").contains("近十二个月月末余额"));
    EXPECT_EQ(running.scalar("select count(*) from zhye").toInt(), 0);
    EXPECT_EQ(cli({"--dir", dir, "print", "本部", "现金日记帐", month}).code, 2);
}

// The figures story read through the journal and its printout: the month whose payment was
// reversed, the year's first month, and the last, open one after unposted months.
TEST(Cli, TheFiguresStoryReadsAlikeInTheJournalAndItsPrintout) {
    TempLedger t(Engine::File);
    fourteenMonthBook(t);
    t.dat.close();
    const QString dir = t.dir();
    for (const StoryMonth& s : fourteenMonthFigures()) {
        const QString month = s.month.toString("yyyy-MM");
        if (month != "2025-12" && month != "2026-01" && month != "2026-12") continue;
        SCOPED_TRACE(month.toStdString());
        const std::pair<QString, std::pair<qb::money::Cents, qb::money::Cents>> totals[] = {
            {"本月合计", {s.debit, s.credit}},
            {"本月累计", {s.cumulativeDebit, s.cumulativeCredit}},
            {"本年累计", {s.yearDebit, s.yearCredit}}};
        const Outcome journal = cli({"--dir", dir, "journal", "总部", "现金日记帐", month});
        ASSERT_EQ(journal.code, 0) << journal.err.toStdString();
        const QStringList rows = journal.out.trimmed().split('\n');
        // A month after a posted one opens with the carry-forward row posting wrote; the last
        // month's first line chains from the closing balance of the unposted month before.
        const bool carried = s.month <= QDate(2026, 3, 1);
        ASSERT_EQ(rows.size(), 1 + int(carried) + s.lines + 3);  // header, rows, three totals
        EXPECT_TRUE(rows[1].contains(carried
                                         ? ",月结转余额,0.00,0.00," + qb::money::text(s.broughtIn)
                                         : ",收款," + qb::money::text(s.debit) + ",0.00," +
                                               qb::money::text(s.broughtIn + s.debit)))
            << rows[1].toStdString();
        const QString pdf = dir + "/" + month + ".pdf";
        ASSERT_EQ(cli({"--dir", dir, "print", "总部", "现金日记帐", month, "--pdf", pdf}).code, 0);
        const QString printed = pdf_text(pdf, true).remove(' ');
        for (int i = 0; i < 3; ++i) {
            const auto& [label, sums] = totals[i];
            EXPECT_EQ(
                rows[rows.size() - 3 + i],
                QStringList({"", "", "", label, qb::money::text(sums.first),
                             qb::money::text(sums.second), qb::money::text(s.closing), "", "", ""})
                    .join(','));
            const QString line = label + qb::money::grouped(sums.first) +
                                 qb::money::grouped(sums.second) + qb::money::grouped(s.closing);
            EXPECT_TRUE(printed.contains(line)) << line.toStdString();
        }
    }
}

TEST(Cli, ExportWritesTheMonthAsTheRegisterDoes) {
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    ASSERT_EQ(cli({"--dir", dir, "sample", "--books", "3", "--months", "3", "--lines", "5"}).code,
              0);
    const QString month = QDate::currentDate().addMonths(-1).toString("yyyy-MM");
    const QStringList book = {"本部", "银行日记帐", month};
    // A cashier's own template beside the ledger wins over the one the program ships.
    QFile own(dir + "/ExcelF.dat");
    ASSERT_TRUE(own.open(QIODevice::WriteOnly) && own.write("not a workbook") > 0);
    own.close();
    EXPECT_EQ(cli(QStringList{"--dir", dir, "export"} + book).code, 1);
    EXPECT_FALSE(QFile::exists(dir + "/qbk.xls"));
    ASSERT_TRUE(own.remove());
    const Outcome made = cli(QStringList{"--dir", dir, "export"} + book);
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
    EXPECT_TRUE(made.out.contains("6 行已导出到 " + dir + "/qbk.xls")) << made.out.toStdString();
    const QJsonObject cells = readWorkbook(dir + "/qbk.xls")["cells"].toObject();
    EXPECT_EQ(cells["A1"]["v"], "银行日记帐");
    EXPECT_EQ(cells["A2"]["v"], "账簿：本部");
    EXPECT_EQ(cells["A4"]["v"], month + "-01");
    EXPECT_EQ(cells["D4"]["v"], "月结转余额");
    EXPECT_TRUE(cells.contains("J9") && !cells.contains("A10"));

    const QString other = tmp.filePath("五月.xlsx");
    EXPECT_EQ(cli(QStringList{"--dir", dir, "export", "--out", other} + book).code, 0);
    const QJsonObject otherBook = readWorkbook(other);
    EXPECT_EQ(otherBook["cells"]["D4"]["v"], "月结转余额");
    EXPECT_EQ(cli({"--dir", dir, "export", "本部", "无此类别", month}).code, 1);
    EXPECT_EQ(cli({"--dir", dir, "export", "本部", "银行日记帐", "2024-13"}).code, 2);

    // A workbook written over one of another mode is its owner's alone; a link as the target is
    // refused, never followed, so the template cannot be written however it is named.
    QFile::setPermissions(other, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    EXPECT_EQ(cli(QStringList{"--dir", dir, "export", "--out", other} + book).code, 0);
    EXPECT_EQ(QFile::permissions(other) & (QFile::ReadOther | QFile::ReadGroup), 0);
    const auto bytes = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray model = bytes(dir + "/ExcelF.dat");
    const QString toModel = tmp.filePath("模板.xlsx"), dangling = tmp.filePath("无处.xlsx");
    ASSERT_TRUE(QFile::link(dir + "/ExcelF.dat", toModel));
    ASSERT_TRUE(QFile::link(tmp.filePath("nowhere.xlsx"), dangling));
    for (const QString& link : {toModel, dangling}) {
        const Outcome refused = cli(QStringList{"--dir", dir, "export", "--out", link} + book);
        EXPECT_EQ(refused.code, 1);
        EXPECT_TRUE(refused.err.contains("链接") && !refused.err.contains("数据库"))
            << refused.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(tmp.filePath("nowhere.xlsx")));
    EXPECT_EQ(bytes(dir + "/ExcelF.dat"), model);
}

TEST(Cli, ReconcileReportsOnlyReadsAndSavesWhenAsked) {
    BankBook b;
    b.dat.close();
    const QString dir = b.dir();
    QFile::copy(QStringLiteral(QB_TEMPLATES "/yhdz.rls"), dir + "/yhdz.rls");
    const QString file = BankBook::statement("sample_income_outgo_no_balance.csv");
    const QStringList args{"--dir", dir, "reconcile", "甲公司", "银行日记帐", "2024-05", file};
    const Outcome agree = cli(args + QStringList{"--pdf", dir + "/yhdz.pdf"});
    ASSERT_EQ(agree.code, 0) << agree.err.toStdString();
    EXPECT_TRUE(agree.out.contains("勾对 2 笔"));
    EXPECT_TRUE(agree.out.contains("加：银行已收企业未收  150.00"));
    EXPECT_TRUE(agree.out.contains("减：企业已付银行未付  800.00"));
    EXPECT_TRUE(agree.out.contains("调节后余额  13,300.00"));
    EXPECT_TRUE(agree.out.contains("调节后余额相符。"));
    EXPECT_GT(QFileInfo(dir + "/yhdz.pdf").size(), 1000);
    // A closing balance 100.00 short: the difference is shown and the exit status says so.
    const Outcome short100 = cli(args + QStringList{"--balance", "12,000.00"});
    EXPECT_EQ(short100.code, 1);
    EXPECT_TRUE(short100.out.contains("差额 100.00"));
    EXPECT_EQ(cli(args + QStringList{"--tolerance", "x"}).code, 2);
    EXPECT_EQ(cli({"--dir", dir, "reconcile", "甲公司", "现金日记帐", "2024-05", file}).code, 1);
    Tdat read;
    read.open(b.path(), Tdat::Mode::ReadOnly);
    EXPECT_FALSE(read.con().hasTable("yhls"));  // nothing written without --save
    read.close();
    ASSERT_EQ(cli(args + QStringList{"--save"}).code, 0);
    read.open(b.path(), Tdat::Mode::ReadOnly);
    EXPECT_EQ(read.scalar("select count(*) from yhls where pzid is not null").toInt(), 2);
}

// Capitals for a cashier writing by hand, and a cheque book used from the command line: a leaf
// handed out, written out into the journal, printed on the shipped form (its PDF holds the fields
// only, the form's own print left out), refused where the rules say so.
TEST(Cli, CapitalsAndChequesFromTheCommandLine) {
    EXPECT_EQ(cli({"capitals", "107000.53"}).out, "人民币壹拾万柒仟元零伍角叁分\n");
    EXPECT_EQ(cli({"capitals", "2026-01-15"}).out, "贰零贰陆年零壹月壹拾伍日\n");
    EXPECT_EQ(cli({"capitals", "0"}).code, 1);
    EXPECT_EQ(cli({"capitals", "1.234"}).code, 2);

    BankBook b;
    b.dat.close();
    const QString dir = b.dir();
    const QStringList book{"--dir", dir, "cheque"};
    const auto run = [&](const QString& what, const QStringList& args) {
        return cli(book + QStringList{what, "甲公司", "银行日记帐"} + args);
    };
    ASSERT_EQ(run("book-add", {"--kind", "转账支票", "--first", "00001201", "--last", "00001225",
                               "--date", "2024-05-02"})
                  .code,
              0);
    EXPECT_EQ(run("take", {"--kind", "转账支票", "--taker", "张三"}).out, "00001201\n");
    const Outcome issued = run("issue", {"00001201", "--payee", "乙公司", "--amount", "16409.02",
                                         "--date", "2024-05-20", "--purpose", "材料款", "--post"});
    ASSERT_EQ(issued.code, 0) << issued.err.toStdString();
    EXPECT_TRUE(cli({"--dir", dir, "journal", "甲公司", "银行日记帐", "2024-05"})
                    .out.contains(",00001201,材料款,0.00,16409.02,"));
    EXPECT_EQ(run("issue",
                  {"00001202", "--payee", "乙", "--amount", "1000000000", "--date", "2024-05-20"})
                  .code,
              1);
    EXPECT_EQ(
        run("issue", {"00009999", "--payee", "乙", "--amount", "1", "--date", "2024-05-20"}).code,
        1);
    EXPECT_EQ(run("void", {"00001202", "--reason", "写错"}).code, 0);
    const QStringList leaves = run("list", {}).out.split('\n');
    EXPECT_TRUE(
        leaves[1].startsWith("00001201,转账支票,已开出,张三,,,乙公司,16409.02,2024-05-20,材料款,"));
    EXPECT_TRUE(leaves[2].startsWith("00001202,转账支票,已作废,"));
    EXPECT_EQ(run("list", {"--state", "空白"}).out.count('\n'), 24);

    const Outcome printed = run("print", {"00001201", "--pdf", dir + "/cheque.pdf"});
    ASSERT_EQ(printed.code, 0) << printed.err.toStdString();
    const QString pdf = pdf_text(dir + "/cheque.pdf").remove(' ');
    for (const char* field : {"贰零贰肆", "伍", "零贰拾", "乙公司", "壹万陆仟肆佰零玖元零贰分",
                              "材料款", "2024年5月20日", "¥16,409.02", "00001201"})
        EXPECT_TRUE(pdf.contains(QString::fromUtf8(field))) << field;
    EXPECT_FALSE(pdf.contains("出票日期"));  // the form's own print
    EXPECT_FALSE(pdf.contains("人民币"));

    // Paid by the bank, then the register printed and exported from the shipped template.
    EXPECT_EQ(run("honour", {"00001201"}).out, "支票 00001201 已兑付\n");
    EXPECT_EQ(run("honour", {"00001201"}).code, 1);
    ASSERT_EQ(run("list", {"--pdf", dir + "/zpdj.pdf", "--xlsx", dir + "/zpdj.xlsx"}).code, 0);
    EXPECT_GT(QFileInfo(dir + "/zpdj.xlsx").size(), 1000);
    const QString listed = pdf_text(dir + "/zpdj.pdf").remove(' ');
    for (const char* field : {"支票登记簿", "账簿：甲公司-银行日记帐", "00001201–00001225",
                              "已兑付", "作废：写错", "开出金额合计：16,409.02", "出纳："})
        EXPECT_TRUE(listed.contains(QString::fromUtf8(field))) << field;
}

// The cash count's story from the command line: a shortage on 11-03 with a payment in hand and
// an IOU, the sheet printed and read back from its PDF, the count listed and settled.
TEST(Cli, CountPrintsTheSheetSavesItAndSettlesIt) {
    TempLedger ledger(Engine::File);
    const QString book = ledger.cashBook("本部", 100000, {2026, 11, 1});
    const auto line = [&](int day, int voucher, const char* summary, qb::money::Cents debit,
                          qb::money::Cents credit) {
        qb::ledger::insert_line(ledger.dat, book,
                                {{2026, 11, day}, voucher, {}, summary, debit, credit, 1, {}, {}});
    };
    line(2, 1, "收备用金", 50000, 0);
    line(2, 2, "付邮费", 0, 3550);
    line(3, 3, "付办公用品", 0, 12000);
    line(3, 4, "收零星收入", 880, 0);
    ledger.dat.close();
    const QString dir = ledger.dir();
    const QStringList count{"--dir", dir, "count", "本部", "现金日记帐", "2026-11-03"};
    const QStringList names{"--counter", "王出纳", "--witness", "李会计"};

    // Refused before anything is saved.
    EXPECT_EQ(cli(count + QStringList{"--notes", "100=1", "--counter", "王出纳"}).code, 2);
    const Outcome unknown = cli(count + QStringList{"--notes", "3=1"} + names);
    EXPECT_EQ(unknown.code, 1);
    EXPECT_TRUE(unknown.err.contains("没有面额 3")) << unknown.err.toStdString();
    EXPECT_EQ(cli(count + QStringList{"--notes", "100=1.5"} + names).code, 1);
    EXPECT_EQ(cli({"--dir", dir, "count", "settle", "x"}).code, 2);

    const Outcome counted =
        cli(count +
            QStringList{"--notes", "100=12,50=1,20=2,10=1,1=2,0.5=1,0.1=3", "--unbooked-out", "46",
                        "--unbooked-out-note", "打车费单据在手", "--iou", "200", "--iou-note",
                        "张三借条", "--pdf", dir + "/count.pdf"} +
            names);
    ASSERT_EQ(counted.code, 0) << counted.err.toStdString();
    EXPECT_EQ(counted.out,
              "本部-现金日记帐 2026-11-03 现金盘点（编号 1）\n"
              "  100元 × 12 = 1,200.00\n  50元 × 1 = 50.00\n  20元 × 2 = 40.00\n"
              "  10元 × 1 = 10.00\n  1元 × 2 = 2.00\n  5角 × 1 = 0.50\n  1角 × 3 = 0.30\n"
              "  实存  1,302.80\n  账面余额  1,353.30\n  加：已收未记  0.00\n"
              "  减：已付未记  46.00（打车费单据在手）\n  调整后账面余额  1,307.30\n"
              "  短款  4.50（待处理）\n  白条（不计入实存）  200.00（张三借条）\n"
              "  盘点人：王出纳  监盘人：李会计\n"
              "警告：白条 200.00 元不是库存现金，已单独列出，不计入实存：白条抵库不允许，请尽快收回"
              "或报销入账。\n"
              "盘点表已写入 " +
                  dir + "/count.pdf\n");
    const QString pdf = pdf_text(dir + "/count.pdf").remove(' ');
    for (const char* field :
         {"现金盘点表", "本部-现金日记帐", "2026-11-03", "1,200.00", "0.30", "1,302.80", "1,353.30",
          "打车费单据在手", "1,307.30", "-4.50", "短款（待处理）", "200.00", "张三借条",
          "白条抵库不允许", "盘点人：", "王出纳", "监盘人：", "李会计", "出纳："})
        EXPECT_TRUE(pdf.contains(QString::fromUtf8(field))) << field;

    const QStringList pending = cli({"--dir", dir, "counts", "--pending"}).out.split('\n');
    ASSERT_EQ(pending.size(), 3);  // header, the count, the end
    EXPECT_TRUE(
        pending[1].startsWith("1,本部,现金日记帐,2026-11-03,1302.80,1353.30,0.00,46.00,"
                              "1307.30,短款,-4.50,待处理,200.00,王出纳,李会计,"))
        << pending[1].toStdString();
    EXPECT_TRUE(pending[1].endsWith(",命令行"));

    const Outcome settled = cli({"--dir", dir, "count", "settle", "1", "--date", "2026-11-04"});
    ASSERT_EQ(settled.code, 0) << settled.err.toStdString();
    EXPECT_TRUE(
        settled.out.startsWith("盘点 1 已处理：2026-11-04 现金盘亏 待处理 贷 4.50（凭证行 "));
    EXPECT_TRUE(cli({"--dir", dir, "journal", "本部", "现金日记帐", "2026-11"})
                    .out.contains("2026-11-04,5,,现金盘亏 待处理,0.00,4.50,1348.80,"));
    EXPECT_EQ(cli({"--dir", dir, "counts", "本部", "现金日记帐", "--pending"}).out.count('\n'), 1);
    EXPECT_EQ(cli({"--dir", dir, "count", "settle", "1"}).code, 1);
    EXPECT_EQ(cli({"--dir", dir, "counts"}).out.count('\n'), 2);  // the refusals saved nothing
}

TEST(Cli, ReconcileTakesTheColumnsGivenAndKeepsThemOnlyWithSave) {
    BankBook b;
    b.dat.close();
    const QString dir = b.dir();
    QFile file(dir + "/odd.csv");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "时候,内容,钱数,标记,结余\n2024-05-03,货款,5000.00,贷,15000.00\n"
        "2024-05-11,材料款,3000.00,借,12000.00\n2024-05-20,利息,150.00,贷,12150.00\n"
        "2024-05-25,手续费,50.00,借,12100.00\n");
    file.close();
    const QStringList args{"--dir",      dir,       "reconcile",    "甲公司",
                           "银行日记帐", "2024-05", file.fileName()};
    const QStringList columns{"--columns",
                              "date=时候,summary=2,amount=钱数,direction=标记,balance=5"};
    const Outcome unknown = cli(args + QStringList{"--show-columns"});
    EXPECT_EQ(unknown.code, 1);
    EXPECT_TRUE(unknown.out.contains("第 1 行是标题行") && unknown.out.contains("  4  标记"));
    EXPECT_TRUE(unknown.out.contains("请用 --columns 指定"));
    const Outcome shown = cli(args + columns + QStringList{"--show-columns"});
    EXPECT_EQ(shown.code, 0);
    EXPECT_TRUE(shown.out.contains("direction=4 标记\n")) << shown.out.toStdString();
    EXPECT_FALSE(shown.out.contains("调节表"));
    // Given without --save: read, not kept.
    EXPECT_TRUE(cli(args + columns).out.contains("调节后余额相符。"));
    EXPECT_TRUE(cli(args).err.contains("无法从标题"));
    EXPECT_EQ(cli(args + QStringList{"--columns", "date=时候,amount=9"}).code, 1);
    EXPECT_EQ(cli(args + columns + QStringList{"--balance", "1000000000000.00"}).code, 2);
    // A wrong mapping never passes: the balances do not chain.
    const Outcome wrong =
        cli(args + QStringList{"--columns", "date=1,amount=5,direction=4,balance=3"});
    EXPECT_EQ(wrong.code, 1);
    EXPECT_TRUE(wrong.err.contains("余额不接续")) << wrong.err.toStdString();
    ASSERT_EQ(cli(args + columns + QStringList{"--save"}).code, 0);
    const Outcome kept = cli(args);
    EXPECT_EQ(kept.code, 0) << kept.err.toStdString();
    EXPECT_TRUE(kept.out.contains("勾对 2 笔"));
}

// A ledger moved from the file to a server and back keeps every journal, every row id and every
// check; the server refuses a second copy over it, and the file's own commands there.
TEST(CliServer, ALedgerCopiedToAServerAndBackKeepsEveryJournal) {
    QB_REQUIRE_TEST_SERVER();
    QTemporaryDir tmp;
    const QString there = tmp.filePath("there"), back = tmp.filePath("back");
    ASSERT_TRUE(QDir().mkpath(there) && QDir().mkpath(back));
    ASSERT_EQ(cli({"--dir", there, "sample", "--books", "4", "--months", "3", "--lines", "8"}).code,
              0);
    {
        Tdat file;
        file.openIn(there);
        const QString book = file.scalar("select min(zbid) from accstar").toString();
        qb::bankrec::keep_mapping(file, book, "交易日期,摘要,金额");  // a reconciliation's table
    }
    testserver::Database database;
    const QString server = database.connection();
    const Outcome up = cli({"copy", "--from", Tdat::pathIn(there), "--to", server});
    ASSERT_EQ(up.code, 0) << up.err.toStdString();
    EXPECT_TRUE(up.out.contains("crereg ")) << up.out.toStdString();
    EXPECT_EQ(cli({"--server", server, "check"}).out, "检查完毕，没有发现问题。\n");
    const Outcome again = cli({"copy", "--from", Tdat::pathIn(there), "--to", server});
    EXPECT_EQ(again.code, 1);
    EXPECT_TRUE(again.err.contains("不是空的")) << again.err.toStdString();
    ASSERT_EQ(cli({"copy", "--from", server, "--to", Tdat::pathIn(back)}).code, 0);
    // The log's entries hash alike on both engines: its chains hold after both copies, with the
    // copies' own entries appended.
    const Outcome log = cli({"--dir", back, "log", "--verify"});
    EXPECT_EQ(log.code, 0) << log.out.toStdString();
    EXPECT_EQ(cli({"--dir", back, "log"}).out.count(",命令行,复制账本,"), 2);

    Tdat original;
    original.openIn(there, Tdat::Mode::ReadOnly);
    const QString books = rowsText(original, "select zbmc,zblb from accstar order by rowid");
    for (const QString& book : books.split(',')) {
        for (int m = -2; m <= 0; ++m) {
            const QStringList month{book.section('/', 0, 0), book.section('/', 1),
                                    QDate::currentDate().addMonths(m).toString("yyyy-MM")};
            const Outcome file = cli(QStringList{"--dir", there, "journal"} + month);
            ASSERT_EQ(file.code, 0) << file.err.toStdString();
            EXPECT_EQ(cli(QStringList{"--server", server, "journal"} + month).out, file.out);
            EXPECT_EQ(cli(QStringList{"--dir", back, "journal"} + month).out, file.out);
        }
    }
    Tdat copied;
    copied.openIn(back, Tdat::Mode::ReadOnly);
    for (const char* sql :
         {"select rowid,zy,y_je from crereg order by rowid",
          "select rowid,zy,j_je,d_je,y_je from total order by rowid",
          "select rowid,user,userpassword from pruser order by rowid", "select zbh,lm from yhgs"})
        EXPECT_EQ(rowsText(copied, sql), rowsText(original, sql)) << sql;
    // New rows on the server follow the copied ones.
    Tdat shared;
    shared.openServer(server);
    shared.execute("insert into basicset(OftenSummary) values('新')");
    shared.execute("insert into crereg(zy) values('新')");
    EXPECT_GT(shared.con().lastInsertId(),
              original.scalar("select max(rowid) from crereg").toLongLong());

    const Outcome backup = cli({"--server", server, "backup"});
    EXPECT_EQ(backup.code, 1);
    EXPECT_TRUE(backup.err.contains("pg_dump")) << backup.err.toStdString();
    const Outcome nowhere = cli({"--server", "host=127.0.0.1 port=1 connect_timeout=3", "check"});
    EXPECT_EQ(nowhere.code, 1);
    EXPECT_TRUE(nowhere.err.contains("无法连接数据库服务器")) << nowhere.err.toStdString();
}

TEST(Cli, LogListsWhoDidWhatAndVerifiesItsChains) {
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    ASSERT_EQ(cli({"--dir", dir, "sample", "--books", "3", "--months", "2", "--lines", "2"}).code,
              0);
    const QString month = QDate::currentDate().addMonths(-1).toString("yyyy-MM");
    ASSERT_EQ(cli({"--dir", dir, "post", "本部", "银行日记帐", month}).code, 0);
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    const Outcome log =
        cli({"--dir", dir, "log", "--from", today, "--to", today, "--book", "本部", "银行日记帐"});
    ASSERT_EQ(log.code, 0) << log.err.toStdString();
    const QStringList rows = log.out.trimmed().split('\n');
    EXPECT_EQ(rows[0], "时间(UTC),操作员,身份,操作,帐簿号,帐簿,月份,行号,修改前,修改后");
    EXPECT_TRUE(rows.last().contains(",命令行,二次过帐,")) << rows.last().toStdString();
    EXPECT_TRUE(rows.last().contains(",本部 银行日记帐," + month + ","));
    EXPECT_EQ(cli({"--dir", dir, "log", "--from", "2026/12/01"}).code, 2);
    // The same entries printed: the filter in the heading, a row per entry.
    ASSERT_EQ(cli({"--dir", dir, "log", "--from", today, "--pdf", dir + "/log.pdf"}).code, 0);
    const QString printed = pdf_text(dir + "/log.pdf").remove(' ');
    EXPECT_TRUE(printed.contains("日期：" + today + "至今")) << printed.toStdString();
    EXPECT_TRUE(printed.contains("二次过帐"));
    EXPECT_TRUE(printed.contains("本部银行日记帐"));
    EXPECT_EQ(cli({"--dir", dir, "log", "--verify"}).code, 0);
    {
        Tdat dat;
        dat.openIn(dir);
        dat.execute("update czrz set hz='{}' where cz='二次过帐'");
    }
    const Outcome verify = cli({"--dir", dir, "log", "--verify"});
    EXPECT_EQ(verify.code, 1);
    EXPECT_TRUE(verify.out.contains("内容被改动")) << verify.out.toStdString();
    EXPECT_EQ(cli({"--dir", dir, "check"}).code, 1);
}

TEST(Cli, UpgradeMakesTheTablesAVersionAddsOnce) {
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    ASSERT_EQ(cli({"--dir", dir, "init", "--admin", "管理员", "--password", "pw"}).code, 0);
    const Outcome first = cli({"--dir", dir, "upgrade"});
    ASSERT_EQ(first.code, 0) << first.err.toStdString();
    EXPECT_EQ(first.out, "已建立数据表：yhdz、yhls、yhgs、dlsb、zpb、zpmx、pjdj、xjxe、xjpd\n");
    EXPECT_EQ(cli({"--dir", dir, "upgrade"}).out, "账本的数据表已经齐全。\n");
    EXPECT_EQ(cli({"--dir", dir, "check"}).code, 0);
}

// The daily fund report of a day from the command line, with a cash limit set there: the CSV
// worked by hand, the warning on standard error, the printout's text and the workbook; a
// malformed day or range is a wrong argument.
TEST(Cli, DailyReportAndCashLimit) {
    QTemporaryDir tmp;
    const QStringList at = {"--dir", tmp.path()};
    ASSERT_EQ(cli(at + QStringList{"init", "--admin", "admin", "--password", "pw"}).code, 0);
    for (const auto& [category, opening] :
         {std::pair{"现金日记帐", "1000"}, {"银行日记帐", "50000"}})
        ASSERT_EQ(cli(at + QStringList{"book", "add", "本部", category, "--start", "2026-12-01",
                                       "--opening", opening, "--init"})
                      .code,
                  0);
    const QStringList cash = {"limit", "本部", "现金日记帐"};
    EXPECT_EQ(cli(at + cash).out, "帐簿 本部（现金日记帐）没有库存现金限额\n");
    EXPECT_EQ(cli(at + cash + QStringList{"1200"}).out,
              "帐簿 本部（现金日记帐）的库存现金限额：1200.00\n");
    EXPECT_EQ(cli(at + cash + QStringList{"12.345"}).code, 2);
    const Outcome bank = cli(at + QStringList{"limit", "本部", "银行日记帐", "5"});
    EXPECT_EQ(bank.code, 1);
    EXPECT_TRUE(bank.err.contains("不是现金日记帐")) << bank.err.toStdString();
    for (const QStringList& line : {QStringList{"现金日记帐", "--debit", "500"},
                                    {"现金日记帐", "--credit", "120.50"},
                                    {"银行日记帐", "--credit", "3000"}})
        ASSERT_EQ(cli(at + QStringList{"add", "本部", line[0], "--date", "2026-12-01", "--summary",
                                       "款项", line[1], line[2]})
                      .code,
                  0);

    const QString pdf = tmp.filePath("zjrb.pdf"), xlsx = tmp.filePath("zjrb.xlsx");
    const Outcome day = cli(at + QStringList{"daily", "2026-12-01", "--pdf", pdf, "--out", xlsx});
    ASSERT_EQ(day.code, 0) << day.err.toStdString();
    EXPECT_EQ(day.out.toStdString(),
              "账簿类别,账簿名称,账号,昨日余额,本日收入,本日支出,本日余额,笔数,提示\n"
              "现金日记帐,本部,,1000.00,500.00,120.50,1379.50,2,超限额\n"
              "现金日记帐,小计,,1000.00,500.00,120.50,1379.50,2,\n"
              "银行日记帐,本部,,50000.00,0.00,3000.00,47000.00,1,\n"
              "银行日记帐,小计,,50000.00,0.00,3000.00,47000.00,1,\n"
              ",合计,,51000.00,500.00,3120.50,48379.50,3,\n");
    EXPECT_EQ(day.err.toStdString(),
              "2026-12-01 现金日记帐“本部”日终余额 1,379.50 元，超过库存现金限额 1,200.00 元。\n");
    const QString printed = pdf_text(pdf, true).remove(' ');
    for (const char* expected :
         {"资金日报表", "日期：2026-12-01", "本部1,000.00500.00120.501,379.502超限额",
          "合计51,000.00500.003,120.5048,379.503", "出纳：", "审核："})
        EXPECT_TRUE(printed.contains(QString::fromUtf8(expected)))
            << expected << printed.toStdString();
    const QJsonObject cells = readWorkbook(xlsx)["cells"].toObject();
    EXPECT_EQ(cells["G3"].toObject()["v"].toDouble(), 1379.5);
    EXPECT_EQ(cells["B7"].toObject()["v"].toString(), "合计");

    EXPECT_EQ(cli(at + cash + QStringList{"--clear"}).out,
              "帐簿 本部（现金日记帐）没有库存现金限额\n");
    EXPECT_TRUE(cli(at + QStringList{"daily", "2026-12-01"}).err.isEmpty());
    for (const char* bad : {"2026-13-01", "2026/12/01", "2026-12-03..2026-12-01", "2026-12-01..",
                            "2026-12-01..2026-12-02..2026-12-03"})
        EXPECT_EQ(cli(at + QStringList{"daily", bad}).code, 2) << bad;
}

// A posting killed at any moment leaves the month posted with its log entry, or neither; the
// ledger checks clean and the log's chains hold either way.
TEST(Cli, PostingKilledAtAnyMomentLeavesTheMonthAndItsLogEntryTogether) {
    QTemporaryDir tmp;
    const QString base = tmp.path() + "/base";
    QDir().mkpath(base);
    ASSERT_EQ(
        cli({"--dir", base, "sample", "--books", "1", "--months", "2", "--lines", "4000"}).code, 0);
    const QDate today = QDate::currentDate();
    const QString month = today.toString("yyyy-MM");
    const QString next = QDate(today.year(), today.month(), 1).addMonths(1).toString(Qt::ISODate);
    const QStringList post{"post", "本部", "现金日记帐", month};
    const auto copyOfBase = [&](const QString& name) {
        const QString dir = tmp.path() + "/" + name;
        QDir().mkpath(dir);
        for (const QString& file : QDir(base).entryList(QDir::Files))
            QFile::copy(base + "/" + file, dir + "/" + file);
        return dir;
    };
    const auto postedAndLogged = [&](const QString& dir) {
        Tdat dat;
        dat.openIn(dir);  // a writer's opening undoes a change cut off halfway
        return std::pair{
            // Posting the month writes the rows that open the next one.
            dat.scalar("select count(*) from total where dzrq>=?", {next}).toInt() > 0,
            dat.scalar("select count(*) from czrz where cz='过帐' and yf=?", {month}).toInt()};
    };
    QElapsedTimer whole;
    whole.start();
    ASSERT_EQ(cli(QStringList{"--dir", copyOfBase("whole")} + post).code, 0);
    const qint64 took = whole.elapsed();

    int posted = 0, notPosted = 0;
    // Under load a run may take longer than the first: the kills go on later until one lands
    // after the commit.
    for (int round = 0; round < 12 || (posted == 0 && round < 24); ++round) {
        const QString dir = copyOfBase(QString::number(round));
        QProcess killed;
        killed.start(QStringLiteral(QB_CLI), QStringList{"--dir", dir} + post);
        ASSERT_TRUE(killed.waitForStarted());
        QThread::msleep(took * round / 10);
        killed.kill();  // SIGKILL: no handler, no clean-up
        killed.waitForFinished();
        const auto [isPosted, entries] = postedAndLogged(dir);
        EXPECT_EQ(entries, isPosted ? 1 : 0) << "round " << round;
        (isPosted ? posted : notPosted)++;
        const Outcome check = cli({"--dir", dir, "check"});
        EXPECT_EQ(check.code, 0) << check.out.toStdString() << check.err.toStdString();
        EXPECT_EQ(cli({"--dir", dir, "log", "--verify"}).code, 0);
    }
    // The kills reached both sides of the commit.
    EXPECT_GT(notPosted, 0);
    EXPECT_GT(posted, 0);
}
