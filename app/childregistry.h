#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QMdiArea;
class QMdiSubWindow;
class QWidget;
class RegisterCommands;
struct Session;

// Makes a child window of one kind; the window is constructed as Tfr_xxx(session).
using ChildFactory = std::function<QWidget*(Session&)>;

template <class Window>
ChildFactory make_child() {
    return [](Session& session) -> QWidget* { return new Window(session); };
}

// The child windows of the main window, by the menu entry that opens each kind. It opens them in
// the multiple-document area, remembers the living instances (the most recent last), and does
// the switching of main-window entries that their life entails: a single-instance kind has its
// entry and tool button disabled while one of its windows lives, however that window closes, and
// a register opened from the menu shows menu "账务处理" until any register closes.
class ChildWindows : public QObject {
    Q_OBJECT
public:
    ChildWindows(QMdiArea& area, Session& session);

    // Plugs a kind of window into its entry ("N9", "N10", ...). An entry with nothing plugged
    // opens nothing.
    void plug(const QString& entry, ChildFactory make);
    bool plugged(const QString& entry) const { return factories_.contains(entry); }

    // Opens a new window of the entry's kind; null when nothing is plugged. "账务处理" shows
    // while a register is open, however it was opened.
    QWidget* open(const QString& entry);

    // The most recent living window of a kind, or null.
    QWidget* latest(const QString& entry) const;
    int count(const QString& entry) const;
    // The most recent register window.
    RegisterCommands* latestRegister() const;
    // The receiver of "账务处理"'s commands: the register last in front (whose state the
    // entries show), else the most recent one.
    RegisterCommands* registerInFront() const;

    // Closes every child window in creation order but keep; false when one refused.
    bool closeAll(QWidget* keep = nullptr);

signals:
    void opened(const QString& entry, QWidget* window);
    void closed(const QString& entry);

private:
    struct Kind {
        const char* entry;
        const char* button;
        bool single;
    };
    static const Kind* kind(const QString& entry);
    void watch(QMdiSubWindow* frame, const QString& entry);
    void forget(QMdiSubWindow* frame, const QString& entry);
    void setEntries(const Kind& kind, bool enabled);

    QMdiArea& area_;
    Session& session_;
    QMap<QString, ChildFactory> factories_;
    QMap<QString, QList<QPointer<QWidget>>> living_;
    QPointer<QWidget> registerInFront_;
};

// Plugs every kind of child window the program has; defined once, in childwindows.cpp.
void plug_child_windows(ChildWindows& windows);
