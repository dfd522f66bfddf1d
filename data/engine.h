#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <memory>

// The narrow interface between the data layer and a database engine: the single encrypted file
// (SQLCipher), or a PostgreSQL server that several cashiers share. Everything engine-specific
// stays behind this interface.
namespace qb::engine {

class Statement {
public:
    virtual ~Statement() = default;
    // Resets the statement and binds the values to its placeholders, in order.
    virtual void bind(const QVariantList& params) = 0;
    // Runs to the next row; false when there is none (or for a statement without result).
    virtual bool step() = 0;
    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;
    // The table and column a result column comes from; empty for an expression.
    virtual QString originTable(int column) const = 0;
    virtual QString originColumn(int column) const = 0;
    // The type a column was declared with ("double", "date", ...); empty for an expression.
    virtual QString declaredType(int column) const = 0;
    // The value of a column of the current row: qlonglong, double, QString or null.
    virtual QVariant value(int column) const = 0;
    // Ends a run before its last row, releasing what the engine holds for it.
    virtual void reset() = 0;
};

// The operations of a ledger file, which a server ledger has no use for.
class FileOps {
public:
    virtual ~FileOps() = default;
    // Hands the database file's bytes, as stored (still keyed), to the sink in order. The caller
    // holds a read transaction, so that no writer changes the file meanwhile; the engine's own
    // file handle is used, because opening and closing the file anew would drop its locks.
    virtual void readFile(const std::function<void(const char* data, qint64 size)>& sink) = 0;
    // Encrypts the whole file with another key, in one step that a crash cannot leave halfway.
    virtual void rekey(const QByteArray& key) = 0;
};

class Connection {
public:
    virtual ~Connection() = default;
    // A prepared statement, kept by the connection and reused for the same text.
    virtual Statement& prepare(const QString& sql) = 0;
    // Runs a statement that returns no rows.
    virtual void execute(const QString& sql, const QVariantList& params = {}) = 0;
    virtual qint64 lastInsertId() const = 0;
    // Rows changed by the last insert, update or delete.
    virtual int changes() const = 0;
    // The hidden row identifier of a table as this engine names it in statements.
    virtual QString rowIdColumn() const = 0;
    // Whether the database holds a table of that name (matched without regard to case).
    virtual bool hasTable(const QString& name) = 0;
    // Transactions. begin() starts one, commit() or rollback() ends it; savepoints nest units
    // inside it. A connection lost inside a transaction (the server ended the session, the
    // network broke, a statement failed fatally) loses the whole transaction: every statement,
    // commit or savepoint is then refused until rollback() ends it, and only the statement after
    // that opens a new session. A rollback with no transaction open does nothing.
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual void savepoint(const QString& name) = 0;
    virtual void release(const QString& name) = 0;
    // Undoes what was done since the savepoint and releases it.
    virtual void rollbackTo(const QString& name) = 0;
    // What only a ledger file can do; null on a server, which has neither a file nor a key.
    virtual FileOps* fileOps() = 0;

    // Holds the named lock until the transaction ends, waiting while another connection holds it:
    // a ledger operation locks what it changes for its whole duration. A wait that lasts too long
    // ends in a ConflictError. The file has one writer at a time already: nothing to do there.
    virtual void lock(const QString& name) = 0;
    // "text like pattern" as the file matches it: the letters A to Z without regard to case,
    // "%" and "_" the only wildcards, no escape character. Both arguments are statement text.
    virtual QString like(const QString& text, const QString& pattern) const = 0;
    // Gives each session its own empty copy of these tables, so that what one connection stages
    // there is never seen by another. The file has one session: nothing to do there.
    virtual void keepPrivate(const QStringList& tables) = 0;
    // Begins a transaction that reads the database as it stands now, whatever others write
    // meanwhile, until rollback(): a ledger read whole (a copy) reads one state.
    virtual void beginSnapshot() = 0;
    // After rows were written with row ids of their own, new rows of the table get row ids past
    // the highest one.
    virtual void continueRowIds(const QString& table) = 0;
};

enum class Access { ReadWrite, ReadOnly };

// Opens an existing SQLCipher file with the key (an empty file becomes a new database keyed so);
// refuses a missing file, and a file that is not a database or is keyed otherwise with KeyError.
// accept runs before anything could write to the file and may refuse it by throwing. ReadOnly
// never writes and needs no write permission.
std::unique_ptr<Connection> openSqlCipher(const QString& path, const QByteArray& key,
                                          Access access = Access::ReadWrite,
                                          const std::function<void(Connection&)>& accept = {});

// Connects to a database on a PostgreSQL server: a libpq connection string or URL
// ("host=… dbname=…", "postgresql://user@host/db"); what it leaves out comes from the PG*
// environment and the password from PostgreSQL's password file, unless one is given. Throws
// qb::PasswordNeeded when the server asks for a password that nothing gave, qb::DbError with a
// clear message when the server cannot be reached or does not suit a ledger.
std::unique_ptr<Connection> openPostgres(const QString& connection, const QString& password = {});
// Whether a connection string or URL carries a password of its own. One that cannot be read is
// refused with qb::DbError saying why.
bool carriesPassword(const QString& connection);

}  // namespace qb::engine
