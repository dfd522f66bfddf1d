#pragma once

#include <QString>
#include <stdexcept>

namespace qb {

// Every failure of the data layer: carries the engine's (or our own) message for the
// application's general error display.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

}  // namespace qb
