#include "childregistry.h"
#include "entries.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

#include "register_commands.h"
#include "session.h"

namespace {

// The frame of a child window in the multiple-document area. It reports its closing once, when
// the close was granted, and closes itself when the window inside closes itself (a window's own
// "关闭" button closes the window, not its frame).
class ChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    using QMdiSubWindow::QMdiSubWindow;

    void adopt(QWidget* window) {
        setWidget(window);
        window->installEventFilter(this);
        // A window of fixed size stands in a fixed dialog frame: nothing to maximise, minimise
        // or pull larger, only the system menu and the close box.
        if (QLayout* layout = window->layout()) layout->activate();
        if (window->minimumSize() == window->maximumSize())
            setWindowFlags(Qt::SubWindow | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    }

signals:
    void frameClosed();

protected:
    void closeEvent(QCloseEvent* event) override {
        QMdiSubWindow::closeEvent(event);
        if (event->isAccepted() && !closed_) {
            closed_ = true;
            emit frameClosed();
        }
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget() && event->type() == QEvent::Close) {
            // Whether the window granted its close is known only afterwards.
            QPointer<QWidget> window = widget();
            QMetaObject::invokeMethod(
                this,
                [this, window] {
                    if (!closed_ && (!window || window->isHidden())) close();
                },
                Qt::QueuedConnection);
        }
        return QMdiSubWindow::eventFilter(watched, event);
    }

private:
    bool closed_ = false;
};

}  // namespace

const ChildWindows::Kind* ChildWindows::kind(const QString& entry) {
    // The entries that open a child window, the tool button doing the same, and whether the
    // menu keeps at most one window of the kind.
    static const Kind kinds[] = {
        {entries::kRegister, entries::kRegisterButton, true},  // register
        {entries::kBalanceTable, nullptr, true},               // balance table
        {entries::kQuery, entries::kQueryButton, true},        // journal query
        {entries::kBookList, entries::kBookListButton, true},  // book list
        {entries::kPhrases, entries::kPhrasesButton, true},    // summary phrases
        {entries::kBackup, entries::kBackupButton, true},      // backup and restore
        {entries::kBookNames, nullptr, false},                 // book names and categories
        {entries::kUsers, nullptr, false},                     // users
        {entries::kOpLog, nullptr, true},                      // operation log
        {entries::kDailyReport, entries::kDailyButton, true},  // daily fund report
    };
    for (const Kind& k : kinds)
        if (entry == QLatin1String(k.entry)) return &k;
    return nullptr;
}

ChildWindows::ChildWindows(QMdiArea& area, Session& session)
    : QObject(&area), area_(area), session_(session) {
    // A window of fixed size opened over a maximized register keeps its own size; the register
    // stays maximized behind it.
    area_.setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
    connect(&area_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* frame) {
        if (frame && dynamic_cast<RegisterCommands*>(frame->widget()))
            registerInFront_ = frame->widget();
    });
}

void ChildWindows::plug(const QString& entry, ChildFactory make) {
    Q_ASSERT(kind(entry));
    factories_.insert(entry, std::move(make));
}

QWidget* ChildWindows::open(const QString& entry) {
    const Kind* k = kind(entry);
    const auto factory = factories_.constFind(entry);
    if (!k || factory == factories_.constEnd()) return nullptr;

    QWidget* window = (*factory)(session_);
    auto* frame = new ChildFrame;
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->adopt(window);
    frame->setWindowTitle(window->windowTitle());
    frame->setWindowIcon(window->windowIcon());
    area_.addSubWindow(frame);
    living_[entry].append(window);
    watch(frame, entry);

    const bool isRegister = entry == QLatin1String(entries::kRegister);
    if (isRegister)
        frame->showMaximized();
    else
        frame->show();
    window->setFocus();
    if (k->single) setEntries(*k, false);
    if (isRegister)
        if (QAction* menu = session_.mainAction(entries::kAccountingMenu)) menu->setVisible(true);
    emit opened(entry, window);
    return window;
}

void ChildWindows::watch(QMdiSubWindow* frame, const QString& entry) {
    auto* child = static_cast<ChildFrame*>(frame);
    connect(child, &ChildFrame::frameClosed, this, [this, frame, entry] { forget(frame, entry); });
}

void ChildWindows::forget(QMdiSubWindow* frame, const QString& entry) {
    QList<QPointer<QWidget>>& windows = living_[entry];
    windows.removeIf([frame](const QPointer<QWidget>& w) { return !w || w == frame->widget(); });
    if (registerInFront_ == frame->widget()) registerInFront_.clear();
    const Kind* k = kind(entry);
    if (k->single) setEntries(*k, true);
    if (entry == QLatin1String(entries::kRegister) && windows.isEmpty())
        if (QAction* menu = session_.mainAction(entries::kAccountingMenu)) menu->setVisible(false);
    emit closed(entry);
}

void ChildWindows::setEntries(const Kind& k, bool enabled) {
    session_.setMainActionEnabled(k.entry, enabled);
    if (k.button)
        if (QAbstractButton* button = session_.mainButton(k.button)) button->setEnabled(enabled);
}

QWidget* ChildWindows::latest(const QString& entry) const {
    const QList<QPointer<QWidget>> windows = living_.value(entry);
    for (auto it = windows.crbegin(); it != windows.crend(); ++it)
        if (*it) return *it;
    return nullptr;
}

int ChildWindows::count(const QString& entry) const {
    const QList<QPointer<QWidget>> windows = living_.value(entry);
    return int(std::count_if(windows.cbegin(), windows.cend(),
                             [](const QPointer<QWidget>& w) { return !w.isNull(); }));
}

RegisterCommands* ChildWindows::latestRegister() const {
    return dynamic_cast<RegisterCommands*>(latest(QLatin1String(entries::kRegister)));
}

RegisterCommands* ChildWindows::registerInFront() const {
    if (auto* reg = dynamic_cast<RegisterCommands*>(registerInFront_.data())) return reg;
    return latestRegister();
}

bool ChildWindows::closeAll(QWidget* keep) {
    bool all = true;
    for (QMdiSubWindow* frame : area_.subWindowList(QMdiArea::CreationOrder)) {
        if (keep && frame->widget() == keep) continue;
        if (!frame->close()) all = false;
    }
    return all;
}

#include "childregistry.moc"
