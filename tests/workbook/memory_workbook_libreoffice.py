"""MemoryWorkbook against LibreOffice Calc: the same random row and column inserts and deletes, sorts
and replaces applied to both, compared cell by cell after every step (values, formulas with their
shifted references, merges, notes).

The in-memory side runs in memory_workbook_driver (KESTREL_MEMORY_DRIVER), which reads a script
and prints the workbook as JSON; LibreOffice runs headless in a private profile and is driven
through its UNO bridge. Seeds and step counts are fixed, so a failure is replayed exactly:
KESTREL_MEMORY_SEEDS=5 runs one seed, KESTREL_MEMORY_TRACE=Sheet1!D8 prints that cell and the
merges after every step.

Where Calc and Excel differ, MemoryWorkbook follows Excel; the generator keeps away from those
places, each named here with its reason:
  * Texts are letters and digits only: Calc sorts by its locale's collation, Excel by its own
    table, and the two order blanks and punctuation differently.
  * No TRUE/FALSE or error values are typed: Calc stores booleans as numbers, so a sort would
    place them among the numbers, where Excel sorts them after the texts.
  * A Replace never matches inside a formula's text: Calc searches formulas in its own notation
    ("Sheet1.A1", ";" between arguments), Excel in the A1 text the cell shows.
  * "Guess" sorts: Calc has no header guess, so it is told what Excel decides (a first row of
    texts and no numbers over a key column holding a number is a header).
  * Ranges are typed in order (A1:C3, not C3:A1): Excel puts a reversed range in order as it is
    typed, Calc when it next moves it, MemoryWorkbook never (Kestrel types none).
  * No deletion takes the first row or column of a merge without the rest: Calc then drops the
    whole merge, Excel keeps the remaining cells merged.
  * A formula holding #REF! is compared by its text only: Excel and MemoryWorkbook show #REF!,
    Calc shows #VALUE! for some (a deleted reference into another sheet).
"""
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from oracle_tools import need_tool  # noqa: E402

DRIVER = os.environ.get("KESTREL_MEMORY_DRIVER", "memory_workbook_driver")

SEEDS = [int(s) for s in os.environ.get("KESTREL_MEMORY_SEEDS", "1,2,3,4,5,6,7,8").split(",")]
STEPS = 30
MAIN, DATA = "Sheet1", "Data"
# Letters that no generated formula holds ("SUM", "Sheet1", "Data" and columns A to P do not).
TEXT_LETTERS = "kqwxyzKQWXYZ"


def column_letters(n):
    s = ""
    while n:
        n, r = divmod(n - 1, 26)
        s = chr(65 + r) + s
    return s


def a1(row, col):
    return f"{column_letters(col)}{row}"


def split_a1(ref):
    letters = "".join(ch for ch in ref if ch.isalpha())
    col = 0
    for ch in letters:
        col = col * 26 + ord(ch) - 64
    return int(ref[len(letters):]), col


class Calc:
    """One headless LibreOffice with one spreadsheet document, driven through UNO."""

    def __init__(self, soffice):
        import uno  # python3-uno; imported here so that a missing bridge fails this test only
        self.uno = uno
        self.profile = tempfile.mkdtemp(prefix="kestrel-lo-uno-")
        pipe = f"kestrel_memory_{os.getpid()}"
        env = dict(os.environ, HOME=self.profile)
        self.process = subprocess.Popen(
            [soffice, "--headless", "--invisible", "--nologo", "--norestore", "--nodefault",
             "-env:UserInstallation=file://" + self.profile, f"--accept=pipe,name={pipe};urp;"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
        deadline = time.monotonic() + 180
        while True:
            try:
                self.context = resolver.resolve(f"uno:pipe,name={pipe};urp;StarOffice.ComponentContext")
                break
            except Exception:
                if time.monotonic() > deadline or self.process.poll() is not None:
                    self.close()
                    raise RuntimeError("LibreOffice did not start")
                time.sleep(0.25)
        self.desktop = self.context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop",
                                                                            self.context)
        self.doc = None

    def close(self):
        try:
            if self.doc is not None:
                self.doc.close(True)
            self.desktop.terminate()
        except Exception:
            pass
        try:
            self.process.wait(timeout=60)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)

    # ---- the document

    def new_document(self, names):
        from com.sun.star.beans import PropertyValue
        if self.doc is not None:
            self.doc.close(True)
        hidden = PropertyValue()
        hidden.Name, hidden.Value = "Hidden", True
        self.doc = self.desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0, (hidden,))
        sheets = self.doc.Sheets
        sheets.getByIndex(0).Name = names[0]
        for i, name in enumerate(names[1:], start=1):
            sheets.insertNewByName(name, i)
        while sheets.Count > len(names):
            sheets.removeByName(sheets.getByIndex(len(names)).Name)
        self.parser = self.doc.createInstance("com.sun.star.sheet.FormulaParser")
        flag = lambda name: self.uno.getConstantByName("com.sun.star.sheet.ReferenceFlags." + name)
        self.deleted_flags = flag("COLUMN_DELETED") | flag("ROW_DELETED") | flag("SHEET_DELETED")
        self.parser.setPropertyValue("CompileEnglish", True)
        self.parser.setPropertyValue(
            "FormulaConvention", self.uno.getConstantByName("com.sun.star.sheet.AddressConvention.XL_A1"))

    def sheet(self, name):
        return self.doc.Sheets.getByName(name)

    def address(self, sheet_name, row, col):
        from com.sun.star.table import CellAddress
        return CellAddress(self.doc.Sheets.getByName(sheet_name).RangeAddress.Sheet, col - 1, row - 1)

    # ---- steps

    def cell(self, sheet_name, ref, kind, content):
        row, col = split_a1(ref)
        cell = self.sheet(sheet_name).getCellByPosition(col - 1, row - 1)
        if kind == "n":
            cell.setValue(float(content))
        elif kind == "s":
            cell.setString(content)
        else:
            cell.setTokens(self.parser.parseFormula(calc_separators(content), self.address(sheet_name, row, col)))

    def merge(self, sheet_name, ref):
        self.sheet(sheet_name).getCellRangeByName(ref).merge(True)

    def note(self, sheet_name, ref, text):
        row, col = split_a1(ref)
        self.sheet(sheet_name).Annotations.insertNew(self.address(sheet_name, row, col), text)

    def structure(self, sheet_name, op, at, count):
        sheet = self.sheet(sheet_name)
        axis = sheet.Rows if op.endswith("rows") else sheet.Columns
        if op.startswith("insert"):
            axis.insertByIndex(at - 1, count)
        else:
            axis.removeByIndex(at - 1, count)

    def sort(self, sheet_name, ref, key, header):
        from com.sun.star.beans import PropertyValue
        from com.sun.star.table import TableSortField
        rng = self.sheet(sheet_name).getCellRangeByName(ref)
        first_col = split_a1(ref.split(":")[0])[1]
        field = TableSortField()
        field.Field = key - first_col
        field.IsAscending = True
        field.IsCaseSensitive = False

        def prop(name, value):
            p = PropertyValue()
            p.Name, p.Value = name, value
            return p
        fields = self.uno.Any("[]com.sun.star.table.TableSortField", (field,))
        descriptor = (prop("SortFields", fields), prop("ContainsHeader", header), prop("IsSortColumns", False),
                      prop("BindFormatsToContent", True))
        self.uno.invoke(rng, "sort", (descriptor,))

    def replace(self, sheet_name, ref, what, replacement):
        rng = self.sheet(sheet_name).getCellRangeByName(ref)
        descriptor = rng.createReplaceDescriptor()
        descriptor.SearchString = what
        descriptor.ReplaceString = replacement
        descriptor.SearchCaseSensitive = False
        descriptor.SearchWords = False
        descriptor.SearchRegularExpression = False
        rng.replaceAll(descriptor)

    # ---- state, in the driver's JSON shape

    def state(self, names):
        self.doc.calculateAll()
        return [self.sheet_state(name) for name in names]

    def sheet_state(self, name):
        sheet = self.sheet(name)
        cursor = sheet.createCursor()
        cursor.gotoEndOfUsedArea(False)
        end = cursor.RangeAddress
        rows, cols = end.EndRow + 1, end.EndColumn + 1
        cells, merges, notes = {}, [], {}
        block = sheet.getCellRangeByPosition(0, 0, cols - 1, rows - 1)
        data = block.getDataArray()
        formulas = block.getFormulaArray()
        for r in range(rows):
            for c in range(cols):
                ref = a1(r + 1, c + 1)
                if formulas[r][c].startswith("="):
                    cell = sheet.getCellByPosition(c, r)
                    position = self.address(name, r + 1, c + 1)
                    printed = self.excel_text(cell.getTokens(), position)
                    if "#REF!" in printed:
                        # Excel writes #REF! into the formula for good, where Calc keeps the old
                        # address marked deleted and revives it when cells are inserted there
                        # later: the formula is typed again as Excel holds it.
                        cell.setTokens(self.parser.parseFormula("=" + printed, position))
                    printed = printed.replace(";", ",")
                    error = cell.getError()
                    value = {"e": LO_ERRORS.get(error, f"Err:{error}")} if error else data[r][c]
                    cells[ref] = {"v": value, "f": "=" + printed}
                elif formulas[r][c] != "":
                    cells[ref] = {"v": data[r][c]}
        # A range "is merged" when it holds the top-left cell of a merge: rows first, then cells.
        for r in range(rows):
            if not sheet.getCellRangeByPosition(0, r, cols - 1, r).getIsMerged():
                continue
            for c in range(cols):
                cell = sheet.getCellByPosition(c, r)
                if cell.getIsMerged():
                    area = sheet.createCursorByRange(cell)
                    area.collapseToMergedArea()
                    address = area.RangeAddress
                    merges.append(f"{a1(address.StartRow + 1, address.StartColumn + 1)}:"
                                  f"{a1(address.EndRow + 1, address.EndColumn + 1)}")
        for note in sheet.Annotations:
            position = note.Position
            notes[a1(position.Row + 1, position.Column + 1)] = note.String
        return {"name": name, "cells": cells, "merges": sorted(merges), "notes": notes}

    def excel_text(self, tokens, position):
        """The formula as Excel writes it. Calc's printer shows a reference to deleted cells as
        the cells it pointed to, and a #REF! typed back in as nothing (or in lower case after a
        sheet's name), so such formulas are printed one token at a time, those tokens as Excel
        shows them: "#REF!", after the sheet's name when the reference had one."""
        def deleted(token):
            data = token.Data
            parts = [data.Reference1, data.Reference2] if hasattr(data, "Reference1") else [data]
            return any(hasattr(p, "Flags") and p.Flags & self.deleted_flags for p in parts)

        def typed_ref_error(token):
            if token.OpCode == OPCODE_PUSH and token.Data is None:
                return "#REF!"
            if token.OpCode == OPCODE_BAD and isinstance(token.Data, str) and token.Data.lower().endswith("!#ref!"):
                sheet = token.Data[:-6].strip("'")
                names = {n.lower(): n for n in self.doc.Sheets.ElementNames}
                return names.get(sheet.lower(), sheet) + "!#REF!"
            return None

        if not any(deleted(t) or typed_ref_error(t) for t in tokens):
            return self.parser.printFormula(tokens, position)
        text = ""
        for token in tokens:
            piece = typed_ref_error(token) or self.parser.printFormula((token,), position)
            if deleted(token) and "#REF!" not in piece:
                piece = piece[: piece.rfind("!") + 1] + "#REF!"
            text += piece
        return text

    def values(self, sheet_name, ref):
        return self.sheet(sheet_name).getCellRangeByName(ref).getDataArray()


def calc_separators(formula):
    """A formula as Calc's parser reads it, with ";" between a function's arguments (no
    generated text holds a comma)."""
    return formula.replace(",", ";")


# Calc's operation codes of a constant (with no value: an error constant) and of a token it could
# not read.
OPCODE_PUSH, OPCODE_BAD = 0, 14
# Calc's error numbers as Excel shows them.
LO_ERRORS = {519: "#VALUE!", 532: "#DIV/0!", 524: "#REF!", 525: "#NAME?", 503: "#NUM!", 32767: "#N/A"}


def run_driver(script_lines, workdir):
    path = os.path.join(workdir, "steps.txt")
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(script_lines) + "\n")
    done = subprocess.run([DRIVER, path], capture_output=True, text=True, timeout=120)
    states = [json.loads(line) for line in done.stdout.splitlines()]
    for s in states:
        if isinstance(s, dict) and "error" in s:
            raise AssertionError(f"MemoryWorkbook refused a step: {s['error']}")
    if done.returncode != 0:
        raise AssertionError(f"driver failed ({done.returncode}): {done.stderr}")
    return states


class Generator:
    """Random but reproducible sheets and steps. Sheet1 holds a table: constants in its first
    columns, formulas that read them further right; Data holds constants and formulas that read
    Sheet1."""

    def __init__(self, seed):
        self.rng = random.Random(seed)

    def text(self):
        r = self.rng
        return "".join(r.choice(TEXT_LETTERS) for _ in range(r.randint(1, 3))) + (
            str(r.randint(0, 99)) if r.random() < 0.4 else "")

    def number(self):
        r = self.rng
        if r.random() < 0.5:
            return str(r.randint(-50, 300))
        return f"{r.uniform(-100, 1000):.3f}"

    def initial(self):
        """Steps that build both workbooks, and the table's size."""
        r = self.rng
        rows, consts, width = r.randint(6, 11), 3, r.randint(5, 6)
        steps = [("sheet", MAIN), ("sheet", DATA)]
        header = r.random() < 0.6
        for c in range(1, width + 1):
            if header:
                steps.append(("cell", MAIN, a1(1, c), "s", column_letters(c) + self.text()))
        for row in range(2 if header else 1, rows + 1):
            for c in range(1, consts + 1):
                roll = r.random()
                if roll < 0.55:
                    steps.append(("cell", MAIN, a1(row, c), "n", self.number()))
                elif roll < 0.85:
                    steps.append(("cell", MAIN, a1(row, c), "s", self.text()))
            for c in range(consts + 1, width + 1):
                if r.random() < 0.6:
                    steps.append(("cell", MAIN, a1(row, c), "f", self.main_formula(row, consts, rows)))
        for row in range(1, 6):
            steps.append(("cell", DATA, a1(row, 4), "n", self.number()))
            steps.append(("cell", DATA, a1(row, 1), "f", self.data_formula(rows, consts)))
        # Merges and notes right of the table, where sorts do not reach.
        m = width + 2
        steps.append(("cell", MAIN, a1(2, m), "s", self.text()))
        steps.append(("merge", MAIN, f"{a1(2, m)}:{a1(3, m + 1)}"))
        steps.append(("cell", MAIN, a1(6, m), "n", self.number()))
        steps.append(("merge", MAIN, f"{a1(6, m)}:{a1(8, m)}"))
        for _ in range(3):
            steps.append(("note", MAIN, a1(r.randint(1, rows + 2), r.randint(1, width + 3)), self.text()))
        steps.append(("note", DATA, "B2", self.text()))
        return steps, rows, width, consts

    def main_formula(self, row, consts, rows):
        r = self.rng
        c1, c2 = (column_letters(c) for c in sorted((r.randint(1, consts), r.randint(1, consts))))
        down = row + r.randint(0, 2)
        choices = [
            f"={c1}{row}*2",
            f"={c1}{row}+{c2}{down}",
            f"=${c1}${r.randint(1, rows)}-{c2}{row}",
            f"=SUM({c1}{row}:{c2}{down})",
            f"=SUM(${c1}$2:${c1}${rows})",
            f"=Data!$D${r.randint(1, 5)}+{c1}{row}",
            f"={c1}{row}&\"_\"",
            f"=IF({c1}{row}>{c2}{down},{c1}{row},-1)",
            f"=IF({c1}{row}<>\"\",MIN({c1}{row}:{c2}{down}),ABS({c2}{row}))",
            f"=SUMIF(${c1}$1:${c1}${rows},\">{r.randint(-50, 300)}\",${c2}$1:${c2}${rows})",
            f"=SUMIFS({c2}{row}:{c2}{down},{c1}{row}:{c1}{down},\"<>{r.randint(-50, 300)}\","
            f"{c2}{row}:{c2}{down},\"<={r.randint(0, 500)}\")",
        ]
        return r.choice(choices)

    def data_formula(self, rows, consts):
        r = self.rng
        c = column_letters(r.randint(1, consts))
        row = r.randint(1, rows)
        return r.choice([
            f"=Sheet1!{c}{row}*2",
            f"=SUM(Sheet1!{c}{row}:{c}{min(rows, row + 3)})+D1",
            f"=Sheet1!${c}${row}-Sheet1!{c}{max(1, row - 1)}",
            f"=SUM(Sheet1!{c}:{c})",
        ])


class MemoryWorkbookAgainstLibreOffice(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.calc = Calc(need_tool("soffice", why="LibreOffice"))
        cls.workdir = tempfile.mkdtemp(prefix="kestrel-memory-")

    @classmethod
    def tearDownClass(cls):
        cls.calc.close()
        shutil.rmtree(cls.workdir, ignore_errors=True)

    def apply(self, step):
        kind = step[0]
        if kind == "cell":
            self.calc.cell(*step[1:])
        elif kind == "merge":
            self.calc.merge(*step[1:])
        elif kind == "note":
            self.calc.note(*step[1:])
        elif kind in ("insert_rows", "delete_rows", "insert_columns", "delete_columns"):
            self.calc.structure(step[1], kind, step[2], step[3])
        elif kind == "sort":
            _, sheet, ref, key, header = step
            self.calc.sort(sheet, ref, key, header == "guess" and self.excel_guesses_header(sheet, ref, key))
        elif kind == "replace":
            self.calc.replace(*step[1:])

    def excel_guesses_header(self, sheet, ref, key):
        """Excel's guess: the range's first row holds texts and no number, and the key column
        below it holds a number."""
        values = self.calc.values(sheet, ref)
        first_col = split_a1(ref.split(":")[0])[1]
        top = values[0]
        below = [row[key - first_col] for row in values[1:]]
        texts = any(isinstance(v, str) and v != "" for v in top)
        numbers = any(isinstance(v, float) for v in top)
        return len(values) > 1 and texts and not numbers and any(isinstance(v, float) for v in below)

    def next_step(self, gen, table):
        """A random step within the current table (rows x width), or nothing when it would reach
        a place the two legitimately differ."""
        r = gen.rng
        rows, width = table
        kind = r.choice(["insert_rows", "delete_rows", "insert_columns", "delete_columns", "sort", "sort",
                         "replace", "replace"])
        if kind == "insert_rows":
            return (kind, MAIN, r.randint(1, rows + 1), r.randint(1, 3))
        if kind == "delete_rows":
            step = (kind, MAIN, r.randint(1, rows), r.randint(1, 2))
            return step if rows > 4 and not self.cuts_merge_corner(step) else None
        if kind == "insert_columns":
            return (kind, MAIN, r.randint(1, width + 1), r.randint(1, 2))
        if kind == "delete_columns":
            step = (kind, MAIN, r.randint(1, width), 1)
            return step if width > 3 and not self.cuts_merge_corner(step) else None
        r1 = r.randint(1, max(1, rows - 2))
        r2 = r.randint(r1 + 1, rows + 1)
        c1 = r.randint(1, width)
        c2 = r.randint(c1, width)
        ref = f"{a1(r1, c1)}:{a1(r2, c2)}"
        if kind == "sort":
            if self.touches_merge(ref):
                return None  # Excel refuses to sort merged cells; not a case to compare
            return (kind, MAIN, ref, r.randint(c1, c2), r.choice(["no", "guess"]))
        has_formula = any(isinstance(v, str) and v.startswith("=")
                          for row in self.calc.sheet(MAIN).getCellRangeByName(ref).getFormulaArray() for v in row)
        pieces = [gen.text()[: r.randint(1, 2)], r.choice(TEXT_LETTERS)]
        if not has_formula:
            pieces += [str(r.randint(0, 9)), ".", "-"]
        what = r.choice(pieces)
        replacement = r.choice(["", gen.text(), "0050", "7", "Q", "k.5"])
        return (kind, MAIN, ref, what, replacement)

    def cuts_merge_corner(self, step):
        """Whether the deletion takes a merge's first row (column) but not all of it."""
        kind, _, at, count = step
        axis = 0 if kind == "delete_rows" else 1
        for merged in self.merges:
            first, last = (split_a1(x)[axis] for x in merged.split(":"))
            if at <= first <= at + count - 1 < last:
                return True
        return False

    def touches_merge(self, ref):
        for merged in self.merges:
            (a_r1, a_c1), (a_r2, a_c2) = (split_a1(x) for x in merged.split(":"))
            (b_r1, b_c1), (b_r2, b_c2) = (split_a1(x) for x in ref.split(":"))
            if a_r1 <= b_r2 and b_r1 <= a_r2 and a_c1 <= b_c2 and b_c1 <= a_c2:
                return True
        return False

    def compare(self, expected, actual, where):
        for lo_sheet, mem_sheet in zip(expected, actual):
            name = lo_sheet["name"]
            self.assertEqual(mem_sheet["name"], name)
            lo_cells, mem_cells = lo_sheet["cells"], mem_sheet["cells"]
            self.assertEqual(sorted(mem_cells), sorted(lo_cells), f"{where}: filled cells of {name}")
            for ref, lo in lo_cells.items():
                mem = mem_cells[ref]
                self.assertEqual(mem.get("f"), lo.get("f"), f"{where}: formula of {name}!{ref}")
                if "#REF!" in (lo.get("f") or ""):
                    continue
                lv, mv = lo["v"], mem["v"]
                if isinstance(lv, float) and isinstance(mv, (int, float)):
                    self.assertAlmostEqual(mv, lv, delta=abs(lv) * 1e-12 + 1e-12,
                                           msg=f"{where}: value of {name}!{ref}")
                else:
                    self.assertEqual(mv, lv, f"{where}: value of {name}!{ref}")
            self.assertEqual(sorted(mem_sheet["merges"]), lo_sheet["merges"], f"{where}: merges of {name}")
            self.assertEqual(mem_sheet["notes"], lo_sheet["notes"], f"{where}: notes of {name}")

    def test_random_structure_changes_sorts_and_replaces_match_calc(self):
        for seed in SEEDS:
            with self.subTest(seed=seed):
                self.run_seed(seed)

    def run_seed(self, seed):
        gen = Generator(seed)
        steps, rows, width, _ = gen.initial()
        self.calc.new_document([MAIN, DATA])
        for step in steps[2:]:
            self.apply(step)
        expected = [self.calc.state([MAIN, DATA])]
        self.merges = expected[-1][0]["merges"]
        applied = []
        while len(applied) < STEPS:
            step = self.next_step(gen, (rows, width))
            if step is None:
                continue
            self.apply(step)
            applied.append(step)
            state = self.calc.state([MAIN, DATA])
            expected.append(state)
            self.merges = state[0]["merges"]
            rows, width = self.table_size(state[0], rows, width)
        script = []
        for step in steps:
            script.append("\t".join(str(x) for x in step))
        script.append("print")
        for step in applied:
            script.append("\t".join(str(x) for x in step))
            script.append("print")
        actual = run_driver(script, self.workdir)
        self.assertEqual(len(actual), len(expected))
        if os.environ.get("KESTREL_MEMORY_TRACE"):
            sheet, ref = os.environ["KESTREL_MEMORY_TRACE"].split("!")
            index = [MAIN, DATA].index(sheet)
            for k, (lo, mem) in enumerate(zip(expected, actual)):
                print(k, applied[k - 1] if k else "set-up", lo[index]["cells"].get(ref), mem[index]["cells"].get(ref),
                      lo[index]["merges"], mem[index]["merges"])
        for k, (lo, mem) in enumerate(zip(expected, actual)):
            where = f"seed {seed}, " + ("set-up" if k == 0 else f"after step {k} {applied[k - 1]}")
            self.compare(lo, mem, where)

    @staticmethod
    def table_size(sheet_state, rows, width):
        """Rows and columns of the table area the next step works in: the filled cells' extent,
        kept between 4 and 14 rows and 3 and 8 columns."""
        cells = [split_a1(ref) for ref in sheet_state["cells"]]
        if not cells:
            return 4, 3
        last_row = max(r for r, _ in cells)
        last_col = max(c for _, c in cells)
        return max(4, min(14, last_row)), max(3, min(8, last_col - 3))


if __name__ == "__main__":
    unittest.main()
