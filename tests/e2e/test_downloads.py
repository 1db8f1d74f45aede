"""Both download pages against the test back end: the product build saves its main product
in the prefix's Downloads folder and starts the accepted offers (a plain program and one in
a ZIP archive), reports each outcome, and ends on the finish or the download error page;
the install flow waits for its main installer and judges its exit code."""
import glob
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from test_offers import (ACCEPT, FINISH, ISV, ISV_TITLE, LOADED_TITLE, NEXT, WELCOME_TITLE,  # noqa: E402
                         ERROR_TEXT, ERROR_TITLE, CLOSE, OfferRun, configuration, events, offer)
from test_pages import working_directories  # noqa: E402
from wizard import installer_runs, screenshot, served_files  # noqa: E402

PROGRESS, PROGRESS_TITLE = 1043, 1025
WARNING_TITLE, AGREE, OPTIONS_TITLE, CONFIGURATIONS_TITLE = 1052, 1050, 1055, 1059
WM_CLOSE, WM_DOWNLOAD_PROGRESS = 0x10, 0x401
INSTALLER = os.environ["KELVARA_TEST_INSTALLER"]
ARCHIVES = os.environ["KELVARA_ARCHIVES"]
NOT_A_PROGRAM = b"@echo off\r\necho this would run any command\r\n"
SLOW = {"file": "VexaPaintSetup.exe", "chunk_size": 4096, "chunk_delay": 0.2}


def the_downloads_folder():
    users = os.path.join(os.environ["WINEPREFIX"], "drive_c", "users", "*", "Downloads")
    return max(glob.glob(users), key=os.path.getmtime)


def offers_with_files():
    """Four accepted offers: a plain program, a ZIP
    archive, one the back end does not have, and a script that must not be run."""
    return [offer(1, "Paldra PDF", u="https://localhost/f/offer1.exe", p="/plain /exit=0"),
            offer(2, "Kestio Photo", u="https://localhost/f/offer2.zip", p="/zipped"),
            offer(3, "Veltro Backup", u="https://localhost/f/missing.exe"),
            script_offer()]


def script_offer():
    """A fourth offer, in a category of its own."""
    entry = offer(1, "Script Offer", u="https://localhost/f/offer4.cmd", v=4)
    entry["ad"] = {"f": "tag4", "o": "104"}
    return entry


def files_for_offers():
    with open(os.path.join(ARCHIVES, "top.zip"), "rb") as f:
        archive = f.read()
    return served_files(["VexaPaintSetup.exe", "offer1.exe", "TovantaSetup.exe"],
                        **{"offer2.zip": archive, "offer4.cmd": NOT_A_PROGRAM})


class ProductDownloads(OfferRun):
    def accept_all(self, title):
        self.driver.click(title, NEXT)
        while self.wait_for((FINISH, ERROR_TITLE, ACCEPT, PROGRESS_TITLE), (title,), 60)[1] == ACCEPT:
            before = self.driver.text(title, 1042)
            self.driver.click(title, ACCEPT)
            deadline = time.time() + 5
            while time.time() < deadline and ACCEPT in self.visible(title) and \
                    self.driver.text(title, 1042) == before:
                time.sleep(0.1)

    def test_main_product_in_downloads_offers_started_outcomes_reported(self):
        target = os.path.join(the_downloads_folder(), "Vexa Paint Setup.exe")
        if os.path.exists(target):
            os.remove(target)
        before = working_directories()
        folder = self.start({"json": configuration(offers_with_files(), limit=5, cf="Vexa Paint Setup.exe")},
                            routes={"/f/VexaPaintSetup.exe": SLOW}, files=files_for_offers())
        title, _ = self.wait_for((WELCOME_TITLE,))
        self.accept_all(title)
        self.wait_for((PROGRESS_TITLE,), (title,))
        screenshot("download_page", self.driver, title)
        bar = self.driver.run("progress", title, PROGRESS)[0]
        self.assertFalse(bar["marquee"])
        self.wait_for((FINISH,), (title,), 90)
        screenshot("finish_page_downloaded", self.driver, title)

        with open(INSTALLER, "rb") as f, open(target, "rb") as saved:
            self.assertEqual(saved.read(), f.read(), "the served bytes under the cf name")
        deadline = time.time() + 10
        while time.time() < deadline and len(installer_runs(self.installer_log)) < 2:
            time.sleep(0.2)
        runs = installer_runs(self.installer_log)
        self.assertEqual(len(runs), 2, runs)
        # Started one after the other, not waited for: their records may come in either order.
        [plain] = [r for r in runs if r["cmdline"].endswith('" /plain /exit=0')]
        self.assertTrue(plain["cmdline"].startswith('"'), "the path in double quotes")
        [zipped] = [r for r in runs if r["cmdline"].endswith('" /zipped')]
        self.assertTrue(zipped["exe"].lower().endswith("setup.exe"), "the program from the archive")

        outcomes = {e["5"]: (e["6"], e.get("12", "")) for e in events(folder) if e["6"] in ("3", "-1")}
        self.assertEqual(outcomes["Vexa Paint"], ("3", ""))
        self.assertEqual(outcomes["101"], ("3", ""))
        self.assertEqual(outcomes["102"], ("3", ""))
        self.assertEqual(outcomes["103"][0], "-1")
        self.assertTrue(outcomes["103"][1].startswith("DOWNLOAD FAILED: "), outcomes["103"])
        self.assertEqual(outcomes["104"][0], "-1")
        self.assertTrue(outcomes["104"][1].startswith("EXEC FAILED"), outcomes["104"])

        # Open Folder would show Explorer; Launch starts the saved product once, from Downloads.
        self.driver.click(title, FINISH)
        self.assertEqual(self.wizard.exit_code(), 1)
        self.assertEqual(working_directories() - before, set(), "the working directory is gone")
        deadline = time.time() + 10
        while time.time() < deadline and len(installer_runs(self.installer_log)) < 3:
            time.sleep(0.2)
        self.assertIn("Downloads", installer_runs(self.installer_log)[-1]["exe"])

    def test_a_failed_main_download_keeps_the_users_file_runs_the_offers_then_shows_the_error_page(self):
        target = os.path.join(the_downloads_folder(), "Vexa Paint Setup.exe")
        with open(target, "wb") as f:
            f.write(b"the user's own file")
        folder = self.start({"json": configuration([offer(1, "Paldra PDF", u="https://localhost/f/offer1.exe", p="/first")],
                                                   cf="Vexa Paint Setup.exe")},
                            routes={"/f/VexaPaintSetup.exe": {"status": 404}}, files=files_for_offers())
        title, _ = self.wait_for((WELCOME_TITLE,))
        self.accept_all(title)
        self.wait_for((ERROR_TITLE,), (title,), 60)
        self.assertEqual(self.driver.text(title, ERROR_TITLE), "Error in downloading")
        self.assertEqual(self.driver.text(title, ERROR_TEXT), "Please try to download later")
        runs = installer_runs(self.installer_log)
        self.assertEqual(len(runs), 1, "the offer ran before the error page")
        self.assertIn("/first", runs[0]["cmdline"])
        with open(target, "rb") as f:
            self.assertEqual(f.read(), b"the user's own file")
        self.driver.click(title, CLOSE)
        self.assertEqual(self.wizard.exit_code(), 1)
        [failed] = [e for e in events(folder) if e["5"] == "Vexa Paint" and e["6"] in ("3", "-1")]
        self.assertEqual(failed["6"], "3", "the main product's failure flag is set by default")
        self.assertIn("DOWNLOAD FAILED: ", failed["12"])
        os.remove(target)

    def test_closing_during_a_slow_download_starts_no_further_download_and_reports_closing(self):
        folder = self.start({"json": configuration([offer(1, "Paldra PDF", u="https://localhost/f/offer1.exe")])},
                            routes={"/f/VexaPaintSetup.exe": dict(SLOW, chunk_delay=1)},
                            files=files_for_offers())
        title, _ = self.wait_for((WELCOME_TITLE,))
        self.accept_all(title)
        self.wait_for((PROGRESS_TITLE,), (title,))
        time.sleep(1)
        self.driver.post(title, WM_CLOSE)
        self.assertIsNotNone(self.driver.msgbox())
        self.driver.answer(1)
        self.assertEqual(self.wizard.exit_code(), 2)
        with open(os.path.join(folder, "requests.jsonl"), encoding="utf-8") as log:
            self.assertNotIn("offer1.exe", log.read(), "no further download")
        self.assertEqual(sorted(e["5"] for e in events(folder, 5)), ["101", "Vexa Paint"])


class InstallFlow(OfferRun):
    def run_isv(self, exit_code):
        folder = self.start({"json": configuration([])}, exe=ISV, files=files_for_offers(),
                            KELVARA_INSTALLER_EXIT=str(exit_code), KELVARA_INSTALLER_SLEEP_MS="3000")
        title, _ = self.wait_for((WELCOME_TITLE,), (ISV_TITLE,))
        self.driver.click(title, NEXT)
        self.wait_for((PROGRESS_TITLE,), (title,))
        # While the main installer runs, the bar is a marquee.
        deadline = time.time() + 20
        while time.time() < deadline and not self.driver.run("progress", title, PROGRESS)[0]["marquee"]:
            time.sleep(0.1)
        self.assertTrue(self.driver.run("progress", title, PROGRESS)[0]["marquee"])
        # A percentage ends the marquee and shows it.
        self.driver.run("postpage", title, PROGRESS, WM_DOWNLOAD_PROGRESS, 40)
        time.sleep(0.3)
        self.assertEqual(self.driver.run("progress", title, PROGRESS)[0], {"position": 40, "marquee": False})
        self.driver.run("postpage", title, PROGRESS, WM_DOWNLOAD_PROGRESS, 150)
        time.sleep(0.3)
        self.assertTrue(self.driver.run("progress", title, PROGRESS)[0]["marquee"])
        return folder, title

    def test_exit_code_0_leads_to_the_finish_page(self):
        folder, title = self.run_isv(0)
        self.wait_for((FINISH,), (title,), 30)
        [done] = [e for e in events(folder) if e["6"] == "3"]
        self.assertEqual(done["12"], "")
        self.driver.click(title, FINISH)
        self.assertEqual(self.wizard.exit_code(), 1)

    def test_exit_code_1603_leads_to_the_error_page_with_its_event(self):
        folder, title = self.run_isv(1603)
        self.wait_for((ERROR_TITLE,), (title,), 30)
        self.driver.click(title, CLOSE)
        self.assertEqual(self.wizard.exit_code(), 1)
        [failed] = [e for e in events(folder) if e["6"] == "3"]
        self.assertEqual(failed["12"], "EXEC FAILED: exit code = 1603")

    def test_an_offer_named_like_the_main_installer_replaces_nothing(self):
        folder = self.start({"json": configuration([offer(1, "Paldra PDF", p="/offer",
                                                          u="https://localhost/f/other/TovantaSetup.exe")])},
                            exe=ISV, files=files_for_offers(),
                            routes={"/f/other/TovantaSetup.exe": {"text": "not a program"}})
        self.wait_for((WELCOME_TITLE,), (ISV_TITLE,))
        self.driver.click(ISV_TITLE, NEXT)
        self.wait_for((ACCEPT,), (ISV_TITLE,))
        self.driver.click(ISV_TITLE, ACCEPT)
        self.wait_for((FINISH,), (ISV_TITLE,), 30)
        [main] = installer_runs(self.installer_log)
        self.assertNotIn("/offer", main["cmdline"])
        outcomes = {e["5"]: (e["6"], e["12"]) for e in events(folder) if e["6"] in ("3", "-1")}
        self.assertEqual(outcomes["Tovanta"], ("3", ""), "the main installer ran and succeeded")
        self.assertEqual(outcomes["101"][0], "-1", "the offer, not a program, failed to start")
        self.driver.click(ISV_TITLE, FINISH)
        self.assertEqual(self.wizard.exit_code(), 1)

    def test_the_classic_variant_gives_the_main_installer_the_option_string(self):
        self.start({"json": configuration([])}, exe=os.environ["KELVARA_ISV_BTCLASSIC"],
                   files=files_for_offers())
        for control in (WARNING_TITLE, AGREE, OPTIONS_TITLE, CONFIGURATIONS_TITLE):
            self.wait_for((control,), (ISV_TITLE,))
            self.driver.click(ISV_TITLE, AGREE if control == AGREE else NEXT)
        self.wait_for((FINISH,), (ISV_TITLE,), 30)
        [run] = installer_runs(self.installer_log)
        self.assertTrue(run["cmdline"].endswith('" /S /FORCEINSTALL 1110010101111110'), run)
        self.driver.click(ISV_TITLE, FINISH)
        self.assertEqual(self.wizard.exit_code(), 1)


if __name__ == "__main__":
    unittest.main(verbosity=2)
