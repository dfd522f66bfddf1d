#pragma once

#include <QDir>
#include <QtTest>
#include <memory>

#include "answering_messages.h"
#include "session.h"
#include "templedger.h"

// A window of one kind on a fresh ledger that is also the working directory, with a session and
// a message service that answers instead of a person.
template <class Window>
struct WindowFixture {
    // The ledger, the session and the messages; the window comes with showWindow().
    void begin() {
        t = std::make_unique<TempLedger>();
        QDir::setCurrent(t->dir());
        session = std::make_unique<Session>(t->dat);
        messages = std::make_unique<AnsweringMessages>();
    }
    void showWindow() {
        window = std::make_unique<Window>(*session);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void end() {
        window.reset();
        messages.reset();
        session.reset();
        QDir::setCurrent(QDir::tempPath());
        t.reset();
    }
    template <typename W = QWidget>
    W* child(const char* name) {
        return window->template findChild<W*>(QLatin1String(name));
    }

    std::unique_ptr<TempLedger> t;
    std::unique_ptr<Session> session;
    std::unique_ptr<AnsweringMessages> messages;
    std::unique_ptr<Window> window;
};
