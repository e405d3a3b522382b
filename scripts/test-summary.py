#!/usr/bin/env python3
"""Prints what each part of `make test` ran: its counts, every test that failed, and every test
that did not run with the reason it gave (from ctest's JUnit files in the log folder), then
what the configure of each build left out because a tool was missing.
Usage: scripts/test-summary.py LOG_FOLDER PART..."""

import os
import re
import sys
import xml.etree.ElementTree as ElementTree

# A test that skips itself prints "skipped: why"; GoogleTest prints "FILE:LINE: Skipped" and
# the reason on the lines after it.
OWN_REASON = re.compile(r"^skipped:?\s*(.+)$", re.IGNORECASE | re.MULTILINE)
GTEST_REASON = re.compile(r": Skipped\n(.+?)\n\[  SKIPPED \]", re.DOTALL)
# The configure names what it leaves out in one line that ends with the make target to run.
LEFT_OUT = re.compile(r"^-- (.*\(make deps[^)]*\))$", re.MULTILINE)


def reason_of(case):
    output = case.findtext("system-out") or ""
    found = OWN_REASON.search(output) or GTEST_REASON.search(output)
    if found:
        return " ".join(found.group(1).split())
    if case.get("status") == "disabled":
        return "disabled by the configure (a tool it needs is missing; see below)"
    lines = [line for line in output.splitlines() if line.strip()]
    skipped = case.find("skipped")
    said = (skipped.get("message") if skipped is not None else None) or "no reason given"
    return f"{said}: {lines[-1].strip()}" if lines else said


def summarise(folder, part):
    # The games in a real window have a file of their own.
    paths = [os.path.join(folder, name) for name in (f"{part}.xml", f"{part}-games.xml")]
    paths = [path for path in paths if os.path.exists(path)]
    if not paths:
        return 0
    ran, failed, not_run = 0, [], []
    for case in (case for path in paths for case in ElementTree.parse(path).iter("testcase")):
        status = case.get("status")
        if status in ("notrun", "disabled"):
            not_run.append((case.get("name"), reason_of(case)))
        elif case.find("failure") is not None or status == "fail":
            failed.append(case.get("name"))
        else:
            ran += 1
    print(f"{part}: {ran} passed, {len(failed)} failed, {len(not_run)} not run")
    for name in failed:
        print(f"  FAILED  {name}")
    for name, reason in not_run:
        print(f"  not run {name}: {reason}")
    return len(failed)


def left_out(folder, part):
    path = os.path.join(folder, f"build-{part}.log")
    if not os.path.exists(path):
        return
    with open(path, errors="replace") as log:
        for line in sorted(set(LEFT_OUT.findall(log.read()))):
            print(f"  left out by the configure: {line}")


def main():
    folder, parts = sys.argv[1], sys.argv[2:]
    for part in parts:
        if part == "fuzz":
            log = os.path.join(folder, "tests-fuzz.log")
            if os.path.exists(log):
                with open(log, errors="replace") as file:
                    said = [line for line in file.read().splitlines() if line.startswith("fuzz:")]
                print("fuzz:", said[-1][len("fuzz:"):].strip() if said else "see " + log)
            continue
        summarise(folder, part)
        left_out(folder, part)


if __name__ == "__main__":
    main()
