"""The worksheet functions through `kestrel fn`, the .ZM and .hp files through save-zm and save-hp."""
import math
import os
import shutil
import unittest

import openpyxl

from kestrel_cli import KESTREL, TempDirTest, run

WORKED = [(0, 100, None), (300, 103, 6000), (700, 99, None)]


def fn(*args):
    """Runs kestrel fn; returns (exit status, the printed result, stderr)."""
    status, out, err = run("fn", *[str(a) for a in args])
    return status, out.rstrip("\n"), err


def utf16_lines(path):
    with open(path, "rb") as f:
        data = f.read()
    assert data[:2] == b"\xff\xfe", data[:4]
    text = data[2:].decode("utf-16-le")
    assert text.endswith("\r\n"), repr(text)
    return text[:-2].split("\r\n")


def textbook_elevation(points, x):
    """The grade line through the points plus, within each curve, the offset from the tangent."""
    k = 0
    while k + 2 < len(points) and x > points[k + 1][0]:
        k += 1
    (s0, h0, _), (s1, h1, _) = points[k], points[k + 1]
    h = h0 + (h1 - h0) * (x - s0) / (s1 - s0)
    for i in range(1, len(points) - 1):
        (sa, ha, _), (sp, hp, r), (sb, hb, _) = points[i - 1], points[i], points[i + 1]
        g1, g2 = (hp - ha) / (sp - sa), (hb - hp) / (sb - sp)
        t = abs(r * (g2 - g1) / 2)
        d = min(x - (sp - t), (sp + t) - x)
        if d > 0:
            h += (1 if g2 > g1 else -1) * d * d / (2 * r)
    return h


class FunctionsTest(TempDirTest):
    def book(self, name, sheets):
        """A workbook with these sheets: {title: {cell: value}} (the first is active)."""
        wb = openpyxl.Workbook()
        first = True
        for title, cells in sheets.items():
            ws = wb.active if first else wb.create_sheet(title)
            ws.title = title
            first = False
            for cell, value in cells.items():
                ws[cell] = value
        path = self.path(name)
        wb.save(path)
        return path

    def profile_book(self, points, name="profile.xlsx"):
        cells = {}
        for r, (station, elevation, radius) in enumerate(points, start=1):
            cells["A%d" % r] = station
            cells["B%d" % r] = elevation
            if radius is not None:
                cells["C%d" % r] = radius
        return self.book(name, {"纵断面": cells, "Other": {"A1": 1}})

    def assertNumber(self, args, expected, places=9):
        status, out, err = fn(*args)
        self.assertEqual(status, 0, err)
        self.assertAlmostEqual(float(out), expected, places=places, msg=" ".join(map(str, args)))


class ProfileTest(FunctionsTest):
    def test_worked_profile_at_every_station(self):
        book = self.profile_book(WORKED)
        for station, elevation in [(300, 102.7), (240, 102.4), (360, 102.4), (100, 101.0), (500, 101.0),
                                   (-100, 99.0), (800, 98.0)]:
            status, out, err = fn("GetH", station, book + "!A1:C3")
            self.assertEqual(status, 0, err)
            self.assertEqual(out, "%g" % elevation, station)  # the general form: 102.7, 101, 99
        self.assertEqual(fn("GetH", 300, book + "!纵断面!A1:C3", 0)[1], "102.7")
        self.assertEqual(fn("GetH", 300, book + "!A:C")[1], "102.7")

    def test_without_radius_the_pvi_is_exact(self):
        book = self.profile_book([(0, 100, None), (300, 103, 0), (700, 99, None)])
        self.assertEqual(fn("GetH", 300, book + "!A1:C3")[1], "103")

    def test_bad_sources_give_minus_one(self):
        book = self.profile_book(WORKED)
        self.assertEqual(fn("GetH", 300, book + "!A1:B3"), (0, "-1", ""))
        self.assertEqual(fn("GetH", 300, book + "!A1:C2"), (0, "-1", ""))
        self.assertEqual(fn("GetH", 300, book + "!Other!A1:C3"), (0, "-1", ""))
        self.assertEqual(fn("GetH", 300, self.path("missing.ZM")), (0, "-1", ""))
        self.assertEqual(fn("GetH", 300, 12.5), (0, "-1", ""))

    def test_a_whole_road_agrees_with_the_textbook_form(self):
        points = [(12180, 311.2, None), (12390, 315.55, 4500), (12610, 314.1, 6000), (12930, 318.8, 3000),
                  (13200, 316.0, None)]
        book = self.profile_book(points)
        zm = self.path("road.ZM")
        status, _, err = run("save-zm", book, zm)
        self.assertEqual(status, 0, err)
        for x in [12100, 12180, 12300.5, 12390, 12455.25, 12610, 12777, 12930, 13050, 13200, 13300]:
            expected = textbook_elevation(points, x)
            self.assertNumber(["GetH", x, book + "!A1:C5"], expected)
            self.assertNumber(["GetH", x, zm], expected)

    def test_save_zm_writes_the_file_and_get_h_reads_it(self):
        book = self.profile_book(WORKED)
        zm = self.path("worked.ZM")
        status, _, err = run("save-zm", book, zm)
        self.assertEqual(status, 0, err)
        self.assertIn("纵断面文件保存成功！", err)
        self.assertEqual(utf16_lines(zm), ["QuillbeckFile2.0-ZM", "0,100,300,103,700,99,6000"])
        self.assertEqual(fn("GetH", 300, zm)[1], "102.7")
        self.assertEqual(fn("GetH", 300, zm[:-3])[1], "102.7")  # ".ZM" is added

    def test_save_zm_of_a_short_table_writes_no_record(self):
        book = self.profile_book(WORKED[:2])
        zm = self.path("short.ZM")
        self.assertEqual(run("save-zm", book, zm)[0], 0)
        self.assertEqual(utf16_lines(zm), ["QuillbeckFile2.0-ZM"])
        status, out, _ = fn("GetH", 300, zm)
        self.assertEqual((status, out), (1, "#VALUE!"))  # an empty profile

    def test_save_zm_into_a_missing_folder_fails(self):
        book = self.profile_book(WORKED)
        status, _, err = run("save-zm", book, self.path("no/such/x.ZM"))
        self.assertEqual(status, 2)
        self.assertIn("纵断面文件保存失败！", err)

    def test_a_magic_line_in_another_case_gives_minus_one(self):
        zm = self.path("case.ZM")
        with open(zm, "wb") as f:
            f.write(b"\xff\xfe" + "quillbeckfile2.0-zm\r\n0,100,300,103,700,99,6000\r\n".encode("utf-16-le"))
        self.assertEqual(fn("GetH", 300, zm)[1], "-1")

    def test_file_names_are_taken_from_the_current_directory(self):
        # As on any command line: a relative name from where the tool runs, never from where it lies.
        folder = self.path("bin")
        os.mkdir(folder)
        program = os.path.join(folder, "kestrel")
        shutil.copy(KESTREL, program)
        profile = "QuillbeckFile2.0-ZM\r\n0,100,300,103,700,99,6000\r\n".encode("utf-16-le")
        os.mkdir(self.path("data"))
        for place in (folder, self.path("data")):
            with open(os.path.join(place, "road.zm"), "wb") as f:
                f.write(b"\xff\xfe" + profile)
        import subprocess

        def get_h(name, cwd):
            done = subprocess.run([program, "fn", "GetH", "300", name], capture_output=True, text=True, cwd=cwd)
            return done.stdout.strip()

        self.assertEqual(get_h("road.zm", self.path("data")), "102.7")
        self.assertEqual(get_h("data/road.zm", self.dir), "102.7")
        self.assertEqual(get_h(self.path("data/road.zm"), "/"), "102.7")
        self.assertEqual(get_h("road.zm", self.dir), "-1")  # only the tool's folder has one
        self.assertEqual(get_h("road", self.path("data")), "-1")  # road.ZM: names are case-sensitive


class SlopeTest(FunctionsTest):
    def hp(self, name, text):
        path = self.path(name)
        with open(path, "wb") as f:
            f.write(b"\xff\xfe" + text.encode("utf-16-le"))
        return path

    def test_worked_cases(self):
        hp = self.hp("road.hp", "KestrelFile2.0-HP\r\n100,2,2\r\n200,-2,4\r\n")
        self.assertEqual(fn("GetHP", 150, -3.5, hp)[1], "0")
        self.assertEqual(fn("GetHP", 150, 3.5, hp)[1], "3")
        self.assertEqual(fn("GetJK", 125, 3.5, hp, 3)[1], "2.3125")
        self.assertEqual(fn("GetJK", 100, -1, hp, 3)[1], "2")
        self.assertEqual(fn("GetJK", 200, 1, hp)[1], "4")
        self.assertEqual(fn("GetHP", 150, 0, hp)[1], "3")
        self.assertEqual(fn("GetHP", 150, 1, hp, 2)[1], "0")
        self.assertEqual(fn("GetHP", 99.99, 1, hp)[:2], (1, "#VALUE!"))

    def test_unreadable_files(self):
        case = self.hp("case.hp", "kestrelfile2.0-hp\r\n100,2,2\r\n200,-2,4\r\n")
        self.assertEqual(fn("GetHP", 150, 1, case)[1], "-999999")
        self.assertEqual(fn("GetHP", 150, 1, self.path("none.hp"))[1], "-999999")

    def test_save_hp_and_read_back(self):
        book = self.book("slope.xlsx", {"横坡": {"A1": 12180, "B1": -2, "C1": -2, "A2": 12400, "B2": -2, "C2": 2.5,
                                               "A3": 12460.5, "B3": 3, "C3": -3}})
        hp = self.path("slope.hp")
        status, _, err = run("save-hp", book, hp)
        self.assertEqual(status, 0, err)
        self.assertEqual(utf16_lines(hp), ["KestrelFile2.0-HP", "12180,-2,-2", "12400,-2,2.5", "12460.5,3,-3"])
        # Linear between the control stations, by an independent reckoning.
        for x, offset in [(12290, 1), (12430, -1), (12430, 1)]:
            (s0, l0, r0), (s1, l1, r1) = [(12180, -2, -2), (12400, -2, 2.5), (12460.5, 3, -3)][(x > 12400):][:2]
            a, b = (l0, l1) if offset < 0 else (r0, r1)
            self.assertNumber(["GetHP", x, offset, hp], a + (b - a) * (x - s0) / (s1 - s0))

    def test_save_hp_of_an_empty_sheet(self):
        book = self.book("empty.xlsx", {"Sheet": {"D4": 1}})
        hp = self.path("empty.hp")
        self.assertEqual(run("save-hp", book, hp)[0], 0)
        self.assertEqual(utf16_lines(hp), ["KestrelFile2.0-HP"])


class AngleAndTextTest(FunctionsTest):
    def test_dms_forms_and_carries(self):
        self.assertEqual(fn("DMS", 12.5043055556)[1], "12°30′15.5″")
        self.assertEqual(fn("DMS", 12.5043055556, 2)[1], "12度30分15.5秒")
        self.assertEqual(fn("DMS", 12.5043055556, 3)[1], "12.30155")
        self.assertEqual(fn("DMS", -12.5043055556)[1], "-12°30′15.5″")
        self.assertEqual(fn("DMS", 29.999999)[1], "30°0′0″")
        self.assertEqual(fn("DMS", 29.99999)[1], "29°59′59.96″")
        self.assertEqual(fn("DMS", 12.5, 9), (0, "", ""))

    def test_deg(self):
        self.assertNumber(["DEG", 12.30155], 12 + 30 / 60 + 15.5 / 3600, places=12)
        self.assertNumber(["DEG", -0.3], -0.5, places=12)

    def test_fwj_in_every_quadrant(self):
        for x2, y2 in [(10, 10), (-10, 10), (-10, -10), (10, -10), (3, 4), (0, -5), (-5, 0), (7, 0), (0, 2)]:
            expected = math.degrees(math.atan2(y2, x2)) % 360
            self.assertNumber(["FWJ", 0, 0, x2, y2], expected / 24, places=9)
        self.assertEqual(fn("FWJ", 0, 0, 10, 10, 1)[1], "45°0′0″")
        self.assertEqual(fn("FWJ", 0, 0, 0, -5)[1], "%s" % repr(270 / 24))
        self.assertEqual(fn("FWJ", 0, 0, -5, 0)[1], "7.5")

    def test_jl_and_hhr(self):
        self.assertEqual(fn("JL", 0, 0, 3, 4)[1], "5")
        self.assertEqual(fn("HHR", 60, 300, 1000)[1], "完R=1500|非完大R=3000|非完小R=600")
        self.assertEqual(fn("HHR", 60, 300)[1], "计算出错")

    def test_get_point_and_pl(self):
        listing = "X=100.5 Y=200.25 Z=3"
        self.assertEqual(fn("GetPoint", listing, "y")[1], "200.25")
        self.assertEqual(fn("GetPoint", listing, "x,y")[1], "100.5,200.25")
        self.assertEqual(fn("GetPoint", listing, "h"), (0, "", ""))
        self.assertEqual(fn("Pl", "012", "3.50")[1], "012,3.50")  # texts stay as typed

    def test_cells_ranges_and_the_caller(self):
        book = self.book("cells.xlsx", {"Sheet1": {"A1": 12235.689, "A2": "=A1*2", "B1": "路基"}})
        wb = openpyxl.load_workbook(book)
        wb["Sheet1"]["A1"].number_format = '"K"0+000.000'
        wb.save(book)
        self.assertEqual(fn("Text2", book + "!A1")[1], "K12+235.689")
        self.assertEqual(fn("Text2", book + "!B1")[1], "路基")
        self.assertEqual(fn("ViewF", book + "!A2")[1], "=A1*2")
        self.assertEqual(fn("Text2", "A1")[:2], (1, "#VALUE!"))
        self.assertEqual(fn("RangeAddress", "--cell", "C7")[1], "C7")
        self.assertEqual(fn("RangeAddress", "--cell", "Sheet2!AB12")[1], "AB12")
        self.assertEqual(fn("RangeAddress")[:2], (1, "#VALUE!"))

    def test_vlook_zh_d(self):
        cells = {}
        for r, (station, offset, level) in enumerate([(12200, -5, 310.1), (12200, 0, 311.2), (12220.004, 0, 312.5)], 1):
            cells.update({"A%d" % r: station, "B%d" % r: offset, "C%d" % r: level})
        book = self.book("table.xlsx", {"Sheet1": cells})
        table = book + "!A1:C3"
        self.assertEqual(fn("VlookZhD", 12200, 0, table, 3)[1], "311.2")
        self.assertEqual(fn("VlookZhD", 12200, "NO", table, 3)[1], "310.1")
        self.assertEqual(fn("VlookZhD", 12200, 5, table, 3, 0, 999999)[1], "310.1")
        self.assertEqual(fn("VlookZhD", 12220, 0, table, 3)[1], "-999999")
        self.assertEqual(fn("VlookZhD", 12220, 0, table, 3, 0.005)[1], "312.5")
        self.assertEqual(fn("VlookZhD", 12200, 0, table, 4)[1], "-999999")
        self.assertEqual(fn("VlookZhD", 12200, 0, book + "!A1", 1)[1], "-999999")

    def test_csv_ranges(self):
        csv_path = self.path("profile.csv")
        with open(csv_path, "w") as f:
            f.write("0,100,\n300,103,6000\n700,99,\n")
        self.assertEqual(fn("GetH", 300, csv_path + "!A1:C3")[1], "102.7")

    def test_rand0(self):
        seen = set()
        for _ in range(30):
            status, out, _ = fn("Rand0", 1, 3)
            self.assertEqual(status, 0)
            seen.add(out)
        self.assertTrue(seen <= {"1", "2", "3"} and len(seen) > 1, seen)
        status, out, _ = fn("Rand0", 0, 1, 2)
        self.assertTrue(0 <= float(out) <= 1 and len(out.partition(".")[2]) <= 2, out)
        self.assertEqual(fn("Rand0", 0, 1, 10)[1], "0")


class UsageTest(FunctionsTest):
    def test_help_lists_every_function(self):
        status, out, _ = run("fn", "--help")
        self.assertEqual(status, 0)
        for name in ["GetH", "Text2", "GetJK", "GetHP", "VlookZhD", "HHR", "GetPoint", "Pl", "Rand0", "RangeAddress",
                     "DMS", "DEG", "FWJ", "JL", "ViewF"]:
            self.assertIn("  %s(" % name, out)
        status, out, _ = run("fn", "VlookZhD", "--help")
        self.assertEqual(status, 0)
        self.assertTrue(out.startswith("VlookZhD(zh, D, scrRange, Column, [zhDig=0], [DDig=0])"), out)
        self.assertIn("zhDig: number, by reference, optional (default 0)", out)

    def test_unknown_names_and_wrong_counts_exit_2_with_one_line(self):
        for args in (["fn", "Nope", "1"], ["fn", "JL", "1", "2"], ["fn", "DMS", "1", "2", "3"], ["fn"],
                     ["fn", "GetH", "1", "missing.xlsx!A1:C3"]):
            status, out, err = run(*args)
            self.assertEqual(status, 2, args)
            self.assertEqual(out, "")
            self.assertEqual(len(err.strip().splitlines()), 1, err)

    def test_a_value_that_is_not_a_number_is_the_hosts_error(self):
        self.assertEqual(fn("JL", 0, 0, "abc", 1), (1, "#VALUE!", ""))


if __name__ == "__main__":
    unittest.main()
