#pragma once

#include <QIcon>
#include <QString>

class QDialog;
class QDialogButtonBox;
class QPushButton;
class QWidget;

// A push button carrying its component name. It never becomes a dialog's default button, so
// Enter stays with the field that has the focus (the windows give Enter its own meaning).
QPushButton* namedButton(QWidget* parent, const char* objectName, const QString& caption,
                         const QIcon& icon = QIcon());

// The OK and Cancel buttons of a dialog ("确定", "取消"), wired to its accept and reject.
QDialogButtonBox* okCancelButtons(QDialog* dialog);

// A waiting cursor for the length of a scope: restored however the scope is left.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
