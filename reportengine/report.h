#pragma once

#include <QByteArray>
#include <QImage>
#include <QPageLayout>
#include <QString>
#include <memory>

#include "datasource.h"
#include "document.h"

class QPagedPaintDevice;

namespace qb::report {

struct Template;
struct TemplateObject;

// A report: a template loaded from a file, the texts the program puts into its named objects,
// and the rows of its detail band. Failures (missing file, broken template, unknown object or
// field) are told through qb::messages() and answered with false; nothing throws.
//
//   qb::report::Report report;
//   if (!report.load(QDir::current().filePath("pr.rls"))) return;
//   report.setDataSource(std::make_shared<qb::report::QueryDataSource>(query));
//   if (!report.setText("memo3", category)) return;
//   qb::report::showPreview(report, this);  // preview_dialog.h
class Report {
public:
    Report();
    ~Report();
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    // Loads a template file; a missing or unreadable file gives a message and false.
    bool load(const QString& path);
    // Like load(), but a missing file silently takes the built-in layout instead.
    bool loadOrDefault(const QString& path, const QByteArray& builtinXml);
    // Loads a template from memory; origin names it in messages.
    bool loadXml(const QByteArray& xml, const QString& origin);
    bool loaded() const { return bool(template_); }
    const QString& origin() const { return origin_; }

    // Named text objects. setText puts in plain text (braces are not placeholders); an unknown
    // name (or no template) gives a message and false. text() gives the object's text in its
    // template form.
    bool hasObject(const QString& name) const;
    bool setText(const QString& name, const QString& text);
    QString text(const QString& name) const;
    // Puts a picture into a named picture object (a chart, drawn as large as fits its box); an
    // unknown name, or an object that is no picture, gives a message and false.
    bool setPicture(const QString& name, const QImage& picture);
    // The size of a named object in millimetres; empty when there is none.
    QSizeF objectSize(const QString& name) const;

    // The detail band's rows; none means the detail band prints nothing.
    void setDataSource(std::shared_ptr<const DataSource> source);

    // Paper, orientation and margins; the template's own until changed (page setup).
    QPageLayout pageLayout() const;
    void setPageLayout(const QPageLayout& layout);

    // Lays the report out into pages. False (with a message) when nothing is loaded or the
    // template names a field the data source lacks.
    bool prepare();
    // The pages of the last successful prepare(); empty before.
    std::shared_ptr<const Document> document() const { return document_; }
    int pageCount() const { return document_ ? int(document_->pages.size()) : 0; }

    // Moves everything on the page by the offset in millimetres: the shift a desk's printer needs
    // to hit a pre-printed form's fields. printGuides puts the form's outline on paper too, for
    // a calibration page on plain paper; otherwise it shows in the preview only.
    void setOffset(QPointF offsetMm, bool printGuides = false);

    // Prepares when needed (after a load, setText, setDataSource or setPageLayout) and writes
    // a PDF file, without any window. A failed write gives
    // a message and false and leaves no half-written file.
    bool writePdf(const QString& path);
    // Prepares when needed and paints every page on a printer or other paged device.
    bool print(QPagedPaintDevice& device);
    // Writes the report as a new workbook (replacing any file at path): the page header, title
    // and column header once, then every detail line and the summary, each band line a sheet
    // row and the texts in columns as they stand on paper; page footers are left out. Single
    // values of the lines keep their kind (amounts, dates, whole numbers). A failure gives a
    // message and false and leaves any file at path as it was.
    bool writeWorkbook(const QString& path);
    // A file name for it: the report's first heading text, else the template's name.
    QString workbookName() const;

private:
    bool fail(const QString& message) const;
    // The named object of the loaded template, of the kind asked for; null after a message.
    TemplateObject* namedObject(const QString& name, bool picture) const;
    bool ensurePrepared();

    std::unique_ptr<Template> template_;
    QString origin_;
    std::shared_ptr<const DataSource> source_;
    QPageLayout layout_;
    QPointF offset_;
    bool printGuides_ = false;
    std::shared_ptr<const Document> document_;
    bool stale_ = true;
};

// Writes prepared pages as a PDF file; a failure is told through the message service.
bool savePdf(const Document& document, const QString& path, const QString& title);

// The balance table's layout, used when its template file is missing.
const QByteArray& builtinBalanceTable();

}  // namespace qb::report
