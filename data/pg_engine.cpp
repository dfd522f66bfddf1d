// The engine for a ledger on a PostgreSQL server, through libpq.
//
// Statements are prepared on the server once per connection and text. Values travel as text and
// take the type the server infers for their place; text where a number belongs is refused, as the
// file's checks refuse it. Rows come back whole and typed as the file engine gives them: qlonglong,
// double, QString or null. The server aborts a transaction at its first failed statement, so the
// engine never lets a failure inside a transaction go unnoticed: a commit that the server turned
// into a rollback is reported, and a connection lost inside a transaction refuses everything but
// the rollback, never carrying on outside it.
#include <libpq-fe.h>
#include <poll.h>

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QSet>
#include <cmath>
#include <map>
#include <unordered_map>

#include "engine.h"
#include "errors.h"
#include "pg_sql.h"

namespace qb::engine {
namespace {

// The server's fixed identifiers of its built-in types.
constexpr Oid kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700,
              kFloat8 = 701, kNumeric = 1700;

bool isInteger(Oid type) {
    return type == kInt2 || type == kInt4 || type == kInt8 || type == kOid;
}
bool isReal(Oid type) {
    return type == kFloat4 || type == kFloat8 || type == kNumeric;
}

struct ClearResult {
    void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ClearResult>;

const QString kRowId = QStringLiteral("rowid");

// The server's type names as the data layer knows them from the file's declarations.
QString declaredName(const QString& serverType) {
    static const std::map<QString, QString> names = {
        {QStringLiteral("float8"), QStringLiteral("double")},
        {QStringLiteral("float4"), QStringLiteral("double")},
        {QStringLiteral("numeric"), QStringLiteral("double")},
        {QStringLiteral("int2"), QStringLiteral("smallint")},
        {QStringLiteral("int4"), QStringLiteral("integer")},
        {QStringLiteral("int8"), QStringLiteral("integer")},
        {QStringLiteral("ledger_date"), QStringLiteral("date")},
        {QStringLiteral("varchar"), QStringLiteral("text")}};
    const auto found = names.find(serverType);
    return found == names.end() ? serverType : found->second;
}

// A message of libpq's on one line, without a password that it may quote from a mistyped
// connection string.
QString oneLine(const char* message) {
    static const QRegularExpression uriPassword(QStringLiteral("(://[^:/@\\s]*:)[^@\\s]*@"));
    static const QRegularExpression keywordPassword(QStringLiteral("(password\\s*=\\s*)\\S+"));
    return QString::fromUtf8(message)
        .simplified()
        .replace(uriPassword, QStringLiteral("\\1***@"))
        .replace(keywordPassword, QStringLiteral("\\1***"));
}

struct Table {
    QString name;
    std::map<int, std::pair<QString, QString>> columns;  // by number: name, declared type
    QStringList selectable;                              // what "select *" lists
    bool hasRowId = false;
};
using TablePtr = std::shared_ptr<const Table>;

class PgStatement;

class PgConnection : public Connection {
public:
    PgConnection(const QString& connection, const QString& password);
    ~PgConnection() override;

    Statement& prepare(const QString& sql) override;
    void execute(const QString& sql, const QVariantList& params) override;
    qint64 lastInsertId() const override { return lastInsertId_; }
    int changes() const override { return changes_; }
    QString rowIdColumn() const override { return kRowId; }
    bool hasTable(const QString& name) override;
    void begin() override { beginWith("begin"); }
    void commit() override;
    void rollback() override;
    void savepoint(const QString& name) override {
        withinTransaction("savepoint " + identifier(name));
    }
    void release(const QString& name) override { withinTransaction("release " + identifier(name)); }
    void rollbackTo(const QString& name) override {
        withinTransaction("rollback to " + identifier(name) + "; release " + identifier(name));
        // What was undone may have released locks and dropped tables made since the savepoint.
        locksHeld_.clear();
        tablesPresent_.clear();
    }
    FileOps* fileOps() override { return nullptr; }
    void lock(const QString& name) override;
    QString like(const QString& text, const QString& pattern) const override {
        // The texts' collation "C" makes ilike fold the letters A to Z only, as the file does.
        return text + QStringLiteral(" ilike ") + pattern + QStringLiteral(" escape ''");
    }
    void keepPrivate(const QStringList& tables) override;
    void beginSnapshot() override { beginWith("begin isolation level repeatable read read only"); }
    void continueRowIds(const QString& table) override;

    // For the statements.
    PGconn* raw() const { return conn_; }
    int generation() const { return generation_; }
    QByteArray nextStatementName() { return "qb" + QByteArray::number(++statementCount_); }
    pg::Translation translate(const QString& sql);
    TablePtr table(Oid oid);
    TablePtr tableNamed(const QString& name);
    // Makes sure the connection is usable: reconnects outside a transaction, refuses inside a
    // lost one.
    void ensureConnected();
    // Runs work that prepares on the server without spoiling a transaction when it fails.
    void guarded(const std::function<void()>& work);
    // Before a command is sent.
    void beforeCommand() { ensureConnected(); }
    // The command's result, or the failure thrown; keeps changes() and the table cache current.
    Result finish(PGresult* result, const pg::Translation& command, const QString& sql = {});
    void setLastInsertId(qint64 id) { lastInsertId_ = id; }

private:
    [[noreturn]] void fail(const PGresult* result, const pg::Translation& command,
                           const QString& sql);
    Result query(const char* sql, const QByteArray& param);
    void command(const char* sql);
    // A transaction's own command, the word telling finish() what it was.
    void control(const QByteArray& sql, const char* word);
    void beginWith(const char* sql);
    void withinTransaction(const QByteArray& sql);
    void setUpSession();
    void createPrivateTables();
    QByteArray identifier(const QString& name) const;  // quoted for statement text
    void reconnect();
    Statement& add(const QString& sql, pg::Translation translation);
    TablePtr loadTable(const char* condition, const QByteArray& key);
    // What is known of the tables may no longer hold (a new session, a schema change).
    void forgetTables();

    PGconn* conn_ = nullptr;
    int generation_ = 0;  // counts connections: a new one has no prepared statements
    int statementCount_ = 0;
    qint64 lastInsertId_ = 0;
    int changes_ = 0;
    bool transactionOpen_ = false;  // from begin() until commit() or rollback()
    bool lost_ = false;             // the open transaction's connection broke: only rollback()
    bool sessionEnded_ = false;     // the server said it ends the session
    QStringList privateTables_;     // each session has its own, created with the session
    std::unordered_map<QString, std::unique_ptr<PgStatement>> statements_;
    std::unordered_map<Oid, TablePtr> tables_;
    std::unordered_map<QString, TablePtr> tablesByName_;  // by the name statements give
    // The advisory locks the open transaction holds: asked again, each would only cost a round
    // trip, since the transaction keeps them until it ends.
    QSet<QString> locksHeld_;
    // Tables found present, asked for again by every operation that logs; forgotten with the
    // rest of what is known of the tables, and when a rollback may have undone their making.
    QSet<QString> tablesPresent_;
};

class PgStatement : public Statement {
public:
    PgStatement(PgConnection& con, const QString& sql, pg::Translation translation)
        : con_(con), sql_(sql), translation_(std::move(translation)) {
        if (translation_.command == QLatin1String("insert") && !translation_.returning) {
            // The row id of the new row, which the file engine knows without asking.
            const QString& table = translation_.insertTable;
            const TablePtr info = table.isEmpty() ? nullptr : con_.tableNamed(table);
            if (info && info->hasRowId) {
                QByteArray& text = translation_.text;
                text = text.trimmed();
                while (text.endsWith(';'))
                    text = text.chopped(1).trimmed();
                text += " returning " + kRowId.toUtf8();
                returnsRowId_ = true;
            }
        }
        con_.guarded([this] { prepareOnServer(); });
    }

    void bind(const QVariantList& params) override {
        reset();
        if (params.size() != qsizetype(paramTypes_.size()))
            throw DbError(QStringLiteral("statement expects %1 values, got %2")
                              .arg(paramTypes_.size())
                              .arg(params.size()));
        values_.clear();
        for (int i = 0; i < params.size(); ++i)
            values_.push_back(encoded(params[i], paramTypes_[i]));
    }

    bool step() override {
        if (!ran_) {
            ran_ = true;
            row_ = -1;
            if (!run()) {
                ran_ = false;
                return false;
            }
        }
        if (result_ && !returnsRowId_ && ++row_ < PQntuples(result_.get())) return true;
        ran_ = false;  // as with the file engine, a further step runs the statement again
        return false;
    }

    int columnCount() const override { return returnsRowId_ ? 0 : int(columns_.size()); }
    QString columnName(int c) const override { return columns_.at(c).name; }
    QString originTable(int c) const override { return columns_.at(c).table; }
    QString originColumn(int c) const override { return columns_.at(c).origin; }
    QString declaredType(int c) const override { return columns_.at(c).declared; }

    QVariant value(int c) const override {
        if (!result_ || row_ < 0 || row_ >= PQntuples(result_.get())) return {};
        if (PQgetisnull(result_.get(), row_, c)) return {};
        const char* text = PQgetvalue(result_.get(), row_, c);
        const int length = PQgetlength(result_.get(), row_, c);
        const Oid type = columns_.at(c).type;
        if (type == kBool) return qlonglong(text[0] == 't');
        if (isInteger(type)) return qlonglong(std::strtoll(text, nullptr, 10));
        if (isReal(type)) return real(QByteArray::fromRawData(text, length));
        if (type == kBytea) {
            size_t size = 0;
            unsigned char* bytes =
                PQunescapeBytea(reinterpret_cast<const unsigned char*>(text), &size);
            const QByteArray value(reinterpret_cast<const char*>(bytes), qsizetype(size));
            PQfreemem(bytes);
            return value;
        }
        return QString::fromUtf8(text, length);
    }

    void reset() override {
        result_.reset();
        row_ = -1;
        ran_ = false;
    }

private:
    struct Column {
        QString name;
        QString table;
        QString origin;
        QString declared;
        Oid type = 0;
    };
    struct Value {
        QByteArray text;
        bool null = false;
        bool binary = false;
    };

    void prepareOnServer() {
        con_.ensureConnected();
        name_ = con_.nextStatementName();
        con_.finish(
            PQprepare(con_.raw(), name_.constData(), translation_.text.constData(), 0, nullptr),
            translation_, sql_);
        const Result description =
            con_.finish(PQdescribePrepared(con_.raw(), name_.constData()), translation_, sql_);
        const PGresult* d = description.get();
        paramTypes_.clear();
        for (int i = 0; i < PQnparams(d); ++i)
            paramTypes_.push_back(PQparamtype(d, i));
        columns_.clear();
        for (int c = 0; c < PQnfields(d); ++c) {
            Column column{QString::fromUtf8(PQfname(d, c)), {}, {}, {}, PQftype(d, c)};
            if (const TablePtr table = PQftable(d, c) ? con_.table(PQftable(d, c)) : nullptr) {
                const auto found = table->columns.find(PQftablecol(d, c));
                if (found != table->columns.end()) {
                    column.table = table->name;
                    column.origin = found->second.first;
                    column.declared = found->second.second;
                }
            }
            columns_.push_back(column);
        }
        generation_ = con_.generation();
    }

    bool run() {
        con_.beforeCommand();
        if (generation_ != con_.generation()) con_.guarded([this] { prepareOnServer(); });
        std::vector<const char*> texts;
        std::vector<int> lengths, formats;
        for (const Value& v : values_) {
            texts.push_back(v.null ? nullptr : v.text.constData());
            lengths.push_back(int(v.text.size()));
            formats.push_back(v.binary ? 1 : 0);
        }
        result_ = con_.finish(PQexecPrepared(con_.raw(), name_.constData(), int(texts.size()),
                                             texts.data(), lengths.data(), formats.data(), 0),
                              translation_);
        const int rows = PQntuples(result_.get());
        if (returnsRowId_ && rows > 0)
            con_.setLastInsertId(std::strtoll(PQgetvalue(result_.get(), rows - 1, 0), nullptr, 10));
        return true;
    }

    static QVariant real(const QByteArray& text) {
        bool ok = false;
        const double value = text.toDouble(&ok);
        if (ok) return value;
        if (text == "NaN") return std::nan("");
        return text.startsWith('-') ? -HUGE_VAL : HUGE_VAL;
    }

    // A value as the server reads it where it is used.
    Value encoded(const QVariant& v, Oid type) const {
        if (!v.isValid() || (v.isNull() && v.typeId() != QMetaType::QString)) return {{}, true};
        switch (v.typeId()) {
            case QMetaType::Bool:
                return {type == kBool ? (v.toBool() ? "t" : "f") : (v.toBool() ? "1" : "0")};
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::Short:
            case QMetaType::LongLong:
                return {QByteArray::number(v.toLongLong())};
            case QMetaType::ULongLong:
                return {QByteArray::number(v.toULongLong())};
            case QMetaType::Double:
            case QMetaType::Float: {
                const double d = v.toDouble();
                if (std::isnan(d)) return {"NaN"};
                if (std::isinf(d)) return {d > 0 ? "Infinity" : "-Infinity"};
                if (isInteger(type) && d == std::trunc(d) && std::fabs(d) < 9.2e18)
                    return {QByteArray::number(qint64(d))};
                return {QByteArray::number(d, 'g', 17)};
            }
            case QMetaType::QDate:
                return {v.toDate().toString(Qt::ISODate).toUtf8()};
            case QMetaType::QDateTime:
                return {v.toDateTime().date().toString(Qt::ISODate).toUtf8()};
            case QMetaType::QByteArray:
                return {v.toByteArray(), false, type == kBytea};
            default:
                if (isInteger(type) || isReal(type))
                    throw DbError(
                        QStringLiteral("“%1”是文本，这里需要一个数值。").arg(v.toString()));
                return {v.toString().toUtf8()};
        }
    }

    PgConnection& con_;
    QString sql_;
    pg::Translation translation_;
    QByteArray name_;
    bool returnsRowId_ = false;  // an insert that reads back its new row's id
    int generation_ = -1;
    std::vector<Oid> paramTypes_;
    std::vector<Column> columns_;
    std::vector<Value> values_;
    Result result_;
    int row_ = -1;
    bool ran_ = false;
};

bool isUtility(const QString& command) {
    static const QSet<QString> utilities = {QStringLiteral("create"), QStringLiteral("drop"),
                                            QStringLiteral("alter"),  QStringLiteral("set"),
                                            QStringLiteral("lock"),   QStringLiteral("truncate"),
                                            QStringLiteral("comment")};
    return utilities.contains(command);
}

// Statements that would start or end a transaction behind the engine's back.
bool isTransactionControl(const QString& command) {
    static const QSet<QString> words = {
        QStringLiteral("begin"),   QStringLiteral("start"),    QStringLiteral("commit"),
        QStringLiteral("end"),     QStringLiteral("rollback"), QStringLiteral("savepoint"),
        QStringLiteral("release"), QStringLiteral("abort"),    QStringLiteral("prepare")};
    return words.contains(command);
}

PgConnection::PgConnection(const QString& connection, const QString& password) {
    // Defaults first, so that the connection string may change them; the encoding after it,
    // because the engine speaks UTF-8 whatever the string says; a password asked for last.
    const QByteArray given = connection.toUtf8();
    const QByteArray secret = password.toUtf8();
    std::vector<const char*> keywords = {
        "connect_timeout",  "keepalives",       "keepalives_idle", "keepalives_interval",
        "keepalives_count", "application_name", "dbname",          "client_encoding"};
    std::vector<const char*> values = {"10",  "1", "30", "10", "3", "quillbook", given.constData(),
                                       "UTF8"};
    if (!password.isEmpty()) {
        keywords.push_back("password");
        values.push_back(secret.constData());
    }
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    conn_ = PQconnectdbParams(keywords.data(), values.data(), 1);
    if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
        const QString why =
            conn_ ? oneLine(PQerrorMessage(conn_)) : QStringLiteral("out of memory");
        const bool asked = conn_ && PQconnectionNeedsPassword(conn_);
        PQfinish(conn_);
        if (asked)
            throw PasswordNeeded(
                QStringLiteral("数据库服务器要求输入口令（%1）。可以把口令存进 PostgreSQL 的口令"
                               "文件 ~/.pgpass。")
                    .arg(why));
        throw DbError(QStringLiteral("无法连接数据库服务器：%1").arg(why));
    }
    // Notices stay quiet, but one telling that the server ends the session is remembered: it can
    // arrive before the connection itself is seen closed.
    PQsetNoticeReceiver(
        conn_,
        [](void* self, const PGresult* notice) {
            const char* severity = PQresultErrorField(notice, PG_DIAG_SEVERITY_NONLOCALIZED);
            if (severity && (qstrcmp(severity, "FATAL") == 0 || qstrcmp(severity, "PANIC") == 0))
                static_cast<PgConnection*>(self)->sessionEnded_ = true;
        },
        this);
    try {
        if (PQserverVersion(conn_) < 120000)
            throw DbError(
                QStringLiteral("数据库服务器的版本太旧：账本需要 PostgreSQL 12 或更新的版本。"));
        const QString encoding = QString::fromUtf8(PQparameterStatus(conn_, "server_encoding"));
        if (encoding != QLatin1String("UTF8"))
            throw DbError(QStringLiteral("服务器上的数据库使用 %1 编码，账本需要 UTF8 编码的数据库"
                                         "（createdb -E UTF8）。")
                              .arg(encoding));
        setUpSession();
    } catch (...) {
        PQfinish(conn_);
        throw;
    }
}

PgConnection::~PgConnection() {
    statements_.clear();
    PQfinish(conn_);
}

void PgConnection::setUpSession() {
    // Dates print year first; doubles print exactly; notices stay on the server. An operation
    // waits for another's lock a while, never for ever (unless the server's settings or the
    // connection string say how long).
    command(
        "set datestyle = 'ISO, YMD'; set extra_float_digits = 1; "
        "set standard_conforming_strings = on; set client_min_messages = warning; "
        "select set_config('lock_timeout', '15s', false) "
        "where current_setting('lock_timeout') = '0'");
    createPrivateTables();
}

void PgConnection::keepPrivate(const QStringList& tables) {
    privateTables_ = tables;
    createPrivateTables();
}

QByteArray PgConnection::identifier(const QString& name) const {
    const QByteArray given = name.toUtf8();
    char* escaped = PQescapeIdentifier(conn_, given.constData(), size_t(given.size()));
    const QByteArray quotedName(escaped ? escaped : "");
    PQfreemem(escaped);
    return quotedName;
}

void PgConnection::continueRowIds(const QString& table) {
    execute(QStringLiteral("select setval(pg_get_serial_sequence(?, '%1'), "
                           "coalesce(max(%1), 0) + 1, false) from %2")
                .arg(kRowId, QString::fromUtf8(identifier(table))),
            {table});
}

void PgConnection::createPrivateTables() {
    // A temporary table of the same name comes first in the session's search path: statements
    // reach it instead of the shared one, which stays empty.
    for (const QString& table : privateTables_) {
        const QByteArray name = identifier(table);
        command("create temporary table if not exists " + name + " (like " + name +
                " including all)");
    }
    forgetTables();
}

void PgConnection::lock(const QString& name) {
    if (!transactionOpen_)
        throw DbError(QStringLiteral("lock %1 taken outside a transaction").arg(name));
    if (locksHeld_.contains(name)) return;
    execute(QStringLiteral("select pg_advisory_xact_lock(hashtextextended(?, 0))"), {name});
    locksHeld_.insert(name);
}

pg::Translation PgConnection::translate(const QString& sql) {
    pg::Translation translation = pg::translate(sql, [this](const QString& name) {
        const TablePtr info = tableNamed(name);
        return info ? info->selectable : QStringList();
    });
    if (isTransactionControl(translation.command))
        throw DbError(QStringLiteral("事务只能由连接的 begin、commit、rollback 控制：%1").arg(sql));
    return translation;
}

Statement& PgConnection::prepare(const QString& sql) {
    const auto found = statements_.find(sql);
    if (found != statements_.end()) return *found->second;
    return add(sql, translate(sql));
}

Statement& PgConnection::add(const QString& sql, pg::Translation translation) {
    // Values are bound, so the set of statement texts is small; a runaway cache is cleared.
    if (statements_.size() > 256) {
        if (PQtransactionStatus(conn_) == PQTRANS_IDLE) PQclear(PQexec(conn_, "deallocate all"));
        statements_.clear();
    }
    auto statement = std::make_unique<PgStatement>(*this, sql, std::move(translation));
    Statement& result = *statement;
    statements_.emplace(sql, std::move(statement));
    return result;
}

void PgConnection::execute(const QString& sql, const QVariantList& params) {
    const auto found = statements_.find(sql);
    Statement* statement = found != statements_.end() ? found->second.get() : nullptr;
    if (!statement) {
        pg::Translation translation = translate(sql);
        // Transaction control and schema changes run as they are, without a prepared statement.
        if (params.isEmpty() && isUtility(translation.command)) {
            beforeCommand();
            finish(PQexec(conn_, translation.text.constData()), translation, sql);
            return;
        }
        statement = &add(sql, std::move(translation));
    }
    statement->bind(params);
    while (statement->step()) {
    }
}

bool PgConnection::hasTable(const QString& name) {
    const QString key = name.toLower();
    if (tablesPresent_.contains(key)) return true;
    const Result found = query(
        "select count(*) from pg_catalog.pg_class where relkind in ('r', 'p') and "
        "oid = to_regclass(quote_ident(lower($1)))",
        name.toUtf8());
    const bool present = std::strtol(PQgetvalue(found.get(), 0, 0), nullptr, 10) > 0;
    if (present) tablesPresent_.insert(key);
    return present;
}

TablePtr PgConnection::table(Oid oid) {
    const auto found = tables_.find(oid);
    if (found != tables_.end()) return found->second;
    return loadTable("c.oid = $1", QByteArray::number(oid));
}

TablePtr PgConnection::tableNamed(const QString& name) {
    const auto known = tablesByName_.find(name);
    if (known != tablesByName_.end()) return known->second;
    const TablePtr info = loadTable("c.oid = to_regclass($1)", name.toUtf8());
    // A table missing now may be created later, so only what was found is kept.
    if (info) tablesByName_[name] = info;
    return info;
}

TablePtr PgConnection::loadTable(const char* condition, const QByteArray& key) {
    const Result rows = query(QByteArray("select c.oid, c.relname, a.attnum, a.attname, t.typname "
                                         "from pg_catalog.pg_class c join pg_catalog.pg_attribute "
                                         "a on a.attrelid = c.oid join pg_catalog.pg_type t on "
                                         "t.oid = a.atttypid where a.attnum > 0 and not "
                                         "a.attisdropped and ") +
                                  condition + " order by a.attnum",
                              key);
    std::shared_ptr<Table> info;
    for (int r = 0; r < PQntuples(rows.get()); ++r) {
        if (!info) {
            info = std::make_shared<Table>();
            info->name = QString::fromUtf8(PQgetvalue(rows.get(), r, 1));
            tables_[Oid(std::strtoul(PQgetvalue(rows.get(), r, 0), nullptr, 10))] = info;
        }
        const QString column = QString::fromUtf8(PQgetvalue(rows.get(), r, 3));
        info->columns[std::atoi(PQgetvalue(rows.get(), r, 2))] = {
            column, declaredName(QString::fromUtf8(PQgetvalue(rows.get(), r, 4)))};
        if (column == kRowId)
            info->hasRowId = true;
        else
            info->selectable << column;
    }
    return info;
}

void PgConnection::forgetTables() {
    tables_.clear();
    tablesByName_.clear();
    tablesPresent_.clear();
}

void PgConnection::ensureConnected() {
    if (lost_)
        throw DbError(
            QStringLiteral("与数据库服务器的连接已经中断，这一操作没有完成，其中的改动都"
                           "没有保存。"));
    // Unasked, the server says nothing but that it is ending the session (restarted, or an
    // administrator's doing). Reading that now, before the next statement is sent, lets the
    // statement go to a new connection between transactions, and refuses it inside one.
    if (PQstatus(conn_) == CONNECTION_OK) {
        pollfd socket{PQsocket(conn_), POLLIN, 0};
        for (int reads = 0; reads < 8 && poll(&socket, 1, 0) > 0; ++reads)
            // Reading keeps the data; asking whether the connection is busy parses it, so that a
            // notice of the session's end reaches the notice receiver.
            if (!PQconsumeInput(conn_) || PQisBusy(conn_)) break;
    }
    if (PQstatus(conn_) == CONNECTION_OK && !sessionEnded_) return;
    if (transactionOpen_) {
        lost_ = true;
        throw DbError(
            QStringLiteral("与数据库服务器的连接中断了，进行中的操作没有完成，其中的改动都"
                           "没有保存。"));
    }
    reconnect();
}

void PgConnection::reconnect() {
    PQreset(conn_);
    sessionEnded_ = false;
    if (PQstatus(conn_) != CONNECTION_OK)
        throw DbError(
            QStringLiteral("无法重新连接数据库服务器：%1").arg(oneLine(PQerrorMessage(conn_))));
    // The new session has no prepared statements, and the tables may have changed meanwhile.
    ++generation_;
    forgetTables();
    setUpSession();
}

void PgConnection::control(const QByteArray& sql, const char* word) {
    pg::Translation translation;
    translation.command = QString::fromLatin1(word);
    finish(PQexec(conn_, sql.constData()), translation);
}

void PgConnection::beginWith(const char* sql) {
    if (transactionOpen_) throw DbError(QStringLiteral("已有一个事务在进行，不能再开始一个。"));
    ensureConnected();
    control(sql, "begin");
    transactionOpen_ = true;
    locksHeld_.clear();
}

void PgConnection::withinTransaction(const QByteArray& sql) {
    if (!transactionOpen_)
        throw DbError(QStringLiteral("savepoint outside a transaction: %1").arg(sql));
    ensureConnected();
    control(sql, "savepoint");
}

void PgConnection::commit() {
    if (!transactionOpen_) throw DbError(QStringLiteral("没有进行中的事务可以提交。"));
    ensureConnected();
    try {
        control("commit", "commit");
    } catch (const DbError&) {
        // The server ended the transaction either way, unless the connection broke: then it
        // stays lost until the caller's rollback. Tables it made are gone with it.
        transactionOpen_ = lost_;
        tablesPresent_.clear();
        throw;
    }
    transactionOpen_ = false;
}

void PgConnection::rollback() {
    if (!transactionOpen_) return;
    transactionOpen_ = false;
    tablesPresent_.clear();
    // A broken connection took the transaction with it on the server: nothing to send.
    const bool broken = lost_ || PQstatus(conn_) != CONNECTION_OK || sessionEnded_;
    lost_ = false;
    if (!broken) PQclear(PQexec(conn_, "rollback"));
}

void PgConnection::guarded(const std::function<void()>& work) {
    const bool inside =
        PQstatus(conn_) == CONNECTION_OK && PQtransactionStatus(conn_) == PQTRANS_INTRANS;
    if (inside) command("savepoint qb_prepare");
    try {
        work();
    } catch (...) {
        if (inside)
            PQclear(
                PQexec(conn_, "rollback to savepoint qb_prepare; release savepoint qb_prepare"));
        throw;
    }
    if (inside) command("release savepoint qb_prepare");
}

Result PgConnection::finish(PGresult* raw, const pg::Translation& command, const QString& sql) {
    Result result(raw);
    const ExecStatusType status = raw ? PQresultStatus(raw) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) fail(raw, command, sql);
    const QByteArray tag = PQcmdStatus(raw);
    const QString& word = command.command;
    if ((word == QLatin1String("commit") || word == QLatin1String("end")) && tag == "ROLLBACK")
        throw DbError(QStringLiteral("这一操作中有语句出错，整个操作已经撤销，没有保存任何改动。"));
    if (tag.startsWith("INSERT") || tag.startsWith("UPDATE") || tag.startsWith("DELETE") ||
        tag.startsWith("MERGE"))
        changes_ = std::atoi(PQcmdTuples(raw));
    if (word == QLatin1String("create") || word == QLatin1String("drop") ||
        word == QLatin1String("alter"))
        forgetTables();
    return result;
}

void PgConnection::fail(const PGresult* result, const pg::Translation& command,
                        const QString& sql) {
    const char* severity =
        result ? PQresultErrorField(result, PG_DIAG_SEVERITY_NONLOCALIZED) : nullptr;
    if (PQstatus(conn_) != CONNECTION_OK || sessionEnded_ ||
        (severity && qstrcmp(severity, "FATAL") == 0)) {
        sessionEnded_ = true;
        lost_ = transactionOpen_;
        const QString why = oneLine(PQerrorMessage(conn_));
        if (command.command == QLatin1String("commit") || command.command == QLatin1String("end"))
            throw DbError(QStringLiteral("提交时与数据库服务器的连接中断了（%1），无法确定这一操作"
                                         "是否已经保存。")
                              .arg(why));
        if (transactionOpen_)
            throw DbError(QStringLiteral("与数据库服务器的连接中断了（%1）。进行中的操作没有完成，"
                                         "其中的改动都没有保存。")
                              .arg(why));
        throw DbError(QStringLiteral("与数据库服务器的连接中断了（%1），最后一条语句是否已经执行，"
                                     "无法确定。")
                          .arg(why));
    }
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    if (state && qstrcmp(state, "25P02") == 0)
        throw DbError(QStringLiteral("这一操作中前面的语句已经出错，操作无法继续，须撤销后重做。"));
    if (state && qstrcmp(state, "55P03") == 0)
        throw ConflictError(
            QStringLiteral("另一位用户正在修改同一本帐，等候多时仍未完成。这一操作没有做，"
                           "没有保存任何改动，请稍后再试。"));
    if (state && (qstrcmp(state, "40001") == 0 || qstrcmp(state, "40P01") == 0))
        throw ConflictError(
            QStringLiteral("这一操作与另一位用户的操作冲突，已经撤销，没有保存任何改动，"
                           "请再试一次。"));
    const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    QString message = primary ? QString::fromUtf8(primary) : oneLine(PQerrorMessage(conn_));
    if (!sql.isEmpty()) message += QLatin1Char('\n') + sql;
    throw DbError(message);
}

Result PgConnection::query(const char* sql, const QByteArray& param) {
    ensureConnected();
    const char* values[] = {param.constData()};
    return finish(PQexecParams(conn_, sql, 1, nullptr, values, nullptr, nullptr, 0), {});
}

void PgConnection::command(const char* sql) {
    finish(PQexec(conn_, sql), {});
}

}  // namespace

std::unique_ptr<Connection> openPostgres(const QString& connection, const QString& password) {
    return std::make_unique<PgConnection>(connection, password);
}

bool carriesPassword(const QString& connection) {
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(connection.toUtf8().constData(), &error);
    if (!options) {
        const QString why = error ? oneLine(error) : QStringLiteral("out of memory");
        PQfreemem(error);
        throw DbError(QStringLiteral("数据库服务器的连接串无法识别：%1").arg(why));
    }
    bool found = false;
    for (const PQconninfoOption* option = options; option->keyword; ++option)
        found = found || (qstrcmp(option->keyword, "password") == 0 && option->val &&
                          option->val[0] != '\0');
    PQconninfoFree(options);
    return found;
}

}  // namespace qb::engine
