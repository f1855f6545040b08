"""The initial sort and the dictionary file through the tool, checked with openpyxl."""
import os
import unittest

import openpyxl

from kestrel_cli import TempDirTest, dump_rows, run


def survey_book(path, rows, sheet_title="实测"):
    """A survey sheet as a crew delivers it: A name, B, C coordinates, D level, E station, F offset."""
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = sheet_title
    for r, row in enumerate(rows, start=1):
        for c, value in enumerate(row, start=1):
            if value is not None:
                ws.cell(r, c, value)
    wb.save(path)


def utf16_file(path, text):
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + text.encode("utf-16-le"))


class SortTest(TempDirTest):
    ROWS = [
        ["P1", 1, 1, 310.2, 12240.3, -2],
        ["P2", 1, 1, 309.8, 12220.1, 1.5],
        ["P3", 1, 1, 310.5, 12240.3, 3],
        ["P4", 1, 1, 309.5, 12220.1, -4],
        ["P5", 1, 1, 311.0, 12260.4, 0],
        ["P6", 1, 1, 311.2, 12280.2, 0],
        ["P7", 1, 1, 311.3, 12280.2, 2],
    ]

    def test_gives_the_sorted_layout(self):
        book = self.path("survey.xlsx")
        survey_book(book, self.ROWS)
        out = self.path("sorted.xlsx")
        status, _, err = run("sort", book, "--spacing", "20", "-o", out)
        self.assertEqual(status, 0, err)
        ws = openpyxl.load_workbook(out)["实测"]
        names = [ws.cell(r, 1).value for r in range(1, 11)]
        self.assertEqual(names, ["P2", "P4", None, "P1", "P3", None, "P5", None, "P6", "P7"])
        stations = [ws.cell(r, 6).value for r in range(1, 11)]
        self.assertEqual(stations, [12220, 12220, None, 12240, 12240, None, 12260, None, 12280, 12280])
        self.assertEqual([ws.cell(r, 7).value for r in (1, 2)], [1.5, -4])  # offsets moved to G
        self.assertEqual(ws.cell(7, 1).border.bottom.style, "thin")  # the one-point section P5
        self.assertIsNone(ws.cell(1, 1).border.bottom.style)
        note = ws["F1"].comment
        self.assertIsNotNone(note)
        self.assertTrue(note.text.startswith("检查每个断面数据："))
        # The input file is untouched when -o names another file.
        self.assertIsNone(openpyxl.load_workbook(book)["实测"].cell(1, 7).value)

    def test_station_notation_asks_no_by_default(self):
        rows = [list(r) for r in self.ROWS]
        rows[2][4] = "K12+240.3"
        book = self.path("k.xlsx")
        survey_book(book, rows)
        before = open(book, "rb").read()
        status, _, err = run("sort", book)
        self.assertEqual(status, 1)
        self.assertIn("第3行，桩号K12+240.3不是数字格式", err)
        self.assertEqual(open(book, "rb").read(), before)  # a No changes nothing, nothing is written

    def test_station_notation_yes_cleans_and_saves(self):
        rows = [list(r) for r in self.ROWS]
        rows[2][4] = "K12+240.3"
        book = self.path("k.xlsx")
        survey_book(book, rows)
        # The user approved the clean-up; the sort then ends by design and its result is saved.
        status, _, err = run("sort", book, "--yes")
        self.assertEqual(status, 1, err)
        self.assertIn("wrote " + book, err)
        ws = openpyxl.load_workbook(book)["实测"]
        self.assertEqual(ws["E3"].value, 12240.3)
        self.assertEqual(ws["A1"].value, "P1")  # cleaned, not sorted
        status, _, err = run("sort", book, "--spacing", "20")
        self.assertEqual(status, 0, err)
        self.assertEqual(openpyxl.load_workbook(book)["实测"]["A1"].value, "P2")

    def test_a_bad_spacing_is_refused_by_the_dialog(self):
        book = self.path("s.xlsx")
        survey_book(book, self.ROWS)
        status, _, err = run("sort", book, "--spacing", "2.5")
        self.assertEqual(status, 1)
        self.assertIn("横断面整理间距请填入大于零的整数", err)

    def test_matches_a_dictionary_file(self):
        book = self.path("d.xlsx")
        survey_book(book, self.ROWS)
        dic = self.path("road.Dic")
        utf16_file(dic, "KestrelFile2.0\r\n12240.5,0,0,0\r\n12281,0,0,0\r\n")
        status, _, err = run("sort", book, "--spacing", "20", "--dic", dic, "--tolerance", "1")
        self.assertEqual(status, 0, err)
        stations = [(row + [""] * 6)[5] for row in dump_rows(book)]
        self.assertEqual(stations[:10], ["12220", "12220", "", "12240.5", "12240.5", "", "12260", "", "12281", "12281"])

    def test_refuses_a_file_that_is_no_dictionary(self):
        book = self.path("d.xlsx")
        survey_book(book, self.ROWS)
        dic = self.path("bad.Dic")
        utf16_file(dic, "something else\r\n")
        status, _, err = run("sort", book, "--dic", dic)
        self.assertEqual(status, 1)
        self.assertIn("你打开的不是有效的断面位置字典文件!", err)


class DictionaryFileTest(TempDirTest):
    def test_save_and_show(self):
        book = self.path("dic.xlsx")
        survey_book(book, [[12230, 1000, 500, 310.5], [12240, 1100, 500, 311.2], [None, 5, 5, 5]], "字典")
        dic = self.path("road.Dic")
        status, _, err = run("save-dic", book, dic)
        self.assertEqual(status, 0, err)
        self.assertIn("断面位置字典文件成功保存到：", err)
        data = open(dic, "rb").read()
        self.assertEqual(data, b"\xff\xfe" + "KestrelFile2.0\r\n12230,1000,500,310.5\r\n12240,1100,500,311.2\r\n"
                         .encode("utf-16-le"))
        listed = self.path("listed.xlsx")
        status, _, err = run("show-dic", dic, book, "-o", listed)
        self.assertEqual(status, 0, err)
        wb = openpyxl.load_workbook(listed)
        self.assertEqual(len(wb.sheetnames), 2)
        new = wb[wb.sheetnames[0]]  # in front of the sheet that was active
        self.assertEqual([[c.value for c in row] for row in new.iter_rows(max_col=4)],
                         [[12230, 1000, 500, 310.5], [12240, 1100, 500, 311.2]])
        self.assertEqual(wb.active.title, new.title)

    def test_save_into_a_missing_folder_fails(self):
        book = self.path("dic.xlsx")
        survey_book(book, [[1, 2, 3, 4]])
        status, _, err = run("save-dic", book, self.path("no/such/road.Dic"))
        self.assertEqual(status, 2)
        self.assertIn("断面位置字典文件保存不成功！", err)

    def test_show_refuses_a_bad_file(self):
        book = self.path("dic.xlsx")
        survey_book(book, [[1, 2, 3, 4]])
        dic = self.path("bad.Dic")
        utf16_file(dic, "KestrelFile2.0\r\n1,2\r\n")
        status, _, err = run("show-dic", dic, book)
        self.assertEqual(status, 2)
        self.assertEqual(len(err.strip().splitlines()), 1)


if __name__ == "__main__":
    unittest.main()
