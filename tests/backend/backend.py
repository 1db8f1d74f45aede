"""Runs the test back end (server.py) for a Python test.

    with running_backend({"routes": {"/o": {"json": {...}}}}) as backend:
        ...  # talk to backend.origin, e.g. https://localhost:40123
        backend.set_scenario({...})
        posts = backend.requests("/o")
"""

import contextlib
import json
import os
import socket
import subprocess
import sys
import tempfile

import server

SERVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "server.py")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def write_json_atomically(path, document):
    # A new file renamed over the old one: the server never reads half a scenario.
    with open(path + ".tmp", "w", encoding="utf-8") as f:
        json.dump(document, f)
    os.replace(path + ".tmp", path)


class Backend:
    def __init__(self, folder, port, plain, cert_dir):
        self.folder = folder
        self.port = port
        self.scenario_path = os.path.join(folder, "scenario.json")
        self.log_path = os.path.join(folder, "requests.jsonl")
        self.ca_file = None if plain else os.path.join(cert_dir, "ca.pem")
        self.origin = f"{'http' if plain else 'https'}://localhost:{port}"

    def set_scenario(self, scenario):
        write_json_atomically(self.scenario_path, scenario)

    def requests(self, path=None):
        """The logged requests so far, optionally only those for one path."""
        if not os.path.exists(self.log_path):
            return []
        with open(self.log_path, encoding="utf-8") as f:
            records = [json.loads(line) for line in f if line.endswith("\n")]
        return [r for r in records if path is None or r["path"] == path]


@contextlib.contextmanager
def running_backend(scenario, port=None, files=None, plain=False, cert_dir=None):
    """Starts server.py with the scenario on a free port and stops it on exit."""
    cert_dir = cert_dir or server.DEFAULT_CERT_DIR
    with tempfile.TemporaryDirectory(prefix="kelvara-backend-") as folder:
        backend = Backend(folder, port or free_port(), plain, cert_dir)
        backend.set_scenario(scenario)
        command = [sys.executable, SERVER, "--scenario", backend.scenario_path,
                   "--log", backend.log_path, "--port", str(backend.port)]
        if plain:
            command.append("--plain")
        else:
            cert, key = server.ensure_certs(cert_dir)
            command += ["--cert", cert, "--key", key]
        if files:
            command += ["--files", files]
        process = subprocess.Popen(command, stdout=subprocess.PIPE, text=True)
        try:
            if process.stdout.readline().strip() != "ready":
                raise RuntimeError(f"server.py did not start (exit code {process.wait()})")
            yield backend
        finally:
            process.terminate()
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
            process.stdout.close()
