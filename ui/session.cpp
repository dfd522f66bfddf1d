#include "session.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>

QAction* Session::mainAction(const char* objectName) const {
    return mainWindow ? mainWindow->findChild<QAction*>(QLatin1String(objectName)) : nullptr;
}

QAbstractButton* Session::mainButton(const char* objectName) const {
    return mainWindow ? mainWindow->findChild<QAbstractButton*>(QLatin1String(objectName))
                      : nullptr;
}

void Session::setMainActionEnabled(const char* objectName, bool enabled) const {
    if (QAction* action = mainAction(objectName)) action->setEnabled(enabled);
}

void Session::setStatusText(const QString& text) const {
    if (!mainWindow) return;
    if (QLabel* panel = mainWindow->findChild<QLabel*>(QStringLiteral("StatusPanel2"))) {
        panel->setText(text);
        panel->repaint();
    }
}
