"""Counts and a few cells of one worksheet of a large .xlsx, read as a stream with zipfile.

Usage: writer_cells.py FILE.xlsx SHEET A1 [A1 ...]   (SHEET: 0-based index in tab order)

Prints, tab-separated: "rows N", "cells N", "formulas N", "merges N", then one line per asked
cell: "cell A1 T FORMULA VALUE" (T: the t attribute, n when absent; the value of a shared
string is the string itself). openpyxl would take minutes over a sheet of a million cells.
"""
import posixpath
import sys
import zipfile
import xml.etree.ElementTree as ET

MAIN = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"
REL = "{http://schemas.openxmlformats.org/officeDocument/2006/relationships}"
PKG_REL = "{http://schemas.openxmlformats.org/package/2006/relationships}"


def sheet_part(archive, index):
    book = ET.fromstring(archive.read("xl/workbook.xml"))
    targets = {r.get("Id"): r.get("Target")
               for r in ET.fromstring(archive.read("xl/_rels/workbook.xml.rels")).iter(PKG_REL + "Relationship")}
    sheet = list(book.iter(MAIN + "sheet"))[index]
    return posixpath.normpath(posixpath.join("xl", targets[sheet.get(REL + "id")]))


def shared_strings(archive):
    if "xl/sharedStrings.xml" not in archive.namelist():
        return []
    strings = []
    for _, si in ET.iterparse(archive.open("xl/sharedStrings.xml")):
        if si.tag == MAIN + "si":
            strings.append("".join(t.text or "" for t in si.iter(MAIN + "t")))
            si.clear()
    return strings


def main(path, index, wanted):
    counts = {"rows": 0, "cells": 0, "formulas": 0, "merges": 0}
    found = {}
    with zipfile.ZipFile(path) as archive:
        strings = shared_strings(archive)
        for _, element in ET.iterparse(archive.open(sheet_part(archive, index))):
            tag = element.tag
            if tag == MAIN + "c":
                counts["cells"] += 1
                f = element.find(MAIN + "f")
                counts["formulas"] += f is not None
                a1 = element.get("r")
                if a1 in wanted:
                    kind = element.get("t", "n")
                    v = element.find(MAIN + "v")
                    value = "" if v is None or v.text is None else v.text
                    if kind == "s":
                        value = strings[int(value)]
                    found[a1] = (kind, "" if f is None else "=" + (f.text or ""), value)
            elif tag == MAIN + "row":
                counts["rows"] += 1
                element.clear()
            elif tag == MAIN + "mergeCell":
                counts["merges"] += 1
    for name, count in counts.items():
        print("%s\t%d" % (name, count))
    for a1 in wanted:
        if a1 in found:
            print("\t".join(("cell", a1) + found[a1]))


if __name__ == "__main__":
    main(sys.argv[1], int(sys.argv[2]), sys.argv[3:])
