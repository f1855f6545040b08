"""States what openpyxl reads from a .xlsx file, in the facts format (see facts.py): an oracle
independent of Kestrel's reader. Usage: dump_xlsx.py FILE.xlsx OUT.facts"""
import datetime
import sys

from openpyxl import load_workbook
from openpyxl.utils import get_column_letter
from openpyxl.utils.datetime import to_excel

from facts import Facts

path, out = sys.argv[1], sys.argv[2]
facts = Facts()
formulas = load_workbook(path)                  # formulas as text
cached = load_workbook(path, data_only=True)    # the results the file stores


def plain(value):
    if isinstance(value, (datetime.datetime, datetime.date, datetime.time)):
        return to_excel(value)
    return value


def font_key(font):
    color = "-"
    if font.color is not None and font.color.type == "rgb" and isinstance(font.color.rgb, str):
        color = font.color.rgb[-6:]
    return (font.name, float(font.sz) if font.sz else 11.0, 1 if font.b else 0, color)


default_font = font_key(formulas._fonts[formulas._cell_styles[0].fontId]) if formulas._cell_styles else None

for ws in formulas.worksheets:
    facts.add("sheet", ws.title, ws.sheet_state)
facts.add("active", formulas.worksheets.index(formulas.active))

for ws in formulas.worksheets:
    S = ws.title
    values = cached[S]
    for row in ws.iter_rows():
        for cell in row:
            ref = cell.coordinate
            v = cell.value
            if v is not None:
                if cell.data_type == "f":
                    text = v if isinstance(v, str) else getattr(v, "text", str(v))
                    facts.add("formula", S, ref, text if text.startswith("=") else "=" + text)
                    result = values[ref]
                    if result.value is None and result.data_type == "str":
                        facts.value(S, ref, "")  # a text result that is empty, not a missing one
                    else:
                        facts.value(S, ref, plain(result.value))
                else:
                    facts.value(S, ref, plain(v))
            if v is None and not cell.has_style:
                continue
            facts.add("format", S, ref, cell.number_format)
            key = font_key(cell.font)
            if key != default_font:
                facts.add("font", S, ref, key[0], key[1], key[2], key[3])
            a = cell.alignment
            h = a.horizontal if a.horizontal not in (None, "general") else "general"
            vert = a.vertical if a.vertical not in (None, "bottom") else "bottom"
            if h != "general" or vert != "bottom" or a.wrap_text:
                facts.add("align", S, ref, h, vert, 1 if a.wrap_text else 0)
            b = cell.border
            flags = "".join("1" if side is not None and side.style not in (None, "none") else "0"
                            for side in (b.left, b.top, b.bottom, b.right))
            if flags != "0000":
                facts.add("border", S, ref, flags)
            if cell.comment is not None:
                facts.add("note", S, ref, cell.comment.text)
    for merged in ws.merged_cells.ranges:
        facts.add("merge", S, merged.coord)
    for key, dim in ws.column_dimensions.items():
        if dim.min is None or dim.max is None:
            continue
        for column in range(dim.min, dim.max + 1):
            if dim.hidden:
                facts.add("width", S, column, 0)
            elif dim.width and dim.customWidth:
                facts.add("width", S, column, dim.width)
    # A row at the sheet's default height is an ordinary row (the host's default height); other
    # heights were set by the user or taken from the row's content.
    default_height = ws.sheet_format.defaultRowHeight
    for number, dim in ws.row_dimensions.items():
        if dim.hidden:
            facts.add("height", S, number, 0)
        elif dim.ht is not None and float(dim.ht) != float(default_height):
            facts.add("height", S, number, dim.ht)
    m = ws.page_margins
    titles = ws.print_title_rows or ""
    if titles:
        first, last = titles.replace("$", "").split(":")
        titles = "$%s:$%s" % (first, last)
    facts.add("page", S, ws.page_setup.orientation or "portrait", m.left, m.right, m.top, m.bottom,
              m.header, m.footer, titles)

facts.write(out)
