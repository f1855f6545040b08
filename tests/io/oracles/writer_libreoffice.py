"""What LibreOffice Calc shows in every cell of a .xlsx, with or without recalculating on load.

Usage: writer_libreoffice.py FILE.xlsx WORKDIR cached|recalc

Runs soffice headless with a private profile under WORKDIR (one per mode, so runs side by side
do not meet), converts every sheet to CSV as shown on screen, and prints one line per cell that
shows something: "text<TAB>SHEET<TAB>A1<TAB>TEXT" (backslash escapes inside fields). "recalc"
sets the profile's OOXMLRecalcMode to 0 (always recalculate); "cached" leaves LibreOffice's
default, which keeps the results stored in the file. soffice exits 0 even when it fails, so a
missing CSV file is reported with exit status 2.
"""
import csv
import os
import pathlib
import subprocess
import sys

from openpyxl.utils import get_column_letter

SOFFICE = "soffice"
# Separator 44 (,), quote 34 ("), UTF-8 (76), from line 1, cells as shown, every sheet (-1).
CSV_FILTER = "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false,-1"
RECALC_ITEM = ('<item oor:path="/org.openoffice.Office.Calc/Formula/Load">'
               '<prop oor:name="OOXMLRecalcMode" oor:op="fuse"><value>0</value></prop></item>\n')


def escape(field):
    return (str(field).replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")
            .replace("\r", "\\r"))


def soffice(profile, *args):
    command = [SOFFICE, "-env:UserInstallation=" + profile.as_uri(), "--headless", "--norestore", *args]
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=240)


def make_profile(profile, recalc):
    # A fresh profile is written on the first start, over anything put there before: start it
    # once, then add the setting to the registry it wrote.
    soffice(profile, "--terminate_after_init")
    registry = profile / "user" / "registrymodifications.xcu"
    if not registry.exists():
        sys.exit("no LibreOffice profile was created in %s" % profile)
    if recalc:
        text = registry.read_text(encoding="utf-8")
        registry.write_text(text.replace("</oor:items>", RECALC_ITEM + "</oor:items>"), encoding="utf-8")


def main(path, workdir, mode):
    workdir = pathlib.Path(workdir).resolve()
    profile = workdir / ("profile-" + mode)
    out = workdir / ("csv-" + mode)
    out.mkdir(parents=True, exist_ok=True)
    make_profile(profile, mode == "recalc")
    run = soffice(profile, "--convert-to", CSV_FILTER, "--outdir", str(out), os.path.abspath(path))
    stem = pathlib.Path(path).stem
    files = sorted(out.glob(stem + "-*.csv"))
    if not files:
        sys.stdout.write(run.stdout.decode("utf-8", "replace"))
        sys.exit(2)
    for file in files:
        sheet = file.name[len(stem) + 1:-len(".csv")]
        with open(file, newline="", encoding="utf-8") as f:
            for r, row in enumerate(csv.reader(f), start=1):
                for c, text in enumerate(row, start=1):
                    if text != "":
                        print("\t".join(escape(x) for x in ("text", sheet, get_column_letter(c) + str(r), text)))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], sys.argv[3])
