#include "messages.h"

#include <cstdio>

namespace qb {
namespace {

class ConsoleMessages : public MessageService {
public:
    void plain(const QString& text) override {
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    }
    MsgAnswer ask(const QString& caption, const QString& text, MsgIcon,
                  MsgButtons buttons) override {
        std::fprintf(stderr, "%s: %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
        switch (buttons) {
            case MsgButtons::Ok:
            case MsgButtons::OkCancel:
                return MsgAnswer::Ok;
            case MsgButtons::YesNo:
                return MsgAnswer::Yes;
        }
        return MsgAnswer::Ok;
    }
};

ConsoleMessages consoleMessages;
MessageService* current = nullptr;

}  // namespace

MessageService& messages() {
    return current ? *current : consoleMessages;
}

void setMessageService(MessageService* service) {
    current = service;
}

ScopedMessageService::ScopedMessageService(MessageService* service) : previous_(current) {
    current = service;
}

ScopedMessageService::~ScopedMessageService() {
    current = previous_;
}

}  // namespace qb
