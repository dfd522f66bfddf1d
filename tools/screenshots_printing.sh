#!/usr/bin/env bash
# Builds the printouts' screenshot program, runs it off screen in the working directory that
# holds the report templates, and turns the PDF pages into pictures.
# Usage: tools/screenshots_printing.sh [build directory] [output folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-/tmp/quillbook-shots/printing}
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2 --target screenshots_printing workdir_templates
mkdir -p "$out"
out=$(cd "$out" && pwd)
(cd "$build/workdir" && QT_QPA_PLATFORM=offscreen "../tests/reports/screenshots_printing" "$out")
for f in zhye pr; do
    pdftoppm -r 80 -png -f 1 -l 2 "$out/$f.pdf" "$out/${f}_page"
done
echo "pictures in $out"
