"""Worksheet-function calls on real files, with answers worked out by hand from the definitions of
the vertical curve and of the cross-slope transitions (never taken from Kestrel): a profile with
a crest and a sag curve and one with a bare corner (.ZM), a cross-slope file with a flat, a
changing and a rising stretch (.hp), read linearly and along the cubic transition.

The Wine tests call them through Kestrel.dll from 32- and 64-bit VBScript (run_automation_script.py),
tests/cli/test_function_cases.py through `kestrel fn`; both write the files with write_files().
"""
from pathlib import Path

# Points (station, elevation, radius): start, two grade changes, end.
#   Crest at 300: grades +0.01 in, -0.01 out, change -0.02; T = 6000 x 0.02 / 2 = 60: the curve
#   runs from 240 (elevation 103 - 0.6 = 102.4) to 360; on it H = 102.4 + 0.01 d - d^2 / 12000.
#   Sag at 700: grades -0.01 in, +0.02 out, change +0.03; T = 8000 x 0.03 / 2 = 120: from 580
#   (99 + 1.2 = 100.2) to 820; on it H = 100.2 - 0.01 d + d^2 / 16000.
PROFILE_LINES = ["0,100,300,103,700,99,6000", "300,103,700,99,1000,105,8000"]
PROFILE = [
    (-100, 99.0),  # before the profile: the first grade extended, 100 - 0.01 x 100
    (100, 101.0),  # on the first grade
    (240, 102.4),  # the crest curve's start
    (270, 102.625),  # d = 30: 102.4 + 0.3 - 900 / 12000
    (300, 102.7),  # d = 60, under the grade change: 102.4 + 0.6 - 3600 / 12000
    (345, 102.53125),  # d = 105: 102.4 + 1.05 - 11025 / 12000
    (360, 102.4),  # the crest's end: 103 - 0.01 x 60 on the outgoing grade
    (500, 101.0),  # between the curves: 103 - 0.01 x 200
    (580, 100.2),  # the sag curve's start
    (640, 99.825),  # d = 60: 100.2 - 0.6 + 3600 / 16000
    (700, 99.9),  # d = 120: 100.2 - 1.2 + 14400 / 16000
    (760, 100.425),  # d = 180: 100.2 - 1.8 + 32400 / 16000
    (820, 101.4),  # the sag's end: 99 + 0.02 x 120
    (900, 103.0),  # on the last grade: 99 + 0.02 x 200
    (1100, 107.0),  # beyond the profile: the last grade extended
]
# The same first three points without a curve: the grades meet at the corner.
CORNER_LINES = ["0,100,300,103,700,99,0"]
CORNER = [(300, 103.0), (150, 101.5), (500, 101.0)]

# Control stations: station, left value, right value. 0-100 flat (-2 | 2); 100-200 the sides turn
# over (-2 -> 3 | 2 -> -3); 200-300 the left rises (3 -> 4), the right stays at -3.
# Linear: v = from + (to - from) (x - x0) / L. Cubic: v = from + (3 t^2 - 2 t^3)(to - from),
# t = (x - x0) / L: t = 0.25 gives 0.15625, 0.5 gives 0.5, 0.75 gives 0.84375.
SLOPE_LINES = ["0,-2,2", "100,-2,2", "200,3,-3", "300,4,-3"]
SLOPES = [
    # (station, offset, model, value)
    (50, -3.5, 1, -2.0),  # left, flat stretch
    (125, -3.5, 1, -0.75),  # -2 + 5 x 0.25
    (150, -3.5, 1, 0.5),  # -2 + 5 x 0.5
    (150, 3.5, 1, -0.5),  # right: 2 - 5 x 0.5
    (125, -3.5, 3, -1.21875),  # -2 + 5 x 0.15625
    (150, -3.5, 3, 0.5),  # the cubic passes the middle with the line
    (175, 3.5, 3, -2.21875),  # 2 - 5 x 0.84375
    (100, -3.5, 3, -2.0),  # a shared control station: the earlier stretch's end
    (200, 0, 1, -3.0),  # offset 0 is the right side
    (275, -1, 3, 3.84375),  # 3 + 1 x 0.84375
    (250, 2, 3, -3.0),  # the right side stays
    (150, -3.5, 2, 0.0),  # no such model: 0
]


def utf16_file(path, lines):
    """A data file as the add-in writes it: UTF-16LE with its byte-order mark, CR LF after each line."""
    Path(path).write_bytes(b"\xff\xfe" + "".join(line + "\r\n" for line in lines).encode("utf-16-le"))


def write_files(folder):
    """Writes the files into `folder`; their paths by role."""
    folder = Path(folder)
    paths = {"profile": folder / "road.ZM", "corner": folder / "corner.ZM", "slopes": folder / "road.hp",
             "wrong magic": folder / "wrong.ZM"}
    utf16_file(paths["profile"], ["QuillbeckFile2.0-ZM", *PROFILE_LINES])
    utf16_file(paths["corner"], ["QuillbeckFile2.0-ZM", *CORNER_LINES])
    utf16_file(paths["slopes"], ["KestrelFile2.0-HP", *SLOPE_LINES])
    utf16_file(paths["wrong magic"], ["quillbeckFile2.0-ZM", *PROFILE_LINES])
    return paths


def cases(path_of):
    """The calls and their answers, in the format of function_cases.json; `path_of(role)` gives the
    file name the caller passes (a Windows path for the DLL). Numbers are compared to 1e-9."""
    found = []

    def add(function, arguments, expected):
        found.append({"function": function, "arguments": arguments, "expected": expected, "tolerance": 1e-9})

    for station, elevation in PROFILE:
        add("GetH", [station, path_of("profile")], repr(elevation))
    for station, elevation in CORNER:
        add("GetH", [station, path_of("corner")], repr(elevation))
    add("GetH", [300, path_of("wrong magic")], "-1")  # the magic line differs by case
    add("GetH", [300, path_of("profile")], "102.7")  # read again after the other files
    for station, offset, model, value in SLOPES:
        add("GetHP", [station, offset, path_of("slopes"), model], repr(value))
    add("GetJK", [150, -3.5, path_of("slopes")], "0.5")  # the same computation, model 1 by default
    return found
