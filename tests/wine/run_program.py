#!/usr/bin/env python3
"""Runs a Windows program under Wine and checks its exit code (and, optionally, that it printed
nothing). Output goes through files and is shown afterwards.

Usage: run_program.py WORK_DIR EXPECTED_EXIT [--quiet] [--no-display] -- PROGRAM [ARGUMENTS...]
"""
import argparse
import sys

import wine_env


def main():
    if "--" not in sys.argv:
        sys.exit(__doc__)
    split = sys.argv.index("--")
    command = sys.argv[split + 1:]
    parser = argparse.ArgumentParser()
    parser.add_argument("work")
    parser.add_argument("expected_exit", type=int)
    parser.add_argument("--quiet", action="store_true", help="the program must write nothing to stdout")
    parser.add_argument("--no-display", action="store_true",
                        help="run without a display, so that no window (a message box) can open and wait")
    args = parser.parse_args(sys.argv[1:split])

    env = wine_env.environment()
    if args.no_display:
        env.pop("DISPLAY", None)
        env.pop("WAYLAND_DISPLAY", None)
    wine_env.ensure_prefix(env, args.work)
    result = wine_env.run([wine_env.WINE, *command], args.work, "program", env, timeout=600)
    print(result.out)
    if result.code != args.expected_exit:
        print(result.err[-4000:])
    checks = wine_env.Checks()
    checks.check(result.code == args.expected_exit, f"exit code {result.code}, expected {args.expected_exit}")
    if args.quiet:
        checks.check(result.out == "", "the program printed nothing")
    return checks.finish()


if __name__ == "__main__":
    sys.exit(main())
