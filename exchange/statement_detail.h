#pragma once

// What the statement reader's parts share: refusals, and the rows of a file before its header
// is found. Not for callers outside exchange/.
#include <QByteArray>
#include <QString>
#include <vector>

#include "statement.h"

namespace qb::statement::detail {

[[noreturn]] void refuse(const QString& path, const QString& why);
[[noreturn]] void refuseLine(const QString& path, int line, const QString& why);

// The bytes of a regular file of at most kMaxFileBytes; a folder, a device, a pipe and a larger
// file are refused before anything is read, so that reading never waits.
QByteArray file_bytes(const QString& path);

// Every row of the file, the empty ones too, with its line; and the encoding or kind.
struct Rows {
    std::vector<Row> rows;
    QString encoding;
};
// A CSV text in UTF-8 (a byte-order mark decides first) or GB18030; a text that is neither
// throughout is refused with the line of its first bad byte.
Rows text_rows(const QString& path, const QByteArray& bytes);
// The first sheet of an Office Open XML workbook; dates as 2024-05-01, numbers as written.
Rows xlsx_rows(const QString& path, const QByteArray& bytes);
// The first sheet of an older binary workbook, read through FreeXL.
Rows xls_rows(const QString& path);

// A cell's text as compared: without padding and the tabs some banks put into every cell.
QString padless(QString text);
// A number of a workbook cell as a statement writes it: without the binary noise of a double.
QString numberText(double value);

}  // namespace qb::statement::detail
