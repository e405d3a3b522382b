"""Reads the resources of the built keyfall.exe back with wrestool (Debian icoutils): the
icon is Date/Icon.ico image for image, the version resource carries the CMake project's
version and a description, and the manifest asks for per-monitor DPI awareness, Common
Controls 6 and names the supported Windows versions.

usage: resources.py KEYFALL_EXE ICON_ICO VERSION
"""

import struct
import subprocess
import sys
import xml.etree.ElementTree as ET


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)
    print("ok:", message)


def resource(exe, kind, name=None):
    args = ["wrestool", "-x", "--raw", f"--type={kind}"]
    if name is not None:
        args.append(f"--name={name}")
    return subprocess.run(args + [exe], check=True, capture_output=True).stdout


def icon_images(ico):
    """(width, height, bytes) of each image of an .ico file."""
    count = struct.unpack_from("<HHH", ico, 0)[2]
    images = []
    for i in range(count):
        width, height, _, _, _, _, size, offset = struct.unpack_from("<BBBBHHII", ico, 6 + 16 * i)
        images.append((width or 256, height or 256, ico[offset : offset + size]))
    return images


def check_icon(exe, icon_path):
    with open(icon_path, "rb") as file:
        expected = icon_images(file.read())
    group = resource(exe, 14)
    count = struct.unpack_from("<HHH", group, 0)[2]
    found = []
    for i in range(count):
        width, height, _, _, _, _, size, ident = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
        found.append((width or 256, height or 256, resource(exe, 3, ident)))
    check([(w, h) for w, h, _ in found] == [(w, h) for w, h, _ in expected],
          f"the icon group holds the sizes of Icon.ico: {[(w, h) for w, h, _ in found]}")
    check(all(a[2] == b[2] for a, b in zip(found, expected)),
          "every icon image is Icon.ico's, byte for byte")


def utf16_strings(block):
    """The String entries of a StringFileInfo table as a dict (keys and values UTF-16)."""
    values = {}
    at = 0
    while at + 6 <= len(block):
        length, value_length, _ = struct.unpack_from("<HHH", block, at)
        if length == 0:
            break
        end = block.index(b"\0\0", at + 6)
        while (end - at) % 2:
            end = block.index(b"\0\0", end + 1)
        key = block[at + 6 : end].decode("utf-16-le")
        start = (end + 2 + 3) & ~3
        value = block[start : start + 2 * value_length].decode("utf-16-le").rstrip("\0")
        values[key] = value
        at = (at + length + 3) & ~3
    return values


def check_version(exe, version):
    data = resource(exe, 16)
    signature = struct.unpack_from("<I", data, 40)[0]
    check(signature == 0xFEEF04BD, "the version resource has its fixed file information")
    ms, ls = struct.unpack_from("<II", data, 48)
    numbers = (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    expected = tuple(int(n) for n in version.split(".")) + (0,) * (4 - len(version.split(".")))
    check(numbers == expected, f"the file version is {'.'.join(map(str, numbers))}")
    # The strings of the first table of StringFileInfo (its header, then the table's own).
    text = data.decode("utf-16-le", errors="replace")
    string_info = data.find("StringFileInfo".encode("utf-16-le"))
    check(string_info > 0, "the version resource has a StringFileInfo")
    table = (string_info + len("StringFileInfo\0".encode("utf-16-le")) + 3) & ~3
    length = struct.unpack_from("<H", data, table)[0]
    first = (table + 6 + len("040904B0\0".encode("utf-16-le")) + 3) & ~3
    strings = utf16_strings(data[first : table + length])
    print("version strings:", strings)
    check(strings.get("ProductName") == "Keyfall", "the product name is Keyfall")
    check(strings.get("FileVersion") == version and strings.get("ProductVersion") == version,
          f"the file and product versions read {version}")
    check(len(strings.get("FileDescription", "")) > len("Keyfall: "), "there is a description")
    check("Translation" in text, "the version resource names its language")


def check_manifest(exe):
    data = resource(exe, 24, 1)
    root = ET.fromstring(data)

    def all_named(local):
        return [e for e in root.iter() if e.tag.rsplit("}", 1)[-1] == local]

    awareness = [e.text.replace(" ", "") for e in all_named("dpiAwareness")]
    check(awareness and awareness[0].split(",")[0] == "PerMonitorV2",
          f"the manifest declares per-monitor DPI awareness v2 ({awareness})")
    check([e.text for e in all_named("dpiAware")] == ["true/pm"],
          "older Windows read per-monitor awareness from dpiAware")
    controls = [e.attrib for e in all_named("assemblyIdentity")
                if e.attrib.get("name") == "Microsoft.Windows.Common-Controls"]
    check(controls and controls[0].get("version") == "6.0.0.0",
          "the manifest depends on Common Controls 6")
    systems = {e.attrib.get("Id") for e in all_named("supportedOS")}
    windows10 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"
    windows7 = "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"
    check(windows10 in systems and windows7 in systems and len(systems) >= 4,
          f"the manifest names the supported Windows versions ({len(systems)})")


def main():
    exe, icon, version = sys.argv[1:4]
    try:
        check_icon(exe, icon)
        check_version(exe, version)
        check_manifest(exe)
    except (Failure, subprocess.CalledProcessError, ET.ParseError, ValueError) as failure:
        print("FAILED:", failure)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
