#!/usr/bin/env python3
"""Plays a game through keyfall-sim in working folders of lengths around the limits of the data
paths (resolved, with their NUL, in 1024 bytes): the longest picture path stops fitting at 994
bytes, the ranking at 1001, the word list at 1007. Below 994 nothing is said; from 994 the
player is told once, at start-up, naming the folder; no other message ever names a wrong cause,
and the game plays and keeps its score for as long as its paths fit.

Usage: long_folder.py SIM"""
import os
import re
import subprocess
import sys
import tempfile
from pathlib import Path

WORDS = '[EASY]\r\nねこ,neko\r\n[NORMAL]\r\nいぬ,inu\r\n[HARD]\r\nさくら,sakura\r\n'.encode('cp932')
BOX = re.compile(r'^messagebox caption=(\S*) text=(.*)$', re.M)
SANITIZER = re.compile(r'AddressSanitizer|LeakSanitizer|runtime error:')
GAME = ('time 1000\nclock 100000\nmenu 40001\nwait 3001\ntype nekoneko 100\nwait 121000\n'
        'wait 500\n')


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def folder_of_length(root, length):
    """A folder under root whose path is exactly length bytes."""
    path = str(root)
    while len(path) < length:
        room = length - len(path) - 1
        # No component may be one byte short of the end: it could not be made.
        part = min(200, room if room <= 200 else room - 2 if room - 200 < 2 else 200)
        path += '/' + 'f' * part
    os.makedirs(path)
    check(len(path) == length, f'made a folder of {len(path)} bytes, not {length}')
    return Path(path)


def play(sim, folder, told):
    # The start-up message opens before anything else: the script goes on inside it.
    script = ('dismiss\n' if told else '') + GAME
    run = subprocess.run([sim], input=script.encode(), cwd=folder, capture_output=True,
                         timeout=300)
    out, err = run.stdout.decode(errors='replace'), run.stderr.decode(errors='replace')
    check(not SANITIZER.search(err), f'sanitizer report:\n{err[-3000:]}')
    check(run.returncode == 0 and out.rstrip().endswith('exit 0'),
          f'keyfall-sim failed ({run.returncode}):\n{out[-800:]}\n{err[-300:]}')
    return BOX.findall(out)


def case(sim, root, length, told, plays, keeps_score):
    folder = folder_of_length(root, length)
    (folder / 'Date').mkdir()
    (folder / 'Date' / 'Words.txt').write_bytes(WORDS)
    boxes = play(sim, folder, told)
    errors = [text for caption, text in boxes if caption == 'Error']
    results = [text for caption, text in boxes if caption == 'スコア']
    if told:
        check(len(errors) == 1 and '1023' in errors[0] and str(folder) in errors[0],
              f'{length} bytes: error boxes {errors}, expected one naming the folder and 1023')
    else:
        check(errors == [], f'{length} bytes: error boxes {errors}')
    check(len(results) == (1 if plays else 0), f'{length} bytes: result boxes {results}')
    ranking = folder / 'Date' / 'RankingDate.ini'
    saved = ranking.exists() and b'1=' in ranking.read_bytes()
    check(saved == keeps_score, f'{length} bytes: the score was {"" if saved else "not "}kept')


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    sim = os.path.abspath(sys.argv[1])
    # (length, told at start-up, the game plays, the score is kept)
    cases = [(993, False, True, True), (994, True, True, True), (1000, True, True, True),
             (1001, True, True, False), (1006, True, True, False), (1007, True, False, False)]
    failed = 0
    for length, told, plays, keeps_score in cases:
        with tempfile.TemporaryDirectory(prefix='keyfall-long-') as root:
            try:
                case(sim, root, length, told, plays, keeps_score)
                print(f'ok: {length} bytes')
            except (Failure, subprocess.TimeoutExpired) as failure:
                print('FAILED:', failure)
                failed += 1
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
