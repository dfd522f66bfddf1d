#include "czrz.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

#include "fr_dat.h"
#include "guarded.h"
#include "ledger.h"
#include "messages.h"
#include "oplog_report.h"
#include "places.h"
#include "preview_dialog.h"
#include "report.h"
#include "users.h"
#include "widgets.h"
#include "workbook.h"

namespace {

const QString kNoBook = QStringLiteral("（不涉及帐簿）");
const QStringList kTitles{QStringLiteral("时间"), QStringLiteral("操作员"), QStringLiteral("身份"),
                          QStringLiteral("操作"), QStringLiteral("帐簿"),   QStringLiteral("月份"),
                          QStringLiteral("行号")};

QString indented(const QString& json) {
    if (json.isNull()) return QStringLiteral("（无）");
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8());
    return document.isNull() ? json : QString::fromUtf8(document.toJson(QJsonDocument::Indented));
}

}  // namespace

Tfr_czrz::Tfr_czrz(Session& session, QWidget* parent) : QWidget(parent), session_(session) {
    setObjectName(QStringLiteral("fr_czrz"));
    setWindowTitle(QStringLiteral("操作日志"));
    showReport = [this](qb::report::Report& report) {
        qb::report::showPreview(report, this, QStringLiteral("操作日志"));
    };
    pickWorkbook = [](QWidget* parent) {
        return QFileDialog::getSaveFileName(
            parent, QStringLiteral("导出Excel"),
            QDir::current().filePath(QStringLiteral("操作日志.xlsx")),
            QStringLiteral("Excel 工作簿 (*.xlsx *.xls)"));
    };
    from_ = new QDateEdit(QDate::currentDate().addMonths(-1), this);
    to_ = new QDateEdit(QDate::currentDate(), this);
    for (QDateEdit* day : {from_, to_}) {
        day->setCalendarPopup(true);
        day->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }
    from_->setObjectName(QStringLiteral("from"));
    to_->setObjectName(QStringLiteral("to"));
    user_ = new QComboBox(this);
    user_->setObjectName(QStringLiteral("user"));
    user_->setEditable(true);
    operation_ = new QComboBox(this);
    operation_->setObjectName(QStringLiteral("operation"));
    operation_->addItem(QString());
    operation_->addItems(qb::oplog::operations());
    book_ = new QComboBox(this);
    book_->setObjectName(QStringLiteral("book"));
    text_ = new QLineEdit(this);
    text_->setObjectName(QStringLiteral("text"));
    text_->setPlaceholderText(QStringLiteral("摘要、金额等，照原样查找"));
    guarded([this] {
        user_->addItem(QString());
        user_->addItems(qb::users::user_names(session_.dat));
        book_->addItem(QString());
        book_->addItem(kNoBook, QString(""));
        for (const auto& [id, caption] : qb::oplog::book_captions(session_.dat))
            book_->addItem(caption, id);
    });

    list_ = new QTableWidget(0, int(kTitles.size()), this);
    list_->setObjectName(QStringLiteral("list"));
    list_->setHorizontalHeaderLabels(kTitles);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->verticalHeader()->hide();
    list_->horizontalHeader()->setStretchLastSection(true);
    values_ = new QPlainTextEdit(this);
    values_->setObjectName(QStringLiteral("values"));
    values_->setReadOnly(true);
    connect(list_, &QTableWidget::currentCellChanged, this, [this] { showEntry(); });

    QPushButton* find = namedButton(this, "search", QStringLiteral("查询(&F)"));
    QPushButton* excel = namedButton(this, "export", QStringLiteral("导出Excel"));
    QPushButton* preview = namedButton(this, "print", QStringLiteral("打印预览"));
    QPushButton* restore = namedButton(this, "restore", QStringLiteral("恢复此行"));
    QPushButton* quit = namedButton(this, "quit", QStringLiteral("关闭(Q)"));
    connect(find, &QPushButton::clicked, this, &Tfr_czrz::search);
    connect(excel, &QPushButton::clicked, this, &Tfr_czrz::exportWorkbook);
    connect(preview, &QPushButton::clicked, this, &Tfr_czrz::print);
    connect(restore, &QPushButton::clicked, this, &Tfr_czrz::restoreLine);
    connect(quit, &QPushButton::clicked, this, &QWidget::close);
    connect(text_, &QLineEdit::returnPressed, this, &Tfr_czrz::search);

    auto* grid = new QGridLayout(this);
    const auto labelled = [&](int row, int column, const QString& caption, QWidget* field) {
        grid->addWidget(new QLabel(caption, this), row, column);
        grid->addWidget(field, row, column + 1);
    };
    labelled(0, 0, QStringLiteral("从"), from_);
    labelled(0, 2, QStringLiteral("到"), to_);
    labelled(0, 4, QStringLiteral("操作员"), user_);
    labelled(1, 0, QStringLiteral("操作"), operation_);
    labelled(1, 2, QStringLiteral("帐簿"), book_);
    labelled(1, 4, QStringLiteral("内容"), text_);
    grid->addWidget(list_, 2, 0, 1, 6);
    grid->addWidget(values_, 3, 0, 1, 6);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {find, preview, excel, restore, quit})
        buttons->addWidget(b);
    grid->addLayout(buttons, 4, 0, 1, 6);
    resize(860, 600);
    guarded([this] { search(); });
}

void Tfr_czrz::search() {
    qb::oplog::Filter filter;
    filter.from = from_->date();
    filter.to = to_->date();
    filter.user = user_->currentText().trimmed();
    filter.operation = operation_->currentText();
    if (book_->currentIndex() > 0) filter.bookId = book_->currentData().toString();
    filter.text = text_->text();
    guarded([&] {
        entries_ = qb::oplog::entries(session_.dat, filter);
        filter_ = filter;
    });
    list_->setRowCount(0);
    list_->setRowCount(int(entries_.size()));
    for (int row = 0; row < int(entries_.size()); ++row) {
        const qb::oplog::Entry& e = entries_[size_t(row)];
        const int at = book_->findData(e.bookId);
        const QStringList cells{qb::oplog::local_time(e.time),
                                e.user,
                                e.role,
                                e.operation,
                                at > 0 ? book_->itemText(at) : e.bookId,
                                e.month,
                                e.rowId ? QString::number(e.rowId) : QString()};
        for (int column = 0; column < int(cells.size()); ++column)
            list_->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    list_->resizeColumnsToContents();
    if (!entries_.empty()) list_->setCurrentCell(int(entries_.size()) - 1, 0);
    showEntry();
}

const qb::oplog::Entry* Tfr_czrz::current() const {
    const int row = list_->currentRow();
    return row >= 0 && row < int(entries_.size()) ? &entries_[size_t(row)] : nullptr;
}

void Tfr_czrz::showEntry() {
    const qb::oplog::Entry* e = current();
    values_->setPlainText(e ? QStringLiteral("修改前：\n%1\n修改后：\n%2")
                                  .arg(indented(e->before), indented(e->after))
                            : QString());
}

void Tfr_czrz::exportWorkbook() {
    if (entries_.empty()) {
        qb::messages().plain(QStringLiteral("没有可以导出的日志记录。"));
        return;
    }
    const QString path = pickWorkbook(this);
    if (path.isEmpty()) return;
    qb::workbook::Sheet sheet;
    QStringList titles = kTitles;
    titles << QStringLiteral("修改前") << QStringLiteral("修改后");
    for (int column = 0; column < int(titles.size()); ++column)
        sheet.set(1, column + 1, qb::workbook::Cell::ofText(titles[column]));
    for (int row = 0; row < list_->rowCount(); ++row) {
        for (int column = 0; column < list_->columnCount(); ++column)
            sheet.set(row + 2, column + 1,
                      qb::workbook::Cell::ofText(list_->item(row, column)->text()));
        const qb::oplog::Entry& e = entries_[size_t(row)];
        sheet.set(row + 2, int(kTitles.size()) + 1, qb::workbook::Cell::ofText(e.before));
        sheet.set(row + 2, int(kTitles.size()) + 2, qb::workbook::Cell::ofText(e.after));
    }
    if (guarded([&] {
            qb::workbook::create(path, QStringLiteral("操作日志"), sheet,
                                 {20, 12, 10, 10, 20, 8, 8, 60, 60});
        }))
        qb::messages().plain(
            QStringLiteral("已导出 %1 条记录到 %2").arg(entries_.size()).arg(path));
}

void Tfr_czrz::print() {
    if (entries_.empty()) {
        qb::messages().plain(QStringLiteral("没有可以打印的日志记录。"));
        return;
    }
    qb::report::Report report;
    bool filled = false;
    guarded([&] {
        filled = qb::report::operation_log_report(
            report, qb::places::shipped(QDir::currentPath(), QStringLiteral("czrz.rls")), entries_,
            filter_, qb::oplog::book_captions(session_.dat));
    });
    if (filled) showReport(report);
}

void Tfr_czrz::restoreLine() {
    const qb::oplog::Entry* e = current();
    if (!e || e->operation != qb::oplog::kLineDeleted) {
        qb::messages().plain(QStringLiteral("请先选中一条“删除凭证”的记录。"));
        return;
    }
    const qint64 id = e->id;
    if (guarded([&] { qb::ledger::restore_line(session_.dat, id); })) {
        qb::messages().plain(QStringLiteral("已恢复这一行。"));
        search();
    }
}
