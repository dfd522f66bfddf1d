#!/usr/bin/env bash
# Builds and runs the screenshot program of the application shell (splash, main window with the
# login panel and after login as each role, about box, help window); the pictures go to the
# directory given (default /tmp/quillbook-shots/shell).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build-shell}"
out="${1:-/tmp/quillbook-shots/shell}"
[ -f "$build/build.ninja" ] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2 --target screenshots_shell help_file
QT_QPA_PLATFORM=offscreen "$build/tests/app/screenshots_shell" "$out" "$build/workdir/qbk.chm"
ls "$out"
