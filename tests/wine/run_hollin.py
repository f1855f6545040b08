#!/usr/bin/env python3
"""Hollin.exe, the 32-bit local server, from a 64-bit client, with the registration it needs.

Usage: run_hollin.py HOLLIN_EXE KESTREL_DLL_X86 KESTREL_DLL_X64 SCRIPT CLIENT_EXE WORK_DIR

Needs the win32 build's Hollin.exe and Kestrel.dll and the win64 build's Kestrel.dll, whose
per-machine registration (the register_machine fixture of the win64 build) gives the 64-bit
registry view the interfaces of FunCad and Ini.

1. `/RegServer` and `/UnregServer` per user: Hollin's keys are written under HKCU and all removed.
2. `-regserver machine` (any spelling) and the 32-bit Kestrel.dll per machine; the 64-bit view
   holds every interface a 64-bit client marshals (Cls64's, FunCad's, Ini's) with the automation
   marshaller and a type library that is registered for win64.
3. SCRIPT (hollin.vbs) under the 64-bit cscript: creation, calls and errors across the process
   boundary, and objects that outlive the released Cls64; then CLIENT_EXE (hollin_client_tests,
   64-bit), bound early to FunCad's and Ini's interfaces.
   The script also comes back right after its last release and is served.
4. The server process ends after each client let go of everything.
5. `/UnregServer machine` leaves no Hollin key in either view; the 32-bit library is unregistered
   and the 64-bit one registered again as the fixture left it.
"""
import os
import sys
from pathlib import Path

import wine_env
from reg_file import export_key

MARSHALLER = "{00020424-0000-0000-C000-000000000046}"
CLS64_CLSID = "{08867F2D-69C1-4600-8198-0927B78B4D3F}"
HOLLIN_LIBID = "{3A5FB078-9F8E-46C4-BCAC-13E4E7A1EBE2}"
INTERFACES = {"_Cls64": ("{C02E7EC7-3D65-4D43-B941-65BA97455714}", HOLLIN_LIBID),
              "_FunCad": ("{6E7BB11C-A340-4A7D-A4C0-4704825F3376}", "{BBF9A9E2-762B-458F-8184-79FFC283B900}"),
              "_Ini": ("{DC6D39C2-4C3C-4308-B3B3-9F8E2020FC70}", "{BBF9A9E2-762B-458F-8184-79FFC283B900}")}
MACHINE = r"HKEY_LOCAL_MACHINE\Software\Classes"
USER = r"HKEY_CURRENT_USER\Software\Classes"


def hollin_keys(env, work, classes, view, tag):
    """Which of Hollin's own keys exist below classes in one registry view."""
    keys = {"clsid": rf"{classes}\CLSID\{CLS64_CLSID}", "progid": rf"{classes}\Hollin.Cls64",
            "versioned progid": rf"{classes}\Hollin.Cls64.1", "typelib": rf"{classes}\TypeLib\{HOLLIN_LIBID}",
            "interface": rf"{classes}\Interface\{INTERFACES['_Cls64'][0]}"}
    return {name: export_key(env, work, key, f"{tag}-{name.replace(' ', '-')}", view=view) is not None
            for name, key in keys.items()}


def hollin_processes(exe_name):
    """Pids of running processes whose command line names the server program."""
    found = []
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            command = (entry / "cmdline").read_bytes().decode("utf-8", "replace")
        except OSError:
            continue
        if exe_name.lower() in command.lower() and "run_hollin" not in command:
            found.append(int(entry.name))
    return found


def server_ends(checks, hollin, client, client_err):
    """The server process ends (it lingers 2 s after the last release; the wait gives up after two
    minutes, a guard far above that); one that is left is ended, so that it does not outlive the test, and what it wrote is shown: the server
    writes to the error output of the client that started it, client_err. (Wine's rpcss then
    keeps the ended server's class object: later clients in the prefix fail with 0x800706BA until
    `wineserver -k`.)"""
    while (running := hollin_processes(Path(hollin).name)) and wine_env.wait_for_exit(running):
        pass
    left = hollin_processes(Path(hollin).name)
    checks.check(not left, f"Hollin still runs two minutes after {client} let go of the last reference (pids {left})")
    if left:
        print(client_err.read_text(errors="replace")[-3000:])
    for pid in left:
        os.kill(pid, 9)


def main():
    hollin, dll32, dll64, script, client, work = sys.argv[1:7]
    work = Path(work)
    env = wine_env.environment()
    env.pop("DISPLAY", None)  # nothing here may open a window
    wine_env.ensure_prefix(env, work)
    checks = wine_env.Checks()
    for binary in (hollin, dll32, dll64, client):
        if not Path(binary).exists():
            checks.check(False, f"{binary} is missing: build the win32 preset before the win64 one")
            return checks.finish()
    exe = wine_env.windows_path(hollin)
    run = lambda args, name: wine_env.run(args, work, name, env)

    with wine_env.prefix_lock(env, "registry"):
        # 1. Per user.
        result = run([wine_env.WINE, hollin, "/RegServer"], "regserver-user")
        checks.check(result.code == 0, f"/RegServer exit code {result.code}")
        server = (export_key(env, work, rf"{USER}\CLSID\{CLS64_CLSID}\LocalServer32", "user-server") or {})
        values = next(iter(server.values()), {})
        checks.check(values.get("", "").lower() == f'"{exe}"'.lower(),
                     f"per user, LocalServer32 is {values.get('')!r}, the quoted path {exe!r} expected")
        checks.check(all(hollin_keys(env, work, USER, None, "user-registered").values()), "per user, every key written")
        result = run([wine_env.WINE, hollin, "/UnregServer"], "unregserver-user")
        checks.check(result.code == 0, f"/UnregServer exit code {result.code}")
        left = [name for name, there in hollin_keys(env, work, USER, None, "user-left").items() if there]
        checks.check(not left, f"per user, /UnregServer leaves {left}")

        # 2. Per machine, the library beside it.
        result = run([wine_env.WINE, "regsvr32", "/s", "/i:machine", wine_env.windows_path(dll32)], "regsvr32-x86")
        checks.check(result.code == 0, f"regsvr32 /i:machine of the x86 Kestrel.dll exit code {result.code}")
        result = run([wine_env.WINE, hollin, "-regserver", "MACHINE"], "regserver-machine")
        checks.check(result.code == 0, f"-regserver MACHINE exit code {result.code}")
        try:
            for name, (iid, libid) in INTERFACES.items():
                exported = export_key(env, work, rf"{MACHINE}\Interface\{iid}", f"view64-{name}", view=64) or {}
                keys = {key.lower(): v for key, v in exported.items()}
                base = rf"{MACHINE}\Interface\{iid}".lower()
                checks.check(keys.get(base + r"\proxystubclsid32", {}).get("") == MARSHALLER,
                             f"64-bit view: {name} is marshalled by the automation marshaller")
                checks.check(keys.get(base + r"\typelib", {}).get("") == libid, f"64-bit view: {name} names its type library")
                library = export_key(env, work, rf"{MACHINE}\TypeLib\{libid}\1.0\0\win64", f"win64-{name}", view=64)
                checks.check(library is not None, f"{name}'s type library is registered for win64")
            library = export_key(env, work, rf"{MACHINE}\TypeLib\{HOLLIN_LIBID}\1.0\0\win64", "hollin-win64", view=64)
            path = next(iter((library or {}).values()), {}).get("", "")
            checks.check(path.lower() == (exe + "\\2").lower(), f"Hollin's win64 type library is {path!r}")

            # 3. The clients, 4. and the server's end after each.
            ini = work / "plugin.ini"
            ini.unlink(missing_ok=True)
            result = wine_env.run([wine_env.WINE64, "cscript", "//nologo", wine_env.windows_path(script),
                                   wine_env.windows_path(ini), wine_env.windows_path(client)], work, "cscript64", env,
                                  timeout=300)
            print(result.out)
            lines = [line.strip() for line in result.out.splitlines() if line.strip()]
            checks.check(result.code == 0, f"cscript exit code {result.code}")
            checks.check(bool(lines) and lines[-1] == "ALL-OK", "the script's last line is ALL-OK")
            checks.check(ini.exists() and "Layer=Sections" in ini.read_text(errors="replace"),
                         "the INI file was written by the server's Ini object")
            server_ends(checks, hollin, "the script", work / "cscript64.err")

            result = wine_env.run([wine_env.WINE, client, wine_env.windows_path(ini)], work, "client64", env, timeout=120)
            print(result.out[-3000:])
            checks.check(result.code == 0, f"the early-bound client's exit code {result.code}")
            checks.check("Scale=1:200" in ini.read_text(errors="replace"), "the early-bound Ini wrote its key")
            server_ends(checks, hollin, "the early-bound client", work / "client64.err")
        finally:
            # 5. Nothing of Hollin's is left; the library's registrations as the fixture had them.
            result = run([wine_env.WINE, hollin, "/UnregServer", "machine"], "unregserver-machine")
            checks.check(result.code == 0, f"/UnregServer machine exit code {result.code}")
            run([wine_env.WINE, "regsvr32", "/s", "/u", "/i:machine", wine_env.windows_path(dll32)], "unregsvr32-x86")
            run([wine_env.WINE, "regsvr32", "/s", "/i:machine", wine_env.windows_path(dll64)], "regsvr32-x64")
        for view in (32, 64):
            left = [name for name, there in hollin_keys(env, work, MACHINE, view, f"machine-left-{view}").items() if there]
            checks.check(not left, f"per machine, /UnregServer machine leaves {left} in the {view}-bit view")
    return checks.finish()


if __name__ == "__main__":
    sys.exit(main())
