#include "widgets.h"

#include <QPushButton>

QPushButton* namedButton(QWidget* parent, const char* objectName, const QString& caption,
                         const QIcon& icon) {
    auto* button = new QPushButton(icon, caption, parent);
    button->setObjectName(QLatin1String(objectName));
    button->setAutoDefault(false);
    return button;
}
