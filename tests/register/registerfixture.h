#pragma once

#include <QAction>
#include <QDate>
#include <QMainWindow>
#include <QModelIndex>
#include <memory>

#include "answering_messages.h"
#include "session.h"
#include "templedger.h"

class JournalGrid;
class QTreeWidgetItem;
class Tfr_dj;

// The book most cases use: 甲公司's cash journal.
inline const QString kCashBook = QStringLiteral("2024011");

// Types text, Chinese included, into a widget key by key.
void typeText(QWidget* widget, const QString& text);

// A register window on a fresh ledger, under a small main window that carries the entries the
// register switches ("账务月结" N20, "冲账" N25, "重新计算余额" N26, "导出" N28, "银行对账" N29,
// "支票登记簿" N31).
// Messages are answered.
struct RegisterFixture {
    explicit RegisterFixture(int role = Session::Administrator);
    ~RegisterFixture();

    // A book enabled with its opening rows: the journal's opening row and the start month's
    // opening, month-total and cumulative rows in total.
    void book(const QString& id, const QString& name, const QString& category, double opening,
              const QString& start);
    void cashBook(double opening = 500, const QString& start = QStringLiteral("2024-05-01")) {
        book(kCashBook, QStringLiteral("甲公司"), QStringLiteral("现金日记帐"), opening, start);
    }
    // The rows a posted month leaves for the next one: the carry-forward line and the three
    // total rows of the month that begins on first.
    void carried(const QString& id, const QString& first, double balance, double cumDebit,
                 double cumCredit);
    qint64 line(const QString& id, const QString& date, int voucher, const QString& summary,
                double debit, double credit, double balance) {
        return ledger.line(id, date, voucher, summary, debit, credit, balance);
    }

    // Shows the window and opens a node ("name" or "name/category") for the month of date.
    void open(const QString& path, const QDate& date);
    QTreeWidgetItem* node(const QString& path) const;
    QModelIndex cell(int sourceRow, int column) const;  // an index of the grid's view
    // Types into a cell through its editor and leaves it with the key (Tab, Return...).
    void type(int sourceRow, int column, const QString& text, Qt::Key leave = Qt::Key_Tab);
    QString shown(int sourceRow, int column) const;  // the grid's text of a cell
    QString footer(int row, int column) const;
    QVariant storedValue(qint64 rowId, const char* column);  // a crereg value as stored
    double stored(qint64 rowId, const char* column) {
        return storedValue(rowId, column).toDouble();
    }
    QString storedText(qint64 rowId, const char* column) {
        return storedValue(rowId, column).toString();
    }
    bool entryEnabled(const char* name) const {
        return main.findChild<QAction*>(name)->isEnabled();
    }

    TempLedger ledger;
    AnsweringMessages messages;
    QMainWindow main;
    Session session;
    std::unique_ptr<Tfr_dj> window;
    JournalGrid* grid = nullptr;
};
