#pragma once

#include <QDate>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include "commands.h"
#include "money.h"

// The arguments of the commands with subcommands and many options (cheque, count): positional
// words, then "--name value" options and flags; wrong ones are a UsageError.
namespace cli {

struct Arguments {
    QStringList words;
    QHash<QString, QString> options;
    QSet<QString> flags;

    QString option(const QString& name, const QString& fallback = {}) const {
        return options.value(name, fallback);
    }
    QString required(const QString& name) const;
};

// Reads the options among `valued` with their values and the flags among `flags`; any other
// word beginning with "--" is refused.
Arguments parse(const QStringList& args, const QStringList& valued, const QStringList& flags = {});
// A date written YYYY-MM-DD.
QDate dateArgument(const QString& text);
// An amount with at most two decimals.
qb::money::Cents amountArgument(const QString& text);

}  // namespace cli
