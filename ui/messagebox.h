#pragma once

#include "messages.h"

// The message service of the running program: real message boxes. The plain box carries the
// application's title as caption.
class MessageBoxService : public qb::MessageService {
public:
    void plain(const QString& text) override;
    qb::MsgAnswer ask(const QString& caption, const QString& text, qb::MsgIcon icon,
                      qb::MsgButtons buttons) override;
};
