#!/usr/bin/env bash
# Builds and runs the screenshot program of the account books windows; the pictures go to
# the directory given (default /tmp/quillbook-shots/books).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build-books}"
out="${1:-/tmp/quillbook-shots/books}"
[ -f "$build/build.ninja" ] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2 --target screenshots_books
QT_QPA_PLATFORM=offscreen "$build/tests/books/screenshots_books" "$out"
ls "$out"
