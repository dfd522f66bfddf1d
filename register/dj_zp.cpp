// "支票登记簿": the cheque register of the bank book on show, in a window of its own beside the
// register; opened on a line, it selects the leaf the line's ticket number names, ready to print.
// "打印支票" on a journal line prints the cheque its ticket number names.
#include <QAction>
#include <QTreeWidgetItem>
#include <optional>

#include "bankrec.h"
#include "cheques.h"
#include "desksettings.h"
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

void Tfr_dj::addChequeAction() {
    QTableView* view = DBGridEh1->view();
    auto* print = new QAction(QStringLiteral("打印支票"), view);
    print->setObjectName(QStringLiteral("PrintCheque"));
    view->addAction(print);
    view->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(print, &QAction::triggered, this, &Tfr_dj::printCheque);
}

void Tfr_dj::printCheque() {
    if (!journalOnShow()) return;
    const int row = DBGridEh1->currentRow();
    const QString ticket =
        row >= 0 ? model_->index(row, MonthModel::Ph).data().toString().trimmed() : QString();
    if (ticket.isEmpty()) {
        qb::messages().plain(QStringLiteral("请先选择票号栏填有支票号码的一行，再打印支票。"));
        return;
    }
    std::optional<qb::cheques::Leaf> leaf;
    guarded([&] {
        for (const qb::cheques::Leaf& l : qb::cheques::leaves(dat_, current_book_id))
            if (l.serial == ticket) leaf = l;
    });
    if (!leaf) {
        qb::messages().plain(
            QStringLiteral("这一行的票号“%1”不是本账簿支票簿中的支票号码，没有可打印的支票。")
                .arg(ticket));
        return;
    }
    if (leaf->state == qb::cheques::kIssued && leaf->payee.isEmpty()) {
        zpdj();
        qb::messages().plain(QStringLiteral("支票 %1 还没有收款人：请在支票登记簿中填写收款人，"
                                            "点“开出”后再打印。")
                                 .arg(ticket));
        return;
    }
    previewCheque(dat_, current_book_id, ticket, qb::desksettings::chequeOffset(), this);
}

void Tfr_dj::warnTicket(const QString& ticket) {
    QString warning;
    guarded([&] { warning = qb::cheques::ticket_warning(dat_, current_book_id, ticket); });
    if (!warning.isEmpty()) qb::messages().plain(warning);
}

Tfr_zp* Tfr_dj::chequeWindow() const {
    return zp_;
}
