"""The main product's analytics events as the real wizard sends them: event 1 at the first
Next, before the remote configuration is known, and event 5 when the wizard closes, which
the process waits for before it ends."""
import json
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.environ["KELVARA_SOURCE"], "tests", "backend"))

from with_backend import backend_on_443  # noqa: E402
from wizard import Driver, Wizard, screenshot, wine_env  # noqa: E402

PRODUCT = os.environ["KELVARA_PRODUCT"]
TITLE = "Setup"
SC_CLOSE = 0xF060
NEXT, PROGRESS = 1010, 1043
REPLY_DELAY = 2


def analytics_requests(folder):
    """(arrival time, headers, event document) of every analytics request logged so far."""
    path = os.path.join(folder, "requests.jsonl")
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8") as log:
        records = [json.loads(line) for line in log if line.endswith("\n")]
    return [(r["time"], r["headers"], json.loads(json.loads(r["body"])["data"]))
            for r in records if r["path"] == "/zbd"]


def wait_for_requests(folder, count, seconds=15):
    deadline = time.time() + seconds
    while time.time() < deadline:
        requests = analytics_requests(folder)
        if len(requests) >= count:
            return requests
        time.sleep(0.1)
    raise AssertionError(f"{count} analytics requests expected, got {analytics_requests(folder)}")


class MainProductEvents(unittest.TestCase):
    def test_first_next_sends_event_one_and_closing_waits_for_event_five(self):
        # Slow replies show whether the process waits for its last event.
        with backend_on_443({"/zbd": {"status": 200, "delay": REPLY_DELAY}}) as folder:
            driver = Driver()
            wizard = Wizard(PRODUCT, wine_env())
            try:
                driver.wait(TITLE)
                driver.click(TITLE, NEXT)
                driver.wait(TITLE)
                [(_, headers, event)] = wait_for_requests(folder, 1)
                self.assertRegex(headers["Authorization"], r"^Signature=[0-9a-f]{64}$")
                self.assertEqual(event["6"], "1")
                self.assertEqual(event["10"], 1)
                # Nothing is known of the remote configuration yet: no "cfl", no channel,
                # and the title as it stands before loading.
                self.assertEqual((event["19"], event["21"], event["22"], event["5"]), ("", "", "", ""))
                self.assertEqual((event["3"], event["4"], event["7"]), ("Tovanta", "Tovanta_DLM", "3.0.13.45782"))
                self.assertRegex(event["1"], r"^[0-9a-fA-F-]{36}$")
                self.assertRegex(event["2"], r"^\d{14}$")
                self.assertRegex(event["31"], r"^\d+\.\d+\.\d+$")
                self.assertEqual(event["38"], "1")  # the 64-bit prefix
                screenshot("events_after_first_next", driver, TITLE)
                time.sleep(REPLY_DELAY + 0.5)  # event 1 answered: only event 5 is waited for

                driver.syscommand(TITLE, SC_CLOSE)
                self.assertIsNotNone(driver.msgbox())
                driver.answer(1)
                self.assertEqual(wizard.exit_code(timeout=30), 2)
                ended = time.time()
                requests = analytics_requests(folder)
                self.assertEqual([event["6"] for _, _, event in requests], ["1", "5"])
                sent, _, closing = requests[1]
                self.assertEqual((closing["10"], closing["2"]), (1, event["2"]))
                self.assertGreaterEqual(ended - sent, REPLY_DELAY - 0.2, "the process waited for event 5")
            finally:
                wizard.kill()


if __name__ == "__main__":
    unittest.main(verbosity=2)
