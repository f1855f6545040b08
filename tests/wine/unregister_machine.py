#!/usr/bin/env python3
"""Test fixture cleanup: `regsvr32 /u /i:machine Kestrel.dll` removes the per-machine classes (and,
through DllUnregisterServer, the per-user registration): every key that registration added (as
register_machine.py saw it) is gone, and no key that was there before registration is.
Values of keys that existed before are not compared: Wine itself rewrites some of its own
registrations (stdole's, vbscript's) while the tests run.

Usage: unregister_machine.py DLL BITS WORK_DIR SNAPSHOT
"""
import json
import sys
from pathlib import Path

import wine_env
from register_machine import OTHER_ADDIN, WPS_WHITELIST, snapshot


# Containers that every Windows installation has and other software shares. A fresh Wine prefix
# lacks some of them until the first registration makes them; unregistration rightly leaves them.
SHARED_CONTAINERS = ("software\\classes", "software\\classes\\clsid", "software\\classes\\interface",
                     "software\\classes\\typelib", "software\\microsoft\\office",
                     "software\\microsoft\\office\\excel", "software\\microsoft\\office\\excel\\addins")


def shared_container(key):
    path = key.split("\\", 1)[1] if "\\" in key else ""
    path = path.replace("wow6432node\\", "")
    return path in SHARED_CONTAINERS


def lower_keys(keys):
    # Key names compare without regard to case, as the registry compares them.
    return {key.lower() for key in keys}


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
    snapshots = json.loads(saved.read_text()) if saved.exists() else None
    checks.check(snapshots is not None, f"the snapshots {saved} of register_machine exist")
    if snapshots is None:
        return checks.finish()
    before, registered = snapshots["before"], snapshots["registered"]
    added_total = 0
    for part in before:
        added = {key for key in lower_keys(registered[part]) - lower_keys(before[part]) if not shared_container(key)}
        added_total += len(added)
        left = sorted(added & lower_keys(after[part]))
        lost = sorted(lower_keys(before[part]) - lower_keys(after[part]))
        for key in (left + lost)[:20]:
            print(key)
        checks.check(not left, f"{part}: {len(left)} of the {len(added)} key(s) registration added are left")
        checks.check(not lost, f"{part}: {len(lost)} key(s) that were there before registration are gone")
    checks.check(added_total > 0, "registration added keys")
    # The whitelist key is shared: only Kestrel's value goes.
    whitelist = {key.lower(): values for key, values in after["wps"].items()}.get(WPS_WHITELIST.lower(), {})
    checks.check("Kestrel.Connect" not in whitelist, f"WPS's whitelist no longer names Kestrel.Connect: {whitelist}")
    checks.check(whitelist.get(OTHER_ADDIN) == "1", f"another add-in's whitelist value is still there: {whitelist}")
    return checks.finish()


if __name__ == "__main__":
    sys.exit(main())
