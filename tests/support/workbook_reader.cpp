#include "workbook_reader.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>

namespace {

// openpyxl refuses file names it does not know ("qbk.xls"), but reads any open file.
const char* const kReader = R"(
import datetime, json, sys
import openpyxl
wb = openpyxl.load_workbook(open(sys.argv[1], 'rb'))
ws = wb.worksheets[0]
cells, styled = {}, []
for row in ws.iter_rows():
    for c in row:
        if c.value is None:
            if c.has_style and c.style_id != 0:
                styled.append(c.coordinate)
            continue
        v, t = c.value, c.data_type
        if isinstance(v, datetime.datetime):
            v = v.date().isoformat()
        fill = c.fill.fgColor.rgb if c.fill and c.fill.fill_type == 'solid' else ''
        cells[c.coordinate] = {'v': v, 't': t, 'fmt': c.number_format,
                               'bold': bool(c.font and c.font.b), 'fill': str(fill)}
names = {d.name: d.attr_text for d in wb.defined_names.definedName}
print(json.dumps({'cells': cells, 'styled': styled, 'sheets': wb.sheetnames,
                  'merged': [str(r) for r in ws.merged_cells.ranges],
                  'widths': {k: d.width for k, d in ws.column_dimensions.items() if d.width},
                  'names': names, 'freeze': ws.freeze_panes or '', 'maxRow': ws.max_row},
                 ensure_ascii=False))
)";

const char* const kEditor = R"(
import sys
import openpyxl
from openpyxl.styles import Font, PatternFill
wb = openpyxl.load_workbook(open(sys.argv[1], 'rb')) if sys.argv[3] == 'old' else openpyxl.Workbook()
ws = wb.worksheets[0]
exec(sys.argv[2])
wb.save(sys.argv[1])
)";

QString runPython(const char* script, const QStringList& args, QByteArray* out) {
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 QStringList{QStringLiteral("-c"), QString::fromUtf8(script)} + args);
    python.waitForFinished(60000);
    *out = python.readAllStandardOutput();
    if (python.exitStatus() == QProcess::NormalExit && python.exitCode() == 0) return {};
    return QString::fromUtf8(python.readAllStandardError() + *out) + python.errorString();
}

}  // namespace

QString editWorkbook(const QString& path, const QString& statements) {
    QByteArray out;
    return runPython(kEditor, {path, statements, QFile::exists(path) ? "old" : "new"}, &out);
}

QJsonObject readWorkbook(const QString& path) {
    QByteArray out;
    const QString error = runPython(kReader, {path}, &out);
    const QJsonObject result = QJsonDocument::fromJson(out).object();
    if (!error.isEmpty() || result.isEmpty())
        return {{QStringLiteral("error"), error.isEmpty() ? QString::fromUtf8(out) : error}};
    return result;
}
