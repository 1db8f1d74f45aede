"""The host window of each variant: title, single instance per wizard type, Enter, about box."""
import os
import unittest

from wizard import Driver, Wizard, screenshot

PRODUCT = os.environ["KELVARA_PRODUCT"]
ISV = os.environ["KELVARA_ISV"]


class Startup(unittest.TestCase):
    def setUp(self):
        self.driver = Driver()
        self.wizards = []

    def tearDown(self):
        for wizard in self.wizards:
            wizard.kill()

    def start(self, exe):
        wizard = Wizard(exe)
        self.wizards.append(wizard)
        return wizard

    def test_product_window_is_titled_setup_with_its_header_and_footer(self):
        self.start(PRODUCT)
        self.driver.wait("Setup")
        ids = {c["id"] for c in self.driver.controls("Setup")}
        self.assertLessEqual({1001, 1004, 1006, 1007, 1014}, ids)
        self.assertNotIn(1008, ids, "the product title stays hidden until the configuration arrives")
        screenshot("host_window", self.driver, "Setup")

    def test_second_copy_of_a_type_shows_the_error_box_and_ends_with_code_1(self):
        first = self.start(PRODUCT)
        self.driver.wait("Setup")
        second = self.start(PRODUCT)
        box = self.driver.msgbox(10000)
        self.assertEqual(box, {"caption": "Error",
                               "text": "Another setup is already running, please close it and try again"})
        self.driver.answer(1)
        self.assertEqual(second.exit_code(), 1)
        self.assertTrue(first.running())
        self.driver.wait("Setup", 2000)

    def test_download_and_install_builds_run_side_by_side(self):
        self.start(PRODUCT)
        self.driver.wait("Setup")
        self.start(ISV)
        self.driver.wait("Tovanta ")  # the install flow's title before its configuration
        self.assertIsNone(self.driver.msgbox(1000))

    def test_enter_and_escape_do_not_close_the_window(self):
        wizard = self.start(PRODUCT)
        self.driver.wait("Setup")
        self.driver.key("Setup", "enter")
        self.driver.key("Setup", "escape")
        self.assertIsNone(self.driver.msgbox(1000), "no question about closing either")
        self.assertFalse(self.driver.gone("Setup", 500))
        self.assertTrue(wizard.running())

    def test_about_box_opens_from_the_system_menu_and_shows_the_version(self):
        self.start(PRODUCT)
        self.driver.wait("Setup")
        # Alt+Space, End, Enter: the item the wizard adds at the end of its system menu.
        self.driver.sysmenu("Setup", "end", "enter")
        self.driver.wait("About Kelvara", 5000)
        self.assertEqual(self.driver.text("About Kelvara", 1045), "Kelvara, Version 3.0.13.45782")
        self.driver.click("About Kelvara", 1)
        self.assertTrue(self.driver.gone("About Kelvara"))


if __name__ == "__main__":
    unittest.main(verbosity=2)
