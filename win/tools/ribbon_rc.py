#!/usr/bin/env python3
"""Writes the STRINGTABLE that carries resources/ribbon.xml as string 101 of Kestrel.dll.

Usage: ribbon_rc.py RIBBON_XML OUT_RC

The XML stays one string entry: quotes doubled, backslashes and line ends escaped, everything else
(Chinese included) written as UTF-8 under code page 65001. A string resource stores its length in
16 bits, so the text must stay under 65536 UTF-16 code units; the DLL test loads it back and
compares it byte for byte with the XML file.
"""
import sys

RIBBON_STRING_ID = 101
MAX_UNITS = 65535
ESCAPES = {"\\": "\\\\", '"': '""', "\n": "\\n", "\r": "\\r", "\t": "\\t"}


def rc_literal(text: str) -> str:
    out = []
    for ch in text:
        if ch in ESCAPES:
            out.append(ESCAPES[ch])
        elif ord(ch) < 0x20 or ord(ch) == 0x7F:
            raise ValueError(f"control character U+{ord(ch):04X} has no place in the ribbon XML")
        else:
            out.append(ch)
    return '"' + "".join(out) + '"'


def main(argv: list[str]) -> int:
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    source, target = argv[1], argv[2]
    with open(source, "rb") as f:
        text = f.read().decode("utf-8")  # strict: a broken file stops the build
    if text.startswith("\ufeff"):
        raise ValueError(f"{source}: the ribbon XML must not start with a byte-order mark")
    units = len(text.encode("utf-16-le")) // 2
    if units > MAX_UNITS:
        raise ValueError(f"{source}: {units} UTF-16 code units do not fit one string resource")
    with open(target, "w", encoding="utf-8", newline="\n") as f:
        f.write(f"// Generated from {source} by ribbon_rc.py; do not edit.\n")
        f.write("#pragma code_page(65001)\n")
        f.write("STRINGTABLE\nBEGIN\n")
        f.write(f"    {RIBBON_STRING_ID} {rc_literal(text)}\n")
        f.write("END\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
