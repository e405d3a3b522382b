"""keyfall with a Japanese input method on: ibus with the Anthy engine in hiragana mode, in
a D-Bus session and X display of the test's own, GTK_IM_MODULE=ibus. An ordinary GTK entry
typed "neko" shows ねこ; keyfall, which takes the raw key events, judges the same keys as
romaji. Skipped (exit code 77), saying why, where ibus, Anthy or the GTK bindings for the
entry are missing, or where the entry shows that ibus composes nothing here.

Run inside a display without a window manager (scripts/xvfb-session).
"""

import argparse
import os
import shutil
import subprocess
import sys
import time

import play_in_window as play
import window_driver as x

SKIPPED = 77
# Debian's ibus-anthy runs "python3" from PATH: a Python of one's own without the GObject
# bindings, ahead of the system's on PATH, would stop the engine.
SYSTEM_PATH = "/usr/bin:/bin"
PROBE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "ime_probe.py")
HIRAGANA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "ime_hiragana.py")


class Skip(Exception):
    pass


def ibus(env, *args):
    return subprocess.run(["ibus", *args], env=env, capture_output=True, text=True)


def start_ibus(work, env):
    missing = [tool for tool in ("ibus-daemon", "ibus") if not shutil.which(tool, path=SYSTEM_PATH)]
    if missing or not os.path.exists("/usr/libexec/ibus-engine-anthy"):
        raise Skip(f"ibus or ibus-anthy is not installed ({' '.join(missing) or 'anthy'}); "
                   "make deps installs them")
    log = open(os.path.join(work, "ibus.log"), "wb")
    daemon = subprocess.Popen(["ibus-daemon", "--replace", "--single", "--panel=disable"],
                              env=env, stdout=log, stderr=log)
    # list-engine reads a cache while the daemon cannot be reached; address asks the daemon.
    deadline = time.monotonic() + 30
    while "unix" not in ibus(env, "address").stdout or \
            "anthy" not in ibus(env, "list-engine").stdout:
        if time.monotonic() > deadline:
            daemon.kill()
            raise Skip("ibus-daemon did not come up with the Anthy engine within 30 s")
        time.sleep(0.3)
    # The engine is listed a little before it can be chosen. "ibus engine NAME" may report a
    # failure (it tries the portal first) and still switch: the engine in use decides.
    deadline = time.monotonic() + 30
    while True:
        ibus(env, "engine", "anthy")
        if ibus(env, "engine").stdout.strip() == "anthy":
            break
        if time.monotonic() > deadline:
            daemon.kill()
            raise Skip("ibus-daemon lists the Anthy engine but cannot start it: "
                       + ibus(env, "engine", "anthy").stderr.strip()[-200:])
        time.sleep(0.3)
    play.check(True, "ibus runs the Anthy engine")
    turned = subprocess.run(["/usr/bin/python3", HIRAGANA], env=env, capture_output=True,
                            text=True, timeout=30)
    if turned.returncode != 0:
        daemon.kill()
        raise Skip("Anthy's input mode cannot be set (gir1.2-ibus-1.0 missing?): "
                   + turned.stderr.strip()[-200:])
    play.check(turned.stdout.strip() == "\u306d",
               f"Anthy is in hiragana mode: an input context of ibus makes ね of \"ne\" "
               f"({turned.stdout.strip()!r})")
    return daemon


def entry_text(work, env):
    """What an ordinary GTK entry shows after "neko" and Return are typed into it."""
    probe = subprocess.Popen(["/usr/bin/python3", PROBE], env=env, stdout=subprocess.PIPE,
                             stderr=open(os.path.join(work, "probe.err"), "wb"), text=True)
    try:
        window = x.find_window("^keyfall-ime-probe$", 20)
        if window is None:
            raise Skip("the GTK entry of the control did not open (python3-gi missing?)")
        time.sleep(1.0)
        x.focus(window)
        x.type_text("neko", 150)
        x.keys("Return", pause=1.0)
    finally:
        probe.terminate()
    lines = probe.communicate(timeout=10)[0].splitlines()
    return lines[-1] if lines else ""


def judge_in_keyfall(args, work, env):
    date = play.make_data_folder(work, args.source_date)
    frame = x.Bitmap(os.path.join(date, "Image", "Frame.bmp"))
    main_back = x.Bitmap(os.path.join(date, "Image", "MainBack.bmp"))
    game = subprocess.Popen([args.keyfall], cwd=work, env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        window = x.find_window("^Keyfall$", 20)
        play.check(window is not None, "the window \"Keyfall\" appeared with ibus running")
        time.sleep(1.0)
        x.focus(window)
        x.keys("alt+g", "s")
        play.check(play.wait_for_play(work, window, main_back, time.monotonic() + 20),
                   "the game began")
        x.focus(window)
        x.type_text("ne", 150)
        time.sleep(0.5)
        _, letters = play.balloon_text_pixels(play.Screen(work, window, "typed-ne"), frame,
                                              "typed")
        play.check(letters > 20, f"\"ne\" was judged as romaji: the typed balloon shows it "
                                 f"({letters} letter pixels)")
        x.type_text("ko", 150)
        time.sleep(0.5)
        _, letters = play.balloon_text_pixels(play.Screen(work, window, "typed-neko"), frame,
                                              "typed")
        play.check(letters == 0, "\"neko\" completed the word: the typed balloon is empty again")
        x.keys("alt+g", "End", "Return")
        play.check(game.wait(timeout=15) == 0, "keyfall ended with exit code 0")
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
    work = args.work
    if "KEYFALL_IME_SESSION" not in os.environ:
        # A D-Bus session of its own, which ibus and its settings live in and end with. The
        # services it starts take its environment: the settings folders are set before.
        if not shutil.which("dbus-run-session"):
            print("skipped: dbus-run-session is missing (Debian dbus-daemon); make deps installs it")
            return SKIPPED
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(work)
        env = dict(os.environ, KEYFALL_IME_SESSION="1",
                   PATH=SYSTEM_PATH + ":" + os.environ.get("PATH", ""),
                   XDG_CONFIG_HOME=os.path.join(work, "config"),
                   XDG_CACHE_HOME=os.path.join(work, "cache"))
        return subprocess.run(["dbus-run-session", "--", sys.executable, *sys.argv],
                              env=env).returncode

    env = dict(os.environ, GTK_IM_MODULE="ibus", XMODIFIERS="@im=ibus", NO_AT_BRIDGE="1")
    daemon = None
    try:
        daemon = start_ibus(work, env)
        shown = entry_text(work, env)
        if shown != "ねこ":
            raise Skip(f"ibus composes nothing here: an ordinary GTK entry shows {shown!r} "
                       "for \"neko\", not ねこ, so keyfall's check would prove nothing")
        play.check(True, "an ordinary GTK entry shows ねこ for the keys \"neko\"")
        judge_in_keyfall(args, work, env)
    except Skip as reason:
        print("skipped:", reason)
        return SKIPPED
    except play.Failure as failure:
        print("FAILED:", failure)
        print("screenshots are in", work)
        return 1
    finally:
        if daemon and daemon.poll() is None:
            daemon.terminate()
            daemon.wait(timeout=10)
    print("screenshots are in", work)
    return 0


if __name__ == "__main__":
    sys.exit(main())
