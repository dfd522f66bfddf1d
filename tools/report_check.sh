#!/usr/bin/env bash
# Renders the three report templates with sample data to PDF, turns every page into PNG for a
# look, pictures the two previews, and checks the PDF text as a reader's tool extracts it
# (titles, carry lines, page numbers, amounts).
# Usage: tools/report_check.sh [build directory] [output folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-/tmp/quillbook-report}
mkdir -p "$out"
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2 --target report_samples
# 95 journal lines: carry pairs before lines 30, 60 and 90, four pages; 40 books: two pages.
QT_QPA_PLATFORM=offscreen "$build/tests/reportengine/report_samples" templates "$out" 95 40
for f in pr qbk zhye; do
    pdftoppm -r 90 -png "$out/$f.pdf" "$out/$f"
done

failed=0
# Checks that the PDF's text, spaces removed, holds each expected piece.
expect() {
    local file=$1; shift
    local text
    text=$(pdftotext -layout "$out/$file.pdf" - | tr -d ' ')
    for want in "$@"; do
        if ! grep -qF -- "$want" <<<"$text"; then
            echo "FAIL: $file.pdf lacks \"$want\""
            failed=1
        fi
    done
}
# Checks how often a piece occurs.
count() {
    local file=$1 want=$2 n=$3 got
    got=$(pdftotext -layout "$out/$file.pdf" - | tr -d ' ' | grep -oF -- "$want" | wc -l)
    if [ "$got" -ne "$n" ]; then
        echo "FAIL: $file.pdf has \"$want\" $got times, not $n"
        failed=1
    fi
}
expect pr 银行日记帐 账簿：华东分公司 日期：2026-03 第1页共4页 第4页共4页 月结转余额12,500.00 \
    凭证号 附件\(张\) 报销人 经办人
count pr 接下页 3
count pr 承上页 3
# Every page but the last ends with its carry-out line, every page but the first begins
# (under its headers) with the carry-in line.
for page in 1 2 3; do
    last=$(pdftotext -layout -f $page -l $page "$out/pr.pdf" - | grep -v '^\s*$' | tail -2 | head -1)
    grep -q '接  *下  *页' <<<"$last" || { echo "FAIL: page $page does not end with 接下页"; failed=1; }
done
for page in 2 3 4; do
    first=$(pdftotext -layout -f $page -l $page "$out/pr.pdf" - | grep -v '^\s*$' | sed -n 4p)
    grep -q '承  *上  *页' <<<"$first" || { echo "FAIL: page $page does not begin with 承上页"; failed=1; }
done
expect qbk 结存表 账簿：华东分公司 日期：2026-03 \
    银行日记帐152,000.0048,000.5030,500.25169,500.25169,500.25 \
    现金日记帐3,200.001,500.002,250.802,449.202,449.20 银行卡0.000.000.000.000.00
expect zhye 账户余额表 账户数量：40 第1页共2页 第2页共2页 -350.00 合计
pdffonts "$out/pr.pdf" | grep -q 'WenQuanYi' || { echo "FAIL: the CJK font is not embedded"; failed=1; }

echo "PDF, page pictures and preview pictures in $out"
[ "$failed" -eq 0 ] && echo "report check passed" || { echo "report check FAILED"; exit 1; }
