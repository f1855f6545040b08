"""Runs Windows programs under Wine for the tests of the Windows binaries.

WINEPREFIX names the prefix. When it is unset the tests use KESTREL_DEFAULT_WINEPREFIX (set by
tests/wine/CMakeLists.txt: build/wineprefix, the prefix scripts/wine-env uses). A prefix without
system.reg is created here (wineboot, 10 to 15 s) under a lock, so that tests running in parallel
create it once.

Wine's output always goes to files, never to a pipe: a call that starts Wine's background
processes (wineserver, services.exe, ...) hands them the pipe, and the reader then waits for
them to exit.
"""
import fcntl
import hashlib
import os
import subprocess
import sys
import tempfile
from contextlib import contextmanager
from dataclasses import dataclass
from pathlib import Path
sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "support"))
from event_waits import wait_for_entry, wait_for_exit  # noqa: E402,F401  (the Wine tests wait on events too)

WINE64 = "/usr/lib/wine/wine64"  # the 64-bit system programs (cscript of the x64 tests)
# Whether this machine starts 32-bit programs (the build's check, cmake/x86_programs.cmake). Where it
# does, WINE is Debian's wine, whose system programs (cscript, regsvr32, reg) are the 32-bit ones and
# which runs PE32+ files as well; where it does not, only the 64-bit loader can start anything.
X86_PROGRAMS_RUN = os.environ.get("KESTREL_X86_PROGRAMS_RUN", "ON") == "ON"
WINE = "/usr/bin/wine" if X86_PROGRAMS_RUN else WINE64
WINESERVER = "/usr/bin/wineserver"


def environment():
    env = os.environ.copy()
    prefix = env.get("WINEPREFIX") or env.get("KESTREL_DEFAULT_WINEPREFIX")
    if not prefix:
        sys.exit("neither WINEPREFIX nor KESTREL_DEFAULT_WINEPREFIX is set")
    env["WINEPREFIX"] = prefix
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")  # no Mono or Gecko installer prompts
    env.setdefault("WINEDEBUG", "-all")
    return env


def windows_path(path):
    """The path as Wine's Z: drive (the Unix root) shows it to Windows programs."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


@contextmanager
def prefix_lock(env, purpose="prefix"):
    """Serialises whatever changes the prefix (its creation, registry state shared by the x86 and
    x64 tests) across processes, including concurrent ctest runs."""
    digest = hashlib.sha1(env["WINEPREFIX"].encode()).hexdigest()[:16]
    lock_path = Path(tempfile.gettempdir()) / f"kestrel-wine-{digest}-{purpose}.lock"
    with open(lock_path, "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        try:
            yield
        finally:
            fcntl.flock(lock, fcntl.LOCK_UN)


def ensure_prefix(env, work):
    prefix = Path(env["WINEPREFIX"])
    with prefix_lock(env):
        if (prefix / "system.reg").exists():
            return
        print(f"creating the Wine prefix {prefix}")
        prefix.mkdir(parents=True, exist_ok=True)
        run([WINE, "wineboot", "-i"], work, "wineboot", env, timeout=300)
        # The server writes system.reg when it exits.
        run([WINESERVER, "-w"], work, "wineserver-wait", env, timeout=120)
        if not (prefix / "system.reg").exists():
            sys.exit(f"wineboot did not initialise {prefix}; see {work}/wineboot.err")


def keep_server(env, seconds=30):
    """Starts a wineserver that outlives its last client by `seconds`, so that the tests that follow
    do not each start one; when a server runs already (the test script's persistent one), the new
    one sees it and exits."""
    subprocess.Popen([WINESERVER, f"-p{seconds}"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL, start_new_session=True)


@dataclass
class Result:
    code: int
    out: str
    err: str


def run(args, work, name, env, timeout=120):
    """Runs args with stdout and stderr in work/name.out and work/name.err; decodes both leniently."""
    work = Path(work)
    work.mkdir(parents=True, exist_ok=True)
    out_path, err_path = work / f"{name}.out", work / f"{name}.err"
    with open(out_path, "wb") as out, open(err_path, "wb") as err:
        try:
            code = subprocess.run(args, stdin=subprocess.DEVNULL, stdout=out, stderr=err, env=env,
                                  timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            code = -999
    result = Result(code, out_path.read_bytes().decode("utf-8", "replace"),
                    err_path.read_bytes().decode("utf-8", "replace"))
    if code == -999:
        print(f"TIMEOUT after {timeout} s: {' '.join(map(str, args))}")
    return result


class Checks:
    """Collects failed checks so that one run reports all of them."""

    def __init__(self):
        self.failures = []

    def check(self, ok, what):
        if not ok:
            self.failures.append(what)
            print(f"FAIL: {what}")
        return ok

    def finish(self):
        if self.failures:
            print(f"{len(self.failures)} check(s) failed")
            return 1
        print("all checks passed")
        return 0
