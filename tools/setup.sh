#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Quillbook need.
# Does nothing when they are all present, so `make run` stays quick on a prepared machine.
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config ccache
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-gtk-platformtheme qt6-translations-l10n
    qt6-charts-dev libqt6opengl6-dev  # Qt Charts' CMake package asks for Qt's OpenGL module
    libsqlcipher-dev sqlcipher libpq-dev postgresql
    libsodium-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libquazip1-qt6-dev libchm-dev fp-utils libcsv-dev libfreexl-dev
    fonts-wqy-zenhei poppler-utils xvfb xauth clang-format python3-openpyxl
    lintian appstream desktop-file-utils librsvg2-bin  # the Debian package: icons, checks
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
