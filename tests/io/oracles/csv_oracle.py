"""Python's csv module as an independent CSV oracle.
  csv_oracle.py write OUT.csv OUT.facts   writes awkward rows (CR LF, quotes, commas, line breaks,
                                          Chinese, a BOM) and states each field as a value fact
  csv_oracle.py read IN.csv OUT.facts     states each non-empty field of a file as a value fact
                                          (type s: the field's text, whatever it reads as)
The sheet of the facts is the file's stem."""
import csv
import os
import sys

from facts import Facts
from openpyxl.utils import get_column_letter

ROWS = [
    ["桩号", "偏距", "备注"],
    ["12235.689", "-3.5", 'say "K12", then stop'],
    ["0050", "1e-7", "line one\nline two"],
    ["", "a,b", ""],
    ["  padded  ", "TRUE", "#N/A"],
    ["=A1", "12,5", "路基\r\n左侧"],
]


def number(text):
    # The strict rule the reader applies: the whole field (blanks around allowed) one number, "."
    # as the decimal point; no infinities or NaN.
    body = text.strip(" ")
    if not body or body.lower().lstrip("+-") in ("inf", "infinity", "nan") or "_" in body:
        return None
    try:
        return float(body)
    except ValueError:
        return None


def main():
    mode, path, out = sys.argv[1], sys.argv[2], sys.argv[3]
    sheet = os.path.splitext(os.path.basename(path))[0]
    facts = Facts()
    if mode == "write":
        with open(path, "w", encoding="utf-8-sig", newline="") as f:
            csv.writer(f, lineterminator="\r\n").writerows(ROWS)
        for r, row in enumerate(ROWS, start=1):
            for c, text in enumerate(row, start=1):
                ref = get_column_letter(c) + str(r)
                if text == "":
                    facts.value(sheet, ref, None)
                elif number(text) is not None:
                    facts.value(sheet, ref, number(text))
                else:
                    facts.add("value", sheet, ref, "s", text)  # "#N/A" too: CSV has no error values
    else:
        with open(path, encoding="utf-8", newline="") as f:
            for r, row in enumerate(csv.reader(f), start=1):
                for c, text in enumerate(row, start=1):
                    if text != "":
                        facts.add("value", sheet, get_column_letter(c) + str(r), "s", text)
    facts.write(out)


if __name__ == "__main__":
    main()
