"""Workbook files through the tool: dump, rewrite, LibreOffice, bad files, help."""
import os
import shutil
import struct
import subprocess
import unittest
import zipfile

import openpyxl
from openpyxl.comments import Comment

from kestrel_cli import KESTREL, TempDirTest, dump_rows, libreoffice_cells, need_libreoffice, run


def make_book(path):
    """A workbook as a surveyor keeps one: numbers, Chinese texts, formulas, formats, a merge, a note."""
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "实测"
    ws["A1"] = "桩号"
    ws["B1"] = "高程"
    ws["C1"] = "说明"
    ws["A2"] = 12235.689
    ws["A2"].number_format = '"K"0+000.000'
    ws["B2"] = 310.5
    ws["B2"].number_format = "0.000"
    ws["C2"] = "0050"                      # a text that looks like a number stays a text
    ws["A3"] = 12240
    ws["A3"].number_format = '"K"0+000.000'
    ws["B3"] = -1.25
    ws["B3"].number_format = "0.000_ ;[Red]-0.000 "
    ws["C3"] = "=A3-A2"
    ws["D3"] = '="200," & B2'
    ws["E3"] = "=SUM(B2:B3)"
    ws["A5"] = "合计:"
    ws.merge_cells("A5:C5")
    ws["D5"] = True
    ws["B2"].comment = Comment("检查每个断面数据：\r\n正文", "Kestrel")
    ws.column_dimensions["A"].width = 14
    ws.row_dimensions[1].height = 30
    other = wb.create_sheet("Profile")
    other["A1"] = 0
    other["B1"] = 100
    wb.save(path)


def program_interpreter(path):
    """The dynamic loader a 64-bit ELF program names (its PT_INTERP header), or None."""
    with open(path, "rb") as elf:
        image = elf.read()
    (headers,) = struct.unpack_from("<Q", image, 0x20)
    size, count = struct.unpack_from("<HH", image, 0x36)
    for k in range(count):
        kind, _, at, _, _, length = struct.unpack_from("<IIQQQQ", image, headers + k * size)
        if kind == 3:
            return image[at:at + length].rstrip(b"\0").decode()
    return None


class DumpTest(TempDirTest):
    def setUp(self):
        super().setUp()
        self.book = self.path("survey.xlsx")
        make_book(self.book)

    def test_values_in_the_general_form(self):
        rows = dump_rows(self.book)
        # Each row ends at its last value: empty trailing cells are not written.
        self.assertEqual(rows[0], ["桩号", "高程", "说明"])
        self.assertEqual(rows[1], ["12235.689", "310.5", "0050"])
        # openpyxl stores no cached results: the formulas read as empty values.
        self.assertEqual(rows[2][:2], ["12240", "-1.25"])
        self.assertEqual(rows[4][0], "合计:")
        self.assertEqual(rows[4][3], "TRUE")

    def test_formulas(self):
        rows = dump_rows(self.book, "--formulas")
        self.assertEqual(rows[2][2:], ["=A3-A2", '="200," & B2', "=SUM(B2:B3)"])
        self.assertEqual(rows[1][0], "12235.689")

    def test_display_text(self):
        rows = dump_rows(self.book, "--text")
        self.assertEqual(rows[1][0], "K12+235.689")
        self.assertEqual(rows[1][1], "310.500")
        self.assertEqual(rows[2][1], "-1.250 ")

    def test_another_sheet(self):
        self.assertEqual(dump_rows(self.book, "--sheet", "Profile"), [["0", "100"]])
        status, out, err = run("dump", self.book, "--sheet", "Nope")
        self.assertEqual(status, 2)
        self.assertEqual(out, "")
        self.assertEqual(len(err.strip().splitlines()), 1)
        self.assertIn("Nope", err)

    def test_rewrite_loses_nothing(self):
        copy = self.path("copy.xlsx")
        status, _, err = run("convert", self.book, copy)
        self.assertEqual(status, 0, err)
        self.assertEqual(dump_rows(copy, "--formulas"), dump_rows(self.book, "--formulas"))
        # Values and display text are the same but for the formulas, which now carry results.
        for mode in ([], ["--text"]):
            before, after = dump_rows(self.book, *mode), dump_rows(copy, *mode)
            after[2][2:5] = before[2][2:5]
            self.assertEqual(after, before, mode)
        wb = openpyxl.load_workbook(copy)
        ws = wb["实测"]
        self.assertEqual([str(m) for m in ws.merged_cells.ranges], ["A5:C5"])
        self.assertEqual(ws["B2"].comment.text.replace("\r\n", "\n"), "检查每个断面数据：\n正文")
        self.assertAlmostEqual(ws.column_dimensions["A"].width, 14, delta=0.75)
        self.assertAlmostEqual(ws.row_dimensions[1].height, 30)
        self.assertEqual(ws["A2"].number_format, '"K"0+000.000')
        self.assertEqual(wb.sheetnames, ["实测", "Profile"])

    def test_saved_formulas_carry_their_results(self):
        copy = self.path("copy.xlsx")
        self.assertEqual(run("convert", self.book, copy)[0], 0)
        cached = openpyxl.load_workbook(copy, data_only=True)["实测"]
        self.assertEqual(cached["C3"].value, 12240 - 12235.689)
        self.assertEqual(cached["D3"].value, "200,310.5")
        self.assertAlmostEqual(cached["E3"].value, 309.25)
        values = dump_rows(copy)[2][2:]
        self.assertAlmostEqual(float(values[0]), 4.311, places=12)
        self.assertEqual(values[1:], ["200,310.5", "309.25"])

    def test_libreoffice_shows_the_results_without_recalculating(self):
        need_libreoffice()
        copy = self.path("copy.xlsx")
        self.assertEqual(run("convert", self.book, copy)[0], 0)
        cached = libreoffice_cells(copy, self.dir, recalculate=False)
        recalculated = libreoffice_cells(copy, self.dir, recalculate=True)
        self.assertAlmostEqual(float(cached[("实测", "C3")]), 4.311, places=12)
        self.assertEqual([cached[("实测", c)] for c in ("D3", "E3")], ["200,310.5", "309.25"])
        self.assertEqual(cached, recalculated)
        self.assertEqual(cached[("实测", "A2")], "K12+235.689")

    def test_csv_round_trip(self):
        csv_path = self.path("points.csv")
        self.assertEqual(run("convert", self.book, csv_path)[0], 0)
        rows = dump_rows(csv_path)
        # A CSV has no types: "0050" comes back as the number 50, as a spreadsheet reads it.
        self.assertEqual(rows[1][:3], ["12235.689", "310.5", "50"])
        self.assertEqual(rows[0], ["桩号", "高程", "说明"])
        back = self.path("back.xlsx")
        self.assertEqual(run("convert", csv_path, back)[0], 0)
        self.assertEqual(dump_rows(back), rows)


class BadFileTest(TempDirTest):
    def check_refused(self, name, content):
        bad = self.path(name)
        with open(bad, "wb") as f:
            f.write(content)
        before = self.files()
        status, out, err = run("convert", bad, self.path("out.xlsx"))
        self.assertEqual(status, 2, err)
        lines = err.strip().splitlines()
        self.assertEqual(len(lines), 1, err)
        self.assertTrue(lines[0].startswith("kestrel: "), err)
        self.assertNotIn("Traceback", err)
        self.assertEqual(self.files(), before)  # nothing written
        status, _, err = run("dump", bad)
        self.assertEqual(status, 2)

    def test_not_a_zip(self):
        self.check_refused("text.xlsx", "桩号,高程\n".encode())

    def test_empty_file(self):
        self.check_refused("empty.xlsx", b"")

    def test_truncated_zip(self):
        good = self.path("good.xlsx")
        make_book(good)
        data = open(good, "rb").read()
        os.remove(good)
        self.check_refused("cut.xlsx", data[: len(data) // 2])

    def rewritten(self, name, change):
        good = self.path("source.xlsx")
        make_book(good)
        bad = self.path(name)
        with zipfile.ZipFile(good) as src, zipfile.ZipFile(bad, "w") as dst:
            for item in src.infolist():
                data = change(item.filename, src.read(item.filename))
                if data is not None:
                    dst.writestr(item, data)
        os.remove(good)
        data = open(bad, "rb").read()
        os.remove(bad)
        return data

    def test_garbage_sheet_xml(self):
        data = self.rewritten("x.xlsx", lambda n, d: b"<worksheet><sheetData><row" if n.endswith("sheet1.xml") else d)
        self.check_refused("garbage.xlsx", data)

    def test_missing_sheet(self):
        data = self.rewritten("x.xlsx", lambda n, d: None if n.endswith("sheet1.xml") else d)
        self.check_refused("missing.xlsx", data)

    def test_missing_file_and_unknown_type(self):
        status, _, err = run("dump", self.path("nowhere.xlsx"))
        self.assertEqual(status, 2)
        self.assertEqual(len(err.strip().splitlines()), 1)
        self.check_refused("notes.txt", b"hello")

    def test_failed_save_leaves_the_target_and_no_temporary_file(self):
        good = self.path("good.xlsx")
        make_book(good)
        # A folder cannot be replaced by a file: the save fails after writing its temporary file.
        target = self.path("target.xlsx")
        os.mkdir(target)
        with open(os.path.join(target, "keep.txt"), "w") as f:
            f.write("old content")
        before = self.files()
        status, _, err = run("convert", good, target)
        self.assertEqual(status, 2, err)
        self.assertEqual(len(err.strip().splitlines()), 1, err)
        self.assertEqual(self.files(), before)
        self.assertEqual(open(os.path.join(target, "keep.txt")).read(), "old content")


class HelpTest(unittest.TestCase):
    COMMANDS = ["dump", "convert", "fn", "sort", "save-dic", "show-dic", "draw", "plot", "volume", "template", "design",
                "haul", "export", "import", "demo"]

    def test_help_lists_every_command(self):
        status, out, _ = run("--help")
        self.assertEqual(status, 0)
        for name in self.COMMANDS:
            self.assertIn(name, out)

    def test_every_command_has_help(self):
        for name in self.COMMANDS:
            status, out, _ = run(name, "--help")
            self.assertEqual(status, 0, name)
            self.assertIn(name, out)

    def test_usage_errors_exit_2(self):
        self.assertEqual(run()[0], 2)
        self.assertEqual(run("nonsense")[0], 2)
        self.assertEqual(run("dump")[0], 2)
        status, out, _ = run("--version")
        self.assertEqual(status, 0)
        self.assertTrue(out.startswith("kestrel "))

    def test_the_heap_settings_reach_the_tool_however_it_is_started(self):
        # On Linux the tool starts itself again with its heap's settings in the environment.
        program = shutil.which(KESTREL) or KESTREL
        if "libmimalloc" in subprocess.run(["ldd", program], capture_output=True, text=True).stdout:
            told = subprocess.run([program, "--version"], capture_output=True, text=True,
                                  env={**os.environ, "MIMALLOC_VERBOSE": "1"})
            self.assertTrue(told.stdout.startswith("kestrel "))
            self.assertIn("option 'large_os_pages': 1", told.stderr)
            self.assertIn("option 'eager_commit_delay': 0", told.stderr)
        # Started by naming the dynamic loader, it is still the tool that runs, with its arguments.
        loader = program_interpreter(program)
        self.assertIsNotNone(loader)
        done = subprocess.run([loader, program, "--version"], capture_output=True, text=True)
        self.assertEqual(done.returncode, 0)
        self.assertTrue(done.stdout.startswith("kestrel "), done.stdout)


if __name__ == "__main__":
    unittest.main()
