"""The user's files stay safe: refused outputs, untouched inputs after a stop, saves that keep the
file's mode and links, bounded memory on sparse and bloated workbooks, exact numbers and texts."""
import os
import pathlib
import resource
import signal
import stat
import subprocess
import sys
import zipfile
import xml.dom.minidom

import openpyxl
from openpyxl.comments import Comment

from kestrel_cli import KESTREL, TempDirTest, dump_rows, run
from event_waits import CommitHold
from test_draw import worked_book


def utf16_file(path, text):
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + text.encode("utf-16-le"))


def small_book(path, title="实测"):
    wb = openpyxl.Workbook()
    wb.active.title = title
    wb.active["A1"] = "P1"
    wb.active["B1"] = 12
    wb.save(path)


def content(path):
    with open(path, "rb") as f:
        return f.read()


def peak_kib(*args):
    """Runs kestrel in a fresh interpreter; (exit status, stderr, peak resident KiB of kestrel)."""
    probe = ("import resource, subprocess, sys\n"
             "done = subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)\n"
             "print(done.returncode, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)\n"
             "sys.stdout.write(done.stderr)\n")
    done = subprocess.run([sys.executable, "-c", probe, KESTREL, *args], capture_output=True, text=True, timeout=600)
    first, _, err = done.stdout.partition("\n")
    status, peak = first.split()
    return int(status), err, int(peak)


def rewrite_part(path, part, text):
    """The package with one part replaced by `text` (bytes or str)."""
    data = text.encode("utf-8") if isinstance(text, str) else text
    with zipfile.ZipFile(path) as old:
        parts = [(i, old.read(i.filename)) for i in old.infolist()]
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as new:
        for info, body in parts:
            new.writestr(info.filename, data if info.filename == part else body)


def one_line(test, err):
    test.assertEqual(len(err.strip().splitlines()), 1, err)
    test.assertNotIn("[ERROR]", err)


class RefusedOutputsTest(TempDirTest):
    def test_outputs_that_are_the_workbook_or_each_other(self):
        book = self.path("B.xlsx")
        worked_book(book)
        os.symlink(book, self.path("link.xlsx"))
        before = content(book)
        cases = [
            ("draw", book, "--dxf", book),
            ("draw", book, "--dxf", self.path("link.xlsx")),               # the same inode by another name
            ("draw", book, "--dxf", self.path("x.dxf"), "--script", self.path("./x.dxf")),
            ("draw", book, "-o", self.path("o.xlsx"), "--preview", self.path("o.xlsx")),
            ("save-dic", book, book),
            ("save-zm", book, self.path("link.xlsx")),
            ("save-hp", book, book),
        ]
        for args in cases:
            status, _, err = run(*args)
            self.assertEqual(status, 2, args)
            one_line(self, err)
            self.assertIn("same file", err)
            self.assertEqual(content(book), before, args)
        self.assertEqual(self.files(), ["B.xlsx", "link.xlsx"])

    def test_a_csv_workbook_is_never_replaced_by_a_new_sheet(self):
        book = self.path("survey.csv")
        with open(book, "w") as f:
            f.write("P1,12240,310.5\n")
        before = content(book)
        dic = self.path("road.Dic")
        utf16_file(dic, "KestrelFile2.0\r\n12230,1000,500,310.5\r\n")
        for args in [("show-dic", dic, book), ("volume", book, "--sections", "2")]:
            status, _, err = run(*args)
            self.assertEqual(status, 2, args)
            one_line(self, err)
            self.assertEqual(content(book), before, args)
        # With -o naming an .xlsx both sheets are kept.
        listed = self.path("listed.xlsx")
        status, _, err = run("show-dic", dic, book, "-o", listed)
        self.assertEqual(status, 0, err)
        self.assertEqual(len(openpyxl.load_workbook(listed).sheetnames), 2)
        self.assertEqual(content(book), before)

    def test_a_missing_dictionary_is_missing_in_every_command(self):
        book = self.path("B.xlsx")
        worked_book(book)
        before = content(book)
        nowhere = self.path("nowhere.Dic")
        for args in [("sort", book, "--dic", nowhere), ("draw", book, "--dic", nowhere), ("show-dic", nowhere, book)]:
            status, _, err = run(*args)
            self.assertEqual(status, 2, args)
            one_line(self, err)
            self.assertIn("nowhere.Dic: no such file", err)
            self.assertEqual(content(book), before)


class StoppedCommandTest(TempDirTest):
    def test_a_command_that_stops_writes_nothing(self):
        book = self.path("B.xlsx")
        small_book(book)
        before = content(book)
        out = self.path("out.xlsx")
        # The dialog refuses a count beyond the sheet's rows: the command stops at that message.
        status, _, err = run("volume", book, "--sections", "1048576")
        self.assertEqual(status, 1, err)
        self.assertTrue(err.strip())
        self.assertEqual(content(book), before)
        # -o naming another file keeps the state at the stop, as the README says.
        status, _, err = run("volume", book, "--sections", "1048576", "-o", out)
        self.assertEqual(status, 1, err)
        self.assertEqual(content(book), before)
        self.assertTrue(os.path.exists(out))
        # A sort that cannot insert its separators below a cell in the sheet's last row.
        survey = self.path("S.xlsx")
        wb = openpyxl.Workbook()
        ws = wb.active
        for r, row in enumerate([("p1", 0, 0, 10, 100), ("p2", 0, 0, 12, 100), ("p3", 0, 0, 11, 120)], start=1):
            for c, v in enumerate(row, start=1):
                ws.cell(r, c, v)
        ws["A1048576"] = "far"
        wb.save(survey)
        before = content(survey)
        status, _, err = run("sort", survey, "--spacing", "20")
        self.assertEqual(status, 1, err)
        self.assertIn("S.xlsx", err)
        self.assertEqual(content(survey), before)

    def test_draw_writes_its_files_before_the_workbook_or_none(self):
        book = self.path("B.xlsx")
        worked_book(book)
        before = content(book)
        dxf = self.path("d.dxf")
        status, _, err = run("draw", book, "--dxf", dxf, "--script", self.path("no/such/folder/d.scr"))
        self.assertEqual(status, 2, err)
        self.assertIn("cannot write", err.strip().splitlines()[-1])
        self.assertNotIn("wrote", err)
        self.assertFalse(os.path.exists(dxf))
        self.assertEqual(content(book), before)


class SaveTest(TempDirTest):
    def test_mode_link_and_read_only_targets(self):
        source = self.path("source.xlsx")
        small_book(source)
        private = self.path("private.xlsx")
        small_book(private, "old")
        os.chmod(private, 0o600)
        status, _, err = run("convert", source, private)
        self.assertEqual(status, 0, err)
        self.assertEqual(stat.S_IMODE(os.stat(private).st_mode), 0o600)
        self.assertEqual(openpyxl.load_workbook(private).sheetnames, ["实测"])

        real = self.path("real.xlsx")
        small_book(real, "old")
        link = self.path("link.xlsx")
        os.symlink("real.xlsx", link)
        status, _, err = run("convert", source, link)
        self.assertEqual(status, 0, err)
        self.assertTrue(os.path.islink(link))
        self.assertEqual(openpyxl.load_workbook(real).sheetnames, ["实测"])

        locked = self.path("locked.xlsx")
        small_book(locked, "old")
        os.chmod(locked, 0o444)
        before = content(locked)
        status, _, err = run("convert", source, locked)
        self.assertEqual(status, 2, err)
        one_line(self, err)
        self.assertIn("locked.xlsx", err)
        self.assertIn(os.strerror(13), err)
        self.assertEqual(content(locked), before)
        self.assertEqual(stat.S_IMODE(os.stat(locked).st_mode), 0o444)

    def test_an_interrupted_save_leaves_no_temporary_file(self):
        big = self.path("big.csv")
        with open(big, "w") as f:
            for i in range(300000):
                f.write("%d,%d.25,text %d,%d\n" % (i, i, i, i * 7))
        target = self.path("t.xlsx")
        for sig in (signal.SIGINT, signal.SIGTERM):
            hold = CommitHold(self.dir, "t.xlsx")
            process = subprocess.Popen([KESTREL, "convert", big, target], stderr=subprocess.DEVNULL, env=hold.env())
            self.assertTrue(hold.reached(process))
            process.send_signal(sig)
            process.wait(timeout=120)
            hold.remove()
            self.assertEqual(process.returncode, -sig)
            self.assertEqual(self.files(), ["big.csv"], sig)

    def test_a_library_error_is_one_line_naming_the_file(self):
        # A name the system refuses once the temporary file's suffix is added: the library fails
        # to create its file and would say so on stderr itself.
        source = self.path("s.csv")
        with open(source, "w") as f:
            f.write("a,1\n")
        target = self.path("n" * 230 + ".xlsx")
        status, _, err = run("convert", source, target)
        self.assertEqual(status, 2, err)
        one_line(self, err)
        self.assertIn(target, err)
        self.assertEqual(self.files(), ["s.csv"])


class StateSheetTest(TempDirTest):
    def test_a_state_sheet_that_makes_no_sense_is_ignored(self):
        for count in (1048576, 2147483647, 2.5, "many"):
            book = self.path("state.xlsx")
            wb = openpyxl.Workbook()
            wb.active.title = "实测"
            wb.active["A1"] = "P1"
            state = wb.create_sheet("KestrelState")
            state.sheet_state = "hidden"
            state.append(["SectionList", count])
            wb.save(book)
            # A command that reads the whole book says so in one line (dump reads one sheet).
            copy = self.path("copy.xlsx")
            status, _, err = run("convert", book, copy)
            self.assertEqual(status, 0, (count, err))
            warnings = [line for line in err.splitlines() if line.startswith("kestrel:")]
            self.assertEqual(len(warnings), 1, err)
            self.assertIn("KestrelState", warnings[0])
            self.assertIn("state.xlsx", warnings[0])
            self.assertEqual(run("dump", copy)[1], "P1\n")
            # A later volume sheet does not take the nonsense for recorded sections.
            status, _, err = run("volume", book, "--fill-stations", "-o", self.path("v.xlsx"))
            self.assertEqual(status, 1, err)


class FidelityTest(TempDirTest):
    def test_numbers_survive_a_save_bit_for_bit(self):
        numbers = [0.1 + 0.2, 12235.689000000001, 1 / 3, 2.0 ** -1074, 1.7976931348623157e308, -9007199254740993.0,
                   123456789012345.67]
        book = self.path("n.csv")   # openpyxl itself writes 16 digits; the tool reads a CSV exactly
        with open(book, "w") as f:
            f.write("".join(repr(v) + "\n" for v in numbers))
        copy = self.path("copy.xlsx")
        status, _, err = run("convert", book, copy)
        self.assertEqual(status, 0, err)
        again = self.path("again.xlsx")
        status, _, err = run("convert", copy, again)
        self.assertEqual(status, 0, err)
        ws = openpyxl.load_workbook(again).active
        self.assertEqual([ws.cell(i, 1).value for i in range(1, len(numbers) + 1)], numbers)

    def test_texts_are_valid_and_exact_after_a_save(self):
        book = self.path("t.xlsx")
        wb = openpyxl.Workbook()
        ws = wb.active
        ws["A1"] = "placeholder-1"
        ws["A2"] = "placeholder-2"
        ws["A3"] = "placeholder-3"
        ws["A4"] = True
        ws["B4"] = False
        wb.save(book)
        with zipfile.ZipFile(book) as z:
            strings = z.read("xl/worksheets/sheet1.xml")
        # Invalid UTF-8, an escaped NUL and tab-less control character, and a literal "_x0041_".
        strings = strings.replace(b"placeholder-1", b"caf\xe9 \xff end")
        strings = strings.replace(b"placeholder-2", b"a_x0000_b_x0001_c")
        strings = strings.replace(b"placeholder-3", b"keep _x005F_x0041_ as typed")
        rewrite_part(book, "xl/worksheets/sheet1.xml", strings)
        copy = self.path("copy.xlsx")
        status, _, err = run("convert", book, copy)
        self.assertEqual(status, 0, err)
        with zipfile.ZipFile(copy) as z:
            for name in z.namelist():
                if name.endswith(".xml"):
                    xml.dom.minidom.parseString(z.read(name))  # strict: valid UTF-8, no raw control characters
        status, out, err = run("dump", copy)
        self.assertEqual(status, 0, err)
        self.assertEqual(out, "caf\ufffd \ufffd end\na\x00b\x01c\nkeep _x0041_ as typed\nTRUE,FALSE\n")
        self.assertEqual(openpyxl.load_workbook(copy).active["A1"].value, "caf\ufffd \ufffd end")

    def test_a_note_longer_than_a_cell_holds_is_cut_on_reading(self):
        book = self.path("note.xlsx")
        wb = openpyxl.Workbook()
        wb.active["A1"] = 1
        wb.active["A1"].comment = Comment("注" * 40000, "Kestrel")
        wb.save(book)
        copy = self.path("copy.xlsx")
        status, _, err = run("convert", book, copy)
        self.assertEqual(status, 0, err)
        self.assertEqual(len(err.strip().splitlines()), 2, err)  # the warning, then "wrote"
        self.assertIn("A1", err)
        self.assertEqual(openpyxl.load_workbook(copy).active["A1"].comment.text, "注" * 32767)


class BoundedMemoryTest(TempDirTest):
    def test_a_merged_area_costs_what_its_element_holds(self):
        """A 5 KB workbook whose sheet is one merged area: saved in megabytes, the area written as
        its one element where the file format orders it (a blank in each of its 17 billion cells
        would take the machine's memory)."""
        book, copy = self.path("merged.xlsx"), self.path("copy.xlsx")
        wb = openpyxl.Workbook()
        wb.active["A1"] = "title"
        wb.active.merge_cells("A3:C3")  # a small area keeps its formatted blanks
        wb.save(book)
        with zipfile.ZipFile(book) as z:
            sheet = z.read("xl/worksheets/sheet1.xml").decode()
        sheet = sheet.replace('<mergeCell ref="A3:C3"/>', '<mergeCell ref="A3:C3"/><mergeCell ref="A5:XFD1048576"/>')
        sheet = sheet.replace('<mergeCells count="1">', '<mergeCells count="2">')
        rewrite_part(book, "xl/worksheets/sheet1.xml", sheet)
        status, err, peak = peak_kib("convert", book, copy)
        self.assertEqual(status, 0, err)
        self.assertLess(peak, 300 * 1024)
        with zipfile.ZipFile(copy) as z:
            saved = xml.dom.minidom.parseString(z.read("xl/worksheets/sheet1.xml"))
        children = [n.tagName for n in saved.documentElement.childNodes if n.nodeType == n.ELEMENT_NODE]
        self.assertLess(children.index("sheetData"), children.index("mergeCells"))
        self.assertLess(children.index("mergeCells"), children.index("pageMargins"))
        refs = sorted(m.getAttribute("ref") for m in saved.getElementsByTagName("mergeCell"))
        self.assertEqual(refs, ["A3:C3", "A5:XFD1048576"])
        self.assertEqual(saved.getElementsByTagName("mergeCells")[0].getAttribute("count"), "2")
        blanks = [c.getAttribute("r") for c in saved.getElementsByTagName("c")]
        self.assertEqual(blanks, ["A1", "A3", "B3", "C3"])
        self.assertEqual(dump_rows(copy)[0], ["title"])

    def test_a_far_cell_costs_what_it_holds(self):
        book = self.path("far.xlsx")
        wb = openpyxl.Workbook()
        wb.active["A1"] = "first"
        wb.active["XFD4000"] = "far"
        wb.active["XFD1048576"] = 7
        wb.save(book)
        status, err, peak = peak_kib("dump", book)
        self.assertEqual(status, 0, err)
        self.assertLess(peak, 512 * 1024)  # the rectangle would take gigabytes
        rows = dump_rows(book)
        self.assertEqual(len(rows), 1048576)
        self.assertEqual(rows[0], ["first"])
        self.assertEqual(rows[1], [])
        self.assertEqual(len(rows[3999]), 16384)
        self.assertEqual(rows[3999][-1], "far")
        self.assertEqual(rows[-1][-1], "7")
        csv_copy = self.path("far.csv")
        status, err, peak = peak_kib("convert", book, csv_copy)
        self.assertEqual(status, 0, err)
        self.assertLess(peak, 512 * 1024)  # the rectangle would take gigabytes
        self.assertLess(os.path.getsize(csv_copy), 2 << 20)
        self.assertEqual(dump_rows(csv_copy), rows)

    def test_a_bloated_part_is_refused_before_it_is_parsed(self):
        book = self.path("bloat.xlsx")
        small_book(book)
        with zipfile.ZipFile(book) as z:
            sheet = z.read("xl/worksheets/sheet1.xml").decode()
        filler = "<x/>" * (17 << 20)   # 68 MB of empty elements, a few hundred KB compressed
        rewrite_part(book, "xl/worksheets/sheet1.xml", sheet.replace("<sheetData>", "<sheetData>" + filler))
        status, err, peak = peak_kib("dump", book)
        self.assertEqual(status, 2, err)
        one_line(self, err)
        self.assertIn("sheet1.xml", err)
        self.assertLess(peak, 800 * 1024)  # parsed, it took 1.2 GB

    def test_shared_strings_cost_what_their_part_holds(self):
        # 15.9 million empty entries (80 MB of "<si/>", 0.12 MB compressed) took 2.1 GB; read a run
        # at a time and held without a text each, they cost their offsets. The cells name the first
        # entry, an empty one and the last, past every run boundary.
        book, base = self.path("strings.xlsx"), self.path("base.xlsx")
        small_book(base)
        self.assertEqual(run("convert", base, book)[0], 0)  # the tool's own file: its texts are shared
        with zipfile.ZipFile(book) as z:
            strings = z.read("xl/sharedStrings.xml").decode()
            sheet = z.read("xl/worksheets/sheet1.xml").decode()
        self.assertIn("<si><t>P1</t></si>", strings)
        empties = 15_900_000
        rewrite_part(book, "xl/sharedStrings.xml", strings.replace("</sst>", "<si/>" * empties + "<si><t>末</t></si></sst>"))
        cells = f'<row r="2"><c r="A2" t="s"><v>1</v></c><c r="B2" t="s"><v>{empties + 1}</v></c></row>'
        rewrite_part(book, "xl/worksheets/sheet1.xml", sheet.replace("</sheetData>", cells + "</sheetData>"))
        self.assertLess(os.path.getsize(book), 1 << 20)
        status, err, peak = peak_kib("dump", book)
        self.assertEqual(status, 0, err)
        # About 180 MB in the plain build, 650 MB under the address sanitizer; 2.1 GB unbounded.
        self.assertLess(peak, 1024 * 1024)
        self.assertEqual(dump_rows(book), [["P1", "12"], ["", "末"]])
        # Damage in a late run is the whole part's message, one line.
        rewrite_part(book, "xl/sharedStrings.xml", strings.replace("</sst>", "<si/>" * empties + "<si><t>末</x></si></sst>"))
        status, _, err = run("dump", book)
        self.assertEqual(status, 2, err)
        one_line(self, err)
        self.assertIn("sharedStrings.xml is damaged", err)


if __name__ == "__main__":
    import unittest
    unittest.main()


class OversizedValuesTest(TempDirTest):
    def test_too_long_texts_and_too_large_numbers_are_read_with_a_warning(self):
        book, out = self.path("odd.xlsx"), self.path("out.xlsx")
        small_book(book)
        with zipfile.ZipFile(book) as z:
            sheet = z.read("xl/worksheets/sheet1.xml").decode()
        cells = ('<row r="3"><c r="A3" t="inlineStr"><is><t>%s</t></is></c><c r="B3"><v>1.797693134862316e+308</v></c>'
                 '<c r="C3"><v>-1e400</v></c><c r="D3"><v>1e-400</v></c></row>' % ("路" * 40000))
        rewrite_part(book, "xl/worksheets/sheet1.xml", sheet.replace("</sheetData>", cells + "</sheetData>"))
        status, _, err = run("convert", book, out)
        self.assertEqual(status, 0, err)
        self.assertIn("A3 is longer than 32767 characters", err)
        self.assertIn("1.797693134862316e+308 at B3 (and 2 more cells) is beyond the range", err)
        ws = openpyxl.load_workbook(out).active
        self.assertEqual(ws["A3"].value, "路" * 32767)
        self.assertEqual((ws["B3"].value, ws["C3"].value, ws["D3"].value), (sys.float_info.max, -sys.float_info.max, 0))


class OneSheetTest(TempDirTest):
    def test_dump_of_one_sheet_reads_only_that_sheet(self):
        book = self.path("two.xlsx")
        wb = openpyxl.Workbook()
        wb.active.title = "坏"
        wb.active["A1"] = 1
        wb.create_sheet("好")["B2"] = "ok"
        wb.save(book)
        rewrite_part(book, "xl/worksheets/sheet1.xml", "<worksheet><sheetData><row>")  # damaged
        self.assertEqual(dump_rows(book, "--sheet", "好"), [[], ["", "ok"]])
        status, _, err = run("dump", book)
        self.assertEqual(status, 2, err)
        one_line(self, err)

    def test_commands_that_read_one_sheet_read_only_that_sheet(self):
        """dump and the data-file commands read the sheet they work on, by name or the one the
        workbook shows, and nothing else: a damaged sheet elsewhere costs nothing."""
        book = self.path("profile.xlsx")
        wb = openpyxl.Workbook()
        wb.active.title = "坏"
        wb.active["A1"] = 1
        profile = wb.create_sheet("纵断面")
        for row in [(0, 100, 0), (100, 101, 2000), (200, 100, 0)]:
            profile.append(row)
        wb.active = 1
        wb.save(book)
        rewrite_part(book, "xl/worksheets/sheet1.xml", "<worksheet><sheetData><row>")  # damaged
        self.assertEqual(dump_rows(book)[0], ["0", "100", "0"])
        for args in ([], ["--sheet", "纵断面"]):
            target = self.path("road%d.ZM" % len(args))
            status, _, err = run("save-zm", book, target, *args)
            self.assertEqual(status, 0, err)
            self.assertIn("101", pathlib.Path(target).read_bytes().decode("utf-16"))
        status, _, err = run("save-zm", book, self.path("bad.ZM"), "--sheet", "坏")
        self.assertEqual(status, 2, err)
        one_line(self, err)
