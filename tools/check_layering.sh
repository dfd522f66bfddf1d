#!/usr/bin/env bash
# Checks that includes between the rooms run one way only:
#   windows and the CLI -> copy -> bankrec -> exchange -> ledger -> data
# (tests, benchmarks and tools may include anything), and that nobody includes what another room
# keeps in its private/ folder. Lists every include that runs the other way and fails on one;
# with -v it lists every include that crosses rooms.
set -euo pipefail
cd "$(dirname "$0")/.."
verbose=${1:-}

# The core's rooms from the bottom up; every other folder holds windows or the CLI.
rank() {
    case $1 in
    data) echo 0 ;; ledger) echo 1 ;; exchange) echo 2 ;; bankrec) echo 3 ;; copy) echo 4 ;;
    tests | bench | tools) echo 9 ;;
    *) echo 5 ;;
    esac
}

# Where each header lives, by its file name.
declare -A home
while read -r header; do
    name=${header##*/}
    if [[ -n ${home[$name]:-} && ${home[$name]} != "$header" ]]; then
        echo "two headers named $name: ${home[$name]} and $header" >&2
        exit 2
    fi
    home[$name]=$header
done < <(git ls-files '*.h')

crossing=0
back=0
while IFS=: read -r file included; do
    name=${included##*/}
    header=${home[$name]:-}
    [[ -z $header ]] && continue # a generated or system header
    from=${file%%/*}
    to=${header%%/*}
    [[ $from == "$to" ]] && continue
    crossing=$((crossing + 1))
    why=
    if [[ $header == */private/* ]]; then
        why="private to $to/"
    elif (($(rank "$from") < $(rank "$to"))); then
        why="$from/ may not include $to/"
    fi
    if [[ -n $why ]]; then
        back=$((back + 1))
        echo "BACK  $file includes $header: $why"
    elif [[ $verbose == -v ]]; then
        echo "ok    $file includes $header"
    fi
done < <(git ls-files '*.cpp' '*.h' | xargs grep -o '^#include "[^"]*"' /dev/null |
    sed 's/#include "\(.*\)"$/\1/')

echo "$crossing includes cross rooms, $back run the wrong way"
((back == 0))
