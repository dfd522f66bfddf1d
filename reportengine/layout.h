#pragma once

#include <QPageLayout>
#include <QString>
#include <memory>

#include "document.h"

namespace qb::report {

class DataSource;
struct Template;

// Lays a template and its rows out into pages. Bands keep their heights, so a detail line is
// never cut: it goes whole onto the next page when it does not fit. Every page starts with
// the page header and the column header (the title comes between them on the first page) and
// ends with the page footer; a detail line that meets a break condition ends its page. The
// summary and then the appendix follow the last line, each on a new page when it does not fit
// (an appendix's page without the column header).
// Nothing when a field is unknown or a band cannot fit on a page; error says why.
// offsetMm moves everything on the page (a printer that feeds a form askew); inkGuides prints
// the guides as any other object (a calibration page on plain paper).
std::shared_ptr<Document> layOut(const Template& tpl, const QPageLayout& layout,
                                 const DataSource* source, QString* error, QPointF offsetMm = {},
                                 bool inkGuides = false);

}  // namespace qb::report
