"""Reads registry keys back through `wine reg export` (a UTF-16 .reg file, so Chinese values
arrive exactly as stored, whatever the console's code page)."""
import re
from pathlib import Path

from wine_env import WINE, run, windows_path

_KEY = re.compile(r"^\[(.+)\]$")
_VALUE = re.compile(r'^(@|"(?:[^"\\]|\\.)*")=(.*)$')


def _unescape(quoted):
    return re.sub(r"\\(.)", r"\1", quoted[1:-1])


def parse(text):
    """{key path: {value name ("" for the default value): str for REG_SZ, int for REG_DWORD}}."""
    keys, current = {}, None
    for line in text.splitlines():
        key = _KEY.match(line)
        if key:
            current = keys.setdefault(key.group(1), {})
            continue
        value = _VALUE.match(line)
        if value and current is not None:
            name = "" if value.group(1) == "@" else _unescape(value.group(1))
            data = value.group(2)
            if data.startswith("dword:"):
                current[name] = int(data[len("dword:"):], 16)
            elif data.startswith('"'):
                current[name] = _unescape(data)
            else:
                current[name] = data  # other types stay as written
    return keys


def export_key(env, work, key, name, view=None):
    """The key and its subkeys as parse() gives them, or None when the key does not exist. view: 32
    or 64 for that registry view, None for the view of the 32-bit reg.exe."""
    target = Path(work) / f"{name}.reg"
    target.unlink(missing_ok=True)
    args = [WINE, "reg", "export", key, windows_path(target), "/y"]
    if view:
        args.append(f"/reg:{view}")
    result = run(args, work, name, env)
    if result.code != 0 or not target.exists():
        return None
    return parse(target.read_bytes().decode("utf-16"))
