"""kestrel plot: the sheets read back by poppler (pdfinfo, pdftotext, pdffonts, pdftoppm), the ground
line measured in a rendered page against the survey, and the preview of kestrel draw."""
import math
import os
import pty
import re
import subprocess
import unittest

import openpyxl

from kestrel_cli import KESTREL, TempDirTest, need_tools, run, survey_book



def station_text(station):
    km, m = divmod(round(station * 1000), 1000000)
    return f"K{km}+{m // 1000:03d}.{m % 1000:03d}"


def tool(*args):
    done = subprocess.run(list(args), capture_output=True, text=True, timeout=300)
    assert done.returncode == 0, done.stderr
    return done.stdout


def words(pdf, page):
    """[(text, xMin, yMin, xMax, yMax)] of one page in points, from pdftotext -bbox."""
    html = tool("pdftotext", "-bbox", "-f", str(page), "-l", str(page), pdf, "-")
    return [(w, float(a), float(b), float(c), float(d)) for a, b, c, d, w in
            re.findall(r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>', html)]


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    magic, width, height, _, body = re.match(rb"(P6)\s+(\d+)\s+(\d+)\s+(\d+)\s(.*)", data, re.S).groups()
    return int(width), int(height), body


class PlotTest(TempDirTest):
    def setUp(self):
        need_tools("pdfinfo", "pdftotext", "pdffonts", "pdftoppm", why="poppler-utils")
        super().setUp()

    def plot(self, book, *options, expect=0):
        status, _, err = run("plot", book, *options)
        self.assertEqual(status, expect, err)
        return err

    def test_a_sheet_set_in_station_order(self):
        # 30 sections 1 m high (levels 100.2 to 100.8), recorded out of order. On A4 at 1:200 a
        # cell is 11 mm of text, 5 mm of grid and a 5 mm gap: 12 fit the 263 mm of a column, 24 a
        # page of two columns: 2 pages.
        stations = [12000 + 20 * k for k in range(30)]
        recorded = stations[15:] + stations[:15][::-1]
        book = self.path("survey.xlsx")
        survey_book(book, [(s, [(-6, 100.2), (0, 100.5), (6, 100.8)]) for s in recorded])
        pdf = self.path("sections.pdf")
        err = self.plot(book, "-o", pdf, "--paper", "A4", "--columns", "2")
        self.assertIn("30 sections on 2 pages", err)
        self.assertNotIn("plotting", err)  # no progress line into a redirected stream
        self.assertIn("plotting page 2 of 2", on_a_terminal("plot", book, "-o", pdf, "--paper", "A4", "--columns", "2"))
        info = tool("pdfinfo", pdf)
        self.assertRegex(info, r"Pages:\s+2\n")
        self.assertRegex(info, r"Page size:\s+595\.2\d* x 841\.8\d* pts \(A4\)")
        fonts = [l.split() for l in tool("pdffonts", pdf).splitlines()[2:]]
        cjk = [f for f in fonts if "WenQuanYi" in f[0] and f[1:3] == ["CID", "TrueType"]]
        self.assertTrue(cjk, fonts)
        self.assertTrue(all(f[-5] == "yes" for f in fonts), fonts)  # every font embedded
        pages = [words(pdf, p) for p in (1, 2)]
        everything = tool("pdftotext", pdf, "-")
        for k, station in enumerate(stations):
            text = station_text(station)
            self.assertEqual(everything.count(text), 1, text)
            found = [w for w in pages[k // 24] if w[0] == text]
            self.assertEqual(len(found), 1, (text, k))
        for page in (1, 2):  # pdftotext drops the spaces between Chinese characters
            self.assertIn(f"第{page}页共2页", tool("pdftotext", "-f", str(page), "-l", str(page), pdf, "-"))
        # Bottom to top in a column, the second column to the right of the first.
        place = {w[0]: w for w in pages[0]}
        for k in range(1, 24):
            below, above = place[station_text(stations[k - 1])], place[station_text(stations[k])]
            if k % 12:
                self.assertLess(above[2], below[2])
                self.assertAlmostEqual(above[1], below[1], delta=0.01)
            else:
                self.assertGreater(above[1], below[1] + 100)
        # --from and --to choose the stations; an .svg set is one file per page.
        err = self.plot(book, "-o", self.path("part.svg"), "--paper", "A4", "--columns", "1",
                        "--from", station_text(stations[3]), "--to", str(stations[20]))
        self.assertIn("18 sections on 2 pages", err)
        self.assertEqual(sorted(f for f in self.files() if f.endswith(".svg")), ["part-1.svg", "part-2.svg"])

    def test_the_ground_line_where_the_survey_puts_it(self):
        # One section at 1:100 with levels doubled, rendered at 254 dpi: 10 pixels a millimetre,
        # so 1 m is 100 pixels across and 200 pixels up.
        ground = [(-7.3, 101.45), (-2.1, 102.9), (1.6, 102.2), (6.8, 100.35)]
        book = self.path("one.xlsx")
        survey_book(book, [(5300, ground)])
        pdf = self.path("one.pdf")
        self.plot(book, "-o", pdf, "--paper", "A4", "--scale", "1:100", "--vertical-exaggeration", "2")
        labels = {w[0]: w for w in words(pdf, 1)}
        self.assertTrue({"100", "101", "102", "103"} <= labels.keys(), labels.keys())
        self.assertNotIn("99", labels)
        self.assertNotIn("104", labels)
        # The section's part of the page: from its elevation labels to a little above level 103.
        px = 254 / 72
        left = int(labels["103"][3] * px) + 2
        top = int(labels["103"][2] * px) - 40
        bottom = int(labels["100"][4] * px) + 40
        tool("pdftoppm", "-r", "254", "-x", str(left), "-y", str(top), "-W", "1600", "-H", str(bottom - top),
             pdf, self.path("crop"))
        width, height, body = read_ppm(self.path("crop-1.ppm"))

        def pixel(x, y):
            i = 3 * (y * width + x)
            return body[i], body[i + 1], body[i + 2]

        def grey(p):
            return max(p) - min(p) < 8 and 100 < p[0] < 235

        # The grid lines are rows of grey across the grid, 200 pixels apart, each beside its label.
        rows = [y for y in range(height) if sum(grey(pixel(x, y)) for x in range(0, 1600, 4)) > 150]
        lines = [sum(g) / len(g) for g in group(rows)]
        self.assertEqual(len(lines), 4, lines)
        for a, b in zip(lines, lines[1:]):
            self.assertAlmostEqual(b - a, 200, delta=1)
        for level, y in zip((103, 102, 101, 100), lines):
            label = labels[str(level)]
            self.assertAlmostEqual((label[2] + label[4]) / 2 * px - top, y, delta=6)
        # The centre line: the blue column.
        blue = [x for x in range(width) if sum(1 for y in range(0, height, 2)
                                               if pixel(x, y)[2] > 120 and pixel(x, y)[0] < 90) > 40]
        self.assertTrue(blue)
        centre = sum(blue) / len(blue)
        # Vertical grid lines a metre apart across the grid (their own columns of grey).
        columns = [x for x in range(width) if sum(grey(pixel(x, y)) for y in range(int(lines[0]), int(lines[-1]))) > 300]
        spaced = [sum(g) / len(g) for g in group(columns)]
        self.assertTrue(any(abs(c - (centre - 500)) <= 1 for c in spaced), (centre, spaced))
        self.assertTrue(any(abs(c - (centre + 300)) <= 1 for c in spaced), (centre, spaced))
        # The ground line, halfway between its points and a quarter of the way: dark pixels
        # centred where offset and level put them.
        level100 = lines[3]
        for (x0, z0), (x1, z1) in zip(ground, ground[1:]):
            for t in (0.25, 0.5):
                offset, level = x0 + t * (x1 - x0), z0 + t * (z1 - z0)
                x = round(centre + offset * 100)
                expected = level100 - (level - 100) * 200
                dark = [(y, 255 - min(pixel(x, y))) for y in range(int(expected) - 15, int(expected) + 16)
                        if max(pixel(x, y)) < 160]
                self.assertTrue(dark, (offset, level))
                y = sum(y * w for y, w in dark) / sum(w for _, w in dark)
                self.assertAlmostEqual(y, expected, delta=1, msg=(offset, level))

    def test_unusual_sections_and_an_empty_sheet(self):
        many = [(-12.5 + 0.05 * k, 300 + math.sin(k * 0.05)) for k in range(500)]
        wide = [(-200, 300), (0, 301), (200, 300.5)]
        book = self.path("odd.xlsx")
        survey_book(book, [(700, [(3.4, 300.25)]), (600, many), (800, wide)])
        pdf = self.path("odd.pdf")
        err = self.plot(book, "-o", pdf, "--paper", "A4", "--columns", "1")
        self.assertIn("3 sections on 1 page, 1 scaled down to fit a column", err)
        text = tool("pdftotext", pdf, "-")
        for station in (600, 700, 800):
            self.assertEqual(text.count(station_text(station)), 1)
        # 400 m in the 174 mm a grid has in an A4 column: the largest whole scale is 1:2299.
        self.assertEqual(re.findall(r"缩至 1:(\d+)", text), ["2299"])
        self.assertIn("中桩地面 301", text)

        empty = self.path("empty.xlsx")
        wb = openpyxl.Workbook()
        wb.active.title = "空"
        wb.save(empty)
        err = self.plot(empty, "-o", self.path("none.pdf"), expect=1)
        self.assertIn("no sections to plot on sheet 空", err)
        self.assertEqual(err.count("\n"), 1)
        err = self.plot(book, "-o", self.path("none.pdf"), "--from", "K9+000", expect=1)
        self.assertNotIn("none.pdf", self.files())
        status, _, err = run("plot", book, "-o", self.path("x.pdf"), "--paper", "B5")
        self.assertEqual(status, 2)
        self.assertIn("--paper", err)
        for exaggeration in ("nan", "-nan"):
            status, _, err = run("plot", book, "-o", self.path("x.pdf"), "--vertical-exaggeration", exaggeration)
            self.assertEqual((status, err.count("\n")), (2, 1), err)
            self.assertIn("--vertical-exaggeration", err)
        self.assertNotIn("x.pdf", self.files())

    def test_mistyped_sections_cost_what_the_page_shows(self):
        # A level typed as 1e7 or an offset as 1e8 is drawn scaled down, its grid every so many
        # kilometres; offsets of 1e11 fit no scale: the section is shown by its station and a note.
        # Each run ends with the page written, in small memory (its peak resident size measured).
        cases = {"level": [(-4, 10), (0, 1e7), (6, 11)], "offset": [(-4, 10), (0, 12), (1e8, 11)],
                 "far": [(-1e11, 10), (0, 12), (1e11, 11)]}
        for name, points in cases.items():
            with self.subTest(name=name):
                book = self.path(name + ".xlsx")
                survey_book(book, [(100, [(-5, 20), (0, 21), (5, 20.5)]), (120, points)])
                pdf = self.path(name + ".pdf")
                status, err, peak = measured("plot", book, "-o", pdf, "--paper", "A4", "--columns", "1")
                self.assertEqual(status, 0, err)
                self.assertLess(peak, 300 * 1024, "peak resident KB")
                self.assertLess(os.path.getsize(pdf), 1 << 20)
                text = tool("pdftotext", pdf, "-")
                for station in (100, 120):
                    self.assertEqual(text.count(station_text(station)), 1, text)
                far = name == "far"
                self.assertEqual(text.replace(" ", "").count("未绘:偏距或高程超出可绘范围"), int(far), text)
                self.assertEqual("beyond any scale shown by station and note (K0+120.000)" in err, far, err)
                if not far:
                    self.assertRegex(text, r"缩至 1:\d{8,}")
                # The other section keeps its own grid at the sheet's scale: 20 and 21 m labelled.
                labels = [w[0] for w in words(pdf, 1) if re.fullmatch(r"-?\d+", w[0])]
                self.assertTrue({"20", "21"} <= set(labels), labels)
                self.assertLess(len(labels), 80, labels)
                status, err, peak = measured("draw", book, "--preview", self.path(name + ".svg"))
                self.assertEqual(status, 0, err)
                self.assertLess(peak, 300 * 1024, "peak resident KB")
                self.assertLess(os.path.getsize(self.path(name + ".svg")), 1 << 20)

    def test_the_draw_preview_shows_the_first_sheet(self):
        book = self.path("survey.xlsx")
        survey_book(book, [(100 + 20 * k, [(-4, 10), (2, 12), (6, 11)]) for k in range(3)])
        status, _, err = run("draw", book, "--preview", self.path("page.svg"), "--preview-size", "420x594")
        self.assertEqual(status, 0, err)
        with open(self.path("page.svg"), encoding="utf-8") as f:
            svg = f.read()
        self.assertIn('viewBox="0 0 420 594"', svg)
        # The page's texts, as glyphs: the three stations and the title block are there.
        self.assertGreater(svg.count("<use"), 3 * 10 + 20)
        status, _, err = run("draw", book, "--preview", self.path("one.png"), "--section", "K0+120")
        self.assertEqual(status, 0, err)
        with open(self.path("one.png"), "rb") as f:
            head = f.read(24)
        self.assertEqual(int.from_bytes(head[16:20], "big"), math.ceil(297 * 120 / 25.4))  # an A3 page
        status, _, err = run("draw", book, "--preview", self.path("x.png"), "--section", "K0+130")
        self.assertEqual(status, 2)
        self.assertIn("no section at K0+130", err)


def measured(*args):
    """Runs kestrel; returns (exit status, stderr, peak resident size in KB)."""
    proc = subprocess.Popen([KESTREL, *args], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE)
    err = proc.stderr.read().decode()
    proc.stderr.close()
    _, status, usage = os.wait4(proc.pid, 0)
    proc.returncode = os.waitstatus_to_exitcode(status)
    return proc.returncode, err, usage.ru_maxrss


def on_a_terminal(*args):
    """What kestrel writes on standard error when that is a terminal."""
    master, slave = pty.openpty()
    done = subprocess.run([KESTREL, *args], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=slave,
                          timeout=300)
    os.close(slave)
    out = b""
    while True:
        try:
            chunk = os.read(master, 65536)
        except OSError:
            break
        if not chunk:
            break
        out += chunk
    os.close(master)
    assert done.returncode == 0, out
    return out.decode("utf-8", "replace")


def group(values):
    """Runs of consecutive integers."""
    runs = []
    for v in values:
        if runs and v - runs[-1][-1] <= 1:
            runs[-1].append(v)
        else:
            runs.append([v])
    return runs


if __name__ == "__main__":
    unittest.main()
