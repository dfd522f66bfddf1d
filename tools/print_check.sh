#!/usr/bin/env bash
# Prints a month of 3,000 lines through quillbook-cli and checks the PDF as a reader's tool
# extracts it: every journal line once and in order, every page but the last ending with
# "接  下  页" and every page but the first beginning with "承  上  页", and the totals under the
# last line equal to those of the journal (the register's footers). Also times the print.
# Usage: tools/print_check.sh [build directory] [output folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-/tmp/quillbook-print}
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2 --target quillbook-cli workdir_templates
cli=$(cd "$build/cli" && pwd)/quillbook-cli
rm -rf "$out" && mkdir -p "$out"
cp "$build/workdir/pr.rls" "$out/"
"$cli" --dir "$out" sample --books 1 --months 2 --lines 2999 >/dev/null
month=$(date -d "$(date +%Y-%m-15) -1 month" +%Y-%m)
"$cli" --dir "$out" journal 本部 现金日记帐 "$month" >"$out/journal.csv"
start=$(date +%s.%N)
"$cli" --dir "$out" print 本部 现金日记帐 "$month" --pdf "$out/pr.pdf"
end=$(date +%s.%N)
pdftotext -layout "$out/pr.pdf" "$out/pr.txt"

failed=0
fail() { echo "FAIL: $*"; failed=1; }

# The lines, in order: date and voucher number (the carry-forward row prints no number).
tail -n +2 "$out/journal.csv" | grep -E '^[0-9]{4}-' | awk -F, '{print $1, ($2 == "0" ? "" : $2)}' \
    >"$out/expected.txt"
grep -E '^ *[0-9]{4}-[0-9]{2}-[0-9]{2} ' "$out/pr.txt" |
    awk '{print $1, ($2 ~ /^[0-9]+$/ ? $2 : "")}' >"$out/printed.txt"
cmp -s "$out/expected.txt" "$out/printed.txt" ||
    fail "the printed lines differ from the journal (diff $out/expected.txt $out/printed.txt)"

# Page ends and starts, pages separated by form feeds; the header takes three lines.
awk -v RS='\f' '
    NF == 0 { next }
    {
        n = split($0, all, "\n"); k = 0
        for (i = 1; i <= n; i++) if (all[i] ~ /[^ ]/) line[++k] = all[i]
        pages++; first[pages] = line[4]; last[pages] = line[k - 1]
    }
    END {
        for (p = 1; p <= pages; p++) {
            if (p < pages && last[p] !~ /接 +下 +页/) { print "page " p " does not end with 接下页"; bad = 1 }
            if (p > 1 && first[p] !~ /承 +上 +页/) { print "page " p " does not begin with 承上页"; bad = 1 }
        }
        print pages " pages"
        exit bad
    }' "$out/pr.txt" || fail "carry lines"

# The totals equal the journal's, as the register's footers show them.
grouped() { printf "%.2f" "$1" | sed -E ':a;s/^(-?[0-9]+)([0-9]{3})/\1,\2/;ta'; }
for kind in 本月合计 本月累计; do
    IFS=, read -r _ _ _ _ debit credit balance _ < <(grep ",$kind," "$out/journal.csv")
    want="$kind$(grouped "$debit")$(grouped "$credit")$(grouped "$balance")"
    tr -d ' ' <"$out/pr.txt" | grep -qF -- "$want" || fail "the totals line $want is missing"
done

echo "$(wc -l <"$out/expected.txt") lines printed in $(echo "$end - $start" | bc) s: $out/pr.pdf"
[ "$failed" -eq 0 ] && echo "print check passed" || { echo "print check FAILED"; exit 1; }
