#include "xjpd.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "cashcount_report.h"
#include "cashlimit.h"
#include "guarded.h"
#include "months.h"
#include "places.h"
#include "preview_dialog.h"
#include "report.h"
#include "session.h"
#include "zp_parts.h"

namespace cc = qb::cashcount;
using namespace zp_parts;
using qb::money::Cents;

namespace {

const QStringList kCountColumns{"编号",     "盘点日期",       "实存",   "账面余额", "已收未记",
                                "已付未记", "调整后账面余额", "长短款", "差额",     "状态",
                                "白条",     "盘点人",         "监盘人", "盘点时间"};
enum GridColumn { Denomination, Quantity, Amount };

// The quantity column of the grid: Enter ends the typing and moves on to the next
// denomination, as a cashier goes down the sheet.
class QuantityGrid : public QTableWidget {
public:
    using QTableWidget::QTableWidget;

protected:
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override {
        const bool enter = hint == QAbstractItemDelegate::SubmitModelCache;
        QTableWidget::closeEditor(editor, enter ? QAbstractItemDelegate::NoHint : hint);
        if (enter) moveDown();
    }
    void keyPressEvent(QKeyEvent* event) override {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
            state() != EditingState) {
            moveDown();
            return;
        }
        QTableWidget::keyPressEvent(event);
    }

private:
    void moveDown() {
        const int next = currentRow() + 1;
        if (next >= rowCount()) return;
        setCurrentCell(next, Quantity);  // which opens its editor (AllEditTriggers)
    }
};

// An amount as typed so far, for the totals shown while typing: what does not read yet counts
// as none (保存 refuses it).
Cents amountSoFar(const QLineEdit* edit) {
    return qb::money::parse(edit->text()).value_or(0);
}

}  // namespace

Tfr_xjpd::Tfr_xjpd(Session& session, QWidget* parent)
    : QWidget(parent), session_(session), dat_(session.dat) {
    setObjectName(QStringLiteral("fr_xjpd"));
    setWindowTitle(QStringLiteral("现金盘点"));
    askPdfPath = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("另存为PDF"),
                                            QStringLiteral("现金盘点表.pdf"),
                                            QStringLiteral("PDF 文件 (*.pdf)"));
    };
    showReport = [this](qb::report::Report& report) {
        qb::report::showPreview(report, this, QStringLiteral("现金盘点表"));
    };
    buildLayout();
    guarded([&] {
        for (const cc::CashBook& book : cc::cash_books(dat_))
            ComboBox1->addItem(book.name, book.id);
    });
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { load_dat(); });
    connect(DateEdit1, &QDateEdit::dateChanged, this, [this] { load_dat(); });
    load_dat();
    resize(980, 680);
}

void Tfr_xjpd::buildGrid() {
    StringGrid1 = new QuantityGrid(cc::kDenominationCount, 3, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setHorizontalHeaderLabels(
        {QStringLiteral("面额"), QStringLiteral("张（枚）数"), QStringLiteral("金额")});
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setEditTriggers(QAbstractItemView::AllEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int r = 0; r < cc::kDenominationCount; ++r) {
        auto* denomination =
            new QTableWidgetItem(cc::denomination_text(cc::kDenominations[size_t(r)]));
        auto* amount = new QTableWidgetItem;
        for (QTableWidgetItem* fixed : {denomination, amount})
            fixed->setFlags(Qt::ItemIsEnabled);
        amount->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* quantity = new QTableWidgetItem;
        quantity->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        StringGrid1->setItem(r, Denomination, denomination);
        StringGrid1->setItem(r, Quantity, quantity);
        StringGrid1->setItem(r, Amount, amount);
    }
    // Every denomination on show at once, as on the paper sheet.
    StringGrid1->verticalHeader()->setDefaultSectionSize(22);
    StringGrid1->setMinimumSize(330, 22 * cc::kDenominationCount + 34);
    StringGrid1->setCurrentCell(0, Quantity);
    connect(StringGrid1, &QTableWidget::itemChanged, this, [this] { showTotals(); });
}

void Tfr_xjpd::buildLayout() {
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    ComboBox1 = named<QComboBox>(this, "ComboBox1");
    ComboBox1->setMinimumWidth(160);
    DateEdit1 = named<QDateEdit>(this, "DateEdit1");
    DateEdit1->setCalendarPopup(true);
    DateEdit1->setDate(QDate::currentDate());
    top->addWidget(new QLabel(QStringLiteral("现金日记帐："), this));
    top->addWidget(ComboBox1);
    top->addWidget(new QLabel(QStringLiteral("盘点日期："), this));
    top->addWidget(DateEdit1);
    top->addStretch();
    layout->addLayout(top);

    auto* middle = new QHBoxLayout;
    buildGrid();
    middle->addWidget(StringGrid1);
    auto* fields = new QGridLayout;
    const auto edit = [this](const char* name, int width) {
        auto* e = named<QLineEdit>(this, name);
        e->setMaxLength(width);
        connect(e, &QLineEdit::textChanged, this, [this] { showTotals(); });
        return e;
    };
    Edit1 = edit("Edit1", 24);
    Edit2 = edit("Edit2", cc::kNoteWidth);
    Edit3 = edit("Edit3", 24);
    Edit4 = edit("Edit4", cc::kNoteWidth);
    Edit5 = edit("Edit5", 24);
    Edit6 = edit("Edit6", cc::kNoteWidth);
    Edit7 = edit("Edit7", cc::kNameWidth);
    Edit8 = edit("Edit8", cc::kNameWidth);
    const std::tuple<QString, QLineEdit*, QLineEdit*> rows[] = {
        {QStringLiteral("已收未记："), Edit1, Edit2},
        {QStringLiteral("已付未记："), Edit3, Edit4},
        {QStringLiteral("白条："), Edit5, Edit6},
    };
    int row = 0;
    for (const auto& [caption, amount, note] : rows) {
        fields->addWidget(new QLabel(caption, this), row, 0);
        fields->addWidget(amount, row, 1);
        fields->addWidget(new QLabel(QStringLiteral("说明："), this), row, 2);
        fields->addWidget(note, row++, 3);
    }
    fields->addWidget(new QLabel(QStringLiteral("盘点人："), this), row, 0);
    fields->addWidget(Edit7, row, 1);
    fields->addWidget(new QLabel(QStringLiteral("监盘人："), this), row, 2);
    fields->addWidget(Edit8, row++, 3);
    const std::pair<QLabel**, const char*> labels[] = {{&Label1, "Label1"},
                                                       {&Label2, "Label2"},
                                                       {&Label3, "Label3"},
                                                       {&Label4, "Label4"},
                                                       {&Label5, "Label5"}};
    for (const auto& [label, name] : labels) {
        *label = named<QLabel>(this, name);
        fields->addWidget(*label, row++, 0, 1, 4);
    }
    Label4->setStyleSheet(QStringLiteral("font-weight: bold"));
    Label5->setStyleSheet(QStringLiteral("color: #b00000"));
    Label5->setWordWrap(true);
    SpeedButton1 = button(this, "SpeedButton1", QStringLiteral("保存"));
    fields->addWidget(SpeedButton1, row, 0);
    fields->setRowStretch(row + 1, 1);
    middle->addLayout(fields, 1);
    layout->addLayout(middle, 2);

    layout->addWidget(new QLabel(QStringLiteral("盘点记录（红字：长短款待处理）："), this));
    DBGrid1 = table(this, "DBGrid1", kCountColumns);
    layout->addWidget(DBGrid1, 1);
    auto* actions = new QHBoxLayout;
    DateEdit2 = named<QDateEdit>(this, "DateEdit2");
    DateEdit2->setCalendarPopup(true);
    DateEdit2->setDate(QDate::currentDate());
    SpeedButton2 = button(this, "SpeedButton2", QStringLiteral("处理"));
    SpeedButton3 = button(this, "SpeedButton3", QStringLiteral("打印"));
    SpeedButton4 = button(this, "SpeedButton4", QStringLiteral("另存为PDF"));
    actions->addWidget(new QLabel(QStringLiteral("处理日期："), this));
    actions->addWidget(DateEdit2);
    for (QToolButton* b : {SpeedButton2, SpeedButton3, SpeedButton4})
        actions->addWidget(b);
    actions->addStretch();
    layout->addLayout(actions);

    connect(DBGrid1, &QTableWidget::currentCellChanged, this, [this] {
        guarded([&] {
            if (const qint64 id = selectedCount()) DateEdit2->setDate(cc::count(dat_, id).day);
        });
    });
    const std::pair<QToolButton*, void (Tfr_xjpd::*)()> handlers[] = {
        {SpeedButton1, &Tfr_xjpd::SpeedButton1Click},
        {SpeedButton2, &Tfr_xjpd::SpeedButton2Click},
        {SpeedButton3, &Tfr_xjpd::SpeedButton3Click},
        {SpeedButton4, &Tfr_xjpd::SpeedButton4Click}};
    for (const auto& [b, handler] : handlers)
        connect(b, &QToolButton::clicked, this, handler);
}

QString Tfr_xjpd::bookId() const {
    return ComboBox1->currentData().toString();
}

void Tfr_xjpd::load_dat() {
    const qint64 keep = selectedCount();
    bookBalance_ = 0;
    balanceProblem_.clear();
    DBGrid1->setRowCount(0);
    if (bookId().isEmpty()) {
        balanceProblem_ = QStringLiteral("账本里没有现金日记帐。");
    } else {
        try {
            bookBalance_ = cc::book_balance(dat_, bookId(), DateEdit1->date());
        } catch (const qb::DbError& e) {
            balanceProblem_ = e.message();
        }
        guarded([&] {
            for (const cc::Count& c : cc::counts(dat_, bookId())) {
                const int r = DBGrid1->rowCount();
                DBGrid1->insertRow(r);
                setRow(
                    DBGrid1, r,
                    {QString::number(c.id), qb::months::iso(c.day), qb::money::grouped(c.counted()),
                     qb::money::grouped(c.bookBalance), amountCell(c.receivedUnbooked.amount),
                     amountCell(c.paidUnbooked.amount), qb::money::grouped(c.adjusted()),
                     c.differenceKind(), amountCell(qAbs(c.difference())), c.state(),
                     amountCell(c.iou.amount), c.counter, c.witness,
                     c.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))},
                    c.pending() ? QColor(Qt::red) : QColor());
            }
        });
    }
    DBGrid1->resizeColumnsToContents();
    selectCount(keep);
    showTotals();
}

cc::Count Tfr_xjpd::typedCount() const {
    cc::Count c;
    c.bookId = bookId();
    c.bookName = ComboBox1->currentText();
    c.category = qb::cashlimit::kCashCategory;
    c.day = DateEdit1->date();
    c.bookBalance = bookBalance_;
    for (int r = 0; r < cc::kDenominationCount; ++r)
        c.quantities[size_t(r)] =
            cc::parse_quantity(StringGrid1->item(r, Quantity)->text()).value_or(0);
    c.receivedUnbooked = {amountSoFar(Edit1), Edit2->text()};
    c.paidUnbooked = {amountSoFar(Edit3), Edit4->text()};
    c.iou = {amountSoFar(Edit5), Edit6->text()};
    c.counter = Edit7->text();
    c.witness = Edit8->text();
    return c;
}

void Tfr_xjpd::showTotals() {
    const cc::Count c = typedCount();
    QStringList unread;
    {
        const QSignalBlocker quiet(StringGrid1);
        for (int r = 0; r < cc::kDenominationCount; ++r) {
            QTableWidgetItem* quantity = StringGrid1->item(r, Quantity);
            const bool reads = cc::parse_quantity(quantity->text()).has_value();
            quantity->setForeground(reads ? QColor(Qt::black) : QColor(Qt::red));
            if (!reads) unread << StringGrid1->item(r, Denomination)->text();
            StringGrid1->item(r, Amount)->setText(amountCell(c.amount(r)));
        }
    }
    Label1->setText(QStringLiteral("实存：%1").arg(qb::money::grouped(c.counted())));
    if (!balanceProblem_.isEmpty()) {
        Label2->setText(QStringLiteral("账面余额：") + balanceProblem_);
        Label3->clear();
        Label4->clear();
    } else {
        Label2->setText(QStringLiteral("账面余额：%1").arg(qb::money::grouped(c.bookBalance)));
        Label3->setText(QStringLiteral("调整后账面余额：%1").arg(qb::money::grouped(c.adjusted())));
        Label4->setText(c.difference() == 0
                            ? QStringLiteral("实存与调整后账面余额相符")
                            : QStringLiteral("%1：%2").arg(
                                  c.differenceKind(), qb::money::grouped(qAbs(c.difference()))));
    }
    QStringList said;
    guarded([&] { said = cc::warnings(dat_, c); });
    if (!unread.isEmpty())
        said << QStringLiteral("张（枚）数只能是 0 或正整数：%1")
                    .arg(unread.join(QStringLiteral("、")));
    Label5->setText(said.join(QLatin1Char('\n')));
}

qint64 Tfr_xjpd::selectedCount() const {
    const int row = DBGrid1->currentRow();
    return row >= 0 && DBGrid1->item(row, 0) ? DBGrid1->item(row, 0)->text().toLongLong() : 0;
}

void Tfr_xjpd::selectCount(qint64 id) {
    for (int r = 0; r < DBGrid1->rowCount(); ++r)
        if (DBGrid1->item(r, 0)->text().toLongLong() == id) DBGrid1->selectRow(r);
}

void Tfr_xjpd::SpeedButton1Click() {
    if (!session_.permits(qb::roles::Action::CashCounts)) return;
    cc::Count saved;
    const bool done = guarded([&] {
        if (bookId().isEmpty())
            throw qb::DbError(QStringLiteral("账本里没有现金日记帐，无从盘点。"));
        for (int r = 0; r < cc::kDenominationCount; ++r) {
            const QString typed = StringGrid1->item(r, Quantity)->text();
            if (!cc::parse_quantity(typed))
                throw qb::DbError(QStringLiteral("%1 的张（枚）数“%2”无效：只能是 0 到 %3 的整数。")
                                      .arg(StringGrid1->item(r, Denomination)->text(), typed)
                                      .arg(cc::kQuantityAtMost));
        }
        typedAmount(Edit1, QStringLiteral("已收未记"));
        typedAmount(Edit3, QStringLiteral("已付未记"));
        typedAmount(Edit5, QStringLiteral("白条"));
        saved = cc::save(dat_, typedCount(), session_.login_user);
    });
    if (!done) return;
    load_dat();
    selectCount(saved.id);
    QString said =
        saved.difference() == 0
            ? QStringLiteral("盘点已保存（编号 %1）：实存与调整后账面余额相符。").arg(saved.id)
            : QStringLiteral("盘点已保存（编号 %1）：%2 %3，待处理。")
                  .arg(saved.id)
                  .arg(saved.differenceKind(), qb::money::grouped(qAbs(saved.difference())));
    guarded([&] {
        for (const QString& warning : cc::warnings(dat_, saved))
            said += QLatin1Char('\n') + warning;
    });
    qb::messages().plain(said);
}

void Tfr_xjpd::SpeedButton2Click() {
    if (!session_.permits(qb::roles::Action::CashCounts)) return;
    const qint64 id = selectedCount();
    if (!id) {
        qb::messages().plain(QStringLiteral("请先在盘点记录中选择一次盘点。"));
        return;
    }
    bool settled = false;
    guarded([&] {
        const cc::Count c = cc::count(dat_, id);
        if (!c.pending()) {
            qb::messages().plain(
                c.difference() == 0
                    ? QStringLiteral("这次盘点实存与账面相符，没有长短款要处理。")
                    : QStringLiteral("这次盘点的%1已经处理过了。").arg(c.differenceKind()));
            return;
        }
        const cc::Settling s = cc::settling_line(c, DateEdit2->date());
        const QString question = QStringLiteral("在日记帐记入：%1「%2」%3 %4，并与盘点 %5 关联？")
                                     .arg(qb::months::iso(s.date), s.summary,
                                          s.debit ? QStringLiteral("借") : QStringLiteral("贷"),
                                          qb::money::grouped(s.debit ? s.debit : s.credit))
                                     .arg(id);
        if (qb::messages().ask(QStringLiteral("系统提示"), question, qb::MsgIcon::Question,
                               qb::MsgButtons::YesNo) != qb::MsgAnswer::Yes)
            return;
        cc::settle(dat_, id, s.date, session_.login_user);
        settled = true;
    });
    load_dat();
    selectCount(id);
    if (settled)
        qb::messages().plain(QStringLiteral("已记入日记帐，盘点 %1 的长短款已处理。").arg(id));
}

bool Tfr_xjpd::chosenReport(qb::report::Report& report) {
    const qint64 id = selectedCount();
    if (!id) {
        qb::messages().plain(QStringLiteral("请先在盘点记录中选择一次盘点（新的盘点请先保存）。"));
        return false;
    }
    bool loaded = false;
    guarded([&] {
        const cc::Count c = cc::count(dat_, id);
        loaded = qb::report::cash_count_report(
            report, qb::places::shipped(QDir::currentPath(), QStringLiteral("xjpd.rls")), c,
            c.bookName + QLatin1Char('-') + c.category, cc::warnings(dat_, c));
    });
    return loaded;
}

void Tfr_xjpd::SpeedButton3Click() {
    qb::report::Report report;
    if (chosenReport(report)) showReport(report);
}

void Tfr_xjpd::SpeedButton4Click() {
    qb::report::Report report;
    if (!chosenReport(report)) return;
    const QString path = askPdfPath();
    if (path.isEmpty()) return;
    if (report.writePdf(path))
        qb::messages().plain(QStringLiteral("盘点表已写入 %1").arg(QDir::toNativeSeparators(path)));
}
