"""Waits on events, never on the clock: a file's creation in a folder (inotify) and a process's end
(pidfd). Each gives up only after a guard far above the normal time, and says whether it saw the
event."""
import ctypes
import os
import select
import struct
import time

GUARD_SECONDS = 300
_IN_MOVED_TO, _IN_CREATE = 0x80, 0x100
_EVENT_HEAD = struct.Struct("iIII")  # wd, mask, cookie, len of the name that follows


def _pidfd(pid):
    try:
        return os.pidfd_open(pid)
    except ProcessLookupError:
        return None


def wait_for_entry(folder, wanted, process=None, guard=GUARD_SECONDS):
    """True once an entry whose name satisfies wanted(name) is created in folder (or is there
    already); False when the process ends first or the guard passes. Created names are taken from
    the events themselves, so a file that comes and goes at once is seen too."""
    libc = ctypes.CDLL(None, use_errno=True)
    watch = libc.inotify_init1(os.O_CLOEXEC)
    if watch < 0 or libc.inotify_add_watch(watch, os.fsencode(folder), _IN_CREATE | _IN_MOVED_TO) < 0:
        raise OSError(ctypes.get_errno(), f"cannot watch {folder}")
    ended = _pidfd(process.pid) if process is not None else None
    deadline = time.monotonic() + guard
    try:
        if any(wanted(name) for name in os.listdir(folder)):
            return True
        while True:
            ready, _, _ = select.select([watch] + ([ended] if ended is not None else []), [], [],
                                        max(0, deadline - time.monotonic()))
            if watch in ready:
                data = os.read(watch, 65536)
                at = 0
                while at < len(data):
                    _, _, _, length = _EVENT_HEAD.unpack_from(data, at)
                    name = data[at + _EVENT_HEAD.size:at + _EVENT_HEAD.size + length].rstrip(b"\0")
                    if wanted(os.fsdecode(name)):
                        return True
                    at += _EVENT_HEAD.size + length
            elif not ready or process is None or process.poll() is not None:
                return False
    finally:
        os.close(watch)
        if ended is not None:
            os.close(ended)


def wait_for_exit(pids, guard=GUARD_SECONDS):
    """True once every process of pids has ended; False when the guard passes first."""
    deadline = time.monotonic() + guard
    for pid in pids:
        ended = _pidfd(pid)
        if ended is None:
            continue
        try:
            ready, _, _ = select.select([ended], [], [], max(0, deadline - time.monotonic()))
        finally:
            os.close(ended)
        if not ready:
            return False
    return True


class CommitHold:
    """Holds the tool's commit of the file named `name` (KESTREL_HOLD_COMMIT), so that a test acts
    while that file is written but not yet in place:
        hold = CommitHold(folder, "out.xlsx"); process = Popen(..., env=hold.env())
        assert hold.reached(process); ...act...; hold.release()"""

    def __init__(self, folder, name):
        self.fifo = os.path.join(folder, ".hold-" + name)
        os.mkfifo(self.fifo)
        self.name = name

    def env(self, base=None):
        return dict(base if base is not None else os.environ, KESTREL_HOLD_COMMIT=f"{self.name}:{self.fifo}")

    def reached(self, process):
        """True once the process waits at the commit; False when it ends before."""
        marker = os.path.basename(self.fifo) + ".held"
        return wait_for_entry(os.path.dirname(self.fifo), lambda n: n == marker, process)

    def release(self):
        os.close(os.open(self.fifo, os.O_WRONLY))

    def remove(self):
        for path in (self.fifo, self.fifo + ".held"):
            if os.path.exists(path):
                os.remove(path)
