// Typing in the grid: adding and deleting lines and writing cells, each through the ledger
// operation that also carries the running balance down the month.
#include <QDateEdit>
#include <QLineEdit>

#include "dj.h"
#include "errors.h"
#include "guarded.h"
#include "gymk.h"
#include "journalgrid.h"
#include "ledger.h"
#include "messages.h"
#include "money.h"
#include "monthmodel.h"
#include "session.h"

namespace {

// "删除 2026-12-05 凭证 21「购办公用品」贷 68.50？": the line named as the cashier knows it.
QString deleteQuestion(const MonthModel& model, int row) {
    const auto shown = [&](int column) { return model.data(model.index(row, column)).toString(); };
    QString amounts;
    if (const qb::money::Cents debit = model.centsAt(row, MonthModel::JJe))
        amounts += QStringLiteral(" 借 ") + qb::money::text(debit);
    if (const qb::money::Cents credit = model.centsAt(row, MonthModel::DJe))
        amounts += QStringLiteral(" 贷 ") + qb::money::text(credit);
    return QStringLiteral("删除 %1 凭证 %2「%3」%4？")
        .arg(shown(MonthModel::Dzrq), shown(MonthModel::Pzh), model.summaryAt(row),
             amounts.trimmed());
}

}  // namespace

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
    if (qb::messages().ask(QStringLiteral("系统提示"), deleteQuestion(*model_, row),
                           qb::MsgIcon::Question, qb::MsgButtons::YesNo) != qb::MsgAnswer::Yes)
        return;
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
    const QDate day =
        column == MonthModel::Dzrq
            ? value.toDate()
            : model_->data(model_->index(row, MonthModel::Dzrq), Qt::EditRole).toDate();
    const qb::cashlimit::Standing before = dayEnd(day);
    try {
        qb::ledger::edit_line(dat_, rowId, column, value);
    } catch (const qb::DbError& error) {
        qb::messages().plain(error.message());
        return false;
    }
    reloadKeeping(rowId, DBGridEh1->currentColumn());
    refreshFooters();
    if (column == MonthModel::Ph) warnTicket(value.toString());
    warnCashLimit(day, before);
    return true;
}

qb::cashlimit::Standing Tfr_dj::dayEnd(const QDate& day) {
    qb::cashlimit::Standing standing = qb::cashlimit::Standing::Within;
    guarded([&] { standing = qb::cashlimit::day_end(dat_, current_book_id, day); });
    return standing;
}

void Tfr_dj::warnCashLimit(const QDate& day, qb::cashlimit::Standing before) {
    QString warning;
    guarded(
        [&] { warning = qb::cashlimit::warning_after_save(dat_, current_book_id, day, before); });
    if (!warning.isEmpty()) qb::messages().plain(warning);
}
