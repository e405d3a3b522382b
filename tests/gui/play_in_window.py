"""Plays one game of the real keyfall in an X display and checks what the window shows.

Run inside a display without a window manager (scripts/xvfb-session). The data folder is
made fresh in --work: the images of the repository's Date/ when it has all ten (generated
ones otherwise), and a layout and word list of the test's own, so that every word is "neko"
and the balloons stand where the checks look. Screenshots stay in --work.
"""

import argparse
import configparser
import os
import shutil
import subprocess
import sys
import time

import window_driver as x

IMAGES = ["MainBack", "RankingBack", "Time", "Frame", "ItemBox",
          "TimeStop", "Bomb", "1_2", "Miss", "Power"]

# Every Easy word is ねこ/neko, so the test always knows what to type.
WORDS = "[EASY]\r\nねこ,neko\r\n[NORMAL]\r\nいぬ,inu\r\n[HARD]\r\nさくら,sakura\r\n"

# Top line of each balloon on the screen (its Game.ini value) and its band in Frame.bmp.
BALLOONS = {"display": (60, 72), "romaji": (120, 36), "typed": (180, 0)}
CENTRE_X = 320  # every balloon is centred here: the file's X plus 6
LAYOUT = {"NPosX": 314, "NPosY": 60, "APosX": 314, "APosY": 120,
          "TPosX": 314, "TPosY": 180, "IPosX": 20, "IPosY": 230}

GAUGE_SECONDS = 120.2  # 531.0 drained by 0.4425 every 100 ms, then the 1202nd tick ends it


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)
    print("ok:", message)


def generated_image(name):
    """Pictures for a checkout without art: plain colours, never pure black."""
    if name == "MainBack":
        return 640, 320, lambda c, r: (170, 210, 240) if (c // 32 + r // 32) % 2 else (150, 190, 225)
    if name == "RankingBack":
        return 640, 320, lambda c, r: (240, 230, 200)
    if name == "Time":
        return 12, 12, lambda c, r: (30 + 20 * c, 200 - 10 * c, 60 + r)
    if name == "Frame":
        middles = [(230, 235, 255), (220, 255, 230), (255, 250, 220)]  # typed, romaji, display

        def frame(column, row):
            if column != 1 or row % 36 in (0, 35):
                return 80, 80, 80
            return middles[row // 36]
        return 3, 108, frame
    if name == "ItemBox":
        return 36, 36, lambda c, r: (120, 120, 160)
    return 28, 28, lambda c, r: (60 + 15 * IMAGES.index(name), 100, 200)


def make_data_folder(work, source_date):
    date = os.path.join(work, "Date")
    image = os.path.join(date, "Image")
    os.makedirs(image)
    source_image = source_date and x.find_file_without_case(source_date, "Image")
    sources = [source_image and x.find_file_without_case(source_image, n + ".bmp") for n in IMAGES]
    if all(sources):
        for name, path in zip(IMAGES, sources):
            shutil.copyfile(path, os.path.join(image, name + ".bmp"))
        print("images: copied from", source_image)
    else:
        for name in IMAGES:
            x.write_bitmap(os.path.join(image, name + ".bmp"), *generated_image(name))
        print("images: generated (the repository has no complete Date/Image)")
    for extra in ("Icon.ico", "BackMusic.wav"):
        found = source_date and x.find_file_without_case(source_date, extra)
        if found:
            shutil.copyfile(found, os.path.join(date, extra))
    with open(os.path.join(date, "Words.txt"), "wb") as file:
        file.write(WORDS.encode("cp932"))
    with open(os.path.join(date, "Game.ini"), "w", newline="\r\n") as file:
        file.write("[POSS]\n" + "".join(f"{k}={v}\n" for k, v in LAYOUT.items()))
    return date


class Screen:
    """The game's 640 x 320 frame inside a screenshot."""

    def __init__(self, work, window, name):
        left, top, width, height = x.geometry(window)
        picture = x.screenshot(os.path.join(work, name + ".png"))
        # The frame is the drawing area under the menu bar, at the bottom of the window.
        self.frame = picture.crop(left, top + height - 320, 640, 320)

    def pixel(self, column, line):
        return self.frame.pixel(column, line)


def background_mismatches(screen, main_back, only_opaque):
    """Pixels that differ from MainBack; black (transparent) ones count only if not only_opaque."""
    wrong = 0
    for line in range(320):
        for column in range(640):
            expected = main_back.pixel(column, 319 - line)
            if only_opaque and expected == (0, 0, 0):
                continue
            if screen.pixel(column, line) != expected:
                wrong += 1
    return wrong


def gauge_mismatches(screen, strip):
    """Pixels of the first band of a full gauge (x 50 to 108, lines 8 to 19) that differ."""
    wrong = 0
    for i in range(59):
        for row in range(12):
            expected = strip.pixel(1, row)
            if expected != (0, 0, 0) and screen.pixel(50 + i, 19 - row) != expected:
                wrong += 1
    return wrong


def balloon_text_pixels(screen, frame, balloon):
    """Finds the balloon's middle and counts the pixels in its text lines that are not the
    balloon's own colour: the letters drawn on it. Returns (middle span, count)."""
    top, band = BALLOONS[balloon]
    middle = {k: frame.pixel(1, band + 35 - k) for k in range(36)}  # line top + k
    edge = next(k for k in (1, 0, 2, 34, 35) if middle[k] != (0, 0, 0))
    line = top + edge
    if screen.pixel(CENTRE_X, line) != middle[edge]:
        raise Failure(f"{balloon} balloon: no balloon colour {middle[edge]} at "
                      f"({CENTRE_X}, {line}) but {screen.pixel(CENTRE_X, line)}")
    left = right = CENTRE_X
    while left > 0 and screen.pixel(left - 1, line) == middle[edge]:
        left -= 1
    while right < 639 and screen.pixel(right + 1, line) == middle[edge]:
        right += 1
    letters = 0
    for k in range(3, 34):
        if middle[k] == (0, 0, 0):
            continue
        for column in range(left, right + 1):
            if screen.pixel(column, top + k) != middle[k]:
                letters += 1
    return (left, right), letters


def wait_for_play(work, window, main_back, deadline, scale=1):
    """Until the line of score, time and combo is drawn at the bottom, below any menu: the
    countdown is over. On a busy machine it ends later than its three seconds. At a scale,
    the top left device pixel of each block is the frame's."""
    while time.monotonic() < deadline:
        left, top, width, height = x.geometry(window)
        picture = x.screenshot(os.path.join(work, "begun.png"))
        screen = picture.crop(left, top + height - 320 * scale, 640 * scale, 320 * scale)
        drawn = sum(screen.pixel(c * scale, l * scale) != main_back.pixel(c, 319 - l)
                    for c in range(200, 440, 2) for l in range(285, 312, 2))
        if drawn > 20:
            return True
        time.sleep(0.1)
    return False


def ranking_entries(date):
    path = x.find_file_without_case(date, "RankingDate.ini")
    if not path:
        return None
    parser = configparser.ConfigParser()
    with open(path, encoding="ascii") as file:
        parser.read_file(file)
    return parser


def play(args):
    work = args.work
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    date = make_data_folder(work, args.source_date)
    main_back = x.Bitmap(os.path.join(date, "Image", "MainBack.bmp"))
    frame = x.Bitmap(os.path.join(date, "Image", "Frame.bmp"))
    strip = x.Bitmap(os.path.join(date, "Image", "Time.bmp"))

    env = dict(os.environ, NO_AT_BRIDGE="1")
    with open(os.path.join(work, "keyfall.out"), "wb") as out, \
            open(os.path.join(work, "keyfall.err"), "wb") as err:
        game = subprocess.Popen([args.keyfall], cwd=work, env=env, stdout=out, stderr=err)
        try:
            exit_code = drive(work, date, game, main_back, frame, strip)
        finally:
            if game.poll() is None:
                game.kill()
                game.wait()
    check(exit_code == 0, f"keyfall ended with exit code {exit_code} after the Exit command")
    for stream in ("keyfall.out", "keyfall.err"):
        with open(os.path.join(work, stream), "rb") as file:
            printed = file.read()
        check(printed == b"", f"keyfall printed nothing on {stream[8:]} "
                              f"({printed[:300].decode(errors='replace')!r})")


def drive(work, date, game, main_back, frame, strip):
    window = x.find_window("^Keyfall$", 20)
    check(window is not None, "the window \"Keyfall\" appeared")
    time.sleep(1.0)
    x.focus(window)

    idle = Screen(work, window, "1-idle")
    check(background_mismatches(idle, main_back, only_opaque=False) == 0,
          "the idle window shows MainBack.bmp pixel for pixel")

    # Start from the menu with the keyboard: Alt+G opens "ゲーム(G)", S chooses "スタート(S)".
    x.keys("alt+g", "s")
    started = time.monotonic()
    # A menu opened during the countdown offers the difficulties; held open until the game
    # has begun, its Hard(H) must change nothing: the words stay Easy ones, and so does the
    # table the score goes to (checked at the game over). It is opened at once: a busy
    # machine that takes the countdown's screenshot first may open it after the countdown, and
    # then Hard is greyed, H is not taken and the menu stays over the gauge.
    x.keys("alt+g", "m")
    time.sleep(max(0.0, started + 1.2 - time.monotonic()))
    # The digit is right of the open menu.
    counting = Screen(work, window, "2-countdown")
    digit = sum(counting.pixel(c, l) != main_back.pixel(c, 319 - l)
                for c in range(320, 336) for l in range(120, 150))
    check(digit > 20, f"a countdown digit is drawn at (320, 120) ({digit} pixels)")
    check(wait_for_play(work, window, main_back, started + 20),
          "the game began while the menu was open")
    x.keys("h")

    time.sleep(max(0.0, started + 4.2 - time.monotonic()))
    x.focus(window)
    first = Screen(work, window, "3-first-word")
    check(gauge_mismatches(first, strip) == 0, "the time gauge is drawn from Time.bmp")
    for balloon in ("display", "romaji"):
        span, letters = balloon_text_pixels(first, frame, balloon)
        check(letters > 40, f"the {balloon} balloon spans x {span} with its word drawn "
                            f"({letters} letter pixels)")
    span, letters = balloon_text_pixels(first, frame, "typed")
    check(letters == 0, f"the typed balloon spans x {span} and is empty before typing")

    x.type_text("ne")
    time.sleep(0.5)
    typed = Screen(work, window, "4-typed-ne")
    span, letters = balloon_text_pixels(typed, frame, "typed")
    check(letters > 20, f"the typed balloon shows \"ne\" ({letters} letter pixels)")

    # Finish this word and two more; fewer than the ten that would refill the gauge.
    x.type_text("ko" + "neko" * 2)
    time.sleep(0.5)
    after = Screen(work, window, "5-three-words")
    _, letters = balloon_text_pixels(after, frame, "typed")
    check(letters == 0, "after three whole words the typed balloon is empty again")

    # The gauge runs out on its own; the result box then opens over the window.
    remaining = started + 3.0 + GAUGE_SECONDS - time.monotonic()
    print(f"waiting {remaining:.0f} s for the gauge to run out")
    time.sleep(max(0.0, remaining - 5))
    box = x.find_window("^スコア$", 60)
    check(box is not None, f"the result box \"スコア\" opened "
                           f"{time.monotonic() - started:.1f} s after Start")
    time.sleep(0.5)
    Screen(work, window, "6-result")
    ranking = ranking_entries(date)
    check(ranking is not None and ranking.has_section("EASY"),
          "RankingDate.ini was written before the result was shown")
    score = ranking.get("EASY", "1", fallback="")
    check(score.isdigit() and int(score) > 0, f"rank 1 of EASY holds the score {score}")
    check([ranking.get("EASY", str(k), fallback=None) for k in range(2, 6)] == [""] * 4,
          "ranks 2 to 5 are present and empty")
    check(not ranking.has_section("HARD"), "Hard chosen during the game wrote no Hard table")

    x.focus(box)
    x.keys("Return")
    check(x.window_gone("^スコア$", box, 10), "Return dismissed the result box")
    time.sleep(0.5)
    x.focus(window)
    over = Screen(work, window, "7-after-game")
    check(background_mismatches(over, main_back, only_opaque=True) == 0,
          "after the game the window is idle again on MainBack.bmp")

    # Exit: Alt+G, End selects "終了(E)" (it has no mnemonic), Return chooses it.
    x.keys("alt+g", "End", "Return")
    try:
        return game.wait(timeout=15)
    except subprocess.TimeoutExpired:
        raise Failure("keyfall did not end within 15 s of the Exit command")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--keyfall", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--source-date", default="")
    args = parser.parse_args()
    try:
        play(args)
    except Failure as failure:
        print("FAILED:", failure)
        print("screenshots and output are in", args.work)
        return 1
    print("screenshots are in", args.work)
    return 0


if __name__ == "__main__":
    sys.exit(main())
