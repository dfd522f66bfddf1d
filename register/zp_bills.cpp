// The cheque register's second page: the bank book's bills (承兑汇票) by due date, those
// outstanding and due within the desk's billsDueDays on yellow, those overdue in red; a bill
// entered, honoured or returned.
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "cheques.h"
#include "desksettings.h"
#include "guarded.h"
#include "months.h"
#include "session.h"
#include "zp.h"
#include "zp_parts.h"

namespace C = qb::cheques;
using namespace zp_parts;

namespace {

const QStringList kBillColumns{"到期日", "种类",          "收到/开出", "号码",
                               "金额",   "出票人/收款人", "出票日期",  "状态"};

}  // namespace

QWidget* Tfr_zp::buildBillsPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    Label2 = named<QLabel>(page, "Label2");
    layout->addWidget(Label2);
    DBGrid2 = table(page, "DBGrid2", kBillColumns);
    layout->addWidget(DBGrid2, 1);

    ComboBox3 = named<QComboBox>(page, "ComboBox3");
    ComboBox3->addItems({C::kBankAcceptance, C::kTradeAcceptance});
    ComboBox4 = named<QComboBox>(page, "ComboBox4");
    ComboBox4->addItems({C::kReceived, C::kIssuedBill});
    Edit9 = named<QLineEdit>(page, "Edit9");
    Edit9->setMaxLength(30);
    Edit10 = named<QLineEdit>(page, "Edit10");
    Edit11 = named<QLineEdit>(page, "Edit11");
    Edit11->setMaxLength(60);
    DateEdit3 = dateEdit(page, "DateEdit3");
    DateEdit4 = dateEdit(page, "DateEdit4");
    auto* fields = fieldGrid(page, {{QStringLiteral("种类："), ComboBox3},
                                    {QStringLiteral("收到/开出："), ComboBox4},
                                    {QStringLiteral("号码："), Edit9},
                                    {QStringLiteral("金额："), Edit10},
                                    {QStringLiteral("出票人/收款人："), Edit11},
                                    {QStringLiteral("出票日期："), DateEdit3},
                                    {QStringLiteral("到期日："), DateEdit4}});
    layout->addLayout(fields);

    auto* actions = new QHBoxLayout;
    SpeedButton12 = button(page, "SpeedButton12", QStringLiteral("登记票据"));
    SpeedButton13 = button(page, "SpeedButton13", QStringLiteral("兑付"));
    SpeedButton14 = button(page, "SpeedButton14", QStringLiteral("退回"));
    for (QToolButton* b : {SpeedButton12, SpeedButton13, SpeedButton14})
        actions->addWidget(b);
    actions->addStretch();
    layout->addLayout(actions);
    return page;
}

void Tfr_zp::loadBills() {
    const qint64 keep = selectedBill();
    const int days = qb::desksettings::billsDueDays();
    const QDate today = QDate::currentDate();
    Label2->setText(
        QStringLiteral("按到期日排列。黄底：%1 天内到期未兑付；红字：已过期未兑付").arg(days));
    guarded([&] {
        const std::vector<C::Bill> bills = C::bills(dat_, bookId_);
        DBGrid2->setRowCount(int(bills.size()));
        for (int r = 0; r < int(bills.size()); ++r) {
            const C::Bill& b = bills[size_t(r)];
            const bool outstanding = b.state == C::kOutstanding;
            setRow(DBGrid2, r,
                   {qb::months::iso(b.due), b.kind, b.direction, b.number,
                    qb::money::grouped(b.amount), b.party, qb::months::iso(b.issued), b.state},
                   outstanding && b.due < today ? QColor(Qt::red)
                   : outstanding                ? QColor()
                                                : QColor(Qt::gray),
                   outstanding && b.due >= today && b.due <= today.addDays(days)
                       ? QColor(255, 240, 150)
                       : QColor());
            DBGrid2->item(r, 0)->setData(Qt::UserRole, b.id);
        }
    });
    DBGrid2->resizeColumnsToContents();
    selectBill(keep);
}

qint64 Tfr_zp::selectedBill() const {
    const int row = DBGrid2->currentRow();
    return row >= 0 && DBGrid2->item(row, 0)
               ? DBGrid2->item(row, 0)->data(Qt::UserRole).toLongLong()
               : 0;
}

void Tfr_zp::selectBill(qint64 id) {
    for (int r = 0; r < DBGrid2->rowCount(); ++r)
        if (DBGrid2->item(r, 0)->data(Qt::UserRole).toLongLong() == id) DBGrid2->selectRow(r);
}

void Tfr_zp::SpeedButton12Click() {
    qint64 added = 0;
    change([&] {
        C::Bill bill;
        bill.bookId = bookId_;
        bill.kind = ComboBox3->currentText();
        bill.direction = ComboBox4->currentText();
        bill.number = Edit9->text();
        bill.amount = typedAmount(Edit10, QStringLiteral("金额"));
        bill.party = Edit11->text();
        bill.issued = DateEdit3->date();
        bill.due = DateEdit4->date();
        added = C::add_bill(dat_, bill, session_.login_user);
        for (QLineEdit* e : {Edit9, Edit10, Edit11})
            e->clear();
    });
    if (added) selectBill(added);
}

void Tfr_zp::settleSelectedBill(const QString& state) {
    const qint64 id = selectedBill();
    change([&] {
        if (!id) throw qb::DbError(QStringLiteral("请先在列表中选择一张票据。"));
        C::settle_bill(dat_, id, state, session_.login_user);
    });
}

void Tfr_zp::SpeedButton13Click() {
    settleSelectedBill(C::kPaid);
}

void Tfr_zp::SpeedButton14Click() {
    settleSelectedBill(C::kReturned);
}
