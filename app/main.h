#pragma once

#include <QMainWindow>
#include <functional>

#include "childregistry.h"

class QDialog;
class QMdiArea;
class QMenu;
class QToolBar;
class LoginPanel;
struct Session;

// The main window: the multiple-document area with the menus, the tool bar, the status bar and
// the login panel. It opens every child window through its child-window registry.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(Session& session, QWidget* parent = nullptr);
    ~TForm1() override;

    Session& session() { return session_; }
    ChildWindows& childWindows() { return *children_; }
    QMdiArea* mdiArea() const { return area_; }
    LoginPanel& loginPanel() { return *login_; }

    // Enables or disables the four working menus and the tool bar; the entries inside keep
    // their own state.
    void setWorkingMenusEnabled(bool enabled);
    // Narrows the entries to what the logged-in role may open.
    void qxsz();
    // Bills due within the desk's days, shown to an operator or administrator after login.
    void remindBills();
    // Re-login: after confirmation closes every child window and shows the login panel.
    void relogin();

    // How modal dialogs of the main window are run (the about box); tests replace it so that
    // nothing blocks.
    std::function<void(QDialog&)> runDialog;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* entry(QMenu* menu, const char* name, const QString& caption, const char* icon,
                   std::function<void()> action, const QString& key = QString());
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void addToolButton(const char* name, const QString& caption, const char* entryName,
                       int width = 72);
    void openChild(const char* entry);
    void forward(void (RegisterCommands::*command)());
    // Opens the menus for the user the login panel let in.
    void loggedIn(const QString& user, const QString& roleText);
    void showHelp();
    void about();

    Session& session_;
    QMdiArea* area_;
    QToolBar* toolBar_ = nullptr;
    QList<QMenu*> workingMenus_;
    ChildWindows* children_;
    LoginPanel* login_ = nullptr;
    bool shown_ = false;
};
