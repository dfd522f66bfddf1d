#pragma once

#include <QDate>
#include <QLockFile>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVector>
#include <functional>
#include <memory>
#include <vector>

#include "engine.h"

class Tdat;

namespace qb {

class Query;

// One column of the current row of a query, read and written like a dataset field.
class Field {
public:
    Field(Query& query, int index) : query_(&query), index_(index) {}
    QString name() const;
    QVariant value() const;  // null stays null
    bool isNull() const;
    QString asString() const;  // null reads as empty text; numbers in their plain form
    int asInt() const;         // null reads as 0
    double asFloat() const;    // null reads as 0
    qint64 asCents() const;    // an amount in whole cents; null reads as 0
    QDate asDate() const;      // a "YYYY-MM-DD" text; null or unreadable gives an invalid date
    void setValue(const QVariant& value);  // the row must be in edit or insert state

private:
    Query* query_;
    int index_;
};

// A statement object on the shared connection, with the dataset operations the windows use:
// a static result set held in memory, navigation, record numbers, bookmarks, a local filter,
// and, for a select over one table, updatable rows addressed by the engine's row id.
class Query {
public:
    enum class State { Inactive, Browse, Edit, Insert };
    using Bookmark = qint64;
    using Filter = std::function<bool(const Query&, int row)>;

    explicit Query(Tdat& dat);
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    // Replaces the statement. Values go only through the "?" placeholders, never into the text.
    void setSql(const QString& sql, const QVariantList& params = {});
    const QString& sql() const { return sql_; }
    const QVariantList& params() const { return params_; }
    // Takes over another query's statement and values, so that it reopens the same rows.
    void copySql(const Query& other) { setSql(other.sql_, other.params_); }

    void open();   // runs the select; current row is the first
    void exec();   // runs an insert, update or delete
    void close();  // drops the rows; a pending edit is discarded
    bool active() const { return state_ != State::Inactive; }
    State state() const { return state_; }

    // Navigation over the rows that pass the filter.
    bool isEmpty() const { return visible_.empty(); }
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    void first();
    void next();
    void prior();
    void last();
    int recNo() const;  // 1-based; 0 when empty
    void setRecNo(int recNo);
    int recordCount() const { return int(visible_.size()); }

    int fieldCount() const { return int(columns().size()); }
    QString fieldName(int index) const { return columns().at(index).name; }
    // The column's type as the schema declares it ("date", "double", "smallint", "text");
    // empty for an expression.
    QString fieldType(int index) const { return columns().at(index).declaredType; }
    int fieldIndex(const QString& name) const;  // matched without regard to case; -1 if absent
    Field field(int index);
    Field fieldByName(const QString& name);
    QVariant value(int index) const;
    QVariant valueAt(int row, int index) const;  // row: 0-based among the visible rows
    void setValue(int index, const QVariant& value);

    // Editing, for a select over a single table.
    bool updatable() const { return !table().isEmpty(); }
    // The one table rows are written back to; empty when none, or when the query is closed.
    const QString& table() const {
        static const QString none;
        return active() ? shape_.table : none;
    }
    void edit();
    void append();  // a new row after the last, current until posted or cancelled
    void insert();  // a new row before the current one
    void post();    // writes the current row; afterPost runs when it succeeded
    void cancel();
    void remove();                   // deletes the current row from the table at once
    bool modified(int index) const;  // this column was set since edit/append began

    Bookmark bookmark() const;  // the row id of the current row (or its position)
    void gotoBookmark(Bookmark bookmark);
    qint64 rowId() const;  // the engine's row id of the current row; 0 for a read-only result

    // Local filter over the rows already read; null clears it. The current row becomes the first.
    void setFilter(Filter filter);
    bool filtered() const { return bool(filter_); }

    // Called after each successful post of this query's rows.
    std::function<void(Query&)> afterPost;

private:
    struct Column {
        QString name;
        QString originColumn;  // empty for an expression: such a column is not written back
        QString declaredType;
    };
    QVariant converted(const Column& column, const QVariant& value) const;
    struct Row {
        qint64 rowId = 0;
        QVector<QVariant> values;
    };
    // What open() learns of a statement's text, kept while the text stays the same: the grid
    // reopens one month view again and again.
    struct Shape {
        QString sql;
        quint64 connection = 0;  // which of the ledger's connections it was learnt on
        QString statementSql;    // the text run: the select, or the same with the row id in front
        QString table;           // the one table rows are written back to; empty if none
        std::vector<Column> columns;
    };
    // The columns of the rows on show: the statement's while the query is open, none once closed.
    const std::vector<Column>& columns() const {
        static const std::vector<Column> none;
        return active() ? shape_.columns : none;
    }

    void requireActive() const;
    void requireRow() const;
    void applyFilter();
    void setCurrent(int visibleIndex);
    QVector<QVariant> readRow(qint64 rowId);
    Shape shapeOf(engine::Connection& con) const;
    int currentIndex() const;  // into the rows read; the row must be in browse state
    Row rowAt(int index) const;
    void storeRow(int index, const Row& row);

    Tdat& dat_;
    QString sql_;
    QVariantList params_;
    Shape shape_;
    // The rows read, one after the other: row r's values are cells_[r * fieldCount() ...],
    // in one block rather than a block per row.
    std::vector<qint64> rowIds_;
    std::vector<QVariant> cells_;
    std::vector<int> visible_;  // indexes of the rows read that pass the filter, in order
    Filter filter_;
    State state_ = State::Inactive;
    int current_ = -1;  // index into visible_
    bool eof_ = true;
    bool bof_ = true;
    Row pending_;                 // the row being edited or inserted
    std::vector<bool> modified_;  // columns set during the pending edit
    int insertAt_ = -1;           // where an inserted row goes among the rows read
};

// A unit of work: committed only by commit(); destroyed uncommitted it rolls back. Units nest,
// so an operation that is one transaction can also run inside a caller's transaction.
class Transaction {
public:
    explicit Transaction(Tdat& dat);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();
    void rollback();

private:
    Tdat& dat_;
    QString name_;
    bool open_ = true;
};

}  // namespace qb

// The data module: the one connection and the two shared statement objects.
class Tdat {
public:
    static constexpr const char* kFileName = "LedgerData.mdb";
    static constexpr const char* kPassword = "mtk52096318";

    enum class Mode {
        Locked,    // reading and writing, locked against a second program instance
        ReadOnly,  // reading only: no lock, no write, works on a read-only volume
        NewFile,   // reading and writing a file only this process knows (a ledger being built)
    };

    Tdat();
    ~Tdat();
    Tdat(const Tdat&) = delete;
    Tdat& operator=(const Tdat&) = delete;

    // Opens the database file and checks that it is a ledger, never writing to a file that is
    // not. It is keyed with the passphrase when one is given, else (or when the passphrase does
    // not fit) with the built-in password. Throws qb::DbError with a clear message on any
    // failure, qb::KeyError when no key opens the file.
    void open(const QString& path, Mode mode = Mode::Locked, const QString& passphrase = {});
    // Opens "LedgerData.mdb" in the directory.
    void openIn(const QString& directory, Mode mode = Mode::Locked, const QString& passphrase = {});
    // Opens a ledger on a PostgreSQL server (a connection string or URL; the password, when the
    // server asks for one that nothing else gives) and checks that it is a ledger. Several
    // programs share a server ledger, so nothing is locked; each connection has staging tables of
    // its own; there is no file (path() is empty) and no passphrase.
    void openServer(const QString& connection, const QString& password = {});
    void close();
    bool connected() const { return bool(con_); }
    bool onServer() const { return connected() && path_.isEmpty(); }
    // Opened to read only (Mode::ReadOnly): nothing may be written, not even a log entry.
    bool readOnly() const { return readOnly_; }
    // What only a ledger file can do (its bytes, its key); null on a server or unconnected.
    qb::engine::FileOps* fileOps() const { return con_ ? con_->fileOps() : nullptr; }
    const QString& path() const { return path_; }
    // The ledger's passphrase of its own; empty when the built-in password opened it.
    const QString& passphrase() const { return passphrase_; }
    bool inTransaction() const { return transactionDepth_ > 0; }

    // Re-keys the open file with a passphrase of its own, or with the built-in password when
    // the passphrase is empty. Refused inside a transaction.
    void setPassphrase(const QString& passphrase);

    qb::engine::Connection& con();  // con: the one connection
    // How many connections were opened so far: what a query learnt of its statement on one
    // connection (another engine, another file) does not hold on the next.
    quint64 connections() const { return connections_; }
    qb::Query gycx;  // shared query object for look-ups (gongyong chaxun), one statement at a time
    qb::Query jhcx;  // the second shared query object: month sums and voucher numbers

    // Runs a statement that returns no rows.
    void execute(const QString& sql, const QVariantList& params = {});
    // The first column of the first row of a select, null when there is no row.
    QVariant scalar(const QString& sql, const QVariantList& params = {});

    // The path of the database file in a directory.
    static QString pathIn(const QString& directory);
    // The engine key for a passphrase: the built-in password for none.
    static QByteArray keyFor(const QString& passphrase);

private:
    friend class qb::Transaction;
    std::unique_ptr<QLockFile> lockBeside(const QString& path);
    static void requireLedger(qb::engine::Connection& con, const QString& what);
    std::unique_ptr<qb::engine::Connection> con_;
    std::unique_ptr<QLockFile> lock_;
    QString path_;
    QString passphrase_;
    int transactionDepth_ = 0;
    bool readOnly_ = false;
    quint64 connections_ = 0;
};
