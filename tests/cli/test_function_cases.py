"""The worksheet functions through `kestrel fn`: the worked cases on real profile and cross-slope
files (tests/wine/worked_function_cases.py) and the calls without files (tests/wine/function_cases.json),
each answer worked out from the function's definition; the Wine tests put the same calls to
Kestrel.dll."""
import json
import os
import sys
import unittest

from kestrel_cli import SOURCE, TempDirTest, run

sys.path.insert(0, os.path.join(SOURCE, "tests", "wine"))
import worked_function_cases  # noqa: E402


class WorkedCasesTest(TempDirTest):
    def test_profile_and_cross_slope_files_give_the_worked_answers(self):
        files = worked_function_cases.write_files(self.dir)
        cases = worked_function_cases.cases(lambda role: str(files[role]))
        self.assertGreater(len(cases), 25)
        for case in cases:
            status, out, err = run("fn", case["function"], *map(str, case["arguments"]))
            with self.subTest(function=case["function"], arguments=case["arguments"]):
                self.assertEqual(status, 0, err)
                self.assertAlmostEqual(float(out.splitlines()[0]), float(case["expected"]), delta=case["tolerance"])


class FunctionCasesTest(unittest.TestCase):
    def test_calls_without_files_give_the_tables_answers(self):
        with open(os.path.join(SOURCE, "tests", "wine", "function_cases.json"), encoding="utf-8") as f:
            cases = json.load(f)
        self.assertGreater(len(cases), 30)
        for case in cases:
            status, out, _ = run("fn", case["function"], *map(str, case["arguments"]))
            with self.subTest(function=case["function"], arguments=case["arguments"]):
                self.assertEqual(out.splitlines()[0] if out else "", case["expected"])
                self.assertEqual(status, 1 if case["expected"] == "#VALUE!" else 0)


if __name__ == "__main__":
    unittest.main()
