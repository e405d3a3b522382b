#!/usr/bin/env bash
# keyfall-sim --export-csv on a history with a damaged record: a header row and one row per
# kept game, the damaged record counted on standard error.
set -euo pipefail
sim=$1 history=$2 games=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/Date"
cp "$history" "$work/Date/History.txt"
(cd "$work" && "$sim" --export-csv out.csv 2>err.txt)
head -1 "$work/out.csv" | grep -q '^date,time,difficulty,kind,score,' || { echo "no header row"; exit 1; }
rows=$(($(wc -l <"$work/out.csv") - 1))
[[ $rows -eq $games ]] || { echo "$rows rows, $games games"; exit 1; }
grep -q '1 damaged records skipped' "$work/err.txt" || { cat "$work/err.txt"; exit 1; }
grep -q ',practice,' "$work/out.csv" || { echo "no practice game"; exit 1; }
echo "export-csv: $rows rows"
