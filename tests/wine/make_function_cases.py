#!/usr/bin/env python3
"""Writes function_cases.json: worksheet-function calls with the answers of `kestrel fn`.

Usage: make_function_cases.py KESTREL      (the Linux command-line tool)

The Wine tests call the same functions through Kestrel.dll's ClsFunction from 32- and 64-bit
VBScript and compare with these answers; tests/cli/test_function_cases.py checks that the table
still is what the tool answers. A case is [name, arguments]: numbers and texts as a caller
passes them, trailing optional arguments omitted.
"""
import json
import subprocess
import sys
from pathlib import Path

CASES = [
    ["GetH", [100, "/no/such/profile.ZM"]],
    ["GetJK", [100, -3, "/no/such/widening.hp"]],
    ["GetHP", [100, 3, "/no/such/slope.hp", 3]],
    ["VlookZhD", [100, "no", "no table", 2]],
    ["HHR", [60, 300, 1000]],
    ["HHR", [60, 300]],
    ["HHR", [0, 300, 100]],
    ["GetPoint", ["X=100.5 Y=200.25 Z=3", "y"]],
    ["GetPoint", ["X=100.5 Y=200.25 Z=3", "x,y"]],
    ["GetPoint", ["X=100.5 Y=200.25 Z=3", "Y,X", 2]],
    ["GetPoint", ["X=100.5 Y=200.25 Z=3", "h"]],
    ["GetPoint", ["", "x"]],
    ["Pl", ["12.5", "K1"]],
    ["Rand0", [5, 5]],
    ["Rand0", [1, 2, 10]],
    ["RangeAddress", []],
    ["DMS", [12.5043055556]],
    ["DMS", [12.5043055556, 2]],
    ["DMS", [12.5043055556, 3]],
    ["DMS", [-12.5043055556]],
    ["DMS", [29.999999]],
    ["DMS", [29.99999]],
    ["DMS", [12.5, 7]],
    ["DEG", [12.30155]],
    ["DEG", [-0.3]],
    ["FWJ", [0, 0, 10, 10]],
    ["FWJ", [0, 0, 10, 10, 1]],
    ["FWJ", [0, 0, 10, 10, 2]],
    ["FWJ", [0, 0, 10, 10, 3]],
    ["FWJ", [0, 0, 0, -5]],
    ["FWJ", [0, 0, -5, 0]],
    ["FWJ", [1, 1, 1, 1]],
    ["FWJ", [1e308, 0, -1e308, 1]],
    ["JL", [0, 0, 3, 4]],
    ["JL", [1.5, 2.5, -3, 7]],
]


def answer(kestrel, name, arguments):
    done = subprocess.run([kestrel, "fn", name, *map(str, arguments)], capture_output=True, text=True, timeout=60)
    lines = done.stdout.splitlines()
    return lines[0] if lines else ""


def main():
    kestrel = sys.argv[1]
    table = [{"function": name, "arguments": args, "expected": answer(kestrel, name, args)} for name, args in CASES]
    out = Path(__file__).with_name("function_cases.json")
    out.write_text(json.dumps(table, ensure_ascii=False, indent=1) + "\n", encoding="utf-8")


if __name__ == "__main__":
    main()
