#include "dz.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>

#include "chm.h"
#include "fr_dat.h"
#include "guarded.h"
#include "gymk.h"
#include "messages.h"
#include "months.h"
#include "places.h"
#include "preview_dialog.h"
#include "reconciliation_report.h"
#include "report.h"
#include "session.h"
#include "widgets.h"

namespace {

const QString kCaption = QStringLiteral("系统提示");

QTableWidget* grid(QWidget* parent, const char* name, const QStringList& titles) {
    auto* table = new QTableWidget(0, int(titles.size()), parent);
    table->setObjectName(QLatin1String(name));
    table->setHorizontalHeaderLabels(titles);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->verticalHeader()->setDefaultSectionSize(22);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

}  // namespace

Tfr_dz::Tfr_dz(Session& session, const QString& bookId, const QString& name,
               const QString& category, const QDate& month, QWidget* parent)
    : QWidget(parent),
      session_(session),
      dat_(session.dat),
      bookId_(bookId),
      caption_(name + QLatin1Char('-') + category) {
    setObjectName(QStringLiteral("fr_dz"));
    setWindowTitle(QStringLiteral("银行对账"));
    askFile = [this] {
        return QFileDialog::getOpenFileName(
            this, QStringLiteral("导入对账单"), QString(),
            QStringLiteral("银行对账单 (*.csv *.txt *.xlsx *.xls);;所有文件 (*)"));
    };
    askMapping = [this](const qb::statement::Table& table, const qb::statement::Mapping& guess) {
        return askStatementColumns(this, table, guess);
    };
    showReport = [this](qb::report::Report& report) {
        qb::report::showPreview(report, this, QStringLiteral("银行存款余额调节表"));
    };
    buildLayout();
    connectControls();
    rec_ = qb::bankrec::saved_month(dat_, bookId_, month);
    showReconciliation();
}

void Tfr_dz::buildLayout() {
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setStyleSheet(QStringLiteral("color: blue;"));
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    SpeedButton1 = namedButton(this, "SpeedButton1", QStringLiteral("导入对账单"));
    SpeedButton2 = namedButton(this, "SpeedButton2", QStringLiteral("勾对"));
    SpeedButton3 = namedButton(this, "SpeedButton3", QStringLiteral("取消勾对"));
    SpeedButton4 = namedButton(this, "SpeedButton4", QStringLiteral("把未达的银行流水加入日记帐"));
    SpeedButton5 = namedButton(this, "SpeedButton5", QStringLiteral("保存对账结果"));
    SpeedButton6 = namedButton(this, "SpeedButton6", QStringLiteral("打印调节表"));
    SpeedButton7 = namedButton(this, "SpeedButton7", QStringLiteral("帮助"));
    SpeedButton8 = namedButton(this, "SpeedButton8", QStringLiteral("关闭"));
    SpinEdit1 = new QSpinBox(this);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setRange(0, 31);
    SpinEdit1->setSuffix(QStringLiteral(" 天"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaximumWidth(140);
    Edit1->setAlignment(Qt::AlignRight);

    auto* bar = new QHBoxLayout;
    for (QPushButton* b : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4, SpeedButton5,
                           SpeedButton6, SpeedButton7, SpeedButton8})
        bar->addWidget(b);
    bar->addStretch(1);
    auto* settings = new QHBoxLayout;
    settings->addWidget(Label1, 1);
    settings->addWidget(new QLabel(QStringLiteral("日期容差："), this));
    settings->addWidget(SpinEdit1);
    settings->addSpacing(12);
    settings->addWidget(new QLabel(QStringLiteral("对账单期末余额："), this));
    settings->addWidget(Edit1);

    StatementGrid =
        grid(this, "StatementGrid",
             {QStringLiteral("来源"), QStringLiteral("日期"), QStringLiteral("摘要"),
              QStringLiteral("对方户名"), QStringLiteral("流水号"), QStringLiteral("收入"),
              QStringLiteral("支出"), QStringLiteral("余额"), QStringLiteral("勾对")});
    JournalLines = grid(this, "JournalLines",
                        {QStringLiteral("来源"), QStringLiteral("日期"), QStringLiteral("凭证号"),
                         QStringLiteral("票号"), QStringLiteral("摘要"), QStringLiteral("借方"),
                         QStringLiteral("贷方"), QStringLiteral("勾对")});
    auto* sides = new QSplitter(this);
    for (auto [title, table] : {std::pair{QStringLiteral("银行对账单"), StatementGrid},
                                std::pair{QStringLiteral("银行存款日记帐"), JournalLines}}) {
        auto* side = new QWidget(sides);
        auto* layout = new QVBoxLayout(side);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* label = new QLabel(title, side);
        label->setStyleSheet(QStringLiteral("font-weight: bold;"));
        layout->addWidget(label);
        layout->addWidget(table, 1);
        sides->addWidget(side);
    }

    // The reconciliation statement's figures, named as its printed objects.
    auto* figures = new QGridLayout;
    const char* const labels[2][4] = {
        {"企业银行存款日记帐余额", "加：银行已收企业未收", "减：银行已付企业未付", "调节后余额"},
        {"银行对账单余额", "加：企业已收银行未收", "减：企业已付银行未付", "调节后余额"}};
    const char* const names[2][4] = {{"zmye", "yhys", "yhyf", "tzzm"},
                                     {"yhye", "qyys", "qyyf", "tzyh"}};
    for (int side = 0; side < 2; ++side)
        for (int row = 0; row < 4; ++row) {
            figures->addWidget(new QLabel(QString::fromUtf8(labels[side][row]), this), row,
                               side * 3);
            auto* value = new QLabel(this);
            value->setObjectName(QLatin1String(names[side][row]));
            value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            value->setMinimumWidth(120);
            figures->addWidget(value, row, side * 3 + 1);
            sums_.push_back(value);
        }
    figures->setColumnMinimumWidth(2, 40);
    figures->setColumnStretch(6, 1);
    auto* difference = new QLabel(this);
    difference->setObjectName(QStringLiteral("cy"));
    sums_.push_back(difference);
    figures->addWidget(difference, 4, 0, 1, 7);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addLayout(settings);
    layout->addWidget(sides, 1);
    layout->addWidget(Label2);
    layout->addLayout(figures);
    resize(1100, 680);
}

void Tfr_dz::connectControls() {
    connect(SpeedButton1, &QPushButton::clicked, this, &Tfr_dz::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &Tfr_dz::SpeedButton2Click);
    connect(SpeedButton3, &QPushButton::clicked, this, &Tfr_dz::SpeedButton3Click);
    connect(SpeedButton4, &QPushButton::clicked, this, &Tfr_dz::SpeedButton4Click);
    connect(SpeedButton5, &QPushButton::clicked, this, &Tfr_dz::SpeedButton5Click);
    connect(SpeedButton6, &QPushButton::clicked, this, &Tfr_dz::SpeedButton6Click);
    connect(SpeedButton7, &QPushButton::clicked, this,
            [this] { show_help(this, help_file(QStringLiteral("银行对账.htm"))); });
    connect(SpeedButton8, &QPushButton::clicked, this, &QWidget::close);
    connect(SpinEdit1, &QSpinBox::valueChanged, this, &Tfr_dz::toleranceChanged);
    connect(Edit1, &QLineEdit::editingFinished, this, &Tfr_dz::closingTyped);
    connect(StatementGrid, &QTableWidget::itemSelectionChanged, this,
            [this] { selectPartner(StatementGrid); });
    connect(JournalLines, &QTableWidget::itemSelectionChanged, this,
            [this] { selectPartner(JournalLines); });
}

std::optional<qb::statement::Statement> Tfr_dz::readStatement(const QString& path) {
    namespace S = qb::statement;
    const S::Table table = [&] {
        const WaitCursor waiting;
        return S::read_table(path);
    }();
    S::Mapping mapping = S::kept_or_guessed(table, qb::bankrec::kept_mapping(dat_, bookId_));
    bool named = false;
    auto name = [&] {
        std::optional<S::Mapping> chosen = askMapping(table, mapping);
        if (chosen) mapping = *chosen;
        return named = chosen.has_value();
    };
    if (!mapping.complete() && !name()) return std::nullopt;
    for (;;) {
        try {
            S::Statement statement = S::parse(table, mapping);
            // Remembered for the book once they read, so the bank's next file reads without
            // asking.
            if (named && session_.may(qb::roles::Action::KeepColumns))
                qb::bankrec::keep_mapping(dat_, bookId_, S::mapping_text(mapping, table.titles));
            return statement;
        } catch (const qb::DbError& refused) {
            // A layout guessed or kept wrongly is refused (its balances do not chain, a column
            // does not read): the cashier may name the columns instead.
            if (qb::messages().ask(
                    kCaption, refused.message() + QStringLiteral("\n\n要重新指定对账单的各列吗？"),
                    qb::MsgIcon::Warning, qb::MsgButtons::YesNo) != qb::MsgAnswer::Yes ||
                !name())
                return std::nullopt;
        }
    }
}

void Tfr_dz::importFile(const QString& path) {
    if (path.isEmpty()) return;
    if (rec_.saved &&
        qb::messages().ask(kCaption,
                           QStringLiteral("本月已保存过对账结果，导入新的对账单将在保存"
                                          "时替换它。继续吗？"),
                           qb::MsgIcon::Question, qb::MsgButtons::YesNo) != qb::MsgAnswer::Yes)
        return;
    bool read = false;
    guarded([&] {
        const std::optional<qb::statement::Statement> statement = readStatement(path);
        if (!statement) return;
        const WaitCursor waiting;
        qb::bankrec::Options options;
        options.tolerance = SpinEdit1->value();
        rec_ = qb::bankrec::reconcile_month(dat_, bookId_, rec_.month, *statement, options);
        read = true;
    });
    if (read) markUnsaved();
}

void Tfr_dz::SpeedButton1Click() {
    importFile(askFile());
}

void Tfr_dz::SpeedButton2Click() {
    const std::vector<int> bank = selectedRows(StatementGrid);
    const std::vector<int> book = selectedRows(JournalLines);
    if (bank.size() != 1 || book.size() != 1) {
        qb::messages().plain(QStringLiteral("请在左边选一笔银行流水、在右边选一笔日记帐再勾对。"));
        return;
    }
    if (guarded([&] { qb::bankrec::tick(rec_, bank.front(), book.front()); })) markUnsaved();
}

void Tfr_dz::SpeedButton3Click() {
    std::vector<int> bank = selectedRows(StatementGrid);
    const std::vector<int> partners = rec_.bookMatches();
    for (const int j : selectedRows(JournalLines))
        if (partners[size_t(j)] >= 0) bank.push_back(partners[size_t(j)]);
    bool changed = false;
    for (const int i : bank)
        if (rec_.match[size_t(i)] >= 0) {
            qb::bankrec::untick(rec_, i);
            changed = true;
        }
    if (!changed) {
        qb::messages().plain(QStringLiteral("请先选择已勾对的银行流水或日记帐。"));
        return;
    }
    markUnsaved();
}

void Tfr_dz::SpeedButton4Click() {
    if (!session_.mayWrite()) return;
    if (gymk::month_closed(dat_, QStringLiteral("添加"), bookId_, gymk::MessageMode, rec_.month))
        return;
    std::vector<int> items;
    qb::money::Cents in = 0, out = 0;
    for (const int i : selectedRows(StatementGrid))
        if (rec_.match[size_t(i)] < 0) {
            items.push_back(i);
            (rec_.bank[size_t(i)].amount > 0 ? in : out) += qAbs(rec_.bank[size_t(i)].amount);
        }
    if (items.empty()) {
        qb::messages().plain(
            QStringLiteral("请先在左边选择要加入日记帐的未达银行流水（未勾对的）。"));
        return;
    }
    if (!rec_.hasStatement()) {
        qb::messages().plain(QStringLiteral("请先导入对账单，或填写对账单的期末余额。"));
        return;
    }
    if (qb::messages().ask(
            kCaption,
            QStringLiteral("把所选的 %1 笔银行流水（收入 %2，支出 %3）作为新凭证加入 "
                           "%4 的日记帐，勾对并保存本次对账结果吗？")
                .arg(items.size())
                .arg(qb::money::grouped(in), qb::money::grouped(out),
                     qb::months::monthText(rec_.month)),
            qb::MsgIcon::Question, qb::MsgButtons::YesNo) != qb::MsgAnswer::Yes)
        return;
    if (!guarded([&] { qb::bankrec::add_bank_lines(dat_, rec_, items, session_.login_user); }))
        return;
    unsaved_ = false;
    showReconciliation();
    emit journalChanged();
}

void Tfr_dz::SpeedButton5Click() {
    if (!session_.mayWrite()) return;
    if (!guarded([&] { qb::bankrec::save_reconciliation(dat_, rec_, session_.login_user); }))
        return;
    rec_.saved = true;
    unsaved_ = false;
    showReconciliation();
    qb::messages().plain(QStringLiteral("对账结果已保存。"));
}

void Tfr_dz::SpeedButton6Click() {
    if (!rec_.hasStatement()) {
        qb::messages().plain(QStringLiteral("请先导入对账单，或填写对账单的期末余额。"));
        return;
    }
    const QString account =
        dat_.scalar(QStringLiteral("select zh from accstar where zbid=?"), {bookId_}).toString();
    qb::report::Report report;
    if (qb::report::reconciliation_report(
            report, qb::places::shipped(QDir::currentPath(), QStringLiteral("yhdz.rls")), rec_,
            caption_, account))
        showReport(report);
}

void Tfr_dz::markUnsaved() {
    unsaved_ = true;
    showReconciliation();
}

void Tfr_dz::toleranceChanged(int days) {
    if (days == rec_.tolerance) return;
    rec_.tolerance = days;
    // Ticks made stay; lines the wider tolerance now reaches are ticked too.
    qb::bankrec::match(rec_);
    markUnsaved();
}

void Tfr_dz::closingTyped() {
    if (rec_.closingFrom == qb::bankrec::ClosingFrom::Statement) return;
    const QString text = Edit1->text().trimmed();
    if (text.isEmpty()) return;
    const std::optional<qb::money::Cents> closing = qb::statement::parse_amount(text);
    if (!closing || !qb::money::withinLimit(*closing)) {
        qb::messages().plain(
            QStringLiteral("对账单期末余额“%1”不是有效的金额（最多两位小数，不超过 %2）。")
                .arg(text, qb::money::grouped(qb::money::kLimit)));
        return;
    }
    if (rec_.hasStatement() && *closing == rec_.bankClosing) return;
    rec_.bankClosing = *closing;
    rec_.closingFrom = qb::bankrec::ClosingFrom::Given;
    markUnsaved();
}

void Tfr_dz::closeEvent(QCloseEvent* event) {
    if (unsaved_ &&
        qb::messages().ask(kCaption,
                           QStringLiteral("对账结果还没有保存，关闭后勾对将丢失。"
                                          "确定关闭吗？"),
                           qb::MsgIcon::Question, qb::MsgButtons::YesNo) != qb::MsgAnswer::Yes) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
