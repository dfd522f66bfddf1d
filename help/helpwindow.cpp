#include "helpwindow.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QUrl pageUrl(const QString& page) {
    QUrl url;
    url.setScheme(QStringLiteral("chm"));
    url.setPath(page.startsWith(QLatin1Char('/')) ? page : QLatin1Char('/') + page);
    return url;
}

// Reads the pages and pictures of the help file instead of the disk.
class ChmBrowser : public QTextBrowser {
public:
    ChmBrowser(const std::unique_ptr<ChmFile>& file, QWidget* parent)
        : QTextBrowser(parent), file_(file) {}

    QVariant loadResource(int type, const QUrl& url) override {
        if (!file_ || url.scheme() != QLatin1String("chm"))
            return QTextBrowser::loadResource(type, url);
        const QByteArray bytes = file_->read(url.path());
        if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource)
            return QString::fromUtf8(bytes);
        return bytes;
    }

private:
    const std::unique_ptr<ChmFile>& file_;
};

}  // namespace

HelpWindow::HelpWindow(const ChmApi& api) : QWidget(nullptr, Qt::Window), api_(api) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Quillbook 帮助"));
    resize(860, 600);

    auto* splitter = new QSplitter(this);
    tree_ = new QTreeWidget(splitter);
    tree_->setObjectName(QStringLiteral("TreeView1"));
    tree_->setHeaderHidden(true);
    browser_ = new ChmBrowser(file_, splitter);
    browser_->setObjectName(QStringLiteral("TextBrowser1"));
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({200, 660});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    connect(tree_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        const QString page = item->data(0, Qt::UserRole).toString();
        if (!page.isEmpty()) browser_->setSource(pageUrl(page));
    });
    connect(tree_, &QTreeWidget::itemClicked, tree_, &QTreeWidget::itemActivated);
}

HelpWindow::~HelpWindow() = default;

QString HelpWindow::showTopic(const QString& path, const QString& topic) {
    if (!file_ || file_->path() != path) {
        if (!QFileInfo::exists(path)) return QStringLiteral("找不到帮助文件：\n%1").arg(path);
        auto file = std::make_unique<ChmFile>(api_, path);
        if (!file->isOpen())
            return QStringLiteral("帮助文件不能打开，文件可能已损坏：\n%1").arg(path);
        browser_->clear();
        file_ = std::move(file);
        loadContents();
    }
    const QString page = topic.isEmpty() ? file_->defaultTopic() : topic;
    if (page.isEmpty() || !file_->contains(page))
        return QStringLiteral("帮助文件中没有“%1”这一页：\n%2").arg(page, path);
    if (!file_->title().isEmpty()) setWindowTitle(file_->title());
    browser_->setSource(pageUrl(page));
    for (QTreeWidgetItemIterator it(tree_); *it; ++it)
        if ((*it)->data(0, Qt::UserRole).toString() == page) tree_->setCurrentItem(*it);
    return QString();
}

QString HelpWindow::currentPage() const {
    return browser_->source().path().mid(1);
}

void HelpWindow::loadContents() {
    // The contents file is a sitemap: nested lists of objects naming a page and its title.
    tree_->clear();
    const QString sitemap = QString::fromUtf8(file_->read(file_->contentsFile()));
    static const QRegularExpression token(
        QStringLiteral("<ul>|</ul>|<object[^>]*text/sitemap[^>]*>(.*?)</object>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression param(
        QStringLiteral("<param\\s+name=\"(\\w+)\"\\s+value=\"([^\"]*)\""),
        QRegularExpression::CaseInsensitiveOption);
    QList<QTreeWidgetItem*> parents;
    QTreeWidgetItem* last = nullptr;
    for (const QRegularExpressionMatch& m : token.globalMatch(sitemap)) {
        const QString whole = m.captured(0).toLower();
        if (whole == QLatin1String("<ul>")) {
            parents.append(last);
        } else if (whole == QLatin1String("</ul>")) {
            if (!parents.isEmpty()) parents.removeLast();
        } else {
            QString name, local;
            for (const QRegularExpressionMatch& p : param.globalMatch(m.captured(1))) {
                if (p.captured(1).compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0)
                    name = p.captured(2);
                if (p.captured(1).compare(QLatin1String("Local"), Qt::CaseInsensitive) == 0)
                    local = p.captured(2);
            }
            QTreeWidgetItem* parent = parents.isEmpty() ? nullptr : parents.last();
            last = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
            last->setText(0, name);
            last->setData(0, Qt::UserRole, local);
        }
    }
    tree_->expandAll();
}
