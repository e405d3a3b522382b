#!/usr/bin/env bash
# One whole game of keyfall-sim under valgrind memcheck, in a fresh copy of the data folder: no
# invalid access, no use of uninitialised memory, no leak, one result box, and `exit 0`.
# Usage: valgrind_game.sh VALGRIND SIM DATA_DIR SCRIPT
set -euo pipefail
valgrind=$1 sim=$2 data=$3 script=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$data" "$work/Date"
rm -f "$work/Date/RankingDate.ini"
cd "$work"

status=0
"$valgrind" --error-exitcode=1 --leak-check=full --show-leak-kinds=definite,indirect,possible \
  --errors-for-leak-kinds=definite,indirect,possible "$sim" "$script" >out.txt 2>valgrind.txt ||
  status=$?
if ((status != 0)); then
  echo "valgrind_game: exit status $status"
  tail -n 60 valgrind.txt
  exit 1
fi
if [[ $(tail -n 1 out.txt) != "exit 0" ]]; then
  echo "valgrind_game: the run did not end with exit 0"
  tail -n 5 out.txt
  exit 1
fi
boxes=$(grep -c '^messagebox caption=スコア' out.txt || true)
if [[ $boxes != 1 ]]; then
  echo "valgrind_game: $boxes result boxes, expected 1"
  grep '^messagebox' out.txt
  exit 1
fi
grep -E 'ERROR SUMMARY|total heap usage' valgrind.txt
