#include "answering_messages.h"

AnsweringMessages::AnsweringMessages() {
    qb::setMessageService(this);
}

AnsweringMessages::~AnsweringMessages() {
    qb::setMessageService(nullptr);
}

void AnsweringMessages::plain(const QString& text) {
    texts << text;
}

qb::MsgAnswer AnsweringMessages::ask(const QString& caption, const QString& text, qb::MsgIcon,
                                     qb::MsgButtons buttons) {
    texts << text;
    captions << caption;
    if (!answers.empty()) {
        const qb::MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    return buttons == qb::MsgButtons::YesNo ? qb::MsgAnswer::Yes : qb::MsgAnswer::Ok;
}
