#!/usr/bin/env python3
"""Runs automation.vbs, a late-bound client of Kestrel's automation classes, with the cscript of
one bitness, with a call of ClsFunction for every case of function_cases.json and for every worked
case of worked_function_cases.py (a profile and a cross-slope file written here) appended.

Usage: run_automation_script.py WINE_LAUNCHER SCRIPT CASES WORK_DIR

The classes must be registered per machine (the register_machine fixture). Passes when the
script's last line is ALL-OK and every function gave the expected answer (numbers to the last of
15 significant digits or within a case's tolerance, texts exactly).
"""
import json
import math
import sys
from pathlib import Path

import wine_env
import worked_function_cases


def vbs_literal(value):
    if isinstance(value, str):
        return '"' + value.replace('"', '""') + '"'
    return repr(float(value)) if isinstance(value, float) else str(value)


def case_calls(cases):
    lines = ["Sub FunctionCases", "  Dim r", "  On Error Resume Next"]
    for i, case in enumerate(cases):
        args = ", ".join(vbs_literal(a) for a in case["arguments"])
        call = f"f.{case['function']}({args})" if args else f"f.{case['function']}()"
        lines += ["  Err.Clear", "  r = Empty", f"  r = {call}", f"  Record {i}, r, Err.Number"]
    lines += ["  On Error GoTo 0", "End Sub"]
    return "\r\n".join(lines) + "\r\n"


def same(answer, expected, tolerance=None):
    if answer.startswith("N:"):
        try:
            got, want = float(answer[2:]), float(expected)
        except ValueError:
            return False
        if tolerance is not None:
            return abs(got - want) <= tolerance
        return math.isclose(got, want, rel_tol=1e-14, abs_tol=1e-300)
    return answer == expected


def main():
    launcher, script, cases_path, work = sys.argv[1], Path(sys.argv[2]), Path(sys.argv[3]), Path(sys.argv[4])
    env = wine_env.environment()
    wine_env.ensure_prefix(env, work)
    checks = wine_env.Checks()
    work.mkdir(parents=True, exist_ok=True)
    cases = json.loads(cases_path.read_text(encoding="utf-8"))
    files = worked_function_cases.write_files(work)
    cases += worked_function_cases.cases(lambda role: wine_env.windows_path(files[role]))
    client = work / "automation_client.vbs"
    client.write_text(script.read_text(encoding="utf-8").replace("\n", "\r\n") + case_calls(cases), encoding="ascii")
    results = work / "results.txt"
    results.unlink(missing_ok=True)
    ini = work / "long.ini"
    ini.unlink(missing_ok=True)

    result = wine_env.run([launcher, "cscript", "//nologo", wine_env.windows_path(client), wine_env.windows_path(results),
                           wine_env.windows_path(ini)], work, "cscript", env, timeout=300)
    print(result.out)
    lines = [line.strip() for line in result.out.splitlines() if line.strip()]
    checks.check(result.code == 0, f"cscript exit code {result.code}")
    checks.check(bool(lines) and lines[-1] == "ALL-OK", "the script's last line is ALL-OK (a script error prints nothing)")

    answers = {}
    if results.exists():
        for line in results.read_bytes().decode("utf-16").splitlines():
            key, _, text = line.partition("\t")
            answers[key] = text
    for i, case in enumerate(cases):
        answer = answers.get(str(i), "<no answer>")
        checks.check(same(answer, case["expected"], case.get("tolerance")),
                     f"{case['function']}{tuple(case['arguments'])}: Kestrel.dll gave {answer!r}, expected {case['expected']!r}")
    return checks.finish()


if __name__ == "__main__":
    sys.exit(main())
