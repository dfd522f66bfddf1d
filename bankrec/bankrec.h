#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "money.h"
#include "statement.h"

class Tdat;

// Bank reconciliation (银行对账): a bank book's month held against the bank's statement. The
// statement's lines and the journal's lines that agree are ticked off one to one; what is left
// explains the difference between the two balances in the 银行存款余额调节表. A saved
// reconciliation keeps its statement lines and ticks, so that the next month starts from the
// items still outstanding on either side.
namespace qb::bankrec {

using money::Cents;

// A book kept against a bank account: 银行日记帐, 银行卡 and the like.
bool is_bank_book(const QString& category);

// A line of the bank's statement, of this month's statement or left outstanding by an earlier one.
struct BankItem {
    QDate date;
    QString summary;
    QString counterparty;
    QString serial;
    Cents amount = 0;  // into the account positive, out of it negative
    std::optional<Cents> balance;
    int fileLine = 0;
    QString month;  // "YYYY-MM": the reconciliation that read it
};

// A journal line of the month, or one an earlier reconciliation left outstanding.
struct BookItem {
    qint64 rowId = 0;
    QDate date;
    int voucher = 0;
    QString ticket;
    QString summary;
    Cents amount = 0;  // debit less credit: received positive, paid negative
};

// The 银行存款余额调节表: the four groups of items outstanding and both adjusted balances.
struct Groups {
    Cents bankReceived = 0;  // 银行已收企业未收
    Cents bankPaid = 0;      // 银行已付企业未付
    Cents bookReceived = 0;  // 企业已收银行未收
    Cents bookPaid = 0;      // 企业已付银行未付
    Cents adjustedBook = 0;  // 企业账面余额 + bankReceived - bankPaid
    Cents adjustedBank = 0;  // 银行对账单余额 + bookReceived - bookPaid
    Cents difference() const { return adjustedBook - adjustedBank; }
};

// Where the bank's closing balance comes from.
enum class ClosingFrom { Statement, Given, Computed, None };

struct Reconciliation {
    QString bookId;
    QDate month;  // its first day
    int tolerance = 3;
    std::vector<BankItem> bank;  // outstanding from before first, then this month's statement
    std::vector<BookItem> book;  // likewise, in journal order
    std::vector<int> match;      // for each bank item the book item ticked with it, or -1
    Cents bookClosing = 0;       // the journal's balance at the month's end
    Cents bankOpening = 0;
    Cents bankClosing = 0;
    ClosingFrom closingFrom = ClosingFrom::None;
    QString statementFile;  // the file read, empty when none was
    bool saved = false;     // as a save left it
    QStringList notes;      // what the cashier should know (skipped rows, a month left out)

    // For each book item the bank item ticked with it, or -1.
    std::vector<int> bookMatches() const;
    bool hasStatement() const { return closingFrom != ClosingFrom::None; }
    Groups groups() const;
};

struct Options {
    int tolerance = 3;             // days between the bank's and the journal's date
    std::optional<Cents> closing;  // the bank's closing balance, for a statement without one
};

// The month with the statement: its lines beside the journal's month and the items outstanding
// from the book's last saved reconciliation, ticked off automatically. Writes nothing. A book's
// first reconciliation starts from its month alone; the bank's opening balance is the
// statement's, else the last reconciliation's closing, else the journal's opening of the month.
Reconciliation reconcile_month(Tdat& dat, const QString& bookId, const QDate& month,
                               const statement::Statement& statement, const Options& options);

// The month as its last save left it, or, when it was never saved, its journal and the items
// outstanding from before without a statement. Writes nothing.
Reconciliation saved_month(Tdat& dat, const QString& bookId, const QDate& month);

// Ticks off the items still outstanding: one to one, the same amount on the same side, dates at
// most the tolerance apart; a ticket number that agrees with the statement's serial number
// goes first, then the closest dates. Ticks already made stay.
void match(Reconciliation& rec);

// Ticks a pair by hand (any dates); refused with a qb::DbError when the amounts differ or either
// is ticked already.
void tick(Reconciliation& rec, int bankIndex, int bookIndex);
void untick(Reconciliation& rec, int bankIndex);

// Stores the reconciliation, replacing an earlier save of the month, in one transaction; the
// tables are made at the first save. Refused when a later month of the book is saved already
// (its outstanding items rest on this one).
void save_reconciliation(Tdat& dat, const Reconciliation& rec, const QString& user);

// Writes the chosen outstanding bank items into the journal of the month as ordinary lines
// (summary, serial as ticket, received as debit, paid as credit, the next voucher numbers, the
// user as handler), ticks them with the new lines and saves the reconciliation, all in one
// transaction. Refused for a closed month and for items that are ticked. Returns the lines'
// row ids.
std::vector<qint64> add_bank_lines(Tdat& dat, Reconciliation& rec, const std::vector<int>& items,
                                   const QString& user);

// The statement layout kept for a book (statement::mapping_text), empty when none is.
QString kept_mapping(Tdat& dat, const QString& bookId);
void keep_mapping(Tdat& dat, const QString& bookId, const QString& mapping);

}  // namespace qb::bankrec
