"""The first pages of the product build and the ways out of it: the language page in the
user's language, the loading page, the close box with its question, and the error page."""
import glob
import os
import re
import sys
import time
import unittest
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.join(os.environ["KELVARA_SOURCE"], "tests", "backend"))

from with_backend import backend_on_443  # noqa: E402
from wizard import Driver, Wizard, screenshot, wine_env  # noqa: E402

PRODUCT = os.environ["KELVARA_PRODUCT"]
SOURCE = os.environ["KELVARA_SOURCE"]
TITLE = "Setup"
SC_CLOSE = 0xF060
COMBO, NEXT, SPLASH, PROGRESS = 1000, 1010, 1011, 1043
ERROR_TITLE, ERROR_TEXT, CLOSE = 1036, 1037, 1035


def locale_texts(name):
    """The texts of a download-flow locale document with their {KEY} references expanded."""
    root = ElementTree.parse(os.path.join(SOURCE, "res", "locale", "dlm", name + ".xml")).getroot()
    texts = {element.tag: element.text or "" for element in root}
    return {key: re.sub(r"\{(\w+)\}", lambda m: texts.get(m.group(1), m.group(0)), text)
            for key, text in texts.items()}


GERMAN, ENGLISH = locale_texts("de"), locale_texts("en_US")


def temp_folder():
    """The prefix's temporary folder (Wine's GetTempPath), where each run makes its ISV*.tmp
    working directory."""
    users = os.path.join(os.environ["WINEPREFIX"], "drive_c", "users", "*")
    folders = glob.glob(os.path.join(users, "Temp")) + glob.glob(os.path.join(users, "AppData", "Local", "Temp"))
    return max(folders, key=os.path.getmtime)


def working_directories():
    return set(glob.glob(os.path.join(temp_folder(), "ISV*.tmp")))


class Pages(unittest.TestCase):
    def setUp(self):
        self.driver = Driver()
        self.wizard = None

    def tearDown(self):
        if self.wizard:
            self.wizard.kill()

    def start(self, **env):
        """Starts the wizard; returns the working directories that appeared meanwhile. Other
        test programs may make theirs in the same folder at the same time, so the wizard's
        is known by what happens to it."""
        before = working_directories()
        self.wizard = Wizard(PRODUCT, wine_env(**env))
        self.driver.wait(TITLE)
        candidates = working_directories() - before
        self.assertTrue(candidates, "the wizard makes a working directory")
        return candidates

    def removed_on_exit(self, candidates, exit_code):
        self.assertEqual(self.wizard.exit_code(), exit_code)
        return {directory for directory in candidates if not os.path.exists(directory)}

    def visible_ids(self):
        return {control["id"] for control in self.driver.controls(TITLE)}

    def wait_for_control(self, control_id, ms=5000):
        deadline = time.time() + ms / 1000
        while control_id not in self.visible_ids():
            self.assertLess(time.time(), deadline, f"control {control_id} never showed")
            time.sleep(0.1)

    def test_language_page_preselects_the_users_language_and_switches_at_once(self):
        self.start(LC_ALL="de_DE.UTF-8")
        self.assertEqual(self.driver.text(TITLE, COMBO), "Deutsch")
        self.assertEqual(self.driver.text(TITLE, SPLASH), GERMAN["SPLASH_TEXT"])
        self.assertEqual(self.driver.text(TITLE, NEXT), "Weiter")
        screenshot("language_page_de", self.driver, TITLE)

        self.driver.select(TITLE, COMBO, 0)  # English heads the list
        time.sleep(0.3)
        self.assertEqual(self.driver.text(TITLE, SPLASH), ENGLISH["SPLASH_TEXT"])
        self.assertEqual(self.driver.text(TITLE, NEXT), "Next")
        screenshot("language_page_en", self.driver, TITLE)

        # Enter and Escape, pressed in the language list that has the focus, neither advance
        # nor close the wizard.
        self.assertEqual(self.driver.key(TITLE, "enter"), {"focus": COMBO, "class": "ComboBox"})
        self.driver.key(TITLE, "escape")
        self.assertIsNone(self.driver.msgbox(1000))
        self.assertTrue(self.wizard.running())
        ids = self.visible_ids()
        self.assertIn(SPLASH, ids)
        self.assertNotIn(PROGRESS, ids)

    def test_next_shows_the_loading_page_and_the_close_box_asks_before_it_ends(self):
        # A configuration that takes its time keeps the loading page up.
        with backend_on_443({"/o": {"delay": 30, "json": {}}}):
            candidates = self.start(LC_ALL="de_DE.UTF-8")

            self.driver.click(TITLE, NEXT)
            self.wait_for_control(PROGRESS)
            self.assertNotIn(SPLASH, self.visible_ids())
            screenshot("loading_page", self.driver, TITLE)

            self.driver.syscommand(TITLE, SC_CLOSE)
            self.assertEqual(self.driver.msgbox(), {"caption": "", "text": GERMAN["MSG_EXIT"]})
            self.driver.answer(2)  # Cancel keeps the wizard as it was
            time.sleep(0.5)
            self.assertTrue(self.wizard.running())
            self.assertIn(PROGRESS, self.visible_ids())

            self.driver.syscommand(TITLE, SC_CLOSE)
            self.assertEqual(self.driver.msgbox()["text"], GERMAN["MSG_EXIT"])
            self.driver.answer(1)
            self.assertEqual(len(self.removed_on_exit(candidates, 2)), 1, "the empty working directory is removed")

    def test_error_page_shows_its_texts_and_the_close_box_then_ends_without_asking(self):
        candidates = self.start()
        self.driver.command(TITLE, 1038)
        self.wait_for_control(ERROR_TITLE)
        self.assertEqual(self.driver.text(TITLE, ERROR_TITLE), "Error")
        self.assertEqual(self.driver.text(TITLE, ERROR_TEXT), "Error message")
        self.assertEqual(self.driver.text(TITLE, CLOSE), "Close")
        self.assertNotIn(SPLASH, self.visible_ids())
        screenshot("error_page_generic", self.driver, TITLE)

        self.driver.syscommand(TITLE, SC_CLOSE)
        self.assertIsNone(self.driver.msgbox(1500))
        self.assertEqual(len(self.removed_on_exit(candidates, 2)), 1)

    def test_close_button_of_the_error_page_ends_at_once_and_keeps_the_working_directory(self):
        candidates = self.start()
        self.driver.command(TITLE, 1038)
        self.wait_for_control(CLOSE)
        self.driver.click(TITLE, CLOSE)
        self.assertEqual(self.removed_on_exit(candidates, 1), set())


if __name__ == "__main__":
    unittest.main(verbosity=2)
