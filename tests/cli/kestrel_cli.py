"""Helpers for the command-line tests: run the tool, make workbooks with openpyxl, ask LibreOffice."""
import csv
import io
import os
import shutil
import subprocess
import tempfile
import unittest

KESTREL = os.environ.get("KESTREL", "kestrel")
SOURCE = os.environ.get("KESTREL_SOURCE", os.path.join(os.path.dirname(__file__), "..", ".."))


def run(*args, stdin=None):
    """Runs kestrel; returns (exit status, stdout, stderr) as text."""
    done = subprocess.run([KESTREL, *args], input=stdin, capture_output=True, text=True, timeout=600)
    return done.returncode, done.stdout, done.stderr


def dump_rows(*args):
    status, out, err = run("dump", *args)
    if status != 0:
        raise AssertionError(f"dump failed ({status}): {err}")
    return list(csv.reader(io.StringIO(out)))


class TempDirTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="kestrel-cli-")

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.dir, name)

    def files(self):
        return sorted(os.listdir(self.dir))


def soffice():
    return shutil.which("soffice") or shutil.which("libreoffice")


def libreoffice_csv(xlsx, outdir, recalculate):
    """The sheet as LibreOffice displays it, converted to CSV with a private profile.

    recalculate=False shows the cached values stored in the file; True makes LibreOffice compute
    every formula on load."""
    profile = os.path.join(outdir, "lo-profile-recalc" if recalculate else "lo-profile-cached")
    user = os.path.join(profile, "user")
    os.makedirs(user, exist_ok=True)
    mode = 0 if recalculate else 1  # 0: always recalculate, 1: never
    with open(os.path.join(user, "registrymodifications.xcu"), "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n'
                '<oor:items xmlns:oor="http://openoffice.org/2001/registry" '
                'xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">\n'
                '<item oor:path="/org.openoffice.Office.Calc/Formula/Load">'
                f'<prop oor:name="OOXMLRecalcMode" oor:op="fuse"><value>{mode}</value></prop></item>\n'
                '</oor:items>\n')
    target = os.path.join(outdir, "lo-recalc" if recalculate else "lo-cached")
    os.makedirs(target, exist_ok=True)
    subprocess.run([soffice(), f"-env:UserInstallation=file://{profile}", "--headless", "--convert-to",
                    "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false,1",
                    "--outdir", target, xlsx], capture_output=True, timeout=300)
    name = os.path.splitext(os.path.basename(xlsx))[0] + ".csv"
    out = os.path.join(target, name)
    if not os.path.exists(out):
        raise AssertionError(f"LibreOffice did not convert {xlsx}")
    with open(out, encoding="utf-8") as f:
        return list(csv.reader(f))
