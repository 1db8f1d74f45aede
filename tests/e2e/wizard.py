"""Starts the installer under Wine and drives it through the project's driver program."""
import json
import shutil
import os
import subprocess
import tempfile
import time

BUILD = os.environ.get("KELVARA_BUILD", "")
SCREENSHOTS = os.path.join(BUILD, "screenshots")
# The Wine loader of the test mode (the 64-bit one where 32-bit programs cannot start).
WINE = os.environ.get("KELVARA_WINE", "wine")


def wine_env(**extra):
    env = dict(os.environ)
    env.setdefault("WINEDEBUG", "-all")
    env.update({k: v for k, v in extra.items() if v is not None})
    return env


class Driver:
    """One call of the driver program per action (about 40 ms with a warm wineserver)."""

    def __init__(self, env=None):
        self.exe = os.environ["KELVARA_DRIVER"]
        self.env = env or wine_env()

    def run(self, *args, check=True):
        # Output goes to a file, not a pipe: Wine's own background processes, when this call
        # starts them, inherit the descriptors and would hold a pipe open for good.
        with tempfile.TemporaryFile() as out:
            done = subprocess.run([WINE, self.exe, *map(str, args)], env=self.env, stdin=subprocess.DEVNULL,
                                  stdout=out, stderr=subprocess.DEVNULL, timeout=60)
            out.seek(0)
            text = out.read().decode("utf-8", "replace")
        lines = [json.loads(l) for l in text.splitlines() if l.startswith("{")]
        if check and done.returncode != 0:
            raise AssertionError(f"driver {args}: {lines}")
        return lines

    def wait(self, title, ms=15000):
        return self.run("wait", title, ms)

    def gone(self, title, ms=5000):
        return self.run("gone", title, ms, check=False) == []

    def controls(self, title):
        return self.run("controls", title)

    def text(self, title, control_id):
        return self.run("text", title, control_id)[0]["text"]

    def click(self, title, control_id):
        self.run("click", title, control_id)

    def select(self, title, control_id, index):
        self.run("select", title, control_id, index)

    def key(self, title, name):
        """Presses Enter or Escape in the focused control; returns that control's id and class."""
        return self.run("key", title, name)[0]

    def sysmenu(self, title, *keys):
        """Opens the window's system menu from the keyboard and presses the keys in it."""
        self.run("sysmenu", title, *keys)

    def syscommand(self, title, command):
        self.run("syscommand", title, command)

    def command(self, title, command_id):
        self.run("command", title, command_id)

    def msgbox(self, ms=5000):
        lines = self.run("msgbox", ms, check=False)
        return lines[0] if lines and "error" not in lines[0] else None

    def answer(self, button_id, ms=5000):
        self.run("answer", button_id, ms)

    def checked(self, title, control_id):
        return self.run("checked", title, control_id)[0]["checked"]

    def post(self, title, message, wparam=0, lparam=0):
        self.run("post", title, message, wparam, lparam)

    def rect(self, title):
        return self.run("rect", title)[0]


class Wizard:
    """A running installer process."""

    def __init__(self, exe, env=None):
        self.env = env or wine_env()
        self.process = subprocess.Popen([WINE, exe], env=self.env, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def exit_code(self, timeout=30):
        return self.process.wait(timeout=timeout)

    def running(self):
        return self.process.poll() is None

    def kill(self):
        if self.running():
            self.process.kill()
            self.process.wait()


def screenshot(name, driver=None, title=None):
    """Saves the screen (or one window of it) as screenshots/NAME.png in the build folder."""
    os.makedirs(SCREENSHOTS, exist_ok=True)
    path = os.path.join(SCREENSHOTS, name + ".png")
    time.sleep(0.3)  # let the last paint reach the display
    crop = []
    if driver and title:
        r = driver.rect(title)
        crop = ["-crop", f"{r['right'] - r['left']}x{r['bottom'] - r['top']}+{r['left']}+{r['top']}", "+repage"]
    subprocess.run(["import", "-window", "root", *crop, path], check=True, env=os.environ)
    return path


def served_files(installers=(), **named):
    """A fresh folder for the back end's /f/: the demo pictures, the test installer under
    each name of installers, and each name=bytes of named."""
    source = os.path.join(os.environ["KELVARA_SOURCE"], "tests", "backend", "demo", "files")
    folder = tempfile.mkdtemp(prefix="files", dir=BUILD or None)
    for name in os.listdir(source):
        shutil.copy(os.path.join(source, name), folder)
    for name in installers:
        shutil.copy(os.environ["KELVARA_TEST_INSTALLER"], os.path.join(folder, name))
    for name, data in named.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    return folder


def windows_path(path):
    """The Z: path under which a Wine program reaches a host file."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def installer_runs(log):
    """The recorded starts of the test installer, in order."""
    if not os.path.exists(log):
        return []
    with open(log, encoding="utf-8") as f:
        return [json.loads(line) for line in f if line.strip()]
