#pragma once

#include <QApplication>
#include <exception>

// The application with its general error display: an exception that leaves an event handler is
// shown through the message service, and the program goes on.
class QbApplication : public QApplication {
    Q_OBJECT
public:
    QbApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The text of a caught exception as the user sees it.
QString error_text(const std::exception& error);

// The look every start of the program shares: title, Fusion style, the 宋体 font substituted by
// the installed Chinese font.
void setup_look();
