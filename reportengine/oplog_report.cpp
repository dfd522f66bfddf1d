#include "oplog_report.h"

#include <QHash>
#include <memory>

#include "report.h"

namespace qb::report {

namespace {

// "日期：2026-12-01 至 今　操作员：王会计", an open end of the days as 起 or 今.
QString inWords(const oplog::Filter& filter, const QHash<QString, QString>& captions) {
    const auto day = [](const QDate& date, const QString& open) {
        return date.isValid() ? date.toString(Qt::ISODate) : open;
    };
    QStringList words{
        QStringLiteral("日期：%1 至 %2")
            .arg(day(filter.from, QStringLiteral("起")), day(filter.to, QStringLiteral("今")))};
    const QString book = !filter.bookId ? QString()
                         : filter.bookId->isEmpty()
                             ? QStringLiteral("（不涉及帐簿）")
                             : captions.value(*filter.bookId, *filter.bookId);
    const std::pair<QString, QString> chosen[] = {{QStringLiteral("操作员"), filter.user},
                                                  {QStringLiteral("操作"), filter.operation},
                                                  {QStringLiteral("帐簿"), book},
                                                  {QStringLiteral("查找"), filter.text}};
    for (const auto& [what, value] : chosen)
        if (!value.isEmpty()) words << what + QStringLiteral("：") + value;
    return words.join(QStringLiteral("　"));
}

}  // namespace

bool operation_log_report(Report& report, const QString& templatePath,
                          const std::vector<oplog::Entry>& entries, const oplog::Filter& filter,
                          const std::vector<std::pair<QString, QString>>& bookCaptions) {
    const QHash<QString, QString> captions(bookCaptions.begin(), bookCaptions.end());
    if (!report.load(templatePath) ||
        !report.setText(QStringLiteral("Memo1"), inWords(filter, captions)))
        return false;
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
