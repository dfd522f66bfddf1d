#pragma once

#include <QStringList>
#include <deque>

#include "messages.h"

// Records every message and answers questions from a queue (the affirmative button when the
// queue is empty). Installed for the lifetime of the object.
class AnsweringMessages : public qb::MessageService {
public:
    AnsweringMessages();
    ~AnsweringMessages() override;

    void plain(const QString& text) override;
    qb::MsgAnswer ask(const QString& caption, const QString& text, qb::MsgIcon icon,
                      qb::MsgButtons buttons) override;

    // Queues the answer for the next question.
    void answer(qb::MsgAnswer a) { answers.push_back(a); }

    QStringList texts;     // every text shown, plain and questions, in order
    QStringList captions;  // the caption of each question, in order
    std::deque<qb::MsgAnswer> answers;
};
