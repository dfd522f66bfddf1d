#!/usr/bin/env bash
# Builds the screenshot program of the administration windows and runs it off screen.
# Usage: tools/screenshots_admin.sh [build directory] [output folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-/tmp/quillbook-shots}
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2 --target screenshots_admin
QT_QPA_PLATFORM=offscreen "$build/admin/screenshots_admin" "$out"
echo "pictures in $out"
