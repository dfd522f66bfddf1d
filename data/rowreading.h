#pragma once

// Reading rows through the open connection, for the operations of every room.
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

}  // namespace qb::rowreading
