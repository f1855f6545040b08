"""States what LibreOffice displays in every filled cell of a .xlsx file (its CSV export of the
text as shown, one file per sheet), in the facts format. Usage: lo_display.py FILE.xlsx OUTDIR OUT.facts
Exits 2 when soffice is missing."""
import csv
import os
import subprocess
import sys

from openpyxl import load_workbook
from openpyxl.utils import get_column_letter

from facts import Facts

HERE = os.path.dirname(os.path.abspath(__file__))
SHOWN_AS_TEXT = "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false,-1"

source, outdir, out = sys.argv[1], sys.argv[2], sys.argv[3]
result = subprocess.run([sys.executable, os.path.join(HERE, "lo_convert.py"), source, outdir, SHOWN_AS_TEXT],
                        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
if result.returncode != 0:
    sys.stderr.write(result.stderr)
    sys.exit(result.returncode)
made = result.stdout.split("\n")
stem = os.path.splitext(os.path.basename(source))[0]
facts = Facts()
for title in load_workbook(source, read_only=True).sheetnames:
    path = os.path.join(outdir, stem + "-" + title + ".csv")
    if path not in made:
        print("no CSV export of sheet " + title, file=sys.stderr)
        sys.exit(1)
    with open(path, encoding="utf-8", newline="") as f:
        for r, row in enumerate(csv.reader(f), start=1):
            for c, text in enumerate(row, start=1):
                if text != "":
                    facts.add("display", title, get_column_letter(c) + str(r), text)
facts.write(out)
