#!/usr/bin/env python3
"""The MSI under Wine's msiexec, in a prefix of its own (nothing else registered there):

1. Per user, without ALLUSERS: the files land under %LOCALAPPDATA%\\Programs\\Kestrel with the
   build's version in their version resources; every ProgID, its class's server file and the
   spreadsheet's add-in key are written under HKCU. (Wine's COM does not read per-user classes, so
   this install is checked by reading the registry; creation is checked on the per-machine one.)
2. The next version (patch + 1, files with a byte more) installs over it in place: one installed
   product, of the new version, with the new files and its registration whole.
3. msiexec /x leaves no file and the registry as it was before the first install.
4. Per machine (ALLUSERS=1) likewise under HKLM and Program Files; there a 32-bit and (x64) a 64-bit
   VBScript create every ProgID of the class table, and Hollin serves the 64-bit client.

Usage: msi_install.py INPUTS.json CLIENT.vbs WORK_DIR
INPUTS (written by CMake): arch, msi, version, manufacturer, wixl, msibuild, make_msi, source,
generated, files {name: path}.
"""
import json
import os
import shutil
import subprocess
import sys
from pathlib import Path

import wine_env
from reg_file import export_key

PROGIDS = ["Kestrel.Connect", "Kestrel.ClsFunction", "Kestrel.FunCad", "Kestrel.Ini", "Kestrel.OpenSaveDlg",
           "Kestrel.cSpeedString", "Hollin.Cls64"]
ADDIN_KEY = r"Software\Microsoft\Office\Excel\Addins\Kestrel.Connect"
EXPECTED_ADDIN = {"FriendlyName": "Kestrel", "Description": "Kestrel,批量绘制横断面辅助工具", "LoadBehavior": 3}
UNINSTALL_KEY = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall"
# What is compared before the first install and after each removal: the user's and the machine's
# software keys, in both views.
SNAPSHOT_KEYS = [(r"HKEY_CURRENT_USER\Software", None), (r"HKEY_LOCAL_MACHINE\Software", 64),
                 (r"HKEY_LOCAL_MACHINE\Software", 32)]
# Windows Installer's own records and Wine's caches change with any install; nothing of Kestrel's lives there.
BOOKKEEPING = ("\\Microsoft\\Installer", "\\Classes\\Installer", "\\Microsoft\\Windows\\CurrentVersion\\Installer", "\\Microsoft\\Windows\\CurrentVersion\\Explorer",
               "\\Wine\\", "\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "\\Microsoft\\Cryptography")


class Session:
    def __init__(self, inputs, client, work):
        self.inputs, self.client, self.work = inputs, client, Path(work)
        self.env = os.environ.copy()
        self.env["WINEPREFIX"] = str(self.work / "prefix")
        self.env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
        self.env.setdefault("WINEDEBUG", "-all")
        self.checks = wine_env.Checks()
        self.step = 0

    def name(self, what):
        self.step += 1
        return f"{self.step:02d}-{what}"

    def msiexec(self, *args):
        return wine_env.run([wine_env.WINE, "msiexec", *args], self.work, self.name("msiexec"), self.env,
                            timeout=300).code

    def export(self, key, view=None):
        return export_key(self.env, self.work, key, self.name("export"), view=view)

    def snapshot(self):
        keys = {}
        for key, view in SNAPSHOT_KEYS:
            for path, values in (self.export(key, view) or {}).items():
                keys[(view, path)] = values
        return keys

    def compare(self, before, how):
        after = self.snapshot()
        changed = sorted({k for k in before.keys() | after.keys() if before.get(k) != after.get(k)},
                         key=lambda k: (k[0] or 0, k[1]))
        ours = [k for k in changed if not any(part in k[1] for part in BOOKKEEPING)]
        self.checks.check(not ours, f"{how}: keys differ from before the install: {ours[:20]}")

    def folder(self, per_machine):
        drive = Path(self.env["WINEPREFIX"]) / "drive_c"
        if per_machine:  # the prefix is 64-bit: a 32-bit package's Program Files is "Program Files (x86)"
            return drive / ("Program Files" if self.inputs["arch"] == "x64" else "Program Files (x86)") / "Kestrel"
        users = drive / "users"
        user = next(p for p in users.iterdir() if p.name not in ("Public", "Default"))
        return user / "AppData" / "Local" / "Programs" / "Kestrel"

    def installed_files(self, per_machine):
        folder = self.folder(per_machine)
        wanted = {"KestrelX86": folder / "x86" / "Kestrel.dll", "Hollin": folder / "x86" / "Hollin.exe"}
        if self.inputs["arch"] == "x64":
            wanted["KestrelX64"] = folder / "x64" / "Kestrel.dll"
        return wanted

    def expect_installed(self, per_machine, files, version, how):
        root = "HKEY_LOCAL_MACHINE" if per_machine else "HKEY_CURRENT_USER"
        installed = self.installed_files(per_machine)
        for name, path in installed.items():
            ok = self.checks.check(path.exists(), f"{how}: {path} is installed")
            if ok:
                self.checks.check(path.read_bytes() == Path(files[name]).read_bytes(), f"{how}: {path} is the MSI's file")
        drive = Path(self.env["WINEPREFIX"]) / "drive_c"
        served = {"c:\\" + str(p.relative_to(drive)).replace("/", "\\").lower() for p in installed.values()}
        views = [64, 32] if per_machine and self.inputs["arch"] == "x64" else [None]
        exports = {view: self.export(rf"{root}\Software\Classes", view) or {} for view in views}
        for view in views:
            classes = exports[view]
            for progid in PROGIDS:
                clsid = classes.get(rf"{root}\Software\Classes\{progid}\CLSID", {}).get("")
                if not self.checks.check(clsid, f"{how}: {progid} is registered under {root} (view {view})"):
                    continue
                server_key = rf"{root}\Software\Classes\CLSID\{clsid}"
                # A 64-bit client finds the 32-bit local server (Hollin) in the 32-bit view.
                server = (classes.get(server_key + r"\InprocServer32") or classes.get(server_key + r"\LocalServer32")
                          or exports.get(32, {}).get(server_key + r"\LocalServer32") or {}).get("", "")
                self.checks.check(server.strip('"').lower() in served,
                                  f"{how}: {progid} (view {view}) is served by an installed file, not {server!r}")
            addin = (self.export(rf"{root}\{ADDIN_KEY}", view) or {}).get(rf"{root}\{ADDIN_KEY}")
            self.checks.check(addin == EXPECTED_ADDIN, f"{how}: the spreadsheet's add-in key (view {view}) holds {addin}")
        products = self.products()
        self.checks.check(products == [version], f"{how}: installed Kestrel products {products}, expected [{version}]")
        # The files keep the build's version resources (the next version's are this build's, a byte longer).
        file_version = self.inputs["version"] + ".0"
        self.script(wine_env.WINE, [f"version={file_version}", wine_env.windows_path(installed["KestrelX86"]),
                                    f"version={file_version}", wine_env.windows_path(installed["Hollin"])], how)

    def products(self):
        found = []
        for view in ([64, 32] if self.inputs["arch"] == "x64" else [None]):
            for key, values in (self.export(UNINSTALL_KEY, view) or {}).items():
                if values.get("DisplayName") == "Kestrel":
                    found.append(values.get("DisplayVersion"))
        return sorted(set(found)) if self.inputs["arch"] == "x64" else found

    def script(self, launcher, arguments, how):
        result = wine_env.run([launcher, "cscript", "//nologo", wine_env.windows_path(self.client), *arguments],
                              self.work, self.name("cscript"), self.env, timeout=300)
        lines = result.out.strip().splitlines()
        self.checks.check(lines and lines[-1].strip() == "ALL-OK", f"{how}: {launcher} cscript says {result.out!r}")

    def hollin_processes(self):
        """Pids of the Hollin.exe processes of this prefix."""
        found = []
        for entry in Path("/proc").iterdir():
            try:
                command = (entry / "cmdline").read_bytes().lower()
                environment = (entry / "environ").read_bytes().split(b"\0")
            except OSError:
                continue
            if b"hollin.exe" in command and f"WINEPREFIX={self.env['WINEPREFIX']}".encode() in environment:
                found.append(int(entry.name))
        return found

    def hollin_ended(self, how):
        """Hollin, started by COM for the client, ends 2 s after the client let go (its file is in use until then)."""
        while (running := self.hollin_processes()) and wine_env.wait_for_exit(running):
            pass
        self.checks.check(not self.hollin_processes(), f"{how}: Hollin ended after its client")

    def expect_removed(self, per_machine, before, how):
        self.checks.check(not self.folder(per_machine).exists(), f"{how}: {self.folder(per_machine)} is gone")
        self.checks.check(self.products() == [], f"{how}: no Kestrel product is left installed")
        self.compare(before, how)


def next_version_msi(inputs, work):
    """The same sources as the next patch version, each file with one byte more."""
    major, minor, patch = inputs["version"].split(".")
    version = f"{major}.{minor}.{int(patch) + 1}"
    folder = Path(work) / "next"
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    files = {}
    for name, path in inputs["files"].items():
        files[name] = folder / f"{name}{Path(path).suffix}"
        files[name].write_bytes(Path(path).read_bytes() + b"\0")
    msi = folder / f"Kestrel-{version}-{inputs['arch']}.msi"
    made = subprocess.run(["cmake", f"-DWIXL={inputs['wixl']}", f"-DMSIBUILD={inputs['msibuild']}",
                           f"-DSOURCE={inputs['source']}", f"-DGENERATED={inputs['generated']}",
                           f"-DARCH={inputs['arch']}", f"-DVERSION={version}",
                           f"-DMANUFACTURER={inputs['manufacturer']}",
                           "-DFILES=" + ";".join(f"{k}={v}" for k, v in files.items()), f"-DOUTPUT={msi}",
                           "-P", inputs["make_msi"]], capture_output=True, text=True)
    if made.returncode != 0:
        sys.exit(f"making the next version's MSI failed: {made.stdout}{made.stderr}")
    return msi, version, files


def main():
    inputs = json.loads(Path(sys.argv[1]).read_text())
    session = Session(inputs, Path(sys.argv[2]), sys.argv[3])
    work, checks = session.work, session.checks
    shutil.rmtree(work / "prefix", ignore_errors=True)
    wine_env.ensure_prefix(session.env, work)
    msi, version = wine_env.windows_path(inputs["msi"]), inputs["version"]
    next_msi, next_version, next_files = next_version_msi(inputs, work)
    try:
        # Wine registers some system classes on their first use (the scripting host's): once before the snapshot.
        session.script(wine_env.WINE, [], "a client before the install")
        if inputs["arch"] == "x64":
            session.script(wine_env.WINE64, [], "a 64-bit client before the install")
        before = session.snapshot()

        checks.check(session.msiexec("/i", msi, "/qn") == 0, "per-user install succeeds")
        session.expect_installed(False, inputs["files"], version, "per user")
        checks.check(session.msiexec("/i", wine_env.windows_path(next_msi), "/qn") == 0, "the next version installs")
        session.expect_installed(False, next_files, next_version, "per user, upgraded")
        checks.check(session.msiexec("/x", wine_env.windows_path(next_msi), "/qn") == 0, "per-user removal succeeds")
        session.expect_removed(False, before, "per user, removed")

        checks.check(session.msiexec("/i", msi, "ALLUSERS=1", "/qn") == 0, "per-machine install succeeds")
        session.expect_installed(True, inputs["files"], version, "per machine")
        session.script(wine_env.WINE, PROGIDS, "per machine, 32-bit client")
        if inputs["arch"] == "x64":
            session.script(wine_env.WINE64, PROGIDS, "per machine, 64-bit client")
        session.hollin_ended("per machine")
        checks.check(session.msiexec("/x", msi, "ALLUSERS=1", "/qn") == 0, "per-machine removal succeeds")
        session.expect_removed(True, before, "per machine, removed")
    finally:
        wine_env.run([wine_env.WINESERVER, "-k"], work, "wineserver-kill", session.env)
    return checks.finish()


if __name__ == "__main__":
    sys.exit(main())
