#!/usr/bin/env python3
"""Per-user registration through regsvr32, read back with `reg export` (UTF-16, so the Chinese
description is compared exactly): plain regsvr32 and /n /i:user write the per-user keys, /u
removes them, an unknown /i: scope fails.

Usage: user_registration.py DLL WORK_DIR
"""
import sys

import wine_env
from reg_file import export_key

CLSID = "{BC47A2CA-0F11-49FB-A7D1-62ACF6D6797C}"
ADDIN_KEY = r"HKEY_CURRENT_USER\Software\Microsoft\Office\Excel\Addins\Kestrel.Connect"
PROGID_KEY = r"HKEY_CURRENT_USER\Software\Classes\Kestrel.Connect"
CLASS_KEY = rf"HKEY_CURRENT_USER\Software\Classes\CLSID\{CLSID}"
WPS_WHITELIST = r"HKEY_CURRENT_USER\Software\Kingsoft\Office\ET\AddinsWL"

# What the spreadsheet host reads to load the add-in at its start-up.
EXPECTED_ADDIN = {"FriendlyName": "Kestrel", "Description": "Kestrel,批量绘制横断面辅助工具", "LoadBehavior": 3}


class Session:
    def __init__(self, dll, work, env, checks):
        self.dll, self.work, self.env, self.checks = wine_env.windows_path(dll), work, env, checks
        self.step = 0

    def regsvr32(self, *switches):
        self.step += 1
        return wine_env.run([wine_env.WINE, "regsvr32", "/s", *switches, self.dll], self.work,
                            f"{self.step:02d}-regsvr32", self.env).code

    def key(self, key):
        self.step += 1
        return export_key(self.env, self.work, key, f"{self.step:02d}-export")

    def expect_registered(self, how):
        addin = (self.key(ADDIN_KEY) or {}).get(ADDIN_KEY)
        self.checks.check(addin == EXPECTED_ADDIN, f"{how}: the host's add-in key holds {addin}, expected {EXPECTED_ADDIN}")
        progid = self.key(PROGID_KEY) or {}
        self.checks.check(progid.get(PROGID_KEY + r"\CLSID", {}).get("") == CLSID,
                          f"{how}: the per-user ProgID names the class")
        server = (self.key(CLASS_KEY) or {}).get(CLASS_KEY + r"\InprocServer32", {})
        self.checks.check(server.get("", "").lower() == self.dll.lower(),
                          f"{how}: the per-user class is served by {server.get('')!r}, expected {self.dll!r}")
        self.checks.check("Kestrel.Connect" in self.whitelist(), f"{how}: WPS's per-user whitelist names the add-in")

    def whitelist(self):
        return (self.key(WPS_WHITELIST) or {}).get(WPS_WHITELIST, {})

    def expect_unregistered(self, how):
        for key in (ADDIN_KEY, PROGID_KEY, CLASS_KEY):
            self.checks.check(self.key(key) is None, f"{how}: {key} is gone")
        self.checks.check("Kestrel.Connect" not in self.whitelist(), f"{how}: WPS's whitelist no longer names it")


def main():
    dll, work = sys.argv[1], sys.argv[2]
    env = wine_env.environment()
    wine_env.ensure_prefix(env, work)
    checks = wine_env.Checks()
    session = Session(dll, work, env, checks)
    with wine_env.prefix_lock(env, "registry"):
        checks.check(session.regsvr32("/u") == 0, "regsvr32 /u succeeds")
        session.expect_unregistered("before registering")

        checks.check(session.regsvr32() == 0, "regsvr32 succeeds")
        session.expect_registered("regsvr32")
        checks.check(session.regsvr32("/u") == 0, "regsvr32 /u succeeds")
        session.expect_unregistered("regsvr32 /u")

        checks.check(session.regsvr32("/n", "/i:user") == 0, "regsvr32 /n /i:user succeeds")
        session.expect_registered("regsvr32 /n /i:user")
        checks.check(session.regsvr32("/u", "/n", "/i:user") == 0, "regsvr32 /u /n /i:user succeeds")
        session.expect_unregistered("regsvr32 /u /n /i:user")

        checks.check(session.regsvr32("/n", "/i:everyone") != 0, "regsvr32 /n /i:everyone fails")
        session.expect_unregistered("regsvr32 /n /i:everyone")
    return checks.finish()


if __name__ == "__main__":
    sys.exit(main())
