#pragma once

#include <QWidget>
#include <optional>

#include "ledger.h"
#include "money.h"

class QComboBox;
class QLineEdit;
class QPushButton;

// The register's entry panel "Panel2": one field per column of a journal line, the balance
// before the entry and after it as the amounts are typed, and Enter moving from field to field.
// What is written, and where, is the register's business: the panel asks for it by its signals.
class EntryPanel : public QWidget {
    Q_OBJECT
public:
    explicit EntryPanel(QWidget* parent = nullptr);

    // The voucher number and the balance before the entry; the balance after it follows.
    void setVoucher(int voucher);
    void setBalanceBefore(qb::money::Cents balance);
    // Empties what was typed for the last entry; the balance after it is the balance before.
    void clearEntry();
    // Puts the focus in the first field that takes typing.
    void focusFirst();
    // The correcting entry after a reversal: voucher number and summary are given and locked, and
    // "添加" is off until the entry is saved or given up.
    void lock(const QString& summary);
    void unlock();

    // The voucher number typed, if it is one.
    std::optional<int> voucher() const;
    // The summary as typed so far.
    QString summary() const;
    // The line as typed, each field checked; nothing when one does not fit, after saying why and
    // putting the focus in it. Date and handler are left to the register.
    std::optional<qb::ledger::LineFields> entry();
    // Offers the phrases in the summary box and drops its list down.
    void offerPhrases(const QStringList& phrases);

signals:
    void saveRequested();  // Enter in the last field, or "保存"
    void newRequested();   // "添加"
    void voucherEdited();  // the voucher number was typed: the balance before may change
    void summaryEntered();
    void summaryLeft();  // the summary was left: the balance before may change

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* field(const char* name, int maxLength = 0);
    // The fields in the order Enter and Tab go through them.
    QList<QWidget*> fieldOrder() const;
    // Edit5Change: the balance after the entry, from the balance before and the amounts.
    void Edit5Change();
    // Edit5Exit: an amount or count left empty gets its zero.
    void Edit5Exit(QLineEdit* edit);
    // Edit1KeyPress's Enter: on to the next field, or the save from the last one.
    void enterPressed(QWidget* from);
    // A key typed while the phrase list is down goes into the summary; Enter on no phrase moves on.
    bool phraseListKey(QKeyEvent* key);

    QLineEdit* Edit0;  // balance before the entry
    QLineEdit* Edit1;  // voucher number
    QLineEdit* Edit2;  // ticket number
    QLineEdit* Edit3;  // voucher count
    QLineEdit* Edit4;  // claimant
    QComboBox* CBox1;  // summary
    QLineEdit* Edit5;  // debit
    QLineEdit* Edit6;  // credit
    QLineEdit* Edit7;  // balance after the entry
    QPushButton* SB1;  // 添加
    QPushButton* sb2;  // 保存
};
