#include "preview_dialog.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QShortcut>
#include <QToolButton>

#include "messages.h"
#include "prepared.h"
#include "report.h"
#include "report_preview.h"

namespace qb::report {

namespace {

struct ZoomChoice {
    const char* label;
    double zoom;  // 0: fit width, -1: whole page
};
constexpr ZoomChoice kZooms[] = {{"页宽", 0},   {"整页", -1},  {"50%", 0.5}, {"75%", 0.75},
                                 {"100%", 1.0}, {"150%", 1.5}, {"200%", 2.0}};

QToolButton* toolButton(QWidget* parent, const char* objectName, const QString& text) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(objectName));
    button->setText(text);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

}  // namespace

PreviewDialog::PreviewDialog(Report& report, QWidget* parent)
    : QDialog(parent),
      report_(report),
      name_(QFileInfo(report.origin()).completeBaseName()),
      preview_(new ReportPreview(this)) {
    setObjectName(QStringLiteral("ReportPreviewDialog"));
    setWindowTitle(QStringLiteral("打印预览"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    preview_->setObjectName(QStringLiteral("preview"));

    auto* bar = new QHBoxLayout;
    zoom_ = new QComboBox(this);
    zoom_->setObjectName(QStringLiteral("zoom"));
    for (const ZoomChoice& z : kZooms)
        zoom_->addItem(QString::fromUtf8(z.label));
    auto* first = toolButton(this, "firstPage", QStringLiteral("首页"));
    auto* prior = toolButton(this, "priorPage", QStringLiteral("上页"));
    auto* next = toolButton(this, "nextPage", QStringLiteral("下页"));
    auto* last = toolButton(this, "lastPage", QStringLiteral("末页"));
    pageLabel_ = new QLabel(this);
    pageLabel_->setObjectName(QStringLiteral("pageLabel"));
    auto* open = toolButton(this, "openReport", QStringLiteral("打开"));
    auto* save = toolButton(this, "saveReport", QStringLiteral("保存"));
    pageSetup_ = toolButton(this, "pageSetup", QStringLiteral("页面设置"));
    auto* print = toolButton(this, "print", QStringLiteral("打印"));
    findText_ = new QLineEdit(this);
    findText_->setObjectName(QStringLiteral("findText"));
    findText_->setPlaceholderText(QStringLiteral("查找内容"));
    findText_->setMaximumWidth(160);
    auto* find = toolButton(this, "find", QStringLiteral("查找"));
    auto* pdf = toolButton(this, "savePdf", QStringLiteral("另存为PDF"));
    workbook_ = toolButton(this, "saveWorkbook", QStringLiteral("导出Excel"));
    exportWorkbook_ = [this] { saveWorkbook(); };
    auto* close = toolButton(this, "close", QStringLiteral("关闭"));
    for (QWidget* w :
         std::initializer_list<QWidget*>{zoom_, first, prior, next, last, pageLabel_, open, save,
                                         pageSetup_, print, findText_, find, pdf, workbook_})
        bar->addWidget(w);
    bar->addStretch();
    bar->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(preview_, 1);

    connect(zoom_, &QComboBox::currentIndexChanged, this, &PreviewDialog::setZoomChoice);
    connect(first, &QToolButton::clicked, this, [this] { preview_->showPage(0); });
    connect(prior, &QToolButton::clicked, this,
            [this] { preview_->showPage(preview_->currentPage() - 1); });
    connect(next, &QToolButton::clicked, this,
            [this] { preview_->showPage(preview_->currentPage() + 1); });
    connect(last, &QToolButton::clicked, this,
            [this] { preview_->showPage(preview_->pageCount() - 1); });
    connect(open, &QToolButton::clicked, this, &PreviewDialog::openReport);
    connect(save, &QToolButton::clicked, this, &PreviewDialog::saveReport);
    connect(pageSetup_, &QToolButton::clicked, this, &PreviewDialog::pageSetup);
    connect(print, &QToolButton::clicked, this, &PreviewDialog::print);
    connect(find, &QToolButton::clicked, this, [this] { this->find(findText_->text()); });
    connect(findText_, &QLineEdit::returnPressed, this, [this] { this->find(findText_->text()); });
    connect(pdf, &QToolButton::clicked, this, &PreviewDialog::savePdf);
    connect(workbook_, &QToolButton::clicked, this, [this] {
        if (exportWorkbook_) exportWorkbook_();
    });
    connect(close, &QToolButton::clicked, this, &QDialog::accept);
    connect(preview_, &ReportPreview::pageChanged, this, &PreviewDialog::updatePageLabel);
    auto* findKey = new QShortcut(QKeySequence::Find, this);
    connect(findKey, &QShortcut::activated, findText_, [this] { findText_->setFocus(); });
    auto* printKey = new QShortcut(QKeySequence::Print, this);
    connect(printKey, &QShortcut::activated, this, &PreviewDialog::print);

    resize(1000, 720);
    preview_->setDocument(report_.document());
    setZoomChoice(0);
}

void PreviewDialog::setWorkbookExport(std::function<void()> action) {
    exportWorkbook_ = std::move(action);
    workbook_->setVisible(bool(exportWorkbook_));
}

void PreviewDialog::setZoomChoice(int index) {
    if (index < 0 || index >= int(std::size(kZooms))) return;
    if (zoom_->currentIndex() != index) zoom_->setCurrentIndex(index);  // comes back here
    const double zoom = kZooms[index].zoom;
    if (zoom == 0)
        preview_->fitWidth();
    else if (zoom < 0)
        preview_->fitPage();
    else
        preview_->setZoom(zoom);
}

void PreviewDialog::updatePageLabel(int page, int count) {
    pageLabel_->setText(count == 0 ? QString()
                                   : QStringLiteral("第 %1 页 共 %2 页").arg(page + 1).arg(count));
}

bool PreviewDialog::openReport() {
    const QString path = asking().reportFileName(this, QString(), false);
    if (path.isEmpty()) return false;
    QString error;
    std::shared_ptr<Document> document = readPrepared(path, &error);
    if (!document) {
        qb::messages().plain(QStringLiteral("无法打开报表 %1：%2").arg(path, error));
        return false;
    }
    preview_->setDocument(std::move(document));
    name_ = QFileInfo(path).completeBaseName();
    const QString kept = QStringLiteral("打开的报表按保存时的样子显示，不能再改");
    pageSetup_->setEnabled(false);
    pageSetup_->setToolTip(kept);
    workbook_->setEnabled(false);
    workbook_->setToolTip(kept);
    setZoomChoice(zoom_->currentIndex());
    return true;
}

bool PreviewDialog::saveReport() {
    const auto document = preview_->document();
    if (!document) return false;
    QString path = asking().reportFileName(this, name_ + QLatin1Char('.') + kPreparedSuffix, true);
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += QLatin1Char('.') + kPreparedSuffix;
    QString error;
    if (writePrepared(*document, path, &error)) return true;
    qb::messages().plain(QStringLiteral("无法保存报表 %1：%2").arg(path, error));
    return false;
}

bool PreviewDialog::pageSetup() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(report_.pageLayout());
    if (!asking().pageSetupDialog(printer, this)) return false;
    const QPageLayout before = report_.pageLayout();
    report_.setPageLayout(printer.pageLayout());
    if (!report_.prepare()) {
        // The new paper cannot hold the report: keep what was there.
        report_.setPageLayout(before);
        report_.prepare();
        return false;
    }
    preview_->setDocument(report_.document());
    setZoomChoice(zoom_->currentIndex());
    return true;
}

bool PreviewDialog::print() {
    return preview_->print();
}

bool PreviewDialog::find(const QString& needle) {
    if (needle.isEmpty()) return false;
    if (preview_->findNext(needle)) return true;
    qb::messages().plain(QStringLiteral("没有找到“%1”").arg(needle));
    return false;
}

bool PreviewDialog::savePdf() {
    const auto document = preview_->document();
    if (!document) return false;
    const QString path = asking().pdfFileName(this, name_ + QStringLiteral(".pdf"));
    return !path.isEmpty() && qb::report::savePdf(*document, path, name_);
}

bool PreviewDialog::saveWorkbook() {
    const QString path = asking().workbookFileName(this, report_.workbookName());
    if (path.isEmpty()) return false;
    return report_.writeWorkbook(path);
}

bool showPreview(Report& report, QWidget* parent, const QString& title,
                 std::function<void()> exportWorkbook) {
    if (!report.prepare()) return false;
    PreviewDialog dialog(report, parent);
    if (!title.isEmpty()) dialog.setWindowTitle(title);
    if (exportWorkbook) dialog.setWorkbookExport(std::move(exportWorkbook));
    dialog.setWindowModality(Qt::ApplicationModal);
    asking().runModal(dialog);
    return true;
}

}  // namespace qb::report
