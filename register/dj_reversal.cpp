// The reversal of a line in a posted month, and the correcting entry it offers in the entry
// panel. The month's totals follow the reversal only when the month is posted again.
#include "dj.h"
#include "entrypanel.h"
#include "errors.h"
#include "gymk.h"
#include "journalgrid.h"
#include "ledger.h"
#include "messages.h"
#include "monthmodel.h"
#include "months.h"
#include "session.h"

void Tfr_dj::cz() {
    if (!session_.permits(qb::roles::Action::Reverse)) return;
    if (!bookWritable()) return;
    DBGridEh1->view()->finishEdit();
    // The entry is off where the ledger reverses nothing.
    if (!qb::ledger::month_reversible(dat_, current_book_id, shownMonth_)) return;
    const int row = DBGridEh1->currentRow();
    if (row < 0) {
        qb::messages().plain(QStringLiteral("请先在表格中点选要冲账的记录！"));
        return;
    }
    const qint64 rowId = model_->rowIdAt(row);
    qb::ledger::Reversal reversal;
    try {
        // A line that may not be reversed is refused before anything is asked.
        qb::ledger::check_reversible(dat_, rowId);
        if (!confirmed(QStringLiteral("请确认是否要冲账？"))) return;
        reversal = qb::ledger::reverse_line(dat_, rowId, session_.login_user);
    } catch (const qb::DbError& error) {
        qb::messages().plain(error.message());
        return;
    }
    reloadKeeping(reversal.reversalRowId, DBGridEh1->currentColumn());
    refreshFooters();
    if (confirmed(QStringLiteral("冲账已完成，是否需要添加一条记的记录？")))
        offerFollowUp(reversal);
    else
        remindRepost();
}

// The correcting entry in the panel, on the reversed line's date and voucher number with the
// summary "新[S]"; the cashier types the rest. Nothing typed for an earlier entry stays.
void Tfr_dj::offerFollowUp(const qb::ledger::Reversal& reversal) {
    followUp_ = reversal.correction;
    Panel2->show();
    Panel2->clearEntry();
    Panel2->setVoucher(followUp_.voucher());
    Panel2->setBalanceBefore(reversal.balanceBefore);
    Panel2->lock(followUp_.summary());
    Panel2->focusFirst();
}

void Tfr_dj::remindRepost() {
    qb::messages().plain(
        QStringLiteral("冲账后，本月的合计、累计和下月的结转余额要重新过帐才会更新，"
                       "请用“账务月结”重新过帐！"));
}
