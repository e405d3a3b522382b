#!/usr/bin/env python3
"""Writes COUNT variations of a harness's corpus into OUT: the fixed run of `make test`.

The same seed gives the same files on every machine and every run, whatever the code does
with them: a guided run of libFuzzer takes its next input from the coverage of the last, and
coverage here depends on the working folder's name and the clock, so its seeded runs are not
repeatable. Each variation stacks one to five of libFuzzer's kinds of change: bytes erased,
inserted, changed or copied, a bit flipped, a little-endian integer or a decimal number
changed, a piece of another input spliced in, or a byte sequence the readers treat specially.
Usage: fuzz/mutants.py CORPUS OUT COUNT [SEED]"""

import random
import sys
from pathlib import Path

# What the readers of outside data branch on: line ends, code page 932 lead bytes and a
# trailing byte 0x5C, INI and word-list syntax, bitmap header values at their limits.
TOKENS = [b"\r\n", b"\n", b"\r", b"\x00", b"\x1a", b"\\", b"\x81\x5c", b"\x9f", b"\xe0", b"\xfc",
          b"\xef\xbb\xbf", b"\xff\xfe", b"[", b"]", b"=", b",", b";", b" ", b"[EASY]",
          b"[NORMAL]", b"[HARD]", b"[POSS]", b"n'", b"nn", b"xtu", b"BM", b"\xff\xff\xff\x7f",
          b"\x00\x00\x00\x80", b"\xff\xff\xff\xff", b"\x28\x00\x00\x00", b"\x18\x00"]
INTEGERS = [0, 1, -1, 2, 255, 256, 32767, -32768, 65535, 2**31 - 1, -(2**31), 640, 320]


def erase(data, rng, _):
    if len(data) < 2:
        return data
    at = rng.randrange(len(data))
    return data[:at] + data[at + rng.randint(1, min(16, len(data) - at)):]


def insert(data, rng, _):
    at = rng.randint(0, len(data))
    piece = bytes(rng.randrange(256) for _ in range(rng.randint(1, 8)))
    if rng.random() < 0.5:
        piece = piece[:1] * rng.randint(1, 64)
    return data[:at] + piece + data[at:]


def change_byte(data, rng, _):
    if not data:
        return bytes([rng.randrange(256)])
    at = rng.randrange(len(data))
    return data[:at] + bytes([rng.randrange(256)]) + data[at + 1:]


def flip_bit(data, rng, _):
    if not data:
        return data
    at = rng.randrange(len(data))
    return data[:at] + bytes([data[at] ^ (1 << rng.randrange(8))]) + data[at + 1:]


def copy_part(data, rng, _):
    if len(data) < 2:
        return data
    start = rng.randrange(len(data))
    piece = data[start:start + rng.randint(1, 64)]
    at = rng.randint(0, len(data))
    if rng.random() < 0.5:
        return data[:at] + piece + data[at:]
    return data[:at] + piece + data[at + len(piece):]


def little_endian(data, rng, _):
    width = rng.choice([2, 4])
    if len(data) < width:
        return data
    at = rng.randrange(len(data) - width + 1)
    value = rng.choice(INTEGERS + [int.from_bytes(data[at:at + width], "little") + rng.randint(-8, 8)])
    return data[:at] + (value % (1 << (8 * width))).to_bytes(width, "little") + data[at + width:]


def decimal(data, rng, _):
    digits = [i for i, byte in enumerate(data) if 0x30 <= byte <= 0x39]
    if not digits:
        return data
    at = rng.choice(digits)
    end = at
    while end < len(data) and 0x30 <= data[end] <= 0x39:
        end += 1
    number = str(rng.choice(INTEGERS + [rng.randint(-99999, 99999), 10**rng.randint(5, 20)]))
    return data[:at] + number.encode() + data[end:]


def splice(data, rng, corpus):
    other = rng.choice(corpus)
    if not other:
        return data
    start = rng.randrange(len(other))
    piece = other[start:start + rng.randint(1, 256)]
    at = rng.randint(0, len(data))
    return data[:at] + piece + data[at:]


def token(data, rng, _):
    at = rng.randint(0, len(data))
    piece = rng.choice(TOKENS)
    if rng.random() < 0.5:
        return data[:at] + piece + data[at:]
    return data[:at] + piece + data[at + len(piece):]


MUTATIONS = [erase, insert, change_byte, flip_bit, copy_part, little_endian, decimal, splice,
             token]


def main():
    if len(sys.argv) not in (4, 5):
        sys.exit(__doc__)
    corpus_folder, out, count = Path(sys.argv[1]), Path(sys.argv[2]), int(sys.argv[3])
    seed = sys.argv[4] if len(sys.argv) == 5 else "1"
    corpus = [path.read_bytes() for path in sorted(corpus_folder.iterdir()) if path.is_file()]
    if not corpus:
        sys.exit(f"mutants: {corpus_folder} holds no input")
    # Variations stay within reach of the largest input, as libFuzzer's -max_len would.
    limit = max(64, 2 * max(len(data) for data in corpus))
    rng = random.Random(f"{seed}:{corpus_folder.name}")
    out.mkdir(parents=True, exist_ok=True)
    for number in range(count):
        data = corpus[number % len(corpus)]
        for _ in range(rng.randint(1, 5)):
            data = rng.choice(MUTATIONS)(data, rng, corpus)[:limit]
        (out / f"{number:06d}").write_bytes(data)


if __name__ == "__main__":
    main()
