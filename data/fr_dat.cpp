#include "fr_dat.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>
#include <cmath>

#include "backup.h"
#include "errors.h"
#include "files.h"
#include "messages.h"
#include "money.h"
#include "schema.h"
#include "tables.h"

namespace qb {

namespace {
// A query keeps its block of values between opens up to this many (a few months' lines).
constexpr size_t kKeptCells = 1 << 20;
}  // namespace

// ---- Field ----

QString Field::name() const {
    return query_->fieldName(index_);
}
QVariant Field::value() const {
    return query_->value(index_);
}
bool Field::isNull() const {
    return query_->value(index_).isNull();
}
QString Field::asString() const {
    const QVariant v = value();
    return v.isNull() ? QString() : v.toString();
}
int Field::asInt() const {
    return value().toInt();
}
double Field::asFloat() const {
    return value().toDouble();
}
qint64 Field::asCents() const {
    return std::llround(value().toDouble() * 100.0);
}
QDate Field::asDate() const {
    return QDate::fromString(asString().left(10), Qt::ISODate);
}
void Field::setValue(const QVariant& value) {
    query_->setValue(index_, value);
}

// ---- Query ----

Query::Query(Tdat& dat) : dat_(dat) {}

void Query::setSql(const QString& sql, const QVariantList& params) {
    close();
    sql_ = sql;
    params_ = params;
}

Query::Shape Query::shapeOf(engine::Connection& con) const {
    engine::Statement& plain = con.prepare(sql_);
    const int count = plain.columnCount();
    Shape shape{sql_, dat_.connections(), sql_, {}, {}};
    QString table;
    bool singleTable = count > 0;
    for (int c = 0; c < count; ++c) {
        shape.columns.push_back(
            {plain.columnName(c), plain.originColumn(c), plain.declaredType(c)});
        const QString origin = plain.originTable(c);
        if (origin.isEmpty() || (!table.isEmpty() && origin.compare(table, Qt::CaseInsensitive)))
            singleTable = false;
        table = origin;
    }
    static const QRegularExpression notUpdatable(
        QStringLiteral("\\b(distinct|group\\s+by|join|union)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression selectHead(QStringLiteral("^\\s*select\\s+"),
                                               QRegularExpression::CaseInsensitiveOption);
    if (singleTable && !sql_.contains(notUpdatable) && sql_.contains(selectHead)) {
        // The same select with the row id in front, so that rows can be written back.
        QString withRowId = sql_;
        withRowId.replace(selectHead,
                          QStringLiteral("select %1.%2, ").arg(table, con.rowIdColumn()));
        try {
            con.prepare(withRowId);
            shape.statementSql = withRowId;
            shape.table = table;
        } catch (const DbError&) {
        }
    }
    return shape;
}

void Query::open() {
    close();
    engine::Connection& con = dat_.con();
    if (shape_.sql != sql_ || shape_.connection != dat_.connections()) shape_ = shapeOf(con);
    engine::Statement& statement = con.prepare(shape_.statementSql);
    const int offset = shape_.table.isEmpty() ? 0 : 1;
    const int count = int(shape_.columns.size());
    statement.bind(params_);
    while (statement.step()) {
        rowIds_.push_back(offset ? statement.value(0).toLongLong() : 0);
        for (int c = 0; c < count; ++c)
            cells_.push_back(statement.value(c + offset));
    }
    state_ = State::Browse;
    applyFilter();
}

void Query::exec() {
    close();
    dat_.con().execute(sql_, params_);
}

void Query::close() {
    state_ = State::Inactive;
    rowIds_.clear();
    // The block is kept for the next open, which mostly reads as many rows again; one that
    // held a very large result gives its memory back.
    if (cells_.capacity() > kKeptCells) std::vector<QVariant>().swap(cells_);
    cells_.clear();
    visible_.clear();
    current_ = -1;
    eof_ = bof_ = true;
}

void Query::requireActive() const {
    if (state_ == State::Inactive) throw DbError(QStringLiteral("数据集未打开"));
}

void Query::requireRow() const {
    requireActive();
    if (state_ == State::Browse && current_ < 0) throw DbError(QStringLiteral("数据集中没有记录"));
}

void Query::applyFilter() {
    visible_.clear();
    visible_.reserve(rowIds_.size());
    for (int i = 0; i < int(rowIds_.size()); ++i) {
        current_ = int(visible_.size());
        visible_.push_back(i);
        if (filter_ && !filter_(*this, current_)) visible_.pop_back();
    }
    setCurrent(visible_.empty() ? -1 : 0);
}

void Query::setCurrent(int visibleIndex) {
    current_ = visibleIndex;
    eof_ = bof_ = visible_.empty();
}

void Query::first() {
    if (state_ == State::Edit || state_ == State::Insert) post();
    requireActive();
    setCurrent(visible_.empty() ? -1 : 0);
}

void Query::last() {
    if (state_ == State::Edit || state_ == State::Insert) post();
    requireActive();
    setCurrent(int(visible_.size()) - 1);
}

void Query::next() {
    if (state_ == State::Edit || state_ == State::Insert) post();
    requireActive();
    if (current_ + 1 < int(visible_.size())) {
        ++current_;
        bof_ = false;
    } else {
        eof_ = true;
    }
}

void Query::prior() {
    if (state_ == State::Edit || state_ == State::Insert) post();
    requireActive();
    if (current_ > 0) {
        --current_;
        eof_ = false;
    } else {
        bof_ = true;
    }
}

int Query::recNo() const {
    return current_ + 1;
}

void Query::setRecNo(int recNo) {
    if (state_ == State::Edit || state_ == State::Insert) post();
    requireActive();
    if (visible_.empty()) return;
    setCurrent(std::clamp(recNo, 1, int(visible_.size())) - 1);
}

int Query::fieldIndex(const QString& name) const {
    for (int i = 0; i < int(columns().size()); ++i)
        if (!columns()[i].name.compare(name, Qt::CaseInsensitive)) return i;
    return -1;
}

Field Query::field(int index) {
    if (index < 0 || index >= fieldCount())
        throw DbError(QStringLiteral("字段序号 %1 超出范围").arg(index));
    return Field(*this, index);
}

Field Query::fieldByName(const QString& name) {
    const int index = fieldIndex(name);
    if (index < 0) throw DbError(QStringLiteral("找不到字段 %1").arg(name));
    return Field(*this, index);
}

int Query::currentIndex() const {
    requireRow();
    return visible_[current_];
}

Query::Row Query::rowAt(int index) const {
    const auto first = cells_.begin() + qsizetype(index) * fieldCount();
    return Row{rowIds_[index], QVector<QVariant>(first, first + fieldCount())};
}

void Query::storeRow(int index, const Row& row) {
    rowIds_[index] = row.rowId;
    std::copy(row.values.begin(), row.values.end(),
              cells_.begin() + qsizetype(index) * fieldCount());
}

QVariant Query::value(int index) const {
    if (current_ < 0 && state_ != State::Insert) return QVariant();
    if (state_ == State::Edit || state_ == State::Insert) return pending_.values.value(index);
    return valueAt(current_, index);
}

QVariant Query::valueAt(int row, int index) const {
    const int at = visible_.at(row);
    if (index < 0 || index >= fieldCount()) return QVariant();
    return cells_[size_t(at) * size_t(fieldCount()) + size_t(index)];
}

void Query::setValue(int index, const QVariant& value) {
    if (state_ != State::Edit && state_ != State::Insert)
        throw DbError(QStringLiteral("数据集不在编辑状态"));
    if (index < 0 || index >= fieldCount())
        throw DbError(QStringLiteral("字段序号 %1 超出范围").arg(index));
    pending_.values[index] = converted(columns()[index], value);
    modified_[index] = true;
}

// A value written to a field takes the column's type: typed text becomes a number or a date
// text here, and text that is neither is refused with a message naming it. Every double column
// holds money, so amounts become whole cents: typed text with more than two decimals is
// refused, a computed number is rounded to the cent.
QVariant Query::converted(const Column& column, const QVariant& value) const {
    const QString& type = column.declaredType;
    if (value.typeId() == QMetaType::QDate || value.typeId() == QMetaType::QDateTime)
        return type == QLatin1String("date") ? QVariant(value.toDate().toString(Qt::ISODate))
                                             : value;
    const bool real = type == QLatin1String("double");
    const bool integer = type == QLatin1String("smallint") || type == QLatin1String("integer");
    if (value.typeId() != QMetaType::QString) {
        if (real && !value.isNull() && value.canConvert<double>())
            return money::fromCents(money::toCents(value.toDouble()));
        return value;
    }
    if (!real && !integer) return value;
    const QString text = value.toString().trimmed();
    if (text.isEmpty()) return QVariant();
    if (real) {
        const std::optional<money::Cents> cents = money::parse(text);
        if (!cents)
            throw DbError(QStringLiteral("“%1”不是字段 %2 的有效金额（最多两位小数）")
                              .arg(value.toString(), column.name));
        return money::fromCents(*cents);
    }
    bool ok = false;
    const QVariant number(text.toLongLong(&ok));
    if (!ok)
        throw DbError(
            QStringLiteral("“%1”不是字段 %2 的有效数值").arg(value.toString(), column.name));
    return number;
}

bool Query::modified(int index) const {
    return (state_ == State::Edit || state_ == State::Insert) && modified_.at(index);
}

void Query::edit() {
    if (state_ == State::Edit || state_ == State::Insert) return;
    requireRow();
    if (!updatable()) throw DbError(QStringLiteral("该数据集不能修改"));
    pending_ = rowAt(visible_[current_]);
    modified_.assign(columns().size(), false);
    state_ = State::Edit;
}

void Query::append() {
    if (state_ == State::Edit || state_ == State::Insert) post();
    requireActive();
    if (!updatable()) throw DbError(QStringLiteral("该数据集不能修改"));
    pending_ = Row{0, QVector<QVariant>(fieldCount())};
    modified_.assign(columns().size(), false);
    insertAt_ = int(rowIds_.size());
    state_ = State::Insert;
}

void Query::insert() {
    append();
    if (current_ >= 0) insertAt_ = visible_[current_];
}

QVector<QVariant> Query::readRow(qint64 rowId) {
    engine::Connection& con = dat_.con();
    QStringList names;
    for (const Column& column : columns())
        names << (column.originColumn.isEmpty() ? QStringLiteral("null") : column.originColumn);
    engine::Statement& statement =
        con.prepare(QStringLiteral("select %1 from %2 where %3=?")
                        .arg(names.join(QLatin1Char(',')), table(), con.rowIdColumn()));
    statement.bind({rowId});
    QVector<QVariant> values(fieldCount());
    if (statement.step())
        for (int c = 0; c < fieldCount(); ++c)
            values[c] = statement.value(c);
    statement.reset();
    return values;
}

void Query::post() {
    if (state_ != State::Edit && state_ != State::Insert) return;
    engine::Connection& con = dat_.con();
    QStringList names;
    QVariantList values;
    for (int c = 0; c < fieldCount(); ++c) {
        if (!modified_[c] || columns()[c].originColumn.isEmpty()) continue;
        names << columns()[c].originColumn;
        values << pending_.values[c];
    }
    if (state_ == State::Edit) {
        if (!names.isEmpty()) {
            values << pending_.rowId;
            con.execute(QStringLiteral("update %1 set %2=? where %3=?")
                            .arg(table(), names.join(QStringLiteral("=?,")), con.rowIdColumn()),
                        values);
        }
        pending_.values = readRow(pending_.rowId);
        storeRow(visible_[current_], pending_);
    } else {
        if (names.isEmpty()) {
            con.execute(QStringLiteral("insert into %1 default values").arg(table()));
        } else {
            QStringList marks;
            for (int i = 0; i < names.size(); ++i)
                marks << QStringLiteral("?");
            con.execute(
                QStringLiteral("insert into %1(%2) values(%3)")
                    .arg(table(), names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                values);
        }
        pending_.rowId = con.lastInsertId();
        pending_.values = readRow(pending_.rowId);
        rowIds_.insert(rowIds_.begin() + insertAt_, pending_.rowId);
        cells_.insert(cells_.begin() + qsizetype(insertAt_) * fieldCount(), pending_.values.begin(),
                      pending_.values.end());
        // The new row stays where it was put until the query is next opened.
        state_ = State::Browse;
        const qint64 newRow = pending_.rowId;
        applyFilter();
        gotoBookmark(newRow);
    }
    state_ = State::Browse;
    if (afterPost) afterPost(*this);
}

void Query::cancel() {
    if (state_ == State::Edit || state_ == State::Insert) state_ = State::Browse;
}

void Query::remove() {
    if (state_ == State::Insert) {
        cancel();
        return;
    }
    cancel();
    requireRow();
    if (!updatable()) throw DbError(QStringLiteral("该数据集不能修改"));
    engine::Connection& con = dat_.con();
    const int row = visible_[current_];
    con.execute(QStringLiteral("delete from %1 where %2=?").arg(table(), con.rowIdColumn()),
                {rowIds_[row]});
    rowIds_.erase(rowIds_.begin() + row);
    const auto first = cells_.begin() + qsizetype(row) * fieldCount();
    cells_.erase(first, first + fieldCount());
    const int keep = current_;
    applyFilter();
    if (!visible_.empty()) setCurrent(std::min(keep, int(visible_.size()) - 1));
}

qint64 Query::rowId() const {
    if (current_ < 0 && state_ != State::Insert) return 0;
    if (state_ == State::Edit || state_ == State::Insert) return pending_.rowId;
    return rowIds_[currentIndex()];
}

Query::Bookmark Query::bookmark() const {
    return updatable() ? rowId() : current_;
}

void Query::gotoBookmark(Bookmark bookmark) {
    if (state_ == State::Edit || state_ == State::Insert) post();
    requireActive();
    if (!updatable()) {
        if (bookmark >= 0 && bookmark < int(visible_.size())) setCurrent(int(bookmark));
        return;
    }
    for (int i = 0; i < int(visible_.size()); ++i)
        if (rowIds_[visible_[i]] == bookmark) return setCurrent(i);
}

void Query::setFilter(Filter filter) {
    if (state_ == State::Edit || state_ == State::Insert) post();
    filter_ = std::move(filter);
    if (active()) applyFilter();
}

// ---- Transaction ----

// The outermost unit is a plain transaction; nested units are savepoints named by their depth,
// so the same few statements are reused. A savepoint as the outermost unit would make the engine
// copy every changed page into a second journal as well.
Transaction::Transaction(Tdat& dat) : dat_(dat) {
    const int depth = dat_.transactionDepth_;
    if (depth > 0) {
        name_ = QStringLiteral("qb_unit%1").arg(depth);
        dat_.con().savepoint(name_);
    } else {
        dat_.con().begin();
    }
    ++dat_.transactionDepth_;
}

Transaction::~Transaction() {
    if (!open_) return;
    try {
        rollback();
    } catch (...) {
        // Nothing sensible is left to do when even the rollback fails.
    }
}

void Transaction::commit() {
    if (!open_) return;
    if (name_.isEmpty())
        dat_.con().commit();
    else
        dat_.con().release(name_);
    open_ = false;
    --dat_.transactionDepth_;
}

void Transaction::rollback() {
    if (!open_) return;
    open_ = false;
    --dat_.transactionDepth_;
    if (!dat_.connected()) return;
    if (name_.isEmpty())
        dat_.con().rollback();
    else
        dat_.con().rollbackTo(name_);
}

}  // namespace qb

// ---- Tdat ----

Tdat::Tdat() : gycx(*this), jhcx(*this) {}

Tdat::~Tdat() {
    close();
}

QString Tdat::pathIn(const QString& directory) {
    return QDir(directory).filePath(QString::fromLatin1(kFileName));
}

void Tdat::openIn(const QString& directory, Mode mode, const QString& passphrase) {
    open(pathIn(directory), mode, passphrase);
}

QByteArray Tdat::keyFor(const QString& passphrase) {
    return passphrase.isEmpty() ? QByteArray(kPassword) : passphrase.toUtf8();
}

namespace {

// Whether the process is alive and runs the program named (the lock's application name). A
// process whose program cannot be read is taken to be the one named.
bool programRunning(qint64 pid, const QString& program) {
    if (pid <= 0 || (::kill(pid_t(pid), 0) != 0 && errno != EPERM)) return false;
    const QString proc = QStringLiteral("/proc/%1/").arg(pid);
    QString running = QFileInfo(QFileInfo(proc + QStringLiteral("exe")).symLinkTarget()).fileName();
    if (running.isEmpty()) {
        QFile comm(proc + QStringLiteral("comm"));
        if (!comm.open(QIODevice::ReadOnly)) return true;
        // The kernel keeps the first 15 bytes of the name.
        running = QString::fromUtf8(comm.readAll().trimmed());
        return program.toUtf8().left(15).compare(running.toUtf8(), Qt::CaseInsensitive) == 0;
    }
    return running.compare(QFileInfo(program).fileName(), Qt::CaseInsensitive) == 0;
}

// Why the lock that is there does not count: it is no lock this program wrote, or its holder is
// gone from this machine. Empty when it is held.
QString whyNotHeld(QLockFile& lock, const QString& lockPath) {
    qint64 pid = 0;
    QString host, program;
    if (!lock.getLockInfo(&pid, &host, &program))
        return QStringLiteral("锁文件 %1 不是 Quillbook 写的锁").arg(lockPath);
    // Another machine's holder (a ledger on a shared folder) cannot be asked: it keeps the lock.
    if (!host.isEmpty() && host != QSysInfo::machineHostName()) return {};
    if (programRunning(pid, program)) return {};
    return QStringLiteral("锁文件 %1 的持有者（本机进程 %2，%3）已经不在运行")
        .arg(lockPath)
        .arg(pid)
        .arg(program);
}

// Whether a live holder has the file locked the way QLockFile does, whatever it wrote there.
bool lockedByKernel(const QString& lockPath) {
    const int fd =
        ::open(QFile::encodeName(lockPath).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return locked;
}

}  // namespace

std::unique_ptr<QLockFile> Tdat::lockBeside(const QString& path) {
    const QString lockPath = path + QStringLiteral(".lock");
    const QFileInfo there(lockPath);
    if (there.isSymLink())
        throw qb::DbError(
            QStringLiteral("数据库的锁文件 %1 是一个链接（指向 %2），程序不会顺着它写。请删除这个"
                           "链接，再打开数据库。")
                .arg(lockPath, there.symLinkTarget()));
    if (there.isDir())
        throw qb::DbError(
            QStringLiteral("数据库的锁文件 %1 的位置上是一个文件夹。请移走这个文件夹，"
                           "再打开数据库。")
                .arg(lockPath));
    auto lock = std::make_unique<QLockFile>(lockPath);
    // Only a dead owner makes a lock stale: a long working day must not free it.
    lock->setStaleLockTime(0);
    // A lock nobody holds is taken over, and the takeover said.
    QString takenOver = there.exists() ? whyNotHeld(*lock, lockPath) : QString();
    if (!takenOver.isEmpty() && (lockedByKernel(lockPath) || !QFile::remove(lockPath)))
        takenOver.clear();
    const bool locked = lock->tryLock(0);
    if (locked && !takenOver.isEmpty())
        qb::messages().plain(QStringLiteral("%1，已由本程序接管，数据库照常打开。").arg(takenOver));
    if (!locked) {
        if (lock->error() == QLockFile::LockFailedError)
            throw qb::DbError(
                QStringLiteral("数据库 %1 正被另一个 Quillbook 程序使用，请先关闭那个程序。")
                    .arg(path));
        throw qb::DbError(
            QStringLiteral("无法在数据库旁建立锁文件 %1（文件夹不可写？）。只读的数据库可以用"
                           "只读方式查看。")
                .arg(lockPath));
    }
    // It names this machine and process: nobody else's business.
    QFile::setPermissions(lockPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return lock;
}

void Tdat::open(const QString& path, Mode mode, const QString& passphrase) {
    close();
    // Said before the lock is tried, so a missing file is not reported as a lock failure.
    const QFileInfo info(path);
    if (!info.exists()) throw qb::DbError(QStringLiteral("找不到数据库文件：%1").arg(path));
    if (!info.isFile())
        throw qb::DbError(QStringLiteral("%1 不是文件，不是 Quillbook 数据库。").arg(path));
    std::unique_ptr<QLockFile> lock = mode == Mode::Locked ? lockBeside(path) : nullptr;
    // What a copy or creation killed midway left beside the ledger an hour ago or more.
    if (lock) qb::files::removeStaleCopies(path);
    // Refused before anything is written to the file: the journal mode is set only afterwards.
    const auto isLedger = [&path](qb::engine::Connection& con) { requireLedger(con, path); };
    const auto access =
        mode == Mode::ReadOnly ? qb::engine::Access::ReadOnly : qb::engine::Access::ReadWrite;
    std::unique_ptr<qb::engine::Connection> con;
    QString opening = passphrase;
    try {
        con = qb::engine::openSqlCipher(path, keyFor(opening), access, isLedger);
    } catch (const qb::KeyError&) {
        // A passphrase given for a ledger that has none: the built-in password opens it.
        if (opening.isEmpty()) throw;
        opening.clear();
        con = qb::engine::openSqlCipher(path, keyFor(opening), access, isLedger);
    }
    // Only a writer brings an older file up to date; reading leaves the file as it is.
    if (mode == Mode::Locked) qb::upgradeTables(*con);
    con_ = std::move(con);
    ++connections_;
    passphrase_ = opening;
    lock_ = std::move(lock);
    path_ = path;
    readOnly_ = mode == Mode::ReadOnly;
    // The operation log is there before the first change that must be logged.
    if (mode == Mode::Locked) {
        qb::Transaction t(*this);
        qb::schema::ensureTable(*this, QStringLiteral("czrz"));
        t.commit();
    }
}

void Tdat::openServer(const QString& connection, const QString& password) {
    close();
    auto con = qb::engine::openPostgres(connection, password);
    try {
        requireLedger(*con, QStringLiteral("服务器上的这个数据库"));
    } catch (const qb::DbError& e) {
        throw qb::DbError(e.message() +
                          QStringLiteral("新账本用 quillbook-cli --server 连接串 "
                                         "init 建立，或用 copy 从账本文件复制过去。"));
    }
    con->keepPrivate(qb::schema::stagingNames());
    con_ = std::move(con);
    ++connections_;
    path_.clear();
    passphrase_.clear();
    readOnly_ = false;
}

void Tdat::requireLedger(qb::engine::Connection& con, const QString& what) {
    const QString missing = qb::missingTable(con);
    if (!missing.isEmpty())
        throw qb::DbError(
            QStringLiteral("%1 不是 Quillbook 数据库（没有数据表 %2）。").arg(what, missing));
}

void Tdat::setPassphrase(const QString& passphrase) {
    qb::engine::FileOps* file = con().fileOps();
    if (!file) throw qb::DbError(qb::kServerLedgerPassphrase);
    if (inTransaction()) throw qb::DbError(QStringLiteral("不能在未完成的操作中更改数据库口令"));
    file->rekey(keyFor(passphrase));
    passphrase_ = passphrase;
}

void Tdat::close() {
    gycx.close();
    jhcx.close();
    con_.reset();
    lock_.reset();
    path_.clear();
    transactionDepth_ = 0;
}

qb::engine::Connection& Tdat::con() {
    if (!con_) throw qb::DbError(QStringLiteral("没有连接数据库"));
    return *con_;
}

void Tdat::execute(const QString& sql, const QVariantList& params) {
    con().execute(sql, params);
}

QVariant Tdat::scalar(const QString& sql, const QVariantList& params) {
    qb::engine::Statement& statement = con().prepare(sql);
    statement.bind(params);
    QVariant result;
    if (statement.step()) result = statement.value(0);
    statement.reset();
    return result;
}
