"""Converts a file with headless LibreOffice, in a private profile of its own (so that runs in
parallel do not share one) that recalculates formulas on load.
Usage: lo_convert.py INPUT OUTDIR FILTER   (FILTER: "xlsx", or a csv filter with options)
Prints the paths of the files it made (one per sheet for a csv filter whose last option is -1);
exits 2 when soffice is missing, 1 when nothing came out (soffice exits 0 even when it fails)."""
import os
import shutil
import subprocess
import sys
import tempfile

SOFFICE = shutil.which("soffice")

RECALC_ALWAYS = """<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Calc/Formula/Load"><prop oor:name="OOXMLRecalcMode" oor:op="fuse"><value>0</value></prop></item>
<item oor:path="/org.openoffice.Office.Calc/Formula/Load"><prop oor:name="ODFRecalcMode" oor:op="fuse"><value>0</value></prop></item>
</oor:items>
"""


def main():
    source, outdir, filt = sys.argv[1], sys.argv[2], sys.argv[3]
    if SOFFICE is None:
        print("soffice is missing", file=sys.stderr)
        return 2
    os.makedirs(outdir, exist_ok=True)
    ext = filt.split(":")[0]
    stem = os.path.splitext(os.path.basename(source))[0]
    for name in os.listdir(outdir):
        if name == stem + "." + ext or (name.startswith(stem + "-") and name.endswith("." + ext)):
            os.remove(os.path.join(outdir, name))
    profile = tempfile.mkdtemp(prefix="kestrel-lo-")
    try:
        user = os.path.join(profile, "user")
        os.makedirs(user)
        with open(os.path.join(user, "registrymodifications.xcu"), "w", encoding="utf-8") as f:
            f.write(RECALC_ALWAYS)
        env = dict(os.environ, HOME=profile)
        result = subprocess.run(
            [SOFFICE, "-env:UserInstallation=file://" + profile, "--headless", "--norestore",
             "--convert-to", filt, "--outdir", outdir, source],
            env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=240)
        made = sorted(os.path.join(outdir, name) for name in os.listdir(outdir)
                      if name == stem + "." + ext
                      or (name.startswith(stem + "-") and name.endswith("." + ext)))
        if not made or (ext == "xlsx" and os.path.getsize(made[0]) == 0):
            print("soffice made nothing from " + source + ": " + result.stdout.decode(errors="replace"),
                  file=sys.stderr)
            return 1
        for path in made:
            print(path)
        return 0
    finally:
        shutil.rmtree(profile, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
