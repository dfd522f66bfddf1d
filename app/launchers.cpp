#include "launchers.h"

#include <QProcess>
#include <QStandardPaths>

QStringList calculator_programs() {
    return {QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"),
            QStringLiteral("galculator"), QStringLiteral("mate-calc"), QStringLiteral("xcalc")};
}

QStringList editor_programs() {
    return {QStringLiteral("gnome-text-editor"), QStringLiteral("gedit"), QStringLiteral("kate"),
            QStringLiteral("mousepad"),          QStringLiteral("pluma"), QStringLiteral("xed")};
}

bool start_first(const QStringList& programs) {
    for (const QString& name : programs) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty()) return QProcess::startDetached(path, {});
    }
    return false;
}
