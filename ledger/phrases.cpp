#include "phrases.h"

#include "fr_dat.h"
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
    dat.execute(QStringLiteral("insert into basicset(OftenSummary) values(?)"), {phrase});
    return phrase;
}

}  // namespace qb::phrases
