"""Design sections through the tool: cut and fill areas against Debian's shapely (polygon differences
of the regions under the ground line and under the design line), the daylight points on the
ground, the flag of a side whose slope meets no measured ground, and the volume sheet it fills."""
import os
import subprocess
import unittest

import ezdxf
import openpyxl
from shapely.geometry import LineString, Point, Polygon, box

from kestrel_cli import TempDirTest, libreoffice_cells, need_libreoffice, need_tool, run, survey_book

RESULTS_TITLE = "设计断面挖填面积表"

TEMPLATE = """KestrelFile2.0-TPL
half_width = 3.75
shoulder_width = 0.75
shoulder_slope = -4
fill_slopes = 1.5x2, 1.75
fill_berm_width = 1.5
ditch = 0.6, 0.6, 1, 1
cut_slopes = 0.75x3, 1
cut_berm_width = 1
strip_depth = 0.3
"""

# The six sections: station -> measured (offset, level) points, left to right.
SECTIONS = {
    100: [(-30, 97), (-10, 97.2), (0, 97), (12, 96.9), (30, 97)],  # flat ground under a fill
    200: [(-40, 104), (-10, 108), (0, 109), (10, 108), (40, 104)],  # a cut through a hill
    300: [(-30, 94), (0, 100), (30, 106)],  # side hill: fill left, cut right
    400: [(-20, 98.5), (-4, 100.3), (-3, 99.6), (-1, 100.4), (1, 99.5), (3, 100.4), (6, 99.2), (20, 98)],  # crossings
    500: [(-30, 97), (-5, 97), (-5, 97.5), (5, 97.5)],  # ends at offset 5: the right slope meets none
    600: [(-40, 88), (0, 100), (40, 120)],  # a fill with its berm, a cut with its ditch and berm
}


def utf16_file(path, lines):
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + "".join(line + "\r\n" for line in lines).encode("utf-16-le"))


def extended(points, reach=1000.0):
    """The measured ground extended level beyond its ends, as the design rule says."""
    return [(points[0][0] - reach, points[0][1]), *points, (points[-1][0] + reach, points[-1][1])]


def oracle_areas(ground, outline):
    """(cut left, fill left, cut right, fill right) from polygon differences over the footprint."""
    xl, xr = outline[0][0], outline[-1][0]
    levels = [z for _, z in ground] + [z for _, z in outline]
    bottom, top = min(levels) - 50, max(levels) + 50
    g = extended(ground)
    under_ground = Polygon([(g[0][0], bottom), *g, (g[-1][0], bottom)])
    under_design = Polygon([(xl, bottom), *outline, (xr, bottom)])
    areas = []
    for side in (box(xl, bottom, 0, top), box(0, bottom, xr, top)):
        ground_part = under_ground.intersection(side)
        design_part = under_design.intersection(side)
        areas += [ground_part.difference(design_part).area, design_part.difference(ground_part).area]
    return areas


def results_rows(book):
    wb = openpyxl.load_workbook(book)
    sheets = [ws for ws in wb.worksheets if ws["A1"].value == RESULTS_TITLE]
    assert len(sheets) == 1, [ws.title for ws in wb.worksheets]
    rows = {}
    for r in range(3, sheets[0].max_row + 1):
        values = [sheets[0].cell(r, c).value for c in range(1, 16)]
        if values[0] is None:
            break
        rows[values[0]] = values
    return wb, rows


def parse_outline(text):
    return [tuple(float(v) for v in pair.split(",")) for pair in text.split(";")]


class DesignCase(TempDirTest):
    """The six sections with a level profile, a cross-slope file and the template."""

    def setUp(self):
        super().setUp()
        self.book = self.path("survey.xlsx")
        survey_book(self.book, SECTIONS.items())
        utf16_file(self.path("road.ZM"), ["QuillbeckFile2.0-ZM", "0,100,500,100,1000,100,0"])
        utf16_file(self.path("road.hp"), ["KestrelFile2.0-HP", "0,-2,-2", "1000,-2,-2"])
        with open(self.path("road.tpl"), "w", encoding="utf-8") as f:
            f.write(TEMPLATE)

    def design(self, *extra):
        return run("design", self.book, "--profile", self.path("road.ZM"), "--slopes", self.path("road.hp"),
                   "--template", self.path("road.tpl"), *extra)


class DesignTest(DesignCase):
    def test_areas_agree_with_polygon_differences(self):
        status, _, err = self.design("--volume", "--variant", "4")
        self.assertEqual(status, 0, err)
        wb, rows = results_rows(self.book)
        self.assertEqual(sorted(rows), sorted(SECTIONS))
        for station, ground in SECTIONS.items():
            with self.subTest(station=station):
                row = rows[station]
                outline = parse_outline(row[14])
                cut_l, fill_l, cut_r, fill_r = oracle_areas(ground, outline)
                self.assertAlmostEqual(row[8], cut_l, delta=1e-6)
                self.assertAlmostEqual(row[9], fill_l, delta=1e-6)
                self.assertAlmostEqual(row[10], cut_r, delta=1e-6)
                self.assertAlmostEqual(row[11], fill_r, delta=1e-6)
                self.assertAlmostEqual(row[6], cut_l + cut_r, delta=1e-6)
                self.assertAlmostEqual(row[7], fill_l + fill_r, delta=1e-6)
                # The design line starts and ends on the (extended) ground, at the daylight offsets.
                ground_line = LineString(extended(ground))
                for end, daylight in ((outline[0], row[4]), (outline[-1], row[5])):
                    self.assertLess(ground_line.distance(Point(end)), 1e-9)
                    self.assertAlmostEqual(end[0], daylight, delta=1e-9)
                self.assertAlmostEqual(row[12], 0.3 * (row[5] - row[4]), delta=1e-9)
                self.assertAlmostEqual(row[2], 100, delta=1e-12)
        # The cases are what they claim to be.
        self.assertEqual(rows[100][6], 0)
        self.assertEqual(rows[200][7], 0)
        self.assertGreater(rows[300][9], 1)
        self.assertGreater(rows[300][10], 1)
        crossings = LineString(parse_outline(rows[400][14])).intersection(LineString(SECTIONS[400]))
        self.assertGreaterEqual(len(getattr(crossings, "geoms", [crossings])), 5)
        self.assertEqual(rows[500][13], "右侧地面线水平延长")
        self.assertGreater(rows[500][5], 5)
        self.assertTrue(all(rows[s][13] is None for s in SECTIONS if s != 500))
        outline600 = parse_outline(rows[600][14])
        flats = [(a, b) for a, b in zip(outline600, outline600[1:]) if a[1] == b[1] and a[0] != b[0]]
        self.assertEqual(len(flats), 3, outline600)  # the fill berm, the ditch bottom, the cut berm
        # The volume sheet: stations and design areas in rows 4 on.
        volume = [ws for ws in wb.worksheets if ws["A1"].value == "土石挖填方量计算表"]
        self.assertEqual(len(volume), 1)
        ws = volume[0]
        for i, station in enumerate(SECTIONS):
            self.assertEqual(ws.cell(4 + i, 1).value, station)
            self.assertEqual(ws.cell(4 + i, 2).value, rows[station][6])
            self.assertEqual(ws.cell(4 + i, 3).value, rows[station][7])
        self.assertEqual(ws.cell(5, 7).value, "=(B5+B4)/2*F5")

    def test_drawing_shows_the_design_lines_and_areas(self):
        status, _, err = self.design()
        self.assertEqual(status, 0, err)
        _, rows = results_rows(self.book)
        dxf, svg = self.path("design.dxf"), self.path("design.svg")
        status, _, err = run("draw", self.book, "--sheet", "实测", "--dxf", dxf, "--preview", svg)
        self.assertEqual(status, 0, err)
        doc = ezdxf.readfile(dxf)
        lines = [e for e in doc.modelspace() if e.dxftype() == "LWPOLYLINE" and e.dxf.layer == "KESTREL-DESIGN"]
        texts = [e.dxf.text for e in doc.modelspace() if e.dxftype() == "TEXT" and e.dxf.layer == "KESTREL-DESIGN"]
        self.assertEqual(len(lines), len(SECTIONS))
        # Without a dictionary the k-th section has its zero point at (200 k, 0).
        for k, (station, line) in enumerate(zip(SECTIONS, lines), start=1):
            expected = [(200 * k + o, z) for o, z in parse_outline(rows[station][14])]
            got = [(x, y) for x, y, *_ in line.get_points()]
            self.assertEqual(len(got), len(expected))
            for a, b in zip(got, expected):
                self.assertAlmostEqual(a[0], b[0], places=9)
                self.assertAlmostEqual(a[1], b[1], places=9)
            self.assertIn(f"挖方面积 {rows[station][6]:.3f}", texts)
            self.assertIn(f"填方面积 {rows[station][7]:.3f}", texts)
        self.assertIn("KESTREL-DESIGN", [layer.dxf.name for layer in doc.layers])
        self.assertGreater(os.path.getsize(svg), 0)

    def test_a_station_outside_the_cross_slope_file_stops_with_one_line(self):
        utf16_file(self.path("road.hp"), ["KestrelFile2.0-HP", "0,-2,-2", "450,-2,-2"])
        before = os.path.getmtime(self.book)
        status, _, err = self.design()
        self.assertEqual(status, 2)
        self.assertEqual(err.strip().count("\n"), 0, err)
        self.assertIn("K0+500.000", err)
        self.assertEqual(os.path.getmtime(self.book), before)


class DesignRefusesWhatIsNoSurveyOrNoRoad(DesignCase):
    """Every refusal is one line, exit 2, and leaves the workbook as it was."""

    def assertRefused(self, status, err, *names):
        self.assertEqual(status, 2, err)
        self.assertEqual(err.strip().count("\n"), 0, err)
        for name in names:
            self.assertIn(name, err)

    def template(self, *lines):
        with open(self.path("road.tpl"), "w", encoding="utf-8") as f:
            f.write(TEMPLATE + "".join(line + "\n" for line in lines))

    def test_a_point_without_a_number_is_never_ground(self):
        wb = openpyxl.load_workbook(self.book)
        ws = wb["实测"]
        for empty_or_text, column in ((None, 4), ("nan", 4), ("abc", 7)):
            ws.cell(3, column).value = empty_or_text
            wb.save(self.book)
            with open(self.book, "rb") as f:
                before = f.read()
            status, _, err = self.design()
            self.assertRefused(status, err, "row 3 of sheet 实测", "column D" if column == 4 else "column G")
            with open(self.book, "rb") as f:
                self.assertEqual(f.read(), before)
            ws.cell(3, column).value = 97 if column == 4 else 0
        wb.save(self.book)
        self.assertEqual(self.design()[0], 0)

    def test_sheets_that_are_not_surveys(self):
        self.assertEqual(self.design("--volume")[0], 0)
        # The results sheet and then the volume sheet are left active; neither is designed on.
        status, _, err = self.design()
        self.assertRefused(status, err, "is a volume sheet")
        wb = openpyxl.load_workbook(self.book)
        results = next(ws.title for ws in wb.worksheets if ws["A1"].value == RESULTS_TITLE)
        self.assertRefused(*self.design("--sheet", results)[::2], "holds design results")
        wb.create_sheet("notes")["A1"] = "see the field book"
        wb.save(self.book)
        self.assertRefused(*self.design("--sheet", "notes")[::2], "sheet notes holds no measured section")

    def test_roads_that_cannot_exist(self):
        for line, key in (("half_width = 1e308", "half_width"), ("shoulder_slope = 1e308", "shoulder_slope"),
                          ("fill_slopes = 1e300", "fill_slopes"), ("cross_slope = 1e300", "cross_slope"),
                          ("cut_slopes = " + "1x1, " * 400 + "1", "cut_slopes")):
            self.template(line)
            self.assertRefused(*self.design()[::2], key)
        self.template()
        utf16_file(self.path("narrow.hp"), ["KestrelFile2.0-HP", "0,-10,-10", "1000,-10,-10"])
        self.assertRefused(*self.design("--widening", self.path("narrow.hp"))[::2], "K0+100.000", "carriageway")
        utf16_file(self.path("steep.hp"), ["KestrelFile2.0-HP", "0,-2,300", "1000,-2,300"])
        utf16_file(self.path("road.hp"), ["KestrelFile2.0-HP", "0,-2,300", "1000,-2,300"])
        self.assertRefused(*self.design()[::2], "K0+100.000", "cross slope of 300 %")

    def test_files_that_cannot_serve(self):
        os.mkdir(self.path("folder.tpl"))
        status, _, err = run("design", self.book, "--profile", self.path("road.ZM"), "--template",
                             self.path("folder.tpl"))
        self.assertRefused(status, err, "folder.tpl: not a file")
        utf16_file(self.path("road.hp"), ["KestrelFile2.0-HP", "1000,-2,-2", "0,-2,-2"])
        self.assertRefused(*self.design()[::2], "increasing order", "K1+000.000 is followed by K0+000.000")
        # A station beyond the profile stops the command as one beyond a cross-slope file does.
        utf16_file(self.path("road.hp"), ["KestrelFile2.0-HP", "0,-2,-2", "1000,-2,-2"])
        utf16_file(self.path("road.ZM"), ["QuillbeckFile2.0-ZM", "150,100,300,100,550,100,0"])
        self.assertRefused(*self.design()[::2], "K0+100.000 lies outside the profile file's stations")


# The README's worked example: a level road at 12 m, half width 4, no shoulder, no crossfall,
# side slopes 1:1 both ways, no ditch.
EXAMPLE_TEMPLATE = """KestrelFile2.0-TPL
half_width = 4
cross_slope = 0
shoulder_width = 0
fill_slopes = 1
cut_slopes = 1
ditch = 0, 0, 1, 1
"""
EXAMPLE = {
    0: [(-20, 10), (20, 10)],  # level ground 2 m below: fill
    20: [(-20, 15), (20, 15)],  # level ground 3 m above: cut
    40: [(-20, 8), (20, 16)],  # ground rising 1 in 5 through the centre level
}


class WorkedExampleTest(TempDirTest):
    def design_example(self):
        """The README's example designed with its volume sheet; the workbook's path."""
        book = self.path("example.xlsx")
        wb = openpyxl.Workbook()
        ws = wb.active
        row = 1
        for station, points in EXAMPLE.items():
            for offset, level in points:
                for column, value in ((1, "P"), (4, level), (5, station), (6, station), (7, offset)):
                    ws.cell(row, column, value)
                row += 1
            row += 1
        wb.save(book)
        utf16_file(self.path("flat.ZM"), ["QuillbeckFile2.0-ZM", "0,12,50,12,100,12,0"])
        with open(self.path("example.tpl"), "w", encoding="utf-8") as f:
            f.write(EXAMPLE_TEMPLATE)
        status, _, err = run("design", book, "--profile", self.path("flat.ZM"), "--template",
                             self.path("example.tpl"), "--volume")
        self.assertEqual(status, 0, err)
        return book

    def test_readme_example_by_hand(self):
        book = self.design_example()
        _, rows = results_rows(book)
        # K0+000: toes at 4 + 2 = 6 each side; fill 2 x (4 x 2 + 2 x 2 / 2) = 20.
        # K0+020: tops at 4 + 3 = 7; cut 2 x (4 x 3 + 3 x 3 / 2) = 33.
        # K0+040: ground 11.2 / 12.8 at the edges; the 1:1 slopes meet it 1 m out, at (-5, 11) and
        # (5, 13); fill left 0.8 x 4 / 2 + 0.8 x 1 / 2 = 2, cut right the same.
        expected = {0: (-6, 6, 0, 20, 2), 20: (-7, 7, 33, 0, -3), 40: (-5, 5, 2, 2, 0)}
        for station, (left, right, cut, fill, height) in expected.items():
            r = rows[station]
            self.assertAlmostEqual(r[4], left, delta=1e-9)
            self.assertAlmostEqual(r[5], right, delta=1e-9)
            self.assertAlmostEqual(r[6], cut, delta=1e-9)
            self.assertAlmostEqual(r[7], fill, delta=1e-9)
            self.assertAlmostEqual(r[3], height, delta=1e-9)  # fill height (+) or cut depth (-)

    def test_printed_sheets_state_the_areas(self):
        need_tool("pdftotext", why="poppler-utils")
        book = self.design_example()
        status, _, err = run("plot", book, "--sheet", "Sheet", "-o", self.path("sheets.pdf"))
        self.assertEqual(status, 0, err)
        text = "".join(subprocess.run(["pdftotext", self.path("sheets.pdf"), "-"], capture_output=True,
                                      text=True, check=True).stdout.split())
        # The printable sheets show each design line's areas as the results state them (an area a
        # hair under a whole number shows with its point: "2.").
        for part in (r"挖方0m²", r"填方20m²", r"挖方33m²", r"填方0m²", r"挖方2\.?m²", r"填方2\.?m²"):
            self.assertRegex(text, part)

    def test_libreoffice_computes_the_volume_sheet(self):
        need_libreoffice()
        book = self.design_example()
        # 20 m apart, cut (0 + 33) / 2 x 20 + (33 + 2) / 2 x 20 = 680, fill (20 + 0) / 2 x 20 +
        # (0 + 2) / 2 x 20 = 220.
        cells = libreoffice_cells(book, self.dir, recalculate=True)
        volume = next(sheet for (sheet, cell), text in cells.items() if text == "土石挖填方量计算表")
        self.assertEqual([cells[(volume, c)] for c in ("F7", "G7", "H7")], ["40.000 ", "680.000 ", "220.000 "])


if __name__ == "__main__":
    unittest.main()
