// "打印": the summary sheet as it is rendered, or the month's journal laid out in the print
// staging table with its carry lines and shown through the template "pr.rls" in a modal
// preview, from which the cashier prints.
#include <QDir>
#include <QLabel>
#include <QTreeWidgetItem>

#include "dj.h"
#include "journalgrid.h"
#include "journalprint.h"
#include "places.h"
#include "preview_dialog.h"
#include "printouts.h"
#include "report.h"
#include "report_preview.h"

void Tfr_dj::SpeedButton7Click() {
    if (sheetOnShow()) {
        rmp->print();
        return;
    }
    if (!journalOnShow()) return;
    // What was typed into a cell prints too.
    DBGridEh1->view()->finishEdit();
    const qb::journalprint::Printout printout =
        qb::journalprint::stage_journal(dat_, current_book_id, shownMonth_);
    aux_query.setSql(qb::journalprint::kStagedSql);
    aux_query.open();
    qb::report::Report RMGR;
    if (qb::report::loadJournal(
            RMGR, qb::places::shipped(QDir::currentPath(), QStringLiteral("pr.rls")),
            onShow_->parent()->text(0), onShow_->text(0), shownMonth_, printout)) {
        RMGR.setDataSource(std::make_shared<qb::report::QueryDataSource>(aux_query));
        qb::report::showPreview(RMGR, this, QStringLiteral("打印 - ") + Label3->text());
    }
    aux_query.close();
}
