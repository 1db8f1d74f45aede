"""Tests of the test back end: the scenario features the installer's tests rely on."""

import hashlib
import http.client
import json
import os
import socket
import ssl
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import server  # noqa: E402
from backend import SERVER, free_port, running_backend  # noqa: E402


class BackendTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.files = tempfile.TemporaryDirectory()
        with open(os.path.join(cls.files.name, "offer.png"), "wb") as f:
            f.write(b"\x89PNG fake image")
        cls.running = running_backend({}, files=cls.files.name)
        cls.backend = cls.running.__enter__()
        cls.tls = ssl.create_default_context(cafile=cls.backend.ca_file)

    @classmethod
    def tearDownClass(cls):
        cls.running.__exit__(None, None, None)
        cls.files.cleanup()

    def connect(self):
        return http.client.HTTPSConnection("localhost", self.backend.port, context=self.tls,
                                           timeout=10)

    def fetch(self, path, method="GET", body=None, headers=None):
        """(status, headers, body) of one request on a new connection."""
        connection = self.connect()
        try:
            connection.request(method, path, body=body, headers=headers or {})
            response = connection.getresponse()
            return response.status, response.headers, response.read()
        finally:
            connection.close()

    def routes(self, routes):
        self.backend.set_scenario({"routes": routes})

    def test_each_attempt_gets_the_next_reply_and_the_last_repeats(self):
        self.routes({"/o": [{"status": 500}, {"status": 404},
                            {"json": {"i": {"ct": "Tovanta Notes", "cu": "x"}}}]})
        connection = self.connect()  # one keep-alive connection for all attempts
        statuses = []
        for _ in range(4):
            connection.request("POST", "/o", body=b"{}")
            response = connection.getresponse()
            statuses.append(response.status)
            body = response.read()
        connection.close()
        self.assertEqual(statuses, [500, 404, 200, 200])
        # No raw white space survives in the JSON text, yet it decodes to the same strings.
        self.assertNotIn(b" ", body)
        self.assertEqual(json.loads(body)["i"]["ct"], "Tovanta Notes")
        self.assertEqual([r["attempt"] for r in self.backend.requests("/o")][-4:], [1, 2, 3, 4])

    def test_a_changed_scenario_is_used_at_once_and_restarts_the_counts(self):
        self.routes({"/f/swap": [{"text": "one"}, {"text": "two"}]})
        self.assertEqual(self.fetch("/f/swap")[2], b"one")
        self.routes({"/f/swap": [{"text": "three"}, {"text": "four"}]})
        self.assertEqual(self.fetch("/f/swap")[2], b"three")
        # A broken file keeps the previous scenario.
        with open(self.backend.scenario_path, "w") as f:
            f.write("{ broken")
        self.assertEqual(self.fetch("/f/swap")[2], b"four")

    def test_redirect_chains_with_relative_and_absolute_locations(self):
        self.routes({"/f/a": {"status": 301, "redirect": "/f/b"},
                     "/f/b": {"status": 307, "redirect": "{origin}/f/offer.png"},
                     "/f/loop": [{"redirect": "/f/loop"}] * 5 + [{"text": "done"}]})
        status, headers, _ = self.fetch("/f/a")
        self.assertEqual((status, headers["Location"]), (301, "/f/b"))
        status, headers, _ = self.fetch("/f/b")
        self.assertEqual((status, headers["Location"]),
                         (307, f"https://localhost:{self.backend.port}/f/offer.png"))
        self.assertEqual(self.fetch("/f/offer.png")[2], b"\x89PNG fake image")
        answers = [self.fetch("/f/loop")[0] for _ in range(6)]
        self.assertEqual(answers, [302] * 5 + [200])

    def test_short_body_and_cut_connection_end_early(self):
        self.routes({"/f/short": {"generate": 600, "length": 1000},
                     "/f/cut": {"generate": 10000, "cut_after": 3000, "chunk_size": 1024}})
        for path, declared, received in (("/f/short", 1000, 600), ("/f/cut", 10000, 3000)):
            with self.subTest(path=path):
                connection = self.connect()
                connection.request("GET", path)
                response = connection.getresponse()
                self.assertEqual(response.headers["Content-Length"], str(declared))
                with self.assertRaises(http.client.IncompleteRead) as caught:
                    response.read()
                self.assertEqual(caught.exception.partial, server.pattern_bytes(0, received))
                connection.close()

    def test_a_cut_chunk_and_a_reset_break_the_stream_off(self):
        self.routes({"/f/chunk-cut": {"generate": 5000, "length": "chunked", "chunk_size": 1000,
                                      "cut_after": 2500},
                     "/f/reset": {"generate": 30000, "length": "none", "cut_after": 20000,
                                  "reset": True}})
        connection = self.connect()
        connection.request("GET", "/f/chunk-cut")
        response = connection.getresponse()
        with self.assertRaises(http.client.IncompleteRead) as caught:
            response.read()
        partial = caught.exception.partial  # the whole chunks before the cut one
        self.assertEqual(partial, server.pattern_bytes(0, 2000))
        connection.close()
        connection = self.connect()
        connection.request("GET", "/f/reset")
        response = connection.getresponse()
        received = b""
        try:
            while chunk := response.read(1000):
                received += chunk
        except (ConnectionResetError, ssl.SSLError):
            pass
        self.assertEqual(received, server.pattern_bytes(0, 20000))
        connection.close()

    def test_a_silent_server_accepts_and_never_answers(self):
        self.backend.set_scenario({"routes": {}, "silent": True})
        try:
            with socket.create_connection(("127.0.0.1", self.backend.port), timeout=1) as raw:
                with self.assertRaises(socket.timeout):
                    self.tls.wrap_socket(raw, server_hostname="localhost")
        finally:
            self.routes({})
        self.assertEqual(self.fetch("/f/missing.png")[0], 404, "answers again")

    def test_bodies_without_a_length(self):
        self.routes({"/f/none": {"text": "close-delimited", "length": "none"},
                     "/f/chunked": {"generate": 5000, "length": "chunked", "chunk_size": 999}})
        status, headers, body = self.fetch("/f/none")
        self.assertIsNone(headers["Content-Length"])
        self.assertEqual(body, b"close-delimited")
        status, headers, body = self.fetch("/f/chunked")
        self.assertEqual(headers["Transfer-Encoding"], "chunked")
        self.assertEqual(body, server.pattern_bytes(0, 5000))

    def test_generated_large_body_streams_the_pattern(self):
        size = 40 * 1024 * 1024 + 7
        self.routes({"/f/large.exe": {"generate": size}})
        expected = hashlib.sha256()
        for offset in range(0, size, 1 << 20):
            expected.update(server.pattern_bytes(offset, min(1 << 20, size - offset)))
        connection = self.connect()
        connection.request("GET", "/f/large.exe")
        response = connection.getresponse()
        self.assertEqual(response.headers["Content-Length"], str(size))
        received = hashlib.sha256()
        while chunk := response.read(1 << 20):
            received.update(chunk)
        connection.close()
        self.assertEqual(received.hexdigest(), expected.hexdigest())

    def test_delays_before_the_reply_and_between_chunks(self):
        self.routes({"/f/late": {"text": "x", "delay": 0.5},
                     "/f/drip": {"text": "abc", "chunk_size": 1, "chunk_delay": 0.25}})
        for path, least in (("/f/late", 0.5), ("/f/drip", 0.5)):
            start = time.monotonic()
            self.fetch(path)
            self.assertGreaterEqual(time.monotonic() - start, least, path)

    def test_post_expecting_continue_gets_only_the_final_reply(self):
        # Wine's WinHTTP sends the body at once and cannot read an interim 100 reply.
        self.routes({"/o": {"json": {"l": "US"}}})
        request = (b"POST /o HTTP/1.1\r\nHost: localhost\r\nExpect: 100-continue\r\n"
                   b"Content-Type: application/json\r\nContent-Length: 2\r\n"
                   b"Connection: close\r\n\r\n{}")
        with socket.create_connection(("127.0.0.1", self.backend.port), timeout=10) as raw:
            with self.tls.wrap_socket(raw, server_hostname="localhost") as connection:
                connection.sendall(request)
                reply = b""
                while data := connection.recv(4096):
                    reply += data
        self.assertTrue(reply.startswith(b"HTTP/1.1 200 "), reply)
        self.assertTrue(reply.endswith(b'\r\n\r\n{"l":"US"}'), reply)

    def test_refused_request_gets_no_reply_but_is_logged(self):
        self.routes({"/o": {"refuse": True}})
        with self.assertRaises(http.client.RemoteDisconnected):
            self.fetch("/o", "POST", b"{}")
        self.assertEqual(self.backend.requests("/o")[-1]["body"], "{}")

    def test_request_log_and_built_in_answers(self):
        self.routes({})
        envelope = json.dumps({"data": "{\"6\":\"1\"}", "table": "zb_analytics"})
        status, _, _ = self.fetch("/zbd?x=1", "POST", envelope.encode(),
                                  {"Authorization": "Signature=ab", "Content-Type": "application/json"})
        self.assertEqual(status, 200)
        self.fetch("/zbd", "POST", b"\xff\xfe binary")
        self.assertEqual(self.fetch("/f/missing.png")[0], 404)
        self.assertEqual(self.fetch("/f/..%2F..%2Fetc%2Fpasswd")[0], 404)
        status, headers, body = self.fetch("/f/offer.png", "HEAD")
        self.assertEqual((status, headers["Content-Length"], body), (200, "15", b""))

        text, binary = self.backend.requests("/zbd")[-2:]
        self.assertEqual((text["method"], text["query"], text["body"]), ("POST", "x=1", envelope))
        self.assertEqual(text["headers"]["Authorization"], "Signature=ab")
        self.assertIsInstance(text["time"], float)
        self.assertNotIn("body_base64", text)
        self.assertEqual(binary["body_base64"], "//4gYmluYXJ5")


class PlainModeTest(unittest.TestCase):
    def test_plain_http_and_clean_stop(self):
        with tempfile.TemporaryDirectory() as folder:
            scenario = os.path.join(folder, "scenario.json")
            with open(scenario, "w") as f:
                json.dump({"routes": {"/o": {"json": {"l": "US"}}}}, f)
            port = free_port()
            process = subprocess.Popen(
                [sys.executable, SERVER, "--plain", "--port", str(port), "--scenario", scenario,
                 "--log", os.path.join(folder, "log.jsonl")], stdout=subprocess.PIPE, text=True)
            self.assertEqual(process.stdout.readline(), "ready\n")
            connection = http.client.HTTPConnection("localhost", port, timeout=10)
            connection.request("POST", "/o", body=b"{}")
            self.assertEqual(connection.getresponse().read(), b'{"l":"US"}')
            connection.close()
            process.terminate()
            self.assertEqual(process.wait(10), 0)
            process.stdout.close()


if __name__ == "__main__":
    unittest.main()
