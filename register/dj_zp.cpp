// "支票登记簿": the cheque register of the bank book on show, in a window of its own beside the
// register; opened on a line, it selects the leaf the line's ticket number names, ready to print.
#include <QTreeWidgetItem>

#include "bankrec.h"
#include "cheques.h"
#include "dj.h"
#include "guarded.h"
#include "journalgrid.h"
#include "messages.h"
#include "monthmodel.h"
#include "zp.h"

void Tfr_dj::zpdj() {
    if (!journalOnShow()) return;
    const QString category = onShow_->text(0);
    if (!qb::bankrec::is_bank_book(category)) {
        qb::messages().plain(QStringLiteral("只有银行日记帐、银行卡等银行帐簿才有支票登记簿。"));
        return;
    }
    const int row = DBGridEh1->currentRow();
    const QString ticket =
        row >= 0 ? model_->index(row, MonthModel::Ph).data().toString().trimmed() : QString();
    if (!zp_ || zp_->bookId() != current_book_id) {
        if (zp_) zp_->close();
        auto* zp = new Tfr_zp(session_, current_book_id, onShow_->parent()->text(0), category);
        zp->setAttribute(Qt::WA_DeleteOnClose);
        const QString book = current_book_id;
        connect(zp, &Tfr_zp::journalChanged, this, [this, book] {
            if (journalOnShow() && current_book_id == book) SpeedButton4Click();
        });
        zp_ = zp;
        showBeside(zp);
    } else {
        zp_->load_dat();
    }
    if (!ticket.isEmpty()) zp_->selectSerial(ticket);
    zp_->activateWindow();
    zp_->raise();
}

void Tfr_dj::warnTicket(const QString& ticket) {
    QString warning;
    guarded([&] { warning = qb::cheques::ticket_warning(dat_, current_book_id, ticket); });
    if (!warning.isEmpty()) qb::messages().plain(warning);
}

Tfr_zp* Tfr_dj::chequeWindow() const {
    return zp_;
}
