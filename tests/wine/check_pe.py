#!/usr/bin/env python3
"""Checks a Windows binary with the MinGW objdump: its format, exports, imports and subsystem.

Usage: check_pe.py OBJDUMP FILE --format pei-i386 [--exports A,B,...] [--subsystem "Windows GUI"]

The imports must all be system DLLs: a binary loaded into the spreadsheet host or started on a
user's machine cannot rely on MinGW's runtime DLLs (libgcc_s, libstdc++, libwinpthread) beside it.
"""
import argparse
import re
import subprocess
import sys

from wine_env import Checks

SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll",
    "ole32.dll", "oleaut32.dll", "shell32.dll", "shlwapi.dll", "urlmon.dll", "user32.dll",
    "version.dll", "winhttp.dll", "wininet.dll", "ws2_32.dll", "wintrust.dll", "crypt32.dll",
}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("objdump")
    parser.add_argument("file")
    parser.add_argument("--format", required=True)
    parser.add_argument("--exports", default="")
    parser.add_argument("--subsystem", default="")
    args = parser.parse_args()

    dump = subprocess.run([args.objdump, "-p", args.file], capture_output=True, text=True, check=True).stdout
    checks = Checks()

    file_format = re.search(r"file format (\S+)", dump)
    checks.check(file_format and file_format.group(1) == args.format,
                 f"file format is {file_format and file_format.group(1)}, expected {args.format}")

    imports = [name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)]
    print("imports:", ", ".join(imports))
    checks.check(imports, "the binary imports nothing at all")
    for name in imports:
        checks.check(name in SYSTEM_DLLS, f"imports {name}, which is not a system DLL")

    if args.exports:
        table = re.search(r"\[Ordinal/Name Pointer\] Table\n((?:\s*\[\s*\d+\] \S+\n)+)", dump)
        exports = re.findall(r"\] (\S+)", table.group(1)) if table else []
        print("exports:", ", ".join(exports))
        checks.check(sorted(exports) == sorted(args.exports.split(",")),
                     f"exports {exports}, expected exactly {args.exports}")

    if args.subsystem:
        subsystem = re.search(r"Subsystem\s+\S+\s+\((.+)\)", dump)
        checks.check(subsystem and subsystem.group(1) == args.subsystem,
                     f"subsystem is {subsystem and subsystem.group(1)}, expected {args.subsystem}")
    return checks.finish()


if __name__ == "__main__":
    sys.exit(main())
