#include "zjrb.h"

#include <QDateEdit>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include "dailyworkbook.h"
#include "guarded.h"
#include "places.h"
#include "preview_dialog.h"
#include "printouts.h"
#include "report.h"
#include "report_preview.h"
#include "session.h"
#include "widgets.h"

namespace {

using qb::dailyreport::Line;

enum Column { CategoryColumn, NameColumn, AccountColumn, FirstAmountColumn = 3, LinesColumn = 7 };
const QColor kSubtotal(235, 235, 235);
const QColor kMarked(255, 215, 215);

QDateEdit* dayPicker(QWidget* parent, const char* name) {
    auto* picker = new QDateEdit(QDate::currentDate(), parent);
    picker->setObjectName(QLatin1String(name));
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return picker;
}

// The cells of one line, as the table shows them.
QStringList cells(const Line& line) {
    using qb::money::grouped;
    return {line.category,
            line.name,
            line.account,
            grouped(line.amounts.broughtIn),
            grouped(line.amounts.debit),
            grouped(line.amounts.credit),
            grouped(line.amounts.closing),
            QString::number(line.amounts.lines),
            line.mark};
}

}  // namespace

Tfr_zjrb::Tfr_zjrb(Session& session, QWidget* parent) : QWidget(parent), session_(session) {
    setObjectName(QStringLiteral("fr_zjrb"));
    setWindowTitle(QStringLiteral("资金日报表"));
    from_ = dayPicker(this, "dtpFrom");
    to_ = dayPicker(this, "dtpTo");
    table_ = new QTableWidget(0, int(qb::dailyreport::kColumns.size()), this);
    table_->setObjectName(QStringLiteral("table"));
    table_->setHorizontalHeaderLabels(qb::dailyreport::kColumns);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("note"));
    previewButton_ = namedButton(this, "previewButton", QStringLiteral("打印预览"),
                                 style()->standardIcon(QStyle::SP_FileDialogContentsView));
    pdfButton_ = namedButton(this, "pdfButton", QStringLiteral("另存为PDF"),
                             style()->standardIcon(QStyle::SP_DialogSaveButton));
    workbookButton_ = namedButton(this, "workbookButton", QStringLiteral("导出Excel"),
                                  style()->standardIcon(QStyle::SP_DialogSaveButton));
    QPushButton* close = namedButton(this, "closeButton", QStringLiteral("关闭"),
                                     style()->standardIcon(QStyle::SP_DialogCloseButton));

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("日期："), this));
    top->addWidget(from_);
    top->addWidget(new QLabel(QStringLiteral("至"), this));
    top->addWidget(to_);
    top->addStretch();
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(note_, 1);
    for (QPushButton* b : {previewButton_, pdfButton_, workbookButton_, close})
        bottom->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(table_, 1);
    layout->addLayout(bottom);
    // Wide enough for every column of a hundred-million balance without scrolling sideways.
    setMinimumSize(940, 460);
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);

    // A run of days never ends before it starts: moving one end past the other takes it along.
    connect(from_, &QDateEdit::dateChanged, this, [this](const QDate& day) {
        if (to_->date() < day) to_->setDate(day);
        refresh();
    });
    connect(to_, &QDateEdit::dateChanged, this, [this](const QDate& day) {
        if (from_->date() > day) from_->setDate(day);
        refresh();
    });
    connect(previewButton_, &QPushButton::clicked, this, &Tfr_zjrb::preview);
    connect(pdfButton_, &QPushButton::clicked, this, &Tfr_zjrb::savePdf);
    connect(workbookButton_, &QPushButton::clicked, this, &Tfr_zjrb::saveWorkbook);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    refresh();
}

void Tfr_zjrb::refresh() {
    if (from_->date() > to_->date()) return;  // the other end follows at once
    guarded(
        [&] { report_ = qb::dailyreport::report_of(session_.dat, from_->date(), to_->date()); });
    const std::vector<Line> lines = qb::dailyreport::lines(report_);
    table_->setRowCount(int(lines.size()));
    int books = 0, marked = 0;
    for (int row = 0; row < int(lines.size()); ++row) {
        const Line& line = lines[size_t(row)];
        const QStringList texts = cells(line);
        const bool book = line.kind == Line::Kind::Book;
        books += book ? 1 : 0;
        marked += line.mark.isEmpty() ? 0 : 1;
        for (int column = 0; column < int(texts.size()); ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            if (column >= FirstAmountColumn && column <= LinesColumn)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (!book) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
                item->setBackground(kSubtotal);
            } else if (!line.mark.isEmpty()) {
                item->setBackground(kMarked);
                item->setForeground(Qt::darkRed);
                item->setToolTip(line.warning);
            }
            table_->setItem(row, column, item);
        }
    }
    note_->setText(marked == 0
                       ? QStringLiteral("账户数量：%1").arg(books)
                       : QStringLiteral("账户数量：%1，超限额或负数：%2").arg(books).arg(marked));
}

bool Tfr_zjrb::loadPrintout(qb::report::Report& printout) const {
    if (!qb::report::loadDailyReport(
            printout, qb::places::shipped(QDir::currentPath(), QStringLiteral("zjrb.rls")),
            report_))
        return false;
    printout.setDataSource(qb::report::dailyRows(report_));
    return true;
}

QString Tfr_zjrb::fileStem() const {
    return QStringLiteral("资金日报表 ") +
           qb::dailyreport::period_text(report_).remove(QLatin1Char(' '));
}

void Tfr_zjrb::preview() {
    qb::report::Report printout;
    if (loadPrintout(printout))
        qb::report::showPreview(printout, this, windowTitle(), [this] { saveWorkbook(); });
}

void Tfr_zjrb::savePdf() {
    const QString path = qb::report::asking().pdfFileName(
        this, QDir::current().filePath(fileStem() + QStringLiteral(".pdf")));
    if (path.isEmpty()) return;
    qb::report::Report printout;
    if (loadPrintout(printout) && printout.writePdf(path))
        qb::messages().plain(QStringLiteral("已另存为 %1").arg(path));
}

void Tfr_zjrb::saveWorkbook() {
    const QString path = qb::report::asking().workbookFileName(
        this, QDir::current().filePath(fileStem() + QStringLiteral(".xlsx")));
    if (path.isEmpty()) return;
    if (guarded([&] { qb::dailyworkbook::write(path, report_); }))
        qb::messages().plain(QStringLiteral("已导出到 %1").arg(path));
}
