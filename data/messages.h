#pragma once

#include <QString>

namespace qb {

enum class MsgIcon { None, Information, Warning, Question, Critical };
enum class MsgButtons { Ok, OkCancel, YesNo };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// Every message box of the program goes through one service, so that storage code can speak
// to the user without knowing about widgets and tests can answer instead of a person.
class MessageService {
public:
    virtual ~MessageService() = default;
    // The plain box: the text, an OK button, the application title as caption.
    virtual void plain(const QString& text) = 0;
    // The titled box: its own caption, an icon and its buttons.
    virtual MsgAnswer ask(const QString& caption, const QString& text, MsgIcon icon,
                          MsgButtons buttons) = 0;
};

// The service in force; until one is installed, messages go to standard error and questions
// are answered with the affirmative button (the command-line tool runs this way).
MessageService& messages();
// Installs a service (not owned); nullptr restores the default.
void setMessageService(MessageService* service);

// Installs a service for the lifetime of a scope and puts the previous one back afterwards.
class ScopedMessageService {
public:
    explicit ScopedMessageService(MessageService* service);
    ~ScopedMessageService();
    ScopedMessageService(const ScopedMessageService&) = delete;
    ScopedMessageService& operator=(const ScopedMessageService&) = delete;

private:
    MessageService* previous_;
};

}  // namespace qb
