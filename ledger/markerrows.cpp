#include "markerrows.h"

#include "errors.h"
#include "fr_dat.h"
#include "months.h"
#include "rowkinds.h"

namespace qb::markers {
namespace {

QString nameOf(Table table) {
    return table == Table::Journal ? QStringLiteral("crereg") : QStringLiteral("total");
}

}  // namespace

Table table_named(const QString& name) {
    const QString lower = name.toLower();
    if (lower == QLatin1String("crereg")) return Table::Journal;
    if (lower == QLatin1String("total")) return Table::Totals;
    throw DbError(QStringLiteral("表名“%1”无效：只能是 crereg 或 total").arg(name));
}

void insert(Tdat& dat, Table table, const Row& row, Writer writer) {
    const bool posting = writer == Writer::Posting;
    const QVariant ticket = posting ? QVariant(QString()) : QVariant();
    QVariantList values{months::iso(row.day),
                        row.voucher,
                        ticket,
                        row.summary,
                        money::fromCents(row.debit),
                        money::fromCents(row.credit),
                        money::fromCents(row.balance),
                        row.bookId};
    if (table == Table::Totals) {
        dat.execute(QStringLiteral("insert into total(dzrq,pzh,ph,zy,j_je,d_je,y_je,zbh) "
                                   "values(?,?,?,?,?,?,?,?)"),
                    values);
        return;
    }
    const QVariant none = posting ? QVariant(QString()) : QVariant();
    values.insert(7, posting ? QVariant(0) : QVariant());  // pzn
    values.insert(8, none);                                // bxr
    values.insert(9, none);                                // jbr
    dat.execute(QStringLiteral("insert into crereg(dzrq,pzh,ph,zy,j_je,d_je,y_je,pzn,bxr,jbr,zbh) "
                               "values(?,?,?,?,?,?,?,?,?,?,?)"),
                values);
}

bool update_totals(Tdat& dat, const QString& bookId, const QDate& month, const QString& summary,
                   money::Cents debit, money::Cents credit, money::Cents balance) {
    dat.execute(QStringLiteral("update total set j_je=?,d_je=?,y_je=? where zbh=? and "
                               "dzrq between ? and ? and zy=?"),
                QVariantList{money::fromCents(debit), money::fromCents(credit),
                             money::fromCents(balance), bookId} +
                    months::range(month) + QVariantList{summary});
    return dat.con().changes() > 0;
}

bool set_carry(Tdat& dat, Table table, const QString& bookId, const QDate& day,
               money::Cents balance) {
    dat.execute(
        QStringLiteral("update %1 set y_je=? where zbh=? and dzrq=? and zy=?").arg(nameOf(table)),
        {money::fromCents(balance), bookId, months::iso(day), rows::kCarry});
    return dat.con().changes() > 0;
}

void set_opening(Tdat& dat, Table table, const QString& bookId, money::Cents balance) {
    dat.execute(QStringLiteral("update %1 set y_je=? where zbh=? and zy=?").arg(nameOf(table)),
                {money::fromCents(balance), bookId, rows::kOpening});
}

}  // namespace qb::markers
