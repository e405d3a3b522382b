#!/usr/bin/env bash
# Runs every harness of a fuzz build, two at a time, and prints per harness the runs, the
# executions per second and the corpus size. Any finding fails the run; the input that led to
# it is kept under BUILD/fuzz-findings/.
#   fuzz/run.sh BUILD_DIR SECONDS [HARNESS...]   each harness for SECONDS on its own growing
#                                                corpus (seeded from fuzz/corpus/<name>)
#   fuzz/run.sh --fixed BUILD_DIR [HARNESS...]   each harness once over every input of
#                                                fuzz/corpus/<name> and a fixed set of
#                                                variations of them: the same on every run
set -uo pipefail

fixed=0
if [[ ${1:-} == --fixed ]]; then
  fixed=1
  shift
fi
if (($# < 1 + !fixed)); then
  echo "usage: fuzz/run.sh BUILD_DIR SECONDS [HARNESS...] | fuzz/run.sh --fixed BUILD_DIR [HARNESS...]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
shift
seconds=0
if ((!fixed)); then
  seconds=$1
  shift
fi
source_dir=$(cd "$(dirname "$0")" && pwd)
harnesses=("$@")
if ((${#harnesses[@]} == 0)); then
  for binary in "$build"/fuzz/fuzz_*; do harnesses+=("${binary##*/fuzz_}"); done
fi

# Variations of the fixed run per harness: about fifteen seconds of each on this project's
# two-core machine (the quick harnesses have the smaller inputs to vary).
declare -A variations=([dib]=20000 [words]=4000 [profile]=8000 [data_path]=50000 [judge]=30000
  [any_romaji]=15000 [history]=3000)

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
  local options=(-timeout=20 -rss_limit_mb=2048 -print_final_stats=1
    -artifact_prefix="$findings/$name-")
  # The bitmap loader reports every picture it leaves out on stderr; keep the log readable.
  [[ $name == dib ]] && options+=(-close_fd_mask=2)
  local inputs=("$source_dir/corpus/$name")
  if ((fixed)); then
    local varied=$scratch/variations-$name
    python3 "$source_dir/mutants.py" "$source_dir/corpus/$name" "$varied" \
      "${variations[$name]:-10000}" >"$logs/$name.log" 2>&1 || {
      echo $? >"$logs/$name.status"
      return
    }
    # -runs=0: every input of the folders once, and nothing more.
    options+=(-runs=0)
    inputs+=("$varied")
  else
    local corpus=$build/fuzz-corpus/$name
    mkdir -p "$corpus"
    options+=(-max_total_time="$seconds")
    inputs=("$corpus" "${inputs[@]}")
  fi
  "$build/fuzz/fuzz_$name" "${options[@]}" "${inputs[@]}" >>"$logs/$name.log" 2>&1
  echo $? >"$logs/$name.status"
  [[ -n ${varied:-} ]] && rm -rf "$varied"
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
  counted=$build/fuzz-corpus/$name
  ((fixed)) && counted=$source_dir/corpus/$name
  corpus=$(find "$counted" -type f | wc -l)
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
if ((fixed)); then
  echo "fuzz: every harness ran its corpus and its fixed variations without a finding"
else
  echo "fuzz: every harness ran ${seconds}s without a finding"
fi
