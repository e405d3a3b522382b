#!/usr/bin/env python3
"""The characters the page's font subset must hold: printable ASCII, the program's own texts
(the string literals of a header such as base/texts.h, in code page 932) and every character
of the given word lists (code page 932, or UTF-8 with or without a mark, as the game reads them).

Usage: font_text.py OUTPUT TEXTS_HEADER WORDS...   (OUTPUT is UTF-8 text for pyftsubset)
"""

import re
import sys

LITERAL = re.compile(r'"((?:[^"\\]|\\.)*)"')
# A definition's value: one or more adjacent literals; each ends its own escapes, as in C.
DEFINITION = re.compile(r'=\s*((?:"(?:[^"\\]|\\.)*"\s*)+);')
ESCAPES = {"n": "\n", "t": "\t", "\\": "\\", '"': '"', "'": "'", "?": "?"}


def unescape(text):
    out = bytearray()
    i = 0
    while i < len(text):
        if text[i] != "\\":
            out += text[i].encode("ascii")
            i += 1
        elif text[i + 1] == "x":
            digits = re.match(r"[0-9A-Fa-f]+", text[i + 2:]).group(0)
            out.append(int(digits, 16))
            i += 2 + len(digits)
        else:
            out += ESCAPES[text[i + 1]].encode("ascii")
            i += 2
    return bytes(out)


def header_characters(path):
    with open(path, encoding="utf-8") as header:
        source = re.sub(r"//[^\n]*", "", header.read())
    found = set()
    for value in DEFINITION.findall(source):
        found |= set(b"".join(unescape(part) for part in LITERAL.findall(value)).decode("cp932"))
    return found


def words_characters(path):
    with open(path, "rb") as words:
        data = words.read()
    try:
        text = data.decode("utf-8-sig")
    except UnicodeDecodeError:
        text = data.decode("cp932", errors="replace")
    return set(text) - {"\ufffd"}


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    characters = {chr(c) for c in range(0x20, 0x7F)}
    characters |= header_characters(argv[2])
    for words in argv[3:]:
        characters |= words_characters(words)
    characters = {c for c in characters if c.isprintable() or c == " "}
    with open(argv[1], "w", encoding="utf-8") as out:
        out.write("".join(sorted(characters)) + "\n")


if __name__ == "__main__":
    main(sys.argv)
