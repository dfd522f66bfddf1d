#pragma once

// Reading rows through the open connection, for the operations of every room.
#include <QDate>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include "engine.h"
#include "fr_dat.h"
#include "money.h"

namespace qb::rowreading {

// Runs a select and hands each row to the visitor; the statement is released afterwards.
template <typename Visit>
void eachRow(Tdat& dat, const QString& sql, const QVariantList& params, Visit visit) {
    engine::Statement& statement = dat.con().prepare(sql);
    statement.bind(params);
    try {
        while (statement.step())
            visit(statement);
    } catch (...) {
        statement.reset();
        throw;
    }
    statement.reset();
}

// A stored amount in cents; a null amount is none.
inline money::Cents cents(const QVariant& amount) {
    return amount.isNull() ? 0 : money::toCents(amount.toDouble());
}

// The columns of a result row read one after the other, each as the kind wanted, so that a
// record is filled in the order of its select: Leaf{.id = c.id(), .serial = c.text(), ...}.
class Columns {
public:
    explicit Columns(engine::Statement& statement) : statement_(statement) {}
    QVariant value() { return statement_.value(next_++); }
    QString text() { return value().toString(); }
    qint64 id() { return value().toLongLong(); }
    int number() { return value().toInt(); }
    money::Cents amount() { return cents(value()); }
    // Stored as "YYYY-MM-DD"; invalid when empty.
    QDate date() { return QDate::fromString(value().toString(), Qt::ISODate); }

private:
    engine::Statement& statement_;
    int next_ = 0;
};

}  // namespace qb::rowreading
