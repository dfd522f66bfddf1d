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

// The file did not open with the key: a wrong key, or not a database at all (the two cannot be
// told apart).
class KeyError : public DbError {
public:
    using DbError::DbError;
};

}  // namespace qb
