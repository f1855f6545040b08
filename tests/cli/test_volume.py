"""Volume sheets through the tool: the layout read back by openpyxl, and the formulas recalculated
by LibreOffice against an average-end-area computation done here."""
import math
import os
import pathlib
import subprocess
import unittest

import openpyxl

from kestrel_cli import SOURCE, TempDirTest, libreoffice_cells, need_libreoffice, run

TITLE = "土石挖填方量计算表"

# Per variant: the last column, the columns of typed areas, the distance column, the volume
# columns (one per area column, in order), the merge of the totals label, the header groups
# (first cell, text, merged range) and the column widths A, B, ... up to the last column.
VARIANTS = {
    2: dict(last="G", inputs="BC", areas="BC", distance="D", volumes="EF", totals_end="C",
            headers=[("A2", "桩号", "A2:A3"), ("B2", "实测面积(m2)", "B2:C2"), ("D2", "距离(m)", "D2:D3"),
                     ("E2", "实测体积(m3)", "E2:F2"), ("G2", "备注", "G2:G3")],
            widths=[14, 10, 10, 12, 12, 12, 14], orientation="portrait"),
    4: dict(last="K", inputs="BCDE", areas="BCDE", distance="F", volumes="GHIJ", totals_end="E",
            headers=[("A2", "桩号", "A2:A3"), ("B2", "设计面积(m2)", "B2:C2"), ("D2", "实测面积(m2)", "D2:E2"),
                     ("F2", "距离(m)", "F2:F3"), ("G2", "设计体积(m3)", "G2:H2"), ("I2", "实测体积(m3)", "I2:J2"),
                     ("K2", "备注", "K2:K3")],
            widths=[14, 10, 10, 10, 10, 12, 12, 12, 12, 12, 12], orientation="landscape"),
    6: dict(last="O", inputs="BCDE", areas="BCDEFG", distance="H", volumes="IJKLMN", totals_end="G",
            headers=[("A2", "桩号", "A2:A3"), ("B2", "设计面积(m2)", "B2:C2"), ("D2", "实测面积(m2)", "D2:E2"),
                     ("F2", "剩余面积(m2)", "F2:G2"), ("H2", "距离(m)", "H2:H3"), ("I2", "设计体积(m3)", "I2:J2"),
                     ("K2", "实测体积(m3)", "K2:L2"), ("M2", "剩余体积(m3)", "M2:N2"), ("O2", "备注", "O2:O3")],
            widths=[10, 8, 8, 8, 8, 8, 8, 8, 10, 10, 10, 10, 10, 10, 10], orientation="landscape"),
}

STATIONS = [12200.0, 12220.0, 12235.689, 12260.0, 12280.5, 12300.0, 12312.25, 12340.0, 12360.0]


def columns(first, last):
    return [chr(c) for c in range(ord(first), ord(last) + 1)]


def survey_book(path):
    wb = openpyxl.Workbook()
    wb.active.title = "实测"
    wb.active["A1"] = "P1"
    wb.save(path)


def state_book(path, stations):
    """A workbook whose hidden state sheet records a draw-data run with these stations."""
    wb = openpyxl.Workbook()
    wb.active.title = "实测"
    wb.active["A1"] = "P1"
    state = wb.create_sheet("KestrelState")
    state.sheet_state = "hidden"
    state.append(["SectionList", len(stations)])
    for i, s in enumerate(stations):
        state.append([3 * i + 1, 3 * i + 2, s, "K%d+%07.3f" % (s // 1000, s % 1000), 0, 200 * (i + 1), 0, False])
    wb.save(path)


def outline_edges(ws, cell):
    """The edges of a cell that show: all four, or for a cell of a merged area those on the
    area's outline (openpyxl keeps no others for the covered cells)."""
    for m in ws.merged_cells.ranges:
        if cell.coordinate in m:
            edges = []
            if cell.column == m.min_col:
                edges.append("left")
            if cell.column == m.max_col:
                edges.append("right")
            if cell.row == m.min_row:
                edges.append("top")
            if cell.row == m.max_row:
                edges.append("bottom")
            return edges
    return ["left", "right", "top", "bottom"]


def rich_runs(path):
    """{(sheet index, cell): [(text, script)]} of every rich text, read from the file by the io
    tests' oracle script (openpyxl of this release drops rich text)."""
    script = os.path.join(SOURCE, "tests", "io", "oracles", "writer_dump.py")
    done = subprocess.run(["/usr/bin/python3", script, path], capture_output=True, text=True, timeout=120, check=True)
    runs = {}
    for line in done.stdout.splitlines():
        fields = line.split("\t")
        if fields[0] == "run":
            runs.setdefault((int(fields[1]), fields[2]), []).append((fields[4], fields[8]))
    return runs


def areas_for(variant, sections):
    """Typed areas per section, by column letter; design and measured differ both ways so that
    remaining areas come out positive and negative."""
    typed = {}
    for i in range(sections):
        for k, col in enumerate(VARIANTS[variant]["inputs"]):
            typed[(i, col)] = round(((i * 37 + k * 53 + variant * 11) % 97) / 3.7 + 0.01 * k, 2)
    return typed


def expected_results(variant, sections, typed):
    """The average end area method on its own: for each pair of neighbouring sections the
    distance between their stations and, per area, the mean of the two end areas times that
    distance; the totals add the distances and the volumes of every pair."""
    layout = VARIANTS[variant]

    def area(i, col):
        if variant == 6 and col in "FG":  # remaining = design - measured
            design, measured = {"F": ("B", "D"), "G": ("C", "E")}[col]
            return typed[(i, design)] - typed[(i, measured)]
        return typed[(i, col)]

    rows = {}
    totals = {c: 0.0 for c in layout["distance"] + layout["volumes"]}
    for i in range(1, sections):
        r = 4 + i
        length = STATIONS[i] - STATIONS[i - 1]
        rows[layout["distance"] + str(r)] = length
        totals[layout["distance"]] += length
        for vol, col in zip(layout["volumes"], layout["areas"]):
            v = (area(i, col) + area(i - 1, col)) / 2 * length
            rows[vol + str(r)] = v
            totals[vol] += v
    if variant == 6:
        for i in range(sections):
            rows["F" + str(4 + i)] = area(i, "F")
            rows["G" + str(4 + i)] = area(i, "G")
    last = sections + 4
    for c, t in totals.items():
        rows[c + str(last)] = t
    return rows


def shown_number(text):
    """A number as LibreOffice shows it under "0.000_ ;[Red]-0.000 " (a padding blank at the end)."""
    return float(text.strip())


class VolumeLayoutTest(TempDirTest):
    def build(self, variant, sections="6"):
        book = self.path("book.xlsx")
        survey_book(book)
        status, _, err = run("volume", book, "--variant", str(variant), "--sections", sections)
        self.assertEqual(status, 0, err)
        return book

    def test_layout_of_each_variant(self):
        for variant, layout in VARIANTS.items():
            with self.subTest(variant=variant):
                book = self.build(variant)
                wb = openpyxl.load_workbook(book)
                self.assertEqual(wb.sheetnames[1], "实测")  # the new sheet comes in front
                ws = wb.worksheets[0]
                last_row, last = 10, layout["last"]
                self.assertEqual(ws["A1"].value, TITLE)
                merges = {str(m) for m in ws.merged_cells.ranges}
                expected = {"A1:%s1" % last, "A%d:%s%d" % (last_row, layout["totals_end"], last_row)}
                expected |= {h[2] for h in layout["headers"]}
                self.assertEqual(merges, expected)
                for cell, text, merged in layout["headers"]:
                    self.assertEqual(ws[cell].value, text)
                    if merged.endswith("2"):  # a pair over row 2: cut and fill below
                        first = merged[0]
                        self.assertEqual(ws[first + "3"].value, "挖方")
                        self.assertEqual(ws[chr(ord(first) + 1) + "3"].value, "填方")
                self.assertEqual(ws["A%d" % last_row].value, "合计:")
                # Formats: stations, then three decimals up to the last volume column only.
                last_volume = layout["volumes"][-1]
                self.assertEqual(ws["A4"].number_format, '"K"0+000.000')
                self.assertEqual(ws["A9"].number_format, '"K"0+000.000')
                for col in columns("B", last_volume):
                    for r in (4, 9, last_row):
                        if r == last_row and col <= layout["totals_end"]:
                            continue  # inside the merged label, where openpyxl keeps no format
                        self.assertEqual(ws["%s%d" % (col, r)].number_format, "0.000_ ;[Red]-0.000 ",
                                         "%s%d" % (col, r))
                self.assertEqual(ws[last + "4"].number_format, "General")
                self.assertEqual(ws["B3"].number_format, "General")
                # Fonts, alignment, wrap, heights.
                self.assertEqual((ws["A1"].font.name, ws["A1"].font.sz, ws["A1"].font.b), ("仿宋", 18, True))
                self.assertTrue(ws["B3"].font.b)
                self.assertTrue(ws["%s%d" % (last_volume, last_row)].font.b)
                self.assertFalse(ws["B5"].font.b)
                self.assertEqual(ws["B5"].font.sz, 10 if variant == 6 else 11)
                for cell in ("A1", "B5", last + "9"):
                    self.assertEqual(ws[cell].font.name, "仿宋")
                    self.assertEqual((ws[cell].alignment.horizontal, ws[cell].alignment.vertical), ("center", "center"))
                self.assertTrue(ws[last + "2"].alignment.wrap_text)
                self.assertFalse(ws["B3"].alignment.wrap_text)
                self.assertEqual(ws.row_dimensions[1].height, 50)
                for r in range(2, last_row + 1):
                    self.assertEqual(ws.row_dimensions[r].height, 25)
                self.assertIsNone(ws.row_dimensions[last_row + 1].height)
                # Widths in characters: the file stores them with the cell padding added as a
                # fraction of a character.
                for i, width in enumerate(layout["widths"]):
                    letter = chr(ord("A") + i)
                    stored = next(d.width for d in ws.column_dimensions.values() if d.min <= i + 1 <= d.max)
                    self.assertEqual(math.floor(stored), width, letter)
                # Page.
                self.assertEqual(ws.page_setup.orientation, layout["orientation"])
                self.assertEqual(ws.print_title_rows, "$1:$3")
                margins = ws.page_margins
                if variant == 6:
                    self.assertEqual((margins.left, margins.right, margins.top, margins.bottom, margins.header,
                                      margins.footer), (0.25, 0.25, 0.75, 0.75, 0.3, 0.3))
                else:
                    self.assertEqual((margins.left, margins.right), (0.7, 0.7))
                # The grid: every edge of the table drawn, none around the title.
                for col in columns("A", last):
                    for r in range(2, last_row + 1):
                        cell = ws["%s%d" % (col, r)]
                        b = cell.border
                        drawn = {"left": b.left.style, "right": b.right.style, "top": b.top.style,
                                 "bottom": b.bottom.style}
                        self.assertEqual({e: drawn[e] for e in outline_edges(ws, cell)},
                                         {e: "thin" for e in outline_edges(ws, cell)}, cell.coordinate)
                    title = ws[col + "1"].border
                    self.assertEqual((title.top.style, title.left.style, title.right.style), (None, None, None))
                next_col = chr(ord(last) + 1)
                self.assertIsNone(ws["%s5" % next_col].border.right.style)
                self.assertNotEqual(ws["%s5" % next_col].font.name, "仿宋")
                # The unit digits are superscript, nothing else is.
                runs = rich_runs(book)
                for cell, text, _ in layout["headers"]:
                    if text.endswith("(m2)") or text.endswith("(m3)"):
                        self.assertEqual(runs[(0, cell)], [(text[:6], "-"), (text[6], "superscript"), (")", "-")])
                    else:
                        self.assertNotIn((0, cell), runs)

    def test_two_runs_give_two_sheets(self):
        book = self.build(2, "2")
        status, _, err = run("volume", book, "--variant", "6", "--sections", "2")
        self.assertEqual(status, 0, err)
        wb = openpyxl.load_workbook(book)
        self.assertEqual(len(wb.sheetnames), 3)
        self.assertEqual([wb.worksheets[i]["A1"].value for i in (0, 1)], [TITLE, TITLE])
        self.assertEqual(wb.worksheets[0]["O2"].value, "备注")
        self.assertEqual(wb.worksheets[1]["G2"].value, "备注")
        # Two sections, the smallest sheet: one row of formulas and its totals.
        self.assertEqual(wb.worksheets[1]["D5"].value, "=A5-A4")
        self.assertEqual(wb.worksheets[1]["D6"].value, "=SUM(D5:D5)")

    def test_the_dialog_arithmetic_applies(self):
        # |-2.5| + 4 = 6.5, halves to even: 6, so two sections; the empty text reads as 0: 6 too.
        for typed in ("-2.5", ""):
            with self.subTest(typed=typed):
                book = self.build(4, typed)
                ws = openpyxl.load_workbook(book).worksheets[0]
                self.assertEqual(ws["A6"].value, "合计:")
                self.assertEqual(ws["F6"].value, "=SUM(F5:F5)")

    def test_too_many_sections_for_a_row_number_changes_nothing(self):
        book = self.path("book.xlsx")
        survey_book(book)
        before = pathlib.Path(book).read_bytes()
        status, _, err = run("volume", book, "--sections", "2147483644")
        self.assertEqual(status, 1)
        self.assertIn("2147483644", err)
        self.assertEqual(pathlib.Path(book).read_bytes(), before)

    def test_more_sections_than_rows_stops_with_the_message(self):
        book = self.path("book.xlsx")
        survey_book(book)
        status, _, err = run("volume", book, "--variant", "6", "--sections", "2000000")
        self.assertEqual(status, 1)
        self.assertIn("有错误，提示有错误！", err)
        # The half-made sheet (title and page setup in place) is not written over the workbook.
        self.assertEqual(openpyxl.load_workbook(book).sheetnames, ["实测"])

    def test_usage(self):
        status, out, _ = run("volume", "--help")
        self.assertEqual(status, 0)
        for option in ("--variant", "--sections", "--fill-stations"):
            self.assertIn(option, out)
        book = self.path("book.xlsx")
        survey_book(book)
        self.assertEqual(run("volume", book, "--variant", "3")[0], 2)
        self.assertEqual(run("volume", book, "--sections", "4", "--fill-stations")[0], 2)


class FillStationsTest(TempDirTest):
    def test_stations_of_the_recorded_sections(self):
        book = self.path("drawn.xlsx")
        state_book(book, STATIONS[:5])
        status, _, err = run("volume", book, "--fill-stations", "--variant", "2")
        self.assertEqual(status, 0, err)
        wb = openpyxl.load_workbook(book)
        ws = wb.worksheets[0]
        self.assertEqual([ws["A%d" % r].value for r in range(4, 9)], STATIONS[:5])
        self.assertEqual(ws["A9"].value, "合计:")  # one row per recorded section
        self.assertIn("KestrelState", wb.sheetnames)  # the record stays for the next run
        self.assertEqual(wb["KestrelState"].sheet_state, "hidden")

    def test_before_any_draw_data_the_dialog_explains_and_nothing_is_written(self):
        for stations in ([], STATIONS[:1]):
            with self.subTest(sections=len(stations)):
                book = self.path("survey-%d.xlsx" % len(stations))
                if stations:
                    state_book(book, stations)
                else:
                    survey_book(book)
                before = pathlib.Path(book).read_bytes()
                status, _, err = run("volume", book, "--fill-stations")
                self.assertEqual(status, 1)
                self.assertIn("以下注意事项:", err)
                self.assertIn("2.并保证断面数量至少有2个!", err)
                self.assertEqual(pathlib.Path(book).read_bytes(), before)


class RecalculationTest(TempDirTest):
    """Each variant built by the tool, areas and stations typed in with openpyxl, then
    recalculated by LibreOffice: what it shows must match the computation done here."""

    def setUp(self):
        need_libreoffice()
        super().setUp()

    def test_libreoffice_computes_the_average_end_areas(self):
        sections = len(STATIONS)
        book = self.path("volumes.xlsx")
        survey_book(book)
        for variant in (2, 4, 6):
            status, _, err = run("volume", book, "--variant", str(variant), "--sections", str(sections))
            self.assertEqual(status, 0, err)
        wb = openpyxl.load_workbook(book)
        names = {6: wb.sheetnames[0], 4: wb.sheetnames[1], 2: wb.sheetnames[2]}
        typed = {}
        for variant, name in names.items():
            ws = wb[name]
            typed[variant] = areas_for(variant, sections)
            for i, station in enumerate(STATIONS):
                ws["A%d" % (4 + i)] = station
            for (i, col), value in typed[variant].items():
                ws["%s%d" % (col, 4 + i)] = value
        filled = self.path("filled.xlsx")
        wb.save(filled)

        shown = libreoffice_cells(filled, self.path("lo"), recalculate=True)
        for variant, name in names.items():
            expected = expected_results(variant, sections, typed[variant])
            for cell, value in expected.items():
                with self.subTest(variant=variant, cell=cell):
                    text = shown.get((name, cell))
                    self.assertIsNotNone(text)
                    self.assertTrue(text.endswith(" "), repr(text))  # the padding blank of the format
                    self.assertAlmostEqual(shown_number(text), value, delta=0.0005 + 1e-12 * abs(value))
            self.assertEqual(shown[(name, "A4")], "K12+200.000")
            self.assertEqual(shown[(name, "A6")], "K12+235.689")
            self.assertEqual(shown[(name, "A%d" % (sections + 4))], "合计:")
        # Some remaining areas are negative, shown with their minus sign.
        remaining = [shown[(names[6], "F%d" % r)] for r in range(4, 4 + sections)]
        self.assertTrue(any(t.startswith("-") for t in remaining), remaining)


if __name__ == "__main__":
    unittest.main()
