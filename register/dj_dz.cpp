// "银行对账": the bank book on show held against the bank's statement, in a window of its own
// beside the register.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTreeWidgetItem>

#include "bankrec.h"
#include "dj.h"
#include "dz.h"
#include "journalgrid.h"
#include "messages.h"

void Tfr_dj::yhdz() {
    if (!bookWritable()) return;
    const QString category = onShow_->text(0);
    if (!qb::bankrec::is_bank_book(category)) {
        qb::messages().plain(
            QStringLiteral("只有银行日记帐、银行卡等银行帐簿才能与银行对账单对账。"));
        return;
    }
    DBGridEh1->view()->finishEdit();
    if (dz_ && dz_->bookId() == current_book_id && dz_->month() == shownMonth_) {
        dz_->activateWindow();
        dz_->raise();
        return;
    }
    auto* dz =
        new Tfr_dz(session_, current_book_id, onShow_->parent()->text(0), category, shownMonth_);
    dz->setAttribute(Qt::WA_DeleteOnClose);
    // Lines added from the statement show in the register at once, if it still shows the book.
    const QString book = current_book_id;
    connect(dz, &Tfr_dz::journalChanged, this, [this, book] {
        if (journalOnShow() && current_book_id == book) SpeedButton4Click();
    });
    dz_ = dz;
    showBeside(dz);
}

void Tfr_dj::showBeside(QWidget* window) {
    auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (frame && frame->mdiArea()) {
        QMdiSubWindow* sub = frame->mdiArea()->addSubWindow(window);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->resize(window->size());
        sub->show();
    } else {
        // A register on its own (tests, tools): the window is one of its own.
        window->setParent(this, Qt::Window);
        window->show();
    }
}

Tfr_dz* Tfr_dj::reconciliationWindow() const {
    return dz_;
}
