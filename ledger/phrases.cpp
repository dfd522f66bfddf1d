#include "phrases.h"

#include "fr_dat.h"
#include "oplog.h"
#include "rowkinds.h"

namespace qb::phrases {
namespace {

constexpr int kPhraseWidth = 50;  // basicset.OftenSummary, which goes into crereg.zy

// The length in a double-byte code page: a Chinese character takes two bytes, a Latin one one.
int doubleByteLength(const QString& text) {
    int bytes = 0;
    for (const QChar c : text)
        bytes += c.unicode() < 0x80 ? 1 : 2;
    return bytes;
}

}  // namespace

QStringList all(Tdat& dat) {
    Query query(dat);
    query.setSql(QStringLiteral("select OftenSummary from basicset order by OftenSummary"));
    query.open();
    QStringList phrases;
    for (int row = 0; row < query.recordCount(); ++row)
        phrases << query.valueAt(row, 0).toString();
    return phrases;
}

QString learn(Tdat& dat, const QString& typed) {
    const QString phrase = typed.trimmed();
    if (doubleByteLength(phrase) < 2 || phrase.size() > kPhraseWidth || rows::isReserved(phrase))
        return {};
    if (!dat.scalar(QStringLiteral("select 1 from basicset where OftenSummary=?"), {phrase})
             .isNull())
        return {};
    add(dat, phrase);
    return phrase;
}

void add(Tdat& dat, const QString& phrase) {
    Transaction t(dat);
    dat.execute(QStringLiteral("insert into basicset(OftenSummary) values(?)"), {phrase});
    oplog::append(dat, {oplog::kPhraseAdded, {}, {}, 0, {}, phrase});
    t.commit();
}

void changed(Tdat& dat, const QString& before, const QString& after) {
    oplog::append(dat, {oplog::kPhraseChanged, {}, {}, 0, before, after});
}

void remove(Tdat& dat, qint64 rowId) {
    Transaction t(dat);
    const QString rowid = dat.con().rowIdColumn();
    const QVariant was = dat.scalar(
        QStringLiteral("select OftenSummary from basicset where %1=?").arg(rowid), {rowId});
    dat.execute(QStringLiteral("delete from basicset where %1=?").arg(rowid), {rowId});
    if (!was.isNull()) oplog::append(dat, {oplog::kPhraseDeleted, {}, {}, 0, was.toString(), {}});
    t.commit();
}

}  // namespace qb::phrases
