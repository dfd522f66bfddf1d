#include "chequeprint.h"

#include <QDir>

#include "cheques.h"
#include "report.h"

namespace qb::report {

QString chequeTemplate(const QString& kind) {
    return kind == cheques::kCashCheque ? QStringLiteral("xjzp.rls") : QStringLiteral("zzzp.rls");
}

bool loadCheque(Report& report, const QString& dir, const cheques::ChequeForm& form,
                QPointF offsetMm) {
    if (!report.load(QDir(dir).filePath(chequeTemplate(form.kind)))) return false;
    const std::pair<const char*, QString> fields[] = {
        {"serial", form.serial},         {"year", form.year},
        {"month", form.month},           {"day", form.day},
        {"payee", form.payee},           {"amountInWords", form.amountInWords},
        {"purpose", form.purpose},       {"account", form.account},
        {"stubDate", form.stubDate},     {"stubPayee", form.payee},
        {"stubAmount", form.stubAmount}, {"stubPurpose", form.purpose},
    };
    for (const auto& [name, text] : fields)
        if (!report.setText(QLatin1String(name), text)) return false;
    for (int i = 0; i < cheques::kFigureBoxes; ++i)
        if (!report.setText(QStringLiteral("f%1").arg(i + 1), form.figures[size_t(i)]))
            return false;
    report.setOffset(offsetMm);
    return true;
}

bool loadCalibration(Report& report, const QString& dir, const QString& kind, QPointF offsetMm) {
    const cheques::ChequeForm sample = cheques::form_of(
        kind, QStringLiteral("00000000"), QDate::currentDate(), QStringLiteral("校准示例收款单位"),
        1234567890, QStringLiteral("校准"), QStringLiteral("0000 0000 0000 0000"));
    if (!loadCheque(report, dir, sample, offsetMm) ||
        !report.setText(
            QStringLiteral("calibration"),
            QStringLiteral("校准页（用白纸打印）：当前偏移 右 %1 毫米、下 %2 毫米。把它叠在"
                           "空白支票上对光查看，量出印出的框线比支票上的框线偏右、偏下"
                           "多少毫米，从偏移中减去后再打印一次，直到两者重合。")
                .arg(offsetMm.x())
                .arg(offsetMm.y())))
        return false;
    report.setOffset(offsetMm, true);
    return true;
}

}  // namespace qb::report
