// Month-end posting and the rebuilding of a month's running balances. Both work from the
// month's rows as the database holds them, never from what a filtered grid happens to show.
#include <QDateEdit>

#include "dj.h"
#include "errors.h"
#include "gymk.h"
#include "journalgrid.h"
#include "ledger.h"
#include "messages.h"
#include "monthmodel.h"
#include "months.h"
#include "session.h"

bool Tfr_dj::confirmed(const QString& question) {
    return qb::messages().ask(QStringLiteral("系统提示"), question, qb::MsgIcon::Information,
                              qb::MsgButtons::OkCancel) == qb::MsgAnswer::Ok;
}

void Tfr_dj::zwyj() {
    if (!session_.permits(qb::roles::Action::Post)) return;
    if (!bookWritable()) return;
    DBGridEh1->view()->finishEdit();
    const QDate month = shownMonth_;
    const bool closed =
        gymk::month_closed(dat_, QString(), current_book_id, gymk::SilentMode, month);
    if (closed && !session_.permits(qb::roles::Action::PostAgain)) return;
    qb::ledger::PostResult result;
    try {
        // A month that may not be posted is refused before anything is asked.
        qb::ledger::check_postable(dat_, current_book_id, month);
        if (!confirmed(closed ? QStringLiteral("本月数据已结转，你要重新过账吗？？")
                              : QStringLiteral("你真的要结转本月数据吗？")))
            return;
        result = qb::ledger::post_month(dat_, current_book_id, month);
    } catch (const qb::DbError& error) {
        qb::messages().plain(error.message());
        model_->reload();
        refreshFooters();
        return;
    }
    if (!result.reposted) {
        qb::messages().plain(QStringLiteral("过帐完成！"));
    } else if (result.laterMonthsUpdated > 0) {
        qb::messages().plain(QStringLiteral("二次过帐完成！\n已同时更新其后 %1 个已过账月份。")
                                 .arg(result.laterMonthsUpdated));
    } else {
        qb::messages().plain(QStringLiteral("二次过帐完成！"));
    }
    {
        const QSignalBlocker quiet(dtp);
        dtp->setDate(qb::months::nextMonth(month));
    }
    showNode(onShow_);
}

void Tfr_dj::rejsye() {
    if (!session_.permits(qb::roles::Action::Post)) return;
    if (!bookWritable()) return;
    DBGridEh1->view()->finishEdit();
    const int row = DBGridEh1->currentRow();
    const qint64 rowId = row >= 0 ? model_->rowIdAt(row) : 0;
    try {
        qb::ledger::recalc_month(dat_, current_book_id, shownMonth_);
    } catch (const qb::DbError& error) {
        qb::messages().plain(error.message());
    }
    reloadKeeping(rowId, DBGridEh1->currentColumn());
    refreshFooters();
}
