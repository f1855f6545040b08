#!/usr/bin/env python3
"""Test fixture cleanup: `regsvr32 /u /i:machine Kestrel.dll` removes the per-machine class (and,
through DllUnregisterServer, the per-user registration).

Usage: unregister_machine.py DLL BITS WORK_DIR
"""
import sys

import wine_env
from reg_file import export_key

CLSID = "{BC47A2CA-0F11-49FB-A7D1-62ACF6D6797C}"


def main():
    dll, bits, work = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    env = wine_env.environment()
    wine_env.ensure_prefix(env, work)
    checks = wine_env.Checks()
    with wine_env.prefix_lock(env, "registry"):
        result = wine_env.run([wine_env.WINE, "regsvr32", "/s", "/u", "/i:machine", wine_env.windows_path(dll)], work,
                              "regsvr32", env)
        checks.check(result.code == 0, f"regsvr32 /u /i:machine exit code {result.code}")
        clsid = export_key(env, work, rf"HKLM\Software\Classes\CLSID\{CLSID}", "clsid", view=bits)
        addin = export_key(env, work, r"HKCU\Software\Microsoft\Office\Excel\Addins\Kestrel.Connect", "addin")
    checks.check(clsid is None, f"the class is gone from the {bits}-bit view")
    checks.check(addin is None, "the host's add-in key is gone")
    return checks.finish()


if __name__ == "__main__":
    sys.exit(main())
