"""The line format in which fixture scripts state what they wrote and dump_xlsx.py states what
openpyxl reads: one fact per line, fields separated by tabs, backslash escapes inside fields.

    sheet   NAME STATE              (visible, hidden, veryHidden; in tab order)
    active  INDEX                   (0-based)
    value   SHEET A1 TYPE VALUE     (TYPE n: repr of a float, s: text, b: 1/0, e: error text, empty)
    formula SHEET A1 =TEXT
    format  SHEET A1 CODE
    display SHEET A1 TEXT           (what the cell shows)
    font    SHEET A1 NAME SIZE BOLD COLOR   (COLOR RRGGBB, or - when not an RGB colour)
    align   SHEET A1 H V WRAP       (H general/left/center/right/fill; V top/center/bottom)
    border  SHEET A1 LTBR           (four 0/1 flags: left top bottom right)
    merge   SHEET A1:C3
    note    SHEET A1 TEXT [VISIBLE WIDTH HEIGHT BOLDLENGTH]
    super   SHEET A1 START LENGTH   (characters counted from 1)
    width   SHEET COLUMN WIDTH      (1-based column number)
    height  SHEET ROW HEIGHT
    page    SHEET ORIENTATION LEFT RIGHT TOP BOTTOM HEADER FOOTER TITLES   (margins in inches)
"""
import sys


def escape(field):
    return (str(field).replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")
            .replace("\r", "\\r"))


class Facts:
    def __init__(self):
        self.lines = []

    def add(self, kind, *fields):
        self.lines.append("\t".join([kind] + [escape(f) for f in fields]))

    def value(self, sheet, ref, v):
        if v is None:
            self.add("value", sheet, ref, "empty", "")
        elif isinstance(v, bool):
            self.add("value", sheet, ref, "b", 1 if v else 0)
        elif isinstance(v, (int, float)):
            self.add("value", sheet, ref, "n", repr(float(v)))
        elif isinstance(v, str) and v in ERRORS:
            self.add("value", sheet, ref, "e", v)
        else:
            self.add("value", sheet, ref, "s", v)

    def write(self, path):
        with open(path, "w", encoding="utf-8", newline="\n") as f:
            for line in self.lines:
                f.write(line + "\n")


ERRORS = ("#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A")


def fail(message):
    print(message, file=sys.stderr)
    sys.exit(1)
