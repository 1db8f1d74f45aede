"""What every benchmark module shares: running a Windows program under Wine and the shape
of one row of the table.

A module exposes figures(build, runs) -> list of rows. It runs in the benchmark's network
namespace (loopback up, port 443 free), with a virtual display and the test prefixes of the
build already made by the test command's set-up.
"""
import json
import os
import statistics
import subprocess
import tempfile

# The Wine loader of the test mode (the 64-bit one where 32-bit programs cannot start).
WINE = os.environ.get("KELVARA_WINE", "wine")
MIB = 1024 * 1024


def wine_env(build, **extra):
    env = dict(os.environ, WINEDEBUG="-all", WINEPREFIX=os.path.join(build, "prefixes", "win64"))
    env.update(extra)
    return env


def run_wine(build, exe, *args, timeout=1800, env=None):
    """Runs exe under Wine and returns the JSON objects it printed, one per line. The output
    goes to a file: programs Wine starts in the background would hold a pipe open."""
    with tempfile.TemporaryFile() as out:
        subprocess.run([WINE, exe, *map(str, args)], env=env or wine_env(build), stdin=subprocess.DEVNULL,
                       stdout=out, stderr=subprocess.DEVNULL, timeout=timeout, check=False)
        out.seek(0)
        lines = out.read().decode("utf-8", "replace").splitlines()
    return [json.loads(line) for line in lines if line.startswith("{")]


def median(values):
    return statistics.median(values)


def row(figure, measured, goal, met, runs, value=None, unit="", baseline="", ratio=None, detail=None):
    """One line of the table. measured and baseline are the texts shown; value, ratio and
    detail are what the JSON keeps for comparing two runs."""
    return {"figure": figure, "measured": measured, "value": value, "unit": unit, "baseline": baseline,
            "ratio": ratio, "goal": goal, "met": bool(met), "runs": runs, "detail": detail or {}}
