#!/usr/bin/env bash
# A malformed script line stops keyfall-sim with exit code 2 and a message naming the line.
set -euo pipefail
sim=$1 data=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$data"/. "$work"/
cd "$work"
check() {  # check LINE-NUMBER SCRIPT
  local expected=$1 status=0
  printf '%b' "$2" > script.sim
  "$sim" script.sim > out.txt 2> err.txt || status=$?
  if [[ $status -ne 2 ]] || ! grep -q "line $expected:" err.txt; then
    echo "script: $2"; echo "exit status $status, stderr:"; cat err.txt; exit 1
  fi
}
check 2 'wait 10\nwait ten\n'
check 1 'dismiss\n'
check 3 '# comment\n\nbogus\n'
check 1 'char AB\n'
check 1 'key F13\n'
check 2 'menu 40001\nwait -5\n'
check 1 'type\n'
# A script read from standard input works the same, and ends with the close and its exit.
printf 'menu 40001\nwait 10\n' | "$sim" > out.txt 2> err.txt
tail -n 1 out.txt | grep -qx 'exit 0' || { echo "no exit line:"; cat out.txt; exit 1; }
echo "malformed scripts rejected"
