"""A short game of the real keyfall under valgrind memcheck: start, a word typed, F1 to F6,
the ranking screen and back, Exit. No block of ours may be lost; what GTK, Pango, fontconfig
and the other desktop libraries keep for the life of the process is named, entry by entry, in
--suppressions.

Run inside a display without a window manager (scripts/xvfb-session)."""

import argparse
import os
import re
import shutil
import subprocess
import sys
import time

import window_driver as x

WORDS = "[EASY]\r\nねこ,neko\r\n[NORMAL]\r\nいぬ,inu\r\n[HARD]\r\nさくら,sakura\r\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--valgrind", required=True)
    parser.add_argument("--keyfall", required=True)
    parser.add_argument("--suppressions", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--source-date", required=True)
    args = parser.parse_args()
    # The game runs in the work folder: every path given must hold from there.
    for name in ("valgrind", "keyfall", "suppressions", "work", "source_date"):
        value = getattr(args, name)
        if os.path.exists(value):
            setattr(args, name, os.path.abspath(value))

    shutil.rmtree(args.work, ignore_errors=True)
    date = os.path.join(args.work, "Date")
    shutil.copytree(args.source_date, date)
    for stale in ("RankingDate.ini", "RankingDate.ini.lock"):
        if os.path.exists(os.path.join(date, stale)):
            os.remove(os.path.join(date, stale))
    with open(os.path.join(date, "Words.txt"), "wb") as file:
        file.write(WORDS.encode("cp932"))

    log = os.path.join(args.work, "valgrind.txt")
    command = [args.valgrind, "--leak-check=full", "--errors-for-leak-kinds=definite",
               "--show-leak-kinds=definite", "--error-exitcode=99", "--num-callers=40",
               f"--suppressions={args.suppressions}", f"--log-file={log}", args.keyfall]
    env = dict(os.environ, NO_AT_BRIDGE="1")
    output = open(os.path.join(args.work, "keyfall.out"), "wb")
    game = subprocess.Popen(command, cwd=args.work, env=env, stdout=output,
                            stderr=subprocess.STDOUT)
    try:
        # Everything runs some twenty times slower under memcheck.
        window = x.find_window("^Keyfall$", 180)
        if window is None:
            output.flush()
            with open(output.name, "rb") as printed:
                said = printed.read()[-3000:].decode(errors="replace")
            print(f"FAILED: the window did not appear under valgrind (exit {game.poll()}):\n{said}")
            return 1
        time.sleep(5)
        x.focus(window)
        x.keys("alt+g", "s", pause=2)
        time.sleep(15)  # the countdown, slowed down
        x.focus(window)
        x.type_text("neko", delay_ms=400)
        x.keys("F1", "F2", "F3", "F4", "F5", "F6", pause=1)
        x.keys("alt+s", "r", pause=3)   # the ranking screen
        time.sleep(5)
        x.keys("alt+s", "g", pause=3)   # the game screen again
        x.keys("alt+g", "End", "Return", pause=3)  # Exit, with the game still running
        status = game.wait(timeout=300)
    finally:
        if game.poll() is None:
            game.kill()
            game.wait()
    with open(log, encoding="utf-8", errors="replace") as file:
        report = file.read()
    summary = re.search(r"definitely lost: ([\d,]+) bytes in ([\d,]+) blocks", report)
    print(summary.group(0) if summary else "no leak summary")
    errors = re.search(r"ERROR SUMMARY: (\d+) errors", report)
    if status != 0 or not errors or errors.group(1) != "0":
        print(f"FAILED: exit status {status}; the report follows\n")
        print(report[-20000:])
        return 1
    print("ok: no block of ours is lost, and memcheck saw no error")
    return 0


if __name__ == "__main__":
    sys.exit(main())
