#include "oplog_report.h"

#include <QHash>
#include <memory>

#include "report.h"

namespace qb::report {

bool operation_log_report(Report& report, const QString& templatePath,
                          const std::vector<oplog::Entry>& entries,
                          const std::vector<std::pair<QString, QString>>& bookCaptions,
                          const QString& heading) {
    if (!report.load(templatePath) || !report.setText(QStringLiteral("Memo1"), heading))
        return false;
    const QHash<QString, QString> captions(bookCaptions.begin(), bookCaptions.end());
    auto rows = std::make_shared<TableDataSource>(
        QStringList{QStringLiteral("sj"), QStringLiteral("yh"), QStringLiteral("sf"),
                    QStringLiteral("cz"), QStringLiteral("zb"), QStringLiteral("yf"),
                    QStringLiteral("hh"), QStringLiteral("qz"), QStringLiteral("hz")});
    for (const oplog::Entry& e : entries)
        rows->addRow({oplog::local_time(e.time), e.user, e.role, e.operation,
                      captions.value(e.bookId, e.bookId), e.month,
                      e.rowId ? QString::number(e.rowId) : QString(), e.before, e.after});
    report.setDataSource(rows);
    return true;
}

}  // namespace qb::report
