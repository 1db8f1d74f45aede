"""The product build from the language page through its offers, against the test back end:
the configuration request, the failures that end on the configuration error page, the
channel that suppresses offers, the exclusive offer, the limit, refused offers with their
event 2, Accept and Decline, and the events of closing."""
import json
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.environ["KELVARA_SOURCE"], "tests", "backend"))

from test_events import analytics_requests, wait_for_requests  # noqa: E402
from with_backend import backend_on_443  # noqa: E402
from wizard import Driver, Wizard, screenshot, served_files, windows_path, wine_env  # noqa: E402

PRODUCT = os.environ["KELVARA_PRODUCT"]
ISV = os.environ["KELVARA_ISV"]
SC_CLOSE = 0xF060
NEXT, WELCOME_TITLE, ACCEPT, DECLINE, DISCLAIMER = 1010, 1017, 1021, 1022, 1042
FINISH, CLOSE, ERROR_TITLE, ERROR_TEXT = 1028, 1035, 1036, 1037
START_TITLE, LOADED_TITLE, ISV_TITLE = "Setup", "Vexa Paint Setup", "Tovanta "
REFUSED = {"pv": "99.0"}  # needs an installer version far above this one's
PICTURE = {1: "offer_pdf.png", 2: "offer_photo.png", 3: "offer_backup.png"}


def offer(number, name, **settings):
    """One offer entry; each number has its own category, so none refuses another."""
    return {"ad": {"f": f"tag{number}", "o": f"10{number}"},
            "ps": {"i": PICTURE[number], "dn": name, "u": f"https://localhost/f/offer{number}.exe",
                   "cp": f"https://localhost/privacy/{number}", "ctu": f"https://localhost/terms/{number}",
                   "v": number, **settings}}


def configuration(offers, limit=3, **product):
    return {"l": "US",
            "i": {"ct": "Vexa Paint", "cu": "https://localhost/f/VexaPaintSetup.exe",
                  "cl": "https://localhost/f/logo.png", "cp": "https://localhost/privacy/",
                  "ctu": "https://localhost/terms/", **product},
            "f": {"a": "pub", "m": limit},
            "o": offers}


def events(folder, code=None):
    return [event for _, _, event in analytics_requests(folder) if code is None or event["6"] == str(code)]


def configuration_requests(folder):
    with open(os.path.join(folder, "requests.jsonl"), encoding="utf-8") as log:
        return [line for line in map(json.loads, log) if line["path"] == "/o"]


class OfferRun(unittest.TestCase):
    """Each run starts the back end with a configuration reply, then the wizard."""

    def setUp(self):
        self.driver = Driver()
        self.wizard = None
        self.backend = None

    def tearDown(self):
        self.stop()

    def start(self, reply, exe=PRODUCT, routes=None, files=None, **env):
        """Starts the run and presses Next on the language page; returns the back end's
        folder. The back end serves the pictures and the main products of both flows
        (files replaces them), and routes besides the configuration's."""
        self.stop()
        files = files or served_files(["VexaPaintSetup.exe", "TovantaSetup.exe"])
        self.backend = backend_on_443({"/o": reply, **(routes or {})}, files=files)
        folder = self.backend.__enter__()
        # The installers the run starts record themselves beside the back end's log.
        self.installer_log = os.path.join(folder, "installers.jsonl")
        env.setdefault("KELVARA_INSTALLER_LOG", windows_path(self.installer_log))
        self.wizard = Wizard(exe, wine_env(LC_ALL="en_US.UTF-8", **env))
        title = ISV_TITLE if exe in (ISV, os.environ["KELVARA_ISV_BTCLASSIC"]) else START_TITLE
        self.driver.wait(title)
        self.driver.click(title, NEXT)
        return folder

    def stop(self):
        if self.wizard:
            self.wizard.kill()
            self.wizard = None
        if self.backend:
            self.backend.__exit__(None, None, None)
            self.backend = None

    def visible(self, title):
        return {c["id"] for c in self.driver.run("controls", title, check=False) if "id" in c}

    def wait_for(self, wanted, titles=(LOADED_TITLE, START_TITLE), seconds=20):
        """(title, control) once one of the wanted controls (earlier ones first) shows in a
        window of one of the titles."""
        deadline = time.time() + seconds
        while time.time() < deadline:
            for title in titles:
                shown = self.visible(title)
                for control in wanted:
                    if control in shown:
                        return title, control
            time.sleep(0.2)
        raise AssertionError(f"none of {wanted} showed")

    def walk_offers(self, title, accept=()):
        """From the welcome page through every product page to the finish page, accepting
        the offers named in accept and declining the others; returns the names in page
        order."""
        self.driver.click(title, NEXT)
        names, last = [], None
        while self.wait_for((FINISH, ACCEPT), (title,))[1] == ACCEPT:
            text = self.driver.text(title, DISCLAIMER)
            if text == last:  # the click has not moved on yet
                time.sleep(0.1)
                continue
            last = text
            names.append(text.split("you agree to install ")[1].split(" and accept")[0])
            self.driver.click(title, ACCEPT if names[-1] in accept else DECLINE)
        return names

    def offers_shown(self, reply):
        """The offer pages a run shows; the run ends with Finish."""
        folder = self.start(reply)
        title, _ = self.wait_for((WELCOME_TITLE,))
        names = self.walk_offers(title)
        self.driver.click(title, FINISH)
        self.assertEqual(self.wizard.exit_code(), 1)
        return folder, names


class Offers(OfferRun):
    def test_refused_middle_offer_two_pages_in_order_accept_sends_nothing_decline_sends_four(self):
        folder = self.start({"json": configuration(
            [offer(1, "Paldra PDF"), offer(2, "Kestio Photo", **REFUSED), offer(3, "Veltro Backup")])})
        title, _ = self.wait_for((WELCOME_TITLE,))
        self.assertEqual(title, LOADED_TITLE)
        screenshot("wizard_welcome_page", self.driver, title)

        self.driver.click(title, NEXT)
        self.wait_for((ACCEPT,), (title,))
        self.assertIn("you agree to install Paldra PDF and accept", self.driver.text(title, DISCLAIMER))
        screenshot("wizard_product_page_1", self.driver, title)
        self.driver.click(title, ACCEPT)
        time.sleep(1)
        self.assertEqual(sorted(e["6"] for e in events(folder)), ["1", "2"], "Accept sends nothing")
        self.assertIn("install Veltro Backup and", self.driver.text(title, DISCLAIMER))
        screenshot("wizard_product_page_2", self.driver, title)
        self.driver.click(title, DECLINE)
        [declined] = [e for _, _, e in wait_for_requests(folder, 3) if e["6"] == "4"]
        self.assertEqual((declined["5"], declined["17"]), ("103", "2"), "the second page's index is 1")
        self.wait_for((FINISH,), (title,))
        screenshot("wizard_finish_page", self.driver, title)

        [refused] = events(folder, 2)
        self.assertEqual((refused["5"], refused["17"], refused["13"]),
                         ("102", "2", "UNSUPPORTED PLATFORM VERSION"))
        self.assertEqual(len(configuration_requests(folder)), 1, "the configuration is asked for once")

        time.sleep(0.5)  # the delivered event 4 closes that offer's events
        self.driver.syscommand(title, SC_CLOSE)
        self.assertIsNone(self.driver.msgbox(1500), "the last page closes without a question")
        self.assertEqual(self.wizard.exit_code(), 2)
        # Both packages had their last word on the download page: the accepted offer, which
        # this back end does not have, its failure, the product its download.
        self.assertEqual(events(folder, 5), [])
        self.assertEqual(sorted((e["5"], e["6"]) for e in events(folder) if e["6"] in ("3", "-1")),
                         [("101", "-1"), ("Vexa Paint", "3")])

    def test_closing_on_a_product_page_reports_each_offered_package_once(self):
        folder = self.start({"json": configuration([offer(1, "Paldra PDF"), offer(2, "Kestio Photo")])})
        title, _ = self.wait_for((WELCOME_TITLE,))
        self.driver.click(title, NEXT)
        self.wait_for((ACCEPT,), (title,))
        self.driver.click(title, ACCEPT)
        time.sleep(0.5)
        self.driver.syscommand(title, SC_CLOSE)
        self.assertIsNotNone(self.driver.msgbox())
        self.driver.answer(1)
        self.assertEqual(self.wizard.exit_code(), 2)
        self.assertEqual(sorted(e["5"] for e in events(folder, 5)), ["101", "102", "Vexa Paint"])

    def test_only_the_exact_channel_00xA_suppresses_the_offers(self):
        for channel, pages in (("00xA", []), ("00xa", ["Paldra PDF"]), ("00xA ", ["Paldra PDF"])):
            with self.subTest(channel=channel):
                _, shown = self.offers_shown({"json": configuration([offer(1, "Paldra PDF")], ch=channel)})
                self.assertEqual(shown, pages)

    def test_an_accepted_exclusive_offer_is_the_only_page_a_refused_one_ends_nothing(self):
        folder, shown = self.offers_shown({"json": configuration(
            [offer(1, "Refused Exclusive", exc=True, **REFUSED), offer(2, "Kestio Photo", exc=True),
             offer(3, "Veltro Backup")])})
        self.assertEqual(shown, ["Kestio Photo"])
        self.assertEqual([e["5"] for e in events(folder, 2)], ["101"], "the third offer is never built")

    def test_the_limit_ends_the_list_without_an_event(self):
        folder, shown = self.offers_shown({"json": configuration(
            [offer(1, "Paldra PDF"), offer(2, "Kestio Photo")], limit=1)})
        self.assertEqual(shown, ["Paldra PDF"])
        self.assertEqual(events(folder, 2), [])

    def test_a_logo_that_cannot_be_fetched_still_completes_the_load(self):
        _, shown = self.offers_shown({"json": configuration(
            [offer(1, "Paldra PDF", i="missing.png")], cl="https://localhost/f/missing.png")})
        self.assertEqual(shown, ["Paldra PDF"])

    def test_the_install_flow_without_a_configuration_goes_on_without_offers(self):
        self.start({"refuse": True}, exe=ISV)
        title, control = self.wait_for((WELCOME_TITLE, ERROR_TITLE), (ISV_TITLE,))
        self.assertEqual(control, WELCOME_TITLE)
        self.assertEqual(self.walk_offers(title), [])


class ConfigurationErrors(OfferRun):
    ROWS = {
        "transport failure": {"refuse": True},
        "empty reply": {"text": ""},
        "malformed JSON": {"text": '{"i":{"ct":'},
        "no product data": {"json": {"l": "US", "f": {"m": 1}, "o": []}},
        "title not a string": {"json": configuration([], ct=5)},
        "empty download address": {"json": configuration([offer(1, "Paldra PDF")], cu="")},
        "optional member not a string": {"json": configuration([], cl=7)},
        "country not a string": {"json": dict(configuration([]), l=1)},
        "offers without f": {"json": {k: v for k, v in configuration([]).items() if k != "f"}},
        "limit not a number": {"json": configuration([], limit="3")},
        "offer without a name": {"json": configuration([{"ad": {"f": "t", "o": "1"}, "ps": {"i": "x", "u": "y"}}])},
    }

    def test_every_failure_ends_on_the_configuration_error_page(self):
        for row, reply in self.ROWS.items():
            with self.subTest(row=row):
                folder = self.start(reply)
                title, control = self.wait_for((WELCOME_TITLE, ERROR_TITLE))
                self.assertEqual((title, control), (START_TITLE, ERROR_TITLE))
                self.assertEqual(self.driver.text(title, ERROR_TITLE), "Something went wrong")
                self.assertEqual(self.driver.text(title, ERROR_TEXT), "Please try to download later")
                if row == "transport failure":
                    screenshot("wizard_configuration_error", self.driver, title)
                self.assertEqual(len(configuration_requests(folder)), 1)
                self.assertEqual(events(folder, 2), [], "no offer was evaluated")
                self.driver.click(title, CLOSE)
                self.assertEqual(self.wizard.exit_code(), 1)


if __name__ == "__main__":
    unittest.main(verbosity=2)
