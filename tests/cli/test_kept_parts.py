"""A save keeps what the workbook model does not hold: charts, images, tables, hyperlinks, validation,
conditional formats, panes, autofilters, page breaks and very hidden sheets come through every command
that saves."""
import os
import zipfile

import openpyxl
from openpyxl.chart import BarChart, Reference
from openpyxl.drawing.image import Image
from openpyxl.formatting.rule import CellIsRule
from openpyxl.styles import PatternFill
from openpyxl.worksheet.datavalidation import DataValidation
from openpyxl.worksheet.pagebreak import Break
from openpyxl.worksheet.table import Table
from PIL import Image as Picture

from kestrel_cli import TempDirTest, run
from test_draw import WORKED

# Parts the writer makes afresh from the model; every other part must come through unchanged.
MODELLED = ("xl/workbook.xml", "xl/styles.xml", "xl/sharedStrings.xml", "xl/theme/", "xl/worksheets/", "docProps/",
            "[Content_Types].xml", "_rels/", "xl/_rels/", "xl/comments", "xl/drawings/commentsDrawing",
            "xl/drawings/vmlDrawing")


def decorate(wb, ws, folder):
    """Gives the sheet every feature the model does not hold."""
    for r, (name, value) in enumerate([("名称", "值"), ("a", 3), ("b", 5), ("c", 2)], start=1):
        ws.cell(r, 20, name)
        ws.cell(r, 21, value)
    chart = BarChart()
    chart.add_data(Reference(ws, min_col=21, min_row=1, max_row=4), titles_from_data=True)
    ws.add_chart(chart, "W2")
    picture = os.path.join(folder, "logo.png")
    Picture.new("RGB", (8, 6), (200, 30, 30)).save(picture)
    ws.add_image(Image(picture), "W20")
    ws.add_table(Table(displayName="Stages", ref="T1:U4"))
    ws["Y40"] = "规范"
    ws["Y40"].hyperlink = "https://example.com/road-plan"
    check = DataValidation(type="whole", operator="between", formula1="0", formula2="9")
    check.add("D1:D9")
    ws.add_data_validation(check)
    ws.conditional_formatting.add("G1:G9", CellIsRule(operator="greaterThan", formula=["0"],
                                                      fill=PatternFill("solid", start_color="FFC7CE")))
    ws.freeze_panes = "B2"
    ws.auto_filter.ref = "A1:G9"
    ws.sheet_properties.tabColor = "1072BA"
    ws.row_breaks.append(Break(id=20))
    ws.col_breaks.append(Break(id=8))
    hidden = wb.create_sheet("机密")
    hidden["A1"] = 1
    hidden.sheet_state = "veryHidden"


WORKBOOK_TYPE = b"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"
MACRO_TYPE = b"application/vnd.ms-excel.sheet.macroEnabled.main+xml"
VBA_TYPE = b"http://schemas.microsoft.com/office/2006/relationships/vbaProject"


def survey_book(path, folder, decorated_sheet):
    """The worked survey on the first sheet; the features on it ("survey") or on a second sheet."""
    wb = openpyxl.Workbook()
    survey = wb.active
    survey.title = "测量"
    for r, row in enumerate(WORKED, start=1):
        if row is not None:
            name, level, station, offset = row
            for c, value in zip((1, 4, 5, 6, 7), (name, level, station, station, offset)):
                survey.cell(r, c, value)
    decorate(wb, survey if decorated_sheet == "survey" else wb.create_sheet("资料"), folder)
    wb.save(path)


def parts(path):
    with zipfile.ZipFile(path) as z:
        return {name: z.read(name) for name in z.namelist()}


def unmodelled(path):
    return {name: body for name, body in parts(path).items() if not name.startswith(MODELLED)}


class KeptPartsTest(TempDirTest):
    def features(self, path, sheet):
        """What openpyxl reads back of the features of one sheet."""
        wb = openpyxl.load_workbook(path)
        ws = wb[sheet]
        return {
            "panes": ws.freeze_panes,
            "filter": ws.auto_filter.ref,
            "validation": [str(v.sqref) for v in ws.data_validations.dataValidation],
            "formats": [str(f.sqref) for f in ws.conditional_formatting],
            "link": ws["Y40"].hyperlink.target if ws["Y40"].hyperlink else None,
            "tables": sorted(ws.tables.keys()),
            "charts": len(ws._charts),
            "images": len(ws._images),
            "hidden": wb["机密"].sheet_state,
            "breaks": ([b.id for b in ws.row_breaks.brk], [b.id for b in ws.col_breaks.brk]),
            "tab": ws.sheet_properties.tabColor.rgb if ws.sheet_properties.tabColor else None,
        }

    def test_commands_keep_every_part_and_element(self):
        book = self.path("book.xlsx")
        survey_book(book, self.dir, "other")
        before, shown = unmodelled(book), self.features(book, "资料")
        self.assertEqual(shown["charts"], 1)
        self.assertEqual(shown["images"], 1)
        self.assertEqual(shown["tab"], "001072BA")
        dic = self.path("road.Dic")
        with open(dic, "wb") as f:
            f.write(b"\xff\xfe" + "KestrelFile2.0\r\n12230,1000,500,310.5\r\n".encode("utf-16-le"))
        commands = [("convert", book, self.path("copy.xlsx")),
                    ("volume", book, "--sections", "2", "-o", self.path("volume.xlsx")),
                    ("show-dic", dic, book, "-o", self.path("listed.xlsx")),
                    ("draw", book, "--sheet", "测量", "-o", self.path("drawn.xlsx"))]
        for args in commands:
            with self.subTest(command=args[0]):
                status, _, err = run(*args)
                self.assertEqual(status, 0, err)
                self.assertNotIn("not kept", err)
                out = args[-1]
                self.assertEqual(unmodelled(out), before)   # byte for byte, under their own names
                self.assertEqual(self.features(out, "资料"), shown)

    def test_sort_moves_rows_and_says_what_it_could_not_keep(self):
        book, out = self.path("book.xlsx"), self.path("sorted.xlsx")
        survey_book(book, self.dir, "survey")
        status, _, err = run("sort", book, "--yes", "-o", out)
        self.assertEqual(status, 0, err)
        notice = [line for line in err.splitlines() if "not kept" in line]
        self.assertEqual(len(notice), 1, err)
        for name in ("hyperlinks", "data validation", "conditional formats", "autofilter", "tables", "page breaks"):
            self.assertIn(name, notice[0])
        shown = self.features(out, "测量")
        self.assertEqual((shown["panes"], shown["charts"], shown["images"], shown["hidden"], shown["tab"]),
                         ("B2", 1, 1, "veryHidden", "001072BA"))
        self.assertEqual((shown["filter"], shown["validation"], shown["formats"], shown["link"], shown["tables"],
                          shown["breaks"]), (None, [], [], None, [], ([], [])))
        self.assertFalse([name for name in parts(out) if name.startswith("xl/tables/")])

    def test_a_macro_workbook_keeps_its_project(self):
        # A macro-enabled workbook: a VBA project part (any bytes will do) with its content type
        # and relationship, and the workbook part's macro-enabled content type.
        plain, book = self.path("plain.xlsx"), self.path("book.xlsm")
        survey_book(plain, self.dir, "other")
        project = bytes(range(256)) * 9
        with zipfile.ZipFile(plain) as old, zipfile.ZipFile(book, "w", zipfile.ZIP_DEFLATED) as new:
            for name in old.namelist():
                body = old.read(name)
                if name == "[Content_Types].xml":
                    body = body.replace(WORKBOOK_TYPE, MACRO_TYPE).replace(
                        b"</Types>", b'<Default Extension="bin" ContentType="application/vnd.ms-office.vbaProject"/></Types>')
                elif name == "xl/_rels/workbook.xml.rels":
                    body = body.replace(b"</Relationships>", b'<Relationship Id="rIdVba" Type="' + VBA_TYPE +
                                        b'" Target="vbaProject.bin"/></Relationships>')
                new.writestr(name, body)
            new.writestr("xl/vbaProject.bin", project)
        shown = self.features(book, "资料")
        dic = self.path("road.Dic")
        with open(dic, "wb") as f:
            f.write(b"\xff\xfe" + "KestrelFile2.0\r\n12230,1000,500,310.5\r\n".encode("utf-16-le"))
        commands = [("convert", book, self.path("copy.xlsm")),
                    ("volume", book, "--sections", "2", "-o", self.path("volume.xlsm")),
                    ("show-dic", dic, book, "-o", self.path("listed.xlsm")),
                    ("draw", book, "--sheet", "测量")]  # over the workbook itself
        for args in commands:
            with self.subTest(command=args[0]):
                status, _, err = run(*args)
                self.assertEqual(status, 0, err)
                self.assertNotIn("not kept", err)
                out = args[-1] if args[-1].endswith(".xlsm") else book
                saved = parts(out)
                self.assertEqual(saved["xl/vbaProject.bin"], project)
                self.assertIn(b'PartName="/xl/workbook.xml" ContentType="' + MACRO_TYPE, saved["[Content_Types].xml"])
                self.assertRegex(saved["xl/_rels/workbook.xml.rels"],
                                 rb'Type="' + VBA_TYPE + rb'" Target="/?xl/vbaProject.bin"')
                reread = openpyxl.load_workbook(out, keep_vba=True)
                self.assertEqual(reread.vba_archive.read("xl/vbaProject.bin"), project)
                self.assertEqual(self.features(out, "资料"), shown)
        # As .xlsx, as Excel saves it: without the macros, saying so in one line.
        status, _, err = run("convert", book, self.path("plain copy.xlsx"))
        self.assertEqual(status, 0, err)
        self.assertEqual([line for line in err.splitlines() if "macros" in line],
                         [f"kestrel: {self.path('plain copy.xlsx')}: the workbook's macros (VBA project) are not kept "
                          "in a .xlsx; name an .xlsm to keep them"])
        saved = parts(self.path("plain copy.xlsx"))
        self.assertNotIn("xl/vbaProject.bin", saved)
        self.assertNotIn(MACRO_TYPE, saved["[Content_Types].xml"])
        self.assertNotIn(VBA_TYPE, saved["xl/_rels/workbook.xml.rels"])
        self.assertEqual(self.features(self.path("plain copy.xlsx"), "资料"), shown)
