#!/usr/bin/env bash
# Kills each writing command of quillbook-cli with SIGKILL at a random moment, again and again,
# and checks what it leaves: the ledger whole and as before or as after (`check` clean, the
# rows of every table either the old or the new count), a new ledger whole or absent, a target
# file whole or absent. Prints one line per command: survived / tried, and how many of the kills
# found the command still running (the others came after it had finished).
#
#   tools/kill_trial.sh [BUILD] [TRIES]
#
# Run beside the throwaway cluster (tools/pg_test_cluster.sh tools/kill_trial.sh) to try `post`
# on a server ledger too. Needs the sqlcipher shell, which plays the next writer: it undoes a
# change a killed writer left half done, exactly as the program would on opening.
set -uo pipefail

build=$(realpath "${1:-build}")
tries=${2:-20}
cli="$build/cli/quillbook-cli"
work=$(mktemp -d "${TMPDIR:-/tmp}/quillbook-kills.XXXXXX")
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

month=$(date -d "$(date +%Y-%m-15) -2 month" +%Y-%m)
key=mtk52096318

# The next writer's open: rolls back what a killed writer left, then counts every table's rows.
counts() {
    sqlcipher "$1" "pragma key='$key'; select 'accstar',count(*) from accstar; select 'crereg',count(*) from crereg; select 'total',count(*) from total; select 'basicset',count(*) from basicset; select 'pruser',count(*) from pruser;" 2>/dev/null | tr '\n' ' '
}

# Runs the command in the background and kills it after a random 0–0.4 s; counts the kills that
# found it running.
landed=0
killed() {
    "$@" >/dev/null 2>&1 &
    local pid=$!
    sleep "0.$(printf %03d $((RANDOM % 400)))"
    kill -9 "$pid" 2>/dev/null && landed=$((landed + 1))
    wait "$pid" 2>/dev/null
}

base="$work/base"
mkdir -p "$base"
"$cli" --dir "$base" sample --books 12 --months 18 --lines 60 >/dev/null || exit 1
cp "$build/workdir/ExcelF.dat" "$base/"
before=$(counts "$base/LedgerData.mdb")

fresh() {  # a copy of the sample ledger to spoil
    rm -rf "$work/l" && cp -r "$base" "$work/l"
}

trial() {  # NAME CHECK COMMAND...: CHECK decides after each kill whether the outcome is sound
    local name=$1 check=$2 survived=0
    shift 2
    landed=0
    for ((i = 0; i < tries; i++)); do
        fresh
        killed "$@"
        if $check; then survived=$((survived + 1)); fi
    done
    echo "$name: $survived / $tries ($landed killed while running)"
}

ledger_whole() {  # the ledger checks clean, its tables as before or after
    local now
    now=$(counts "$work/l/LedgerData.mdb")
    [ -n "$now" ] && "$cli" --dir "$work/l" check >/dev/null 2>&1
}
new_whole_or_absent() {  # a new ledger is whole, or there is none
    [ ! -e "$work/n/LedgerData.mdb" ] && return 0
    "$cli" --dir "$work/n" check >/dev/null 2>&1
}
copy_whole_or_absent() {
    [ ! -e "$work/c/LedgerData.mdb" ] && return 0
    [ "$(counts "$work/c/LedgerData.mdb")" = "$before" ]
}
backup_whole_or_absent() {
    local f
    for f in "$work"/l/backup/*.DAT; do
        [ -e "$f" ] || return 0
        "$cli" verify "$f" >/dev/null 2>&1 || return 1
    done
    ledger_whole
}
passphrase_whole() {  # opens with the old key or the new one, and checks clean
    if [ -n "$(counts "$work/l/LedgerData.mdb")" ]; then
        "$cli" --dir "$work/l" check >/dev/null 2>&1
    else
        key=new-secret
        local now
        now=$(counts "$work/l/LedgerData.mdb")
        key=mtk52096318
        [ -n "$now" ] && QUILLBOOK_PASSPHRASE=new-secret "$cli" --dir "$work/l" check >/dev/null 2>&1
    fi
}
workbook_whole_or_absent() {  # qbk.xls is absent or a whole workbook (a zip that tests sound)
    [ ! -e "$work/l/qbk.xls" ] && return 0
    unzip -tq "$work/l/qbk.xls" >/dev/null 2>&1
}

trial "post (a posted month again)" ledger_whole "$cli" --dir "$work/l" post 本部 现金日记帐 "$month"
trial "sample" new_whole_or_absent sh -c "rm -rf '$work/n'; mkdir -p '$work/n'; exec '$cli' --dir '$work/n' sample --books 20 --months 24"
trial "copy to a file" copy_whole_or_absent sh -c "rm -rf '$work/c'; mkdir -p '$work/c'; exec '$cli' copy --from '$work/l/LedgerData.mdb' --to '$work/c/LedgerData.mdb'"
trial "backup" backup_whole_or_absent "$cli" --dir "$work/l" backup
trial "passphrase set" passphrase_whole sh -c "printf 'new-secret\n' > '$work/pp'; exec '$cli' --dir '$work/l' passphrase set --new-passphrase-file '$work/pp'"
trial "export" workbook_whole_or_absent "$cli" --dir "$work/l" export 本部 现金日记帐 "$month"

if [ -n "${QB_TEST_SERVER:-}" ]; then
    db="quillbook_kills_$$"
    server="$QB_TEST_SERVER"
    target="${server/dbname=postgres/dbname=$db}"
    survived=0
    landed=0
    for ((i = 0; i < tries; i++)); do
        psql "$server" -qc "drop database if exists $db" -c "create database $db" >/dev/null 2>&1
        "$cli" copy --from "$base/LedgerData.mdb" --to "$target" >/dev/null 2>&1 || break
        killed "$cli" --server "$target" post 本部 现金日记帐 "$month"
        "$cli" --server "$target" check >/dev/null 2>&1 && survived=$((survived + 1))
    done
    psql "$server" -qc "drop database if exists $db" >/dev/null 2>&1
    echo "post on a server (a posted month again): $survived / $tries ($landed killed while running)"
fi
