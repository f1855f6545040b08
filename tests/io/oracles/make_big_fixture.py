"""Writes a large survey sheet the way Excel-style writers do (shared strings, styles on most cells,
a shared formula down a column with cached results), streamed part by part, and states a sample
of its cells in the facts format. With DAMAGED.xlsx, also writes a copy whose sheet has a stray "<"
three quarters down, and that stray character's offset in the sheet part to DAMAGED.xlsx.offset.
Usage: make_big_fixture.py OUT.xlsx ROWS OUT.facts [DAMAGED.xlsx]"""
import sys
import zipfile

from facts import Facts

from one_sheet_package import MAIN, write_package
STRINGS = 500

path, rows, facts_path = sys.argv[1], int(sys.argv[2]), sys.argv[3]
damaged_path = sys.argv[4] if len(sys.argv) > 4 else None
S = "测量"


def station(r):
    return 10000 + r * 0.25


def offset(r):
    return (r % 41 - 20) * 0.5


def level(r):
    return 100 + (r * 37 % 1000) / 100.0


styles = (
    '<styleSheet xmlns="%s"><numFmts count="2"><numFmt numFmtId="164" formatCode="&quot;K&quot;0+000.000"/>'
    '<numFmt numFmtId="165" formatCode="0.000_ ;[Red]-0.000 "/></numFmts>'
    '<fonts count="2"><font><sz val="11"/><name val="Calibri"/></font><font><b/><sz val="11"/><name val="宋体"/></font></fonts>'
    '<fills count="1"><fill><patternFill patternType="none"/></fill></fills>'
    '<borders count="2"><border/><border><bottom style="thin"/></border></borders>'
    '<cellXfs count="4"><xf numFmtId="0" fontId="0" borderId="0"/><xf numFmtId="164" fontId="0" borderId="0"/>'
    '<xf numFmtId="165" fontId="0" borderId="1"/><xf numFmtId="49" fontId="1" borderId="0"/></cellXfs>'
    '</styleSheet>') % MAIN

def write_book(path, damaged_row=None):
    """The workbook; with damaged_row, a stray "<" in that row: its offset in the sheet part."""
    stray = None
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        write_package(z, S, styles, ('<sst xmlns="%s">%s</sst>' % (
            MAIN, "".join("<si><t>点%d</t></si>" % i for i in range(STRINGS)))).encode("utf-8"))
        with z.open("xl/worksheets/sheet1.xml", "w", force_zip64=True) as f:
            written = f.write(('<worksheet xmlns="%s"><sheetData>' % MAIN).encode())
            chunk = []
            for r in range(1, rows + 1):
                cells = ['<c r="A%d" s="1"><v>%r</v></c>' % (r, station(r)),
                         '<c r="B%d" s="2"><v>%r</v></c>' % (r, offset(r)),
                         '<c r="C%d"><v>%r</v></c>' % (r, level(r)),
                         '<c r="D%d" s="3" t="s"><v>%d</v></c>' % (r, r % STRINGS)]
                if r == 2:
                    cells.append('<c r="E2"><f t="shared" ref="E2:E%d" si="0">C2-C1</f><v>%r</v></c>'
                                 % (rows, level(2) - level(1)))
                elif r > 2:
                    cells.append('<c r="E%d"><f t="shared" si="0"/><v>%r</v></c>' % (r, level(r) - level(r - 1)))
                if r % 10 == 0:
                    cells.append('<c r="F%d" t="inlineStr"><is><t>备注%d</t></is></c>' % (r, r))
                chunk.append('<row r="%d">%s</row>' % (r, "".join(cells)))
                if r == damaged_row:
                    stray = written + len("".join(chunk[:-1]).encode("utf-8")) + len(('<row r="%d">' % r).encode())
                    chunk[-1] = chunk[-1].replace(">", "><", 1)
                if len(chunk) == 5000:
                    written += f.write("".join(chunk).encode("utf-8"))
                    chunk = []
            f.write("".join(chunk).encode("utf-8"))
            f.write(b"</sheetData></worksheet>")
    return stray


write_book(path)
if damaged_path:
    with open(damaged_path + ".offset", "w") as out:
        out.write("%d\n" % write_book(damaged_path, rows * 3 // 4))

facts = Facts()
for r in sorted({1, 2, 3, 10, 9973, rows // 2, rows - 1, rows}):
    if r < 1:
        continue
    facts.value(S, "A%d" % r, station(r))
    facts.add("format", S, "A%d" % r, '"K"0+000.000')
    facts.value(S, "B%d" % r, offset(r))
    facts.add("format", S, "B%d" % r, "0.000_ ;[Red]-0.000 ")
    facts.add("border", S, "B%d" % r, "0010")
    facts.value(S, "C%d" % r, level(r))
    facts.add("format", S, "C%d" % r, "General")
    facts.value(S, "D%d" % r, "点%d" % (r % STRINGS))
    facts.add("format", S, "D%d" % r, "@")
    facts.add("font", S, "D%d" % r, "宋体", 11, 1, "-")
    if r >= 2:
        facts.add("formula", S, "E%d" % r, "=C%d-C%d" % (r, r - 1))
        facts.value(S, "E%d" % r, level(r) - level(r - 1))
    if r % 10 == 0:
        facts.value(S, "F%d" % r, "备注%d" % r)
facts.write(facts_path)
