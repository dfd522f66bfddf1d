// "导出": the month on show into "qbk.xls" in the working directory, opened afterwards by the
// desktop's spreadsheet program (here a stand-in that only notes what it was asked to open).
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "dj.h"
#include "journalgrid.h"
#include "monthmodel.h"
#include "registerfixture.h"
#include "workbook_reader.h"

class Opener : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
    QString statusMeanwhile;
    QLabel* status = nullptr;
public slots:
    void open(const QUrl& url) {
        opened << url;
        statusMeanwhile = status->text();
    }
};

class RegisterExport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void refusedForAnOrdinaryUserAndWithNothingOnShow();
    void exportsTheLinesTheGridShowsAndOpensTheWorkbook();
    void missingTemplateIsToldAndTheExportEnds();

private:
    // A ledger whose May 2024 holds two receipts and a payment, opened in the register.
    void may(RegisterFixture& f);
    std::unique_ptr<QTemporaryDir> workdir_;
    QString before_;
    Opener opener_;
};

static const QString kQuestion = QStringLiteral("确认要将数据导入到Excel文档吗？");

void RegisterExport::init() {
    before_ = QDir::currentPath();
    workdir_ = std::make_unique<QTemporaryDir>();
    QFile::copy(QStringLiteral(QB_WORKBOOK_TEMPLATE), workdir_->filePath("ExcelF.dat"));
    QDir::setCurrent(workdir_->path());
    opener_.opened.clear();
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opener_, "open");
}

void RegisterExport::cleanup() {
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QDir::setCurrent(before_);
    workdir_.reset();
}

void RegisterExport::may(RegisterFixture& f) {
    auto* status = new QLabel(f.main.statusBar());
    status->setObjectName(QStringLiteral("StatusPanel2"));
    opener_.status = status;
    f.cashBook(500, QStringLiteral("2024-05-01"));
    f.line(kCashBook, QStringLiteral("2024-05-03"), 1, QStringLiteral("收货款"), 200, 0, 700);
    f.line(kCashBook, QStringLiteral("2024-05-10"), 2, QStringLiteral("付运费"), 0, 120, 580);
    f.line(kCashBook, QStringLiteral("2024-05-20"), 3, QStringLiteral("收押金"), 100, 0, 680);
    f.open(QStringLiteral("甲公司/现金日记帐"), QDate(2024, 5, 20));
}

void RegisterExport::refusedForAnOrdinaryUserAndWithNothingOnShow() {
    {
        RegisterFixture f(Session::OrdinaryUser);
        may(f);
        f.window->turnexcel();
        QCOMPARE(f.messages.texts,
                 QStringList{"对不起，你没有'导出'的权限！请以管理员或操作员身份登录."});
    }
    RegisterFixture f(Session::Operator);
    f.cashBook();
    f.window->show();
    f.window->turnexcel();
    QVERIFY(f.messages.texts.isEmpty());
    QVERIFY(!QFile::exists(QStringLiteral("qbk.xls")));
}

void RegisterExport::exportsTheLinesTheGridShowsAndOpensTheWorkbook() {
    RegisterFixture f(Session::Operator);
    may(f);
    f.messages.answer(qb::MsgAnswer::No);
    f.window->turnexcel();
    QCOMPARE(f.messages.captions, QStringList{"系统提示"});
    QVERIFY(!QFile::exists(QStringLiteral("qbk.xls")));

    f.grid->filterEditor(MonthModel::Zy)->setText(QStringLiteral("收"));
    // With the book's name chosen in the tree, the headings still name the journal on show.
    f.open(QStringLiteral("甲公司"), QDate(2024, 5, 20));
    f.window->turnexcel();
    QCOMPARE(f.messages.texts, (QStringList{kQuestion, kQuestion}));
    const QString path = QDir::current().absoluteFilePath(QStringLiteral("qbk.xls"));
    QCOMPARE(opener_.opened, QList<QUrl>{QUrl::fromLocalFile(path)});
    QCOMPARE(opener_.statusMeanwhile, QStringLiteral("系统正在将数据导出到EXCEL文档......"));
    QCOMPARE(opener_.status->text(), QStringLiteral("导出完成"));

    const QJsonObject book = readWorkbook(path);
    const QJsonObject cells = book["cells"].toObject();
    QCOMPARE(cells["A1"]["v"].toString(), QStringLiteral("现金日记帐"));
    QCOMPARE(cells["A2"]["v"].toString(), QStringLiteral("账簿：甲公司"));
    QCOMPARE(cells["D4"]["v"].toString(), QStringLiteral("收货款"));
    QCOMPARE(cells["D5"]["v"].toString(), QStringLiteral("收押金"));
    QCOMPARE(cells["G5"]["v"].toDouble(), 680.0);
    QCOMPARE(cells["J5"]["v"].toString(), QStringLiteral("admin"));
    QVERIFY(!cells.contains("A6"));
}

void RegisterExport::missingTemplateIsToldAndTheExportEnds() {
    QFile::remove(QStringLiteral("ExcelF.dat"));
    RegisterFixture f;
    may(f);
    f.window->turnexcel();
    QCOMPARE(f.messages.captions, (QStringList{"系统提示", "提示"}));
    QVERIFY(f.messages.texts[1].startsWith(QStringLiteral(
        "无法调用MircorSoft Excel! \r\n请检查是否安装了MircorSoft Excel。\n找不到工作簿模板")));
    QVERIFY(opener_.opened.isEmpty());
    QCOMPARE(opener_.status->text(), QStringLiteral("导出完成"));
    QVERIFY(!QFile::exists(QStringLiteral("qbk.xls")));
}

QTEST_MAIN(RegisterExport)
#include "tst_register_export.moc"
