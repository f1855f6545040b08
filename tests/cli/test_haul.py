"""The earthwork distribution through the tool: its least cost against an independent linear
program (scipy's linprog) on random roads, and the table's balance identities in the sheet as
LibreOffice recalculates it."""
import os
import pathlib
import random
import re
import subprocess
import unittest
from xml.etree import ElementTree

import openpyxl

from kestrel_cli import TempDirTest, libreoffice_cells, need_libreoffice, run
from oracle_tools import need_tool, oracles_required
try:
    import numpy
    from scipy.optimize import linprog
    from scipy.sparse import lil_matrix
except ImportError:  # pragma: no cover - reported by the tests
    linprog = None

FACTOR_II = 1.16  # 普通土, roads of class 二级及以上: the default class of the whole cut


def volume_book(path, stations, cuts, fills):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "体积"
    ws["A1"] = "土石挖填方量计算表"
    for i, (s, c, f) in enumerate(zip(stations, cuts, fills)):
        ws.cell(4 + i, 1, s)
        ws.cell(4 + i, 2, c)
        ws.cell(4 + i, 3, f)
    ws.cell(4 + len(stations), 1, "合计:")
    wb.save(path)


def random_road(rnd, count):
    stations, cuts, fills, s = [], [], [], rnd.choice([0.0, 1234.5])
    for _ in range(count):
        stations.append(s)
        cuts.append(round(max(0.0, rnd.gauss(8, 20)), 3))
        fills.append(round(max(0.0, rnd.gauss(8, 20)), 3))
        s += rnd.choice([5, 10, 20, 20, 20, 25.5, 40])
    return stations, cuts, fills


def optimum(stations, cuts, fills, free, overhaul, borrow, waste, barriers):
    """The least cost as a linear program over every giving and taking length, built here from
    the definitions: average end areas, cut compacted by the 普通土 factor, use in place first,
    a haul of d metres costing overhaul/1000 x max(0, d - free) a m³, none across a barrier."""
    places = []
    for k in range(1, len(stations)):
        length = stations[k] - stations[k - 1]
        cut = (cuts[k - 1] + cuts[k]) / 2 * length / FACTOR_II
        fill = (fills[k - 1] + fills[k]) / 2 * length
        used = min(cut, fill)
        places.append(((stations[k - 1] + stations[k]) / 2, cut - used, fill - used))
    givers = [p for p in places if p[1] > 1e-9]
    takers = [p for p in places if p[2] > 1e-9]
    side = lambda x: sum(1 for b in barriers if b < x)
    pairs = [(i, j) for i, g in enumerate(givers) for j, t in enumerate(takers) if side(g[0]) == side(t[0])]
    n = len(pairs) + len(givers) + len(takers)
    if n == 0:
        return 0.0
    cost = numpy.zeros(n)
    for v, (i, j) in enumerate(pairs):
        cost[v] = overhaul / 1000 * max(0.0, abs(givers[i][0] - takers[j][0]) - free)
    cost[len(pairs):len(pairs) + len(givers)] = waste
    cost[len(pairs) + len(givers):] = borrow
    rows = lil_matrix((len(givers) + len(takers), n))
    for v, (i, j) in enumerate(pairs):
        rows[i, v] = 1
        rows[len(givers) + j, v] = 1
    for i in range(len(givers)):
        rows[i, len(pairs) + i] = 1
    for j in range(len(takers)):
        rows[len(givers) + j, len(pairs) + len(givers) + j] = 1
    rhs = [g[1] for g in givers] + [t[2] for t in takers]
    result = linprog(cost, A_eq=rows.tocsr(), b_eq=rhs, bounds=(0, None), method="highs")
    assert result.status == 0, result.message
    return result.fun


def reported_cost(err):
    match = re.search(r"cost (\S+) 元", err)
    if not match:
        raise AssertionError("no cost in: " + err)
    return float(match.group(1))


class LeastCostTest(TempDirTest):
    def setUp(self):
        super().setUp()
        if linprog is None:
            if oracles_required():
                self.fail("scipy (python3-scipy) is required: KESTREL_REQUIRE_ORACLES=1")
            self.skipTest("scipy is not installed")

    def test_the_distribution_costs_what_the_linear_program_finds_least(self):
        rnd = random.Random(28)
        for case in range(40):
            count = rnd.choice([2, 3, 8, 30, 80, 200])
            stations, cuts, fills = random_road(rnd, count)
            free = rnd.choice([0, 20, 50, 100, 300])
            overhaul = rnd.choice([0.0, 4.0, 12.5, 60.0])
            borrow = rnd.choice([0.0, 8.0, 15.0])
            waste = rnd.choice([0.0, 2.0, 6.5])
            barriers = sorted(rnd.uniform(stations[0], stations[-1]) for _ in range(rnd.choice([0, 0, 1, 3])))
            book = self.path("road%d.xlsx" % case)
            volume_book(book, stations, cuts, fills)
            args = ["haul", book, "--free-haul", str(free), "--overhaul-price", str(overhaul),
                    "--borrow-price", str(borrow), "--waste-price", str(waste)]
            for b in barriers:
                args += ["--barrier", repr(b)]
            status, _, err = run(*args)
            with self.subTest(case=case, count=count, free=free, overhaul=overhaul, borrow=borrow, waste=waste,
                              barriers=barriers):
                self.assertEqual(status, 0, err)
                best = optimum(stations, cuts, fills, free, overhaul, borrow, waste, barriers)
                self.assertLessEqual(abs(reported_cost(err) - best), 1e-6 * max(1.0, abs(best)))


class RefusalTest(TempDirTest):
    """Input that cannot make a distribution: one plain line, exit 2, the workbook untouched."""

    def test_bad_input_is_refused_in_one_line_and_changes_nothing(self):
        book = self.path("road.xlsx")
        volume_book(book, [0, 20, 40], [10, 0, 5], [0, 8, 0])
        plain = self.path("plain.xlsx")
        wb = openpyxl.Workbook()
        wb.active["A1"] = "P1"
        wb.save(plain)
        backwards = self.path("backwards.xlsx")
        volume_book(backwards, [0, 40, 20], [10, 0, 5], [0, 8, 0])
        cases = [
            ((plain,), "neither a design results sheet"),
            ((backwards,), "stations do not increase at K0+020.000"),
            ((book, "--class", "0,40,50,40,0,0,0,0"), "adds up to 90 per cent"),
            ((book, "--class", "0,40,50,50"), "six per cents"),
            ((book, "--road-class", "一级"), "--road-class"),
            ((book, "--free-haul", "-5"), "free haul"),
            ((book, "--factors", "1,1,1,0,1,1"), "greater than 0"),
            ((book, "--exclude", "K0+040,K0+020"), "excluded range"),
            ((book, "--diagram", self.path("d.txt")), "--diagram"),
        ]
        for args, message in cases:
            with self.subTest(args=args):
                before = {f: pathlib.Path(self.path(f)).read_bytes() for f in self.files()}
                status, out, err = run("haul", *args)
                self.assertEqual(status, 2, err)
                self.assertEqual(len(err.strip().splitlines()), 1, err)
                self.assertIn(message, err)
                self.assertEqual({f: pathlib.Path(self.path(f)).read_bytes() for f in self.files()}, before)


def shown_number(text):
    return float(text.replace(",", "").strip())


class TableIdentityTest(TempDirTest):
    """The sheet's own formulas, recalculated by LibreOffice, keep every balance on every row and
    in every total, with classes, factors, shapes, a bridge and a barrier in play."""

    def test_libreoffice_recalculation_keeps_every_balance(self):
        need_libreoffice()
        rnd = random.Random(5)
        stations, cuts, fills = random_road(rnd, 47)
        stations = [s * 3 for s in stations]  # over a kilometre, for two summary rows
        book, out = self.path("road.xlsx"), self.path("table.xlsx")
        volume_book(book, stations, cuts, fills)
        status, _, err = run("haul", book, "-o", out, "--road-class", "三、四级", "--free-haul", "60",
                             "--overhaul-price", "20", "--borrow-price", "12", "--waste-price", "4",
                             "--class", "%r,%r,10,50,20,20,0,0" % (stations[0], stations[20]),
                             "--class", "%r,%r,0,0,30,30,30,10" % (stations[20], stations[-1]),
                             "--frustum-ratio", "3", "--pyramid", "--exclude", "%r,%r" % (stations[5] + 1, stations[7]),
                             "--barrier", repr(stations[30]), "--rows-per-page", "20")
        self.assertEqual(status, 0, err)
        name = openpyxl.load_workbook(out).sheetnames[0]
        shown = libreoffice_cells(out, self.path("lo"), recalculate=True)
        self.assertEqual(shown[(name, "A1")], "路基土石方数量计算表")
        self.assertEqual(shown[(name, "J4")], "1.11")  # the factors used, on the sheet

        def value(column, row):
            return shown_number(shown.get((name, "%s%d" % (column, row)), "0"))

        kinds = {}
        row = 5
        while (name, "A%d" % row) in shown:
            kinds[row] = shown[(name, "A%d" % row)]
            row += 1
        station_rows = [r for r, t in kinds.items() if t.startswith("K")]
        page_rows = [r for r, t in kinds.items() if t == "本页合计"]
        total_row = next(r for r, t in kinds.items() if t == "合计")
        self.assertEqual(len(station_rows), len(stations))
        self.assertEqual(len(page_rows), 3)
        tolerance = 0.0025
        for r in station_rows[1:] + page_rows + [total_row]:
            with self.subTest(row=r, kind=kinds[r]):
                cut, fill, used = value("P", r), value("Q", r), value("T", r)
                deficit, surplus = value("U", r), value("V", r)
                hauled_in, hauled_out, borrow, waste = value("W", r), value("Y", r), value("AA", r), value("AC", r)
                self.assertAlmostEqual(fill, value("R", r) + value("S", r), delta=tolerance)  # soil + rock
                self.assertGreaterEqual(value("S", r), -0.0005)
                self.assertAlmostEqual(fill, used + deficit, delta=tolerance)
                self.assertAlmostEqual(cut, used + surplus, delta=tolerance)
                self.assertAlmostEqual(deficit, hauled_in + borrow, delta=tolerance)
                self.assertAlmostEqual(surplus, hauled_out + waste, delta=tolerance)
                self.assertAlmostEqual(cut + borrow + hauled_in, fill + waste + hauled_out, delta=tolerance)
                self.assertGreaterEqual(borrow, -0.0005)
                self.assertGreaterEqual(waste, -0.0005)
                classes = sum(value(c, r) for c in "JKLMNO")
                self.assertAlmostEqual(classes, value("I", r), delta=tolerance)
        # Whole road: what is hauled in was hauled out, so cut and borrow balance fill and waste.
        self.assertAlmostEqual(value("W", total_row), value("Y", total_row), delta=0.002)
        self.assertAlmostEqual(value("P", total_row) + value("AA", total_row),
                               value("Q", total_row) + value("AC", total_row), delta=0.005)
        # The rock in the fill is the rock share (classes IV to VI, compacted) of the cut that is
        # used, in place or hauled away: no rock is made or lost on the way.
        def rock_share(r):
            rock = sum(value(c, r) / value(c, 4) for c in "MNO")
            return rock / value("P", r) if value("P", r) > 0 else 0
        used_rock = sum(rock_share(r) * (value("T", r) + value("Y", r)) for r in station_rows[1:])
        self.assertGreater(used_rock, 1)
        self.assertAlmostEqual(value("S", total_row), used_rock, delta=0.01)
        for column in ["I", "P", "Q", "R", "S", "T", "U", "V", "W", "Y", "AA", "AC"]:
            pages = sum(value(column, r) for r in page_rows)
            self.assertAlmostEqual(pages, value(column, total_row), delta=0.005, msg=column)
        kilometres = [r for r in range(total_row + 1, total_row + 12) if shown.get((name, "A%d" % r), "").startswith("K")]
        self.assertGreaterEqual(len(kilometres), 2)
        for column in ("P", "Q", "S", "AA", "AC"):
            self.assertAlmostEqual(sum(value(column, r) for r in kilometres), value(column, total_row), delta=0.005)
        # The values the tool stored with its formulas are the ones LibreOffice computes, so a
        # reader that does not recalculate shows the same table.
        cached = openpyxl.load_workbook(out, data_only=True)[name]
        compared = 0
        for (sheet, ref), text in shown.items():
            if sheet != name or not re.fullmatch(r"-?[\d,]+(\.\d+)?", text) or ref[0] == "A":
                continue
            digits = len(text.split(".")[1]) if "." in text else 0
            stored = cached[ref].value
            self.assertIsInstance(stored, (int, float), ref)
            self.assertAlmostEqual(stored, shown_number(text), delta=0.5 * 10 ** -digits + 1e-9, msg=ref)
            compared += 1
        self.assertGreater(compared, 1000)
        # The costs from the price cells equal the tool's own total.
        cost_row = next(r for r in range(total_row, total_row + 30) if shown.get((name, "A%d" % r)) == "调配总费用(元)")
        self.assertAlmostEqual(value("B", cost_row), reported_cost(err), delta=0.006)


class DiagramTest(TempDirTest):
    """The worked example of the README as an SVG page: its mass curve through the ordinates
    worked by hand, its hauls as labelled arrows, and a page another SVG reader draws."""

    def test_svg_page_of_the_worked_example(self):
        rsvg = need_tool("rsvg-convert", why="librsvg, to draw the SVG page")
        book, svg, png = self.path("road.xlsx"), self.path("haul.svg"), self.path("haul.png")
        volume_book(book, [0, 20, 40, 60], [12, 8, 0, 0], [0, 0, 10, 15])
        status, _, err = run("haul", book, "--road-class", "三、四级", "--class", "0,60,0,0,100,0,0,0",
                             "--diagram", svg)
        self.assertEqual(status, 0, err)
        ns = "{http://www.w3.org/2000/svg}"
        root = ElementTree.parse(svg).getroot()
        self.assertEqual((root.tag, root.get("width"), root.get("height")), (ns + "svg", "420mm", "297mm"))
        texts = [t.text for t in root.iter(ns + "text")]
        self.assertIn("土石方累积曲线 (调配图)", texts)
        # The mass curve: 0, +200, +180, -70 m³ at K0+000 to K0+060, evenly across the frame.
        curves = [[tuple(map(float, p.split(","))) for p in line.get("points").split()]
                  for line in root.iter(ns + "polyline") if line.get("stroke") == "#000000" and
                  line.get("stroke-width") == "0.45"]
        self.assertEqual(len(curves), 1)
        xs, ys = zip(*curves[0])
        self.assertEqual(len(xs), 4)
        for k in (1, 2):
            self.assertAlmostEqual(xs[k] - xs[0], k * (xs[3] - xs[0]) / 3, delta=0.01)
        ordinates = [0, 200, 180, -70]
        millimetres_per_m3 = (ys[0] - ys[1]) / 200  # the page's y runs down
        self.assertGreater(millimetres_per_m3, 0)
        for y, ordinate in zip(ys, ordinates):
            self.assertAlmostEqual(ys[0] - y, ordinate * millimetres_per_m3, delta=0.01)
        # Both hauls drawn, each labelled with its volume and distance or counted as unlabelled.
        arrows = [p for p in root.iter(ns + "polygon")]
        labels = [t for t in texts if t and re.fullmatch(r"[\d.]+m³ [\d.]+m", t)]
        self.assertEqual(len(arrows), 2)
        unlabelled = [t for t in texts if t and "条调运箭头未标注" in t]
        self.assertEqual(len(labels) + (int(unlabelled[0].split()[0]) if unlabelled else 0), 2)
        drawn = subprocess.run([rsvg, "-w", "1200", svg, "-o", png], capture_output=True)
        self.assertEqual(drawn.returncode, 0, drawn.stderr)
        self.assertGreater(os.path.getsize(png), 10000)


if __name__ == "__main__":
    unittest.main()
