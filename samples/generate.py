#!/usr/bin/env python3
"""Generates the bundled sample survey (CSV files beside this script), deterministically.

A 700 m stretch of a two-lane road on rolling ground, measured every 20 m or so:
  survey.csv      one surveyed point per row, in the order the crew recorded them:
                  A point name, B northing X, C easting Y, D elevation, E station, F offset, G code
  profile.csv     vertical profile: station, elevation, vertical-curve radius
  crossfall.csv   cross slope (per cent): station, left, right
  stations.csv    station-location dictionary: station, origin X, origin Y, origin level
  coordinates.csv the centre line's station-coordinate table (逐桩坐标表) every 50 m: station,
                  X northing, Y easting, azimuth (degrees, minutes, seconds)
Run it again after changing it; the files are committed so that nobody needs Python to use them.
"""
import csv
import math
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))
rng = random.Random(20261207)

START = 12200.0                 # K12+200
SECTIONS = 36
AZIMUTH = math.radians(58.5)    # of the centre line, clockwise from north
ORIGIN_X, ORIGIN_Y = 3415230.0, 512870.0   # survey coordinates of K12+200


def ground_centre(station):
    """Natural ground on the centre line: a gentle rise with two swells."""
    s = station - START
    return 310.0 + 0.012 * s + 1.8 * math.sin(s / 95.0) + 0.9 * math.sin(s / 37.0 + 1.3)


def ground_at(station, offset):
    """Ground across the section: a side slope that changes sign along the road, and a ditch."""
    s = station - START
    side_fall = 0.06 * math.sin(s / 160.0 + 0.4)
    z = ground_centre(station) + side_fall * offset - 0.004 * offset * offset
    if 7.0 < abs(offset) < 9.0:
        z -= 0.35 * math.sin((abs(offset) - 7.0) / 2.0 * math.pi)
    return z


def point_xy(station, offset):
    s = station - START
    # Offset is positive to the right of the direction of travel.
    x = ORIGIN_X + s * math.cos(AZIMUTH) - offset * math.sin(AZIMUTH)
    y = ORIGIN_Y + s * math.sin(AZIMUTH) + offset * math.cos(AZIMUTH)
    return x, y


def section_offsets(on_centre):
    """Offsets a crew would shoot: break points out to about 15 m each side."""
    left = sorted({round(-rng.uniform(1.5, 15.5), 2) for _ in range(rng.randint(3, 6))})
    right = sorted({round(rng.uniform(1.5, 15.5), 2) for _ in range(rng.randint(3, 6))})
    centre = [0.0] if on_centre else [round(rng.choice([-1, 1]) * rng.uniform(0.2, 0.9), 2)]
    # Recorded from the centre outwards: first the left side, then the right side.
    return centre + list(reversed(left)) + right


def main():
    stations = [START + 20.0 * k + round(rng.uniform(-0.45, 0.45), 3) for k in range(SECTIONS)]
    on_centre = set(rng.sample(range(SECTIONS), 5))
    # The crew worked in blocks and came back for a few sections later on.
    order = list(range(SECTIONS))
    revisits = [order.pop(i) for i in (30, 17, 9)]
    order[12:12] = revisits[:1]
    order += revisits[1:]

    codes = {0: "中桩"}
    rows = []
    number = 1
    for k in order:
        station = stations[k]
        for offset in section_offsets(k in on_centre):
            x, y = point_xy(station, offset)
            z = ground_at(station, offset) + rng.uniform(-0.02, 0.02)
            code = "中桩" if offset == 0 else ("沟底" if 7.2 < abs(offset) < 8.8 else "")
            rows.append([f"P{number}", f"{x:.3f}", f"{y:.3f}", f"{z:.3f}", f"{station:.3f}", f"{offset:.2f}", code])
            number += 1
    write("survey.csv", rows)

    profile = [[12180, 311.20, 0], [12390, 315.55, 4500], [12610, 314.10, 6000], [12930, 318.80, 0]]
    write("profile.csv", [[f"{s:g}", f"{z:.3f}", f"{r:g}"] for s, z, r in profile])

    crossfall = [[12180, -2, -2], [12400, -2, -2], [12460, -2, 2], [12520, 3, -3], [12650, 3, -3],
                 [12700, -2, -2], [12930, -2, -2]]
    write("crossfall.csv", [[f"{s:g}", f"{l:g}", f"{r:g}"] for s, l, r in crossfall])

    # The design drawing has a frame for every other section; the rest are placed by spacing.
    dictionary = []
    for i, k in enumerate(range(0, SECTIONS, 2)):
        design_station = round(stations[k] / 5) * 5
        dictionary.append([f"{design_station:g}", f"{1000 + 60 * (i % 6):g}",
                           f"{500 - 40 * (i // 6):g}", f"{math.floor(ground_centre(design_station)) - 5:g}"])
    write("stations.csv", dictionary)

    # The design documents' station-coordinate table of the (straight) centre line.
    degrees = math.degrees(AZIMUTH)
    minutes = (degrees - int(degrees)) * 60
    azimuth = f"{int(degrees)}°{int(minutes):02d}'{(minutes - int(minutes)) * 60:04.1f}\""
    table = [["桩号", "X", "Y", "方位角"]]
    for station in range(12150, 12951, 50):
        x, y = point_xy(station, 0)
        table.append([f"K{station // 1000}+{station % 1000:03d}.000", f"{x:.4f}", f"{y:.4f}", azimuth])
    write("coordinates.csv", table)


def write(name, rows):
    with open(os.path.join(HERE, name), "w", newline="", encoding="utf-8") as f:
        csv.writer(f, lineterminator="\n").writerows(rows)


if __name__ == "__main__":
    main()
