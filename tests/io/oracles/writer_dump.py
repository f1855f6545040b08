"""What openpyxl, and the file's own XML read with zipfile, find in a .xlsx written by Kestrel.

Usage: writer_dump.py FILE.xlsx. One fact per line, fields separated by tabs, with backslash
escapes (\\\\, \\t, \\n, \\r) inside fields; SHEET is the 0-based sheet index.

    sheet    SHEET NAME STATE
    active   SHEET
    cell     SHEET A1 TYPE VALUE          (openpyxl's data_type; n: repr of a float, f: formula text)
    cached   SHEET A1 TYPE VALUE          (the same cell read with data_only=True)
    raw      SHEET A1 T HASFORMULA        (the t attribute of <c> and whether it holds <f>)
    style    SHEET A1 FORMAT FONT SIZE BOLD COLOR SCRIPT H V WRAP LEFT RIGHT TOP BOTTOM
    run      SHEET A1 INDEX TEXT FONT SIZE BOLD SCRIPT    (pieces of a rich text)
    merge    SHEET RANGE
    column   SHEET N WIDTH CUSTOM STYLED FONT BOLD H      (one line per column of each record)
    row      SHEET N HEIGHT CUSTOM STYLED FONT BOLD
    page     SHEET ORIENTATION LEFT RIGHT TOP BOTTOM HEADER FOOTER   (margins in inches)
    titles   SHEET ROWS
    note     SHEET A1 TEXT
    noterun  SHEET A1 INDEX TEXT BOLD FONT
    notebox  SHEET A1 WIDTH HEIGHT VISIBLE               (points, from the VML drawing)
    entry    PART CRC                                    (every part of the zip archive)

STYLE fields are "-" when absent. Values of fonts, borders and alignment are openpyxl's; for
the cells a merged area covers, which openpyxl replaces by placeholders, they come from the
file's style record of the cell through openpyxl's style tables.
"""
import posixpath
import re
import sys
import zipfile
import xml.etree.ElementTree as ET

import openpyxl
from openpyxl.cell.cell import MergedCell
from openpyxl.styles.numbers import BUILTIN_FORMATS
from openpyxl.utils import get_column_letter

MAIN = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"
REL = "{http://schemas.openxmlformats.org/officeDocument/2006/relationships}"
PKG_REL = "{http://schemas.openxmlformats.org/package/2006/relationships}"


def escape(field):
    return (str(field).replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")
            .replace("\r", "\\r"))


def emit(*fields):
    print("\t".join(escape(f) for f in fields))


def dash(value):
    return "-" if value is None else value


def value_fields(cell):
    kind = cell.data_type
    value = cell.value
    if value is None:
        return "none", ""
    if kind == "n":
        return "n", repr(float(value))
    if kind == "b":
        return "b", "1" if value else "0"
    return kind, value


def color_of(font):
    color = font.color
    if color is None or color.type != "rgb":
        return "-"
    return color.rgb


class FileStyle:
    """A style record of the file (an index into cellXfs) as openpyxl's style tables read it."""

    def __init__(self, book, index):
        record = book._cell_styles[index]
        self.font = book._fonts[record.fontId]
        self.border = book._borders[record.borderId]
        self.alignment = book._alignments[record.alignmentId]
        if record.numFmtId < 164:
            self.number_format = BUILTIN_FORMATS[record.numFmtId]
        else:
            self.number_format = book._number_formats[record.numFmtId - 164]


def style_fields(obj):
    font, align, border = obj.font, obj.alignment, obj.border
    return [obj.number_format, dash(font.name), repr(float(font.sz)) if font.sz else "-",
            "1" if font.b else "0", color_of(font), dash(font.vertAlign),
            dash(align.horizontal), dash(align.vertical), "1" if align.wrap_text else "0",
            dash(border.left.style), dash(border.right.style), dash(border.top.style),
            dash(border.bottom.style)]


def relationships(archive, part):
    folder, name = posixpath.split(part)
    rels_part = posixpath.join(folder, "_rels", name + ".rels")
    if rels_part not in archive.namelist():
        return {}
    found = {}
    for r in ET.fromstring(archive.read(rels_part)).iter(PKG_REL + "Relationship"):
        kind = r.get("Type").rsplit("/", 1)[-1]
        found.setdefault(kind, []).append(posixpath.normpath(posixpath.join(folder, r.get("Target"))))
    return found


def sheet_parts(archive):
    book = ET.fromstring(archive.read("xl/workbook.xml"))
    targets = {}
    for r in ET.fromstring(archive.read("xl/_rels/workbook.xml.rels")).iter(PKG_REL + "Relationship"):
        targets[r.get("Id")] = posixpath.normpath(posixpath.join("xl", r.get("Target")))
    return [targets[s.get(REL + "id")] for s in book.iter(MAIN + "sheet")]


def run_font(properties):
    if properties is None:
        return "-", "-", "0", "-"
    def val(tag):
        node = properties.find(MAIN + tag)
        return None if node is None else node.get("val", "")
    bold = properties.find(MAIN + "b") is not None
    return dash(val("rFont")), dash(val("sz")), "1" if bold else "0", dash(val("vertAlign"))


def dump_raw(archive, index, part, strings, style_indexes):
    root = ET.fromstring(archive.read(part))
    for c in root.iter(MAIN + "c"):
        a1 = c.get("r")
        style_indexes[a1] = int(c.get("s", "0"))
        emit("raw", index, a1, c.get("t", "n"), "1" if c.find(MAIN + "f") is not None else "0")
        if c.get("t") == "s":
            si = strings[int(c.find(MAIN + "v").text)]
            for k, r in enumerate(si.findall(MAIN + "r")):
                name, size, bold, script = run_font(r.find(MAIN + "rPr"))
                emit("run", index, a1, k, r.find(MAIN + "t").text or "", name, size, bold, script)


def dump_notes(archive, index, part):
    rels = relationships(archive, part)
    for comments in rels.get("comments", []):
        root = ET.fromstring(archive.read(comments))
        for comment in root.iter(MAIN + "comment"):
            for k, r in enumerate(comment.find(MAIN + "text").findall(MAIN + "r")):
                name, _, bold, _ = run_font(r.find(MAIN + "rPr"))
                emit("noterun", index, comment.get("ref"), k, r.find(MAIN + "t").text or "", bold, name)
    for vml in rels.get("vmlDrawing", []):
        text = archive.read(vml).decode("utf-8")
        for shape in re.findall(r"<v:shape .*?</v:shape>", text, re.S):
            if 'ObjectType="Note"' not in shape:
                continue
            style = re.search(r'style="([^"]*)"', shape).group(1)
            sizes = dict(item.split(":", 1) for item in style.split(";") if ":" in item)
            row = int(re.search(r"<x:Row>(\d+)</x:Row>", shape).group(1))
            column = int(re.search(r"<x:Column>(\d+)</x:Column>", shape).group(1))
            visible = "1" if "<x:Visible/>" in shape else "0"
            emit("notebox", index, get_column_letter(column + 1) + str(row + 1),
                 sizes["width"].replace("pt", ""), sizes["height"].replace("pt", ""), visible)


def main(path):
    style_indexes = []
    with zipfile.ZipFile(path) as archive:
        for info in archive.infolist():
            emit("entry", info.filename, "%08x" % info.CRC)
        strings = []
        if "xl/sharedStrings.xml" in archive.namelist():
            strings = ET.fromstring(archive.read("xl/sharedStrings.xml")).findall(MAIN + "si")
        for index, part in enumerate(sheet_parts(archive)):
            style_indexes.append({})
            dump_raw(archive, index, part, strings, style_indexes[index])
            dump_notes(archive, index, part)

    book = openpyxl.load_workbook(path)
    cached = openpyxl.load_workbook(path, data_only=True)
    for index, ws in enumerate(book.worksheets):
        emit("sheet", index, ws.title, ws.sheet_state)
    emit("active", book.index(book.active))

    for index, ws in enumerate(book.worksheets):
        values = cached.worksheets[index]
        for (row, column), cell in sorted(ws._cells.items()):
            a1 = cell.coordinate
            emit("cell", index, a1, *value_fields(cell))
            if cell.data_type == "f":
                emit("cached", index, a1, *value_fields(values.cell(row=row, column=column)))
            styled = FileStyle(book, style_indexes[index].get(a1, 0)) if isinstance(cell, MergedCell) else cell
            emit("style", index, a1, *style_fields(styled))
            if cell.comment is not None:
                emit("note", index, a1, cell.comment.text)
        for merged in ws.merged_cells.ranges:
            emit("merge", index, str(merged))
        for dim in ws.column_dimensions.values():
            styled = "1" if dim.style_id else "0"
            for n in range(dim.min or 1, (dim.max or dim.min or 1) + 1):
                emit("column", index, n, repr(float(dim.width)), "1" if dim.customWidth else "0", styled,
                     dash(dim.font.name), "1" if dim.font.b else "0", dash(dim.alignment.horizontal))
        for n, dim in sorted(ws.row_dimensions.items()):
            styled = "1" if dim.s else "0"
            emit("row", index, n, "-" if dim.ht is None else repr(float(dim.ht)),
                 "1" if dim.customHeight else "0", styled, dash(dim.font.name), "1" if dim.font.b else "0")
        m = ws.page_margins
        emit("page", index, dash(ws.page_setup.orientation), m.left, m.right, m.top, m.bottom, m.header, m.footer)
        emit("titles", index, dash(ws.print_title_rows))


if __name__ == "__main__":
    main(sys.argv[1])
