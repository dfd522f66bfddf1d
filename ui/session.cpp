#include "session.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMdiArea>

#include "messages.h"

namespace {

// The child windows inside the main window's document area have controls of the same names
// ("SpeedButton1" is the register's "添加(&A)"): only the main window's own menu, bars and
// panels count.
template <class T>
T* ownControl(QWidget* mainWindow, const char* objectName) {
    if (!mainWindow) return nullptr;
    const QString name = QLatin1String(objectName);
    if (auto* control = mainWindow->findChild<T*>(name, Qt::FindDirectChildrenOnly)) return control;
    for (QObject* child : mainWindow->children()) {
        if (!child->isWidgetType() || qobject_cast<QMdiArea*>(child)) continue;
        if (auto* control = child->findChild<T*>(name)) return control;
    }
    return nullptr;
}

}  // namespace

QAction* Session::mainAction(const char* objectName) const {
    return ownControl<QAction>(mainWindow, objectName);
}

QAbstractButton* Session::mainButton(const char* objectName) const {
    return ownControl<QAbstractButton>(mainWindow, objectName);
}

void Session::setMainActionEnabled(const char* objectName, bool enabled) const {
    if (QAction* action = mainAction(objectName)) action->setEnabled(enabled);
}

void Session::setStatusText(const QString& text) const {
    if (!mainWindow) return;
    if (auto* panel = ownControl<QLabel>(mainWindow, "StatusPanel2")) {
        panel->setText(text);
        panel->repaint();
    }
}

bool Session::may(qb::roles::Action action) const {
    return qb::roles::may(Role(role_code), action);
}

bool Session::permits(qb::roles::Action action) const {
    if (may(action)) return true;
    qb::messages().plain(qb::roles::refusal(action));
    return false;
}
