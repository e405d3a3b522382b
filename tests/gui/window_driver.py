"""Drives the real keyfall in an X display as a player would: xdotool for the keyboard,
ImageMagick for screenshots, and 24-bit bitmap files read and written for the pictures."""

import os
import struct
import subprocess
import time


def _xdotool(*args, check=True):
    return subprocess.run(["xdotool", *args], check=check, capture_output=True, text=True)


def find_window(name_pattern, timeout):
    """The id of the first window whose name matches, or None after timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        found = _xdotool("search", "--onlyvisible", "--name", name_pattern,
                         check=False).stdout.split()
        if found:
            return found[0]
        if time.monotonic() > deadline:
            return None
        time.sleep(0.2)


def window_gone(name_pattern, window, timeout):
    """True once no window matching the name is the given one, within timeout seconds."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        shown = _xdotool("search", "--onlyvisible", "--name", name_pattern, check=False)
        if window not in shown.stdout.split():
            return True
        time.sleep(0.2)
    return False


def geometry(window):
    """(x, y, width, height) of a window on the screen."""
    values = {}
    for line in _xdotool("getwindowgeometry", "--shell", window).stdout.splitlines():
        key, _, value = line.partition("=")
        values[key] = int(value)
    return values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]


def focus(window):
    # There is no window manager: the keyboard goes where we put the input focus.
    _xdotool("windowfocus", "--sync", window)


def keys(*names, pause=0.3):
    """Presses keys one after the other (xdotool names: "alt+g", "Return", "End"), giving GTK
    time to open a menu between them."""
    for name in names:
        _xdotool("key", name)
        time.sleep(pause)


def type_text(text, delay_ms=120):
    _xdotool("type", "--delay", str(delay_ms), text)


class Picture:
    """RGB pixels, row 0 at the top."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    def pixel(self, x, y):
        at = (y * self.width + x) * 3
        return tuple(self.rgb[at : at + 3])

    def crop(self, x0, y0, width, height):
        rows = [self.rgb[((y0 + y) * self.width + x0) * 3 :][: width * 3] for y in range(height)]
        return Picture(width, height, b"".join(rows))


def _read_ppm(data):
    fields, at = [], 0
    while len(fields) < 4:
        while data[at : at + 1].isspace():
            at += 1
        if data[at : at + 1] == b"#":
            at = data.index(b"\n", at)
            continue
        end = at
        while not data[end : end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError("not an 8-bit PPM picture")
    width, height = int(fields[1]), int(fields[2])
    return Picture(width, height, data[at + 1 : at + 1 + width * height * 3])


def screenshot(png_path):
    """Takes the whole screen into png_path (kept for a person to look at) and returns it."""
    subprocess.run(["import", "-window", "root", png_path], check=True, capture_output=True)
    ppm = subprocess.run(
        ["convert", png_path, "-depth", "8", "ppm:-"], check=True, capture_output=True
    ).stdout
    return _read_ppm(ppm)


class Bitmap:
    """A 24-bit bottom-up bitmap file; pixel(column, row) counts rows from the bottom and
    gives (red, green, blue), as the game addresses its images."""

    def __init__(self, path):
        with open(path, "rb") as file:
            data = file.read()
        offset = struct.unpack_from("<I", data, 10)[0]
        self.width, self.height = struct.unpack_from("<ii", data, 18)
        if struct.unpack_from("<H", data, 28)[0] != 24 or self.height <= 0:
            raise ValueError(f"{path}: not a 24-bit bottom-up bitmap")
        self.stride = (self.width * 3 + 3) & ~3
        self.bits = data[offset:]

    def pixel(self, column, row):
        at = row * self.stride + column * 3
        blue, green, red = self.bits[at : at + 3]
        return red, green, blue


def write_bitmap(path, width, height, colour_at):
    """Writes a 24-bit bottom-up bitmap; colour_at(column, row) gives (red, green, blue)."""
    stride = (width * 3 + 3) & ~3
    rows = []
    for row in range(height):
        line = bytearray(stride)
        for column in range(width):
            red, green, blue = colour_at(column, row)
            line[column * 3 : column * 3 + 3] = bytes((blue, green, red))
        rows.append(bytes(line))
    pixels = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as file:
        file.write(header + info + pixels)


def find_file_without_case(folder, name):
    for entry in os.listdir(folder):
        if entry.lower() == name.lower():
            return os.path.join(folder, entry)
    return None
