#include "main.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "about.h"
#include "cheques.h"
#include "chm.h"
#include "desksettings.h"
#include "entries.h"
#include "guarded.h"
#include "launchers.h"
#include "login.h"
#include "messages.h"
#include "months.h"
#include "register_commands.h"
#include "session.h"

TForm1::TForm1(Session& session, QWidget* parent)
    : QMainWindow(parent), session_(session), area_(new QMdiArea(this)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quillbook"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/quillbook.svg")));
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    setFont(font);
    resize(716, 460);

    area_->setObjectName(QStringLiteral("MdiArea"));
    area_->setBackground(QColor(0x5a, 0x78, 0x9e));
    setCentralWidget(area_);

    session_.mainWindow = this;
    children_ = new ChildWindows(*area_, session_);
    session_.closeChildWindows = [this](QWidget* keep) { children_->closeAll(keep); };
    session_.openRegister = [this] { return children_->open(QLatin1String(entries::kRegister)); };
    runDialog = [](QDialog& dialog) { dialog.exec(); };

    buildMenus();
    buildToolBar();
    buildStatusBar();
    login_ = new LoginPanel(*this, session_);
    login_->hide();
    connect(login_, &LoginPanel::presented, this, [this] { setWorkingMenusEnabled(false); });
    connect(login_, &LoginPanel::loggedIn, this, &TForm1::loggedIn);
}

TForm1::~TForm1() {
    session_.closeChildWindows = nullptr;
    session_.openRegister = nullptr;
}

QAction* TForm1::entry(QMenu* menu, const char* name, const QString& caption, const char* icon,
                       std::function<void()> action, const QString& key) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    if (icon) a->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(icon))));
    if (!key.isEmpty()) a->setShortcut(QKeySequence(key));
    // A key works only while its entry and the entry's menu are usable.
    connect(a, &QAction::triggered, this, [menu, a, action = std::move(action)] {
        if (a->isEnabled() && menu->menuAction()->isEnabled()) action();
    });
    return a;
}

void TForm1::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto menu = [bar](const char* name, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name));
        return m;
    };
    auto open = [this](const char* name) { return [this, name] { openChild(name); }; };

    QMenu* n2 = menu(entries::kBooksMenu, QStringLiteral("账簿管理(&Z)"));
    entry(n2, entries::kRegister, QStringLiteral("登记凭证"), "register", open(entries::kRegister),
          QStringLiteral("Ctrl+A"));
    entry(n2, entries::kBalanceTable, QStringLiteral("账户余额表"), "balance",
          open(entries::kBalanceTable), QStringLiteral("Ctrl+Y"));
    entry(n2, entries::kQuery, QStringLiteral("日记帐查询"), "find", open(entries::kQuery),
          QStringLiteral("Ctrl+F"));

    QMenu* n40 = menu(entries::kReportsMenu, QStringLiteral("查询(&Q)"));
    entry(n40, entries::kDailyReport, QStringLiteral("资金日报表"), "balance",
          open(entries::kDailyReport));

    QMenu* n18 = menu(entries::kAccountingMenu, QStringLiteral("账务处理"));
    entry(n18, entries::kPost, QStringLiteral("账务月结"), "post",
          [this] { forward(&RegisterCommands::zwyj); });
    entry(n18, entries::kReverse, QStringLiteral("冲账"), "reverse",
          [this] { forward(&RegisterCommands::cz); });
    entry(n18, entries::kRecalc, QStringLiteral("重新计算余额"), "recalc",
          [this] { forward(&RegisterCommands::rejsye); });
    n18->addSeparator()->setObjectName(QLatin1String(entries::kSeparator27));
    entry(n18, entries::kExport, QStringLiteral("导出"), "export",
          [this] { forward(&RegisterCommands::turnexcel); });
    entry(n18, entries::kBankRec, QStringLiteral("银行对账"), "bankrec",
          [this] { forward(&RegisterCommands::yhdz); });
    entry(n18, entries::kCheques, QStringLiteral("支票登记簿"), "bankrec",
          [this] { forward(&RegisterCommands::zpdj); });
    n18->menuAction()->setVisible(false);

    QMenu* n4 = menu(entries::kSetupMenu, QStringLiteral("初始化(&C)"));
    entry(n4, entries::kBookList, QStringLiteral("帐薄初始化"), "books", open(entries::kBookList));
    entry(n4, entries::kPhrases, QStringLiteral("摘要"), "phrases", open(entries::kPhrases));
    entry(n4, entries::kBookNames, QStringLiteral("帐户信息"), "accounts",
          open(entries::kBookNames));

    QMenu* n7 = menu(entries::kToolsMenu, QStringLiteral("快捷工具(&T)"));
    entry(
        n7, entries::kCalculator, QStringLiteral("计算器"), "calculator",
        [] { start_first(calculator_programs()); }, QStringLiteral("Ctrl+C"));
    entry(
        n7, entries::kNotepad, QStringLiteral("记事本"), "notepad",
        [] { start_first(editor_programs()); }, QStringLiteral("Ctrl+W"));

    QMenu* n1 = menu(entries::kSystemMenu, QStringLiteral("系统(&S)"));
    entry(n1, entries::kUsers, QStringLiteral("用户管理"), "users", open(entries::kUsers));
    entry(n1, entries::kBackup, QStringLiteral("数据管理"), "backup", open(entries::kBackup));
    entry(n1, entries::kOpLog, QStringLiteral("操作日志"), nullptr, open(entries::kOpLog));

    // Ctrl+F and Ctrl+A belong to the first entries carrying them (N11, N9); these two only
    // show the key.
    QMenu* n21 = menu(entries::kHelpMenu, QStringLiteral("帮助(&H)"));
    entry(n21, entries::kHelp, QStringLiteral("联机帮助\tCtrl+F"), "help", [this] { showHelp(); });
    entry(n21, entries::kAbout, QStringLiteral("关于......\tCtrl+A"), "about", [this] { about(); });
    n21->addSeparator()->setObjectName(QLatin1String(entries::kSeparator3));
    entry(
        n21, entries::kRelogin, QStringLiteral("重新登录"), "relogin", [this] { relogin(); },
        QStringLiteral("Ctrl+I"));
    n21->addSeparator()->setObjectName(QLatin1String(entries::kSeparator24));
    entry(
        n21, entries::kExit, QStringLiteral("系统退出"), "exit", [this] { close(); },
        QStringLiteral("Ctrl+X"));

    workingMenus_ = {n1, n2, n40, n4, n7};
}

void TForm1::addToolButton(const char* name, const QString& caption, const char* entryName,
                           int width) {
    auto* action = findChild<QAction*>(QLatin1String(entryName));
    auto* b = new QToolButton(toolBar_);
    b->setObjectName(QLatin1String(name));
    b->setText(caption);
    b->setIcon(action->icon());
    b->setIconSize(QSize(28, 28));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    b->setFixedSize(width, 55);
    b->setFocusPolicy(Qt::NoFocus);
    connect(b, &QToolButton::clicked, action, &QAction::trigger);
    toolBar_->addWidget(b);
}

void TForm1::buildToolBar() {
    toolBar_ = addToolBar(QStringLiteral("ToolBar1"));
    toolBar_->setObjectName(QStringLiteral("ToolBar1"));
    toolBar_->setMovable(false);
    toolBar_->setFixedHeight(63);
    toolBar_->setStyleSheet(QStringLiteral("QToolBar#ToolBar1 { background: #fff8dc; }"));
    addToolButton(entries::kRegisterButton, QStringLiteral("登  记"), entries::kRegister);
    addToolButton(entries::kQueryButton, QStringLiteral("查  找"), entries::kQuery);
    addToolButton(entries::kBookListButton, QStringLiteral("账簿管理"), entries::kBookList);
    addToolButton(entries::kPhrasesButton, QStringLiteral("摘要设置"), entries::kPhrases);
    addToolButton(entries::kBackupButton, QStringLiteral("数据管理"), entries::kBackup);
    addToolButton(entries::kDailyButton, QStringLiteral("资金日报"), entries::kDailyReport);
    addToolButton(entries::kExitButton, QStringLiteral("系统退出"), entries::kExit, 73);
}

void TForm1::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    struct Panel {
        const char* text;
        int width;
        bool right;
    };
    const Panel panels[] = {
        {"状态：", 50, true}, {"", 250, false}, {"登录用户：", 70, true}, {"", 50, false}};
    int n = 0;
    for (const Panel& p : panels) {
        auto* label = new QLabel(QString::fromUtf8(p.text), bar);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(++n));
        label->setMinimumWidth(p.width);
        if (p.right) {
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            label->setFixedWidth(p.width);
        } else {
            label->setFrameShape(QFrame::StyledPanel);
        }
        bar->addWidget(label, n == 4 ? 1 : 0);
    }
}

void TForm1::setWorkingMenusEnabled(bool enabled) {
    for (QMenu* menu : workingMenus_)
        menu->menuAction()->setEnabled(enabled);
    toolBar_->setEnabled(enabled);
}

void TForm1::qxsz() {
    using qb::roles::Action;
    const bool books = session_.may(Action::ManageBooks);
    const bool backups = session_.may(Action::Backups);
    session_.mainButton(entries::kBookListButton)->setEnabled(books);
    session_.setMainActionEnabled(entries::kBookList, books);
    session_.mainButton(entries::kBackupButton)->setEnabled(backups);
    session_.setMainActionEnabled(entries::kBackup, backups);
    session_.setMainActionEnabled(entries::kUsers, session_.may(Action::ManageUsers));
    session_.setMainActionEnabled(entries::kOpLog, session_.may(Action::OperationLog));
    session_.setMainActionEnabled(entries::kBookNames, books);
}

void TForm1::loggedIn(const QString& user, const QString& roleText) {
    if (QLabel* panel4 = findChild<QLabel*>(QStringLiteral("StatusPanel4")))
        panel4->setText(user + QStringLiteral("  [") + roleText + QStringLiteral("]"));
    setWorkingMenusEnabled(true);
    qxsz();
    area_->setFocus();
    remindBills();
}

void TForm1::remindBills() {
    if (!session_.may(qb::roles::Action::Cheques)) return;
    const int days = qb::desksettings::billsDueDays();
    std::vector<qb::cheques::Bill> due;
    guarded([&] { due = qb::cheques::bills_due(session_.dat, QDate::currentDate(), days); });
    if (due.empty()) return;
    QStringList lines;
    for (const qb::cheques::Bill& b : due)
        lines << QStringLiteral("%1 %2 %3 %4 %5 %6")
                     .arg(qb::months::iso(b.due), b.bookName, b.kind + b.direction, b.number,
                          b.party, qb::money::grouped(b.amount));
    qb::messages().plain(
        QStringLiteral("以下承兑汇票在 %1 天内到期或已过期，请及时办理：\n").arg(days) +
        lines.join(QLatin1Char('\n')));
}

void TForm1::relogin() {
    if (qb::messages().ask(QStringLiteral("系统提示"),
                           QStringLiteral("系统将关闭所有子窗口，重新登录，确认数据已保存？"),
                           qb::MsgIcon::Information, qb::MsgButtons::YesNo) != qb::MsgAnswer::Yes)
        return;
    children_->closeAll();
    login_->present();
}

void TForm1::openChild(const char* entryName) {
    children_->open(QLatin1String(entryName));
}

void TForm1::forward(void (RegisterCommands::*command)()) {
    if (RegisterCommands* reg = children_->registerInFront()) (reg->*command)();
}

void TForm1::showHelp() {
    try {
        show_help(this, help_file());
    } catch (const std::exception& e) {
        qb::messages().plain(QString::fromUtf8(e.what()));
    }
}

void TForm1::about() {
    TForm2 box(this);
    runDialog(box);
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    // The first showing prepares the login.
    shown_ = true;
    login_->present();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (login_) login_->centre(frameGeometry().size());
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Asked before any child window closes, so that No leaves every window as it was.
    if (qb::messages().ask(QStringLiteral("系统提示"), QStringLiteral("你真的要关闭吗？"),
                           qb::MsgIcon::Information, qb::MsgButtons::YesNo) != qb::MsgAnswer::Yes ||
        !children_->closeAll()) {
        event->ignore();
        return;
    }
    close_help();
    event->accept();
}
