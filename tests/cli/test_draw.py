"""Draw data through the tool: the worked example's columns, read back with openpyxl."""
import re
import unittest
import zipfile

import openpyxl
from openpyxl.styles import Font

from kestrel_cli import TempDirTest, run

WORKED = [  # A name, D level, E station, F station, G offset: two sorted sections
    ("p1", 10, 100, -4), ("p2", 12, 100, 2), ("p3", 11, 100, 6), None, ("p5", 20, 120, -3), ("p6", 22, 120, 3)]


def worked_book(path):
    wb = openpyxl.Workbook()
    ws = wb.active
    for r, row in enumerate(WORKED, start=1):
        if row is None:
            continue
        name, level, station, offset = row
        ws.cell(r, 1, name)
        ws.cell(r, 4, level)
        ws.cell(r, 5, station)
        ws.cell(r, 6, station)
        ws.cell(r, 7, offset)
    wb.save(path)


class DrawTest(TempDirTest):
    def test_the_worked_example(self):
        book = self.path("worked.xlsx")
        worked_book(book)
        status, _, err = run("draw", book)
        self.assertEqual(status, 0, err)
        wb = openpyxl.load_workbook(book)
        ws = wb[wb.sheetnames[0]]
        column = lambda c, n: [ws.cell(r, c).value for r in range(1, n + 1)]
        self.assertEqual(column(9, 6), ["196,10", "202,12", "206,11", "  pl", "397,20", "403,22"])
        self.assertEqual(column(10, 3), [100, 120, None])
        self.assertEqual(column(11, 2), [None, None])
        self.assertEqual(column(12, 3), [11.333, 21, None])
        self.assertEqual(column(13, 2), ["-text j MC 200,20 1 0 K0+100.000", "-text j MC 400,20 1 0 K0+120.000"])
        self.assertEqual(column(14, 2), ['="200," & 0+K1', '="400," & 0+K2'])
        self.assertEqual(column(15, 7), [
            "pl 200,11.3333333333333 200.4,11.9333333333333 199.6,11.9333333333333 c -text j MC 200,12.3833333333333 0.7 0 11.333",
            "pl 196,10 196.4,10.6 195.6,10.6 c -text j MC 196,11.05 0.7 0 10",
            "pl 206,11 206.4,11.6 205.6,11.6 c -text j MC 206,12.05 0.7 0 11",
            "pl 400,21 400.4,21.6 399.6,21.6 c -text j MC 400,22.05 0.7 0 21",
            "pl 397,20 397.4,20.6 396.6,20.6 c -text j MC 397,21.05 0.7 0 20",
            "pl 403,22 403.4,22.6 402.6,22.6 c -text j MC 403,23.05 0.7 0 22",
            None])
        self.assertEqual(ws["I1"].number_format, "@")
        self.assertTrue(ws["K1"].comment.text.startswith("输入设计中桩高程："))
        # The command ends selecting I1, and the saved workbook opens there.
        self.assertEqual((ws.sheet_view.selection[0].activeCell, ws.sheet_view.selection[0].sqref), ("I1", "I1"))
        # The design-centre formulas carry their results for viewers that do not recalculate.
        cached = openpyxl.load_workbook(book, data_only=True)[wb.sheetnames[0]]
        self.assertEqual(cached["N1"].value, "200,0")
        # The section list stays in the workbook for a later volume sheet, on a hidden sheet.
        state = wb["KestrelState"]
        self.assertEqual(state.sheet_state, "hidden")
        self.assertEqual([state["A1"].value, state["B1"].value], ["SectionList", 2])
        self.assertEqual([state["C2"].value, state["C3"].value], [100, 120])

    def test_options_reach_the_dialog(self):
        book = self.path("worked.xlsx")
        worked_book(book)
        out = self.path("modes.xlsx")
        status, _, err = run("draw", book, "-o", out, "--label-mode", "0", "--column-spacing", "50",
                             "--station-dy", "5", "--station-height", "2.5", "--label-offsets")
        self.assertEqual(status, 0, err)
        ws = openpyxl.load_workbook(out).active
        self.assertEqual(ws["M1"].value, "-text j MC 50,5 2.5 0 K0+100.000")
        self.assertEqual(ws["I1"].value, "46,10")
        # openpyxl leaves the file's escape of the carriage return (_x000D_) as it stands.
        centre = ws["O1"].value.replace("_x000D_", "\r")
        self.assertTrue(centre.endswith("0.7 0 0"))
        self.assertIn("%%U11.333\r -text j MC 50,12.3833333333333 0.7 0 0", centre)
        self.assertIsNone(ws["O3"].value)  # centre labels only: one per section

    def test_running_twice_gives_the_same_sheet(self):
        book = self.path("worked.xlsx")
        worked_book(book)
        self.assertEqual(run("draw", book)[0], 0)
        first = [[c.value for c in row] for row in openpyxl.load_workbook(book).active.iter_rows()]
        self.assertEqual(run("draw", book)[0], 0)
        second = [[c.value for c in row] for row in openpyxl.load_workbook(book).active.iter_rows()]
        self.assertEqual(first, second)

    def test_a_sheet_formatted_row_by_row_to_its_end(self):
        # Every one of the 1,048,576 rows carries a bold format, as some programs write a sheet
        # formatted as a whole. The formats of the empty rows cost nothing: the drawn workbook
        # keeps them as column formats, and its sheet holds the rows with data only.
        plain = self.path("plain.xlsx")
        worked_book(plain)
        wb = openpyxl.load_workbook(plain)
        wb.active["Z1"].font = Font(bold=True)  # the bold format, number 1
        wb.save(plain)
        book = self.path("formatted.xlsx")
        with zipfile.ZipFile(plain) as zin, zipfile.ZipFile(book, "w", zipfile.ZIP_DEFLATED) as zout:
            for item in zin.infolist():
                data = zin.read(item.filename)
                if item.filename == "xl/worksheets/sheet1.xml":
                    text = data.decode()
                    rows = {int(m.group(1)): m.group(0) for m in re.finditer(r'<row r="(\d+)".*?</row>', text)}
                    body = "".join(
                        rows[r].replace('<row r="%d"' % r, '<row r="%d" s="1" customFormat="1"' % r, 1) if r in rows
                        else '<row r="%d" s="1" customFormat="1"/>' % r for r in range(1, 1048577))
                    data = re.sub(r"<sheetData>.*</sheetData>", lambda m: "<sheetData>" + body + "</sheetData>", text,
                                  flags=re.S).encode()
                zout.writestr(item, data)
        status, _, err = run("draw", book)
        self.assertEqual(status, 0, err)
        ws = openpyxl.load_workbook(book).active
        self.assertEqual(ws.max_row, 6)
        self.assertLess(len(ws.row_dimensions), 10)
        self.assertEqual(ws["I1"].value, "196,10")
        column_b = next(d for d in ws.column_dimensions.values() if d.min <= 2 <= d.max)
        self.assertTrue(column_b.font.b)  # the empty cells show the format


if __name__ == "__main__":
    unittest.main()
