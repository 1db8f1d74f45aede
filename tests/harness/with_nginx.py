#!/usr/bin/env python3
"""Runs a Windows test program under Wine with Debian's nginx serving HTTPS on loopback.

    with_nginx.py PROGRAM [ARGS...]

nginx listens on a free port of 127.0.0.1 with the build's test certificate
($KELVARA_BUILD/certs, trusted by the test prefixes) and serves the files made here:

    /f/NAME        the file as it is (with Content-Length); 404 for a missing one
    /chunked/NAME  the file with Transfer-Encoding: chunked (no length)
    /slow/NAME     the file throttled to 64 KiB/s
    /loop          a redirect to itself, for ever

The program finds in its environment KELVARA_NGINX_ORIGIN (https://localhost:PORT),
KELVARA_NGINX_LOG (the access log, one "URI STATUS" line per request, as a Windows path)
and, for each file NAME below, KELVARA_NGINX_SHA256_NAME (its SHA-256 in hex). The exit
code is the program's.
"""

import hashlib
import os
import random
import shutil
import socket
import subprocess
import sys
import tempfile
import time

# The Wine loader of the test mode (the 64-bit one where 32-bit programs cannot start).
WINE = os.environ.get("KELVARA_WINE", "wine")
FILES = {"large": 32 * 1024 * 1024 + 13, "medium": 200 * 1024 + 7}

CONFIG = """
daemon off;
master_process off;
worker_processes 1;
pid {dir}/nginx.pid;
error_log {dir}/error.log warn;
events {{ worker_connections 64; }}
http {{
    log_format paths '$request_uri $status';
    access_log {dir}/access.log paths;
    client_body_temp_path {dir}/temp/body;
    proxy_temp_path {dir}/temp/proxy;
    fastcgi_temp_path {dir}/temp/fastcgi;
    uwsgi_temp_path {dir}/temp/uwsgi;
    scgi_temp_path {dir}/temp/scgi;
    default_type application/octet-stream;
    server {{
        listen 127.0.0.1:{port} ssl;
        server_name localhost;
        ssl_certificate {cert};
        ssl_certificate_key {key};
        location /f/ {{ alias {files}/; }}
        # Server-side includes drop the length: the body goes out chunked.
        location /chunked/ {{ alias {files}/; ssi on; ssi_types *; }}
        location /slow/ {{ alias {files}/; limit_rate 64k; }}
        location = /loop {{ return 302 /loop; }}
    }}
}}
"""


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def windows_path(path):
    """The path as Wine's drive Z: shows it."""
    return "Z:" + path.replace("/", "\\")


def make_files(folder):
    """Random files of fixed seeds; returns {name: SHA-256 hex}."""
    digests = {}
    for name, size in FILES.items():
        data = random.Random(name).randbytes(size)
        with open(os.path.join(folder, name + ".bin"), "wb") as f:
            f.write(data)
        digests[name] = hashlib.sha256(data).hexdigest()
    return digests


def wait_for_port(port, process):
    for _ in range(100):
        if process.poll() is not None:
            sys.exit(f"with_nginx.py: nginx ended at once (exit code {process.returncode})")
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return
        except OSError:
            time.sleep(0.1)
    sys.exit("with_nginx.py: nginx does not listen")


def main(argv):
    if not argv:
        sys.exit(__doc__)
    nginx = shutil.which("nginx") or "/usr/sbin/nginx"
    if not os.path.exists(nginx):
        sys.exit("with_nginx.py: nginx is not installed (scripts/setup.sh installs it)")
    certs = os.path.join(os.environ["KELVARA_BUILD"], "certs")
    with tempfile.TemporaryDirectory(prefix="kelvara-nginx-") as folder:
        files = os.path.join(folder, "files")
        os.makedirs(files)
        os.makedirs(os.path.join(folder, "temp"))
        digests = make_files(files)
        port = free_port()
        config = os.path.join(folder, "nginx.conf")
        with open(config, "w") as f:
            f.write(CONFIG.format(dir=folder, port=port, files=files,
                                  cert=os.path.join(certs, "localhost.pem"),
                                  key=os.path.join(certs, "localhost.key")))
        process = subprocess.Popen([nginx, "-p", folder, "-c", config, "-e",
                                    os.path.join(folder, "error.log")])
        try:
            wait_for_port(port, process)
            env = dict(os.environ, KELVARA_NGINX_ORIGIN=f"https://localhost:{port}",
                       KELVARA_NGINX_LOG=windows_path(os.path.join(folder, "access.log")))
            for name, digest in digests.items():
                env["KELVARA_NGINX_SHA256_" + name.upper()] = digest
            return subprocess.run([WINE, *argv], env=env, stdin=subprocess.DEVNULL).returncode
        finally:
            process.terminate()
            process.wait(10)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
