#!/usr/bin/env python3
"""Serves a folder over plain HTTP on the loopback address while a command runs (the online
install's test server), then stops.

Usage: serve_installers.py FOLDER -- COMMAND [ARGUMENTS...]

The command gets KESTREL_TEST_SERVER (http://127.0.0.1:PORT) and KESTREL_TEST_SERVER_DIR (FOLDER)
in its environment; proxy variables are removed, so that Wine's WinINet connects directly.
GET /NAME answers FOLDER/NAME (404 when missing). GET /hold/NAME sends the headers and the first
half of FOLDER/NAME, makes FOLDER/held, then waits until FOLDER/release exists (10 minutes at
most, a guard against a client that never releases) before the rest, so that a client can be seen
in the middle of a download. The exit code is the command's.
"""
import functools
import http.server
import os
import subprocess
import sys
import threading
import time
from pathlib import Path


class Handler(http.server.SimpleHTTPRequestHandler):
    def do_GET(self):
        if not self.path.startswith("/hold/"):
            return super().do_GET()
        source = Path(self.directory) / self.path[len("/hold/"):]
        if not source.is_file():
            return self.send_error(404)
        data = source.read_bytes()
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        half = len(data) // 2
        self.wfile.write(data[:half])
        self.wfile.flush()
        (Path(self.directory) / "held").touch()
        release = Path(self.directory) / "release"
        deadline = time.time() + 600
        while not release.exists() and time.time() < deadline:
            time.sleep(0.05)
        self.wfile.write(data[half:])

    def log_message(self, format, *args):
        sys.stderr.write("server: " + format % args + "\n")


def main():
    if len(sys.argv) < 4 or sys.argv[2] != "--":
        sys.exit(__doc__)
    folder = Path(sys.argv[1]).resolve()
    (folder / "release").unlink(missing_ok=True)
    (folder / "held").unlink(missing_ok=True)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=str(folder)))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    env = {k: v for k, v in os.environ.items() if "proxy" not in k.lower()}
    env["KESTREL_TEST_SERVER"] = f"http://127.0.0.1:{server.server_address[1]}"
    env["KESTREL_TEST_SERVER_DIR"] = str(folder)
    try:
        return subprocess.run(sys.argv[3:], env=env).returncode
    finally:
        server.shutdown()
        (folder / "release").unlink(missing_ok=True)


if __name__ == "__main__":
    sys.exit(main())
