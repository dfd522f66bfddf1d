// SQLCipher declares its keying functions only with this defined.
#define SQLITE_HAS_CODEC 1
#include <sqlcipher/sqlite3.h>

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>

#include "engine.h"
#include "errors.h"

namespace qb::engine {
namespace {

// The engine's message; a damaged file is named, with what to do about it.
QString engineMessage(sqlite3* db) {
    const QString message = QString::fromUtf8(sqlite3_errmsg(db));
    const int code = sqlite3_errcode(db);
    if (code != SQLITE_CORRUPT && code != SQLITE_NOTADB) return message;
    const char* file = sqlite3_db_filename(db, "main");
    const QString path = file ? QString::fromUtf8(file) : QString();
    return QStringLiteral(
               "数据库文件 %1 已经损坏（%2）。请关闭程序，用备份文件夹 %3 中最新的备份"
               "恢复（“数据管理”→“恢复”）；恢复前可用 quillbook-cli verify 检查那份"
               "备份是否完好。")
        .arg(path, message, QFileInfo(path).dir().filePath(QStringLiteral("backup")));
}

class SqliteStatement : public Statement {
public:
    SqliteStatement(sqlite3* db, const QString& sql) : db_(db) {
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt_, nullptr) !=
            SQLITE_OK) {
            throw DbError(engineMessage(db) + QStringLiteral("\n") + sql);
        }
    }
    ~SqliteStatement() override { sqlite3_finalize(stmt_); }

    void bind(const QVariantList& params) override {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        for (LastText& last : lastTexts_)
            last.valid = false;
        if (params.size() != sqlite3_bind_parameter_count(stmt_))
            throw DbError(QStringLiteral("statement expects %1 values, got %2")
                              .arg(sqlite3_bind_parameter_count(stmt_))
                              .arg(params.size()));
        for (int i = 0; i < params.size(); ++i)
            bindOne(i + 1, params[i]);
    }

    bool step() override {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        const QString message = engineMessage(db_);
        sqlite3_reset(stmt_);
        throw DbError(message);
    }

    int columnCount() const override { return sqlite3_column_count(stmt_); }
    QString columnName(int c) const override {
        return QString::fromUtf8(sqlite3_column_name(stmt_, c));
    }
    QString originTable(int c) const override {
        return QString::fromUtf8(sqlite3_column_table_name(stmt_, c));
    }
    QString originColumn(int c) const override {
        return QString::fromUtf8(sqlite3_column_origin_name(stmt_, c));
    }

    QString declaredType(int c) const override {
        return QString::fromUtf8(sqlite3_column_decltype(stmt_, c)).toLower();
    }

    QVariant value(int c) const override {
        switch (sqlite3_column_type(stmt_, c)) {
            case SQLITE_INTEGER:
                return QVariant(qlonglong(sqlite3_column_int64(stmt_, c)));
            case SQLITE_FLOAT:
                return QVariant(sqlite3_column_double(stmt_, c));
            case SQLITE_NULL:
                return QVariant();
            case SQLITE_BLOB:
                return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt_, c)),
                                           sqlite3_column_bytes(stmt_, c)));
            default:
                return QVariant(text(c));
        }
    }

    void reset() override { sqlite3_reset(stmt_); }

private:
    // A text column often repeats the row before it (the book, the day, the handler): the same
    // string is then shared rather than converted and stored again.
    QString text(int c) const {
        const char* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, c));
        const size_t size = size_t(sqlite3_column_bytes(stmt_, c));
        if (size_t(c) >= lastTexts_.size()) lastTexts_.resize(size_t(c) + 1);
        LastText& last = lastTexts_[size_t(c)];
        if (!last.valid || last.bytes.size() != size || memcmp(last.bytes.data(), bytes, size)) {
            last.bytes.assign(bytes, size);
            last.text = QString::fromUtf8(bytes, qsizetype(size));
            last.valid = true;
        }
        return last.text;
    }

    void bindOne(int index, const QVariant& v) {
        int rc = SQLITE_OK;
        if (!v.isValid() || (v.isNull() && v.typeId() != QMetaType::QString)) {
            rc = sqlite3_bind_null(stmt_, index);
        } else {
            switch (v.typeId()) {
                case QMetaType::Bool:
                case QMetaType::Int:
                case QMetaType::UInt:
                case QMetaType::Short:
                case QMetaType::LongLong:
                case QMetaType::ULongLong:
                    rc = sqlite3_bind_int64(stmt_, index, v.toLongLong());
                    break;
                case QMetaType::Double:
                case QMetaType::Float:
                    rc = sqlite3_bind_double(stmt_, index, v.toDouble());
                    break;
                case QMetaType::QDate:
                    rc = bindText(index, v.toDate().toString(Qt::ISODate));
                    break;
                case QMetaType::QDateTime:
                    rc = bindText(index, v.toDateTime().date().toString(Qt::ISODate));
                    break;
                case QMetaType::QByteArray: {
                    const QByteArray bytes = v.toByteArray();
                    rc = sqlite3_bind_blob(stmt_, index, bytes.constData(), int(bytes.size()),
                                           SQLITE_TRANSIENT);
                    break;
                }
                default:
                    rc = bindText(index, v.toString());
            }
        }
        if (rc != SQLITE_OK) throw DbError(engineMessage(db_));
    }

    int bindText(int index, const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        return sqlite3_bind_text(stmt_, index, utf8.constData(), int(utf8.size()),
                                 SQLITE_TRANSIENT);
    }

    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    struct LastText {
        std::string bytes;
        QString text;
        bool valid = false;
    };
    mutable std::vector<LastText> lastTexts_;
};

class SqliteConnection : public Connection, public FileOps {
public:
    SqliteConnection(const QString& path, const QByteArray& key, Access access,
                     const std::function<void(Connection&)>& accept) {
        if (!QFileInfo::exists(path))
            throw DbError(QStringLiteral("找不到数据库文件：%1").arg(path));
        // A connection serves one thread at a time (each thread opens its own), so the engine
        // need not lock it around every call.
        const int flags =
            SQLITE_OPEN_NOMUTEX |
            (access == Access::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE);
        if (sqlite3_open_v2(path.toUtf8().constData(), &db_, flags, nullptr) != SQLITE_OK) {
            const QString message = db_ ? engineMessage(db_) : QStringLiteral("out of memory");
            sqlite3_close(db_);
            db_ = nullptr;
            throw DbError(QStringLiteral("无法打开数据库文件 %1：%2").arg(path, message));
        }
        // Another program's write in progress is waited for, not reported as a failure.
        sqlite3_busy_timeout(db_, 2000);
        try {
            sqlite3_key(db_, key.constData(), int(key.size()));
            // Keying always succeeds; the first read tells a wrong key or a foreign file.
            if (sqlite3_exec(db_, "select count(*) from sqlite_master", nullptr, nullptr,
                             nullptr) != SQLITE_OK) {
                // A writer that stopped midway left its journal; only a writer can undo it, and
                // until then no key reads the file.
                if (sqlite3_extended_errcode(db_) == SQLITE_READONLY_ROLLBACK)
                    throw DbError(
                        QStringLiteral("数据库文件 %1 有一次没有做完的更改（写入它的程序中途停止，"
                                       "留下了 %1-journal）。只读打开不能撤销这次更改：请先用 "
                                       "Quillbook 程序或会写入的命令（如 post）打开它一次；"
                                       "在只读的位置上，请把这两个文件一起复制到可写的文件夹。")
                            .arg(path));
                throw KeyError(QStringLiteral("无法打开数据库文件 %1：文件不是本系统的数据库，"
                                              "或数据库口令不符（%2）")
                                   .arg(path, engineMessage(db_)));
            }
            if (accept) accept(*this);
            if (access == Access::ReadWrite) {
                // One self-contained file: a plain copy of it is a whole backup.
                execute(QStringLiteral("pragma journal_mode=delete"), {});
                execute(QStringLiteral("pragma synchronous=full"), {});
            }
            // Years of lines make a file of a hundred megabytes or more; keeping the month
            // look-ups' pages decrypted in memory spares reading and decrypting them again.
            execute(QStringLiteral("pragma cache_size=-16384"), {});
        } catch (...) {
            statements_.clear();
            sqlite3_close(db_);
            throw;
        }
    }

    ~SqliteConnection() override {
        statements_.clear();
        sqlite3_close(db_);
    }

    Statement& prepare(const QString& sql) override {
        auto found = statements_.find(sql);
        if (found != statements_.end()) return *found->second;
        // Values are bound, so the set of statement texts is small; a runaway cache is cleared.
        if (statements_.size() > 256) statements_.clear();
        auto statement = std::make_unique<SqliteStatement>(db_, sql);
        Statement& result = *statement;
        statements_.emplace(sql, std::move(statement));
        return result;
    }

    void execute(const QString& sql, const QVariantList& params) override {
        Statement& statement = prepare(sql);
        statement.bind(params);
        while (statement.step()) {
        }
    }

    qint64 lastInsertId() const override { return sqlite3_last_insert_rowid(db_); }
    int changes() const override { return sqlite3_changes(db_); }
    QString rowIdColumn() const override { return QStringLiteral("rowid"); }

    bool hasTable(const QString& name) override {
        Statement& statement = prepare(QStringLiteral(
            "select count(*) from sqlite_master where type='table' and lower(name)=lower(?)"));
        statement.bind({name});
        const bool present = statement.step() && statement.value(0).toInt() > 0;
        statement.reset();
        return present;
    }

    void readFile(const std::function<void(const char*, qint64)>& sink) override {
        sqlite3_file* file = nullptr;
        if (sqlite3_file_control(db_, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
            !file || !file->pMethods)
            throw DbError(QStringLiteral("无法读取数据库文件"));
        sqlite3_int64 size = 0;
        if (file->pMethods->xFileSize(file, &size) != SQLITE_OK)
            throw DbError(QStringLiteral("无法读取数据库文件的大小"));
        constexpr int kChunk = 4 << 20;
        QByteArray buffer(kChunk, Qt::Uninitialized);
        for (sqlite3_int64 at = 0; at < size; at += kChunk) {
            const int n = int(std::min<sqlite3_int64>(kChunk, size - at));
            if (file->pMethods->xRead(file, buffer.data(), n, at) != SQLITE_OK)
                throw DbError(QStringLiteral("读取数据库文件时出错"));
            sink(buffer.constData(), n);
        }
    }

    void rekey(const QByteArray& key) override {
        // Cached statements would keep the schema busy while every page is rewritten.
        statements_.clear();
        if (sqlite3_rekey(db_, key.constData(), int(key.size())) != SQLITE_OK)
            throw DbError(QStringLiteral("无法更改数据库口令：%1").arg(engineMessage(db_)));
    }

    void begin() override { execute(QStringLiteral("begin"), {}); }
    void commit() override { execute(QStringLiteral("commit"), {}); }
    void rollback() override {
        if (!sqlite3_get_autocommit(db_)) execute(QStringLiteral("rollback"), {});
    }
    void savepoint(const QString& name) override {
        execute(QStringLiteral("savepoint ") + name, {});
    }
    void release(const QString& name) override { execute(QStringLiteral("release ") + name, {}); }
    void rollbackTo(const QString& name) override {
        execute(QStringLiteral("rollback to ") + name, {});
        release(name);
    }
    FileOps* fileOps() override { return this; }

    void lock(const QString&) override {}
    QString like(const QString& text, const QString& pattern) const override {
        return text + QStringLiteral(" like ") + pattern;
    }
    void keepPrivate(const QStringList&) override {}
    // A read transaction keeps writers out of the file until it ends.
    void beginSnapshot() override { begin(); }
    // The engine takes the highest row id plus one by itself.
    void continueRowIds(const QString&) override {}

private:
    sqlite3* db_ = nullptr;
    std::unordered_map<QString, std::unique_ptr<SqliteStatement>> statements_;
};

}  // namespace

std::unique_ptr<Connection> openSqlCipher(const QString& path, const QByteArray& key, Access access,
                                          const std::function<void(Connection&)>& accept) {
    return std::make_unique<SqliteConnection>(path, key, access, accept);
}

}  // namespace qb::engine
