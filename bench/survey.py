#!/usr/bin/python3
"""The command-line tool on a survey of 100,000 points (10,000 sections of 10 points in field order):
kestrel sort, draw, volume --variant 6 --fill-stations and design in turn, each with its wall time,
its peak memory and the floor of the workbook it wrote, and the peers reading and writing the drawn
workbook in the same run.

  bench/survey.py [--kestrel build/linux/cli/kestrel] [--growth | --million] [--no-reference] [--keep DIR]

The floor is the time zlib takes, on one core, to inflate every part of a workbook and deflate it
again at the level the tool writes (1): the least a command that reads and rewrites the whole file
could cost. The floor and each command are the best of three runs (a command's peak memory is the
highest of its three); a peer runs once. The peers are openpyxl (Python), SheetJS (npm `xlsx`) and exceljs (npm), each loading
the drawn workbook and saving it again (`scripts/setup bench` installs them); "peer/kestrel" is the
fastest peer's time over the command's.
--growth runs 10,000 points first and prints how each command's time grows with 10 times the
points; --million does the same from 100,000 to 1,000,000 points, both in sections of 25 points (a
million points in sections of 10 would not fit a sheet once sorted: each section gains a separator
row, and a sheet has 1,048,576 rows). The growth is measured apart from the tables: each command
runs GROWTH_RUNS times on both sizes' workbooks taken in turn, so that a spell of a busy machine
slows both sizes alike, and the growth is the ratio of the best runs, in wall time and in processor
time (user and system). The peers take minutes over a million points: --no-reference leaves them
out.
Figures only: compare runs on the same idle machine, and say the machine's load with them."""
import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile
import zlib

import openpyxl

HERE = os.path.dirname(os.path.abspath(__file__))
PEERS_FOLDER = os.path.join(HERE, "..", "build", "peers", "node_modules")
STEPS = [("sort", []), ("draw", []), ("volume", ["--variant", "6", "--fill-stations"]),
         ("design", ["--sheet", "实测", "--profile", "{profile}", "--template", "{template}"])]
PART_LEVEL = 1  # the deflate level of the tool's parts
RUNS = 3  # each command runs this many times on the same workbook, as the floor is measured
GROWTH_RUNS = 5  # each command's runs on each size for the growth, the sizes taken in turn


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


# Runs a command and prints its exit code, wall seconds, peak resident kB and processor seconds
# (user and system). A child's peak as the kernel reports it is at least its parent's own at the
# time it was started (the child begins as a copy of the parent), and this benchmark holds whole
# workbooks: the command is started from a fresh interpreter of about 10 MB instead, so that its
# peak is its own.
MEASURER = (
    "import os, subprocess, sys, time\n"
    "start = time.perf_counter()\n"
    "child = subprocess.Popen(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)\n"
    "err = child.stderr.read()\n"
    "_, status, usage = os.wait4(child.pid, 0)\n"
    "wall = time.perf_counter() - start\n"
    "sys.stderr.buffer.write(err)\n"
    "print(os.waitstatus_to_exitcode(status), wall, usage.ru_maxrss, usage.ru_utime + usage.ru_stime)\n")


def run_measured(args, processor=False):
    """(wall seconds, peak resident MB) of one child process, and its processor seconds when asked;
    exits on its failure."""
    measured = subprocess.run([sys.executable, "-c", MEASURER, *args], capture_output=True)
    figures = measured.stdout.split()
    if measured.returncode != 0 or len(figures) != 4 or int(figures[0]) != 0:
        sys.exit(f"{' '.join(args)} failed: {measured.stderr.decode(errors='replace').strip()}")
    wall, peak = float(figures[1]), int(figures[2]) / 1024
    return (wall, peak, float(figures[3])) if processor else (wall, peak)


def best_of_runs(args, book):
    """(best wall seconds, highest peak MB) of RUNS runs of a command that rewrites `book`, each on
    the workbook as it was before the first; `book` is left as the last run wrote it."""
    before = book + ".before"
    shutil.copyfile(book, before)
    walls, peaks = [], []
    for run in range(RUNS):
        if run:
            shutil.copyfile(before, book)
        wall, peak = run_measured(args)
        walls.append(wall)
        peaks.append(peak)
    os.remove(before)
    return min(walls), max(peaks)


def openpyxl_round_trip(path, scratch):
    """(seconds, peak MB) for openpyxl to load the workbook and save it again, in a child process."""
    code = ("import sys, openpyxl\n"
            "openpyxl.load_workbook(sys.argv[1]).save(sys.argv[2])\n")
    return run_measured([sys.executable, "-c", code, path, scratch])


def node_round_trip(peer, path, scratch):
    """(seconds, peak MB) for a peer from npm to read the workbook and write it again."""
    if not os.path.isdir(os.path.join(PEERS_FOLDER, peer)):
        sys.exit(f"the peer {peer} is not installed: run scripts/setup bench (or pass --no-reference)")
    os.environ["NODE_PATH"] = os.path.abspath(PEERS_FOLDER)
    return run_measured(["node", os.path.join(HERE, "peers.js"), peer, path, scratch])


def compressed_parts(path):
    """Every part of a zip file as (method, its stored bytes), read straight from the archive."""
    parts = []
    with zipfile.ZipFile(path) as archive, open(path, "rb") as raw:
        for info in archive.infolist():
            raw.seek(info.header_offset)
            header = raw.read(30)
            name_length = int.from_bytes(header[26:28], "little")
            extra_length = int.from_bytes(header[28:30], "little")
            raw.seek(info.header_offset + 30 + name_length + extra_length)
            parts.append((info.compress_type, raw.read(info.compress_size)))
    return parts


def floor_seconds(path):
    """Seconds zlib takes on one core to inflate every part of the workbook and deflate it again
    at the tool's level (the best of three)."""
    parts = compressed_parts(path)
    best = None
    for _ in range(3):
        start = time.perf_counter()
        for method, stored in parts:
            body = zlib.decompress(stored, -15) if method == zipfile.ZIP_DEFLATED else stored
            packer = zlib.compressobj(PART_LEVEL, zlib.DEFLATED, -15)
            packer.compress(body)
            packer.flush()
        seconds = time.perf_counter() - start
        best = seconds if best is None else min(best, seconds)
    return best


def design_inputs(kestrel, work, sections):
    """A profile over the survey's stations (grade changes every 2 km) as a .ZM file, and the
    tool's example template."""
    first, last = 10000.0, 10000.0 + 20 * (sections - 1)
    rows = [(first, 300.0, 0)]
    station, level, grade = first, 300.0, 0.01
    while station + 2000 < last:
        station += 2000
        level += 2000 * grade
        grade = -grade
        rows.append((station, round(level, 3), 20000))
    rows.append((last, round(level + (last - station) * grade, 3), 0))
    table = os.path.join(work, "profile.csv")
    with open(table, "w") as f:
        f.writelines(f"{s},{h},{r}\n" for s, h, r in rows)
    profile, template = os.path.join(work, "road.ZM"), os.path.join(work, "road.tpl")
    run_measured([kestrel, "save-zm", table, profile])
    run_measured([kestrel, "template", template])
    return {"profile": profile, "template": template}


def bench(kestrel, points, work, per_section=10, reference=True):
    """Prints the table of one size; returns each command's arguments with the workbook as it was
    before the command, kept for the growth, by the command's name."""
    sections = points // per_section
    work = os.path.join(work, str(points))
    os.makedirs(work, exist_ok=True)
    book = os.path.join(work, f"survey-{points}-{per_section}.xlsx")
    start = time.perf_counter()
    survey(book, sections, per_section)
    inputs = design_inputs(kestrel, work, sections)
    print(f"{points:,} points in {sections:,} sections: made in {time.perf_counter() - start:.1f} s, "
          f"{os.path.getsize(book) / 1e6:.1f} MB; load {os.getloadavg()[0]:.2f}")
    rows, peers, commands = [], {}, {}
    for name, options in STEPS:
        before = f"{book}.before-{name}.xlsx"
        shutil.copyfile(book, before)
        commands[name] = (before, [kestrel, name, book, *[o.format(**inputs) for o in options]])
        wall, peak = best_of_runs(commands[name][1], book)
        floor = floor_seconds(book)
        shown = options if name != "design" else ["--profile", "F.ZM", "--template", "F.tpl"]
        rows.append((" ".join(["kestrel", name, *shown]), wall, peak, floor))
        if name == "draw" and reference:
            scratch = os.path.join(work, "peer.xlsx")
            peers["openpyxl"] = openpyxl_round_trip(book, scratch)
            for peer in ("xlsx", "exceljs"):
                peers[peer] = node_round_trip(peer, book, scratch)
    print(f"  {'command':<48} {'wall s':>7} {'peak MB':>8} {'floor s':>8} {'x floor':>8} {'peer/kestrel':>13}")
    fastest = min(peers.items(), key=lambda item: item[1][0]) if peers else None
    for label, wall, peak, floor in rows:
        compared = f"{fastest[1][0] / wall:12.1f}x" if fastest else f"{'-':>13}"
        print(f"  {label:<48} {wall:7.3f} {peak:8.1f} {floor:8.3f} {wall / floor:7.2f}x {compared}", flush=True)
    for peer, (wall, peak) in peers.items():
        print(f"  peer {peer:<43} {wall:7.3f} {peak:8.1f}   (load and save of the drawn workbook)")
    if fastest:
        print(f"  fastest peer: {fastest[0]}")
    print(f"  result: {os.path.getsize(book) / 1e6:.1f} MB")
    return commands


def growth(small, large):
    """Prints how each command's best wall and processor times grow from the `small` workbooks to
    the `large` ones (bench's commands), the two sizes run in turn GROWTH_RUNS times each."""
    figures = []
    for name, _ in STEPS:
        best = {}
        for _ in range(GROWTH_RUNS):
            for size, commands in (("small", small), ("large", large)):
                before, args = commands[name]
                shutil.copyfile(before, args[2])
                wall, _, processor = run_measured(args, processor=True)
                best_wall, best_processor = best.get(size, (wall, processor))
                best[size] = (min(best_wall, wall), min(best_processor, processor))
        figures.append(f"{name} {best['large'][0] / best['small'][0]:.1f}x "
                       f"(processor {best['large'][1] / best['small'][1]:.1f}x)")
    print(f"  growth for 10x the points, best of {GROWTH_RUNS} runs of each size in turn: " + ", ".join(figures),
          flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    default = os.path.join(HERE, "..", "build", "linux", "cli", "kestrel")
    parser.add_argument("--kestrel", default=os.environ.get("KESTREL", default))
    parser.add_argument("--growth", action="store_true", help="10,000 points first, and the growth to 100,000")
    parser.add_argument("--million", action="store_true",
                        help="also 1,000,000 points (without the peers), and the growth")
    parser.add_argument("--no-reference", action="store_true", help="leave out the peers' times")
    parser.add_argument("--keep", metavar="DIR", help="leave the workbooks in DIR")
    options = parser.parse_args()
    work = options.keep or tempfile.mkdtemp(prefix="kestrel-survey-")
    os.makedirs(work, exist_ok=True)
    print("Survey benchmark (floor: zlib inflating and deflating every part at level 1 on one core; "
          "peers: load and save of the drawn workbook)")
    try:
        reference = not options.no_reference
        if options.growth:
            tenth = bench(options.kestrel, 10000, work, reference=reference)
        per_section = 25 if options.million else 10
        small = bench(options.kestrel, 100000, work, per_section, reference)
        if options.growth:
            growth(tenth, small)
        if options.million:
            # The peers are measured at 100,000 points only: at a million, exceljs runs out of
            # node's 4 GB heap after some ten minutes.
            large = bench(options.kestrel, 1000000, work, per_section, reference=False)
            growth(small, large)
    finally:
        if not options.keep:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
