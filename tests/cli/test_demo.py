"""The demo, run as a new user runs it: from any directory, into a relative or an absolute folder;
its design elevations against the sample profile worked by the textbook parabola."""
import csv
import os
import subprocess

import openpyxl

from kestrel_cli import KESTREL, SOURCE, TempDirTest


def profile_points():
    with open(os.path.join(SOURCE, "samples", "profile.csv"), newline="") as f:
        return [tuple(float(v) for v in row) for row in csv.reader(f) if row]


def design_level(station, points):
    """The elevation on the grade lines between the points, rounded at each PVI by a parabola of
    tangent length R * |g2 - g1| / 2."""
    for (s0, h0, _), (s1, h1, r1), (s2, h2, _) in zip(points, points[1:], points[2:]):
        g1, g2 = (h1 - h0) / (s1 - s0), (h2 - h1) / (s2 - s1)
        t = r1 * abs(g2 - g1) / 2
        if s1 - t <= station <= s1 + t and t > 0:
            x = station - (s1 - t)
            return h1 - g1 * t + g1 * x + (g2 - g1) / (4 * t) * x * x
    for (s0, h0, _), (s1, h1, _) in zip(points, points[1:]):
        if s0 <= station <= s1:
            return h0 + (h1 - h0) / (s1 - s0) * (station - s0)
    raise AssertionError(f"station {station} lies outside the sample profile")


class DemoTest(TempDirTest):
    def run_demo(self, folder, cwd):
        done = subprocess.run([KESTREL, "demo", folder], capture_output=True, text=True, cwd=cwd, timeout=600)
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        return done.stdout

    def check_design_levels(self, book):
        ws = openpyxl.load_workbook(book)["设计高程"]
        points = profile_points()
        rows = list(ws.iter_rows(min_row=2, values_only=True))
        self.assertEqual(len(rows), 36)
        for station, level, *_ in rows:
            self.assertAlmostEqual(level, design_level(station, points), delta=1e-6, msg=f"station {station}")

    def test_design_levels_from_any_directory(self):
        elsewhere = self.path("elsewhere")
        os.mkdir(elsewhere)
        said = self.run_demo("out", elsewhere)
        self.assertIn("K12+200.000: 311.614 m", said)
        self.check_design_levels(os.path.join(elsewhere, "out", "sample-survey.xlsx"))
        self.run_demo(self.path("absolute"), "/")
        self.check_design_levels(self.path("absolute/sample-survey.xlsx"))
