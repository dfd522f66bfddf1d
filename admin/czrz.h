#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "oplog.h"
#include "session.h"

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QTableWidget;

namespace qb::report {
class Report;
}

// "操作日志": the operation log for the administrator: entries filtered by days, user,
// operation, book and a text; the values before and after of the entry chosen; the list printed
// or saved as a workbook; a deleted line brought back into its month ("恢复此行").
class Tfr_czrz : public QWidget {
    Q_OBJECT
public:
    explicit Tfr_czrz(Session& session, QWidget* parent = nullptr);

    void search();          // "查询": the entries that pass the filters
    void exportWorkbook();  // "导出Excel"
    void print();           // "打印预览": the entries found, from the template czrz.rls
    void restoreLine();     // "恢复此行": the deleted line of the entry chosen

    // Asks for the workbook's name; tests answer instead of a file dialog.
    std::function<QString(QWidget* parent)> pickWorkbook;
    // Shows a filled report; tests look at it instead of a preview window.
    std::function<void(qb::report::Report&)> showReport;

private:
    void showEntry();
    const qb::oplog::Entry* current() const;

    Session& session_;
    qb::oplog::Filter filter_;  // the one that found the entries on show
    std::vector<qb::oplog::Entry> entries_;
    QDateEdit* from_;
    QDateEdit* to_;
    QComboBox* user_;
    QComboBox* operation_;
    QComboBox* book_;
    QLineEdit* text_;
    QTableWidget* list_;
    QPlainTextEdit* values_;
};
