#pragma once

#include <QObject>
#include <QSize>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QWidget;
struct Session;

// The login panel of the main window, Panel1 with its shadow Panel2: checks a name and password
// against the users and records who logged in with which role. The main window learns of it
// through the signals and opens its menus for that role.
class LoginPanel : public QObject {
    Q_OBJECT
public:
    static constexpr int kWidth = 313;
    static constexpr int kHeight = 177;
    static constexpr int kShadow = 8;

    // The panel lies on the host, the main window.
    LoginPanel(QWidget& host, Session& session);

    // Shows the panel centred with the user names listed; presented() asks for the working menus
    // to be disabled.
    void present();
    void hide();
    bool isShown() const;
    // Centres the panel in a main window of the given outer size; the shadow lies 8 pixels
    // right of and below it.
    void centre(QSize outer);

    void login();

signals:
    void presented();
    // After a successful login, with the session's user and role set.
    void loggedIn(const QString& user, const QString& roleText);

private:
    void fillNames();
    void nameChanged(const QString& name);

    QWidget& host_;
    Session& session_;
    QFrame* panel_;
    QFrame* shadow_;
    QComboBox* name_;
    QLabel* role_;
    QLineEdit* password_;
};
