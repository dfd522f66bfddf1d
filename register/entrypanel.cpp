#include "entrypanel.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include "messages.h"
#include "monthmodel.h"
#include "widgets.h"

namespace {

constexpr int kSummaryWidth = 50;

QLabel* label(QWidget* parent, const QString& text, const QColor& colour) {
    auto* l = new QLabel(text, parent);
    QPalette palette = l->palette();
    palette.setColor(QPalette::WindowText, colour);
    l->setPalette(palette);
    return l;
}

// The start of a number being typed ("-", "."): nothing to compute with yet, nothing wrong.
bool unfinished(const QString& text) {
    static const QRegularExpression start(QStringLiteral("^[+-]?[.]?$"));
    return start.match(text.trimmed()).hasMatch();
}

bool isEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

// Focus that comes and goes with the phrase list or another window is no entering or leaving.
bool passing(const QEvent* event) {
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason;
}

}  // namespace

EntryPanel::EntryPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Panel2"));
    setAutoFillBackground(true);
    QPalette info = palette();
    info.setColor(QPalette::Window, QColor(255, 255, 225));
    setPalette(info);

    // Shown, never typed into, and easy to read.
    Edit0 = field("Edit0");
    Edit0->setReadOnly(true);
    Edit0->setFocusPolicy(Qt::NoFocus);
    Edit1 = field("Edit1");
    Edit2 = field("Edit2", 15);
    Edit3 = field("Edit3");
    Edit3->setText(QStringLiteral("0"));
    Edit4 = field("Edit4", 10);
    CBox1 = new QComboBox(this);
    CBox1->setObjectName(QStringLiteral("CBox1"));
    CBox1->setEditable(true);
    CBox1->setInsertPolicy(QComboBox::NoInsert);
    CBox1->lineEdit()->setMaxLength(kSummaryWidth);
    CBox1->installEventFilter(this);
    CBox1->view()->installEventFilter(this);
    Edit5 = field("Edit5");
    Edit6 = field("Edit6");
    // What is stored is the balance the journal's chain gives the line: shown, not typed.
    Edit7 = field("Edit7");
    Edit7->setReadOnly(true);
    for (QLineEdit* amount : {Edit0, Edit5, Edit6, Edit7})
        amount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SB1 = namedButton(this, "SB1", QStringLiteral("添加"));
    sb2 = namedButton(this, "sb2", QStringLiteral("保存"));

    // Two rows of label and field pairs, the summary taking the room of two pairs.
    const std::pair<const char*, QWidget*> cells[2][5] = {
        {{"余额：", Edit0},
         {"凭证号：", Edit1},
         {"票  号：", Edit2},
         {"凭证张数：", Edit3},
         {"报销人：", Edit4}},
        {{"摘要：", CBox1}, {}, {"借  方：", Edit5}, {"贷  方：", Edit6}, {"余  额：", Edit7}}};
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 4, 6, 4);
    for (int row = 0; row < 2; ++row) {
        for (int pair = 0; pair < 5; ++pair) {
            const auto& [text, widget] = cells[row][pair];
            if (!widget) continue;
            const bool first = row == 0 && pair == 0;
            grid->addWidget(
                label(this, QString::fromUtf8(text), first ? QColor(Qt::blue) : QColor(0, 128, 0)),
                row, 2 * pair);
            grid->addWidget(widget, row, 2 * pair + 1, 1, widget == CBox1 ? 3 : 1);
            grid->setColumnStretch(2 * pair + 1, 1);
        }
        grid->addWidget(row ? sb2 : SB1, row, 10);
    }
    const QList<QWidget*> order = fieldOrder();
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(Edit5, &QLineEdit::textChanged, this, &EntryPanel::Edit5Change);
    connect(Edit6, &QLineEdit::textChanged, this, &EntryPanel::Edit5Change);
    connect(Edit1, &QLineEdit::textEdited, this, &EntryPanel::voucherEdited);
    connect(SB1, &QPushButton::clicked, this, &EntryPanel::newRequested);
    connect(sb2, &QPushButton::clicked, this, &EntryPanel::saveRequested);
}

QLineEdit* EntryPanel::field(const char* name, int maxLength) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QLatin1String(name));
    if (maxLength > 0) edit->setMaxLength(maxLength);
    edit->installEventFilter(this);
    return edit;
}

QList<QWidget*> EntryPanel::fieldOrder() const {
    return {Edit1, Edit2, Edit3, Edit4, CBox1, Edit5, Edit6, Edit7};
}

void EntryPanel::setVoucher(int voucher) {
    Edit1->setText(QString::number(voucher));
}

void EntryPanel::setBalanceBefore(qb::money::Cents balance) {
    // Asked again as the entry is typed: an unchanged balance neither recomputes the one after
    // it nor repeats what was said about an amount.
    const QString text = qb::money::grouped(balance);
    if (text == Edit0->text()) return;
    Edit0->setText(text);
    Edit5Change();
}

void EntryPanel::clearEntry() {
    for (QLineEdit* edit : {Edit2, Edit3, Edit4, Edit5, Edit6})
        edit->clear();
    CBox1->setEditText(QString());
    Edit7->setText(Edit0->text());
}

void EntryPanel::focusFirst() {
    (Edit1->isEnabled() ? Edit1 : Edit2)->setFocus();
}

void EntryPanel::lock(const QString& summary) {
    CBox1->setEditText(summary);
    for (QWidget* w : std::initializer_list<QWidget*>{Edit1, CBox1, SB1})
        w->setEnabled(false);
}

void EntryPanel::unlock() {
    for (QWidget* w : std::initializer_list<QWidget*>{Edit1, CBox1, SB1})
        w->setEnabled(true);
}

std::optional<int> EntryPanel::voucher() const {
    bool ok = false;
    const int n = Edit1->text().trimmed().toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

QString EntryPanel::summary() const {
    return CBox1->currentText();
}

std::optional<qb::ledger::LineFields> EntryPanel::entry() {
    // Each field as the grid would take it into its column; the first that does not fit keeps
    // the focus.
    const auto take = [](QWidget* widget, int column, const QString& text) {
        std::optional<QVariant> value = MonthModel::checked(column, text);
        if (!value) widget->setFocus();
        return value;
    };
    if (Edit1->text().trimmed().isEmpty()) {
        qb::messages().plain(QStringLiteral("请输入凭证号！"));
        Edit1->setFocus();
        return std::nullopt;
    }
    const auto voucher = take(Edit1, MonthModel::Pzh, Edit1->text());
    if (!voucher) return std::nullopt;
    const auto ticket = take(Edit2, MonthModel::Ph, Edit2->text());
    if (!ticket) return std::nullopt;
    const auto count = take(Edit3, MonthModel::Pzn, Edit3->text());
    if (!count) return std::nullopt;
    const auto claimant = take(Edit4, MonthModel::Bxr, Edit4->text());
    if (!claimant) return std::nullopt;
    const auto summary = take(CBox1, MonthModel::Zy, CBox1->currentText());
    if (!summary) return std::nullopt;
    const auto debit = take(Edit5, MonthModel::JJe, Edit5->text().trimmed());
    if (!debit) return std::nullopt;
    const auto credit = take(Edit6, MonthModel::DJe, Edit6->text().trimmed());
    if (!credit) return std::nullopt;
    const bool blank = summary->toString().trimmed().isEmpty() &&
                       qb::money::toCents(debit->toDouble()) == 0 &&
                       qb::money::toCents(credit->toDouble()) == 0;
    if (blank) {
        // "保存" pressed twice, or Enter run through an empty panel: there is nothing to write.
        qb::messages().plain(QStringLiteral("请输入摘要或金额！"));
        CBox1->setFocus();
        return std::nullopt;
    }
    qb::ledger::LineFields line;
    line.voucher = voucher->toInt();
    line.ticket = ticket->toString();
    line.voucherCount = count->toInt();
    line.claimant = claimant->toString();
    line.summary = summary->toString();
    line.debit = qb::money::toCents(debit->toDouble());
    line.credit = qb::money::toCents(credit->toDouble());
    return line;
}

void EntryPanel::offerPhrases(const QStringList& phrases) {
    const QString typed = CBox1->currentText();
    CBox1->clear();
    CBox1->addItems(phrases);
    // Filling the list must not replace what the cashier has typed already.
    CBox1->setCurrentIndex(-1);
    CBox1->setEditText(typed);
    // Dropped once the focus has settled, as if Alt+Down had been pressed.
    QTimer::singleShot(0, CBox1, [box = CBox1] {
        if (!box->hasFocus() || box->count() == 0) return;
        box->showPopup();
        // No phrase is chosen until the cashier picks one.
        box->view()->setCurrentIndex(QModelIndex());
    });
}

void EntryPanel::Edit5Change() {
    qb::money::Cents balance = 0;
    const std::pair<QLineEdit*, int> terms[] = {{Edit0, 1}, {Edit5, 1}, {Edit6, -1}};
    for (const auto& [edit, sign] : terms) {
        if (unfinished(edit->text())) continue;
        const std::optional<qb::money::Cents> amount = qb::money::parse(edit->text());
        if (!amount) {
            qb::messages().plain(QStringLiteral("无效的数字"));
            return;
        }
        balance += sign * *amount;
    }
    Edit7->setText(qb::money::grouped(balance));
}

void EntryPanel::Edit5Exit(QLineEdit* edit) {
    const QString typed = edit->text().trimmed();
    if (typed.isEmpty()) {
        edit->setText(edit == Edit3 ? QStringLiteral("0") : QStringLiteral("0.00"));
        return;
    }
    // An amount left is shown as the journal prints it, with thousands separators.
    if (edit == Edit3) return;
    if (const std::optional<qb::money::Cents> amount = qb::money::parse(typed))
        edit->setText(qb::money::grouped(*amount));
}

void EntryPanel::enterPressed(QWidget* from) {
    if (from == Edit7) {
        emit saveRequested();
        return;
    }
    const QList<QWidget*> order = fieldOrder();
    for (qsizetype i = 0; i + 1 < order.size(); ++i) {
        if (order[i] != from) continue;
        QWidget* next = order[i + 1];
        if (!next->isEnabled()) next = order[i + 2];
        next->setFocus(Qt::TabFocusReason);
        return;
    }
}

bool EntryPanel::phraseListKey(QKeyEvent* key) {
    if (isEnter(key)) {
        if (CBox1->view()->currentIndex().isValid()) return false;  // the list takes its pick
        CBox1->hidePopup();
        enterPressed(CBox1);
        return true;
    }
    if (key->text().isEmpty() || !key->text().at(0).isPrint()) return false;
    CBox1->hidePopup();
    CBox1->lineEdit()->insert(key->text());
    return true;
}

bool EntryPanel::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (watched == CBox1->view()) return phraseListKey(key);
            if (!isEnter(key) || (key->modifiers() | Qt::KeypadModifier) != Qt::KeypadModifier)
                break;
            enterPressed(static_cast<QWidget*>(watched));
            return true;
        }
        case QEvent::FocusIn:
            if (watched == CBox1 && !passing(event)) emit summaryEntered();
            break;
        case QEvent::FocusOut:
            if (passing(event)) break;
            if (watched == CBox1) emit summaryLeft();
            if (watched == Edit3 || watched == Edit5 || watched == Edit6)
                Edit5Exit(static_cast<QLineEdit*>(watched));
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}
