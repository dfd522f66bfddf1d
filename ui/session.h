#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

#include "roles.h"
#include "users.h"

class QAction;
class QAbstractButton;
class Tdat;

// What every window shares with the main window: the data module, the logged-in user and the
// role, and the main window itself for the few entries a child window switches.
struct Session {
    using Role = qb::users::Role;
    using enum qb::users::Role;

    explicit Session(Tdat& dat) : dat(dat) {}

    Tdat& dat;
    QString login_user;  // written into the handler column of new lines
    int role_code = Administrator;
    QPointer<QWidget> mainWindow;  // null when a window is used on its own (tests)
    // Closes every child window but the given one (after a restore replaced the database);
    // set by the main window.
    std::function<void(QWidget* keep)> closeChildWindows;
    // Opens a further register window, as the journal query does: the main window keeps its
    // register entries disabled while it lives, but menu "账务处理" stays hidden. Set by the
    // main window; returns null when no register window is available.
    std::function<QWidget*()> openRegister;

    // A menu entry (QAction) or tool button of the main window by its object name; null
    // when there is no main window or no such control.
    QAction* mainAction(const char* objectName) const;
    QAbstractButton* mainButton(const char* objectName) const;
    // Enables or disables a main-window entry, if there is one.
    void setMainActionEnabled(const char* objectName, bool enabled) const;
    // Shows a text in the status panel after "状态：" and paints it at once, for long
    // operations that hold the user-interface thread.
    void setStatusText(const QString& text) const;
    // Whether the logged-in role may do it, as the roles table says.
    bool may(qb::roles::Action action) const;
    // The same, and a refused user is told why.
    bool permits(qb::roles::Action action) const;
    // Whether the user may change the journal: an ordinary user reads only, and is told so.
    bool mayWrite() const { return permits(qb::roles::Action::WriteLines); }
};
