"""Writes a workbook with openpyxl (an Excel-style writer) and states, in the facts format, what it
wrote. Usage: make_openpyxl_fixture.py OUT.xlsx OUT.facts"""
import sys

from openpyxl import Workbook
from openpyxl.comments import Comment
from openpyxl.styles import Alignment, Border, Font, Side

from facts import Facts

xlsx_path, facts_path = sys.argv[1], sys.argv[2]
facts = Facts()
wb = Workbook()

# ---- Sheet 1: survey data with formats, fonts, a merge, a note, widths, heights, page setup.
ws = wb.active
ws.title = "数据"
S = ws.title

STATION = '"K"0+000.000'
OFFSET = "0.000_ ;[Red]-0.000 "


def put(ref, value, fmt=None, display=None, formula=None):
    ws[ref] = formula if formula else value
    if fmt:
        ws[ref].number_format = fmt
        facts.add("format", S, ref, fmt)
    if formula:
        facts.add("formula", S, ref, formula)
        facts.value(S, ref, None)  # openpyxl writes no cached result
    else:
        facts.value(S, ref, value)
    if display is not None:
        facts.add("display", S, ref, display)


put("A1", "桩号", display="桩号")
put("B1", "偏距")
put("C1", "高程")
put("D1", "备注")
put("A2", 12235.689, STATION, "K12+235.689")
put("B2", -3.5, OFFSET, "-3.500 ")
put("C2", 101.25, "0.00", "101.25")
put("D2", "0050", "@", "0050")
put("A3", 12300, STATION, "K12+300.000")
put("B3", 4.125, OFFSET, "4.125 ")
put("C3", 0.256, "0%", "26%")
put("D3", "路基 左侧", display="路基 左侧")
put("A4", 1234567.891, "#,##0.00", "1,234,567.89")
put("B4", True, display="TRUE")
put("C4", False, display="FALSE")
put("D4", "#DIV/0!", display="#DIV/0!")
put("A5", None, formula="=A3-A2")
put("B5", None, formula="=SUM(B2:B3)")
put("C5", None, formula='=IF(B4,"是","否")')
put("D5", None, formula="=LEN(D3)")
put("A6", 0.1, display="0.1")
put("B6", -7, "0", "-7")
put("C6", 3, "0.00E+00", "3.00E+00")
put("D6", "第一行\n第二行")
put("A7", "  spaced  ")
put("B7", 0.5, "0.00%", "50.00%")
put("C7", 1500.5, "#,##0", "1,501")
put("A9", "合并")

bold_red = Font(name="宋体", size=12, bold=True, color="FFFF0000")
ws["A1"].font = bold_red
facts.add("font", S, "A1", "宋体", 12, 1, "FF0000")
ws["B1"].font = Font(name="Arial", size=9, color="FF0070C0")
facts.add("font", S, "B1", "Arial", 9, 0, "0070C0")

ws["A9"].alignment = Alignment(horizontal="center", vertical="center")
facts.add("align", S, "A9", "center", "center", 0)
ws["D6"].alignment = Alignment(vertical="top", wrap_text=True)
facts.add("align", S, "D6", "general", "top", 1)
ws["C2"].alignment = Alignment(horizontal="right")
facts.add("align", S, "C2", "right", "bottom", 0)

thin = Side(style="thin")
for ref in ("A1", "B1", "C1", "D1"):
    ws[ref].border = Border(left=thin, top=thin, bottom=thin, right=thin)
    facts.add("border", S, ref, "1111")
ws["D4"].border = Border(left=Side(style="medium"))
facts.add("border", S, "D4", "1000")
ws["C4"].border = Border(bottom=Side(style="dashed"))
facts.add("border", S, "C4", "0010")

ws.merge_cells("A9:C9")
facts.add("merge", S, "A9:C9")

note = Comment("起点桩号\n第二行", "Kestrel", width=200, height=100)  # pixels
ws["A2"].comment = note
facts.add("note", S, "A2", "起点桩号\n第二行", 0, 150, 75, 0)

ws.column_dimensions["A"].width = 14.5
facts.add("width", S, 1, 14.5)
ws.column_dimensions["D"].width = 30
facts.add("width", S, 4, 30)
ws.column_dimensions["F"].hidden = True
facts.add("width", S, 6, 0)
ws.row_dimensions[1].height = 24
facts.add("height", S, 1, 24)
ws.row_dimensions[6].height = 33
facts.add("height", S, 6, 33)
ws.row_dimensions[8].hidden = True
facts.add("height", S, 8, 0)

ws.page_setup.orientation = "landscape"
ws.page_margins.left = 0.5
ws.page_margins.right = 0.4
ws.page_margins.top = 0.9
ws.page_margins.bottom = 0.8
ws.page_margins.header = 0.2
ws.page_margins.footer = 0.25
ws.print_title_rows = "1:3"
facts.add("page", S, "landscape", 0.5, 0.4, 0.9, 0.8, 0.2, 0.25, "$1:$3")

# ---- Sheets 2 to 4: visibility and the active sheet.
hidden = wb.create_sheet("隐藏")
hidden["A1"] = "secret"
hidden.sheet_state = "hidden"
facts.value("隐藏", "A1", "secret")

very = wb.create_sheet("VeryHidden")
very["A1"] = 7
very.sheet_state = "veryHidden"
facts.value("VeryHidden", "A1", 7)

last = wb.create_sheet("Active")
for ref, value, display in (("A1", "here", "here"), ("A2", 123456789012, "1.23457E+11"),
                            ("A3", 1e-7, "1E-07"), ("A4", 1e20, "1E+20"), ("A5", -0.25, "-0.25"),
                            ("B1", 2.5, "2.5")):
    last[ref] = value
    facts.value("Active", ref, value)
    facts.add("display", "Active", ref, display)
wb.active = 3
wb["数据"].sheet_view.tabSelected = False
last.sheet_view.tabSelected = True

for title, state in (("数据", "visible"), ("隐藏", "hidden"), ("VeryHidden", "veryHidden"),
                     ("Active", "visible")):
    facts.add("sheet", title, state)
facts.add("active", 3)

wb.save(xlsx_path)
facts.write(facts_path)
