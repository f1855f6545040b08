"""The Debian package of the tool, built by cpack from this build: unpacked into an empty root, its
kestrel runs the demo on the samples the package installs; it declares its libraries' packages,
carries a manual page made from the help, has the tool's version, and lintian finds no error."""
import gzip
import os
import re
import shutil
import subprocess
import tempfile
import unittest

from kestrel_cli import KESTREL

BUILD = os.environ.get("KESTREL_BUILD", "")
REQUIRE_ORACLES = os.environ.get("KESTREL_REQUIRE_ORACLES") == "1"


class DebianPackage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp(prefix="kestrel-deb-")
        made = subprocess.run(["cpack", "-G", "DEB", "--config", os.path.join(BUILD, "CPackConfig.cmake"),
                               "-B", cls.dir], capture_output=True, text=True, timeout=600)
        if made.returncode != 0:
            raise AssertionError(f"cpack failed: {made.stdout}{made.stderr}")
        debs = [f for f in os.listdir(cls.dir) if f.endswith(".deb")]
        assert len(debs) == 1, debs
        cls.deb = os.path.join(cls.dir, debs[0])
        cls.root = os.path.join(cls.dir, "root")
        subprocess.run(["dpkg-deb", "-x", cls.deb, cls.root], check=True)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir, ignore_errors=True)

    def field(self, name):
        return subprocess.run(["dpkg-deb", "-f", self.deb, name], capture_output=True, text=True,
                              check=True).stdout.strip()

    def test_the_installed_tool_runs_the_demo_on_the_installed_samples(self):
        tool = os.path.join(self.root, "usr", "bin", "kestrel")
        out = os.path.join(self.dir, "demo")
        done = subprocess.run([tool, "demo", out], capture_output=True, text=True, timeout=600)
        self.assertEqual(done.returncode, 0, done.stderr)
        samples = os.path.join(self.root, "usr", "share", "kestrel", "samples")
        self.assertIn(f"sample survey from {samples}", done.stdout)
        for made in ("stations.Dic", "sections.dxf", "sections.pdf"):
            self.assertGreater(os.path.getsize(os.path.join(out, made)), 0, made)

    def test_one_version_and_the_libraries_packages(self):
        version = subprocess.run([KESTREL, "--version"], capture_output=True, text=True).stdout.split()[-1]
        self.assertEqual(self.field("Version"), version)
        self.assertEqual(self.field("Package"), "kestrel")
        depends = self.field("Depends")
        for library in ("libc6", "libstdc++6", "libzip4", "libcairo2", "libpugixml"):
            self.assertIn(library, depends)
        self.assertNotIn("libxlsxwriter", depends)  # the workbook writer is our own
        self.assertIn("fonts-wqy-microhei", self.field("Recommends"))

    def test_the_manual_page_is_the_help(self):
        with gzip.open(os.path.join(self.root, "usr", "share", "man", "man1", "kestrel.1.gz"), "rt") as page:
            text = page.read().replace("\\-", "-")
        help_text = subprocess.run([KESTREL, "--help"], capture_output=True, text=True).stdout
        for command in re.findall(r"^  (\w[\w-]*)\s", help_text, re.M):
            self.assertIn(command, text)
        self.assertRegex(text, r'\.TH KESTREL "1"')

    def test_lintian_finds_no_error(self):
        if not shutil.which("lintian"):
            if REQUIRE_ORACLES:
                self.fail("lintian is not installed (scripts/setup installs it)")
            self.skipTest("lintian is not installed")
        done = subprocess.run(["lintian", "--no-tag-display-limit", self.deb], capture_output=True, text=True,
                              timeout=600)
        errors = [line for line in done.stdout.splitlines() if line.startswith("E:")]
        self.assertEqual(errors, [], done.stdout)


if __name__ == "__main__":
    unittest.main()
