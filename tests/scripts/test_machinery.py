#!/usr/bin/env python3
"""The summary of make test names every test not run with its reason, and counts failures;
the fuzzers' fixed variations are the same bytes whatever the run or the folder listing.
Usage: test_machinery.py SOURCE_DIR"""

import filecmp
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

SOURCE = Path(sys.argv.pop(1)).resolve() if len(sys.argv) > 1 else Path(__file__).parents[2]

# (name, status, inner XML of the case, line the summary must print)
CASES = [
    ("own_reason", "notrun", "<skipped message=\"SKIP_RETURN_CODE=77\"/><system-out>"
     "starting\nskipped: keyfall is installed on this machine\n</system-out>",
     "  not run own_reason: keyfall is installed on this machine"),
    ("gtest_reason", "notrun", "<skipped/><system-out>[ RUN      ] A.B\nx.cpp:3: Skipped\n"
     "no second display\n[  SKIPPED ] A.B (0 ms)\n</system-out>",
     "  not run gtest_reason: no second display"),
    ("disabled", "disabled", "<skipped/>",
     "  not run disabled: disabled by the configure (a tool it needs is missing; see below)"),
    ("silent", "notrun", "<skipped message=\"Required files missing\"/><system-out>\n"
     "Could not find executable\n</system-out>",
     "  not run silent: Required files missing: Could not find executable"),
    ("broken", "fail", "<failure message=\"Failed\"/>", "  FAILED  broken"),
]


class Summary(unittest.TestCase):
    def test_every_case_is_accounted_for(self):
        with tempfile.TemporaryDirectory() as folder:
            cases = [f'<testcase name="{name}" status="{status}">{inner}</testcase>'
                     for name, status, inner, _ in CASES]
            # The games in a real window, run apart, are counted with the rest.
            Path(folder, "normal.xml").write_text(f"<testsuite>{''.join(cases[:-1])}</testsuite>")
            Path(folder, "normal-games.xml").write_text(
                f'<testsuite>{cases[-1]}<testcase name="fine" status="run"/></testsuite>')
            Path(folder, "build-normal.log").write_text(
                "-- Configuring\n-- xdotool missing: the window tests are not run (make deps)\n")
            printed = subprocess.run(
                [sys.executable, SOURCE / "scripts/test-summary.py", folder, "normal"],
                check=True, capture_output=True, text=True).stdout.splitlines()
        self.assertEqual(printed[0], "normal: 1 passed, 1 failed, 4 not run")
        for name, _, _, line in CASES:
            with self.subTest(name):
                self.assertIn(line, printed)
        self.assertIn("  left out by the configure: xdotool missing: the window tests are not "
                      "run (make deps)", printed)


class FixedVariations(unittest.TestCase):
    def variations(self, corpus, seed="1"):
        out = Path(tempfile.mkdtemp(dir=self.scratch))
        subprocess.run([sys.executable, SOURCE / "fuzz/mutants.py", corpus, out, "200", seed],
                       check=True)
        return out

    def same(self, a, b):
        names = sorted(p.name for p in a.iterdir())
        match, mismatch, errors = filecmp.cmpfiles(a, b, names, shallow=False)
        return len(names) == 200 and not mismatch and not errors and \
            names == sorted(p.name for p in b.iterdir())

    def test_the_same_inputs_every_time(self):
        with tempfile.TemporaryDirectory() as scratch:
            self.scratch = scratch
            corpus = SOURCE / "fuzz/corpus/words"
            # The same corpus under names of the same order, made in the reverse order: a
            # folder lists them in an order of its own (hashed names, creation order).
            copy = Path(scratch, "words")
            copy.mkdir()
            for path in sorted(corpus.iterdir(), reverse=True):
                (copy / f"copy-{path.name}").write_bytes(path.read_bytes())
            first = self.variations(corpus)
            for name, other, expected in [("again", self.variations(corpus), True),
                                          ("copied folder", self.variations(copy), True),
                                          ("another seed", self.variations(corpus, "2"), False)]:
                with self.subTest(name):
                    self.assertEqual(self.same(first, other), expected)


if __name__ == "__main__":
    unittest.main()
