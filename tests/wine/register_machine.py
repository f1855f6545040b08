#!/usr/bin/env python3
"""Test fixture: `regsvr32 /i:machine Kestrel.dll` registers the classes per machine (Wine's COM
does not read per-user classes), in the registry view of the DLL's bitness.

Usage: register_machine.py DLL BITS WORK_DIR      (BITS: 32 or 64)
"""
import sys

import wine_env
from reg_file import export_key

CLSID = "{BC47A2CA-0F11-49FB-A7D1-62ACF6D6797C}"
LIBID = "{BBF9A9E2-762B-458F-8184-79FFC283B900}"
CLASSES = r"HKEY_LOCAL_MACHINE\Software\Classes"


def main():
    dll, bits, work = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    env = wine_env.environment()
    wine_env.ensure_prefix(env, work)
    checks = wine_env.Checks()
    dll_path = wine_env.windows_path(dll)

    with wine_env.prefix_lock(env, "registry"):
        result = wine_env.run([wine_env.WINE, "regsvr32", "/s", "/i:machine", dll_path], work, "regsvr32", env)
        checks.check(result.code == 0, f"regsvr32 /i:machine exit code {result.code}")
        clsid = export_key(env, work, rf"{CLASSES}\CLSID\{CLSID}", "clsid", view=bits) or {}
        progid = export_key(env, work, rf"{CLASSES}\Kestrel.Connect", "progid", view=bits) or {}
        typelib = export_key(env, work, rf"{CLASSES}\TypeLib\{LIBID}", "typelib", view=bits) or {}

    server = clsid.get(rf"{CLASSES}\CLSID\{CLSID}\InprocServer32", {})
    checks.check(server.get("", "").lower() == dll_path.lower(),
                 f"InprocServer32 in the {bits}-bit view is {server.get('')!r}, expected {dll_path!r}")
    checks.check(server.get("ThreadingModel") == "Apartment", "ThreadingModel is Apartment")
    checks.check(clsid.get(rf"{CLASSES}\CLSID\{CLSID}\ProgID", {}).get("") == "Kestrel.Connect",
                 "the class names its ProgID Kestrel.Connect")
    checks.check(progid.get(rf"{CLASSES}\Kestrel.Connect\CLSID", {}).get("") == CLSID,
                 "the ProgID Kestrel.Connect names the class")
    platform = "win64" if bits == 64 else "win32"
    library = typelib.get(rf"{CLASSES}\TypeLib\{LIBID}\1.0\0\{platform}", {}).get("", "")
    checks.check(library.lower() == dll_path.lower(), f"the type library is registered for {platform} in the DLL")
    return checks.finish()


if __name__ == "__main__":
    sys.exit(main())
