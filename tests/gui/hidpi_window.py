"""The real keyfall at GDK_SCALE=2 in an X display: the window is twice the size in device
pixels, every pixel of the background is an exact 2 x 2 block of MainBack.bmp's, and the
texts are drawn at the screen's resolution at the same places: they have edges inside the
2 x 2 blocks, which the 1x window's texts scaled up cannot have.

Run inside a display without a window manager (scripts/xvfb-session). The same game is
played at scale 1 and at scale 2 in data folders made as play_in_window.py makes its own.
"""

import argparse
import os
import shutil
import subprocess
import sys
import time

import play_in_window as play
import window_driver as x

# The display and romaji balloons' text lines (the balloons of play_in_window's layout).
TEXT_AREA = (250, 62, 390, 154)  # left, top, right, bottom, in pixels of the frame


class Frame:
    """The frame inside a screenshot of the window at a scale, addressed in device pixels."""

    def __init__(self, work, window, name, scale):
        left, top, width, height = x.geometry(window)
        self.size = (width, height)
        picture = x.screenshot(os.path.join(work, name + ".png"))
        self.scale = scale
        self.picture = picture.crop(left, top + height - 320 * scale, 640 * scale, 320 * scale)

    def luminance(self, column, line):
        red, green, blue = self.picture.pixel(column, line)
        return (299 * red + 587 * green + 114 * blue) // 1000


def block_mismatches(frame, main_back):
    """Device pixels at scale 2 that are not MainBack's pixel of their 2 x 2 block."""
    wrong = 0
    for line in range(320):
        for column in range(640):
            expected = main_back.pixel(column, 319 - line)
            for dy in (0, 1):
                for dx in (0, 1):
                    if frame.picture.pixel(2 * column + dx, 2 * line + dy) != expected:
                        wrong += 1
    return wrong


def text_area(frame):
    """Luminance of the text area in device pixels of scale 2; a frame at scale 1 is scaled
    up by whole blocks, as a blurless stretch of the 1x window would be."""
    left, top, right, bottom = TEXT_AREA
    s = frame.scale
    return [[frame.luminance((2 * left + dx) * s // 2, (2 * top + dy) * s // 2)
             for dx in range(2 * (right - left))] for dy in range(2 * (bottom - top))]


def edges_inside_blocks(area, threshold=64):
    """Pixels at the top left of a 2 x 2 block that differ from their block neighbours."""
    count = 0
    for y in range(0, len(area) - 1, 2):
        for xx in range(0, len(area[0]) - 1, 2):
            here = area[y][xx]
            if abs(here - area[y][xx + 1]) >= threshold or abs(here - area[y + 1][xx]) >= threshold:
                count += 1
    return count


def ink_box(area):
    """The bounding box (left, top, right, bottom) of dark pixels, in device pixels at 2x."""
    dark = [(xx, y) for y, row in enumerate(area) for xx, value in enumerate(row) if value < 80]
    if not dark:
        return None
    xs, ys = [p[0] for p in dark], [p[1] for p in dark]
    return min(xs), min(ys), max(xs), max(ys)


def run(keyfall, work, source_date, scale):
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    date = play.make_data_folder(work, source_date)
    main_back = x.Bitmap(os.path.join(date, "Image", "MainBack.bmp"))
    env = dict(os.environ, NO_AT_BRIDGE="1", GDK_SCALE=str(scale), GDK_DPI_SCALE="1")
    game = subprocess.Popen([keyfall], cwd=work, env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        window = x.find_window("^Keyfall$", 20)
        play.check(window is not None, f"the window appeared at scale {scale}")
        time.sleep(1.0)
        x.focus(window)
        idle = Frame(work, window, "1-idle", scale)
        width, height = idle.size
        play.check(width == 640 * scale and height > 320 * scale,
                   f"the window is {width} x {height} device pixels at scale {scale}")
        if scale == 2:
            play.check(block_mismatches(idle, main_back) == 0,
                       "every background pixel is an exact 2 x 2 block of MainBack.bmp's")
        x.keys("alt+g", "s")
        play.check(play.wait_for_play(work, window, main_back, time.monotonic() + 20, scale),
                   f"the game began at scale {scale}")
        time.sleep(0.8)
        x.focus(window)
        first = Frame(work, window, "2-first-word", scale)
        if scale == 1:
            # The window destroyed from outside ends the program as the Exit command does.
            subprocess.run(["xdotool", "windowclose", window], check=True)
        else:
            x.keys("alt+g", "End", "Return")
        play.check(game.wait(timeout=15) == 0, f"keyfall ended with exit code 0 at scale {scale}")
        return text_area(first)
    finally:
        if game.poll() is None:
            game.kill()
            game.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--keyfall", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--source-date", default="")
    args = parser.parse_args()
    try:
        scaled_up = run(args.keyfall, os.path.join(args.work, "scale-1"), args.source_date, 1)
        sharp = run(args.keyfall, os.path.join(args.work, "scale-2"), args.source_date, 2)
        up_box, sharp_box = ink_box(scaled_up), ink_box(sharp)
        play.check(up_box is not None and sharp_box is not None, "both windows show the words")
        play.check(all(abs(a - b) <= 3 for a, b in zip(up_box, sharp_box)),
                   f"the texts stand at the same places ({sharp_box} at 2x, {up_box} at 1x)")
        up_edges, sharp_edges = edges_inside_blocks(scaled_up), edges_inside_blocks(sharp)
        play.check(up_edges == 0, "the 1x texts scaled up have no edge inside a 2 x 2 block")
        play.check(sharp_edges > 100, f"the texts at 2x have {sharp_edges} edge pixels inside "
                                      "2 x 2 blocks: they are drawn at the screen's resolution")
    except play.Failure as failure:
        print("FAILED:", failure)
        print("screenshots are in", args.work)
        return 1
    print("screenshots are in", args.work)
    return 0


if __name__ == "__main__":
    sys.exit(main())
