"""Checks the Debian package as a distribution would before accepting it: lintian, the
AppStream and desktop validators, the manual page, one version everywhere, the shipped data
folder exactly as in the repository, and icons painted by the same drawing as Icon.ico."""

import argparse
import configparser
import gzip
import os
import re
import struct
import subprocess
import sys
import tempfile
import zlib


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)
    print("ok:", message)


def run(*command):
    done = subprocess.run(command, capture_output=True, text=True)
    return done.returncode, done.stdout + done.stderr


def png_rgba(path):
    """(width, height, RGBA bytes) of an 8-bit RGBA PNG, every row filter undone."""
    with open(path, "rb") as file:
        data = file.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise Failure(f"{path}: not a PNG file")
    at, packed, header = 8, b"", None
    while at < len(data):
        length, kind = struct.unpack_from(">I4s", data, at)
        body = data[at + 8 : at + 8 + length]
        if zlib.crc32(kind + body) != struct.unpack_from(">I", data, at + 8 + length)[0]:
            raise Failure(f"{path}: chunk {kind!r} has a wrong CRC")
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            packed += body
        at += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if (depth, colour, interlace) != (8, 6, 0):
        raise Failure(f"{path}: not an 8-bit RGBA PNG without interlace")
    raw, stride, rows, previous = zlib.decompress(packed), width * 4, [], bytearray(width * 4)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1 : (y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - 4] if i >= 4 else 0
            up, corner = previous[i], previous[i - 4] if i >= 4 else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                guess = min((abs(p - left), 0, left), (abs(p - up), 1, up), (abs(p - corner), 2, corner))
                line[i] = (line[i] + guess[2]) & 255
        rows.append(bytes(line))
        previous = line
    return width, height, b"".join(rows)


def ico_images(path):
    """{size: RGBA bytes, rows from the top} of the 32-bit images of an icon file."""
    with open(path, "rb") as file:
        data = file.read()
    images = {}
    for k in range(struct.unpack_from("<H", data, 4)[0]):
        size, offset = struct.unpack_from("<II", data, 6 + 16 * k + 8)
        width, height2, _, bits = struct.unpack_from("<iiHH", data, offset + 4)
        if bits != 32:
            continue
        pixels = data[offset + 40 : offset + 40 + width * width * 4]
        rows = [pixels[r * width * 4 : (r + 1) * width * 4] for r in range(width)][::-1]
        images[width] = b"".join(
            bytes((row[i + 2], row[i + 1], row[i], row[i + 3])) for row in rows for i in range(0, len(row), 4))
    return images


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--deb", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--version", required=True)
    args = parser.parse_args()
    try:
        checks(args)
    except Failure as failure:
        print("FAILED:", failure)
        return 1
    return 0


def checks(args):
    status, report = run("lintian", "--info", args.deb)
    print(report)
    errors = [line for line in report.splitlines() if line.startswith("E:")]
    check(status == 0 and not errors, f"lintian reports no error ({len(errors)} errors)")

    with tempfile.TemporaryDirectory() as tree:
        status, out = run("dpkg-deb", "-x", args.deb, tree)
        check(status == 0, f"the package unpacks ({out.strip()})")
        usr = os.path.join(tree, "usr")
        fields = {}
        for key in ("Package", "Version", "Section", "Depends"):
            fields[key] = run("dpkg-deb", "-f", args.deb, key)[1].strip()
        check(fields["Version"] == args.version, f"the package's version is {args.version}")
        check(fields["Section"] == "games", "the package's section is games")
        depends = {d.split()[0] for d in fields["Depends"].split(", ")}
        needed = {"fonts-ipafont-gothic", "gstreamer1.0-plugins-base", "gstreamer1.0-plugins-good",
                  "gstreamer1.0-alsa", "libgtk-3-0", "libgstreamer1.0-0", "libc6"}
        check(needed <= depends, f"it depends on {sorted(needed)} (missing: {sorted(needed - depends)})")

        with gzip.open(os.path.join(usr, "share/doc/keyfall/changelog.gz"), "rt") as file:
            newest = re.match(r"keyfall \(([^)]+)\)", file.readline())
        check(newest and newest.group(1) == args.version, "the changelog's newest entry is this version")

        metainfo = os.path.join(usr, "share/metainfo")
        files = os.listdir(metainfo)
        check(len(files) == 1, f"one AppStream file ({files})")
        status, out = run("appstreamcli", "validate", "--no-net", os.path.join(metainfo, files[0]))
        print(out)
        check(status == 0, "appstreamcli validate --no-net passes")
        with open(os.path.join(metainfo, files[0]), encoding="utf-8") as file:
            text = file.read()
        check(f'<release version="{args.version}"' in text, "the AppStream file's release is this version")
        check(re.search(r"<screenshot[^>]*>.*<image[^>]*>https?://", text, re.S) is not None,
              "the AppStream file links a screenshot")

        desktop = os.path.join(usr, "share/applications/keyfall.desktop")
        status, out = run("desktop-file-validate", desktop)
        check(status == 0 and out.strip() == "", f"desktop-file-validate passes ({out.strip()})")
        entry = configparser.ConfigParser(interpolation=None)
        entry.optionxform = str
        entry.read(desktop, encoding="utf-8")
        section = entry["Desktop Entry"]
        check((section["Exec"], section["Icon"], section["Categories"]) == ("keyfall", "keyfall", "Game;"),
              "the desktop entry starts keyfall with its icon, in the Game category")

        man = os.path.join(usr, "share/man/man6/keyfall.6.gz")
        status, out = run("man", "--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z", man)
        check(status == 0 and "warning" not in out, "the manual page formats without a warning")

        shipped = os.path.join(usr, "share/keyfall/Date")
        source = os.path.join(args.source, "Date")
        expected = sorted(
            os.path.relpath(os.path.join(d, f), source)
            for d, _, names in os.walk(source) for f in names if f.lower() != "rankingdate.ini")
        found = sorted(os.path.relpath(os.path.join(d, f), shipped)
                       for d, _, names in os.walk(shipped) for f in names)
        check(found == expected, f"the shipped Date/ holds the repository's {len(expected)} files, "
                                 "and no ranking")
        for name in found:
            with open(os.path.join(shipped, name), "rb") as a, open(os.path.join(source, name), "rb") as b:
                if a.read() != b.read():
                    raise Failure(f"shipped {name} differs from the repository's")
        modes = {oct(os.stat(os.path.join(shipped, n)).st_mode & 0o777) for n in found}
        check(modes == {"0o644"}, "the shipped data are read-only to players")

        ico = ico_images(os.path.join(source, "Icon.ico"))
        for size in (16, 32, 48, 64, 128, 256):
            width, height, rgba = png_rgba(os.path.join(usr, f"share/icons/hicolor/{size}x{size}/apps/keyfall.png"))
            check((width, height) == (size, size), f"the hicolor icon of {size} px is {size} x {size}")
            if size in ico:
                check(rgba == ico[size], f"the {size} px icon has the pixels of Icon.ico's {size} px image")
        check(sorted(ico) == [16, 32, 48], "Icon.ico's images were all compared")


if __name__ == "__main__":
    sys.exit(main())
