#!/usr/bin/env python3
"""Composes mock screens from the data folder the way the game does, for looking at the art.

Usage: preview.py DATE_FOLDER OUT_FOLDER
Writes game.png (a game in play, all items held), countdown.png and ranking.png. The images
are keyed and sliced by the game's rules; the texts are drawn with ImageMagick's convert and
the IPA Gothic font (a stand-in for the game's font), measured 15 pixels a byte.
"""
import os
import struct
import subprocess
import sys
import zlib

FONT = '/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf'


def load_bmp(path):
    data = open(path, 'rb').read()
    offset = struct.unpack_from('<I', data, 10)[0]
    width, height = struct.unpack_from('<ii', data, 18)
    return {'w': width, 'h': height, 'bits': data[offset:]}


class Buffer:
    def __init__(self):
        self.w, self.h = 640, 320
        self.px = bytearray(640 * 320 * 3)

    def blit(self, src, x, y, sx=-1, sy=-1, w=-1, h=-1):
        w4 = (src['w'] + 3) // 4 * 4
        h4 = (src['h'] + 3) // 4 * 4
        ex, ey = sx + w, sy + h
        if min(ex, ey, sx, sy) < 0:
            rows, cols, dx, dy = range(h4), range(w4), x, y
        else:
            rows, cols, dx, dy = range(sy, ey), range(sx, ex), x - sx, y - sy
        bits = src['bits']
        for r in rows:
            for c in cols:
                s = (r * w4 + c) * 3
                pixel = bits[s:s + 3]
                if len(pixel) < 3 or pixel == b'\0\0\0':
                    continue
                X, Y = dx + c, dy + r
                if 0 <= X < self.w and 0 <= Y < self.h:
                    d = (Y * self.w + X) * 3
                    self.px[d:d + 3] = pixel

    def png(self, path):
        raw = b''
        for y in range(self.h - 1, -1, -1):
            row = self.px[y * self.w * 3:(y + 1) * self.w * 3]
            rgb = bytearray(len(row))
            rgb[0::3], rgb[1::3], rgb[2::3] = row[2::3], row[1::3], row[0::3]
            raw += b'\0' + bytes(rgb)
        def chunk(kind, body):
            return (struct.pack('>I', len(body)) + kind + body +
                    struct.pack('>I', zlib.crc32(kind + body) & 0xffffffff))
        with open(path, 'wb') as f:
            f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', self.w, self.h,
                                                                       8, 2, 0, 0, 0)) +
                    chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))


def ext(text):
    return sum(15 if ord(ch) < 0x80 else 30 for ch in text)


def balloon(buf, frame, x, y, width, band):
    # Kinds 0-2 without scrolling: centred on x, held in the screen.
    w = width + 20
    h = w // 2
    if x + h > 640:
        c = 640 - h
    elif x - h < 0:
        c = h
    else:
        c = x
    left = c - h
    for p in range(6):
        buf.blit(frame, left + p, y, 0, band, 1, 36)
    for p in range(5, w - 5):
        buf.blit(frame, left + p, y, 1, band, 1, 36)
    for p in range(w - 5, w + 1):
        buf.blit(frame, left + p, y, 2, band, 1, 36)


def place(centre, width):
    h = width // 2
    if centre + h >= 640:
        return max(645 - 2 * h, 10)
    if centre - h <= 0:
        return 5
    return centre - h + 5


def read_layout(date):
    values = {}
    for line in open(os.path.join(date, 'Game.ini')):
        key, _, value = line.strip().partition('=')
        if value:
            values[key] = int(value)
    clamp = lambda v, hi: max(0, min(v, hi))
    return {'N': (values['NPosX'] + 6, clamp(284 - values['NPosY'], 284)),
            'A': (values['APosX'] + 6, clamp(284 - values['APosY'], 284)),
            'T': (values['TPosX'] + 6, clamp(284 - values['TPosY'], 284)),
            'I': (max(0, min(values['IPosX'], 440)), clamp(280 - values['IPosY'], 280))}


def annotate(png, texts):
    args = ['convert', png, '-font', FONT, '-pointsize', '28']
    for x, y, colour, text in texts:
        args += ['-fill', colour, '-annotate', f'+{x}+{y + 25}', text]
    subprocess.run(args + [png], check=True)


def main():
    date, out = sys.argv[1], sys.argv[2]
    image = lambda name: load_bmp(os.path.join(date, 'Image', name))
    main_back, frame, time_strip = image('MainBack.bmp'), image('Frame.bmp'), image('Time.bmp')
    box = image('ItemBox.bmp')
    icons = [image(n) for n in ['TimeStop.bmp', 'Bomb.bmp', '1_2.bmp', 'Miss.bmp', 'Power.bmp']]
    layout = read_layout(date)

    display, romaji, typed = '新幹線に乗って', 'shinnkannsennninotte', 'shinnkann'
    buf = Buffer()
    buf.blit(main_back, 0, 0)
    gauge = 400
    for i in range(gauge):
        buf.blit(time_strip, 50 + i, 300, i // 59 + 1, 0, 1, 12)
    ix, iy = layout['I']
    for k in range(5):
        buf.blit(box, ix + 40 * k, iy)
    for k, icon in enumerate(icons):
        buf.blit(icon, ix + 4 + 40 * k, iy + 4)
    balloon(buf, frame, *layout['N'], ext(display), 72)
    balloon(buf, frame, *layout['A'], ext(romaji), 36)
    balloon(buf, frame, *layout['T'], ext(romaji), 0)
    path = os.path.join(out, 'game.png')
    buf.png(path)
    (nx, ny), (ax, ay), (tx, ty) = layout['N'], layout['A'], layout['T']
    annotate(path, [(place(nx, ext(display)), 287 - ny, 'black', display),
                    (place(ax, ext(romaji)), 287 - ay, 'magenta', romaji),
                    (place(tx, ext(romaji)), 287 - ty, 'black', typed),
                    (0, 280, 'black', '1234'), (200, 280, 'black', 'タイム回復まで12'),
                    (520, 280, 'black', '37'), (550, 280, 'black', 'Combo')])

    buf = Buffer()
    buf.blit(main_back, 0, 0)
    path = os.path.join(out, 'countdown.png')
    buf.png(path)
    annotate(path, [(320, 120, 'black', '3')])

    buf = Buffer()
    buf.blit(image('RankingBack.bmp'), 0, 0)
    entries = ['1.2450', '2.1980', '3.1205', '4.860', '5.415']
    w = ext(entries[0]) + 15
    texts = []
    for i, entry in enumerate(entries):
        x, y = 120 + 100 * i, 265 - 55 * i
        if x - w // 2 < 0:
            x = 0
        elif x + w // 2 > 640:
            x = 640 - w // 2
        left = x - w // 2
        for p in range(6):
            buf.blit(frame, left + p, y, 0, 0, 1, 36)
        for p in range(5, w - 4):
            buf.blit(frame, left + p, y, 1, 0, 1, 36)
        for p in range(w - 5, w):
            buf.blit(frame, left + p, y, 2, 0, 1, 36)
        texts.append((120 + 100 * i - ext(entries[0]) // 2, 24 + 55 * i, 'black', entry))
    path = os.path.join(out, 'ranking.png')
    buf.png(path)
    annotate(path, texts)


if __name__ == '__main__':
    main()
