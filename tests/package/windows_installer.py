"""The Windows installer under Wine, as a player would meet it.

Run inside a display without a window manager (xvfb-run), with WINEPREFIX naming a fresh
prefix (tests/windows/wine-prefix.sh). The zip holds the program, its data and the licence
texts; the NSIS installer runs silently into %LOCALAPPDATA%\\Programs\\Keyfall without
administrator rights, registers its uninstaller for "Apps & features" and makes a Start-menu
shortcut that starts the game in the install folder; keyfall.exe started there ends with 0
after Exit; the silent uninstaller removes everything but the player's ranking file, and
the uninstaller's own window removes that too when the player ticks its removal.
"""

import argparse
import os
import struct
import subprocess
import sys
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "gui"))
import window_driver as x  # noqa: E402

UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Keyfall"
DATA = ["Words.txt", "Game.ini", "BackMusic.wav", "Icon.ico"] + [
    f"Image/{n}.bmp" for n in ("MainBack", "RankingBack", "Time", "Frame", "ItemBox",
                               "TimeStop", "Bomb", "1_2", "Miss", "Power", "Glyphs")]
RANKING = b"[EASY]\r\n1=4321\r\n2=\r\n3=\r\n4=\r\n5=\r\n"


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)
    print("ok:", message)


def wine_tool(name):
    return os.path.join(os.path.dirname(subprocess.run(
        ["sh", "-c", "command -v wine"], capture_output=True, text=True).stdout.strip()), name)


def wine(*arguments, cwd=None, timeout=120):
    done = subprocess.run([wine_tool("wine"), *arguments], cwd=cwd, capture_output=True,
                          timeout=timeout)
    return done.returncode, done.stdout.decode(errors="replace")


def settle():
    """Waits until every process of the prefix has ended (an uninstaller runs a copy of
    itself from the temporary folder and returns at once)."""
    try:
        subprocess.run([wine_tool("wineserver"), "-w"], timeout=120)
    except subprocess.TimeoutExpired:
        raise Failure("a program of the Wine prefix still runs after 120 s")


def unix_path(windows_path):
    return subprocess.run([wine_tool("winepath"), "-u", windows_path], capture_output=True,
                          text=True, check=True).stdout.strip()


def shell_folder(variable):
    _, out = wine("cmd", "/c", "echo", f"%{variable}%")
    return out.strip()


def shortcut(path):
    """(target, working folder) of a Windows shortcut (.lnk) file."""
    with open(path, "rb") as file:
        data = file.read()
    flags = struct.unpack_from("<I", data, 20)[0]
    at = 76
    if flags & 0x01:  # an item id list
        at += 2 + struct.unpack_from("<H", data, at)[0]
    target = None
    if flags & 0x02:  # link info, with the local base path
        size, _, info_flags, _, base = struct.unpack_from("<IIIII", data, at)
        if info_flags & 1:
            end = data.index(b"\0", at + base)
            target = data[at + base : end].decode("latin-1")  # the ANSI code page; paths here are ASCII
        at += size
    strings = []
    for bit in (0x04, 0x08, 0x10):  # name, relative path, working folder
        if flags & bit:
            count = struct.unpack_from("<H", data, at)[0]
            width = 2 if flags & 0x80 else 1
            text = data[at + 2 : at + 2 + count * width]
            # Wine counts the terminating NUL in; Windows does not.
            strings.append(text.decode("utf-16-le" if width == 2 else "latin-1").rstrip("\0"))
            at += 2 + count * width
        else:
            strings.append(None)
    return target, strings[2]


def check_zip(path, version):
    top = f"keyfall-{version}-win64/"
    with zipfile.ZipFile(path) as archive:
        names = {n[len(top):] for n in archive.namelist() if n.startswith(top) and not n.endswith("/")}
    expected = {"keyfall.exe", *(f"Date/{n}" for n in DATA)}
    check(expected <= names, f"the zip holds keyfall.exe and Date/ under {top} "
                             f"(missing: {sorted(expected - names)})")
    licences = sorted(n for n in names if n.startswith("Licences/"))
    check(len(licences) == 3, f"the zip holds the licence texts ({licences})")
    check(names == expected | set(licences),
          f"and nothing else ({sorted(names - expected - set(licences))})")


def start_installed_game(install, work):
    log = open(os.path.join(work, "keyfall.log"), "wb")
    game = subprocess.Popen([wine_tool("wine"), "keyfall.exe"], cwd=install, stdout=log,
                            stderr=subprocess.STDOUT)
    try:
        window = x.find_window("^Keyfall$", 60)
        check(window is not None, "the installed keyfall.exe opened its window")
        time.sleep(1.0)
        left, top, width, height = x.geometry(window)
        x.screenshot(os.path.join(work, "installed-game.png"))
        # Wine's windows take the keyboard after a click into them (no window manager).
        subprocess.run(["xdotool", "mousemove", "--sync", str(left + 320),
                        str(top + height - 100), "click", "1"], check=True)
        time.sleep(0.5)
        # Exit has no mnemonic: ゲーム(G), up from the first item to the last one.
        x.keys("alt+g", "Up", "Return", pause=0.5)
        code = game.wait(timeout=30)
    except subprocess.TimeoutExpired:
        raise Failure("keyfall.exe did not end within 30 s of Exit")
    finally:
        if game.poll() is None:
            game.kill()
            game.wait()
        log.close()
    check(code == 0, f"Exit ended keyfall.exe with 0 ({code})")


def uninstall_with_scores(install, install_windows, work):
    """Runs the uninstaller's window as a player: Next, tick "Remove my scores too",
    Uninstall, Close."""
    uninstaller = subprocess.Popen([wine_tool("wine"), install_windows + r"\Uninstall.exe"])
    window = x.find_window("^Keyfall .", 60)  # "Keyfall Uninstall" in the player's language
    check(window is not None, "the uninstaller's window opened")
    time.sleep(1.0)
    left, top, _, _ = x.geometry(window)
    subprocess.run(["xdotool", "mousemove", "--sync", str(left + 300), str(top + 150),
                    "click", "1"], check=True)
    time.sleep(0.5)
    x.keys("Return", pause=1.5)  # Next: the page of the scores' check box, which has the focus
    x.keys("space", pause=0.5)
    x.screenshot(os.path.join(work, "uninstall-ticked.png"))
    x.keys("Return", pause=0.5)  # Uninstall
    deadline = time.monotonic() + 60
    while os.path.exists(install) and time.monotonic() < deadline:
        time.sleep(0.5)
    check(not os.path.exists(install), "with the removal ticked, the install folder is gone")
    time.sleep(1.0)
    x.keys("Return")  # Close
    uninstaller.wait(timeout=30)  # it has handed over to its copy in the temporary folder
    settle()


def run(args):
    check_zip(args.zip, args.version)

    code, _ = wine(os.path.abspath(args.setup), "/S", timeout=300)
    settle()
    check(code == 0, f"the installer ran silently ({code})")
    install_windows = shell_folder("LOCALAPPDATA") + r"\Programs\Keyfall"
    install = unix_path(install_windows)
    for name in ["keyfall.exe", "Uninstall.exe", *(f"Date/{n}" for n in DATA)]:
        if not os.path.isfile(os.path.join(install, name)):
            raise Failure(f"{install_windows} lacks {name}")
    check(True, f"keyfall.exe, Date\\ and the uninstaller are in {install_windows}")

    code, entry = wine("reg", "query", UNINSTALL_KEY)
    check(code == 0 and "Keyfall" in entry and "Uninstall.exe" in entry,
          "\"Apps & features\" lists Keyfall with its uninstaller (HKCU, no administrator)")
    link = os.path.join(unix_path(shell_folder("APPDATA")),
                        "Microsoft", "Windows", "Start Menu", "Programs", "Keyfall.lnk")
    check(os.path.isfile(link), "the Start menu has Keyfall")
    target, folder = shortcut(link)
    check(folder is not None and folder.lower() == install_windows.lower(),
          f"the shortcut starts in the install folder ({folder})")
    check(target is not None and target.lower() == (install_windows + r"\keyfall.exe").lower(),
          f"the shortcut starts keyfall.exe ({target})")

    start_installed_game(install, args.work)
    settle()

    ranking = os.path.join(install, "Date", "RankingDate.ini")
    with open(ranking, "wb") as file:
        file.write(RANKING)
    code, _ = wine(os.path.join(install_windows, "Uninstall.exe"), "/S")
    settle()
    check(code == 0, f"the uninstaller ran silently ({code})")
    left = sorted(os.path.relpath(os.path.join(d, n), install)
                  for d, _, names in os.walk(install) for n in names)
    check(left == [os.path.join("Date", "RankingDate.ini")],
          f"the uninstaller removed everything but the ranking file ({left})")
    with open(ranking, "rb") as file:
        check(file.read() == RANKING, "the ranking file is kept as it was")
    check(not os.path.exists(link), "the Start-menu shortcut is gone")
    code, _ = wine("reg", "query", UNINSTALL_KEY)
    check(code != 0, "\"Apps & features\" no longer lists Keyfall")

    # Installed again over the kept scores, then removed with them.
    code, _ = wine(os.path.abspath(args.setup), "/S", timeout=300)
    settle()
    check(code == 0 and os.path.isfile(os.path.join(install, "keyfall.exe")),
          "the installer installs again beside the kept ranking file")
    with open(ranking, "rb") as file:
        check(file.read() == RANKING, "the reinstall kept the ranking file")
    uninstall_with_scores(install, install_windows, args.work)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--setup", required=True)
    parser.add_argument("--zip", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    try:
        run(args)
    except Failure as failure:
        print("FAILED:", failure)
        print("screenshots and logs are in", args.work)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
