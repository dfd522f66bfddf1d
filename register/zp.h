#pragma once

#include <QString>
#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QTableWidget;
class QToolButton;
struct Session;
class Tdat;

// The cheque register "支票登记簿" (zhipiao dengji) of a bank book: its cheque books, every leaf
// with its state, filtered by state, and the actions 领用, 开出, 作废 and 退回 on a leaf; a leaf is
// printed on the bank's form, and a calibration page tells the desk's printer offset. Skipped
// numbers (a blank leaf below one used) and voided leaves stand out. Everything goes through
// qb::cheques; an ordinary user views and prints.
class Tfr_zp : public QWidget {
    Q_OBJECT
public:
    Tfr_zp(Session& session, const QString& bookId, const QString& bookName,
           const QString& category, QWidget* parent = nullptr);

    const QString& bookId() const { return bookId_; }
    // Reads the cheque books and leaves again, keeping the selected leaf where it can.
    void load_dat();
    // The serial of the selected leaf; empty when none is.
    QString selectedSerial() const;
    void selectSerial(const QString& serial);

    void SpeedButton1Click();  // 登记支票簿
    void SpeedButton2Click();  // 领用 the next blank leaf of the kind
    void SpeedButton3Click();  // 开出 the selected leaf
    void SpeedButton4Click();  // 作废 it
    void SpeedButton5Click();  // 退回 it
    void SpeedButton6Click();  // 打印支票: preview on the form's outline
    void SpeedButton7Click();  // 校准页
    void SpeedButton8Click();  // keep the offset for this desk

signals:
    // A journal line was written (开出 with 记入日记帐): the register re-reads its month.
    void journalChanged();

private:
    void buildLayout();
    // Runs a change of the register for an operator or administrator, then reloads; false when
    // it was refused (and said why).
    bool change(const std::function<void()>& work);

    Session& session_;
    Tdat& dat_;
    QString bookId_;

    QLabel* Label1 = nullptr;
    QTableWidget* ListView1 = nullptr;  // cheque books
    QComboBox* ComboBox1 = nullptr;     // kind
    QLineEdit* Edit1 = nullptr;         // first serial
    QLineEdit* Edit2 = nullptr;         // last serial
    QDateEdit* DateEdit1 = nullptr;     // received
    QComboBox* ComboBox2 = nullptr;     // state filter
    QTableWidget* DBGrid1 = nullptr;    // leaves
    QLineEdit* Edit3 = nullptr;         // taker
    QLineEdit* Edit4 = nullptr;         // limit
    QLineEdit* Edit5 = nullptr;         // payee
    QLineEdit* Edit6 = nullptr;         // amount
    QDateEdit* DateEdit2 = nullptr;     // issue date
    QLineEdit* Edit7 = nullptr;         // purpose
    QLineEdit* Edit8 = nullptr;         // void reason
    QCheckBox* CheckBox1 = nullptr;     // 同时记入日记帐
    QDoubleSpinBox* SpinX = nullptr;    // printer offset
    QDoubleSpinBox* SpinY = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QToolButton* SpeedButton4 = nullptr;
    QToolButton* SpeedButton5 = nullptr;
    QToolButton* SpeedButton6 = nullptr;
    QToolButton* SpeedButton7 = nullptr;
    QToolButton* SpeedButton8 = nullptr;
};
