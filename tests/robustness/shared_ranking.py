#!/usr/bin/env python3
"""Games played through keyfall-sim where the ranking file is shared or misplaced, and checks
that every score lands in the one table beside the word list and nowhere else.

Usage: shared_ranking.py SIM GROUP
GROUP `places`: a temporary file planted as a link to the word list, a ranking linked in from
another folder, an empty `date/` beside `Date/`, a working folder with a backslash in its name.
GROUP `together3`, `together5`: thirty rounds of three (five) games ending at the same moment
on one ranking file, with its lock file in turn a plain file, a folder, a link, a pipe and
read-only; every score must be in the table, in order, or the player told that it was not
saved, every time. A lock file that cannot serve is named to every game once."""
import os
import random
import re
import subprocess
import sys
import tempfile
from pathlib import Path

RESULT = re.compile(r'^messagebox caption=スコア text=あなたのスコア:(\d+)\\n', re.M)
NOT_SAVED = re.compile(r'^messagebox caption=Error text=.*(保存できませんでした|保存できないまま)', re.M)
# A game that found the lock held starts its retry timer.
WAITED = re.compile(r'^timer set 3 ', re.M)
LOCK_FILE_NAMED = re.compile(r'^messagebox caption=Error text=.*RankingDate\.ini\.lockはロックに使えない',
                             re.M)
SANITIZER = re.compile(r'AddressSanitizer|LeakSanitizer|runtime error:')
# Every Easy word is ねこ/neko, so a game knows what to type. No pictures: a paint is cheap.
WORDS = '[EASY]\r\nねこ,neko\r\n[NORMAL]\r\nいぬ,inu\r\n[HARD]\r\nさくら,sakura\r\n'.encode('cp932')
DECOY_WORDS = '[EASY]\r\nいぬ,inu\r\n[NORMAL]\r\nいぬ,inu\r\n[HARD]\r\nいぬ,inu\r\n'.encode('cp932')
OTHER_SECTIONS = '; shared table\r\n[NORMAL]\r\n1=777\r\n\r\n[HARD]\r\n1=5\r\n'
# The game begins 3001 ms after Start; its 1202nd gauge tick, 120.2 s later, ends it.
GAME_OVER_MS = 3001 + 120200


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def make_data(folder, words=WORDS):
    date = folder / 'Date'
    date.mkdir(parents=True, exist_ok=True)
    (date / 'Words.txt').write_bytes(words)
    return date


def easy_table(entries):
    return '[EASY]\r\n' + ''.join(f'{k + 1}={e}\r\n' for k, e in enumerate(entries))


def opening(letters):
    """Start, the letters typed 100 ms apart, and the wait up to 50 ms before the game over."""
    typed = ('neko' * 10)[:letters]
    wait = GAME_OVER_MS - 50 - 3001 - 100 * len(typed)
    text = 'time 1000\nclock 100000\nmenu 40001\nwait 3001\n'
    if typed:
        text += f'type {typed} 100\n'
    return text + f'wait {wait}\n'


# The rest: the game over, the result dismissed, the ranking screen read, the close.
ENDING = 'wait 200\ndismiss\nmenu 40007\nwait 10\ndump\nclose\n'


def play(sim, cwd, letters=4):
    """One whole game; returns (score, the ranking screen's first entry)."""
    run = subprocess.run([sim], input=(opening(letters) + ENDING).encode(), cwd=cwd,
                         capture_output=True, timeout=300)
    out, err = run.stdout.decode(errors='replace'), run.stderr.decode(errors='replace')
    check(not SANITIZER.search(err), f'sanitizer report:\n{err[-3000:]}')
    check(run.returncode == 0 and out.rstrip().endswith('exit 0'),
          f'keyfall-sim failed ({run.returncode}):\n{out[-500:]}\n{err[-500:]}')
    scores = RESULT.findall(out)
    check(len(scores) == 1, f'{len(scores)} result boxes')
    shown = re.search(r'^rankingText1=(.*)$', out, re.M).group(1)
    return int(scores[0]), shown


def entries(path):
    """The Easy table of a ranking file, read as the game reads it (first section, first key)."""
    table, section = {}, None
    for line in path.read_bytes().decode('latin-1').replace('\r\n', '\n').split('\n'):
        line = line.strip()
        if line.startswith('['):
            section = line[1:line.index(']')] if ']' in line else None
        elif section == 'EASY' and '=' in line:
            key, value = (part.strip() for part in line.split('=', 1))
            table.setdefault(key, value)
    return [table.get(str(k), '') for k in range(1, 6)]


def link_target(path):
    return os.readlink(path) if path.is_symlink() else None


def leftovers(folder):
    return sorted(p.name for p in folder.iterdir() if p.name.endswith('.tmp'))


# --- places -------------------------------------------------------------------------------

def planted_temporary(sim, root):
    date = make_data(root)
    (date / 'RankingDate.ini').write_text(easy_table(['3']), newline='')
    (date / 'RankingDate.ini.tmp').symlink_to('Words.txt')
    score, shown = play(sim, root)
    check((date / 'Words.txt').read_bytes() == WORDS, 'the word list was written over')
    check(not (date / 'RankingDate.ini').is_symlink(), 'the ranking became a link')
    check(entries(date / 'RankingDate.ini') == [str(score), '3', '', '', ''],
          f'the table is {entries(date / "RankingDate.ini")}, score {score}')
    check(link_target(date / 'RankingDate.ini.tmp') == 'Words.txt', 'the planted link changed')
    check(shown == str(score), f'the ranking screen shows {shown!r}')


def linked_ranking(sim, root):
    date = make_data(root)
    synced = root / 'synced'
    synced.mkdir()
    (synced / 'RankingDate.ini').write_text(easy_table(['3']), newline='')
    (date / 'RankingDate.ini').symlink_to('../synced/RankingDate.ini')
    for game in range(2):
        score, shown = play(sim, root, letters=4 + game)
        check(link_target(date / 'RankingDate.ini') == '../synced/RankingDate.ini',
              f'game {game + 1}: the link was replaced')
        table = entries(synced / 'RankingDate.ini')
        check(table[0] == str(score) and shown == str(score),
              f'game {game + 1}: the linked table is {table}, shown {shown!r}, score {score}')
    check(leftovers(synced) == [] and leftovers(date) == [], 'temporary files were left')


def folders_differing_in_case(sim, root):
    date = make_data(root)
    (date / 'RankingDate.ini').write_text(easy_table(['3']), newline='')
    (root / 'date').mkdir()
    score, shown = play(sim, root)
    check(list((root / 'date').iterdir()) == [], 'something was written into date/')
    check(entries(date / 'RankingDate.ini') == [str(score), '3', '', '', ''],
          f'the table in Date/ is {entries(date / "RankingDate.ini")}, score {score}')
    check(shown == str(score), f'the ranking screen shows {shown!r}')


def backslash_in_folder_name(sim, root):
    game_folder = root / 'a\\b'
    date = make_data(game_folder)
    # The folder a/b that the name would point to if its backslash were a separator.
    decoy = make_data(root / 'a' / 'b', DECOY_WORDS)
    (decoy / 'RankingDate.ini').write_text(easy_table(['3']), newline='')
    score, shown = play(sim, game_folder)
    check(score > 0, 'the game did not play the words of its own folder')
    check(entries(date / 'RankingDate.ini') == [str(score), '', '', '', ''],
          'the score is not in the game folder\'s table')
    check(entries(decoy / 'RankingDate.ini') == ['3', '', '', '', ''], 'a/b/ was written')
    check(shown == str(score), f'the ranking screen shows {shown!r}')


# --- together -----------------------------------------------------------------------------

class Game:
    """keyfall-sim fed line by line; its output is flushed whenever it waits for a line."""

    def __init__(self, sim, cwd):
        self.process = subprocess.Popen([sim], cwd=cwd, stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def send(self, text):
        self.process.stdin.write(text.encode())
        self.process.stdin.flush()

    def wait_for_dump(self):
        """Sends `dump` and reads up to its end: everything before it has been played."""
        self.send('dump\n')
        for line in self.process.stdout:
            if line == b'end\n':
                return
        raise Failure('keyfall-sim ended before its dump')

    def finish(self):
        """The game's score and its output."""
        out, err = self.process.communicate(timeout=120)
        out, err = out.decode(errors='replace'), err.decode(errors='replace')
        check(not SANITIZER.search(err), f'sanitizer report:\n{err[-3000:]}')
        check(self.process.returncode == 0 and out.rstrip().endswith('exit 0'),
              f'keyfall-sim failed:\n{out[-500:]}\n{err[-500:]}')
        scores = RESULT.findall(out)
        check(len(scores) == 1, f'{len(scores)} result boxes')
        return int(scores[0]), out


def plant_lock_file(date, kind):
    """Puts the kind of lock file asked for beside the ranking; True when the game must say
    that it cannot serve."""
    lock = date / 'RankingDate.ini.lock'
    if lock.is_dir() and not lock.is_symlink():
        lock.rmdir()
    elif lock.exists() or lock.is_symlink():
        lock.unlink()
    if kind == 'folder':
        lock.mkdir()
    elif kind == 'link':
        lock.symlink_to('Words.txt')
    elif kind == 'pipe':
        os.mkfifo(lock)
    elif kind == 'read-only':
        lock.write_bytes(b'')
        lock.chmod(0o444)
    return kind in ('folder', 'link', 'pipe')


LOCK_KINDS = ['plain', 'folder', 'link', 'pipe', 'read-only']


def games_together(sim, root, count, rounds=30):
    date = make_data(root)
    ranking = date / 'RankingDate.ini'
    rng = random.Random(int.from_bytes(os.urandom(4), 'little'))
    told_in_all = waited = 0
    for kind in LOCK_KINDS:
        for round_number in range(rounds):
            where = f'lock file {kind}, round {round_number + 1}'
            ranking.write_text(OTHER_SECTIONS + easy_table(['3', '2', '1', '', '']), newline='')
            named = plant_lock_file(date, kind)
            # The first key only starts the combo: two or more score, each count its own.
            letters = rng.sample(range(2, 37), count)
            games = [Game(sim, root) for _ in letters]
            for game, typed in zip(games, letters):
                game.send(opening(typed))
            for game in games:
                game.wait_for_dump()
            # All are 50 ms of play short of their game over: let them go at once. A lock file
            # in the way is named in a box of its own, after the result or in its place.
            ending = ENDING.replace('dismiss\n', 'dismiss\ndismiss\n') if named else ENDING
            for game in games:
                game.send(ending)
            results = [game.finish() for game in games]
            scores = [score for score, _ in results]
            check(len(set(scores)) == count, f'{where}: equal scores {scores} prove nothing')
            table = entries(ranking)
            told = [score for score, out in results if NOT_SAVED.search(out)]
            lost = [s for s in scores if str(s) not in table and s not in told]
            check(not lost, f'{where}: scores {lost} lost without a word, table {table}')
            # Each game is kept in the history too, under the same lock.
            history = date / 'History.txt'
            kept = re.findall(r'^score (\d+)$', history.read_text() if history.exists() else '',
                              re.M)
            unkept = [s for s in scores if str(s) not in kept and s not in told]
            check(not unkept, f'{where}: games {unkept} not in the history and not told')
            for score, out in results:
                check(bool(LOCK_FILE_NAMED.search(out)) == named,
                      f'{where}: the lock file was {"not " if named else ""}named to {score}')
            if not told:
                best = sorted(scores + [3, 2, 1], reverse=True)[:5]
                expected = OTHER_SECTIONS + easy_table([str(s) for s in best])
                actual = ranking.read_bytes().decode(errors='replace')
                check(actual == expected, f'{where}: scores {scores}, file:\n{actual}')
            check(leftovers(date) == [], f'{where}: left {leftovers(date)}')
            check((date / 'Words.txt').read_bytes() == WORDS, f'{where}: the word list changed')
            told_in_all += len(told)
            waited += sum(1 for _, out in results if WAITED.search(out))
    # Games that found the lock held and kept their score for later: without them the rounds
    # would prove little.
    check(waited > 0, 'no game ever found the lock held')
    print(f'{count} games together, {rounds} rounds for each of {len(LOCK_KINDS)} lock files: '
          f'every score in the table, {waited} games waited for the lock, '
          f'{told_in_all} told their score was not saved')


GROUPS = {
    'places': [planted_temporary, linked_ranking, folders_differing_in_case,
               backslash_in_folder_name],
    'together3': [lambda sim, root: games_together(sim, root, 3)],
    'together5': [lambda sim, root: games_together(sim, root, 5)],
}


def main():
    if len(sys.argv) != 3 or sys.argv[2] not in GROUPS:
        print(__doc__)
        return 2
    sim, failed = os.path.abspath(sys.argv[1]), 0
    for case in GROUPS[sys.argv[2]]:
        with tempfile.TemporaryDirectory(prefix='keyfall-shared-') as folder:
            try:
                case(sim, Path(folder))
                print('ok:', sys.argv[2] if case.__name__ == '<lambda>' else case.__name__)
            except (Failure, subprocess.TimeoutExpired) as failure:
                print('FAILED:', case.__name__, '-', failure)
                failed += 1
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
