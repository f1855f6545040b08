#!/usr/bin/env python3
"""Test fixture: makes sure the Wine prefix exists (creating it when missing) and keeps a server up.

Usage: prepare_prefix.py WORK_DIR
"""
import sys

import wine_env


def main():
    env = wine_env.environment()
    wine_env.ensure_prefix(env, sys.argv[1])
    wine_env.keep_server(env)
    print(f"Wine prefix ready: {env['WINEPREFIX']}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
