#!/usr/bin/env python3
"""Runs a Windows test program under Wine with the test back end on localhost:443.

    with_backend.py PROGRAM [ARGS...]

The server starts with an empty scenario in a fresh folder whose path the program finds
in KELVARA_BACKEND: it writes its scenarios to scenario.json there and reads the request
log requests.jsonl. The certificates are the build's ($KELVARA_BUILD/certs), whose
authority the test prefixes trust. The exit code is the program's.
"""

import contextlib
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from backend import SERVER, write_json_atomically  # noqa: E402


@contextlib.contextmanager
def backend_on_443(routes=None):
    """Starts server.py on 127.0.0.1:443 and yields its folder; stops it on exit."""
    certs = os.path.join(os.environ["KELVARA_BUILD"], "certs")
    with tempfile.TemporaryDirectory(prefix="kelvara-backend-") as folder:
        scenario = os.path.join(folder, "scenario.json")
        write_json_atomically(scenario, {"routes": routes or {}})
        command = [sys.executable, SERVER, "--scenario", scenario,
                   "--log", os.path.join(folder, "requests.jsonl"), "--port", "443",
                   "--cert", os.path.join(certs, "localhost.pem"),
                   "--key", os.path.join(certs, "localhost.key")]
        server = subprocess.Popen(command, stdout=subprocess.PIPE, text=True)
        try:
            if server.stdout.readline().strip() != "ready":
                raise RuntimeError(f"server.py did not start (exit code {server.wait()})")
            yield folder
        finally:
            server.terminate()
            try:
                server.wait(10)
            except subprocess.TimeoutExpired:
                server.kill()
                server.wait()
            server.stdout.close()


def main(argv):
    if not argv:
        sys.exit(__doc__)
    with backend_on_443() as folder:
        env = dict(os.environ, KELVARA_BACKEND=folder)
        return subprocess.run(["wine", *argv], env=env, stdin=subprocess.DEVNULL).returncode


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
