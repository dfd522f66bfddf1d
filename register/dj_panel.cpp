// The entry panel: a line typed field by field and saved through the same ledger writer as every
// other line, so the panel and the grid never disagree on a balance.
#include <QCheckBox>
#include <QDateEdit>
#include <QTreeWidget>

#include "dj.h"
#include "entrypanel.h"
#include "griddelegate.h"
#include "guarded.h"
#include "gymk.h"
#include "journalgrid.h"
#include "ledger.h"
#include "monthmodel.h"
#include "phrases.h"
#include "session.h"

void Tfr_dj::connectPanel() {
    connect(CheckBox1, &QCheckBox::clicked, this, &Tfr_dj::CheckBox1Click);
    connect(Panel2, &EntryPanel::newRequested, this, &Tfr_dj::SB1Click);
    connect(Panel2, &EntryPanel::saveRequested, this, &Tfr_dj::saveEntry);
    // Another voucher number or summary may put the line elsewhere in the day's order.
    connect(Panel2, &EntryPanel::voucherEdited, this, &Tfr_dj::showBalanceBefore);
    connect(Panel2, &EntryPanel::summaryEntered, this,
            [this] { Panel2->offerPhrases(qb::phrases::all(dat_)); });
    // The summary decides a new line's place among its voucher's lines, so its balance before.
    connect(Panel2, &EntryPanel::summaryLeft, this, [this] { showBalanceBefore(); });
    // A click into the grid goes back to typing lines there.
    connect(DBGridEh1->view(), &QAbstractItemView::pressed, this, [this] {
        if (CheckBox1->isChecked()) leavePanel();
    });
}

void Tfr_dj::CheckBox1Click() {
    if (!CheckBox1->isChecked()) {
        leavePanel();
        DBGridEh1->view()->setFocus();
        return;
    }
    if (!session_.mayWrite() || !bookWritable() || monthClosed_) {
        leavePanel();
        return;
    }
    DBGridEh1->view()->finishEdit();
    setCommands();
    Panel2->show();
    showPanelNumbers();
    Panel2->focusFirst();
}

void Tfr_dj::showPanelNumbers() {
    Panel2->setVoucher(qb::ledger::next_voucher(dat_, current_book_id, shownMonth_));
    showBalanceBefore();
}

void Tfr_dj::showBalanceBefore() {
    const std::optional<int> voucher = Panel2->voucher();
    if (!voucher || !journalOnShow()) return;
    const QDate date = followUp_.isValid() ? followUp_.date() : dtp->date();
    Panel2->setBalanceBefore(
        qb::ledger::balance_before(dat_, current_book_id, date, *voucher, Panel2->summary()));
}

void Tfr_dj::SB1Click() {
    if (!journalOnShow()) return;
    // Emptied first: an amount left unreadable would be computed with, and refused, once more.
    Panel2->clearEntry();
    showPanelNumbers();
    Panel2->focusFirst();
}

bool Tfr_dj::sb2Click() {
    if (!bookWritable() || Panel2->isHidden()) return false;
    const bool correcting = followUp_.isValid();
    // The panel adds lines as "添加(&A)" does; only the correcting entry after a reversal goes
    // into a closed month, by the right the reversal gave.
    if (!correcting && (!session_.mayWrite() || !canChangeMonth("添加"))) return false;
    std::optional<qb::ledger::LineFields> line = Panel2->entry();
    if (!line) return false;
    line->date = dtp->date();
    line->handler = session_.login_user;
    const qb::cashlimit::Standing before = dayEnd(line->date);
    qint64 rowId = 0;
    if (!guarded([&] {
            rowId = correcting ? qb::ledger::add_correcting_entry(dat_, followUp_, *line)
                               : qb::ledger::insert_line(dat_, current_book_id, *line);
        }))
        return false;
    // Only a saved line teaches its summary: a refused one must not fill the phrase list.
    const QString learned = qb::phrases::learn(dat_, line->summary);
    GridDelegate* cells = DBGridEh1->delegate();
    if (!learned.isEmpty()) cells->setPhrases(cells->phrases() + QStringList{learned});
    reloadKeeping(rowId, MonthModel::Dzrq);
    refreshFooters();
    warnTicket(line->ticket);
    warnCashLimit(line->date, before);
    return true;
}

void Tfr_dj::saveEntry() {
    if (!sb2Click()) return;
    SB1Click();
    if (!gymk::month_closed(dat_, QString(), current_book_id, gymk::SilentMode, shownMonth_))
        return;
    // The correcting entry is in; a closed month takes nothing more from the panel.
    const bool correcting = followUp_.isValid();
    TreeView1->setFocus();
    leavePanel();
    if (correcting) remindRepost();
}

void Tfr_dj::leavePanel() {
    {
        const QSignalBlocker quiet(CheckBox1);
        CheckBox1->setChecked(false);
    }
    followUp_ = {};
    Panel2->unlock();
    Panel2->hide();
    setCommands();
}

void Tfr_dj::panelFollowsView() {
    if (!CheckBox1->isChecked()) return;
    if (journalOnShow() && !monthClosed_)
        showPanelNumbers();
    else
        leavePanel();
}
