// What the reconciliation window shows: both sides' lines with their ticks, and the figures.
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>
#include <set>

#include "dz.h"
#include "months.h"

namespace {

using qb::money::Cents;

const QColor kTicked(220, 242, 220);
const QColor kCarried(128, 64, 0);

QTableWidgetItem* cell(const QString& text, bool right = false) {
    auto* item = new QTableWidgetItem(text);
    if (right) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QString amountOrBlank(Cents cents) {
    return cents ? qb::money::grouped(cents) : QString();
}

// A row's cells, shaded when ticked and brown when an earlier month left it outstanding.
void setRow(QTableWidget* grid, int row, const std::vector<QTableWidgetItem*>& cells, bool ticked,
            bool carried) {
    for (int c = 0; c < int(cells.size()); ++c) {
        if (ticked) cells[size_t(c)]->setBackground(kTicked);
        if (carried) cells[size_t(c)]->setForeground(kCarried);
        grid->setItem(row, c, cells[size_t(c)]);
    }
}

}  // namespace

void Tfr_dz::showReconciliation() {
    const QSignalBlocker quietStatement(StatementGrid);
    const QSignalBlocker quietJournal(JournalLines);
    fillStatementGrid();
    fillJournalGrid();
    {
        const QSignalBlocker quiet(SpinEdit1);
        SpinEdit1->setValue(rec_.tolerance);
    }
    const bool fromStatement = rec_.closingFrom == qb::bankrec::ClosingFrom::Statement;
    Edit1->setReadOnly(fromStatement);
    Edit1->setToolTip(fromStatement ? QStringLiteral("对账单给出了余额，期末余额取其最后一笔")
                                    : QStringLiteral("对账单没有余额时，在这里填写银行的期末余额"));
    Edit1->setText(rec_.hasStatement() ? qb::money::grouped(rec_.bankClosing) : QString());
    const QString file =
        rec_.statementFile.isEmpty()
            ? QStringLiteral("未导入对账单")
            : QStringLiteral("对账单：%1").arg(QFileInfo(rec_.statementFile).fileName());
    Label1->setText(QStringLiteral("%1　%2　%3%4")
                        .arg(caption_, qb::months::monthText(rec_.month), file,
                             rec_.saved && !unsaved_ ? QStringLiteral("（已保存）") : QString()));
    Label2->setText(rec_.notes.join(QLatin1Char(' ')));
    Label2->setVisible(!rec_.notes.isEmpty());
    showSums();
}

void Tfr_dz::fillStatementGrid() {
    const QString month = qb::months::monthText(rec_.month);
    StatementGrid->setRowCount(int(rec_.bank.size()));
    for (size_t i = 0; i < rec_.bank.size(); ++i) {
        const qb::bankrec::BankItem& item = rec_.bank[i];
        const int ticked = rec_.match[i];
        const QString tick =
            ticked < 0 ? QString()
                       : QStringLiteral("✓ 凭证 %1").arg(rec_.book[size_t(ticked)].voucher);
        setRow(
            StatementGrid, int(i),
            {cell(item.month == month ? QStringLiteral("本月") : item.month),
             cell(qb::months::iso(item.date)), cell(item.summary), cell(item.counterparty),
             cell(item.serial), cell(amountOrBlank(std::max<Cents>(item.amount, 0)), true),
             cell(amountOrBlank(std::max<Cents>(-item.amount, 0)), true),
             cell(item.balance ? qb::money::grouped(*item.balance) : QString(), true), cell(tick)},
            ticked >= 0, item.month != month);
    }
    StatementGrid->resizeColumnsToContents();
}

void Tfr_dz::fillJournalGrid() {
    const std::vector<int> partners = rec_.bookMatches();
    JournalLines->setRowCount(int(rec_.book.size()));
    for (size_t j = 0; j < rec_.book.size(); ++j) {
        const qb::bankrec::BookItem& item = rec_.book[j];
        const bool carried = qb::months::firstDay(item.date) != rec_.month;
        const int ticked = partners[j];
        const QString tick =
            ticked < 0
                ? QString()
                : QStringLiteral("✓ %1").arg(qb::months::iso(rec_.bank[size_t(ticked)].date));
        setRow(JournalLines, int(j),
               {cell(carried ? qb::months::monthText(item.date) : QStringLiteral("本月")),
                cell(qb::months::iso(item.date)), cell(QString::number(item.voucher), true),
                cell(item.ticket), cell(item.summary),
                cell(amountOrBlank(std::max<Cents>(item.amount, 0)), true),
                cell(amountOrBlank(std::max<Cents>(-item.amount, 0)), true), cell(tick)},
               ticked >= 0, carried);
    }
    JournalLines->resizeColumnsToContents();
}

void Tfr_dz::showSums() {
    const bool known = rec_.hasStatement();
    const qb::bankrec::Groups g = rec_.groups();
    const Cents figures[8] = {rec_.bookClosing, g.bankReceived, g.bankPaid, g.adjustedBook,
                              rec_.bankClosing, g.bookReceived, g.bookPaid, g.adjustedBank};
    for (int k = 0; k < 8; ++k)
        sums_[size_t(k)]->setText(known || k == 0 ? qb::money::grouped(figures[k])
                                                  : QStringLiteral("—"));
    QLabel* difference = sums_.back();
    if (!known) {
        difference->setText(QStringLiteral("请导入本月的银行对账单，或填写对账单期末余额。"));
        difference->setStyleSheet(QString());
    } else if (g.difference() == 0) {
        difference->setText(QStringLiteral("调节后余额相符。"));
        difference->setStyleSheet(QStringLiteral("color: green; font-weight: bold;"));
    } else {
        difference->setText(QStringLiteral("调节后余额不相符：差额 %1（日记帐一方减银行一方）。")
                                .arg(qb::money::grouped(g.difference())));
        difference->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    }
}

std::vector<int> Tfr_dz::selectedRows(QTableWidget* grid) const {
    std::set<int> rows;
    for (const QModelIndex& index : grid->selectionModel()->selectedRows())
        rows.insert(index.row());
    return {rows.begin(), rows.end()};
}

void Tfr_dz::selectPartner(QTableWidget* from) {
    const std::vector<int> rows = selectedRows(from);
    if (rows.size() != 1) return;
    const bool statement = from == StatementGrid;
    const int partner =
        statement ? rec_.match[size_t(rows.front())] : rec_.bookMatches()[size_t(rows.front())];
    if (partner < 0) return;
    QTableWidget* other = statement ? JournalLines : StatementGrid;
    const QSignalBlocker quiet(other);
    other->selectRow(partner);
    other->scrollToItem(other->item(partner, 0));
}
