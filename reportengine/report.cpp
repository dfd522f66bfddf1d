#include "report.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>

#include "layout.h"
#include "messages.h"
#include "template.h"
#include "zhye_default.h"

namespace qb::report {

namespace {

// The templates ask for 宋体, as the cashier's printouts always did; an installed CJK font
// stands in for it so that screens, paper and PDF files show Chinese.
void substituteFonts() {
    static const bool done = [] {
        if (QFont::substitutes(QStringLiteral("宋体")).isEmpty())
            QFont::insertSubstitutions(
                QStringLiteral("宋体"),
                {QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Serif CJK SC"),
                 QStringLiteral("Noto Sans CJK SC")});
        return true;
    }();
    Q_UNUSED(done);
}

QString escaped(QString text) {
    text.replace(QLatin1Char('{'), QStringLiteral("{{"));
    text.replace(QLatin1Char('}'), QStringLiteral("}}"));
    return text;
}

}  // namespace

Report::Report() {
    substituteFonts();
}
Report::~Report() = default;

bool Report::fail(const QString& message) const {
    qb::messages().plain(message);
    return false;
}

bool Report::load(const QString& path) {
    template_.reset();
    document_.reset();
    QFile file(path);
    if (!file.exists()) return fail(QStringLiteral("找不到报表模板文件：%1").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("报表模板文件 %1 无法读取：%2").arg(path, file.errorString()));
    return loadXml(file.readAll(), path);
}

bool Report::loadOrDefault(const QString& path, const QByteArray& builtinXml) {
    if (!QFileInfo::exists(path)) return loadXml(builtinXml, QFileInfo(path).fileName());
    return load(path);
}

bool Report::loadXml(const QByteArray& xml, const QString& origin) {
    template_.reset();
    document_.reset();
    origin_ = origin;
    QString error;
    auto tpl = readTemplate(xml, &error);
    if (!tpl) return fail(QStringLiteral("报表模板 %1 格式错误，%2").arg(origin, error));
    template_ = std::make_unique<Template>(std::move(*tpl));
    layout_ = template_->layout;
    stale_ = true;
    return true;
}

bool Report::hasObject(const QString& name) const {
    return template_ && template_->object(name) != nullptr;
}

TemplateObject* Report::namedObject(const QString& name, bool picture) const {
    if (!template_) {
        fail(QStringLiteral("没有载入报表模板，无法设置“%1”").arg(name));
        return nullptr;
    }
    TemplateObject* object = template_->object(name);
    if (!object) {
        fail(QStringLiteral("报表模板 %1 中没有对象“%2”").arg(origin_, name));
        return nullptr;
    }
    if ((object->kind == TemplateObject::Kind::Picture) != picture) {
        fail(QStringLiteral("报表模板 %1 中的对象“%2”不是%3")
                 .arg(origin_, name, picture ? QStringLiteral("图片") : QStringLiteral("文本")));
        return nullptr;
    }
    return object;
}

bool Report::setText(const QString& name, const QString& text) {
    TemplateObject* object = namedObject(name, false);
    if (!object) return false;
    object->text = escaped(text);
    stale_ = true;
    return true;
}

bool Report::setPicture(const QString& name, const QImage& picture) {
    TemplateObject* object = namedObject(name, true);
    if (!object) return false;
    object->picture = picture;
    stale_ = true;
    return true;
}

QSizeF Report::objectSize(const QString& name) const {
    const TemplateObject* object = template_ ? template_->object(name) : nullptr;
    return object ? object->mm.normalized().size() : QSizeF();
}

QString Report::text(const QString& name) const {
    const TemplateObject* object = template_ ? template_->object(name) : nullptr;
    return object ? object->text : QString();
}

void Report::setDataSource(std::shared_ptr<const DataSource> source) {
    source_ = std::move(source);
    stale_ = true;
}

QPageLayout Report::pageLayout() const {
    return layout_;
}

void Report::setPageLayout(const QPageLayout& layout) {
    layout_ = layout;
    stale_ = true;
}

void Report::setOffset(QPointF offsetMm, bool printGuides) {
    offset_ = offsetMm;
    printGuides_ = printGuides;
    stale_ = true;
}

bool Report::prepare() {
    if (!template_) return fail(QStringLiteral("没有载入报表模板"));
    QString error;
    auto document = layOut(*template_, layout_, source_.get(), &error, offset_, printGuides_);
    if (!document) return fail(QStringLiteral("报表 %1 无法生成：%2").arg(origin_, error));
    document_ = std::move(document);
    stale_ = false;
    return true;
}

bool Report::ensurePrepared() {
    return (!stale_ && document_) || prepare();
}

bool Report::writePdf(const QString& path) {
    return ensurePrepared() && savePdf(*document_, path, QFileInfo(origin_).completeBaseName());
}

bool Report::print(QPagedPaintDevice& device) {
    if (!ensurePrepared()) return false;
    if (!paintDocument(*document_, device)) return fail(QStringLiteral("无法打印报表"));
    return true;
}

bool savePdf(const Document& document, const QString& path, const QString& title) {
    QString error;
    if (writePdf(document, path, title, &error)) return true;
    qb::messages().plain(error.isEmpty() ? QStringLiteral("无法写入 %1").arg(path)
                                         : QStringLiteral("无法写入 %1：%2").arg(path, error));
    return false;
}

const QByteArray& builtinBalanceTable() {
    static const QByteArray xml(kBuiltinBalanceTable);
    return xml;
}

}  // namespace qb::report
