#pragma once

#include <QString>
#include <memory>

#include "document.h"

// A prepared report kept in a file of the engine's own (PREPARED.md describes it), so that a
// printout can be opened again later exactly as it was, without the ledger or the template it
// came from.
namespace qb::report {

// The file name pattern the previews offer.
inline const QString kPreparedFilter = QStringLiteral("Quillbook 报表 (*.qbr)");
inline const QString kPreparedSuffix = QStringLiteral("qbr");

// Writes the pages; a failed write leaves no half-written file and false comes back with error
// saying why.
bool writePrepared(const Document& document, const QString& path, QString* error);
// Reads a file written by writePrepared; nothing, and error saying why, when the file cannot be
// read or is not a prepared report.
std::shared_ptr<Document> readPrepared(const QString& path, QString* error);

}  // namespace qb::report
