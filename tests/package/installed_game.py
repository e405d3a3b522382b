"""Installs the Debian package for real, plays it as a player would, and removes it again.

Run as root (CI is) inside a display without a window manager (scripts/xvfb-session): the
package is installed with its dependencies, the launcher of the desktop entry is started
with HOME in a scratch folder, the player's data folder is made from the shipped one, kept
when the player edits it, completed when a file goes missing; a game played from the menu to
its result leaves its score in the player's ranking file, and the next start keeps it. The
package is then purged, which must leave nothing behind outside the player's folder.
"""

import argparse
import configparser
import fcntl
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "gui"))
import window_driver as x  # noqa: E402
from play_in_window import GAUGE_SECONDS, ranking_entries, wait_for_play  # noqa: E402

SKIP = 77
# Held from install to purge: two builds' tests on one machine would remove each other's.
LOCK = os.path.join(tempfile.gettempdir(), "keyfall-package-test.lock")
SHIPPED = "/usr/share/keyfall/Date"
# The player's word list: every Easy word is ねこ/neko, so the test knows what to type.
WORDS = "[EASY]\r\nねこ,neko\r\n[NORMAL]\r\nいぬ,inu\r\n[HARD]\r\nさくら,sakura\r\n".encode("cp932")


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)
    print("ok:", message)


def apt(*arguments):
    """apt-get, waiting for the package database if another installation holds it."""
    command = ["apt-get", "-y", "-q", "-o", "DPkg::Lock::Timeout=300", *arguments]
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    done = subprocess.run(command, env=env, capture_output=True, text=True)
    print(done.stdout[-2000:], done.stderr[-2000:])
    return done.returncode


def installed():
    done = subprocess.run(["dpkg-query", "-W", "-f=${db:Status-Status}", "keyfall"],
                          capture_output=True, text=True)
    return done.stdout.strip() == "installed"


def package_paths(deb):
    listing = subprocess.run(["dpkg-deb", "-c", deb], check=True, capture_output=True,
                             text=True).stdout
    return [line.split(None, 5)[5].lstrip(".").rstrip("/") or "/" for line in listing.splitlines()]


def files_under(folder):
    found = {}
    for directory, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(directory, name)
            with open(path, "rb") as file:
                found[os.path.relpath(path, folder)] = file.read()
    return found


class Player:
    """Starts the desktop entry's command as a player whose home is a scratch folder."""

    def __init__(self, work):
        self.work = work
        self.home = os.path.join(work, "home")
        self.date = os.path.join(self.home, ".local", "share", "keyfall", "Date")
        os.makedirs(self.home)
        # A player's session, as Debian sets it up: /usr/games on the PATH, no XDG folders.
        self.env = {k: v for k, v in os.environ.items() if not k.startswith("XDG_")}
        self.env.update(HOME=self.home, NO_AT_BRIDGE="1",
                        PATH="/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games")
        self.starts = 0
        self.game = None

    @property
    def command(self):
        entry = configparser.ConfigParser(interpolation=None)
        entry.read("/usr/share/applications/keyfall.desktop", encoding="utf-8")
        return entry["Desktop Entry"]["Exec"].split()

    def run_to_end(self, **changes):
        env = dict(self.env, **changes)
        return subprocess.run(self.command, cwd=self.work, env=env, capture_output=True,
                              text=True, timeout=30)

    def start(self):
        self.starts += 1
        self.log = os.path.join(self.work, f"start-{self.starts}")
        self.out, self.err = open(self.log + ".out", "wb"), open(self.log + ".err", "wb")
        # Started from a folder of its own: the launcher, not the caller, sets the game's.
        self.game = subprocess.Popen(self.command, cwd=self.work, env=self.env,
                                     stdout=self.out, stderr=self.err)
        self.window = x.find_window("^Keyfall$", 30)
        check(self.window is not None, f"start {self.starts}: the window \"Keyfall\" appeared")
        time.sleep(1.0)
        x.focus(self.window)

    def exit(self):
        x.focus(self.window)
        x.keys("alt+g", "End", "Return")  # 終了(E) is the last item of ゲーム(G)
        try:
            code = self.game.wait(timeout=15)
        except subprocess.TimeoutExpired:
            raise Failure(f"start {self.starts}: keyfall did not end within 15 s of Exit")
        self.out.close()
        self.err.close()
        with open(self.log + ".err", "rb") as file:
            printed = file.read()
        check(code == 0, f"start {self.starts}: Exit ends keyfall with 0 "
                         f"(stderr: {printed[:300].decode(errors='replace')!r})")

    def stop(self):
        if self.game is not None and self.game.poll() is None:
            self.game.kill()
            self.game.wait()


def play_one_game(player):
    x.keys("alt+g", "s")  # ゲーム(G), スタート(S)
    started = time.monotonic()
    main_back = x.Bitmap(os.path.join(player.date, "Image", "MainBack.bmp"))
    check(wait_for_play(player.work, player.window, main_back, started + 20),
          "the game began after its countdown")
    x.focus(player.window)
    x.type_text("neko" * 3)
    x.screenshot(os.path.join(player.work, "game.png"))  # for a person to look at
    remaining = started + 3.0 + GAUGE_SECONDS - time.monotonic()
    print(f"waiting {remaining:.0f} s for the gauge to run out")
    time.sleep(max(0.0, remaining - 5))
    box = x.find_window("^スコア$", 60)
    check(box is not None, "the result box \"スコア\" opened")
    ranking = ranking_entries(player.date)
    score = ranking.get("EASY", "1", fallback="") if ranking else ""
    check(score.isdigit() and int(score) > 0,
          f"the player's RankingDate.ini holds the score {score} as rank 1 of EASY")
    x.focus(box)
    x.keys("Return")
    check(x.window_gone("^スコア$", box, 10), "Return dismissed the result box")


def play(player):
    shipped = files_under(SHIPPED)
    check(len(shipped) == 15 and not any(n.lower() == "rankingdate.ini" for n in shipped),
          f"the package ships the 15 data files and no ranking in {SHIPPED}")

    # A data folder that cannot be made: a clear message and no game.
    blocker = os.path.join(player.work, "not-a-folder")
    with open(blocker, "w") as file:
        file.write("a file where the data folder should go\n")
    done = player.run_to_end(XDG_DATA_HOME=blocker)
    check(done.returncode != 0 and "keyfall: cannot make your data folder" in done.stderr,
          f"an unusable XDG_DATA_HOME is refused with a message ({done.returncode}, "
          f"{done.stderr.strip()!r})")

    player.start()
    check(files_under(player.date) == shipped,
          "the first start made ~/.local/share/keyfall/Date as a copy of the shipped folder")
    player.exit()

    # The player edits the word list and loses a picture.
    with open(os.path.join(player.date, "Words.txt"), "wb") as file:
        file.write(WORDS)
    os.remove(os.path.join(player.date, "Image", "Bomb.bmp"))
    player.start()
    kept = files_under(player.date)
    check(kept.get("Words.txt") == WORDS, "the second start kept the player's edited Words.txt")
    check(kept.get(os.path.join("Image", "Bomb.bmp")) == shipped[os.path.join("Image", "Bomb.bmp")],
          "the second start copied the missing Image/Bomb.bmp again")
    play_one_game(player)
    player.exit()
    with open(os.path.join(player.date, "RankingDate.ini"), "rb") as file:
        ranking = file.read()

    player.start()
    time.sleep(1.0)
    player.exit()
    with open(os.path.join(player.date, "RankingDate.ini"), "rb") as file:
        check(file.read() == ranking, "the next start kept the ranking as it was")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--deb", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    deb = os.path.abspath(args.deb)
    if os.geteuid() != 0:
        print("skipped: installing a package needs root (CI runs as root)")
        return SKIP
    lock = open(LOCK, "w")
    fcntl.flock(lock, fcntl.LOCK_EX)
    if installed():
        print("skipped: keyfall is installed on this machine; the test would replace it")
        return SKIP

    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    paths = package_paths(deb)
    there_before = {p for p in paths if os.path.lexists(p)}
    player = Player(args.work)
    try:
        # apt-get installs the file with the dependencies it lacks, as `dpkg -i` followed by
        # `apt-get -f install` would.
        check(apt("install", "--no-install-recommends", deb) == 0 and installed(),
              "the package is installed with its dependencies")
        play(player)
    except Failure as failure:
        print("FAILED:", failure)
        print("screenshots and output are in", args.work)
        return 1
    finally:
        player.stop()
        purged = apt("purge", "keyfall") == 0 and not installed()
    try:
        check(purged, "the package is purged")
        left = sorted(p for p in paths if p not in there_before and os.path.lexists(p))
        check(left == [], f"purging left nothing of the package behind ({left[:5]})")
    except Failure as failure:
        print("FAILED:", failure)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
