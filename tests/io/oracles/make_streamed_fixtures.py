"""Writes sheets of more than one run of rows (the reader cuts a sheet's rows into runs of about
2 MB and reads them as the part is inflated), each in a form that tests what the rows are read
with or forces the part to be read whole, and states what each holds in the facts format.
Usage: make_streamed_fixtures.py DIR ROWS   (writes DIR/NAME.xlsx and DIR/NAME.facts for each form)

Forms:
  prefixed        every element with the prefix x:, column C formatted before the rows
  comment-after   a comment after the rows (the part is read whole)
  cols-after      the column formats after the rows (they still reach every row's cells)
  instruction     a processing instruction among the last rows (the part is read whole)
  bad-utf8        a byte that is not UTF-8 in a text of the last rows (read as U+FFFD)
  height          the sheet's default row height before the rows: rows at it keep no height
  end-across-pieces  the rows' end tag across a boundary of 64 KiB of the part
  shared-strings  column B's texts in shared strings of several runs, most entries plain text in
                  its simplest forms (read without a tree), some written with a character
                  reference, an escape or as a rich text, which send their run to the parser"""
import os
import sys
import zipfile

from facts import Facts

from one_sheet_package import MAIN, write_package
S = "数据"

folder, rows = sys.argv[1], int(sys.argv[2])
styles = ('<styleSheet xmlns="%s"><numFmts count="1"><numFmt numFmtId="164" formatCode="0.000"/></numFmts>'
          '<fonts count="1"><font><sz val="11"/><name val="Calibri"/></font></fonts>'
          '<fills count="1"><fill><patternFill patternType="none"/></fill></fills>'
          '<borders count="1"><border/></borders>'
          '<cellXfs count="2"><xf numFmtId="0" fontId="0" borderId="0"/><xf numFmtId="164" fontId="0" borderId="0" '
          'applyNumberFormat="1"/></cellXfs></styleSheet>') % MAIN


def level(r):
    return 100 + (r * 37 % 1000) / 100.0


def text(r):
    return "第%d行" % r


PADDING = 60000  # shared strings no cell shows, before those of the rows


def shared_strings(rows):
    """The part: PADDING plain entries, then the text of each row in turn, in a form that depends on
    the row: plain, with xml:space="preserve", after a line break, and in a few late rows with a
    character reference, a _xHHHH_ escape or as a rich text of two runs (each the same text)."""
    entries = ['<si><t>pad %d</t></si>' % k for k in range(PADDING)]
    for r in range(1, rows + 1):
        t = text(r)
        if r == rows - 2:
            entry = '<si><t>%s&#34892;</t></si>' % t[:-1]
        elif r == rows - 1:
            entry = '<si><t>_x7B2C_%s</t></si>' % t[1:]
        elif r == rows:
            entry = '<si><r><t>%s</t></r><r><rPr><b/></rPr><t>%s</t></r></si>' % (t[:1], t[1:])
        elif r % 3 == 1:
            entry = '<si><t xml:space="preserve">%s</t></si>' % t
        elif r % 3 == 2:
            entry = '\n<si><t>%s</t></si>' % t
        else:
            entry = '<si><t>%s</t></si>' % t
        entries.append(entry)
    return '<sst xmlns="%s" count="%d">%s</sst>' % (MAIN, PADDING + rows, "".join(entries))


def write(name, form):
    p = "x:" if form == "prefixed" else ""
    root = '<%sworksheet xmlns%s="%s">' % (p, ":x" if p else "", MAIN)
    cols = '<%scols><%scol min="3" max="3" width="12" customWidth="1" style="1"/></%scols>' % (p, p, p)
    head = root
    if form == "height":
        head += '<sheetFormatPr defaultRowHeight="20"/>'
    if form != "cols-after":
        head += cols
    head += "<%ssheetData>" % p
    tail = "</%ssheetData>" % p
    if form == "cols-after":
        tail += cols
    if form == "comment-after":
        tail += "<!-- kept by another tool -->"
    tail += '<%spageMargins left="0.5" right="0.5" top="1" bottom="1" header="0.3" footer="0.3"/></%sworksheet>' % (p, p)
    odd = rows - 3  # the row of the odd text or instruction, in the last run
    body = []
    for r in range(1, rows + 1):
        height = ' ht="20"' if form == "height" else (' ht="30" customHeight="1"' if r % 1000 == 0 else "")
        cells = ('<%sc r="A%d"><%sv>%d</%sv></%sc><%sc r="B%d" t="inlineStr"><%sis><%st>%s</%st></%sis></%sc>'
                 '<%sc r="C%d"><%sv>%r</%sv></%sc>') % (p, r, p, r, p, p, p, r, p, p, "@TEXT@", p, p, p, p, r, p,
                                                         level(r), p, p)
        if form == "shared-strings":
            cells = cells.replace('t="inlineStr"><is><t>@TEXT@</t></is></c>', 't="s"><v>%d</v></c>' % (PADDING + r - 1))
        row = ('<%srow r="%d"%s>%s</%srow>' % (p, r, height, cells, p)).encode("utf-8")
        row = row.replace(b"@TEXT@", text(r).encode("utf-8") + (b"\xff" if form == "bad-utf8" and r == odd else b""))
        if form == "instruction" and r == odd:
            row += b"<?other-tool note?>"
        body.append(row)
    if form == "end-across-pieces":
        # Texts in the last row put the rows' end tag across a boundary of 64 KiB of the part,
        # where the part's pieces are read.
        before = len(head.encode("utf-8")) + sum(len(row) for row in body)
        cell = '<c r="%s' + str(rows) + '" t="inlineStr"><is><t>%s</t></is></c>'
        pad = (65536 - 4 - before - sum(len(cell % (column, "")) for column in "DEF")) % 65536
        extra = "".join(cell % (column, "x" * length)
                        for column, length in zip("DEF", (pad // 3, pad // 3, pad - 2 * (pad // 3))))
        body[-1] = body[-1].replace(b"</row>", extra.encode() + b"</row>")
        assert (before + len(extra)) % 65536 == 65532, (before + len(extra)) % 65536
    part = head.encode("utf-8") + b"".join(body) + tail.encode("utf-8")
    with zipfile.ZipFile(os.path.join(folder, name + ".xlsx"), "w", zipfile.ZIP_DEFLATED) as z:
        write_package(z, S, styles, shared_strings(rows) if form == "shared-strings" else None)
        z.writestr("xl/worksheets/sheet1.xml", part)

    facts = Facts()
    for r in sorted({1, 2, 999, 1000, rows // 2, odd, rows - 2, rows - 1, rows}):
        facts.value(S, "A%d" % r, r)
        facts.value(S, "B%d" % r, text(r) + ("\ufffd" if form == "bad-utf8" and r == odd else ""))
        facts.value(S, "C%d" % r, level(r))
        # A cell without a style of its own shows the first format, not its column's.
        facts.add("format", S, "C%d" % r, "General")
        # Rows at the sheet's default height take the standard one (15 points).
        facts.add("height", S, r, 30 if r % 1000 == 0 and form != "height" else 15)
    facts.add("format", S, "C%d" % (rows + 5), "0.000")
    facts.add("width", S, 3, 12)
    facts.write(os.path.join(folder, name + ".facts"))


for form in ("prefixed", "comment-after", "cols-after", "instruction", "bad-utf8", "height", "end-across-pieces",
             "shared-strings"):
    write(form, form)
