// The month on show into the workbook "qbk.xls" in the working directory, which the desktop's
// spreadsheet program then opens for the cashier to print or save.
#include <QDesktopServices>
#include <QDir>
#include <QTreeWidgetItem>
#include <QUrl>

#include "dj.h"
#include "errors.h"
#include "filterrow.h"
#include "gymk_export.h"
#include "journalgrid.h"
#include "messages.h"
#include "monthmodel.h"
#include "session.h"
#include "widgets.h"

namespace {

// The system's own words from the days of Excel automation, then what went wrong.
void exportFailed(const QString& reason) {
    qb::messages().ask(QStringLiteral("提示"),
                       QStringLiteral("无法调用MircorSoft Excel! \r\n"
                                      "请检查是否安装了MircorSoft Excel。\n") +
                           reason,
                       qb::MsgIcon::Information, qb::MsgButtons::Ok);
}

}  // namespace

void Tfr_dj::turnexcel() {
    if (!session_.permits(qb::roles::Action::Export)) return;
    if (!journalOnShow()) return;
    if (qb::messages().ask(QStringLiteral("系统提示"),
                           QStringLiteral("确认要将数据导入到Excel文档吗？"),
                           qb::MsgIcon::Information, qb::MsgButtons::YesNo) != qb::MsgAnswer::Yes)
        return;
    DBGridEh1->view()->finishEdit();
    // The export holds the user-interface thread: the status says so before it starts.
    session_.setStatusText(QStringLiteral("系统正在将数据导出到EXCEL文档......"));
    const gymk::SheetHeadings headings{onShow_->text(0), onShow_->parent()->text(0)};
    // What the grid shows: a filtered grid exports the lines it lets through.
    const auto shown = [this](int row) {
        return DBGridEh1->proxy()->mapFromSource(model_->index(row, 0)).isValid();
    };
    QString path;
    QString failure;
    try {
        const WaitCursor waiting;
        path = gymk::export_to_excel(Query1, headings, QDir::currentPath(), QString(), shown);
    } catch (const qb::DbError& error) {
        failure = error.message();
    }
    if (failure.isEmpty() && !QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        failure =
            QStringLiteral("没有找到可以打开 %1 的电子表格程序；数据已写入该文件。").arg(path);
    if (!failure.isEmpty()) exportFailed(failure);
    session_.setStatusText(QStringLiteral("导出完成"));
}
