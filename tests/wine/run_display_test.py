#!/usr/bin/env python3
"""Runs a Windows test program that shows dialogs, on a private X display (Xvfb) inside a Wine
virtual desktop, and takes the screenshots the program asks for.

Usage: run_display_test.py WORK_DIR SHOTS... -- PROGRAM [ARGUMENTS...]

The program runs in a Wine prefix of its own (the test prefix's path plus "-display"), so that
its desktop, its display and its font settings touch no other test: the prefix is created on first
use, gets the font replacements that let Chinese render with WenQuanYi Micro Hei and a virtual
desktop (Xvfb has no window manager), and its wineserver is stopped before and after each run. A
lock serialises the runs of both architectures.

The program asks for a screenshot by creating NAME.request in the folder named by the
environment variable KESTREL_SCREENSHOT_DIR (a Windows path) and waits for NAME.done; the
harness then saves WORK_DIR/screenshots/NAME.png with ImageMagick's `import -window root`, once two
captures in a row show the same pixels (a paint still on its way to the server is waited for). Every
NAME listed as SHOTS must have been taken. Passes when the program exits 0.
"""
import os
import subprocess
import sys
import time
from pathlib import Path

import wine_env

FONT_REPLACEMENTS = ["SimSun", "NSimSun", "Microsoft YaHei", "Microsoft YaHei UI"]
FONT = "WenQuanYi Micro Hei"


def reg_add(env, work, key, name, value):
    result = wine_env.run([wine_env.WINE, "reg", "add", key, "/v", name, "/d", value, "/f"], work, "reg-add", env)
    return result.code == 0


def start_xvfb(work):
    """Starts Xvfb on a free display number and returns (process, ':N')."""
    read_end, write_end = os.pipe()
    log = open(Path(work) / "xvfb.log", "wb")
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                            start_new_session=True)
    os.close(write_end)
    number = b""
    deadline = time.time() + 120  # a guard far above Xvfb's normal second
    while time.time() < deadline and not number.endswith(b"\n"):
        chunk = os.read(read_end, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_end)
    if not number.strip():
        xvfb.kill()
        sys.exit("Xvfb did not start; see " + str(Path(work) / "xvfb.log"))
    return xvfb, ":" + number.decode().strip()


def take_settled_screenshot(env, work, display, png):
    """Saves the screen as PNG once it has settled: two captures in a row that are the same pixels,
    so that a paint still on its way to the server is waited for, not slept past."""
    raw = Path(work) / "screen.ppm"
    previous = None
    for _ in range(200):  # a guard far above the two or three captures a settled screen takes
        taken = wine_env.run(["import", "-display", display, "-window", "root", str(raw)], work, "import", env,
                             timeout=60)
        if taken.code != 0 or not raw.exists():
            return False
        pixels = raw.read_bytes()
        if pixels == previous:
            converted = wine_env.run(["convert", str(raw), str(png)], work, "convert", env, timeout=60)
            raw.unlink()
            return converted.code == 0 and png.exists()
        previous = pixels
    return False


def main():
    if "--" not in sys.argv:
        sys.exit(__doc__)
    split = sys.argv.index("--")
    work = Path(sys.argv[1])
    shots = sys.argv[2:split]
    command = sys.argv[split + 1:]
    work.mkdir(parents=True, exist_ok=True)
    shot_dir = work / "screenshots"
    shot_dir.mkdir(exist_ok=True)
    for old in shot_dir.iterdir():
        old.unlink()

    env = wine_env.environment()
    env["WINEPREFIX"] = env["WINEPREFIX"].rstrip("/") + "-display"
    wine_env.ensure_prefix(env, work)
    checks = wine_env.Checks()

    with wine_env.prefix_lock(env, "display"):
        wine_env.run([wine_env.WINESERVER, "-k"], work, "wineserver-stop", env)
        xvfb, display = start_xvfb(work)
        try:
            env["DISPLAY"] = display
            env.pop("WAYLAND_DISPLAY", None)
            for name in FONT_REPLACEMENTS:
                checks.check(reg_add(env, work, r"HKCU\Software\Wine\Fonts\Replacements", name, FONT),
                             f"font replacement {name}")
            checks.check(reg_add(env, work, r"HKCU\Software\Wine\Explorer", "Desktop", "Default"), "virtual desktop")
            checks.check(reg_add(env, work, r"HKCU\Software\Wine\Explorer\Desktops", "Default", "800x600"),
                         "virtual desktop size")
            # The first Wine process started the desktop before these settings existed: start afresh.
            wine_env.run([wine_env.WINESERVER, "-k"], work, "wineserver-restart", env)
            env["KESTREL_SCREENSHOT_DIR"] = wine_env.windows_path(shot_dir)

            out_path, err_path = work / "program.out", work / "program.err"
            with open(out_path, "wb") as out, open(err_path, "wb") as err:
                program = subprocess.Popen([wine_env.WINE, *command], stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                           env=env)
                deadline = time.time() + 300
                while program.poll() is None and time.time() < deadline:
                    for request in sorted(shot_dir.glob("*.request")):
                        png = shot_dir / (request.stem + ".png")
                        checks.check(take_settled_screenshot(env, work, display, png), f"screenshot {png.name}")
                        request.unlink()
                        (shot_dir / (request.stem + ".done")).touch()
                        print(f"screenshot: {png}")
                    time.sleep(0.1)
                if program.poll() is None:
                    program.kill()
                    checks.check(False, "the program did not finish within 300 s")
            code = program.wait()
            output = out_path.read_bytes().decode("utf-8", "replace")
            print(output)
            if code != 0:
                print(err_path.read_bytes().decode("utf-8", "replace")[-4000:])
            checks.check(code == 0, f"exit code {code}")
        finally:
            wine_env.run([wine_env.WINESERVER, "-k"], work, "wineserver-stop", env)
            xvfb.terminate()
            try:
                xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                xvfb.kill()
    for name in shots:
        png = shot_dir / f"{name}.png"
        checks.check(png.exists() and png.stat().st_size > 2000, f"screenshot {name}.png was taken")
    return checks.finish()


if __name__ == "__main__":
    sys.exit(main())
