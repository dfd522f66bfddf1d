#pragma once

#include <QString>
#include <QWidget>
#include <functional>

#include "cashcount.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QTableWidget;
class QToolButton;
struct Session;
class Tdat;

namespace qb::report {
class Report;
}

// The cash count "现金盘点" (xianjin pandian) of a cash book on a day: the quantities of each
// denomination typed into the grid (Enter moves down), the amounts and totals following as
// typed, the book's balance after the day's last line adjusted by what is in hand but not yet
// booked, the difference as 长款 or 短款, IOUs (白条) apart; 保存 keeps the count. The list
// below holds the book's earlier counts, those waiting to be settled marked; 处理 offers the
// settling line, 打印 previews the 现金盘点表 of the count chosen and 另存为PDF writes it. Every
// figure comes from qb::cashcount; an ordinary user views and prints.
class Tfr_xjpd : public QWidget {
    Q_OBJECT
public:
    explicit Tfr_xjpd(Session& session, QWidget* parent = nullptr);

    // Reads the book's balance and earlier counts again.
    void load_dat();
    // The count as the window holds it now, unsaved.
    qb::cashcount::Count typedCount() const;
    // The saved count chosen in the list; 0 when none is.
    qint64 selectedCount() const;
    void selectCount(qint64 id);

    void SpeedButton1Click();  // 保存
    void SpeedButton2Click();  // 处理: the settling line of the chosen count
    void SpeedButton3Click();  // 打印: its 现金盘点表 in the preview
    void SpeedButton4Click();  // 另存为PDF

    // What asks for the PDF's file name and shows a report; replaceable in tests.
    std::function<QString()> askPdfPath;
    std::function<void(qb::report::Report&)> showReport;

private:
    void buildLayout();
    void buildGrid();
    // The totals and the difference of the count as typed.
    void showTotals();
    // The report of the chosen count, loaded; false (said why) when none is chosen or the
    // template fails.
    bool chosenReport(qb::report::Report& report);
    QString bookId() const;

    Session& session_;
    Tdat& dat_;
    qb::money::Cents bookBalance_ = 0;
    QString balanceProblem_;  // why the book's balance cannot be read for the day

    QComboBox* ComboBox1 = nullptr;       // book
    QDateEdit* DateEdit1 = nullptr;       // day counted
    QTableWidget* StringGrid1 = nullptr;  // denominations, quantities, amounts
    QLineEdit* Edit1 = nullptr;           // 已收未记
    QLineEdit* Edit2 = nullptr;           // its note
    QLineEdit* Edit3 = nullptr;           // 已付未记
    QLineEdit* Edit4 = nullptr;           // its note
    QLineEdit* Edit5 = nullptr;           // 白条
    QLineEdit* Edit6 = nullptr;           // its note
    QLineEdit* Edit7 = nullptr;           // 盘点人
    QLineEdit* Edit8 = nullptr;           // 监盘人
    QLabel* Label1 = nullptr;             // 实存
    QLabel* Label2 = nullptr;             // 账面余额
    QLabel* Label3 = nullptr;             // 调整后账面余额
    QLabel* Label4 = nullptr;             // 长款 / 短款
    QLabel* Label5 = nullptr;             // warnings
    QTableWidget* DBGrid1 = nullptr;      // earlier counts
    QDateEdit* DateEdit2 = nullptr;       // the settling line's day
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QToolButton* SpeedButton4 = nullptr;
};
