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

// Another connection held what the operation needed (a lock it waited for too long, a deadlock):
// the operation was undone as a whole and may be tried again.
class ConflictError : public DbError {
public:
    using DbError::DbError;
};

// The database server asks for a password that neither the connection string, the environment
// nor PostgreSQL's password file gave.
class PasswordNeeded : public DbError {
public:
    using DbError::DbError;
};

}  // namespace qb
