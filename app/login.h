#pragma once

#include <QObject>
#include <QSize>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class TForm1;
struct Session;

// The login panel of the main window, Panel1 with its shadow Panel2: checks a name and password
// against the users, records who logged in with which role and opens the menus for that role.
class LoginPanel : public QObject {
    Q_OBJECT
public:
    static constexpr int kWidth = 313;
    static constexpr int kHeight = 177;
    static constexpr int kShadow = 8;

    LoginPanel(TForm1& main, Session& session);

    // Shows the panel centred with the working menus disabled and the user names listed.
    void present();
    void hide();
    bool isShown() const;
    // Centres the panel in a main window of the given outer size; the shadow lies 8 pixels
    // right of and below it.
    void centre(QSize outer);

    // The role code a role text stands for; a text that names no role gets the ordinary
    // user's rights.
    static int roleCode(const QString& roleText);

    void login();

private:
    void fillNames();
    void nameChanged(const QString& name);

    TForm1& main_;
    Session& session_;
    QFrame* panel_;
    QFrame* shadow_;
    QComboBox* name_;
    QLabel* role_;
    QLineEdit* password_;
};
