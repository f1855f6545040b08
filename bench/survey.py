#!/usr/bin/python3
"""The command-line tool on a survey of 100,000 points (10,000 sections of 10 points in field order):
kestrel sort, draw and volume --variant 6 --fill-stations in turn, each with its wall time and peak
memory, next to the time openpyxl takes to load and save the same workbook, measured in the same run.

  bench/survey.py [--kestrel build/linux/cli/kestrel] [--growth | --million] [--no-reference] [--keep DIR]

--growth runs 10,000 points first and prints how each command's time grows with 10 times the
points; --million does the same from 100,000 to 1,000,000 points, both in sections of 25 points (a
million points in sections of 10 would not fit a sheet once sorted: each section gains a separator
row, and a sheet has 1,048,576 rows). openpyxl takes minutes over a million points: --no-reference
leaves its figures out.
Figures only: compare runs on the same idle machine."""
import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

import openpyxl

HERE = os.path.dirname(os.path.abspath(__file__))
STEPS = [("sort", []), ("draw", []), ("volume", ["--variant", "6", "--fill-stations"])]


def survey(path, sections, per_section=10):
    """Points as a crew records them: section after section along the road (every 25th section
    recorded a few sections late), each section's points from one edge to the other and back on
    the next, stations measured to a few centimetres around the section's own. A name, B and C
    coordinates, D level, E station, F offset."""
    rng = random.Random(15)
    order = list(range(sections))
    for s in range(0, sections - 3, 25):
        order[s], order[s + 3] = order[s + 3], order[s]
    book = openpyxl.Workbook(write_only=True)
    sheet = book.create_sheet("实测")
    n = 0
    for s in order:
        station = 10000.0 + 20 * s
        offsets = [p * 2.5 - per_section * 1.25 for p in range(per_section)]
        if s % 2:
            offsets.reverse()
        for offset in offsets:
            n += 1
            sheet.append([f"P{n}", round(3500000 + offset, 3), round(500000 + station, 3),
                          round(300 + rng.uniform(-2, 2), 3), round(station + rng.uniform(-0.04, 0.04), 3),
                          offset])
    book.save(path)


def run_measured(args):
    """(wall seconds, peak resident MB) of one child process; exits on its failure."""
    start = time.perf_counter()
    child = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    err = child.stderr.read()
    _, status, usage = os.wait4(child.pid, 0)
    child.returncode = os.waitstatus_to_exitcode(status)
    wall = time.perf_counter() - start
    if child.returncode != 0:
        sys.exit(f"{' '.join(args)} failed ({child.returncode}): {err.decode(errors='replace').strip()}")
    return wall, usage.ru_maxrss / 1024


def openpyxl_round_trip(path, scratch):
    """Seconds for openpyxl to load the workbook and save it again, in a child process."""
    code = ("import sys, openpyxl\n"
            "openpyxl.load_workbook(sys.argv[1]).save(sys.argv[2])\n")
    return run_measured([sys.executable, "-c", code, path, scratch])


def bench(kestrel, points, work, per_section=10, reference=True):
    sections = points // per_section
    book = os.path.join(work, f"survey-{points}-{per_section}.xlsx")
    start = time.perf_counter()
    survey(book, sections, per_section)
    print(f"{points:,} points in {sections:,} sections: made in {time.perf_counter() - start:.1f} s, "
          f"{os.path.getsize(book) / 1e6:.1f} MB")
    print(f"  {'command':<44} {'wall s':>7} {'peak MB':>8}   {'openpyxl s':>10} {'ratio':>6}")
    times = {}
    for name, options in STEPS:
        openpyxl_time = openpyxl_round_trip(book, os.path.join(work, "openpyxl.xlsx"))[0] if reference else None
        wall, peak = run_measured([kestrel, name, book, *options])
        times[name] = wall
        label = " ".join(["kestrel", name, *options])
        compared = f"{openpyxl_time:10.3f} {openpyxl_time / wall:5.1f}x" if reference else f"{'-':>10} {'-':>6}"
        print(f"  {label:<44} {wall:7.3f} {peak:8.1f}   {compared}", flush=True)
    print(f"  result: {os.path.getsize(book) / 1e6:.1f} MB")
    return times


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    default = os.path.join(HERE, "..", "build", "linux", "cli", "kestrel")
    parser.add_argument("--kestrel", default=os.environ.get("KESTREL", default))
    parser.add_argument("--growth", action="store_true", help="10,000 points first, and the growth to 100,000")
    parser.add_argument("--million", action="store_true", help="also 1,000,000 points, and the growth")
    parser.add_argument("--no-reference", action="store_true", help="leave out openpyxl's times")
    parser.add_argument("--keep", metavar="DIR", help="leave the workbooks in DIR")
    options = parser.parse_args()
    work = options.keep or tempfile.mkdtemp(prefix="kestrel-survey-")
    os.makedirs(work, exist_ok=True)
    print("Survey benchmark (openpyxl: load and save of the same workbook; ratio = openpyxl / kestrel)")
    try:
        reference = not options.no_reference
        if options.growth:
            tenth = bench(options.kestrel, 10000, work, reference=reference)
        per_section = 25 if options.million else 10
        small = bench(options.kestrel, 100000, work, per_section, reference)
        if options.growth:
            print("  growth for 10x the points: " +
                  ", ".join(f"{name} {small[name] / tenth[name]:.1f}x" for name, _ in STEPS))
        if options.million:
            large = bench(options.kestrel, 1000000, work, per_section, reference)
            print("  growth for 10x the points: " +
                  ", ".join(f"{name} {large[name] / small[name]:.1f}x" for name, _ in STEPS))
    finally:
        if not options.keep:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
