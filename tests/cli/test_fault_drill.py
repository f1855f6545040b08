"""A refusing workbook at every call of a command: the tool never crashes, and a command that stops
leaves BOOK byte for byte as it was (KESTREL_FAIL_HOST_CALL=N fails the N-th call)."""
import os
import re
import subprocess
import unittest

import openpyxl

from kestrel_cli import KESTREL, TempDirTest


def raw_survey(path):
    """Nine points of three sections in field order: A name, D level, E station, F offset."""
    book = openpyxl.Workbook()
    sheet = book.active
    points = [(120, -4, 10.2), (100, 3, 11.0), (140, 0, 12.5), (100, -3, 10.4), (120, 5, 10.9),
              (140, -6, 12.1), (100, 0, 10.8), (120, 0, 10.5), (140, 4, 12.9)]
    for row, (station, offset, level) in enumerate(points, start=1):
        sheet.cell(row, 1, f"p{row}")
        sheet.cell(row, 4, level)
        sheet.cell(row, 5, station)
        sheet.cell(row, 6, offset)
    book.save(path)


def run_with_fault(args, call):
    env = dict(os.environ, KESTREL_FAIL_HOST_CALL=str(call))
    done = subprocess.run([KESTREL, *args], capture_output=True, text=True, timeout=600, env=env)
    return done.returncode, done.stderr


class FaultDrillTest(TempDirTest):
    def sweep(self, book, args):
        """Fails each call of the command in turn on a fresh copy of book; returns the call count."""
        with open(book, "rb") as f:
            before = f.read()
        copy = self.path("b.xlsx")
        with open(copy, "wb") as f:
            f.write(before)
        status, err = run_with_fault([args[0], copy, *args[1:]], 10**9)
        self.assertEqual(status, 0, err)
        calls = int(re.search(r"fault drill: the command made (\d+) calls", err).group(1))
        self.assertGreater(calls, 5)
        for call in range(1, calls + 1):
            with open(copy, "wb") as f:
                f.write(before)
            status, err = run_with_fault([args[0], copy, *args[1:]], call)
            where = f"{' '.join(args)} failing at call {call}: {err}"
            self.assertIn(status, (0, 1), where)
            if status == 1:
                with open(copy, "rb") as f:
                    self.assertEqual(f.read(), before, where)
            else:
                openpyxl.load_workbook(copy)  # what a skipped step leaves is still a workbook
            leftovers = [n for n in os.listdir(self.dir) if n not in ("b.xlsx", "raw.xlsx", "sorted.xlsx",
                                                                      "drawn.xlsx")]
            self.assertEqual(leftovers, [], where)
        return calls

    def test_sort_draw_and_volume_refused_anywhere(self):
        raw = self.path("raw.xlsx")
        raw_survey(raw)
        self.sweep(raw, ["sort"])
        sorted_book = self.path("sorted.xlsx")
        self.assertEqual(subprocess.run([KESTREL, "sort", raw, "-o", sorted_book], capture_output=True).returncode, 0)
        self.sweep(sorted_book, ["draw"])
        drawn = self.path("drawn.xlsx")
        self.assertEqual(subprocess.run([KESTREL, "draw", sorted_book, "-o", drawn], capture_output=True).returncode, 0)
        self.sweep(drawn, ["volume", "--variant", "6", "--fill-stations"])


if __name__ == "__main__":
    unittest.main()
