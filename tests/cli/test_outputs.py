"""Every file the tool writes follows the workbook's rules: special files refused and left alone, mode kept,
read-only refused, links followed, and a command's earlier outputs put back when a later one fails."""
import os
import signal
import stat
import subprocess

import openpyxl

from kestrel_cli import KESTREL, TempDirTest, run
from event_waits import CommitHold
from test_draw import worked_book


def utf16(path, text):
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + text.encode("utf-16-le"))


def content(path):
    with open(path, "rb") as f:
        return f.read()


def big_survey(path, sections=4000):
    """A sorted survey large enough that its save takes a while."""
    wb = openpyxl.Workbook(write_only=True)
    ws = wb.create_sheet("实测")
    for s in range(sections):
        for k, offset in enumerate((-10, 0, 10)):
            ws.append([f"p{s}-{k}", None, None, 100 + (k % 2), s * 20, s * 20, offset])
        ws.append([])
    wb.save(path)


class SpecialOutputsTest(TempDirTest):
    def test_devices_pipes_and_links_to_them_are_refused_and_left_alone(self):
        book, dic = self.path("B.xlsx"), self.path("road.Dic")
        worked_book(book)
        utf16(dic, "KestrelFile2.0\r\n12230,1000,500,310.5\r\n")
        before = sorted(os.listdir(self.dir))
        os.mkfifo(self.path("pipe"))
        os.symlink("pipe", self.path("to-pipe"))
        os.symlink("/dev/null", self.path("to-null"))
        for node in ("pipe", "to-pipe", "to-null"):
            # The same node under the names each command accepts.
            name = lambda extension: self.path(node + extension)
            for extension in (".xlsx", ".png", ".pdf"):
                os.symlink(node, name(extension))
            commands = [("template", name("")), ("save-dic", book, name("")), ("save-zm", book, name("")),
                        ("save-hp", book, name("")), ("draw", book, "--dxf", name("")),
                        ("draw", book, "--script", name("")), ("draw", book, "--preview", name(".png")),
                        ("plot", book, "-o", name(".pdf")), ("convert", book, name(".xlsx")),
                        ("sort", book, "--yes", "-o", name(".xlsx")), ("volume", book, "-o", name(".xlsx")),
                        ("show-dic", dic, book, "-o", name(".xlsx"))]
            for args in commands:
                with self.subTest(node=node, command=args[0], option=args[-2]):
                    status, _, err = run(*args)       # a pipe without a reader would hang a writer
                    self.assertEqual(status, 2, err)
                    self.assertEqual(len(err.strip().splitlines()), 1, err)
                    self.assertIn("not a regular file", err)
        self.assertTrue(stat.S_ISFIFO(os.lstat(self.path("pipe")).st_mode))
        self.assertEqual(os.readlink(self.path("to-null")), "/dev/null")
        self.assertEqual(os.readlink(self.path("to-pipe")), "pipe")
        made = {n + e for n in ("pipe", "to-pipe", "to-null") for e in ("", ".xlsx", ".png", ".pdf")}
        self.assertEqual(sorted(set(os.listdir(self.dir)) - made), before)


class SideOutputRulesTest(TempDirTest):
    def test_mode_read_only_and_links_as_for_the_workbook(self):
        book = self.path("B.xlsx")
        worked_book(book)
        dxf, real, link, locked = (self.path(n) for n in ("d.dxf", "real.scr", "link.scr", "locked.zm"))
        for path in (dxf, real, locked):
            with open(path, "w") as f:
                f.write("old")
        os.chmod(dxf, 0o600)
        os.symlink("real.scr", link)
        status, _, err = run("draw", book, "--dxf", dxf, "--script", link)
        self.assertEqual(status, 0, err)
        self.assertEqual(stat.S_IMODE(os.stat(dxf).st_mode), 0o600)
        self.assertIn(b"SECTION", content(dxf))
        self.assertTrue(os.path.islink(link))
        self.assertNotEqual(content(real), b"old")
        os.chmod(locked, 0o444)
        status, _, err = run("save-zm", book, locked)     # the command's own failure to save
        self.assertNotEqual(status, 0, err)
        self.assertEqual(content(locked), b"old")
        self.assertEqual(stat.S_IMODE(os.stat(locked).st_mode), 0o444)
        status, _, err = run("draw", book, "--dxf", dxf, "--script", locked)
        self.assertEqual(status, 2, err)
        self.assertIn("read-only", err)
        self.assertEqual(content(locked), b"old")

    def test_a_failed_or_interrupted_workbook_puts_the_drawing_files_back(self):
        book = self.path("B.xlsx")
        big_survey(book)
        dxf, scr = self.path("d.dxf"), self.path("d.scr")
        with open(dxf, "w") as f:
            f.write("old drawing")
        for sig in (signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal=sig):
                # Held at the workbook's commit: the drawing files are in place by then.
                hold = CommitHold(self.dir, "out.xlsx")
                process = subprocess.Popen([KESTREL, "draw", book, "--dxf", dxf, "--script", scr, "-o",
                                            self.path("out.xlsx")], stderr=subprocess.DEVNULL, env=hold.env())
                self.assertTrue(hold.reached(process))
                process.send_signal(sig)
                process.wait(timeout=300)
                hold.remove()
                self.assertEqual(process.returncode, -sig)
                self.assertEqual(content(dxf), b"old drawing")
                self.assertEqual(sorted(os.listdir(self.dir)), ["B.xlsx", "d.dxf"])

    def test_an_interrupted_plot_leaves_no_temporary_file(self):
        book = self.path("B.xlsx")
        big_survey(book, 1500)
        for sig in (signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal=sig):
                hold = CommitHold(self.dir, "out.pdf")
                process = subprocess.Popen([KESTREL, "plot", book, "-o", self.path("out.pdf")],
                                           stderr=subprocess.DEVNULL, env=hold.env())
                self.assertTrue(hold.reached(process))
                self.assertTrue(any(".kestrel-" in n for n in os.listdir(self.dir)))  # the pages written
                process.send_signal(sig)
                process.wait(timeout=300)
                hold.remove()
                self.assertEqual(process.returncode, -sig)
                self.assertEqual(os.listdir(self.dir), ["B.xlsx"])


class ConcurrentRunsTest(TempDirTest):
    def test_a_save_over_a_workbook_another_run_saved_meanwhile_is_refused(self):
        book = self.path("B.xlsx")
        big_survey(book)
        # The first run is held with its workbook written but not in place; the second runs whole.
        hold = CommitHold(self.dir, "B.xlsx")
        first = subprocess.Popen([KESTREL, "volume", book, "--sections", "2"], stderr=subprocess.PIPE, text=True,
                                 env=hold.env())
        self.assertTrue(hold.reached(first))
        try:
            status, _, err = run("volume", book, "--sections", "3")
            self.assertEqual(status, 0, err)
        finally:
            hold.release()
        _, err = first.communicate(timeout=300)
        hold.remove()
        self.assertEqual(first.returncode, 2, err)
        self.assertEqual(len(err.strip().splitlines()), 1, err)
        self.assertIn("changed on disk after it was read", err)
        self.assertEqual(len(openpyxl.load_workbook(book, read_only=True).sheetnames), 2)  # 实测 and one volume sheet
        self.assertEqual(sorted(os.listdir(self.dir)), ["B.xlsx"])
