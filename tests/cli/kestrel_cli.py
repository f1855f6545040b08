"""Helpers for the command-line tests: run the tool, make workbooks with openpyxl, ask LibreOffice."""
import csv
import io
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from oracle_tools import need_tool, need_tools  # noqa: E402  (re-exported for the tests)

KESTREL = os.environ.get("KESTREL", "kestrel")
SOURCE = os.environ.get("KESTREL_SOURCE", os.path.join(os.path.dirname(__file__), "..", ".."))


def run(*args, stdin=None):
    """Runs kestrel; returns (exit status, stdout, stderr) as text."""
    done = subprocess.run([KESTREL, *args], input=stdin, capture_output=True, text=True, timeout=600)
    return done.returncode, done.stdout, done.stderr


def dump_rows(*args):
    status, out, err = run("dump", *args)
    if status != 0:
        raise AssertionError(f"dump failed ({status}): {err}")
    return list(csv.reader(io.StringIO(out)))


class TempDirTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="kestrel-cli-")

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.dir, name)

    def files(self):
        return sorted(os.listdir(self.dir))


def need_libreoffice():
    """Ends the current test unless LibreOffice's soffice is on PATH (see oracle_tools)."""
    return need_tool("soffice", why="LibreOffice")


def libreoffice_cells(xlsx, workdir, recalculate):
    """What LibreOffice shows in each cell, {(sheet, "A1"): text}, with or without recalculating on
    load (the io tests' oracle script does the work)."""
    need_libreoffice()
    script = os.path.join(SOURCE, "tests", "io", "oracles", "writer_libreoffice.py")
    mode = "recalc" if recalculate else "cached"
    done = subprocess.run(["/usr/bin/python3", script, xlsx, workdir, mode], capture_output=True, text=True,
                          timeout=600)
    if done.returncode != 0:
        raise AssertionError(f"LibreOffice did not convert {xlsx}: {done.stdout}{done.stderr}")
    cells = {}
    for line in done.stdout.splitlines():
        kind, sheet, cell, text = line.split("\t")
        cells[(sheet, cell)] = text
    return cells


def survey_book(path, sections):
    """Writes a sorted survey sheet "实测": per section rows of A name, D level, E and F station,
    G offset, then an empty row. sections: [(station, [(offset, level), ...]), ...] in sheet order."""
    import openpyxl

    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "实测"
    row = 1
    for station, points in sections:
        for i, (offset, level) in enumerate(points):
            for column, value in ((1, f"P{i + 1}"), (4, level), (5, station), (6, station), (7, offset)):
                ws.cell(row, column, value)
            row += 1
        row += 1
    wb.save(path)
