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

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from backend import running_backend  # noqa: E402

# The Wine loader of the test mode (the 64-bit one where 32-bit programs cannot start).
WINE = os.environ.get("KELVARA_WINE", "wine")


@contextlib.contextmanager
def backend_on_443(routes=None, files=None):
    """Starts server.py on 127.0.0.1:443 (serving /f/ from the folder files, when given)
    and yields its folder; stops it on exit."""
    certs = os.path.join(os.environ["KELVARA_BUILD"], "certs")
    with running_backend({"routes": routes or {}}, port=443, cert_dir=certs, files=files) as backend:
        yield backend.folder


def main(argv):
    if not argv:
        sys.exit(__doc__)
    with backend_on_443() as folder:
        env = dict(os.environ, KELVARA_BACKEND=folder)
        return subprocess.run([WINE, *argv], env=env, stdin=subprocess.DEVNULL).returncode


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
