#!/usr/bin/env bash
# Tries the Debian package as a newcomer meets it: unpacked into a scratch root (dpkg -x), the
# command-line tool run from there in an empty folder (help, a sample ledger, a month printed and
# exported with the templates the package ships), the package's contents and, where lintian is
# installed, its verdict. Usage: tools/package_check.sh [build]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
debs=("$build"/quillbook_*.deb)
[ -f "${debs[0]}" ] || { echo "no package in $build: run make package"; exit 1; }
deb=${debs[0]}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg -x "$deb" "$scratch/root"
cli="$scratch/root/usr/bin/quillbook-cli"
mkdir "$scratch/desk"
cd "$scratch/desk"

passed=0
check() {
    local what=$1
    shift
    if "$@" >"$scratch/out" 2>&1; then
        passed=$((passed + 1))
    else
        echo "package check failed: $what"
        cat "$scratch/out"
        echo "package: $passed passed, 1 failed"
        exit 1
    fi
}
month=$(date +%Y-%m)
check "quillbook-cli --help" "$cli" --help
check "sample" "$cli" sample --books 3 --months 2 --lines 5
check "print from an empty folder" "$cli" print 本部 现金日记帐 "$month" --pdf month.pdf
check "export from an empty folder" "$cli" export 本部 现金日记帐 "$month"
check "the PDF, the workbook and the sample's book lists are there" \
    sh -c 'test -s month.pdf && test -s qbk.xls && grep -q 本部 zbinfo.ini && grep -q 银行卡 zbinfo.ini'
check "the package's files" sh -c "dpkg-deb -c '$deb' > '$scratch/files' && for f in \
    ./usr/bin/quillbook ./usr/share/quillbook/pr.rls ./usr/share/quillbook/ExcelF.dat \
    ./usr/share/quillbook/qbk.chm ./usr/share/applications/quillbook.desktop \
    ./usr/share/metainfo/io.github.quillbook.Quillbook.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/quillbook.svg \
    ./usr/share/icons/hicolor/48x48/apps/quillbook.png \
    ./usr/share/man/man1/quillbook-cli.1.gz; do grep -q \" \$f\$\" '$scratch/files' || \
    { echo missing \$f; exit 1; }; done"
check "dependencies on the linked libraries" sh -c "dpkg-deb -f '$deb' Depends | grep -q libqt6widgets6"
if command -v lintian >/dev/null; then
    check "lintian finds no error" lintian --fail-on error "$deb"
fi
echo "package: $passed passed, 0 failed"
