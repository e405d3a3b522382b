#!/usr/bin/env python3
"""Plays a game through keyfall-sim in data folders where files are missing, empty, cut short
or hostile, and checks that the game never crashes, shows only the decided messages, enters
its score when the ranking file can take it, and always ends with `exit 0`.

Usage: broken_folders.py SIM DATA_DIR GROUP [--quick]
GROUP is words, images or profiles. DATA_DIR is the shipped Date folder, the base of every
case. With --quick (sanitizer builds, where a paint costs ten times more) each game is closed
two seconds after the ranking screen instead of running its gauge out."""
import argparse
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

CANNOT_OPEN = 'messagebox caption=Error text=Words.txtが開けません'
RESULT = re.compile(r'^messagebox caption=スコア text=あなたのスコア:(\d+)\\n最大コンボ数:(\d+)$')
NOT_SAVED = re.compile(r'^messagebox caption=Error text=RankingDate\.ini.*(保存できませんでした|保存できないまま)')
SANITIZER = re.compile(r'AddressSanitizer|LeakSanitizer|runtime error:|UndefinedBehavior')
DIFFICULTY_MENU = {'EASY': 40009, 'NORMAL': 40004, 'HARD': 40005}
IMAGES = ['MainBack.bmp', 'RankingBack.bmp', 'Time.bmp', 'Frame.bmp', 'ItemBox.bmp',
          'TimeStop.bmp', 'Bomb.bmp', '1_2.bmp', 'Miss.bmp', 'Power.bmp']


def section_empty(name):
    return f'messagebox caption=Error text=Words.txtの[{name}]に単語がありません'


def game_script(section, quick):
    """Start, items, three letters under Power, misses under Miss, Bomb, the ranking screen in
    the middle of the game, the gauge run out, the result, the ranking screen, close. Half and
    Bomb come before the quota can end a round, so the gauge is never refilled."""
    ending = 'wait 2000\n' if quick else 'wait 120000\nwait 500\ndismiss\n'
    return (f'time 1000\nclock 100000\nmenu {DIFFICULTY_MENU[section]}\nmenu 40001\nwait 3001\n'
            'key F3\nkey F5\ntype abc 150\nwait 10200\nkey F4\ntype QQ 100\nkey F2\n'
            'menu 40007\nwait 200\nmenu 40008\n' + ending +
            'menu 40007\nwait 100\ndump\nclose\n')


def refused_script(section):
    """The game is refused at its start: the message, then the ranking screen and close. Were
    the game to start instead, `dismiss` with no box open stops the simulator with exit 2."""
    return (f'time 1000\nclock 100000\nmenu {DIFFICULTY_MENU[section]}\nmenu 40001\nwait 3001\n'
            'dismiss\nmenu 40007\nwait 100\ndump\nclose\n')


class Case:
    def __init__(self, name, change, message=None, section='EASY', broken_images=(),
                 ranking_writable=True):
        self.name = name
        self.change = change            # function(date_folder)
        self.message = message          # the error expected at game start, or None: it plays
        self.section = section
        self.broken_images = broken_images
        self.ranking_writable = ranking_writable  # False: the player must hear it is not saved


# --- Bitmaps ------------------------------------------------------------------------------

def patched(data, offset, fmt, value):
    data = bytearray(data)
    struct.pack_into(fmt, data, offset, value)
    return bytes(data)


HOSTILE_BITMAPS = {
    'huge': lambda b: patched(patched(b, 18, '<i', 100000), 22, '<i', 100000),
    'negative-height': lambda b: patched(b, 22, '<i', -struct.unpack_from('<i', b, 22)[0]),
    'zero-height': lambda b: patched(b, 22, '<i', 0),
    'eight-bit': lambda b: patched(b, 28, '<H', 8),
    'compressed': lambda b: patched(b, 30, '<I', 1),
    'offset-past-end': lambda b: patched(b, 10, '<I', len(b) + 100),
}


def for_each_image(transform):
    def change(date):
        for name in IMAGES:
            path = date / 'Image' / name
            path.write_bytes(transform(path.read_bytes()))
    return change


def valid_bitmap(width, height):
    """A well-formed 24-bit picture of the wrong size: it loads, and every blit is clipped."""
    row = (width * 3 + 3) // 4 * 4
    pixels = bytes((x * 7 + y) % 251 + 1 for y in range(height) for x in range(row))
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    return b'BM' + struct.pack('<IHHI', 54 + len(pixels), 0, 0, 54) + info + pixels


def mixed_hostile(date):
    kinds = list(HOSTILE_BITMAPS.values())
    for i, name in enumerate(IMAGES):
        path = date / 'Image' / name
        path.write_bytes(kinds[i % len(kinds)](path.read_bytes()))


def remove_images_and_media(date):
    for name in IMAGES:
        (date / 'Image' / name).unlink()
    (date / 'BackMusic.wav').unlink()
    (date / 'Icon.ico').unlink()


def images_as_folders(date):
    for name in IMAGES:
        (date / 'Image' / name).unlink()
        (date / 'Image' / name).mkdir()


def media_transform(transform):
    def change(date):
        for_each_image(transform)(date)
        for name in ('BackMusic.wav', 'Icon.ico'):
            (date / name).write_bytes(transform((date / name).read_bytes()))
    return change


def image_cases():
    cases = [
        Case('images-missing', remove_images_and_media, broken_images=IMAGES),
        Case('image-folder-missing', lambda d: shutil.rmtree(d / 'Image'), broken_images=IMAGES),
        Case('images-empty', media_transform(lambda b: b''), broken_images=IMAGES),
        Case('images-half', media_transform(lambda b: b[:len(b) // 2]), broken_images=IMAGES),
        Case('images-headers-only', for_each_image(lambda b: b[:54]), broken_images=IMAGES),
        Case('images-are-folders', images_as_folders, broken_images=IMAGES),
        Case('images-mixed-hostile', mixed_hostile, broken_images=IMAGES),
    ]
    cases += [
        Case('images-tiny', for_each_image(lambda b: valid_bitmap(4, 4))),
        Case('images-larger-than-the-screen', for_each_image(lambda b: valid_bitmap(700, 400))),
    ]
    for kind, transform in HOSTILE_BITMAPS.items():
        cases.append(Case('images-' + kind, for_each_image(transform), broken_images=IMAGES))
    return cases


# --- The word list ------------------------------------------------------------------------

def words_change(make):
    def change(date):
        path = date / 'Words.txt'
        path.write_bytes(make(path.read_bytes()))
    return change


def lines_of(data):
    return data.split(b'\r\n')


def cut_at_line(data, line):
    return b'\r\n'.join(lines_of(data)[:line])


def without_headers(data):
    return b'\r\n'.join(l for l in lines_of(data) if not l.startswith(b'['))


def headers_reversed(data):
    swap = {b'[EASY]': b'[HARD]', b'[HARD]': b'[EASY]'}
    return b'\r\n'.join(swap.get(l, l) for l in lines_of(data))


def easy_emptied(data):
    lines = lines_of(data)
    easy, normal = lines.index(b'[EASY]'), lines.index(b'[NORMAL]')
    return b'\r\n'.join(lines[:easy + 1] + lines[normal:])


def easy_words(data):
    lines = lines_of(data)
    return lines[lines.index(b'[EASY]') + 1:lines.index(b'[NORMAL]')]


def forty_thousand_records(data):
    words = easy_words(data)
    body = [words[i % len(words)] for i in range(39990)]
    return b'\r\n'.join([b'[EASY]'] + body + [b'[NORMAL]', words[0], b'[HARD]', words[1]])


def easy_beyond_32767(data):
    return b'\r\n'.join([b'; padding'] * 33000 + [b'[EASY]'] + easy_words(data) +
                        [b'[NORMAL]', b'a,a', b'[HARD]', b'b,b'])


def long_line(data):
    """The Easy section is one line of 5000 bytes: its first record is a word of 1012 letters
    (far wider than the screen, so it scrolls), the other records have no comma."""
    lines = lines_of(data)
    easy, normal = lines.index(b'[EASY]'), lines.index(b'[NORMAL]')
    word = b'\x82\xa0' * 5 + b',' + b'a' * 4989
    return b'\r\n'.join(lines[:easy + 1] + [word] + lines[normal:])


def long_display(data):
    """Easy words shown as 500 double-byte characters, far wider than their balloon."""
    lines = lines_of(data)
    easy, normal = lines.index(b'[EASY]'), lines.index(b'[NORMAL]')
    return b'\r\n'.join(lines[:easy + 1] + [b'\x82\xa0' * 500 + b',ab'] + lines[normal:])


def hard_emptied(data):
    lines = lines_of(data)
    return b'\r\n'.join(lines[:lines.index(b'[HARD]') + 1]) + b'\r\n'


def normal_not_words(data):
    lines = lines_of(data)
    normal, hard = lines.index(b'[NORMAL]'), lines.index(b'[HARD]')
    return b'\r\n'.join(lines[:normal + 1] + [b'', b'no comma', b'\x82\xa0,', b','] +
                        lines[hard:])


def junk_without_headers(data):
    rng = random.Random(9)
    return bytes(rng.choice([c for c in range(256) if c not in b'[']) for _ in range(20000))


def words_folder(date):
    (date / 'Words.txt').unlink()
    (date / 'Words.txt').mkdir()


def word_cases():
    return [
        Case('words-missing', lambda d: (d / 'Words.txt').unlink(), CANNOT_OPEN),
        Case('words-are-a-folder', words_folder, CANNOT_OPEN),
        Case('words-empty', words_change(lambda b: b''), section_empty('EASY')),
        Case('words-cut-in-easy', words_change(lambda b: cut_at_line(b, 100)),
             section_empty('EASY')),
        Case('words-cut-in-hard', words_change(lambda b: cut_at_line(b, 700)[:-3])),
        Case('words-no-sections', words_change(without_headers), section_empty('EASY')),
        Case('words-headers-out-of-order', words_change(headers_reversed),
             section_empty('EASY')),
        Case('words-easy-empty', words_change(easy_emptied), section_empty('EASY')),
        Case('words-blank-lines-only', words_change(lambda b: b'\r\n' * 500),
             section_empty('EASY')),
        Case('words-40000-records', words_change(forty_thousand_records)),
        Case('words-easy-beyond-32767', words_change(easy_beyond_32767), section_empty('EASY')),
        Case('words-eof-mark-first', words_change(lambda b: b'\x1a' + b),
             section_empty('EASY')),
        Case('words-5000-byte-line', words_change(long_line)),
        Case('words-1000-byte-display', words_change(long_display)),
        Case('words-hard-empty', words_change(hard_emptied), section_empty('HARD'), 'HARD'),
        Case('words-normal-not-words', words_change(normal_not_words), section_empty('NORMAL'),
             'NORMAL'),
        Case('words-binary-junk', words_change(junk_without_headers), section_empty('EASY')),
    ]


# --- Game.ini and RankingDate.ini ---------------------------------------------------------

LAYOUT = (b'[POSS]\r\nNPosX=314\r\nNPosY=46\r\nAPosX=314\r\nAPosY=104\r\nTPosX=314\r\n'
          b'TPosY=148\r\nIPosX=220\r\nIPosY=212\r\n')
# The game's score (some fifty points from three keys under Power) enters this table.
RANKING = b'[EASY]\r\n1=90\r\n2=70\r\n3=50\r\n4=30\r\n5=10\r\n[HARD]\r\n1=7\r\n'


def profiles(layout, ranking):
    def change(date):
        for name, content in (('Game.ini', layout), ('RankingDate.ini', ranking)):
            path = date / name
            if path.exists():
                path.unlink()
            if content is not None:
                path.write_bytes(content)
    return change


def profiles_as_folders(date):
    (date / 'Game.ini').unlink()
    (date / 'Game.ini').mkdir()
    (date / 'RankingDate.ini').mkdir()


def temporary_name_taken(date):
    (date / 'RankingDate.ini').write_bytes(RANKING)
    (date / 'RankingDate.ini.tmp').mkdir()


def profile_cases():
    junk = bytes(random.Random(5).randrange(256) for _ in range(30000))
    huge_line = b'x' * (10 << 20)
    return [
        Case('profiles-missing', profiles(None, None)),
        Case('profiles-empty', profiles(b'', b'')),
        Case('profiles-cut-short', profiles(LAYOUT[:40], RANKING[:30])),
        Case('profiles-binary-junk', profiles(junk, junk)),
        Case('profiles-10MB-line', profiles(huge_line + b'\r\n' + LAYOUT,
                                            huge_line + b'\r\n' + RANKING)),
        Case('profiles-keys-without-equals',
             profiles(b'[POSS]\r\nNPosX\r\nNPosY 46\r\n=5\r\n',
                      b'[EASY]\r\n1\r\n2 900\r\n=5\r\n')),
        Case('profiles-are-folders', profiles_as_folders, ranking_writable=False),
        # Temporary files have a new name each time: a folder under a fixed one stops nothing.
        Case('ranking-temporary-name-taken', temporary_name_taken),
    ]


GROUPS = {'words': word_cases, 'images': image_cases, 'profiles': profile_cases}


# --- Running a case -----------------------------------------------------------------------

def dump_values(lines):
    values = {}
    for line in lines:
        name, sep, value = line.partition('=')
        if sep:
            values[name] = value
    return values


def check(case, completed, quick, date):
    """The list of what went wrong; empty when the case passed."""
    problems = []
    out = completed.stdout.splitlines()
    err = completed.stderr
    if completed.returncode != 0:
        problems.append(f'exit status {completed.returncode}')
    if not out or out[-1] != 'exit 0':
        problems.append(f'last line is {out[-1] if out else "(none)"!r}, not "exit 0"')
    if SANITIZER.search(err):
        problems.append('sanitizer report on stderr')
    boxes = [line for line in out if line.startswith('messagebox ')]
    if case.message:
        if boxes != [case.message]:
            problems.append(f'message boxes {boxes}, expected only {case.message!r}')
    elif quick:
        if boxes:
            problems.append(f'message boxes {boxes} in a game closed before its end')
    else:
        # A score that cannot be saved is told of after the result (and again, as lost, when
        # the window closes); a score saved is told of by nothing but the result.
        told = [box for box in boxes[1:] if NOT_SAVED.match(box)]
        expected_told = not case.ranking_writable
        result = RESULT.match(boxes[0]) if boxes and len(told) == len(boxes) - 1 else None
        if not result or bool(told) != expected_told:
            problems.append(f'message boxes {boxes}, expected one result box'
                            + ('' if case.ranking_writable else ' and that it is not saved'))
        elif int(result.group(1)) <= 0:
            problems.append('the game scored nothing: the keys were not judged')
        elif case.ranking_writable:
            values = dump_values(out)
            table = [values.get(f'rankingText{k}') for k in range(1, 6)]
            if result.group(1) not in table:
                problems.append(f'score {result.group(1)} not in the ranking shown: {table}')
    # Every picture left out is reported once, by name.
    for name in case.broken_images:
        count = len(re.findall(re.escape(name) + r'\b', err))
        if count != 1:
            problems.append(f'{name} reported {count} times on stderr')
    if not case.ranking_writable and (date / 'RankingDate.ini').is_file():
        if (date / 'RankingDate.ini').read_bytes() != RANKING:
            problems.append('a ranking file that could not be replaced was changed')
    return problems


def run_case(sim, data_dir, case, quick):
    with tempfile.TemporaryDirectory(prefix='keyfall-broken-') as work:
        work = Path(work)
        date = work / 'Date'
        shutil.copytree(data_dir, date)
        (date / 'RankingDate.ini').unlink(missing_ok=True)
        case.change(date)
        script = refused_script(case.section) if case.message else game_script(case.section,
                                                                                quick)
        completed = subprocess.run([sim], input=script, cwd=work, capture_output=True,
                                   text=True, encoding='utf-8', errors='replace', timeout=900)
        problems = check(case, completed, quick, date)
        if problems:
            tail = '\n'.join(completed.stderr.splitlines()[-15:])
            return problems + [f'stderr (last lines):\n{tail}']
        return []


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('sim')
    parser.add_argument('data_dir', type=Path)
    parser.add_argument('group', choices=sorted(GROUPS))
    parser.add_argument('--quick', action='store_true')
    args = parser.parse_args()
    args.sim = str(Path(args.sim).resolve())
    failed = 0
    for case in GROUPS[args.group]():
        problems = run_case(args.sim, args.data_dir, case, args.quick)
        print(f'{"FAIL" if problems else "ok  "} {case.name}')
        for problem in problems:
            print('     ' + problem)
        failed += bool(problems)
    print(f'{args.group}: {failed} of {len(GROUPS[args.group]())} cases failed')
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
