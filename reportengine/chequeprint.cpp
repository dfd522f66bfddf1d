#include "chequeprint.h"

#include <QMap>
#include <memory>

#include "months.h"
#include "places.h"
#include "report.h"

namespace qb::report {
namespace {

using cheques::Leaf;

// What the register's remarks column says of a leaf: why it was voided, that its line was
// reversed, what it was taken for and up to how much.
QString remarks(const Leaf& l) {
    QStringList said;
    if (l.state == cheques::kVoided) said << QStringLiteral("作废：") + l.voidReason;
    if (l.reversed) said << QStringLiteral("已冲账");
    if (l.state == cheques::kTaken) {
        if (!l.takenFor.isEmpty()) said << l.takenFor;
        if (l.limit) said << QStringLiteral("限额 ") + money::grouped(l.limit);
    }
    return said.join(QStringLiteral("；"));
}

std::shared_ptr<TableDataSource> registerLines(const cheques::ChequeRegister& r) {
    auto rows = std::make_shared<TableDataSource>(QStringList{
        QStringLiteral("hm"), QStringLiteral("zl"), QStringLiteral("zt"), QStringLiteral("lyr"),
        QStringLiteral("skr"), QStringLiteral("je"), QStringLiteral("cprq"), QStringLiteral("yt"),
        QStringLiteral("pzh"), QStringLiteral("bz")});
    for (const cheques::ChequeBook& b : r.books) {
        rows->addRow({b.first + QStringLiteral("–") + b.last,
                      b.kind,
                      QStringLiteral("支票簿"),
                      {},
                      {},
                      {},
                      months::iso(b.received),
                      {},
                      {},
                      QStringLiteral("%1 张，空白 %2 张").arg(b.leaves).arg(b.blank)});
        for (const Leaf& l : r.leaves)
            if (l.chequeBook == b.id)
                rows->addRow({l.serial, l.kind, cheques::shown_state(l), l.taker, l.payee,
                              l.amount ? money::text(l.amount) : QString(), months::iso(l.date),
                              l.purpose, l.voucher ? QString::number(l.voucher) : QString(),
                              remarks(l)});
    }
    return rows;
}

// "共 25 张：空白 20（跳号 1），已开出 2，已作废 2", states in the register's order.
QString counts(const cheques::ChequeRegister& r) {
    QMap<int, int> byState;
    int skipped = 0;
    const QStringList states = cheques::states();
    for (const Leaf& l : r.leaves) {
        ++byState[int(states.indexOf(l.state))];
        skipped += l.skipped;
    }
    QStringList said;
    for (auto it = byState.cbegin(); it != byState.cend(); ++it) {
        QString part = QStringLiteral("%1 %2").arg(states.value(it.key())).arg(it.value());
        if (states.value(it.key()) == cheques::kBlank && skipped)
            part += QStringLiteral("（跳号 %1）").arg(skipped);
        said << part;
    }
    return QStringLiteral("共 %1 张%2%3")
        .arg(r.leaves.size())
        .arg(said.isEmpty() ? QString() : QStringLiteral("："), said.join(QStringLiteral("，")));
}

}  // namespace

QString chequeTemplate(const QString& kind) {
    return kind == cheques::kCashCheque ? QStringLiteral("xjzp.rls") : QStringLiteral("zzzp.rls");
}

bool loadCheque(Report& report, const QString& dir, const cheques::ChequeForm& form,
                QPointF offsetMm) {
    if (!report.load(places::shipped(dir, chequeTemplate(form.kind)))) return false;
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

bool loadChequeRegister(Report& report, const QString& dir, const cheques::ChequeRegister& r) {
    if (!report.load(places::shipped(dir, QStringLiteral("zpdj.rls")))) return false;
    const std::pair<const char*, QString> texts[] = {
        {"Memo1", QStringLiteral("账簿：") + r.book},
        {"Memo2", QStringLiteral("账号：") + r.account},
        {"Memo3",
         QStringLiteral("状态：") + (r.state.isEmpty() ? QStringLiteral("全部") : r.state)},
        {"counts", counts(r)},
        {"written", QStringLiteral("开出金额合计：") + money::grouped(r.written)},
    };
    for (const auto& [name, text] : texts)
        if (!report.setText(QLatin1String(name), text)) return false;
    report.setDataSource(registerLines(r));
    return true;
}

}  // namespace qb::report
