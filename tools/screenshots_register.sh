#!/usr/bin/env bash
# Builds the register's screenshot program and runs it off screen in the working directory that
# holds the report templates.
# Usage: tools/screenshots_register.sh [build directory] [output folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-/tmp/quillbook-shots}
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2 --target screenshots_register workdir_templates
mkdir -p "$out"
out=$(cd "$out" && pwd)
(cd "$build/workdir" && QT_QPA_PLATFORM=offscreen "../tests/register/screenshots_register" "$out")
echo "pictures in $out"
