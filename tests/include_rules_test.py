"""scripts/check-includes: this tree keeps the folder rules, and a broken rule or a cycle is caught."""
import os
import pathlib
import subprocess
import sys
import tempfile
import unittest

SOURCE = pathlib.Path(os.environ.get("KESTREL_SOURCE", pathlib.Path(__file__).resolve().parent.parent))
CHECK = SOURCE / "scripts" / "check-includes"


def run(root):
    done = subprocess.run([sys.executable, str(CHECK), str(root)], capture_output=True, text=True)
    return done.returncode, done.stdout


class IncludeRules(unittest.TestCase):
    def test_this_tree_keeps_the_rules(self):
        code, out = run(SOURCE)
        self.assertEqual((code, out), (0, ""))

    def test_a_forbidden_include_and_a_cycle_are_reported(self):
        with tempfile.TemporaryDirectory() as tmp:
            root = pathlib.Path(tmp)
            files = {
                "src/util/a.cpp": '#include "util/a.h"\n#include "host/shell.h"\n',
                "src/host/shell.h": '#include "util/a.h"\n',
                "src/sections/s.h": '#include "volumes/v.h"\n#include "host/shell.h"\n',
                "src/volumes/v.cpp": '#include "sections/s.h"\n',
                "src/geometry/g.cpp": '#include "sections/s.h"\n',
                "io/p.h": ' #  include "geometry/g.h"\n',
                "cli/main.cpp": '#include "io/p.h"\n#include "addin/commands.h"\n#include "local.h"\n',
                "src/addin/commands.h": '#include "sections/s.h"\n',
                # exchange/ is a feature: it reads the survey and the design, never the workbook files.
                "src/exchange/landxml.cpp": '#include "sections/s.h"\n#include "io/p.h"\n',
                # Features read the workbook through the ports; the Windows shell serves a real host.
                "src/earthworks/e.cpp": '#include "workbook/memory_workbook.h"\n',
                "win/dialogs/view.cpp": '#include "sections/s.h"\n#include "workbook/memory_workbook.h"\n',
                # win/'s role folders are win/: Hollin is built on them, a feature never includes them.
                "hollin/main.cpp": '#include "dialogs/view.h"\n',
                "src/geometry/t.cpp": '#include "dialogs/view.h"\n',
                "src/workbook/memory_workbook.h": '#include "host/shell.h"\n',
                # Two io/ files that include each other, one through a header beside it.
                "io/q.h": '#include "io/r.h"\n',
                "io/r.cpp": '#include "q.h"\n',
            }
            for name, text in files.items():
                (root / name).parent.mkdir(parents=True, exist_ok=True)
                (root / name).write_text(text)
            code, out = run(root)
            lines = out.splitlines()
            self.assertEqual(code, 1)
            self.assertEqual(len(lines), 9, out)
            self.assertTrue(lines[0].startswith('io/p.h: #include "geometry/g.h"'), out)
            self.assertTrue(lines[1].startswith('src/earthworks/e.cpp: #include "workbook/memory_workbook.h": a feature'), out)
            self.assertTrue(lines[2].startswith('src/exchange/landxml.cpp: #include "io/p.h": a feature'), out)
            self.assertTrue(lines[3].startswith('src/geometry/t.cpp: #include "dialogs/view.h": only a shell includes win/'), out)
            self.assertTrue(lines[4].startswith('src/util/a.cpp: #include "host/shell.h"'), out)
            self.assertTrue(lines[5].startswith('win/dialogs/view.cpp: #include "workbook/memory_workbook.h"'), out)
            self.assertTrue(lines[6].startswith("include cycle between host, util"), out)
            self.assertTrue(lines[7].startswith("include cycle between sections, volumes"), out)
            self.assertTrue(lines[8].startswith("include cycle between files io/q, io/r"), out)

            # Without the broken rules the same tree passes: cli and addin may include the features.
            (root / "src/util/a.cpp").write_text('#include "util/a.h"\n')
            (root / "src/volumes/v.cpp").write_text('#include "host/shell.h"\n')
            (root / "io/p.h").write_text('#include "drawing/shapes.h"\n')
            (root / "src/exchange/landxml.cpp").write_text('#include "sections/s.h"\n#include "volumes/v.h"\n')
            (root / "src/earthworks/e.cpp").write_text('#include "host/shell.h"\n')
            (root / "src/geometry/t.cpp").unlink()
            (root / "win/dialogs/view.cpp").write_text('#include "sections/s.h"\n#include "addin/commands.h"\n')
            (root / "io/r.cpp").write_text('#include "r.h"\n#include "workbook/memory_workbook.h"\n')
            self.assertEqual(run(root), (0, ""))


if __name__ == "__main__":
    unittest.main()
