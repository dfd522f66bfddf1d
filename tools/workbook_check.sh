#!/usr/bin/env bash
# Checks the workbook export against LibreOffice, the spreadsheet program of a Linux desktop:
# the shipped template opens; a month exported by quillbook-cli reads back (converted to CSV by
# LibreOffice headless) as exactly the month `quillbook-cli journal` prints; a shorter month
# (an empty one) exported over it leaves no line of the longer one; a workbook saved again by LibreOffice takes
# a further export. Not part of CI: LibreOffice is a large install.
# Usage: tools/workbook_check.sh [build directory] [output folder]
# Needs: apt-get install libreoffice-calc-nogui
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-/tmp/quillbook-workbook}
if ! command -v soffice >/dev/null; then
    echo "LibreOffice is missing: apt-get install -y --no-install-recommends libreoffice-calc-nogui"
    exit 1
fi
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2 --target quillbook-cli
cli=$(realpath "$build/cli/quillbook-cli")
rm -rf "$out"
mkdir -p "$out"
cp templates/ExcelF.dat "$out/"
cd "$out"
export HOME=$out  # LibreOffice keeps its profile here, away from the user's

# Sheet 1 of a workbook as CSV, UTF-8, each cell as LibreOffice shows it.
as_csv() {
    local file=$1 name=$2
    cp "$file" "$name.xlsx"
    soffice --headless --norestore --convert-to \
        'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false,1' \
        "$name.xlsx" >/dev/null 2>&1
    # LibreOffice names the file of one sheet after it: name-日记帐.csv
    for f in "$name"-*.csv; do [ -e "$f" ] && mv "$f" "$name.csv"; done
    [ -s "$name.csv" ] || { echo "FAIL: LibreOffice could not read $file"; exit 1; }
}

"$cli" sample --books 3 --months 3 --lines 40 >/dev/null
longer=$(date -d "$(date +%Y-%m-15) -1 month" +%Y-%m)
shorter=$(date -d "$(date +%Y-%m-15) -3 year" +%Y-%m)  # before the books began: no lines

as_csv ExcelF.dat template
failed=0
/usr/bin/python3 - template.csv <<'EOF' || failed=1
import csv, sys
rows = list(csv.reader(open(sys.argv[1], encoding='utf-8')))
want = ['记账日期', '凭证号', '票号', '摘要', '借方', '贷方', '余额', '凭证张数', '报销人', '经办人']
if rows[2][:10] != want:
    sys.exit(f"FAIL: the template's row 3 is {rows[2]}")
EOF

# The workbook's rows from row 4 against the journal's lines, and the headings.
compare() {
    local month=$1 csvfile=$2
    "$cli" journal 本部 现金日记帐 "$month" >"journal-$month.csv"
    /usr/bin/python3 - "journal-$month.csv" "$csvfile" <<'EOF' || failed=1
import csv, sys
journal = list(csv.reader(open(sys.argv[1], encoding='utf-8')))[1:-2]  # no titles, no totals
sheet = list(csv.reader(open(sys.argv[2], encoding='utf-8')))
if sheet[0][0] != '现金日记帐' or sheet[1][0] != '账簿：本部':
    sys.exit(f'FAIL: headings {sheet[0][0]!r} {sheet[1][0]!r}')
lines = [[c.replace(',', '') for c in row[:10]] for row in sheet[3:] if any(row[:10])]
if lines != journal:
    for a, b in zip(lines, journal):
        if a != b:
            print('sheet  ', a, '\njournal', b)
            break
    sys.exit(f'FAIL: {sys.argv[2]}: {len(lines)} rows, the journal has {len(journal)}')
print(f'{sys.argv[2]}: {len(lines)} lines as in the journal')
EOF
}

"$cli" export 本部 现金日记帐 "$longer" >/dev/null
as_csv qbk.xls longer
compare "$longer" longer.csv
"$cli" export 本部 现金日记帐 "$shorter" >/dev/null
as_csv qbk.xls shorter
compare "$shorter" shorter.csv

# The cashier saves the workbook in LibreOffice; the next export goes into that file.
soffice --headless --norestore --convert-to xlsx --outdir saved qbk.xls >/dev/null 2>&1
cp saved/qbk.xlsx qbk.xls
"$cli" export 本部 现金日记帐 "$longer" >/dev/null
as_csv qbk.xls resaved
compare "$longer" resaved.csv
"$cli" export 本部 现金日记帐 "$shorter" >/dev/null
as_csv qbk.xls resaved-shorter
compare "$shorter" resaved-shorter.csv

[ "$failed" -eq 0 ] && echo "workbook check passed ($out)" || echo "workbook check FAILED"
exit "$failed"
