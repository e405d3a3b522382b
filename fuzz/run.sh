#!/usr/bin/env bash
# Runs every harness of a fuzz build for a bounded time, two at a time, each on its own
# growing corpus (seeded from fuzz/corpus/<name>), and prints per harness the runs, the
# executions per second and the corpus size. Any finding fails the run; the input that led to
# it is kept under BUILD/fuzz-findings/.
# Usage: fuzz/run.sh BUILD_DIR SECONDS_PER_HARNESS [HARNESS...]
set -uo pipefail

build=$(cd "$1" && pwd)
seconds=$2
shift 2
source_dir=$(cd "$(dirname "$0")" && pwd)
harnesses=("$@")
if ((${#harnesses[@]} == 0)); then
  for binary in "$build"/fuzz/fuzz_*; do harnesses+=("${binary##*/fuzz_}"); done
fi

# The game writes its files under a temporary working directory; memory is the quickest place
# for thousands of small files and syncs. libFuzzer ends without the harnesses' clean-up, so
# their folders go into one of ours, removed at the end.
if [[ -z "${TMPDIR:-}" && -d /dev/shm && -w /dev/shm ]]; then export TMPDIR=/dev/shm; fi
scratch=$(mktemp -d "${TMPDIR:-/tmp}/keyfall-fuzz-run.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch

findings=$build/fuzz-findings
logs=$build/fuzz-logs
mkdir -p "$findings" "$logs"

run_one() {
  local name=$1
  local corpus=$build/fuzz-corpus/$name
  mkdir -p "$corpus"
  local options=(-max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1
    -artifact_prefix="$findings/$name-")
  # The bitmap loader reports every picture it leaves out on stderr; keep the log readable.
  [[ $name == dib ]] && options+=(-close_fd_mask=2)
  "$build/fuzz/fuzz_$name" "${options[@]}" "$corpus" "$source_dir/corpus/$name" \
    >"$logs/$name.log" 2>&1
  echo $? >"$logs/$name.status"
}

for name in "${harnesses[@]}"; do
  [[ -x $build/fuzz/fuzz_$name ]] || { echo "fuzz: no harness $name in $build"; exit 1; }
  rm -f "$logs/$name.status"
  run_one "$name" &
  # The machine has two cores: never more than two harnesses at once.
  while (($(jobs -rp | wc -l) >= 2)); do wait -n; done
done
wait

failed=0
printf '%-10s %12s %8s %8s %8s  %s\n' harness runs exec/s corpus new result
for name in "${harnesses[@]}"; do
  log=$logs/$name.log
  status=$(cat "$logs/$name.status" 2>/dev/null || echo missing)
  stat() { sed -n "s/^stat::$1: *//p" "$log" | tail -1; }
  corpus=$(find "$build/fuzz-corpus/$name" -type f | wc -l)
  result=ok
  if [[ $status != 0 ]]; then
    result="FINDING (exit $status), see $log"
    failed=1
  fi
  printf '%-10s %12s %8s %8s %8s  %s\n' "$name" "$(stat number_of_executed_units)" \
    "$(stat average_exec_per_sec)" "$corpus" "$(stat new_units_added)" "$result"
done
if ((failed)); then
  for name in "${harnesses[@]}"; do
    if [[ $(cat "$logs/$name.status") != 0 ]]; then
      echo "---- $name"
      grep -E -m 30 'ERROR|SUMMARY|check failed|#[0-9]+ 0x|Test unit written' "$logs/$name.log"
    fi
  done
  echo "fuzz: findings are kept in $findings; add the input to fuzz/corpus/<harness>/"
  exit 1
fi
echo "fuzz: every harness ran ${seconds}s without a finding"
