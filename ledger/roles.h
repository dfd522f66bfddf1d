#pragma once

#include <QString>

#include "users.h"

// Which role may do what: the one table every window asks before it acts. The command-line tool
// has no login and acts as the administrator.
namespace qb::roles {

enum class Action {
    WriteLines,    // add, change and delete lines; the entry panel; bank lines into the journal
    Post,          // post a month, rebuild its balances
    PostAgain,     // post a posted month again
    Reverse,       // reverse a line of a posted month
    Export,        // the month into the workbook
    KeepColumns,   // keep a statement's column choice for the book
    ManageBooks,   // the book list, the book editor, the lists of names and categories, a cash
                   // book's limit (库存现金限额)
    ManageUsers,   // users and their roles
    Backups,       // backup and restore
    Passphrase,    // the ledger's passphrase of its own
    CashCounts,    // count the cash in the till
    Cheques,       // the cheque register
    OperationLog,  // read the log of operations
};

// Whether the role may do it.
bool may(users::Role role, Action action);
// What a refused user is told.
QString refusal(Action action);

}  // namespace qb::roles
