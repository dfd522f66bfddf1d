#pragma once

// The operation log (操作日志): who did what to the ledger, and when. Every operation the core
// carries out for a person appends one entry, in the same transaction as the change, so a change
// is never without its entry nor an entry without its change. Entries are never changed or
// deleted: nothing here does either. They form one chain per book, appended under the book's
// lock, and one chain for operations on no book under a lock of its own; each entry carries a
// BLAKE2b-256 hash over its fields and the previous entry's hash, so an entry changed, removed
// or put in another place by hand breaks its chain, which verify() finds.
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <optional>
#include <utility>
#include <vector>

class Tdat;

namespace qb::oplog {

// Who is acting.
struct Actor {
    QString name;
    QString role;
};
// Sets who acts for every entry this process appends from now on: the logged-in user and role
// in the windows, the system user as "命令行" in the CLI.
void set_actor(const Actor& actor);
Actor actor();
// The command line's actor: the system user's name, role "命令行".
Actor command_line_actor();

// The operations, as the log names them.
inline const QString kLineAdded = QStringLiteral("添加凭证");
inline const QString kLineEdited = QStringLiteral("修改凭证");
inline const QString kLineDeleted = QStringLiteral("删除凭证");
inline const QString kLineRestored = QStringLiteral("恢复凭证");
inline const QString kLineReversed = QStringLiteral("冲账");
inline const QString kPosted = QStringLiteral("过帐");
inline const QString kReposted = QStringLiteral("二次过帐");
inline const QString kBookAdded = QStringLiteral("新建帐簿");
inline const QString kBookChanged = QStringLiteral("修改帐簿");
inline const QString kBookInitialized = QStringLiteral("初始化帐簿");
inline const QString kBookDeleted = QStringLiteral("删除帐簿");
inline const QString kPhraseAdded = QStringLiteral("添加摘要");
inline const QString kPhraseChanged = QStringLiteral("修改摘要");
inline const QString kPhraseDeleted = QStringLiteral("删除摘要");
inline const QString kUserAdded = QStringLiteral("添加用户");
inline const QString kUserChanged = QStringLiteral("修改用户");
inline const QString kUserDeleted = QStringLiteral("删除用户");
inline const QString kLogin = QStringLiteral("登录");
inline const QString kLoginFailed = QStringLiteral("登录失败");
inline const QString kReconciliationSaved = QStringLiteral("保存对账");
inline const QString kPassphraseSet = QStringLiteral("设置口令");
inline const QString kPassphraseRemoved = QStringLiteral("去掉口令");
inline const QString kBackupMade = QStringLiteral("备份");
inline const QString kBackupRestored = QStringLiteral("恢复备份");
inline const QString kLedgerCopied = QStringLiteral("复制账本");
// A cash book's limit set, changed or cleared (the values before and after: {"xe": cents}).
inline const QString kCashLimitSet = QStringLiteral("设置现金限额");
inline const QString kChequeBookAdded = QStringLiteral("登记支票簿");
inline const QString kChequeTaken = QStringLiteral("领用支票");
inline const QString kChequeIssued = QStringLiteral("开出支票");
inline const QString kChequeVoided = QStringLiteral("作废支票");
inline const QString kChequeReturned = QStringLiteral("退回支票");
inline const QString kChequeHonoured = QStringLiteral("兑付支票");
inline const QString kBillAdded = QStringLiteral("登记票据");
inline const QString kBillHonoured = QStringLiteral("兑付票据");
inline const QString kBillReturned = QStringLiteral("退回票据");
inline const QString kCashCounted = QStringLiteral("现金盘点");
inline const QString kCountSettled = QStringLiteral("盘点处理");
// Every operation, for a choice in the log window.
QStringList operations();

// One change to log.
struct Change {
    QString operation;
    QString bookId;    // empty: an operation on no book
    QString month;     // "YYYY-MM"; empty when it concerns no month
    qint64 rowId = 0;  // the journal row concerned; 0 for none
    QString before;    // the values before and after (JSON); null for none
    QString after;
    std::optional<Actor> by = {};  // someone else than the actor set (a login names who tried)
};
// Appends the entry inside the caller's transaction, under the book's lock or the log's own.
// A log that cannot take it (its table missing and not to be made, or damaged) throws a
// qb::DbError saying that nothing was saved, so the caller's change is undone with it.
void append(Tdat& dat, const Change& change);
// Appends the entry in a transaction of its own: for what cannot run inside one (a passphrase, a
// backup, a restore, a copy), logged right after it succeeded.
void append_alone(Tdat& dat, const Change& change);

// A journal row as the log keeps it (JSON: every column, amounts in cents, and its row id); a
// null text when there is no such row. rows_text: several rows, as a JSON array.
QString row_text(Tdat& dat, qint64 rowId);
QString rows_text(Tdat& dat, const std::vector<qint64>& rowIds);
// A book's row (accstar) as JSON, amounts in cents; null when there is no such book.
QString book_text(Tdat& dat, const QString& bookId);
// The total rows of the month and of the month after it (what posting writes), as JSON.
QString month_totals_text(Tdat& dat, const QString& bookId, const QDate& month);
// A set of named values as JSON, e.g. {"zy": "..."}: the cells of an edit, a book's fields.
QString values_text(const QVariantMap& values);

// The last hash of every chain, as JSON: what a restore's entry records of the file it replaced.
QString last_hashes(Tdat& dat);

struct Entry {
    qint64 id = 0;  // the entry's row id
    QString bookId;
    int seq = 0;
    QString time;  // UTC, "YYYY-MM-DDTHH:MM:SS.zzzZ"
    QString user;
    QString role;
    QString operation;
    QString month;
    qint64 rowId = 0;
    QString before;
    QString after;
    QString previousHash;
    QString hash;
};

struct Filter {
    QDate from, to;  // local days, either end open when invalid
    QString user;
    QString operation;
    std::optional<QString> bookId;  // "" for the operations on no book
    QString text;                   // found literally in the values or the operation
};
// The entries that pass the filter, oldest first. Reads only; a ledger without the log gives none.
std::vector<Entry> entries(Tdat& dat, const Filter& filter = {});
std::optional<Entry> entry(Tdat& dat, qint64 id);

// Every book's caption ("name category") by its identifier, by category and name. A deleted
// book is not among them: its entries show its identifier.
std::vector<std::pair<QString, QString>> book_captions(Tdat& dat);
// An entry's time (UTC) as the windows and printouts show it: local, "yyyy-MM-dd HH:mm:ss".
QString local_time(const QString& utc);

// The first broken entry of every chain that is broken: changed, removed, inserted or moved.
struct Break {
    QString bookId;  // the chain
    qint64 id = 0;   // the entry's row id
    int seq = 0;     // its place in the chain
    QString what;    // in words for the administrator
};
std::vector<Break> verify(Tdat& dat);

}  // namespace qb::oplog
