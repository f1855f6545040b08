#!/usr/bin/env python3
"""Runs connect.vbs, a late-bound client of Kestrel.Connect, with the cscript of one bitness.

Usage: run_connect_script.py WINE_LAUNCHER SCRIPT WORK_DIR

WINE_LAUNCHER is /usr/bin/wine for the 32-bit cscript (x86 DLL) or /usr/lib/wine/wine64 for the
64-bit one (x64 DLL); the class must be registered per machine (the register_machine fixture).

Passes when the script's last line is ALL-OK and the web callbacks it calls asked the shell for
the right pages. The pages are recorded by pointing Wine's browser launcher (winebrowser, which
the shell runs for http and https) at a small recorder script for the length of the run.
"""
import sys
import time
from pathlib import Path

import wine_env
from reg_file import export_key

BROWSER_KEY = r"HKCU\Software\Wine\WineBrowser"

# What the web callbacks open, as paths after the site root (the root is set at build time).
EXPECTED_PAGE_PATHS = {
    "FunGoCADWeb": "jump.aspx?softid=161",
    "FunGoWeb": "jump.aspx?softid=152",
    "FunGoQQGroup": "jump.aspx?softid=16&VideoId=18",
    "FunGoCorvane": "",
}


def set_browsers(env, work, value):
    """Sets (or, for None, removes) the Browsers value of Wine's browser launcher."""
    if value is None:
        args = [wine_env.WINE, "reg", "delete", BROWSER_KEY, "/v", "Browsers", "/f"]
    else:
        args = [wine_env.WINE, "reg", "add", BROWSER_KEY, "/v", "Browsers", "/d", value, "/f"]
    return wine_env.run(args, work, "set-browsers", env).code == 0


def main():
    launcher, script, work = sys.argv[1], Path(sys.argv[2]), Path(sys.argv[3])
    env = wine_env.environment()
    wine_env.ensure_prefix(env, work)
    checks = wine_env.Checks()

    work.mkdir(parents=True, exist_ok=True)
    urls_log = work / "opened-urls.log"
    urls_log.unlink(missing_ok=True)
    recorder = work / "record-url.sh"
    recorder.write_text(f"#!/bin/sh\nprintf '%s\\n' \"$@\" >> '{urls_log}'\n")
    recorder.chmod(0o755)

    with wine_env.prefix_lock(env, "registry"):
        saved = export_key(env, work, BROWSER_KEY, "browser-settings")
        previous = (saved or {}).get("HKEY_CURRENT_USER\\Software\\Wine\\WineBrowser", {}).get("Browsers")
        checks.check(set_browsers(env, work, str(recorder)), "pointing winebrowser at the recorder")
        try:
            result = wine_env.run([launcher, "cscript", "//nologo", wine_env.windows_path(script)], work, "cscript",
                                  env, timeout=180)
            print(result.out)
            lines = [line.strip() for line in result.out.splitlines() if line.strip()]
            checks.check(result.code == 0, f"cscript exit code {result.code}")
            checks.check(lines and lines[-1] == "ALL-OK", "the script's last line is ALL-OK (a script error prints nothing)")
            # The shell starts winebrowser without waiting for it: its pages are waited for (two
            # minutes at most, a guard far above the normal second).
            deadline = time.time() + 120
            while time.time() < deadline:
                if urls_log.exists() and len(urls_log.read_text().splitlines()) >= len(EXPECTED_PAGE_PATHS):
                    break
                time.sleep(0.2)
        finally:
            set_browsers(env, work, previous)

    opened = urls_log.read_text().splitlines() if urls_log.exists() else []
    print("pages opened:", opened)
    roots = [url for url in opened if url.endswith("/") and url.startswith(("https://", "http://"))]
    checks.check(len(roots) == 1, "FunGoCorvane opened the site root once")
    root = roots[0] if roots else "<no root>"
    for callback, path in EXPECTED_PAGE_PATHS.items():
        checks.check(opened.count(root + path) == 1, f"{callback} opened {root + path} once")
    checks.check(len(opened) == len(EXPECTED_PAGE_PATHS), f"{len(opened)} pages opened, expected {len(EXPECTED_PAGE_PATHS)}")
    return checks.finish()


if __name__ == "__main__":
    sys.exit(main())
