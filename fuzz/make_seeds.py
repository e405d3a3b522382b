#!/usr/bin/env python3
"""Writes the seed corpus of each harness into fuzz/corpus/<harness>/.

The seeds are small: valid files of each kind and the broken shapes that matter (the fuzzer
mutates from there). Run it again after changing it; the files are committed. An input that
found a fault is added by hand as corpus/<harness>/finding-<what>, and stays."""
import struct
from pathlib import Path

HERE = Path(__file__).resolve().parent


def bmp(width, height, pixels=None, bits=24, compression=0, offset=54, header_size=40,
        data=None):
    """A bitmap file; rows bottom-up, padded to 4 bytes, pixel (c, r) from pixels(c, r)."""
    if data is None:
        row = (abs(width) * 3 + 3) // 4 * 4
        data = bytearray(row * abs(height))
        for r in range(abs(height)):
            for c in range(abs(width)):
                colour = pixels(c, r) if pixels else (c * 40 % 256, r * 30 % 256, 90)
                data[r * row + c * 3:r * row + c * 3 + 3] = bytes(colour)
    info = struct.pack('<IiiHHIIiiII', header_size, width, height, 1, bits, compression,
                       len(data), 2835, 2835, 0, 0)
    size = 14 + len(info) + len(data)
    return b'BM' + struct.pack('<IHHI', size, 0, 0, offset) + info + bytes(data)


def image_seeds():
    checker = lambda c, r: (0, 0, 0) if (c + r) % 2 else (10, 200, 30)
    frame = lambda c, r: (0, 0, 0) if r % 36 in (0, 35) and c != 1 else (200, 180, 160)
    return {
        'square-4x4': bmp(4, 4, checker),
        'narrow-3x2': bmp(3, 2),
        'icon-8x8': bmp(8, 8, checker),
        'frame-3x108': bmp(3, 108, frame),
        'gauge-59x12': bmp(59, 12),
        'dark-not-black-4x4': bmp(4, 4, lambda c, r: (0, 0, 1)),
        'huge-claim': bmp(100000, 100000, data=b'\x10' * 48),
        'negative-height': bmp(4, -4),
        'zero-height': bmp(4, 0, data=b''),
        'eight-bit': bmp(4, 4, bits=8, data=b'\x01' * 16),
        'compressed': bmp(4, 4, compression=1),
        'offset-past-end': bmp(4, 4, offset=100000),
        'width-5': bmp(5, 4),
        'header-too-big': bmp(4, 4, header_size=4000),
        'headers-only': bmp(4, 4)[:54],
        'truncated-header': bmp(4, 4)[:20],
        'empty': b'',
    }


EXAMPLE = ('[EASY]\n\x82\xa2\x82\xca,inu\n\x82\xcb\x82\xb1,neko\n[NORMAL]\n'
           '\x82\xb3\x82\xad\x82\xe7,sakura\n[HARD]\n'
           '\x82\xb5\x82\xf1\x82\xa9\x82\xf1\x82\xb9\x82\xf1,shinkannsenn\n'
           '\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd,konnnichiha\n').encode('latin-1')


def word_seeds():
    return {
        'example': EXAMPLE,
        'example-crlf': EXAMPLE.replace(b'\n', b'\r\n'),
        'no-final-newline': EXAMPLE.rstrip(b'\n'),
        'comments-and-duplicates': b'free text\n[EASY] easy words\na,b\n[HARD]\n[NORMAL]\n'
                                   b'x,y,z\n[HARD]\n,q\nlast,one',
        'no-sections': b'a,b\nc,d\n',
        'out-of-order': b'[HARD]\nh,hard\n[NORMAL]\nn,normal\n[EASY]\ne,easy\n',
        'empty-section': b'[EASY]\n[NORMAL]\nn,normal\n[HARD]\nh,hard\n',
        'blank-lines': b'\n\n\r\n\n',
        'not-words': b'[EASY]\nnocomma\n,\nword,\n\n[NORMAL]\n[HARD]\n',
        'eof-mark-first': b'\x1a' + EXAMPLE,
        'eof-mark-inside': EXAMPLE[:40] + b'\x1a' + EXAMPLE[40:],
        'lone-cr': b'[EASY]\ra,b\r[NORMAL]\rc,d\r\r\n[HARD]\re,f\r',
        'long-line': b'[EASY]\n' + b'x' * 1500 + b',long\n[NORMAL]\n' + b'a,' + b'b' * 1100
                     + b'\n[HARD]\nz,z\n',
        'nul-bytes': b'[EASY]\na\x00,b\nc,\x00d\n[NORMAL]\ne,f\n[HARD]\ng,h\n',
        'beyond-32767': b'[EASY]\na,b\n[NORMAL]\nc,d\n' + b'\n' * 32800 + b'[HARD]\ne,f\n',
        # As other editors save it: UTF-8, with and without a mark, and CR alone ending lines.
        'utf8': '[EASY]\nいぬ,inu\nねこ,neko\n[NORMAL]\nさくら,sakura\n[HARD]\n😀,x\n'.encode(),
        'utf8-mark-cr': b'\xef\xbb\xbf' + EXAMPLE.replace(b'\n', b'\r'),
        'cr-only': EXAMPLE.replace(b'\n', b'\r'),
    }


def profile_seeds():
    return {
        'layout': b'[POSS]\r\nNPosX=314\r\nNPosY=46\r\nAPosX=314\r\nAPosY=104\r\n'
                  b'TPosX=314\r\nTPosY=148\r\nIPosX=220\r\nIPosY=212\r\n',
        'ranking': b'[EASY]\r\n1=900\r\n2=800\r\n3=700\r\n4=600\r\n5=500\r\n'
                   b'[NORMAL]\r\n1=120\r\n2=\r\n3=\r\n4=\r\n5=\r\n',
        'ranking-odd-entries': b'[easy]\n 1 = 120abc \n2="77"\n3=-5\n4=\'q\'\n5=2147483648\n'
                               b'[HARD]\n5=1\n1=9\n',
        'hand-edited': b'; kept\n[EASY]\n1=100\n2=500\n3=400\n4=300\n5=200\n\n[POSS]\nNPosX=-20\n',
        'keys-without-equals': b'[EASY]\n1\n2 900\n=5\n[POSS]\nNPosX\nNPosY==3\n',
        'duplicate-sections': b'[EASY]\n1=5\n[EASY]\n1=900\n2=800\n[POSS]\nIPosX=500\n'
                              b'[POSS]\nIPosX=1\n',
        'no-final-newline': b'[HARD]\n1=10',
        'section-at-end': b'[NORMAL]',
        'binary-junk': bytes(range(256)) * 2,
        'long-value': b'[EASY]\n1=' + b'9' * 120 + b'\n2=' + b'a' * 100 + b'\n',
        'empty': b'',
        # As other editors save it: UTF-8 after a mark, UTF-16 either way round, CR alone.
        'utf8-mark': b'\xef\xbb\xbf[EASY]\r\n1=900\r\n; \xe3\x81\xad\r\n',
        'utf16le': b'\xff\xfe' + '[EASY]\r\n1=900\r\n2=800\r\n; ねこ 😀\r\n'.encode('utf-16-le'),
        'utf16be-cr': b'\xfe\xff' + '[HARD]\r1=5\r[POSS]\rNPosX=7\r'.encode('utf-16-be'),
        'cr-only': b'[EASY]\r1=900\r2=800\r[POSS]\rNPosY=30\r',
    }


def path_seeds():
    # The harness takes its choices from the end: the last byte picks a relative path of the
    # game's (even) or one from the input, the byte before it which game path.
    return {
        'play': b'C:\\Play' + b'\x00\x00',
        'root': b'C:\\' + b'\x01\x00',
        'trail-5c': b'C:\\\x95\\' + b'\x03\x00',
        'trail-in-lead-range': b'C:\\\x88\x9f' + b'\x02\x00',
        'leading-backslash': b'\\server\\share' + b'\x04\x00',
        'own-relative': b'\x10\\DATE\\words.TXT' + b'\x01',
        'posix': b'/home/player/keyfall' + b'\x05\x00',
        'long': b'C:\\' + b'a\\' * 400 + b'\x00\x00',
    }


def judge_seeds():
    # Flags byte (scroll display, romaji, typed, Power, Miss), romaji, NUL, display text,
    # NUL, then pairs: typed byte, paint byte (8: new scroll flags from bits 0-2; high
    # nibble: hundreds of ms before the key).
    def seed(flags, romaji, typed, paints=b'\x00', display=b'\x82\xa0\x82\xa2'):
        pairs = b''.join(bytes([c, paints[i % len(paints)]]) for i, c in enumerate(typed))
        return bytes([flags]) + romaji + b'\x00' + display + b'\x00' + pairs

    return {
        'shinkannsenn-exact': seed(0, b'shinkannsenn', b'shinkannsenn'),
        'shinkannsenn-short': seed(0, b'shinkannsenn', b'sinkansenn'),
        'shashin-syasin': seed(0, b'shashin', b'syasin'),
        'konnnichiha': seed(0, b'konnnichiha', b'konnichiha'),
        'nn-then-nul': seed(0, b'kann', b'kan\x00n'),
        'power-nnn': seed(8, b'nnn', b'\x08\x08\x08'),
        'miss-guard': seed(16, b'abc', b'xyzabc'),
        'scrolling': seed(7, b'a' * 80, b'a' * 90, paints=b'\x1f\x08\x0b'),
        'scroll-on-off': seed(0, b'shishishi', b'sisisi', paints=b'\x0a\x08\x0d'),
        'long-display': seed(1, b'ab' * 40, b'ab' * 40, display=b'\x82\xa0' * 300),
    }


def any_romaji_seeds():
    # Flags byte (Power, Miss, whole spelling, scroll flags from the paint bytes), the number
    # of word pieces, the pieces (here each a byte of the romaji as stored: 255, byte), then
    # pairs of typed byte and paint byte (high nibble: hundreds of ms before the key; bits 0-2
    # the scroll flags), or with a whole spelling the bytes that choose it.
    def seed(flags, romaji, rest, paints=b'\x10'):
        pieces = b''.join(bytes([255, c]) for c in romaji)
        if not flags & 4:
            rest = b''.join(bytes([c, paints[i % len(paints)]]) for i, c in enumerate(rest))
        return bytes([flags, len(romaji)]) + pieces + rest

    return {
        'shinkannsenn-ime': seed(0, b'shinkannsenn', b"cinkaxnsen'"),
        'tsukue-tu': seed(0, b'tsukue', b'tukue'),
        'fuji-hu': seed(0, b'fuji', b'huzi'),
        'gakkou-xtu': seed(0, b'gakkou', b'gaxtukou'),
        'gakkou-cc': seed(0, b'gakkou', b'gaccou'),
        'konnnichiha-miss': seed(0, b'konnnichiha', b'konnichihaxnnitiha'),
        'jouzu-jyo': seed(0, b'jouzu', b'jyouzu'),
        'cha-tixya': seed(0, b'cha', b'tixya'),
        'kyakusenn': seed(0, b'kyakusenn', b'kilyakusenn'),
        'loan-pc': seed(0, b'pc-', b'pc-'),
        'power': seed(1, b'shashin', b'\x08' * 8),
        'miss-guard': seed(2, b'rennai', b'renainnai'),
        'scrolling': seed(8, b'tsukuetsukue', b'tukuetukue', paints=b'\x13\x00\x17'),
        'whole-spellings': seed(4, b'shinkannsenngakkoukyakusenn', bytes(range(1, 40))),
        # Rows of the table by number, a doubled letter (254) before one, loose letters.
        'rows': bytes([4, 6, 40, 0, 254, 0, 80, 1, 190, 0, 200, 0, 120, 3]) + bytes(range(30)),
    }


def main():
    for harness, seeds in (('dib', image_seeds()), ('words', word_seeds()),
                           ('profile', profile_seeds()), ('data_path', path_seeds()),
                           ('judge', judge_seeds()), ('any_romaji', any_romaji_seeds())):
        folder = HERE / 'corpus' / harness
        folder.mkdir(parents=True, exist_ok=True)
        # Inputs that once found a fault (finding-*) stay beside the seeds made here.
        for name, content in seeds.items():
            (folder / name).write_bytes(content)


if __name__ == '__main__':
    main()
