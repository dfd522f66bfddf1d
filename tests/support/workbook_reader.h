#pragma once

#include <QJsonObject>
#include <QString>

// A workbook read back by another program than the one that wrote it: Debian's python3-openpyxl
// (/usr/bin/python3). The result describes the first sheet and the workbook around it:
//   "cells":  {"A1": {"v": value, "t": "s"|"n"|"d", "fmt": number format, "bold": bool,
//              "fill": "FFRRGGBB" or ""}, ...}  (cells holding a value; dates as "YYYY-MM-DD")
//   "styled": ["A4", ...]  (cells without a value that carry formatting of their own)
//   "sheets": [names], "merged": ["A1:J1", ...], "widths": {"A": 12.0, ...},
//   "names":  {"defined name": "reference"}, "freeze": "A4", "maxRow": n
// On failure "error" holds what the reader said.
QJsonObject readWorkbook(const QString& path);

// Changes a workbook as a person would in a spreadsheet program: the Python statements run with
// the workbook as wb and its first sheet as ws (openpyxl), then the file is saved under its name.
// A path where no file is makes a new workbook. Returns what went wrong, or nothing.
QString editWorkbook(const QString& path, const QString& statements);
