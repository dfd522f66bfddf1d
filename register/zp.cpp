#include "zp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <functional>

#include "chequeform.h"
#include "chequeprint.h"
#include "cheques.h"
#include "desksettings.h"
#include "guarded.h"
#include "messages.h"
#include "months.h"
#include "preview_dialog.h"
#include "report.h"
#include "report_preview.h"
#include "session.h"
#include "zp_parts.h"

namespace C = qb::cheques;
using namespace zp_parts;

namespace {

const QStringList kLeafColumns{"号码",   "种类",   "状态",     "领用人",   "领用用途",
                               "限额",   "收款人", "金额",     "出票日期", "用途",
                               "凭证号", "冲账",   "作废原因", "经办人"};
const QStringList kBookColumns{"种类", "起始号码", "终止号码", "领购日期", "张数", "空白"};

}  // namespace

Tfr_zp::Tfr_zp(Session& session, const QString& bookId, const QString& bookName,
               const QString& category, QWidget* parent)
    : QWidget(parent), session_(session), dat_(session.dat), bookId_(bookId) {
    setObjectName(QStringLiteral("fr_zp"));
    setWindowTitle(QStringLiteral("支票登记簿"));
    buildLayout();
    Label1->setText(QStringLiteral("账簿：%1-%2").arg(bookName, category));
    load_dat();
    resize(980, 620);
}

void Tfr_zp::buildLayout() {
    auto* window = new QVBoxLayout(this);
    Label1 = named<QLabel>(this, "Label1");
    window->addWidget(Label1);
    auto* pages = named<QTabWidget>(this, "PageControl1");
    window->addWidget(pages, 1);
    auto* chequesPage = new QWidget(pages);
    auto* layout = new QVBoxLayout(chequesPage);
    pages->addTab(chequesPage, QStringLiteral("支票"));
    pages->addTab(buildBillsPage(), QStringLiteral("承兑汇票"));

    auto* books = new QHBoxLayout;
    ListView1 = table(this, "ListView1", kBookColumns);
    ListView1->setMaximumHeight(110);
    books->addWidget(ListView1, 1);
    auto* add = new QFormLayout;
    ComboBox1 = named<QComboBox>(this, "ComboBox1");
    ComboBox1->addItems({C::kTransferCheque, C::kCashCheque});
    Edit1 = named<QLineEdit>(this, "Edit1");
    Edit2 = named<QLineEdit>(this, "Edit2");
    for (QLineEdit* e : {Edit1, Edit2})
        e->setMaxLength(15);
    DateEdit1 = dateEdit(this, "DateEdit1");
    add->addRow(QStringLiteral("种类："), ComboBox1);
    add->addRow(QStringLiteral("号码："), Edit1);
    add->addRow(QStringLiteral("至："), Edit2);
    add->addRow(QStringLiteral("领购日期："), DateEdit1);
    books->addLayout(add);
    SpeedButton1 = button(this, "SpeedButton1", QStringLiteral("登记支票簿"));
    books->addWidget(SpeedButton1, 0, Qt::AlignBottom);
    layout->addLayout(books);

    auto* filter = new QHBoxLayout;
    filter->addWidget(new QLabel(QStringLiteral("状态："), this));
    ComboBox2 = named<QComboBox>(this, "ComboBox2");
    ComboBox2->addItem(QStringLiteral("全部"));
    ComboBox2->addItems(C::states());
    filter->addWidget(ComboBox2);
    filter->addWidget(new QLabel(QStringLiteral("黄底：跳号的空白支票；红字：已作废"), this));
    filter->addStretch();
    layout->addLayout(filter);
    DBGrid1 = table(this, "DBGrid1", kLeafColumns);
    layout->addWidget(DBGrid1, 1);

    Edit3 = named<QLineEdit>(this, "Edit3");
    Edit3->setMaxLength(16);
    Edit4 = named<QLineEdit>(this, "Edit4");
    Edit5 = named<QLineEdit>(this, "Edit5");
    Edit5->setMaxLength(C::kPayeeWidth);
    Edit6 = named<QLineEdit>(this, "Edit6");
    DateEdit2 = dateEdit(this, "DateEdit2");
    Edit7 = named<QLineEdit>(this, "Edit7");
    Edit7->setMaxLength(C::kPurposeWidth);
    Edit8 = named<QLineEdit>(this, "Edit8");
    Edit8->setMaxLength(50);
    CheckBox1 = named<QCheckBox>(this, "CheckBox1");
    CheckBox1->setText(QStringLiteral("同时记入日记帐"));
    CheckBox1->setChecked(true);
    auto* fields = fieldGrid(this, {{QStringLiteral("领用人："), Edit3},
                                    {QStringLiteral("限额："), Edit4},
                                    {QStringLiteral("收款人："), Edit5},
                                    {QStringLiteral("金额："), Edit6},
                                    {QStringLiteral("出票日期："), DateEdit2},
                                    {QStringLiteral("用途："), Edit7},
                                    {QStringLiteral("作废原因："), Edit8}});
    fields->addWidget(CheckBox1, 1, 7);
    layout->addLayout(fields);

    auto* actions = new QHBoxLayout;
    SpeedButton2 = button(this, "SpeedButton2", QStringLiteral("领用"));
    SpeedButton3 = button(this, "SpeedButton3", QStringLiteral("开出"));
    SpeedButton4 = button(this, "SpeedButton4", QStringLiteral("作废"));
    SpeedButton5 = button(this, "SpeedButton5", QStringLiteral("退回"));
    SpeedButton6 = button(this, "SpeedButton6", QStringLiteral("打印支票"));
    SpeedButton7 = button(this, "SpeedButton7", QStringLiteral("校准页"));
    SpeedButton8 = button(this, "SpeedButton8", QStringLiteral("保存偏移"));
    SpeedButton9 = button(this, "SpeedButton9", QStringLiteral("兑付"));
    SpeedButton10 = button(this, "SpeedButton10", QStringLiteral("打印登记簿"));
    SpeedButton11 = button(this, "SpeedButton11", QStringLiteral("导出Excel"));
    SpinX = named<QDoubleSpinBox>(this, "SpinX");
    SpinY = named<QDoubleSpinBox>(this, "SpinY");
    const QPointF offset = qb::desksettings::chequeOffset();
    for (QDoubleSpinBox* s : {SpinX, SpinY}) {
        s->setRange(-50, 50);
        s->setDecimals(1);
        s->setSingleStep(0.5);
        s->setSuffix(QStringLiteral(" 毫米"));
    }
    SpinX->setValue(offset.x());
    SpinY->setValue(offset.y());
    for (QToolButton* b : {SpeedButton2, SpeedButton3, SpeedButton4, SpeedButton5, SpeedButton9,
                           SpeedButton6, SpeedButton10, SpeedButton11})
        actions->addWidget(b);
    actions->addStretch();
    actions->addWidget(new QLabel(QStringLiteral("打印偏移 右："), this));
    actions->addWidget(SpinX);
    actions->addWidget(new QLabel(QStringLiteral("下："), this));
    actions->addWidget(SpinY);
    actions->addWidget(SpeedButton8);
    actions->addWidget(SpeedButton7);
    layout->addLayout(actions);

    connect(ComboBox2, &QComboBox::currentIndexChanged, this, [this] { load_dat(); });
    const std::pair<QToolButton*, void (Tfr_zp::*)()> handlers[] = {
        {SpeedButton1, &Tfr_zp::SpeedButton1Click},   {SpeedButton2, &Tfr_zp::SpeedButton2Click},
        {SpeedButton3, &Tfr_zp::SpeedButton3Click},   {SpeedButton4, &Tfr_zp::SpeedButton4Click},
        {SpeedButton5, &Tfr_zp::SpeedButton5Click},   {SpeedButton6, &Tfr_zp::SpeedButton6Click},
        {SpeedButton7, &Tfr_zp::SpeedButton7Click},   {SpeedButton8, &Tfr_zp::SpeedButton8Click},
        {SpeedButton9, &Tfr_zp::SpeedButton9Click},   {SpeedButton10, &Tfr_zp::SpeedButton10Click},
        {SpeedButton11, &Tfr_zp::SpeedButton11Click}, {SpeedButton12, &Tfr_zp::SpeedButton12Click},
        {SpeedButton13, &Tfr_zp::SpeedButton13Click}, {SpeedButton14, &Tfr_zp::SpeedButton14Click}};
    for (const auto& [b, handler] : handlers)
        connect(b, &QToolButton::clicked, this, handler);
}

void Tfr_zp::load_dat() {
    const QString keep = selectedSerial();
    guarded([&] {
        const std::vector<C::ChequeBook> books = C::cheque_books(dat_, bookId_);
        ListView1->setRowCount(int(books.size()));
        for (int r = 0; r < int(books.size()); ++r) {
            const C::ChequeBook& b = books[size_t(r)];
            setRow(ListView1, r,
                   {b.kind, b.first, b.last, qb::months::iso(b.received), QString::number(b.leaves),
                    QString::number(b.blank)});
        }
        const QString state = ComboBox2->currentIndex() > 0 ? ComboBox2->currentText() : QString();
        const std::vector<C::Leaf> shown = C::leaves(dat_, bookId_, state);
        DBGrid1->setRowCount(int(shown.size()));
        for (int r = 0; r < int(shown.size()); ++r) {
            const C::Leaf& l = shown[size_t(r)];
            setRow(DBGrid1, r,
                   {l.serial, l.kind, C::shown_state(l), l.taker, l.takenFor, amountCell(l.limit),
                    l.payee, amountCell(l.amount), qb::months::iso(l.date), l.purpose,
                    l.voucher ? QString::number(l.voucher) : QString(),
                    l.reversed ? QStringLiteral("已冲账") : QString(), l.voidReason, l.changedBy},
                   l.state == C::kVoided ? QColor(Qt::red) : QColor(),
                   l.skipped ? QColor(255, 240, 150) : QColor());
        }
    });
    DBGrid1->resizeColumnsToContents();
    selectSerial(keep);
    loadBills();
}

QString Tfr_zp::selectedSerial() const {
    const int row = DBGrid1->currentRow();
    return row >= 0 && DBGrid1->item(row, 0) ? DBGrid1->item(row, 0)->text() : QString();
}

void Tfr_zp::selectSerial(const QString& serial) {
    for (int r = 0; r < DBGrid1->rowCount(); ++r)
        if (DBGrid1->item(r, 0)->text() == serial) DBGrid1->selectRow(r);
}

bool Tfr_zp::change(const std::function<void()>& work) {
    const bool done = guarded([&] {
        C::require_change_right(qb::users::Role(session_.role_code));
        work();
    });
    load_dat();
    return done;
}

namespace {

QString requireSelected(const QString& serial) {
    if (serial.isEmpty()) throw qb::DbError(QStringLiteral("请先在列表中选择一张支票。"));
    return serial;
}

}  // namespace

void Tfr_zp::SpeedButton1Click() {
    change([&] {
        C::add_cheque_book(dat_, bookId_, ComboBox1->currentText(), Edit1->text(), Edit2->text(),
                           DateEdit1->date(), session_.login_user);
        Edit1->clear();
        Edit2->clear();
    });
}

void Tfr_zp::SpeedButton2Click() {
    QString serial;
    change([&] {
        serial =
            C::take_next(dat_, bookId_, ComboBox1->currentText(),
                         {Edit3->text(), Edit7->text(), typedAmount(Edit4, QStringLiteral("限额"))},
                         session_.login_user)
                .serial;
    });
    if (!serial.isEmpty()) selectSerial(serial);
}

void Tfr_zp::SpeedButton3Click() {
    const QString serial = selectedSerial();
    qint64 line = 0;
    change([&] {
        line = C::issue(dat_, bookId_, requireSelected(serial),
                        {Edit5->text(), typedAmount(Edit6, QStringLiteral("金额")),
                         DateEdit2->date(), Edit7->text()},
                        session_.login_user, CheckBox1->isChecked());
    });
    if (line) emit journalChanged();
}

void Tfr_zp::SpeedButton4Click() {
    const QString serial = selectedSerial();
    change([&] {
        C::void_leaf(dat_, bookId_, requireSelected(serial), Edit8->text(), session_.login_user);
    });
}

void Tfr_zp::SpeedButton5Click() {
    const QString serial = selectedSerial();
    change([&] { C::give_back(dat_, bookId_, requireSelected(serial), session_.login_user); });
}

void Tfr_zp::SpeedButton6Click() {
    const QString serial = selectedSerial();
    if (serial.isEmpty()) {
        qb::messages().plain(QStringLiteral("请先在列表中选择一张支票。"));
        return;
    }
    previewCheque(dat_, bookId_, serial, {SpinX->value(), SpinY->value()}, this);
}

void Tfr_zp::SpeedButton7Click() {
    guarded([&] {
        qb::report::Report report;
        if (qb::report::loadCalibration(report, QDir::currentPath(), ComboBox1->currentText(),
                                        {SpinX->value(), SpinY->value()}))
            qb::report::showPreview(report, this, QStringLiteral("支票校准页"), {});
    });
}

void Tfr_zp::SpeedButton8Click() {
    guarded([&] {
        qb::desksettings::setChequeOffset({SpinX->value(), SpinY->value()});
        qb::messages().plain(QStringLiteral("本机的支票打印偏移已保存。"));
    });
}

void Tfr_zp::SpeedButton9Click() {
    const QString serial = selectedSerial();
    change([&] { C::honour(dat_, bookId_, requireSelected(serial), session_.login_user); });
}

bool Tfr_zp::loadRegister(qb::report::Report& report) {
    bool loaded = false;
    guarded([&] {
        const QString state = ComboBox2->currentIndex() > 0 ? ComboBox2->currentText() : QString();
        loaded = qb::report::loadChequeRegister(report, QDir::currentPath(),
                                                C::cheque_register(dat_, bookId_, state));
    });
    return loaded;
}

void Tfr_zp::SpeedButton10Click() {
    qb::report::Report report;
    if (loadRegister(report)) qb::report::showPreview(report, this, QStringLiteral("支票登记簿"));
}

void Tfr_zp::SpeedButton11Click() {
    qb::report::Report report;
    if (!loadRegister(report)) return;
    const QString path =
        qb::report::asking().workbookFileName(this, QStringLiteral("支票登记簿.xlsx"));
    if (!path.isEmpty() && report.writeWorkbook(path))
        qb::messages().plain(QStringLiteral("支票登记簿已导出到 %1。").arg(path));
}

void previewCheque(Tdat& dat, const QString& bookId, const QString& serial, QPointF offsetMm,
                   QWidget* parent) {
    guarded([&] {
        const C::ChequeForm form = C::cheque_form(dat, bookId, serial);
        qb::report::Report report;
        if (qb::report::loadCheque(report, QDir::currentPath(), form, offsetMm))
            qb::report::showPreview(report, parent, QStringLiteral("支票 ") + form.serial, {});
    });
}
