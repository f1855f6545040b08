#!/usr/bin/env python3
"""Test fixture: `regsvr32 /i:machine Kestrel.dll` registers the classes per machine (Wine's COM
does not read per-user classes), in the registry view of the DLL's bitness.

Usage: register_machine.py DLL BITS WORK_DIR

Before and after registering it saves the parts of the registry that registration writes to
(registry_snapshot.json in WORK_DIR: "before" and "registered"), so that unregister_machine.py
can prove that unregistration removes every key registration added and nothing else.
"""
import json
import sys
from pathlib import Path

import wine_env
from reg_file import export_key

LIBID = "{BBF9A9E2-762B-458F-8184-79FFC283B900}"
CLASSES = r"HKEY_LOCAL_MACHINE\Software\Classes"
# Every creatable class of Kestrel.dll, by ProgID; automation add-ins are marked Programmable.
CLASS_NAMES = ["Connect", "ClsFunction", "FunCad", "Ini", "OpenSaveDlg", "cSpeedString"]
AUTOMATION_ADDINS = {"ClsFunction"}
# WPS's whitelist of COM add-ins (per machine here), shared with other add-ins: one of theirs is
# placed before registration and must outlive unregistration.
WPS_WHITELIST = r"HKEY_LOCAL_MACHINE\Software\Kingsoft\Office\ET\AddinsWL"
OTHER_ADDIN = "Corvid.Ledger"


def snapshot(env, work, bits):
    """The keys that registration writes below, as reg export shows them ({} for a missing key)."""
    keys = {
        "classes": (rf"{CLASSES}", bits),
        "user_classes": (r"HKEY_CURRENT_USER\Software\Classes", None),
        "office": (r"HKEY_CURRENT_USER\Software\Microsoft\Office", None),
        "wps": (WPS_WHITELIST, bits),
    }
    return {name: export_key(env, work, key, f"snapshot-{name}", view=view) or {} for name, (key, view) in keys.items()}


def main():
    dll, bits, work = sys.argv[1], int(sys.argv[2]), Path(sys.argv[3])
    env = wine_env.environment()
    wine_env.ensure_prefix(env, work)
    checks = wine_env.Checks()
    dll_path = wine_env.windows_path(dll)

    with wine_env.prefix_lock(env, "registry"):
        # A registration left by an interrupted run would hide what this one adds.
        wine_env.run([wine_env.WINE, "regsvr32", "/s", "/u", "/i:machine", dll_path], work, "regsvr32-clean", env)
        placed = wine_env.run([wine_env.WINE, "reg", "add", WPS_WHITELIST, "/v", OTHER_ADDIN, "/t", "REG_SZ", "/d", "1",
                               "/f", f"/reg:{bits}"], work, "reg-add-other-addin", env)
        checks.check(placed.code == 0, f"another add-in's whitelist value placed (exit code {placed.code})")
        before = snapshot(env, work, bits)
        result = wine_env.run([wine_env.WINE, "regsvr32", "/s", "/i:machine", dll_path], work, "regsvr32", env)
        checks.check(result.code == 0, f"regsvr32 /i:machine exit code {result.code}")
        registered = snapshot(env, work, bits)
        (work / "registry_snapshot.json").write_text(json.dumps({"before": before, "registered": registered}))
        exported = registered["classes"]
        whitelist = {key.lower(): values for key, values in registered["wps"].items()}.get(WPS_WHITELIST.lower(), {})
    checks.check(whitelist.get("Kestrel.Connect") is not None, f"WPS's whitelist names Kestrel.Connect: {whitelist}")
    checks.check(whitelist.get(OTHER_ADDIN) == "1", f"another add-in's whitelist value stays: {whitelist}")
    # Key names compare without regard to case, as the registry compares them.
    keys = {key.lower(): values for key, values in exported.items()}

    def key_values(path):
        return keys.get(path.lower(), {})

    for name in CLASS_NAMES:
        prog_id = f"Kestrel.{name}"
        clsid = key_values(rf"{CLASSES}\{prog_id}\CLSID").get("")
        checks.check(bool(clsid), f"the ProgID {prog_id} names a class")
        checks.check(key_values(rf"{CLASSES}\{prog_id}.1\CLSID").get("") == clsid, f"{prog_id}.1 names it too")
        checks.check(key_values(rf"{CLASSES}\{prog_id}\CurVer").get("") == f"{prog_id}.1", f"{prog_id}'s CurVer")
        key = rf"{CLASSES}\CLSID\{clsid}"
        server = key_values(rf"{key}\InprocServer32")
        checks.check(server.get("", "").lower() == dll_path.lower(),
                     f"{name}: InprocServer32 in the {bits}-bit view is {server.get('')!r}, expected {dll_path!r}")
        checks.check(server.get("ThreadingModel") == "Apartment", f"{name}: ThreadingModel is Apartment")
        checks.check(key_values(rf"{key}\ProgID").get("") == f"{prog_id}.1", f"{name}: the class names {prog_id}.1")
        checks.check(key_values(rf"{key}\VersionIndependentProgID").get("") == prog_id,
                     f"{name}: the class names {prog_id}")
        checks.check((rf"{key}\Programmable".lower() in keys) == (name in AUTOMATION_ADDINS),
                     f"{name}: Programmable only on the automation add-in")
    platform = "win64" if bits == 64 else "win32"
    library = key_values(rf"{CLASSES}\TypeLib\{LIBID}\1.0\0\{platform}").get("", "")
    checks.check(library.lower() == dll_path.lower(), f"the type library is registered for {platform} in the DLL")
    return checks.finish()


if __name__ == "__main__":
    sys.exit(main())
