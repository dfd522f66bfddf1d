#include "registerfixture.h"

#include <QAbstractItemView>
#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSortFilterProxyModel>
#include <QTest>
#include <QTreeWidget>

#include "dj.h"
#include "filterrow.h"
#include "journalgrid.h"
#include "monthmodel.h"

RegisterFixture::RegisterFixture(int role) : session(ledger.dat) {
    session.login_user = QStringLiteral("张会计");
    session.role_code = role;
    // The entries live in the menu "账务处理", as in the program's main window.
    QMenu* menu = main.menuBar()->addMenu(QStringLiteral("账务处理"));
    for (const char* name : {"N20", "N25", "N26", "N28", "N29", "N31"}) {
        auto* action = new QAction(menu);
        menu->addAction(action);
        action->setObjectName(QLatin1String(name));
        action->setEnabled(false);
    }
    session.mainWindow = &main;
    window = std::make_unique<Tfr_dj>(session);
    window->resize(1100, 640);
    grid = window->grid();
}

RegisterFixture::~RegisterFixture() {
    window.reset();
}

void RegisterFixture::book(const QString& id, const QString& name, const QString& category,
                           double opening, const QString& start) {
    Tdat& dat = ledger.dat;
    dat.execute(QStringLiteral("insert into accstar(zbid,zblb,zbmc,zh,qcye,flag,qyrq) "
                               "values(?,?,?,'6222',?,'1',?)"),
                {id, category, name, opening, start});
    dat.execute(QStringLiteral("insert into crereg(dzrq,pzh,zy,j_je,d_je,y_je,zbh) "
                               "values(?,0,'期初余额',0,0,?,?)"),
                {start, opening, id});
    const QStringList kinds = {QStringLiteral("期初余额"), QStringLiteral("本月合计"),
                               QStringLiteral("本月累计")};
    for (int kind = 0; kind < 3; ++kind)
        dat.execute(QStringLiteral("insert into total(dzrq,pzh,zy,j_je,d_je,y_je,zbh) "
                                   "values(?,?,?,0,0,?,?)"),
                    {start, kind, kinds[kind], opening, id});
}

void RegisterFixture::carried(const QString& id, const QString& first, double balance,
                              double cumDebit, double cumCredit) {
    Tdat& dat = ledger.dat;
    dat.execute(QStringLiteral("insert into crereg(dzrq,pzh,ph,zy,j_je,d_je,y_je,pzn,bxr,jbr,zbh) "
                               "values(?,0,'','月结转余额',0,0,?,0,'','',?)"),
                {first, balance, id});
    const QString insert = QStringLiteral(
        "insert into total(dzrq,pzh,ph,zy,j_je,d_je,y_je,zbh) values(?,?,'',?,?,?,?,?)");
    dat.execute(insert, {first, 0, QStringLiteral("月结转余额"), 0, 0, balance, id});
    dat.execute(insert, {first, 1, QStringLiteral("本月合计"), 0, 0, balance, id});
    dat.execute(insert, {first, 2, QStringLiteral("本月累计"), cumDebit, cumCredit, balance, id});
}

QTreeWidgetItem* RegisterFixture::node(const QString& path) const {
    auto* tree = window->findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
    const QStringList parts = path.split(QLatin1Char('/'));
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = tree->topLevelItem(i);
        if (top->text(0) != parts[0]) continue;
        if (parts.size() == 1) return top;
        for (int c = 0; c < top->childCount(); ++c)
            if (top->child(c)->text(0) == parts[1]) return top->child(c);
    }
    return nullptr;
}

void RegisterFixture::open(const QString& path, const QDate& date) {
    if (!window->isVisible()) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    auto* dtp = window->findChild<QDateEdit*>(QStringLiteral("dtp"));
    {
        const QSignalBlocker quiet(dtp);
        dtp->setDate(date);
    }
    auto* tree = window->findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
    QTreeWidgetItem* item = node(path);
    QVERIFY2(item, qPrintable(path));
    tree->setCurrentItem(item);
    emit tree->itemClicked(item, 0);
}

QModelIndex RegisterFixture::cell(int sourceRow, int column) const {
    return grid->proxy()->mapFromSource(window->monthModel()->index(sourceRow, column));
}

void RegisterFixture::type(int sourceRow, int column, const QString& text, Qt::Key leave) {
    QAbstractItemView* view = grid->view();
    const QModelIndex index = cell(sourceRow, column);
    view->setFocus();
    view->setCurrentIndex(index);
    view->edit(index);
    QWidget* editor = view->indexWidget(index);
    QVERIFY2(editor, "the cell opens no editor");
    auto* edit = qobject_cast<QLineEdit*>(editor);
    if (!edit) edit = editor->findChild<QLineEdit*>();
    QVERIFY(edit);
    edit->selectAll();
    typeText(edit, text);
    QTest::keyClick(edit, leave);
    // Return commits through the event queue.
    QCoreApplication::processEvents();
}

void typeText(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(widget, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

QString RegisterFixture::shown(int sourceRow, int column) const {
    return window->monthModel()->index(sourceRow, column).data().toString();
}

QString RegisterFixture::footer(int row, int column) const {
    return grid->footer(row, column);
}

QVariant RegisterFixture::storedValue(qint64 rowId, const char* column) {
    return ledger.dat.scalar(
        QStringLiteral("select %1 from crereg where rowid=?").arg(QLatin1String(column)), {rowId});
}
