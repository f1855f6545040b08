"""Writes .xlsx packages part by part with zipfile, for what openpyxl cannot write: shared and
array formulas with cached results, rich shared strings with superscripts, notes with bold runs
and a shown VML shape, prefixed element names, parts under unusual names, a chart sheet among
the worksheets, row and column formats. States what each holds in the facts format.
Usage: make_raw_fixtures.py OUTDIR   (writes raw.xlsx and raw.facts)"""
import colorsys
import os
import sys
import zipfile

from facts import Facts

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG = "http://schemas.openxmlformats.org/package/2006/relationships"
HEAD = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'


def rels(items):
    body = "".join('<Relationship Id="%s" Type="%s/%s" Target="%s"/>' % item for item in items)
    return HEAD + '<Relationships xmlns="%s">%s</Relationships>' % (PKG, body)


def write_package(path, parts, compression=zipfile.ZIP_DEFLATED):
    with zipfile.ZipFile(path, "w", compression) as z:
        for name, text in parts.items():
            z.writestr(name, text.encode("utf-8") if isinstance(text, str) else text)


SML = "application/vnd.openxmlformats-officedocument.spreadsheetml."
CONTENT_TYPES = HEAD + (
    '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
    '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
    '<Default Extension="xml" ContentType="application/xml"/>'
    '<Default Extension="vml" ContentType="application/vnd.openxmlformats-officedocument.vmlDrawing"/>'
    + "".join('<Override PartName="%s" ContentType="%s"/>' % (name, kind) for name, kind in (
        ("/xl/book.xml", SML + "sheet.main+xml"),
        ("/xl/sheets/two.xml", SML + "worksheet+xml"),
        ("/xl/sheets/one.xml", SML + "worksheet+xml"),
        ("/xl/charts/c.xml", SML + "chartsheet+xml"),
        ("/xl/looks.xml", SML + "styles+xml"),
        ("/xl/texts/strings.xml", SML + "sharedStrings+xml"),
        ("/xl/notes/n1.xml", SML + "comments+xml"),
        ("/xl/theme/t.xml", "application/vnd.openxmlformats-officedocument.theme+xml"))) +
    '</Types>')

THEME = HEAD + (
    '<a:theme xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" name="T"><a:themeElements>'
    '<a:clrScheme name="T">'
    '<a:dk1><a:sysClr val="windowText" lastClr="000000"/></a:dk1>'
    '<a:lt1><a:sysClr val="window" lastClr="FFFFFF"/></a:lt1>'
    '<a:dk2><a:srgbClr val="1F497D"/></a:dk2><a:lt2><a:srgbClr val="EEECE1"/></a:lt2>'
    '<a:accent1><a:srgbClr val="123456"/></a:accent1><a:accent2><a:srgbClr val="C0504D"/></a:accent2>'
    '<a:accent3><a:srgbClr val="9BBB59"/></a:accent3><a:accent4><a:srgbClr val="8064A2"/></a:accent4>'
    '<a:accent5><a:srgbClr val="4BACC6"/></a:accent5><a:accent6><a:srgbClr val="F79646"/></a:accent6>'
    '<a:hlink><a:srgbClr val="0000FF"/></a:hlink><a:folHlink><a:srgbClr val="800080"/></a:folHlink>'
    '</a:clrScheme></a:themeElements></a:theme>')

# cellXfs: 0 default; 1 "K" station; 2 built-in 2 (0.00) with a theme-coloured bold font; 3 text
# format with an indexed-colour font, centred and wrapped; 4 borders left and bottom; 5 the
# offset format.
STYLES = HEAD + (
    '<styleSheet xmlns="%s">'
    '<numFmts count="2"><numFmt numFmtId="170" formatCode="&quot;K&quot;0+000.000"/>'
    '<numFmt numFmtId="171" formatCode="0.000_ ;[Red]-0.000 "/></numFmts>'
    '<fonts count="5"><font><sz val="11"/><color theme="1"/><name val="Calibri"/></font>'
    '<font><b/><sz val="14"/><color theme="4"/><name val="黑体"/></font>'
    '<font><sz val="10"/><color indexed="10"/><name val="Arial"/></font>'
    '<font><sz val="11"/><color theme="3"/><name val="Calibri"/></font>'
    '<font><sz val="11"/><color theme="4" tint="-0.499984740745262"/><name val="Calibri"/></font></fonts>'
    '<fills count="1"><fill><patternFill patternType="none"/></fill></fills>'
    '<borders count="2"><border><left/><right/><top/><bottom/><diagonal/></border>'
    '<border><left style="thin"><color auto="1"/></left><right/><top/>'
    '<bottom style="double"/><diagonal/></border></borders>'
    '<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>'
    '<cellXfs count="8">'
    '<xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>'
    '<xf numFmtId="170" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>'
    '<xf numFmtId="2" fontId="1" fillId="0" borderId="0" xfId="0" applyNumberFormat="1" applyFont="1"/>'
    '<xf numFmtId="49" fontId="2" fillId="0" borderId="0" xfId="0" applyAlignment="1">'
    '<alignment horizontal="center" vertical="top" wrapText="1"/></xf>'
    '<xf numFmtId="0" fontId="0" fillId="0" borderId="1" xfId="0" applyBorder="1"/>'
    '<xf numFmtId="171" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>'
    '<xf numFmtId="0" fontId="3" fillId="0" borderId="0" xfId="0" applyFont="1"/>'
    '<xf numFmtId="0" fontId="4" fillId="0" borderId="0" xfId="0" applyFont="1"/>'
    '</cellXfs></styleSheet>') % MAIN


def tinted(rgb, tint):
    """A theme colour darkened or lightened in HLS lightness, as the file format defines tint."""
    r, g, b = (int(rgb[i:i + 2], 16) / 255.0 for i in (0, 2, 4))
    h, l, s = colorsys.rgb_to_hls(r, g, b)
    l = l * (1 + tint) if tint < 0 else l * (1 - tint) + tint
    return "%02X%02X%02X" % tuple(int(round(v * 255)) for v in colorsys.hls_to_rgb(h, l, s))

STRINGS = [
    "<si><t>路基</t></si>",
    "<si><r><t>m</t></r><r><rPr><vertAlign val=\"superscript\"/><sz val=\"11\"/></rPr><t>2</t></r></si>",
    "<si><t xml:space=\"preserve\">  lead and trail  </t></si>",
    "<si><t>a_x005F_x0041_b_x000D_c</t></si>",
    "<si><r><t>K</t></r><r><rPr><b/></rPr><t>12</t></r><r><t xml:space=\"preserve\">+300 </t></r>"
    "<rPh sb=\"0\" eb=\"1\"><t>ケイ</t></rPh></si>",
    "<si><t>面积m</t></si>",
    "<si><r><t>x</t></r><r><rPr><vertAlign val=\"superscript\"/></rPr><t>10</t></r><r><t>+y</t></r>"
    "<r><rPr><vertAlign val=\"superscript\"/></rPr><t>3</t></r></si>",
]
SHARED_STRINGS = HEAD + '<sst xmlns="%s" count="%d" uniqueCount="%d">%s</sst>' % (
    MAIN, len(STRINGS), len(STRINGS), "".join(STRINGS))


def raw_fixture(outdir):
    facts = Facts()
    F = "公式"   # first worksheet
    G = "第 2 表"  # second worksheet, written with prefixed element names

    rows = []
    # Column A: 1..5; B: a shared formula down the column; C..E: one across the row.
    for r in range(1, 6):
        cells = ['<c r="A%d"><v>%d</v></c>' % (r, r)]
        cached = r * 2 + 1
        if r == 1:
            cells.append('<c r="B1"><f t="shared" ref="B1:B5" si="0">A1*2+$A$1</f><v>3</v></c>')
        else:
            cells.append('<c r="B%d"><f t="shared" si="0"/><v>%d</v></c>' % (r, cached))
        facts.value(F, "A%d" % r, r)
        facts.add("formula", F, "B%d" % r, "=A%d*2+$A$1" % r)
        facts.value(F, "B%d" % r, cached)
        if r == 1:
            cells.append('<c r="C1"><f t="shared" ref="C1:E1" si="1">SUM($A1:A1)</f><v>1</v></c>')
            cells.append('<c r="D1"><f t="shared" si="1"/><v>4</v></c>')
            cells.append('<c r="E1"><f t="shared" si="1"/><v>8</v></c>')
            facts.add("formula", F, "C1", "=SUM($A1:A1)")
            facts.add("formula", F, "D1", "=SUM($A1:B1)")
            facts.add("formula", F, "E1", "=SUM($A1:C1)")
            for ref, v in (("C1", 1), ("D1", 4), ("E1", 8)):
                facts.value(F, ref, v)
            # An array formula: its text in the first cell, results in both.
            cells.append('<c r="G1"><f t="array" ref="G1:G2">A1:A2*10</f><v>10</v></c>')
            facts.add("formula", F, "G1", "=A1:A2*10")
            facts.value(F, "G1", 10)
        if r == 2:
            cells.append("<c r=\"F2\"><f t=\"shared\" ref=\"F2:F3\" si=\"2\">'第 2 表'!A1+A2</f><v>9</v></c>")
            cells.append('<c r="G2"><v>20</v></c>')
            facts.add("formula", F, "F2", "='第 2 表'!A1+A2")
            facts.value(F, "F2", 9)
            facts.value(F, "G2", 20)
        if r == 3:
            cells.append('<c r="F3"><f t="shared" si="2"/><v>11</v></c>')
            facts.add("formula", F, "F3", "='第 2 表'!A2+A3")
            facts.value(F, "F3", 11)
        height = {2: ' ht="30" customHeight="1"', 3: ' ht="15.75"', 4: ' ht="15"'}.get(r, "")
        rows.append('<row r="%d"%s>%s</row>' % (r, height, "".join(cells)))
    facts.add("height", F, 2, 30)
    facts.add("height", F, 3, 15.75)
    facts.add("height", F, 4, 15)

    # Row 6: cached results of every type, and formulas with none.
    rows.append(
        '<row r="6">'
        '<c r="A6" t="str"><f>IF(A1=1,"是","否")</f><v>是</v></c>'
        '<c r="B6" t="b"><f>A1&gt;0</f><v>1</v></c>'
        '<c r="C6" t="e"><f>NA()</f><v>#N/A</v></c>'
        '<c r="D6"><f>A1/0</f></c>'
        '<c r="E6" t="str"><f>""&amp;""</f><v></v></c>'
        '<c r="F6" t="e"><v>#REF!</v></c>'
        '</row>')
    facts.add("formula", F, "A6", '=IF(A1=1,"是","否")')
    facts.value(F, "A6", "是")
    facts.add("formula", F, "B6", "=A1>0")
    facts.value(F, "B6", True)
    facts.add("formula", F, "C6", "=NA()")
    facts.value(F, "C6", "#N/A")
    facts.add("formula", F, "D6", "=A1/0")
    facts.value(F, "D6", None)
    facts.add("formula", F, "E6", '=""&""')
    facts.value(F, "E6", "")
    facts.value(F, "F6", "#REF!")

    # Row 7 has no number: it follows row 6. Its cells have no references: they follow each other.
    rows.append('<row><c t="s"><v>0</v></c><c t="s"><v>1</v></c><c t="s"><v>2</v></c>'
                '<c t="s"><v>3</v></c><c t="s"><v>4</v></c><c t="s"><v>6</v></c></row>')
    texts = ["路基", "m2", "  lead and trail  ", "a_x0041_b\rc", "K12+300 ", "x10+y3"]
    for col, text in zip("ABCDEF", texts):
        facts.value(F, col + "7", text)
    facts.add("super", F, "B7", 2, 1)
    facts.add("super", F, "F7", 2, 2)
    facts.add("super", F, "F7", 6, 1)

    # Row 8: an inline rich string with a superscript, a date, numbers as writers spell them.
    rows.append(
        '<row r="8">'
        '<c r="A8" t="inlineStr"><is><r><t>H</t></r><r><rPr><vertAlign val="superscript"/></rPr>'
        '<t>+</t></r></is></c>'
        '<c r="B8" t="d"><v>2024-03-01T12:00:00</v></c>'
        '<c r="C8"><v>1.5E-3</v></c>'
        '<c r="D8" t="n"><v> 42 </v></c>'
        '<c r="E8" t="b"><v>0</v></c>'
        '</row>')
    facts.value(F, "A8", "H+")
    facts.add("super", F, "A8", 2, 1)
    facts.value(F, "B8", 45352.5)
    facts.value(F, "C8", 0.0015)
    facts.value(F, "D8", 42)
    facts.value(F, "E8", False)

    # Row 9: formats of the cells' own.
    rows.append(
        '<row r="9">'
        '<c r="A9" s="1"><v>12235.689</v></c>'
        '<c r="B9" s="2"><v>3.14159</v></c>'
        '<c r="C9" s="3" t="s"><v>5</v></c>'
        '<c r="D9" s="4"/>'
        '<c r="E9" s="5"><v>-1.5</v></c>'
        '<c r="H9"><v>5</v></c>'
        '<c r="I9" s="6"><v>6</v></c>'
        '<c r="J9" s="7"><v>7</v></c>'
        '</row>')
    facts.value(F, "I9", 6)
    facts.value(F, "J9", 7)
    # Theme index 3 is the scheme's dk2 (the first two pairs are swapped); a tint darkens accent1.
    facts.add("font", F, "I9", "Calibri", 11, 0, "1F497D")
    facts.add("font", F, "J9", "Calibri", 11, 0, tinted("123456", -0.499984740745262))
    for ref, value, fmt, display in (("A9", 12235.689, '"K"0+000.000', "K12+235.689"),
                                     ("B9", 3.14159, "0.00", "3.14"),
                                     ("C9", "面积m", "@", "面积m"),
                                     ("E9", -1.5, "0.000_ ;[Red]-0.000 ", "-1.500 "),
                                     ("H9", 5, "General", "5")):
        facts.value(F, ref, value)
        facts.add("format", F, ref, fmt)
        facts.add("display", F, ref, display)
    facts.add("font", F, "B9", "黑体", 14, 1, "123456")  # the file's own accent1
    facts.add("font", F, "C9", "Arial", 10, 0, "FF0000")  # legacy palette index 10
    facts.add("align", F, "C9", "center", "top", 1)
    facts.add("border", F, "D9", "1010")
    facts.add("format", F, "D9", "General")

    # Row 10 carries a format of its own (text): cells without one show it.
    rows.append('<row r="10" s="3" customFormat="1"><c r="A10" s="1"><v>1</v></c><c r="B10"><v>2</v></c></row>')
    facts.add("format", F, "J10", "@")
    facts.add("format", F, "A10", '"K"0+000.000')
    facts.add("format", F, "B10", "General")  # a cell without s shows the default, not the row's
    facts.value(F, "A10", 1)
    facts.value(F, "B10", 2)
    facts.add("format", F, "H2", "0.00")  # column H carries format 2
    facts.add("format", F, "H9", "General")  # ... but H9 has no s: the default

    rows.append('<row r="20"><c r="A20" t="s"><v>0</v></c><c r="B21"/></row>')
    facts.value(F, "A20", "路基")
    facts.add("merge", F, "A20:B21")

    sheet1 = HEAD + (
        '<worksheet xmlns="%s" xmlns:r="%s"><dimension ref="A1:H21"/>'
        '<sheetFormatPr defaultRowHeight="15"/>'
        '<cols><col min="2" max="3" width="20.7109375" customWidth="1"/>'
        '<col min="8" max="8" width="9.140625" style="2"/>'
        '<col min="9" max="9" width="30" customWidth="0"/></cols>'
        '<sheetData>%s</sheetData>'
        '<mergeCells count="1"><mergeCell ref="A20:B21"/></mergeCells>'
        '<pageMargins left="0.25" right="0.3" top="0.6" bottom="0.7" header="0.1" footer="0.2"/>'
        '<pageSetup paperSize="9" orientation="portrait"/>'
        '</worksheet>') % (MAIN, REL, "".join(rows))
    facts.add("width", F, 2, 20.7109375)
    facts.add("width", F, 3, 20.7109375)
    facts.add("page", F, "portrait", 0.25, 0.3, 0.6, 0.7, 0.1, 0.2, "")

    # The second worksheet: every element with a prefix, notes, print titles.
    sheet2 = HEAD + (
        '<x:worksheet xmlns:x="%s" xmlns:rel="%s"><x:sheetData>'
        '<x:row r="1"><x:c r="A1"><x:v>7</x:v></x:c><x:c r="B1" t="s"><x:v>0</x:v></x:c></x:row>'
        '<x:row r="2"><x:c r="A2"><x:v>2</x:v></x:c></x:row>'
        '<x:row r="3"><x:c r="A3"><x:v>4</x:v></x:c></x:row>'
        '</x:sheetData><x:pageSetup orientation="landscape"/>'
        '<x:legacyDrawing rel:id="rIdV"/></x:worksheet>') % (MAIN, REL)
    for ref, value in (("A1", 7), ("B1", "路基"), ("A2", 2), ("A3", 4)):
        facts.value(G, ref, value)
    facts.add("page", G, "landscape", 0.7, 0.7, 0.75, 0.75, 0.3, 0.3, "$2:$4")
    comments = HEAD + (
        '<comments xmlns="%s"><authors><author>测量</author></authors><commentList>'
        '<comment ref="A1" authorId="0"><text><r><rPr><b/><sz val="9"/></rPr><t>测量:</t></r>'
        '<r><rPr><sz val="9"/></rPr><t xml:space="preserve">\n高程 7 m</t></r></text></comment>'
        '<comment ref="C3" authorId="0"><text><t>plain note</t></text></comment>'
        '</commentList></comments>') % MAIN
    facts.add("note", G, "A1", "测量:\n高程 7 m", 1, 144, 79.5, 3)
    facts.add("note", G, "C3", "plain note", 0, 0, 0, 0)
    vml = (
        '<xml xmlns:v="urn:schemas-microsoft-com:vml" xmlns:o="urn:schemas-microsoft-com:office:office" '
        'xmlns:x="urn:schemas-microsoft-com:office:excel">'
        '<v:shape id="_x0000_s1025" type="#_x0000_t202" '
        'style="position:absolute;margin-left:80pt;margin-top:2pt;width:144pt;height:106px;z-index:1;visibility:visible">'
        '<x:ClientData ObjectType="Note"><x:MoveWithCells/><x:Row>0</x:Row><x:Column>0</x:Column>'
        '<x:Visible/></x:ClientData></v:shape>'
        '<v:shape id="_x0000_s1026" style="width:10pt;height:10pt;visibility:hidden">'
        '<x:ClientData ObjectType="Rect"><x:Row>2</x:Row><x:Column>2</x:Column></x:ClientData></v:shape>'
        '</xml>')

    chart = HEAD + '<chartsheet xmlns="%s" xmlns:r="%s"><sheetViews><sheetView workbookViewId="0"/></sheetViews></chartsheet>' % (MAIN, REL)
    workbook = HEAD + (
        '<workbook xmlns="%s" xmlns:r="%s"><bookViews><workbookView activeTab="2"/></bookViews><sheets>'
        '<sheet name="%s" sheetId="1" r:id="rIdA"/>'
        '<sheet name="图" sheetId="3" r:id="rIdC"/>'
        '<sheet name="%s" sheetId="2" state="hidden" r:id="rIdB"/>'
        '</sheets><definedNames>'
        "<definedName name=\"_xlnm.Print_Titles\" localSheetId=\"2\">'%s'!$A:$B,'%s'!$2:$4</definedName>"
        '</definedNames></workbook>') % (MAIN, REL, F, G, G, G)
    facts.add("sheet", F, "visible")
    facts.add("sheet", G, "hidden")
    facts.add("active", 1)

    parts = {
        "[Content_Types].xml": CONTENT_TYPES,
        "_rels/.rels": rels([("rId1", REL, "officeDocument", "xl/book.xml")]),
        "xl/book.xml": workbook,
        "xl/_rels/book.xml.rels": rels([
            ("rIdB", REL, "worksheet", "sheets/one.xml"),
            ("rIdA", REL, "worksheet", "/xl/sheets/two.xml"),
            ("rIdC", REL, "chartsheet", "charts/c.xml"),
            ("rIdS", REL, "styles", "looks.xml"),
            ("rIdT", REL, "sharedStrings", "texts/strings.xml"),
            ("rIdH", REL, "theme", "theme/t.xml")]),
        "xl/sheets/two.xml": sheet1,
        "xl/sheets/one.xml": sheet2,
        "xl/sheets/_rels/one.xml.rels": rels([
            ("rIdN", REL, "comments", "../notes/n1.xml"),
            ("rIdV", REL, "vmlDrawing", "../drawings/d%201.vml")]),
        "xl/notes/n1.xml": comments,
        "xl/drawings/d 1.vml": vml,
        "xl/charts/c.xml": chart,
        "xl/looks.xml": STYLES,
        "xl/texts/strings.xml": SHARED_STRINGS,
        "xl/theme/t.xml": THEME,
    }
    write_package(os.path.join(outdir, "raw.xlsx"), parts)
    facts.write(os.path.join(outdir, "raw.facts"))
    return parts


if __name__ == "__main__":
    os.makedirs(sys.argv[1], exist_ok=True)
    raw_fixture(sys.argv[1])
