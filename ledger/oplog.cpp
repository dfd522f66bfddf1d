#include "oplog.h"

#include <pwd.h>
#include <sodium.h>
#include <unistd.h>

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <array>

#include "errors.h"
#include "ledger_detail.h"
#include "months.h"
#include "tables.h"

namespace qb::oplog {
namespace {

using namespace ledger::detail;

const QString kTable = QStringLiteral("czrz");
const QString kColumns =
    QStringLiteral("rowid,zbid,xh,sj,czy,js,cz,yf,pzid,qz,hz,qhash,hash from czrz");

// Set once by the program (login, the CLI's start) before anything is logged.
Actor current;

// The canonical encoding an entry's hash is taken over: a fixed order of fields, each a null
// mark, or a value mark, its length (4 bytes, big-endian) and its UTF-8 bytes; numbers in
// decimal. The same entries hash alike on the file and on a server, and after a copy.
class Canonical {
public:
    Canonical() { bytes_ = "quillbook oplog 1"; }
    Canonical& operator<<(const QString& text) {
        if (text.isNull()) {
            bytes_.append('\0');
            return *this;
        }
        const QByteArray utf8 = text.toUtf8();
        bytes_.append('\1');
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes_.append(char((utf8.size() >> shift) & 0xff));
        bytes_.append(utf8);
        return *this;
    }
    Canonical& operator<<(qint64 number) { return *this << QString::number(number); }
    QString hash() const {
        static const bool ready = sodium_init() >= 0;
        if (!ready) throw DbError(QStringLiteral("散列库无法初始化，操作日志不能写入"));
        std::array<unsigned char, crypto_generichash_BYTES> out{};
        crypto_generichash(out.data(), out.size(),
                           reinterpret_cast<const unsigned char*>(bytes_.constData()),
                           bytes_.size(), nullptr, 0);
        return QString::fromLatin1(
            QByteArray(reinterpret_cast<const char*>(out.data()), int(out.size())).toHex());
    }

private:
    QByteArray bytes_;
};

QString nullable(qint64 rowId) {
    return rowId ? QString::number(rowId) : QString();
}

QString hashOf(const Entry& e) {
    Canonical c;
    c << e.bookId << qint64(e.seq) << e.time << e.user << e.role << e.operation << e.month
      << nullable(e.rowId) << e.before << e.after << e.previousHash;
    return c.hash();
}

// A stored text, null only for NULL: an empty text stays an empty, not a null, text.
QString text(const QVariant& value) {
    if (value.isNull()) return {};
    const QString read = value.toString();
    return read.isNull() ? QStringLiteral("") : read;
}

Entry readEntry(engine::Statement& s) {
    return {s.value(0).toLongLong(), text(s.value(1)), s.value(2).toInt(), text(s.value(3)),
            text(s.value(4)),        text(s.value(5)), text(s.value(6)),   text(s.value(7)),
            s.value(8).toLongLong(), text(s.value(9)), text(s.value(10)),  text(s.value(11)),
            text(s.value(12))};
}

QVariant orNull(const QString& value) {
    return value.isNull() ? QVariant() : QVariant(value);
}

void write(Tdat& dat, const Change& change) {
    schema::ensureTable(dat, kTable);
    if (change.bookId.isEmpty())
        dat.con().lock(QStringLiteral("quillbook oplog"));
    else
        lockBook(dat, change.bookId);
    Entry e;
    e.bookId = change.bookId.isNull() ? QStringLiteral("") : change.bookId;
    e.seq = 1;
    eachRow(dat, QStringLiteral("select xh,hash from czrz where zbid=? order by xh desc limit 1"),
            {e.bookId}, [&](engine::Statement& s) {
                e.seq = s.value(0).toInt() + 1;
                e.previousHash = text(s.value(1));
            });
    const Actor who = change.by.value_or(current);
    e.time = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    e.user = who.name.isNull() ? QStringLiteral("") : who.name;
    e.role = who.role.isNull() ? QStringLiteral("") : who.role;
    e.operation = change.operation;
    e.month = change.month;
    e.rowId = change.rowId;
    e.before = change.before;
    e.after = change.after;
    e.hash = hashOf(e);
    dat.execute(QStringLiteral("insert into czrz(zbid,xh,sj,czy,js,cz,yf,pzid,qz,hz,qhash,hash) "
                               "values(?,?,?,?,?,?,?,?,?,?,?,?)"),
                {e.bookId, e.seq, e.time, e.user, e.role, e.operation, orNull(e.month),
                 e.rowId ? QVariant(e.rowId) : QVariant(), orNull(e.before), orNull(e.after),
                 orNull(e.previousHash), e.hash});
}

QJsonValue json(const QVariant& value, bool amount) {
    if (value.isNull()) return QJsonValue::Null;
    if (amount) return QJsonValue(qint64(cents(value)));
    if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int)
        return QJsonValue(value.toLongLong());
    return QJsonValue(value.toString());
}

// The rows of a select, each as an object of its columns; the amounts' columns in cents.
std::vector<QJsonObject> records(Tdat& dat, const QString& sql, const QVariantList& params,
                                 const QStringList& amounts) {
    std::vector<QJsonObject> found;
    eachRow(dat, sql, params, [&](engine::Statement& s) {
        QJsonObject row;
        for (int c = 0; c < s.columnCount(); ++c)
            row.insert(s.columnName(c), json(s.value(c), amounts.contains(s.columnName(c))));
        found.push_back(row);
    });
    return found;
}

const QStringList kLineAmounts{QStringLiteral("j_je"), QStringLiteral("d_je"),
                               QStringLiteral("y_je")};

std::vector<QJsonObject> lineRecords(Tdat& dat, qint64 rowId) {
    return records(dat,
                   QStringLiteral("select rowid,dzrq,pzh,ph,zy,j_je,d_je,y_je,pzn,bxr,jbr,zbh "
                                  "from crereg where rowid=?"),
                   {rowId}, kLineAmounts);
}

QString compact(const QJsonDocument& document) {
    return QString::fromUtf8(document.toJson(QJsonDocument::Compact));
}

}  // namespace

void set_actor(const Actor& actor) {
    current = actor;
}

Actor actor() {
    return current;
}

Actor command_line_actor() {
    QString name = qEnvironmentVariable("USER");
    if (const passwd* entry = getpwuid(getuid())) name = QString::fromLocal8Bit(entry->pw_name);
    return {name.left(32), QStringLiteral("命令行")};
}

QStringList operations() {
    return {
        kLineAdded,      kLineEdited,        kLineDeleted,   kLineRestored,   kLineReversed,
        kPosted,         kReposted,          kBookAdded,     kBookChanged,    kBookInitialized,
        kBookDeleted,    kPhraseAdded,       kPhraseChanged, kPhraseDeleted,  kUserAdded,
        kUserChanged,    kUserDeleted,       kLogin,         kLoginFailed,    kReconciliationSaved,
        kPassphraseSet,  kPassphraseRemoved, kBackupMade,    kBackupRestored, kLedgerCopied,
        kCashLimitSet,   kChequeBookAdded,   kChequeTaken,   kChequeIssued,   kChequeVoided,
        kChequeReturned, kChequeHonoured,    kBillAdded,     kBillHonoured,   kBillReturned,
        kCashCounted,    kCountSettled};
}

void append(Tdat& dat, const Change& change) {
    try {
        write(dat, change);
    } catch (const ConflictError&) {
        throw;
    } catch (const DbError& e) {
        throw DbError(
            QStringLiteral("操作日志无法写入（%1），这次操作没有保存。").arg(e.message()));
    }
}

void append_alone(Tdat& dat, const Change& change) {
    Transaction t(dat);
    append(dat, change);
    t.commit();
}

QString row_text(Tdat& dat, qint64 rowId) {
    const std::vector<QJsonObject> rows = lineRecords(dat, rowId);
    return rows.empty() ? QString() : compact(QJsonDocument(rows.front()));
}

QString rows_text(Tdat& dat, const std::vector<qint64>& rowIds) {
    if (rowIds.size() == 1) return row_text(dat, rowIds.front());
    QJsonArray all;
    for (const qint64 id : rowIds)
        for (const QJsonObject& row : lineRecords(dat, id))
            all.append(row);
    return compact(QJsonDocument(all));
}

QString book_text(Tdat& dat, const QString& bookId) {
    const std::vector<QJsonObject> rows = records(
        dat, QStringLiteral("select zbid,zblb,zbmc,zh,qcye,flag,qyrq from accstar where zbid=?"),
        {bookId}, {QStringLiteral("qcye")});
    return rows.empty() ? QString() : compact(QJsonDocument(rows.front()));
}

QString month_totals_text(Tdat& dat, const QString& bookId, const QDate& month) {
    QJsonArray all;
    for (const QJsonObject& row :
         records(dat,
                 QStringLiteral("select dzrq,zy,j_je,d_je,y_je from total where zbh=? and dzrq "
                                "between ? and ? order by dzrq,pzh,rowid"),
                 {bookId, months::iso(months::firstDay(month)),
                  months::iso(months::nextMonth(month).addMonths(1).addDays(-1))},
                 kLineAmounts))
        all.append(row);
    return compact(QJsonDocument(all));
}

QString values_text(const QVariantMap& values) {
    return compact(QJsonDocument(QJsonObject::fromVariantMap(values)));
}

std::vector<Entry> entries(Tdat& dat, const Filter& filter) {
    std::vector<Entry> found;
    if (!schema::present(dat, kTable)) return found;
    QStringList where;
    QVariantList params;
    const auto utc = [](const QDate& day) {
        return QDateTime(day, QTime(0, 0)).toUTC().toString(Qt::ISODateWithMs);
    };
    if (filter.from.isValid()) {
        where << QStringLiteral("sj>=?");
        params << utc(filter.from);
    }
    if (filter.to.isValid()) {
        where << QStringLiteral("sj<?");
        params << utc(filter.to.addDays(1));
    }
    if (!filter.user.isEmpty()) {
        where << QStringLiteral("czy=?");
        params << filter.user;
    }
    if (!filter.operation.isEmpty()) {
        where << QStringLiteral("cz=?");
        params << filter.operation;
    }
    if (filter.bookId) {
        where << QStringLiteral("zbid=?");
        params << *filter.bookId;
    }
    if (!filter.text.isEmpty()) {
        // "!" escapes the wildcards and itself, so the text is found as typed.
        QString literal = filter.text.toLower();
        literal.replace(QLatin1Char('!'), QStringLiteral("!!"))
            .replace(QLatin1Char('%'), QStringLiteral("!%"))
            .replace(QLatin1Char('_'), QStringLiteral("!_"));
        where << QStringLiteral(
            "lower(coalesce(cz,'') || ' ' || coalesce(qz,'') || ' ' || coalesce(hz,'')) "
            "like ? escape '!'");
        params << QLatin1Char('%') + literal + QLatin1Char('%');
    }
    const QString sql =
        QStringLiteral("select ") + kColumns +
        (where.isEmpty() ? QString()
                         : QStringLiteral(" where ") + where.join(QStringLiteral(" and "))) +
        QStringLiteral(" order by sj,rowid");
    eachRow(dat, sql, params, [&](engine::Statement& s) { found.push_back(readEntry(s)); });
    return found;
}

std::optional<Entry> entry(Tdat& dat, qint64 id) {
    std::optional<Entry> found;
    if (!schema::present(dat, kTable)) return found;
    eachRow(dat, QStringLiteral("select ") + kColumns + QStringLiteral(" where rowid=?"), {id},
            [&](engine::Statement& s) { found = readEntry(s); });
    return found;
}

std::vector<std::pair<QString, QString>> book_captions(Tdat& dat) {
    std::vector<std::pair<QString, QString>> captions;
    eachRow(dat, QStringLiteral("select zbid,zbmc,zblb from accstar order by zblb,zbmc"), {},
            [&](engine::Statement& s) {
                captions.emplace_back(text(s.value(0)),
                                      text(s.value(1)) + QLatin1Char(' ') + text(s.value(2)));
            });
    return captions;
}

QString local_time(const QString& utc) {
    const QDateTime moment = QDateTime::fromString(utc, Qt::ISODateWithMs);
    return moment.isValid() ? moment.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                            : utc;
}

QString last_hashes(Tdat& dat) {
    QVariantMap last;
    if (schema::present(dat, kTable))
        eachRow(dat, QStringLiteral("select zbid,hash from czrz order by zbid,xh"), {},
                [&](engine::Statement& s) { last.insert(text(s.value(0)), text(s.value(1))); });
    return values_text(last);
}

std::vector<Break> verify(Tdat& dat) {
    std::vector<Break> breaks;
    if (!schema::present(dat, kTable)) return breaks;
    QString chain;
    int seq = 0;
    QString previous;
    bool broken = false;
    eachRow(dat, QStringLiteral("select ") + kColumns + QStringLiteral(" order by zbid,xh,rowid"),
            {}, [&](engine::Statement& s) {
                const Entry e = readEntry(s);
                if (seq == 0 || e.bookId != chain) {
                    chain = e.bookId;
                    seq = 0;
                    previous.clear();
                    broken = false;
                }
                ++seq;
                if (broken) return;
                QString what;
                if (e.seq != seq)
                    what = e.seq > seq ? QStringLiteral("前面缺少 %1 条记录").arg(e.seq - seq)
                                       : QStringLiteral("序号 %1 重复或次序被改动").arg(e.seq);
                else if (e.previousHash != previous)
                    what = QStringLiteral("与前一条记录接不上（前一条被改动、删除或调换）");
                else if (hashOf(e) != e.hash)
                    what = QStringLiteral("内容被改动（散列值不符）");
                previous = e.hash;
                if (what.isEmpty()) return;
                breaks.push_back({e.bookId, e.id, e.seq, what});
                broken = true;
            });
    return breaks;
}

}  // namespace qb::oplog
