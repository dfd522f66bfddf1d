// Typing in the grid: adding and deleting lines and writing cells, each through the ledger
// operation that also carries the running balance down the month.
#include <QDateEdit>
#include <QLineEdit>

#include "dj.h"
#include "errors.h"
#include "gymk.h"
#include "journalgrid.h"
#include "ledger.h"
#include "messages.h"
#include "monthmodel.h"
#include "session.h"

bool Tfr_dj::canChangeMonth(const char* verb) const {
    return !gymk::month_closed(dat_, QString::fromUtf8(verb), current_book_id, gymk::MessageMode,
                               shownMonth_);
}

void Tfr_dj::SpeedButton1Click() {
    if (!session_.mayWrite()) return;
    if (!bookWritable() || !canChangeMonth("添加")) return;
    DBGridEh1->view()->finishEdit();
    // A new line must be seen: filters that would hide it are cleared.
    for (int column = 0; column < MonthModel::ColumnCount; ++column)
        if (QLineEdit* filter = DBGridEh1->filterEditor(column)) filter->clear();
    qb::ledger::NewLine line;
    try {
        // The picker always names the month on show, so the line lands where it is seen.
        line = qb::ledger::add_line(dat_, current_book_id, dtp->date(), session_.login_user);
    } catch (const qb::DbError& error) {
        qb::messages().plain(error.message());
        return;
    }
    reloadKeeping(line.rowId, MonthModel::Dzrq);
    refreshFooters();
    DBGridEh1->view()->setFocus();
}

void Tfr_dj::SpeedButton2Click() {
    if (!session_.mayWrite()) return;
    if (!bookWritable() || !canChangeMonth("删除")) return;
    const int row = DBGridEh1->currentRow();
    if (row < 0 || model_->isMarkerRow(row)) return;
    DBGridEh1->view()->finishEdit();
    QString failure = QStringLiteral("删除失败！");
    try {
        if (qb::ledger::delete_line(dat_, model_->rowIdAt(row)) ==
            qb::ledger::DeleteResult::Deleted)
            failure.clear();
    } catch (const qb::DbError& error) {
        // Posted meanwhile by another cashier on a shared ledger, for one.
        failure += QLatin1Char('\n') + error.message();
    }
    if (!failure.isEmpty()) qb::messages().plain(failure);
    model_->reload();
    if (model_->rowCount() > 0)
        DBGridEh1->setCurrent(std::min(row, model_->rowCount() - 1), DBGridEh1->currentColumn());
    refreshFooters();
}

// One cell typed into a line: written with its consequences for the month as one unit; the grid
// is then re-read, so it shows what is stored. A refusal leaves everything as it was.
bool Tfr_dj::writeCell(int row, int column, const QVariant& value) {
    const qint64 rowId = model_->rowIdAt(row);
    try {
        qb::ledger::edit_line(dat_, rowId, column, value);
    } catch (const qb::DbError& error) {
        qb::messages().plain(error.message());
        return false;
    }
    reloadKeeping(rowId, DBGridEh1->currentColumn());
    refreshFooters();
    if (column == MonthModel::Ph) warnTicket(value.toString());
    return true;
}
