"""The table of worksheet-function answers that the Wine tests compare Kestrel.dll with is what
`kestrel fn` answers (tests/wine/make_function_cases.py writes it)."""
import json
import os
import unittest

from kestrel_cli import SOURCE, run


class FunctionCasesTest(unittest.TestCase):
    def test_the_table_is_the_tools_answers(self):
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
