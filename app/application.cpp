#include "application.h"

#include <QFont>
#include <QIcon>
#include <QStyleFactory>

#include "errors.h"
#include "messages.h"

QbApplication::QbApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool QbApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        qb::messages().plain(error_text(error));
    } catch (...) {
        qb::messages().plain(QStringLiteral("发生了未知错误。"));
    }
    return false;
}

QString error_text(const std::exception& error) {
    if (const auto* db = dynamic_cast<const qb::DbError*>(&error)) return db->message();
    return QString::fromUtf8(error.what());
}

void setup_look() {
    // The name only, no display name: the platform would append that to every window title
    // ("Quillbook - [登记] — Quillbook").
    QApplication::setApplicationName(QStringLiteral("Quillbook"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quillbook"));  // its icon and entry
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quillbook.svg")));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("WenQuanYi Zen Hei"));
}
