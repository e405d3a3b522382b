"""Takes the README's picture of keyfall in play: the shipped Date/ in a scratch copy, a game
started from the menu, two words typed and a third begun, then the window saved as a PNG.

The scratch copy's word list holds only one Easy word of the shipped list, so that the
typing is right; everything else (pictures, layout, music) is the shipped data.
Run inside a display without a window manager: scripts/xvfb-screenshot does both.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

import window_driver as x


def easy_word(words_path):
    """The first Easy word of at least six letters (a short one makes a thin picture)."""
    with open(words_path, "rb") as file:
        lines = file.read().replace(b"\r\n", b"\n").split(b"\n")
    start = next(i for i, line in enumerate(lines) if line.startswith(b"[EASY]"))
    words = [line for line in lines[start + 1 :] if b"," in line]
    return next((w for w in words if len(w.split(b",", 1)[1]) >= 6), words[0])


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--keyfall", required=True)
    parser.add_argument("--date", required=True, help="the shipped data folder")
    parser.add_argument("--out", required=True, help="the PNG to write")
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as work:
        date = os.path.join(work, "Date")
        shutil.copytree(args.date, date)
        ranking = x.find_file_without_case(date, "RankingDate.ini")
        if ranking:
            os.remove(ranking)
        word = easy_word(os.path.join(args.date, "Words.txt"))
        romaji = word.split(b",", 1)[1].decode("ascii")
        with open(os.path.join(date, "Words.txt"), "wb") as file:
            file.write(b"[EASY]\r\n" + word + b"\r\n[NORMAL]\r\n" + word + b"\r\n[HARD]\r\n"
                       + word + b"\r\n")

        game = subprocess.Popen([args.keyfall], cwd=work)
        try:
            window = x.find_window("^Keyfall$", 20)
            if window is None:
                print("screenshot: the window did not appear", file=sys.stderr)
                return 1
            time.sleep(1.0)
            x.focus(window)
            x.keys("alt+g", "s")
            time.sleep(3.8)
            x.focus(window)
            x.type_text(romaji * 2 + romaji[: max(1, len(romaji) // 2)])
            time.sleep(0.6)
            left, top, width, height = x.geometry(window)
            whole = os.path.join(work, "screen.png")
            x.screenshot(whole)
            subprocess.run(["convert", whole, "-crop", f"{width}x{height}+{left}+{top}",
                            "+repage", "-strip", args.out], check=True)
            x.keys("alt+g", "End", "Return")
            game.wait(timeout=15)
        finally:
            if game.poll() is None:
                game.kill()
                game.wait()
    print("screenshot: wrote", args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
