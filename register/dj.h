#pragma once

#include <QDate>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

#include "cashlimit.h"
#include "fr_dat.h"
#include "ledger.h"
#include "money.h"
#include "register_commands.h"

class EntryPanel;
class JournalGrid;
class MonthModel;
class QCheckBox;
class Tfr_dz;
class Tfr_zp;
class QDateEdit;
class QLabel;
class QStatusBar;
class QStackedWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
struct Session;

namespace qb::report {
class Report;
class ReportPreview;
}  // namespace qb::report

// The register "登记": the cashier's working screen. A tree of books on the left; on the right
// one month of one journal in an editable grid with its footer rows, or a book's summary sheet.
// The commands act on what is on show, not on the tree's selection, and the date picker always
// names the month on show. Every change of a line goes through the ledger operations, and the
// grid is re-read from the database after it, so what it shows is what is stored.
class Tfr_dj : public QWidget, public RegisterCommands {
    Q_OBJECT
public:
    explicit Tfr_dj(Session& session, QWidget* parent = nullptr);
    ~Tfr_dj() override;

    // The main window's "账务处理" commands.
    void zwyj() override;       // post the month on show, or post it again
    void cz() override;         // reverse the chosen line of a posted month
    void rejsye() override;     // rebuild the month's running balances
    void turnexcel() override;  // the month on show into the workbook "qbk.xls"
    void yhdz() override;       // the bank book on show against the bank's statement
    void zpdj() override;       // the cheque register of the bank book on show
    // "打印支票" (the grid's context menu): the cheque the current line's ticket names, on the
    // bank's form; a line naming no leaf, or a leaf without a payee yet, is told so.
    void printCheque();

    // Opens what the selected tree node names for the picked month; a book name opens nothing.
    void TreeView1Click();
    void SpeedButton1Click();  // add a line
    void SpeedButton2Click();  // delete the current line
    void SpeedButton4Click();  // refresh
    void SpeedButton7Click();  // print what is on show
    void dtpChange();          // the picked month: what is on show follows it
    // Opens a book's journal for the month of the date as choosing it in the tree does (month
    // order, footers, date picker, closed-month and ordinary-user rules); the journal query
    // shows its result this way. For a window that has been shown.
    void showBookMonth(const QString& name, const QString& category, const QDate& month);

    // The entry panel: switched on and off, the next entry prepared, the entry saved.
    void CheckBox1Click();
    void SB1Click();
    bool sb2Click();  // false when nothing was written

    const QString& currentBookId() const { return current_book_id; }
    JournalGrid* grid() const { return DBGridEh1; }
    MonthModel* monthModel() const { return model_.get(); }
    const qb::report::Report* summaryReport() const { return summary_report.get(); }
    Tfr_dz* reconciliationWindow() const;
    Tfr_zp* chequeWindow() const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void FormShow();
    void loadTree();
    void loadPhrases();
    // Puts a journal or sheet node on show for the picked month.
    void showNode(QTreeWidgetItem* node);
    void openMonth(QTreeWidgetItem* node);
    // Enables the commands for what is on show.
    void setCommands();
    void refreshFooters();
    bool showSheet(QTreeWidgetItem* nameNode);
    // create_jcb: fills the summary sheet (jiecunbiao) of a book name for the picked month.
    void create_jcb(const QString& bookName);
    // jcb_dat: the sheet's cells of one of the name's journals (month and year to date).
    void jcb_dat(const QString& bookName, const QString& category, const QStringList& cells);
    // Re-reads the month view and puts the cursor back on the line, wherever it now stands.
    void reloadKeeping(qint64 rowId, int column);
    bool writeCell(int row, int column, const QVariant& value);
    bool canChangeMonth(const char* verb) const;
    bool journalOnShow() const;
    // A journal on show whose book the tree lists, that is an enabled one.
    bool bookWritable() const;
    bool sheetOnShow() const;

    // The entry panel and the correcting entry a reversal offers in it.
    void connectPanel();
    // Enter in the last field or "保存": save, prepare the next entry, end a correcting entry.
    void saveEntry();
    // The voucher number and balance before an entry on the picked day.
    void showPanelNumbers();
    // The balance before the entry as typed so far: where its date, voucher number and summary
    // put it among the month's lines.
    void showBalanceBefore();
    void leavePanel();
    // What went on show decides whether the panel stays.
    void panelFollowsView();
    void offerFollowUp(const qb::ledger::Reversal& reversal);
    // A window of the register's (reconciliation, cheque register) beside it in the main
    // window's area, or on its own.
    void showBeside(QWidget* window);
    // Tells the cashier what the cheque register makes of a ticket number just written (one
    // naming no leaf of the book, a voided leaf, a cheque written twice); never a refusal.
    void warnTicket(const QString& ticket);
    // Tells the cashier once when a saved line leaves a cash book's day above its limit or below
    // zero (qb::cashlimit::warning_after_save); `before` is the day's standing before the save.
    void warnCashLimit(const QDate& day, qb::cashlimit::Standing before);
    qb::cashlimit::Standing dayEnd(const QDate& day);
    void addChequeAction();
    static void remindRepost();
    // The titled OK/Cancel question; true for OK.
    static bool confirmed(const QString& question);

    Session& session_;
    Tdat& dat_;

    // Window state shared by the register's commands.
    QString current_book_id;
    qb::Query Query1;     // the month view
    qb::Query aux_query;  // the window's scratch cursor
    std::unique_ptr<qb::report::Report> summary_report;

    QTreeWidgetItem* onShow_ = nullptr;  // the journal or sheet node on show; null: nothing
    QDate shownMonth_;                   // the month the grid holds
    bool monthClosed_ = false;           // and whether it is posted
    bool shown_ = false;
    std::unique_ptr<MonthModel> model_;
    // A book the tree does not list, opened by showBookMonth: a name node with its category.
    std::unique_ptr<QTreeWidgetItem> unlisted_;
    QPointer<Tfr_dz> dz_;  // the reconciliation opened last
    QPointer<Tfr_zp> zp_;  // the cheque register opened last

    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton4 = nullptr;
    QToolButton* SpeedButton7 = nullptr;
    QToolButton* SpeedButton8 = nullptr;
    QToolButton* SpeedButton9 = nullptr;
    QDateEdit* dtp = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QTreeWidget* TreeView1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QStackedWidget* area_ = nullptr;
    JournalGrid* DBGridEh1 = nullptr;
    qb::report::ReportPreview* rmp = nullptr;  // the summary sheet's preview area
    EntryPanel* Panel2 = nullptr;
    // The month on show: 未结账 / 已结账 / 需二次过帐 and the balance it brings in.
    QStatusBar* monthStatus_ = nullptr;
    // The right to the correcting entry offered after a reversal; invalid when none is pending.
    qb::ledger::CorrectionRight followUp_;
};
