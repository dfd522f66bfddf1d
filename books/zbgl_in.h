#pragma once

#include <QDialog>

#include "ledger.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
struct Session;

// The book editor: one row of the book table, created (add mode) or changed (edit mode, the
// hidden Label6 holding the book's identifier). It stays open after storing so that several
// books can be entered in a row; each store is announced by stored().
class Tfr_zbgl_in : public QDialog {
    Q_OBJECT
public:
    explicit Tfr_zbgl_in(Session& session, QWidget* parent = nullptr);

    // Switches to edit mode for a book; ticked is its tick in the book list, which becomes
    // its flag when the change is stored.
    void setBook(const QString& bookId, const qb::ledger::BookFields& fields, bool ticked);
    int tag() const { return Tag; }

    void SpeedButton1Click();  // store
    void SpeedButton3Click();  // help

signals:
    void stored();

private:
    bool complete();
    void clearFields();

    Session& session_;
    int Tag = 0;
    QComboBox* ComboBox1;
    QComboBox* ComboBox2;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QDateEdit* dtp;
    QLineEdit* EditLimit;  // a cash book's 库存现金限额
    QLabel* Label6;
};
