"""The drawing files of kestrel draw (DXF, AutoCAD script, preview picture) against the draw-data
columns of the same run: ezdxf reads and audits the DXF, LibreCAD renders it, openpyxl reads the
columns, and the tests take the column commands apart themselves."""
import os
import re
import shutil
import struct
import subprocess
import unittest
import xml.etree.ElementTree as ElementTree
import zlib

import ezdxf
import openpyxl
from ezdxf import recover

from kestrel_cli import SOURCE, TempDirTest, need_tool, run

WORKED = [  # A name, D level, E and F station, G offset: the worked example's two sections
    ("p1", 10, 100, -4), ("p2", 12, 100, 2), ("p3", 11, 100, 6), None, ("p5", 20, 120, -3), ("p6", 22, 120, 3)]

SECTIONS, STATIONS, CENTRES, LEVELS = "KESTREL-SECTIONS", "KESTREL-STATIONS", "KESTREL-CENTRES", "KESTREL-LEVELS"


def worked_book(path, station_format=None):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "实测"
    for r, row in enumerate(WORKED, start=1):
        if row is None:
            continue
        name, level, station, offset = row
        ws.cell(r, 1, name)
        ws.cell(r, 4, level)
        ws.cell(r, 5, station)
        ws.cell(r, 6, station)
        ws.cell(r, 7, offset)
        if station_format:
            ws.cell(r, 6).number_format = station_format
    wb.save(path)


# --- the columns, taken apart -------------------------------------------------------------------

def point(text):
    x, y = text.split(",")
    return float(x), float(y)


def text_command(command):
    """"-text j MC x,y h 0 text" -> (x, y, height, rotation, text)."""
    m = re.fullmatch(r"-text j MC (\S+) (\S+) (\S+) (.*)", command, re.S)
    assert m, command
    x, y = point(m.group(1))
    return x, y, float(m.group(2)), float(m.group(3)), m.group(4)


def label_cell(cell):
    """"pl p1 p2 p3 c -text ..." with one TEXT command, or two parted by a carriage return."""
    cell = cell.replace("_x000D_", "\r")  # openpyxl leaves the file's escape as it stands
    head, texts = cell.split(" c ", 1)
    words = head.split(" ")
    assert words[0] == "pl", cell
    return [point(w) for w in words[1:]], [text_command(t.lstrip(" ")) for t in texts.split("\r")]


class Columns:
    """The final draw-data columns of a sheet: I polylines, K/L design and measured centre levels,
    M station labels, N design-centre formulas, O level labels."""

    def __init__(self, ws):
        def column(c):
            values = [ws.cell(r, c).value for r in range(1, ws.max_row + 1)]
            while values and values[-1] is None:
                values.pop()
            return values

        self.polylines = [[]]
        for cell in column(9):
            if cell == "  pl":
                self.polylines.append([])
            else:
                self.polylines[-1].append(point(cell))
        self.stations = [text_command(c) for c in column(13)]
        self.labels = [label_cell(c) for c in column(15)]
        self.measured_centres = column(12)
        self.centre_formulas = column(14)


def read_columns(book, sheet="实测"):
    return Columns(openpyxl.load_workbook(book)[sheet])


# --- the DXF against the columns ----------------------------------------------------------------

def audited(path):
    """The document read by ezdxf, after its audit and its recovering reader found nothing wrong."""
    doc, auditor = recover.readfile(path)
    assert not auditor.has_errors, [e.message for e in auditor.errors]
    assert not auditor.fixes, [e.message for e in auditor.fixes]
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    assert not auditor.has_errors, [e.message for e in auditor.errors]
    assert not auditor.fixes, [e.message for e in auditor.fixes]
    return doc


class DrawingFilesTest(TempDirTest):
    def draw(self, book, *options, dxf=True, script=True, preview=None):
        args = ["draw", book, *options]
        if dxf:
            args += ["--dxf", self.path("sections.dxf")]
        if script:
            args += ["--script", self.path("sections.scr")]
        if preview:
            args += ["--preview", self.path(preview)]
        status, _, err = run(*args)
        self.assertEqual(status, 0, err)
        return err

    def entities(self, doc, kind, layer):
        return [e for e in doc.modelspace() if e.dxftype() == kind and e.dxf.layer == layer]

    def assert_text_as_commanded(self, text, command):
        x, y, height, rotation, typed = command
        self.assertEqual(text.dxf.text, typed)
        self.assertEqual(text.dxf.halign, 1)  # centre
        self.assertEqual(text.dxf.valign, 2)  # middle
        alignment, p1, _ = text.get_placement()
        self.assertEqual(alignment, ezdxf.enums.TextEntityAlignment.MIDDLE_CENTER)
        self.assertEqual((p1.x, p1.y), (x, y))  # the point that counts for a justified text (11/21)
        self.assertEqual((text.dxf.align_point.x, text.dxf.align_point.y), (x, y))
        self.assertEqual((text.dxf.insert.x, text.dxf.insert.y), (x, y))  # 10/20, for readers that take it
        self.assertEqual(text.dxf.height, height)
        self.assertEqual(text.dxf.rotation, rotation)

    def assert_dxf_draws_the_columns(self, doc, columns):
        lines = self.entities(doc, "LWPOLYLINE", SECTIONS)
        drawn = [p for p in columns.polylines if len(p) >= 2]  # one point after PLINE makes nothing
        self.assertEqual([[tuple(v) for v in line.get_points("xy")] for line in lines], drawn)
        self.assertTrue(all(not line.closed for line in lines))

        stations = self.entities(doc, "TEXT", STATIONS)
        self.assertEqual(len(stations), len(columns.stations))
        for text, command in zip(stations, columns.stations):
            self.assert_text_as_commanded(text, command)

        triangles = self.entities(doc, "LWPOLYLINE", LEVELS)
        texts = self.entities(doc, "TEXT", LEVELS)
        self.assertEqual(len(triangles), len(columns.labels))
        self.assertEqual(len(texts), sum(len(t) for _, t in columns.labels))
        k = 0
        for triangle, (corners, commands) in zip(triangles, columns.labels):
            self.assertTrue(triangle.closed)
            self.assertEqual([tuple(v) for v in triangle.get_points("xy")], corners)
            for command in commands:
                self.assert_text_as_commanded(texts[k], command)
                k += 1

        # A design-centre point for every section with a measured centre level: x and base y
        # from the design-centre formula, y at the measured level (3 decimals in its column).
        points = self.entities(doc, "POINT", CENTRES)
        measured = [(i, v) for i, v in enumerate(columns.measured_centres) if v is not None]
        self.assertEqual(len(points), len(measured))
        for p, (i, level) in zip(points, measured):
            m = re.fullmatch(r'="(\S+),(\S+)?" & (\S+)\+K(\d+)', columns.centre_formulas[i])
            self.assertIsNotNone(m, columns.centre_formulas[i])
            self.assertEqual(int(m.group(4)), i + 1)
            self.assertEqual(p.dxf.location.x, float(m.group(1)))
            self.assertAlmostEqual(p.dxf.location.y, float(m.group(3)) + float(level), delta=0.0005)

    def test_the_worked_example(self):
        book = self.path("worked.xlsx")
        worked_book(book)
        err = self.draw(book)
        self.assertIn("wrote " + self.path("sections.dxf"), err)
        doc = audited(self.path("sections.dxf"))
        self.assertEqual(doc.dxfversion, "AC1021")
        columns = read_columns(book)
        self.assert_dxf_draws_the_columns(doc, columns)
        # 2 section polylines, 2 station texts, 6 level labels, at the worked example's places.
        self.assertEqual(len(self.entities(doc, "LWPOLYLINE", SECTIONS)), 2)
        self.assertEqual([t.dxf.text for t in self.entities(doc, "TEXT", STATIONS)], ["K0+100.000", "K0+120.000"])
        self.assertEqual(len(self.entities(doc, "LWPOLYLINE", LEVELS)), 6)
        self.assertEqual(len(self.entities(doc, "TEXT", LEVELS)), 6)
        self.assertEqual(self.entities(doc, "LWPOLYLINE", SECTIONS)[1].get_points("xy"), [(397, 20), (403, 22)])
        centres = self.entities(doc, "POINT", CENTRES)
        self.assertEqual([tuple(p.dxf.location)[:2] for p in centres], [(200, 11.3333333333333), (400, 21)])
        # The centre point is the tip of the centre level label.
        self.assertEqual(tuple(centres[0].dxf.location)[:2], columns.labels[0][0][0])
        # Nothing but what the columns draw.
        self.assertEqual(len(doc.modelspace()), 2 + 2 + 2 + 6 + 6)
        self.assertEqual(len(doc.layout("Layout1")), 0)
        style = doc.styles.get("KESTREL")
        self.assertEqual(style.dxf.height, 0)
        self.assertTrue(style.dxf.font.lower().endswith((".ttf", ".ttc")))

    def test_every_point_with_offsets(self):
        book = self.path("worked.xlsx")
        worked_book(book)
        self.draw(book, "--label-mode", "2", "--label-offsets", "--level-height", "1.4", "--digits", "1")
        doc = audited(self.path("sections.dxf"))
        columns = read_columns(book)
        self.assertEqual(len(columns.labels), 5)
        self.assert_dxf_draws_the_columns(doc, columns)
        texts = self.entities(doc, "TEXT", LEVELS)
        self.assertEqual(len(texts), 10)
        self.assertEqual(texts[0].dxf.text, "%%U10")  # AutoCAD's underline code, as the command types it
        self.assertEqual(texts[0].plain_text(), "10")
        self.assertEqual(texts[1].dxf.text, "-4")
        self.assertGreater(texts[0].dxf.insert.y, texts[1].dxf.insert.y)  # the level above the offset

    def test_the_sample_survey_with_a_dictionary(self):
        # The bundled sample, sorted, drawn with the sections found in its dictionary placed there.
        sample = os.path.join(SOURCE, "samples")
        for name in ("survey.csv", "stations.csv"):
            shutil.copy(os.path.join(sample, name), self.path(name))
        dic = self.path("stations.Dic")
        status, _, err = run("save-dic", self.path("stations.csv"), dic)
        self.assertEqual(status, 0, err)
        book = self.path("survey.xlsx")
        status, _, err = run("sort", self.path("survey.csv"), "--spacing", "5", "-o", book, "--yes")
        self.assertEqual(status, 0, err)
        sheet = openpyxl.load_workbook(book).sheetnames[0]
        self.draw(book, "--label-mode", "1", "--station-dy", "300", "--dic", dic)
        doc = audited(self.path("sections.dxf"))
        columns = read_columns(book, sheet)
        self.assertGreater(len(columns.stations), 20)
        self.assertIn(1000.0, [x for x, *_ in columns.stations])  # a section placed by the dictionary
        self.assert_dxf_draws_the_columns(doc, columns)

    def test_chinese_station_texts_stay_intact(self):
        book = self.path("worked.xlsx")
        worked_book(book, station_format='"桩号"0')
        self.draw(book)
        doc = audited(self.path("sections.dxf"))
        self.assertEqual([t.dxf.text for t in self.entities(doc, "TEXT", STATIONS)], ["桩号100", "桩号120"])
        with open(self.path("sections.dxf"), "rb") as f:
            self.assertIn("桩号100".encode("utf-8"), f.read())
        with open(self.path("sections.scr"), encoding="utf-8-sig", newline="") as f:
            self.assertIn("_.-TEXT _J _MC 400,20 1 0 桩号120\r\n", f.read())

    def test_librecad_renders_the_dxf(self):
        librecad = need_tool("librecad", why="LibreCAD")
        book = self.path("worked.xlsx")
        worked_book(book)
        self.draw(book, script=False)
        dxf = self.path("sections.dxf")
        # The same file without its entities: what LibreCAD gives for a drawing with nothing on it.
        with open(dxf, encoding="utf-8", newline="") as f:
            text = f.read()
        start = text.index("ENTITIES\r\n") + len("ENTITIES\r\n")
        end = text.index("  0\r\nENDSEC", start)
        empty = self.path("empty.dxf")
        with open(empty, "w", encoding="utf-8", newline="") as f:
            f.write(text[:start] + text[end:])
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=self.dir)
        for name in (dxf, empty):
            done = subprocess.run([librecad, "dxf2pdf", "-a", "-t", self.dir, name], capture_output=True, text=True,
                                  timeout=300, env=env, cwd=self.dir)
            self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        pdf, blank = self.path("sections.pdf"), self.path("empty.pdf")
        for name in (pdf, blank):
            with open(name, "rb") as f:
                self.assertEqual(f.read(5), b"%PDF-")
        # The drawing puts lines and texts on the page: far more than the empty drawing's page.
        self.assertGreater(os.path.getsize(pdf), os.path.getsize(blank) + 2000)

    def test_the_script_runs_the_columns_commands(self):
        book = self.path("worked.xlsx")
        worked_book(book)
        self.draw(book, "--label-offsets", dxf=False)
        with open(self.path("sections.scr"), "rb") as f:
            raw = f.read()
        self.assertTrue(raw.startswith(b"\xef\xbb\xbf"))  # UTF-8 with its byte-order mark
        self.assertNotIn(b"\n", raw.replace(b"\r\n", b""))  # CR LF line ends only
        lines = raw[3:].decode("utf-8").split("\r\n")
        self.assertEqual(lines[-1], "")  # the last line ends too
        lines = lines[:-1]
        columns = read_columns(book)

        commands = [l for l in lines if l and not l.startswith(";")]
        self.assertTrue(commands[0].startswith("(setq ") and '(getvar "OSMODE")' in commands[0], commands[0])
        self.assertEqual(commands[1], "_.SETVAR OSMODE 0")
        self.assertEqual(commands[-1], '(setvar "OSMODE" kestrel:osmode)')

        # Every PLINE with its points one per line, ended by an empty line or closed with _C.
        plines, i = [], 0
        while i < len(lines):
            if lines[i] == "_.PLINE":
                j = i + 1
                while lines[j] not in ("", "_C"):
                    j += 1
                plines.append(([point(p) for p in lines[i + 1:j]], lines[j] == "_C"))
                i = j
            i += 1
        texts = [text_command("-text j MC " + l[len("_.-TEXT _J _MC "):]) for l in lines if l.startswith("_.-TEXT")]
        expected_plines = [(p, False) for p in columns.polylines] + [(c, True) for c, _ in columns.labels]
        self.assertEqual(plines, expected_plines)
        self.assertEqual(texts, columns.stations + [t for _, commands in columns.labels for t in commands])
        self.assertIn("_.-TEXT _J _MC 200,13.3333333333333 0.7 0 %%U11.333", lines)

    def test_png_preview(self):
        book = self.path("worked.xlsx")
        worked_book(book)
        # The whole drawing true to scale (the default preview is the first plotted sheet).
        self.draw(book, "--preview-overview", "--preview-size", "900x360", dxf=False, script=False,
                  preview="sections.png")
        width, height, pixels = read_png(self.path("sections.png"))
        self.assertEqual((width, height), (900, 360))
        counts = {}
        for p in pixels:
            counts[p] = counts.get(p, 0) + 1
        white = counts.get((255, 255, 255), 0)
        self.assertLess(white, 0.995 * width * height)  # something is drawn
        self.assertGreater(white, 0.5 * width * height)  # on a white ground
        reddish = sum(n for (r, g, b), n in counts.items() if r > g + 60 and r > b + 60)
        greenish = sum(n for (r, g, b), n in counts.items() if g > r + 40 and g > b + 40)
        self.assertGreater(reddish, 50)  # level labels
        self.assertGreater(greenish, 50)  # station labels
        # Without a size, the picture follows the drawing: wider than high, like the sections.
        self.draw(book, "--preview-overview", dxf=False, script=False, preview="auto.png")
        width, height, _ = read_png(self.path("auto.png"))
        self.assertGreater(width, 2 * height)
        self.assertLessEqual(width, 4096)

    def test_svg_preview(self):
        book = self.path("worked.xlsx")
        worked_book(book)
        self.draw(book, "--preview-overview", "--preview-size", "800x300", dxf=False, script=False,
                  preview="sections.svg")
        root = ElementTree.parse(self.path("sections.svg")).getroot()
        self.assertEqual(root.tag, "{http://www.w3.org/2000/svg}svg")
        self.assertEqual(root.get("viewBox"), "0 0 800 300")
        self.assertEqual((root.get("width"), root.get("height")), ("800px", "300px"))
        paths = root.findall(".//{http://www.w3.org/2000/svg}path")
        uses = root.findall(".//{http://www.w3.org/2000/svg}use")
        self.assertGreater(len(paths), 8)  # two sections and six triangles at least
        self.assertGreater(len(uses), 6 * 2 + 2 * 10)  # every glyph of the labels

    def test_a_bad_preview_stops_before_anything_is_done(self):
        book = self.path("worked.xlsx")
        worked_book(book)
        with open(book, "rb") as f:
            before = f.read()
        status, _, err = run("draw", book, "--preview", self.path("x.jpg"))
        self.assertEqual(status, 2)
        self.assertIn(".png or an .svg", err)
        status, _, err = run("draw", book, "--preview", self.path("x.png"), "--preview-size", "wide")
        self.assertEqual(status, 2)
        with open(book, "rb") as f:
            self.assertEqual(f.read(), before)
        self.assertEqual(sorted(os.listdir(self.dir)), ["worked.xlsx"])

    def test_numbers_beyond_any_drawing(self):
        # Digits typed as 1e12 mean every digit a level has; spacings of 1e308 put the second
        # section beyond any number, which no overview of the drawing can hold: one line, and no
        # picture.
        book = self.path("worked.xlsx")
        worked_book(book)
        status, _, err = run("draw", book, "--digits", "1e12")
        self.assertEqual(status, 0, err)
        centre = openpyxl.load_workbook(book).active["O1"].value
        self.assertTrue(centre.endswith(" 0.7 0 11.3333333333333"), centre)
        status, _, err = run("draw", book, "--column-spacing", "1e308", "--preview", self.path("far.png"),
                             "--preview-overview")
        self.assertNotEqual(status, 0)
        self.assertEqual(err.strip().splitlines()[-1], "kestrel: the drawing is too large for a preview: "
                         + self.path("far.png"))
        self.assertFalse(os.path.exists(self.path("far.png")))


def read_png(path):
    """(width, height, [(r, g, b) per pixel]) of an 8-bit RGB or RGBA PNG, decoded here."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and colour in (2, 6), (depth, colour)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    channels = 4 if colour == 6 else 3
    raw = zlib.decompress(idat)
    stride = width * channels
    previous = bytearray(stride)
    pixels = []
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        pixels += [tuple(line[i:i + 3]) for i in range(0, stride, channels)]
        previous = line
    return width, height, pixels


if __name__ == "__main__":
    unittest.main()
