#pragma once

#include <QDate>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "bankrec.h"
#include "statement.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class Tdat;
struct Session;

namespace qb::report {
class Report;
}

// "银行对账": a bank book's month held against the bank's statement. The statement's lines on
// the left, the journal's on the right, each with the items an earlier reconciliation left
// outstanding; ticked pairs are shaded and select each other. Below, the four groups of
// outstanding items and both adjusted balances, their difference never hidden. Nothing is
// written until the cashier saves or confirms adding statement lines to the journal.
class Tfr_dz : public QWidget {
    Q_OBJECT
public:
    // The register's journal on show: the book, its caption and the month.
    Tfr_dz(Session& session, const QString& bookId, const QString& name, const QString& category,
           const QDate& month, QWidget* parent = nullptr);

    void importFile(const QString& path);  // reads a statement and ticks off what agrees
    void SpeedButton1Click();              // 导入对账单: asks for the file
    void SpeedButton2Click();              // 勾对 the selected pair
    void SpeedButton3Click();              // 取消勾对
    void SpeedButton4Click();              // 把未达的银行流水加入日记帐
    void SpeedButton5Click();              // 保存对账结果
    void SpeedButton6Click();              // 打印调节表

    const qb::bankrec::Reconciliation& reconciliation() const { return rec_; }
    bool unsaved() const { return unsaved_; }
    const QString& bookId() const { return bookId_; }
    const QDate& month() const { return rec_.month; }

    // What asks the cashier for things outside the message service; tests answer in their place.
    std::function<QString()> askFile;
    std::function<std::optional<qb::statement::Mapping>(const qb::statement::Table&,
                                                        const qb::statement::Mapping& guess)>
        askMapping;
    std::function<void(qb::report::Report&)> showReport;

signals:
    void journalChanged();  // statement lines went into the journal

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void connectControls();
    void showReconciliation();
    // The reconciliation was changed and is shown again, not yet saved.
    void markUnsaved();
    void fillStatementGrid();
    void fillJournalGrid();
    void showSums();
    void selectPartner(QTableWidget* from);
    void toleranceChanged(int days);
    void closingTyped();
    std::vector<int> selectedRows(QTableWidget* grid) const;
    // The statement through the book's columns, or those the cashier names when its titles are
    // not known or the columns read are refused; nothing when the cashier gives up.
    std::optional<qb::statement::Statement> readStatement(const QString& path);

    Session& session_;
    Tdat& dat_;
    QString bookId_;
    QString caption_;  // "name-category"
    qb::bankrec::Reconciliation rec_;
    bool unsaved_ = false;

    QLabel* Label1 = nullptr;  // the book, month and statement
    QLabel* Label2 = nullptr;  // notes on the statement
    QPushButton* SpeedButton1 = nullptr;
    QPushButton* SpeedButton2 = nullptr;
    QPushButton* SpeedButton3 = nullptr;
    QPushButton* SpeedButton4 = nullptr;
    QPushButton* SpeedButton5 = nullptr;
    QPushButton* SpeedButton6 = nullptr;
    QPushButton* SpeedButton7 = nullptr;  // 帮助
    QPushButton* SpeedButton8 = nullptr;  // 关闭
    QSpinBox* SpinEdit1 = nullptr;        // date tolerance in days
    QLineEdit* Edit1 = nullptr;           // the bank's closing balance
    QTableWidget* StatementGrid = nullptr;
    QTableWidget* JournalLines = nullptr;
    std::vector<QLabel*> sums_;  // named as the reconciliation statement's objects
};

// Asks which column holds which field, starting from the guess; nothing when cancelled.
std::optional<qb::statement::Mapping> askStatementColumns(QWidget* parent,
                                                          const qb::statement::Table& table,
                                                          const qb::statement::Mapping& guess);
