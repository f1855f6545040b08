#!/usr/bin/env python3
"""Test fixture cleanup: `regsvr32 /u /i:machine Kestrel.dll` removes the per-machine classes (and,
through DllUnregisterServer, the per-user registration): the keys registration touches are then
exactly as register_machine.py saved them before registering.

Usage: unregister_machine.py DLL BITS WORK_DIR SNAPSHOT
"""
import json
import sys
from pathlib import Path

import wine_env
from register_machine import snapshot


def differences(before, after):
    """Keys (with their values) present in one snapshot and not, or not so, in the other."""
    found = []
    for key in sorted(set(before) | set(after)):
        if before.get(key) != after.get(key):
            found.append(f"{key}: {before.get(key)!r} -> {after.get(key)!r}")
    return found


def main():
    dll, bits, work, saved = sys.argv[1], int(sys.argv[2]), Path(sys.argv[3]), Path(sys.argv[4])
    env = wine_env.environment()
    wine_env.ensure_prefix(env, work)
    checks = wine_env.Checks()
    with wine_env.prefix_lock(env, "registry"):
        result = wine_env.run([wine_env.WINE, "regsvr32", "/s", "/u", "/i:machine", wine_env.windows_path(dll)], work,
                              "regsvr32", env)
        checks.check(result.code == 0, f"regsvr32 /u /i:machine exit code {result.code}")
        after = snapshot(env, work, bits)
    before = json.loads(saved.read_text()) if saved.exists() else None
    checks.check(before is not None, f"the snapshot {saved} taken before registration exists")
    for part in (before or {}):
        left = differences(before[part], after[part])
        for line in left[:20]:
            print(line)
        checks.check(not left, f"{part}: {len(left)} key(s) differ from before the registration")
    return checks.finish()


if __name__ == "__main__":
    sys.exit(main())
