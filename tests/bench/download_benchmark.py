#!/usr/bin/env python3
"""Throughput of DownloadManager::Download against curl, on the loopback back end.

    unshare --net --fork -- python3 tests/bench/download_benchmark.py BUILD_DIR [MIB]

Run on request, not by CTest. In a network namespace of its own (unshare) the back end
can take port 443. Downloads a generated file of MIB MiB (default 256) once with curl and
once with the program's download engine under Wine (download_benchmark.exe, built with
KELVARA_TESTS=ON), then a 16 MiB file with the engine to show that memory does not grow
with the file size. Prints both throughputs, their ratio and the peak working sets.
"""

import json
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "backend"))

from with_backend import WINE, backend_on_443  # noqa: E402

MIB = 1024 * 1024
SMALL_MIB = 16


def wine_env(build):
    return dict(os.environ, WINEDEBUG="-all", WINEPREFIX=os.path.join(build, "prefixes", "win64"))


def run_engine(build, url):
    """One Download under Wine: the program's JSON line."""
    with open(os.path.join(build, "download_benchmark.out"), "w+") as out:
        subprocess.run([WINE, os.path.join(build, "tests", "download_benchmark.exe"), url],
                       env=wine_env(build), stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL,
                       timeout=1800)
        out.seek(0)
        return json.loads([line for line in out if line.startswith("{")][-1])


def run_curl(build, url):
    """Seconds curl takes for the same download (its output thrown away)."""
    start = time.monotonic()
    subprocess.run(["curl", "-sS", "--fail", "--cacert", os.path.join(build, "certs", "ca.pem"),
                    "-o", os.devnull, url], check=True, timeout=1800)
    return time.monotonic() - start


def main(argv):
    if not argv:
        sys.exit(__doc__)
    build = os.path.abspath(argv[0])
    size = (int(argv[1]) if len(argv) > 1 else 256) * MIB
    subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
    # Wine opens sockets in its wineserver: one left from a run in another network
    # namespace would connect there. Wait until it has gone.
    subprocess.run(["wineserver", "-w"], env=wine_env(build), check=True)
    os.environ["KELVARA_BUILD"] = build
    routes = {"/f/big.bin": {"generate": size}, "/f/small.bin": {"generate": SMALL_MIB * MIB}}
    with backend_on_443(routes):
        run_engine(build, "https://localhost/f/small.bin")  # warms Wine up
        curl_seconds = run_curl(build, "https://localhost/f/big.bin")
        engine = run_engine(build, "https://localhost/f/big.bin")
        small = run_engine(build, "https://localhost/f/small.bin")
    for result, expected in ((engine, size), (small, SMALL_MIB * MIB)):
        if not result["ok"] or result["bytes"] != expected:
            sys.exit(f"a download failed: {result}")
    curl_rate = size / MIB / curl_seconds
    engine_rate = size / MIB / engine["seconds"]
    print(f"file: {size // MIB} MiB")
    print(f"curl:     {curl_rate:8.1f} MiB/s ({curl_seconds:.2f} s)")
    print(f"Download: {engine_rate:8.1f} MiB/s ({engine['seconds']:.2f} s)")
    print(f"ratio:    {engine_rate / curl_rate:8.2f} (target 0.8)")
    print(f"peak working set: {engine['peak_working_set'] / MIB:.1f} MiB for {size // MIB} MiB, "
          f"{small['peak_working_set'] / MIB:.1f} MiB for {SMALL_MIB} MiB")


if __name__ == "__main__":
    main(sys.argv[1:])
