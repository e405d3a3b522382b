#!/usr/bin/env bash
# Plays one script through keyfall-sim in a fresh copy of a data folder and compares its
# output with the expected one. Usage: run_golden.sh SIM SCRIPT EXPECTED DATA_DIR
set -euo pipefail
sim=$1 script=$2 expected=$3 data=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$data"/. "$work"/
cd "$work"
"$sim" "$script" > actual.txt 2> stderr.txt || { echo "keyfall-sim failed:"; cat stderr.txt; exit 1; }
if ! diff -u "$expected" actual.txt; then
  echo "output differs from $expected"
  exit 1
fi
if [[ -f "${expected%.out}.ranking" ]]; then
  diff -u "${expected%.out}.ranking" Date/RankingDate.ini
fi
# Every game the script finished is kept, and its journal plays the same game again.
if [[ -f Date/History.txt ]]; then
  "$sim" --verify Date/History.txt > verify.txt 2>&1 || { echo "the kept games do not verify:"; cat verify.txt; exit 1; }
fi
