// Typing in the grid: adding and deleting lines, and carrying the running balance down the
// month after every change of a line.
#include <QLineEdit>

#include <QDateEdit>

#include "dj.h"
#include "errors.h"
#include "gymk.h"
#include "journalgrid.h"
#include "ledger.h"
#include "messages.h"
#include "monthmodel.h"
#include "session.h"

namespace {
const QString kNoRight = QStringLiteral("对不起，你没有修改权限！请以管理员或操作员身份登录.");
}

bool Tfr_dj::canChangeMonth(const char* verb) const {
    return !gymk::month_closed(dat_, QString::fromUtf8(verb), current_book_id, gymk::MessageMode,
                               shownMonth_);
}

void Tfr_dj::SpeedButton1Click() {
    if (session_.role_code == Session::OrdinaryUser) {
        qb::messages().plain(kNoRight);
        return;
    }
    if (!journalOnShow() || !canChangeMonth("添加")) return;
    DBGridEh1->view()->finishEdit();
    // A new line must be seen: filters that would hide it are cleared.
    for (int column = 0; column < MonthModel::ColumnCount; ++column)
        if (QLineEdit* filter = DBGridEh1->filterEditor(column)) filter->clear();
    qb::ledger::NewLine line;
    try {
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
    if (session_.role_code == Session::OrdinaryUser) {
        qb::messages().plain(kNoRight);
        return;
    }
    if (!canChangeMonth("删除")) return;
    const int row = DBGridEh1->currentRow();
    if (row < 0 || model_->isMarkerRow(row)) return;
    DBGridEh1->view()->finishEdit();
    const qint64 rowId = model_->rowIdAt(row);
    bool deleted = false;
    try {
        // The lines after a deleted one lose its amounts from their balances at once.
        qb::Transaction unit(dat_);
        deleted = qb::ledger::delete_line(dat_, rowId) == qb::ledger::DeleteResult::Deleted;
        if (deleted) {
            qb::ledger::recalc_month(dat_, current_book_id, shownMonth_);
            unit.commit();
        }
    } catch (const qb::DbError&) {
        deleted = false;
    }
    if (!deleted) qb::messages().plain(QStringLiteral("删除失败！"));
    model_->reload();
    if (model_->rowCount() > 0)
        DBGridEh1->setCurrent(std::min(row, model_->rowCount() - 1), DBGridEh1->currentColumn());
    refreshFooters();
}

// One cell typed into a line: the line is written and the balances carried on as one unit, so
// a failure leaves the database and, after the re-read, the grid as they were.
bool Tfr_dj::writeCell(int row, int column, const QVariant& value) {
    const qint64 rowId = model_->rowIdAt(row);
    postedColumn_ = column;
    try {
        qb::Transaction unit(dat_);
        Query1.setRecNo(row + 1);
        Query1.edit();
        Query1.setValue(column, value);
        Query1.post();
        unit.commit();
    } catch (const qb::DbError& error) {
        Query1.cancel();
        postedColumn_ = -1;
        qb::messages().plain(error.message());
        reloadKeeping(rowId, column);
        refreshFooters();
        return false;
    }
    postedColumn_ = -1;
    return true;
}

void Tfr_dj::Query1AfterPost(qb::Query& query) {
    const qint64 rowId = query.rowId();
    const int column = postedColumn_;
    const bool amounts = column < 0 || column == MonthModel::JJe || column == MonthModel::DJe;
    const bool moved =
        column == MonthModel::Dzrq || column == MonthModel::Pzh || column == MonthModel::Zy;
    if (amounts) {
        qb::ledger::propagate_from(dat_, rowId);
    } else if (moved && (query.field(MonthModel::JJe).asCents() != 0 ||
                         query.field(MonthModel::DJe).asCents() != 0)) {
        // A line with amounts that moves in the month's order changes the balances between its
        // old and its new place.
        qb::ledger::recalc_month(dat_, current_book_id, shownMonth_);
    }
    reloadKeeping(rowId, DBGridEh1->currentColumn());
    refreshFooters();
}
