#!/usr/bin/env python3
"""Runs the benchmark executables of a build folder and prints one table: the median of each
benchmark, its ratio to the frame-copy floor measured in the same run, and the goal it has.
Ratios and goals use CPU time: on a shared machine wall time also counts other processes'
turns. Both are shown."""
import json
import os
import subprocess
import sys

EXECUTABLES = ["keyfall_bench", "keyfall_bench_gtk"]
FLOOR = "floor/memcpy_frame"
# Goals: ("ratio", n) is at most n times the floor; ("us", n) at most n microseconds.
GOALS = {
    "blitKeyed/background_640x320": ("ratio", 1.5),
    "paintGameScreen/headless_in_play": ("ratio", 3.0),
    "gtk/frame_part": ("us", 1000.0),
    # A tick that finds nothing changed costs less than the frame it spares; the ranking
    # screen's check reads the ranking file, as its paint does.
    "repaintTick/game_screen_unchanged": ("ratio", 0.5),
    "repaintTick/ranking_screen_unchanged": ("ratio", 4.0),
    "pickWord/30000_records_hard": ("us", 2000.0),
    # A thousand kept games verified in ten seconds.
    "verifyJournal/two_minute_hard_game": ("us", 10000.0),
    # The records screen: 2000 kept games read and charted, then the screen composed.
    "recordsFigures/2000_games": ("us", 20000.0),
    "composeRecordsScreen/2000_games": ("us", 2000.0),
}
UNIT_TO_US = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}


def medians(executable, repetitions, min_time):
    command = [executable, f"--benchmark_repetitions={repetitions}",
               f"--benchmark_min_time={min_time}", "--benchmark_report_aggregates_only=true",
               "--benchmark_format=json"]
    result = subprocess.run(command, check=True, capture_output=True, text=True)
    found = {}
    for run in json.loads(result.stdout)["benchmarks"]:
        if run.get("aggregate_name") == "median":
            scale = UNIT_TO_US[run["time_unit"]]
            found[run["run_name"]] = (run["cpu_time"] * scale, run["real_time"] * scale)
            if "record_bytes" in run:
                COUNTS[run["run_name"]] = f"its history record: {run['record_bytes']:.0f} bytes"
    return found


# What a benchmark measured besides its time, printed under the table.
COUNTS = {}


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build-bench"
    repetitions = int(os.environ.get("BENCH_REPETITIONS", "15"))
    min_time = os.environ.get("BENCH_MIN_TIME", "0.1")
    rows = []
    for name in EXECUTABLES:
        path = os.path.join(build, "bench", name)
        if not os.path.exists(path):
            print(f"bench: {name} was not built (for keyfall_bench_gtk: GTK 3 missing)")
            continue
        found = medians(path, repetitions, min_time)
        floor = found[FLOOR][0] if FLOOR in found else None
        for bench, (us, wall) in found.items():
            rows.append((name, bench, us, wall, us / floor if floor else float("nan")))

    print(f"medians of {repetitions} repetitions; x floor = CPU time / the floor's CPU time in "
          "the same executable")
    print(f"{'executable':<18} {'benchmark':<44} {'CPU':>11} {'wall':>11} {'x floor':>8}  goal")
    missed = 0
    for name, bench, us, wall, ratio in rows:
        goal = GOALS.get(bench)
        verdict = ""
        if goal:
            kind, limit = goal
            ok = (ratio if kind == "ratio" else us) <= limit
            missed += not ok
            verdict = (f"<= {limit:g}x floor" if kind == "ratio" else f"<= {limit:g} us") + \
                (": met" if ok else ": MISSED")
        print(f"{name:<18} {bench:<44} {us:>8.1f} us {wall:>8.1f} us {ratio:>7.2f}x  {verdict}")
    for bench, text in COUNTS.items():
        print(f"{bench}: {text}")
    print(f"bench: {missed} goal(s) missed" if missed else "bench: every goal met")


if __name__ == "__main__":
    main()
