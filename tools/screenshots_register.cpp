// Pictures of the register on sample data: an open month, a closed month with a reversal, the
// grid filtered, the entry panel, a reversal with its correcting entry and the colours it leaves,
// an ordinary user's view and the summary sheet; the bank reconciliation of the tests' worked
// example, and its reconciliation statement as PDF. Run by tools/screenshots_register.sh in the
// working directory that holds the templates.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFont>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdio>

#include "answering_messages.h"
#include "bankbook.h"
#include "dj.h"
#include "dz.h"
#include "fr_dat.h"
#include "journalgrid.h"
#include "monthmodel.h"
#include "report.h"
#include "sample.h"
#include "schema.h"
#include "session.h"

namespace {

QString out;

void shoot(Tfr_dj& window, const QString& name) {
    QApplication::processEvents();
    const QString path = QDir(out).filePath(QStringLiteral("register_%1.png").arg(name));
    window.grab().save(path);
    std::printf("%s\n", qPrintable(path));
}

// Opens "name/category" for the month of date.
void open(Tfr_dj& window, const QString& name, const QString& category, const QDate& date) {
    auto* tree = window.findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
    auto* dtp = window.findChild<QDateEdit*>(QStringLiteral("dtp"));
    {
        const QSignalBlocker quiet(dtp);
        dtp->setDate(date);
    }
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = tree->topLevelItem(i);
        if (top->text(0) != name) continue;
        for (int c = 0; c < top->childCount(); ++c)
            if (top->child(c)->text(0) == category) tree->setCurrentItem(top->child(c));
    }
    window.TreeView1Click();
}

void fill(Tfr_dj& window, const char* field, const QString& text) {
    window.findChild<QLineEdit*>(QLatin1String(field))->setText(text);
}

// The entry panel half typed; then a line of the month before reversed, its correcting entry
// waiting in the panel, and the month once the entry is saved.
void panelAndReversal(Tfr_dj& window, const QString& name, const QString& category,
                      const QDate& month) {
    open(window, name, category, month);
    auto* panelSwitch = window.findChild<QCheckBox*>(QStringLiteral("CheckBox1"));
    panelSwitch->click();
    fill(window, "Edit2", QStringLiteral("No.1024"));
    fill(window, "Edit3", QStringLiteral("2"));
    fill(window, "Edit4", QStringLiteral("王五"));
    window.findChild<QComboBox*>(QStringLiteral("CBox1"))
        ->setEditText(QStringLiteral("购办公用品"));
    fill(window, "Edit6", QStringLiteral("268.50"));
    shoot(window, QStringLiteral("panel"));
    panelSwitch->click();

    open(window, name, category, month.addMonths(-1));
    window.grid()->setCurrent(3, MonthModel::Zy);
    window.cz();
    fill(window, "Edit2", QStringLiteral("No.0977"));
    fill(window, "Edit5", QStringLiteral("90"));
    shoot(window, QStringLiteral("reversal_followup"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(window.findChild<QLineEdit*>(QStringLiteral("Edit7")), &enter);
    window.grid()->setCurrent(12, MonthModel::Zy);
    shoot(window, QStringLiteral("colours"));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("WenQuanYi Zen Hei"));
    out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/quillbook-shots");
    QDir().mkpath(out);
    AnsweringMessages messages;

    QTemporaryDir dir;
    const QString path = Tdat::pathIn(dir.path());
    qb::createDatabase(path, QStringLiteral("admin"), QStringLiteral("admin"));
    Tdat dat;
    dat.open(path);
    qb::sample::Options options;
    options.books = 3;
    options.months = 3;
    options.linesPerMonth = 24;
    options.lastMonth = QDate(2024, 6, 15);
    options.reversals = 3;
    qb::sample::generate(dat, options);
    for (const char* phrase : {"提现备用", "报销差旅费", "购办公用品", "付快递费"})
        dat.execute(QStringLiteral("insert into basicset(OftenSummary) values(?)"),
                    {QString::fromUtf8(phrase)});
    worked_example::make(dat);
    const QString name = dat.scalar(QStringLiteral("select zbmc from accstar limit 1")).toString();
    const QString cash = QStringLiteral("现金日记帐");

    Session session(dat);
    session.login_user = QStringLiteral("admin");
    Tfr_dj window(session);
    window.resize(1280, 720);
    window.show();

    open(window, name, cash, options.lastMonth);
    shoot(window, QStringLiteral("open"));

    // The posted month in which a line was reversed.
    const QVariant reversed = dat.scalar(
        QStringLiteral("select zbh || '|' || dzrq from crereg where zy like '冲账%' limit 1"));
    const QStringList where = reversed.toString().split(QLatin1Char('|'));
    if (where.size() == 2) {
        const QString category =
            dat.scalar(QStringLiteral("select zblb from accstar where zbid=?"), {where[0]})
                .toString();
        open(window, name, category, QDate::fromString(where[1], Qt::ISODate));
    } else {
        open(window, name, cash, options.lastMonth.addMonths(-1));
    }
    shoot(window, QStringLiteral("closed"));

    open(window, name, cash, options.lastMonth);
    window.grid()->filterEditor(MonthModel::Zy)->setText(QStringLiteral("付"));
    shoot(window, QStringLiteral("filtered"));
    window.grid()->filterEditor(MonthModel::Zy)->clear();

    panelAndReversal(window, name, cash, options.lastMonth);

    session.role_code = Session::OrdinaryUser;
    session.login_user = QStringLiteral("出纳助理");
    open(window, name, cash, options.lastMonth);
    shoot(window, QStringLiteral("ordinary_user"));

    open(window, name, QStringLiteral("结存表"), options.lastMonth);
    shoot(window, QStringLiteral("summary_sheet"));
    session.role_code = Session::Administrator;
    open(window, QStringLiteral("甲公司"), QStringLiteral("银行日记帐"), worked_example::kMay);
    window.yhdz();
    Tfr_dz* dz = window.reconciliationWindow();
    dz->resize(1280, 720);
    dz->importFile(worked_example::statement(QStringLiteral("sample_debit_credit_gb18030.csv")));
    auto* statement = dz->findChild<QTableWidget*>(QStringLiteral("StatementGrid"));
    statement->selectRow(1);
    QApplication::processEvents();
    const QString dzPath = QDir(out).filePath(QStringLiteral("register_dz.png"));
    dz->grab().save(dzPath);
    std::printf("%s\n", qPrintable(dzPath));
    dz->showReport = [](qb::report::Report& report) {
        report.writePdf(QDir(out).filePath(QStringLiteral("register_dz_statement.pdf")));
    };
    dz->SpeedButton6Click();
    for (const QString& text : messages.texts)
        std::printf("message: %s\n", qPrintable(text));
    return 0;
}
