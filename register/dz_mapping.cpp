// The statement's columns named by the cashier, for a layout whose titles are not known.
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>

#include "dz.h"
#include "messages.h"
#include "widgets.h"

std::optional<qb::statement::Mapping> askStatementColumns(QWidget* parent,
                                                          const qb::statement::Table& table,
                                                          const qb::statement::Mapping& guess) {
    namespace S = qb::statement;
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("MappingDialog"));
    dialog.setWindowTitle(QStringLiteral("指定对账单的列"));
    auto* form = new QFormLayout(&dialog);
    form->addRow(new QLabel(QStringLiteral("无法从 %1 第 %2 行的标题认出各列，请指定一次；"
                                           "本帐簿以后的对账单按此读取。")
                                .arg(QFileInfo(table.path).fileName())
                                .arg(table.headerLine),
                            &dialog));
    std::vector<QComboBox*> boxes;
    for (int f = 0; f < S::FieldCount; ++f) {
        auto* box = new QComboBox(&dialog);
        box->setObjectName(QStringLiteral("Field%1").arg(f));
        box->addItem(QStringLiteral("（无）"));
        box->addItems(table.titles);
        box->setCurrentIndex(guess.columns[size_t(f)] + 1);
        form->addRow(S::field_caption(S::Field(f)) + QStringLiteral("："), box);
        boxes.push_back(box);
    }
    form->addRow(okCancelButtons(&dialog));
    while (dialog.exec() == QDialog::Accepted) {
        S::Mapping mapping;
        for (int f = 0; f < S::FieldCount; ++f)
            mapping.columns[size_t(f)] = boxes[size_t(f)]->currentIndex() - 1;
        if (mapping.complete()) return mapping;
        qb::messages().plain(
            QStringLiteral("请至少指定交易日期，以及收入和支出两列，或一列金额（带符号，"
                           "或另有一列借贷方向）。"));
    }
    return std::nullopt;
}
