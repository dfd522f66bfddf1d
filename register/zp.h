#pragma once

#include <QPointF>
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
namespace qb::report {
class Report;
}

// The cheque register "支票登记簿" (zhipiao dengji) of a bank book: its cheque books, every leaf
// with its state, filtered by state, and the actions 领用, 开出, 作废, 退回 and 兑付 on a leaf; a
// leaf is printed on the bank's form, and a calibration page tells the desk's printer offset.
// Skipped numbers (a blank leaf below one used) and voided leaves stand out. The register prints
// and exports as the leaves on show. A second page lists the book's bills (承兑汇票) by due date,
// those due soon marked, and enters, honours and returns them. Everything goes through
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

    void SpeedButton1Click();   // 登记支票簿
    void SpeedButton2Click();   // 领用 the next blank leaf of the kind
    void SpeedButton3Click();   // 开出 the selected leaf
    void SpeedButton4Click();   // 作废 it
    void SpeedButton5Click();   // 退回 it
    void SpeedButton6Click();   // 打印支票: preview on the form's outline
    void SpeedButton7Click();   // 校准页
    void SpeedButton8Click();   // keep the offset for this desk
    void SpeedButton9Click();   // 兑付 the selected leaf
    void SpeedButton10Click();  // 打印登记簿: the register as filtered, previewed
    void SpeedButton11Click();  // 导出Excel: the same as a workbook
    void SpeedButton12Click();  // 登记票据
    void SpeedButton13Click();  // 兑付 the selected bill
    void SpeedButton14Click();  // 退回 it

    // The bill selected in the bills' list; 0 when none is.
    qint64 selectedBill() const;
    void selectBill(qint64 id);

signals:
    // A journal line was written (开出 with 记入日记帐): the register re-reads its month.
    void journalChanged();

private:
    void buildLayout();
    QWidget* buildBillsPage();
    void loadBills();
    // The register as filtered, loaded from its template; false after a message.
    bool loadRegister(qb::report::Report& report);
    void settleSelectedBill(const QString& state);
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
    QToolButton* SpeedButton9 = nullptr;
    QToolButton* SpeedButton10 = nullptr;
    QToolButton* SpeedButton11 = nullptr;
    // The bills' page.
    QTableWidget* DBGrid2 = nullptr;  // bills by due date
    QLabel* Label2 = nullptr;         // what the marks mean
    QComboBox* ComboBox3 = nullptr;   // kind
    QComboBox* ComboBox4 = nullptr;   // received or issued
    QLineEdit* Edit9 = nullptr;       // number
    QLineEdit* Edit10 = nullptr;      // amount
    QLineEdit* Edit11 = nullptr;      // drawer or payee
    QDateEdit* DateEdit3 = nullptr;   // issued
    QDateEdit* DateEdit4 = nullptr;   // due
    QToolButton* SpeedButton12 = nullptr;
    QToolButton* SpeedButton13 = nullptr;
    QToolButton* SpeedButton14 = nullptr;
};

// The cheque of the book's leaf previewed on the bank's form, moved by the offset; a leaf that
// cannot be printed is told why. The register's "打印支票" and a journal line's.
void previewCheque(Tdat& dat, const QString& bookId, const QString& serial, QPointF offsetMm,
                   QWidget* parent);
