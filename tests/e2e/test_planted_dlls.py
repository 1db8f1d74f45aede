"""DLLs planted beside the installer in the Downloads folder are never loaded: the names
the installer imports or loads, and those the system DLLs it uses load for themselves, with
Wine told to prefer a DLL found on the search path over its own (as Windows would)."""
import glob
import os
import shutil
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.environ["KELVARA_SOURCE"], "tests", "backend"))

from with_backend import backend_on_443  # noqa: E402
from wizard import Driver, Wizard, wine_env  # noqa: E402

PRODUCT = os.environ["KELVARA_PRODUCT"]
MARKER_DLL = os.environ["KELVARA_MARKER_DLL"]
TITLE = "Setup"
NEXT, PROGRESS = 1010, 1043
NAMES = ["version", "winhttp", "wininet", "gdiplus", "msftedit", "uxtheme", "propsys", "riched20",
         "imm32", "msimg32", "windowscodecs", "mpr", "shlwapi", "comctl32"]


def downloads_folder():
    return glob.glob(os.path.join(os.environ["WINEPREFIX"], "drive_c", "users", "*", "Downloads"))[0]


def loaded_markers(folder):
    return sorted(os.path.basename(p)[:-len(".dll.loaded")] for p in glob.glob(os.path.join(folder, "*.loaded")))


class PlantedDlls(unittest.TestCase):
    def setUp(self):
        self.folder = os.path.join(downloads_folder(), "planted-dlls")
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        for name in NAMES:
            shutil.copy(MARKER_DLL, os.path.join(self.folder, name + ".dll"))
        self.env = wine_env(WINEDLLOVERRIDES=",".join(NAMES) + "=n,b")
        self.wizard = None

    def tearDown(self):
        if self.wizard:
            self.wizard.kill()
        shutil.rmtree(self.folder, ignore_errors=True)

    def test_a_program_that_does_not_limit_the_search_would_load_them(self):
        planted = Driver(self.env)
        planted.exe = shutil.copy(planted.exe, self.folder)
        Driver(self.env).run("load", "version.dll")
        self.assertEqual(loaded_markers(self.folder), [], "from the build folder it finds none")
        planted.run("load", "version.dll")
        self.assertIn("version", loaded_markers(self.folder))

    def test_the_wizard_loads_none_through_its_first_page_and_a_next(self):
        # A configuration that takes its time keeps the loading page up.
        with backend_on_443({"/o": {"delay": 30, "json": {}}}):
            exe = shutil.copy(PRODUCT, self.folder)
            self.wizard = Wizard(exe, self.env)
            driver = Driver()
            try:
                driver.wait(TITLE)
            except AssertionError:
                self.fail(f"the wizard did not start; planted DLLs loaded: {loaded_markers(self.folder)}")
            driver.click(TITLE, NEXT)
            deadline = time.time() + 15
            while PROGRESS not in {c["id"] for c in driver.controls(TITLE)}:
                self.assertLess(time.time(), deadline, "the loading page follows the Next")
                time.sleep(0.2)
            time.sleep(3)  # the first event's request, on a thread of its own, uses WinHTTP
            self.assertTrue(self.wizard.running())
            self.assertEqual(loaded_markers(self.folder), [])

if __name__ == "__main__":
    unittest.main(verbosity=2)
