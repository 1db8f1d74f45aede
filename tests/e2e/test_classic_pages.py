"""The classic variant of the install flow: its warning page before the license page, its
option pages after the offers, in order, with their texts; the pages keep their boxes'
states across Back and Next."""
import os
import re
import time
import unittest
import xml.etree.ElementTree as ElementTree

from wizard import Driver, Wizard, screenshot

VARIANT = os.environ["KELVARA_ISV_BTCLASSIC"]
SOURCE = os.environ["KELVARA_SOURCE"]
TITLE = "Tovanta "  # the install flow's title
SPLASH_TEXT_BT = 1012
NEXT, BACK, AGREE, PROGRESS, PROGRESS_TITLE, ERROR_TITLE = 1010, 1051, 1050, 1043, 1025, 1036
WARNING_TITLE, WARNING_SUBTITLE, WARNING_TEXT = 1052, 1053, 1054
OPTIONS_TITLE, OPTIONS = 1055, [1056, 1057, 1058]
CONFIGURATIONS_TITLE, CONFIGURATIONS = 1059, [1069, 1063, 1066, 1067, 1068]
CONFIGURATION_TEXTS = {1060: "CONFIGURATIONS_SUBTITLE_1", 1061: "CONFIGURATIONS_TEXT_1",
                       1062: "CONFIGURATIONS_CHECK_1", 1063: "CONFIGURATIONS_CHECK_2",
                       1064: "CONFIGURATIONS_SUBTITLE_2", 1065: "CONFIGURATIONS_TEXT_2",
                       1066: "CONFIGURATIONS_CHECK_3", 1067: "CONFIGURATIONS_CHECK_4",
                       1068: "CONFIGURATIONS_CHECK_5"}


def texts():
    """The English texts of the install flow with the BT page family's extra texts."""
    locale = os.path.join(SOURCE, "res", "locale")
    found = {e.tag: e.text or "" for e in ElementTree.parse(os.path.join(locale, "isv", "en_US.xml")).getroot()}
    with open(os.path.join(locale, "bt_extra.xml"), encoding="utf-8") as extra:
        body = re.sub(r"<\?xml[^>]*\?>", "", extra.read())
    found.update({e.tag: e.text or "" for e in ElementTree.fromstring(f"<all>{body}</all>")})
    return {key: re.sub(r"\{(\w+)\}", lambda m: found.get(m.group(1), m.group(0)), text)
            for key, text in found.items()}


TEXTS = texts()


class ClassicPages(unittest.TestCase):
    def setUp(self):
        self.driver = Driver()
        self.wizard = Wizard(VARIANT)
        self.driver.wait(TITLE)

    def tearDown(self):
        self.wizard.kill()

    def visible_ids(self):
        return {control["id"] for control in self.driver.controls(TITLE)}

    def wait_for_control(self, control_id, seconds=5.0):
        deadline = time.time() + seconds
        while control_id not in self.visible_ids():
            if time.time() > deadline:
                return False
            time.sleep(0.1)
        return True

    def show(self, control_id):
        self.assertTrue(self.wait_for_control(control_id), f"control {control_id} never showed")

    def pass_the_loading_page(self):
        # Without a back end the install flow loads no offers and goes on by itself.
        self.driver.click(TITLE, NEXT)
        self.assertTrue(self.wait_for_control(WARNING_TITLE, 30), "the warning page follows the loading")

    def checks(self, ids):
        return [self.driver.checked(TITLE, i) for i in ids]

    def test_pages_in_order_with_their_texts_and_boxes_that_keep_their_states(self):
        self.pass_the_loading_page()
        self.assertEqual(self.driver.text(TITLE, WARNING_TITLE), TEXTS["WARNING_TITLE"])
        self.assertEqual(self.driver.text(TITLE, WARNING_SUBTITLE), TEXTS["WARNING_SUBTITLE"])
        self.assertEqual(self.driver.text(TITLE, WARNING_TEXT), TEXTS["WARNING_TEXT"])
        self.assertEqual(self.driver.text(TITLE, NEXT), "Next")
        self.assertEqual(self.driver.text(TITLE, BACK), "Back")
        screenshot("warning_page", self.driver, TITLE)

        self.driver.click(TITLE, NEXT)
        self.show(AGREE)  # the license page follows the warning
        self.driver.click(TITLE, AGREE)

        self.show(OPTIONS_TITLE)
        self.assertEqual(self.driver.text(TITLE, OPTIONS_TITLE), TEXTS["OPTIONS_TITLE"])
        self.assertEqual([self.driver.text(TITLE, i) for i in OPTIONS],
                         [TEXTS[f"OPTIONS_CHECK_{n}"] for n in (1, 2, 3)])
        self.assertEqual(self.checks(OPTIONS), [True, True, True])
        self.assertNotIn(BACK, self.visible_ids(), "the options page has no way back")
        screenshot("options_page", self.driver, TITLE)
        self.driver.click(TITLE, OPTIONS[1])
        self.driver.click(TITLE, NEXT)

        self.show(CONFIGURATIONS_TITLE)
        self.assertEqual(self.driver.text(TITLE, CONFIGURATIONS_TITLE), TEXTS["CONFIGURATIONS_TITLE"])
        for control_id, key in CONFIGURATION_TEXTS.items():
            self.assertEqual(self.driver.text(TITLE, control_id), TEXTS[key])
        self.assertEqual(self.driver.text(TITLE, CONFIGURATIONS[0]), "", "box 1 is captioned by its label")
        self.assertEqual(self.checks(CONFIGURATIONS), [True] * 5)
        screenshot("configurations_page", self.driver, TITLE)

        # Back and Next again: each page shows the boxes as the user left them.
        self.driver.click(TITLE, CONFIGURATIONS[2])
        self.driver.click(TITLE, BACK)
        self.show(OPTIONS_TITLE)
        self.assertEqual(self.checks(OPTIONS), [True, False, True])
        self.driver.click(TITLE, NEXT)
        self.show(CONFIGURATIONS_TITLE)
        self.assertEqual(self.checks(CONFIGURATIONS), [True, True, False, True, True])

        # Next leads to the download page, which, without a back end, ends on the error page.
        self.driver.click(TITLE, NEXT)
        deadline = time.time() + 20
        while not {PROGRESS_TITLE, ERROR_TITLE} & self.visible_ids() and time.time() < deadline:
            time.sleep(0.1)
        self.assertTrue({PROGRESS_TITLE, ERROR_TITLE} & self.visible_ids())
        self.assertNotIn(CONFIGURATIONS_TITLE, self.visible_ids())

    def test_back_from_the_warning_page_returns_to_the_language_page_and_skips_loading(self):
        self.pass_the_loading_page()
        self.driver.click(TITLE, BACK)
        self.show(SPLASH_TEXT_BT)
        self.assertNotIn(WARNING_TITLE, self.visible_ids())
        self.driver.click(TITLE, NEXT)
        self.show(WARNING_TITLE)
        self.assertNotIn(PROGRESS, self.visible_ids())


if __name__ == "__main__":
    unittest.main(verbosity=2)
