#!/usr/bin/env python3
"""Test double of the installer's back-end service: one HTTPS server on loopback.

Endpoints: the configuration request POST /o, the analytics endpoint POST /zbd and
the file base GET/HEAD /f/<name>. What each answers is read from a scenario file;
every request received is appended to a log file as one JSON line.

    server.py --scenario FILE --log FILE [--port 443] [--host 127.0.0.1]
              [--cert CERT --key KEY] [--files DIR] [--plain]

Prints "ready" on stdout once it listens; ends cleanly on SIGTERM or SIGINT.
Without --cert/--key it uses (and makes, with make_certs.sh) the certificates in
DEFAULT_CERT_DIR. --plain serves plain HTTP instead of TLS. --files defaults to the
folder "files" next to the scenario file, when there is one.

Scenario file
-------------
A JSON object:

    {
      "routes": {
        "/o":        [REPLY, REPLY, ...],
        "/f/a.exe":  REPLY,
        "/f/slow/*": [REPLY]
      },
      "silent": false
    }

"silent": true makes the server accept every new connection and never answer it: no TLS
handshake, no reply, until the client gives up and closes (a server that hangs). A
request on a connection kept alive from before gets no reply either (and is not logged).

A route key is a request path without its query. A key ending in "*" matches every
path that starts with the text before the "*"; an exact key wins, then the longest
prefix. A route holds one reply or a list of replies: the n-th request that matches
the route gets the n-th reply, and the last one repeats. The request counts start
again whenever the scenario is reloaded: the file is re-read when it changes, so a
test may replace it (ideally by writing a new file and renaming it over the old one)
while the server runs. A file that does not parse on reload is reported on stderr and
the previous scenario stays. Other top-level keys are ignored and may carry notes for
the build (the demo names the files it expects to be copied into its files folder).

Paths without a route get the built-in answers: GET/HEAD /f/<name> serves the file
<name> of the files folder (404 when there is none), POST /zbd answers 200 with an
empty body, everything else 404.

REPLY is an object; every member is optional:

    status        HTTP status code (default 200, or 302 with "redirect")
    headers       {"Name": "value", ...}; "{origin}" in a value becomes the server's
                  own origin, for example https://localhost:8443
    redirect      shortcut for a Location header (same "{origin}" expansion); a
                  relative value is sent as it is
    body, at most one of:
      text        a string, sent as UTF-8
      json        any JSON value, serialised compactly; spaces inside strings are
                  written as \\u0020 so that the document survives a client that
                  strips white space before parsing (use "text" for exact bytes)
      file        a file name in the files folder
      generate    a number N: N bytes made on the fly, byte k being k % 251
    content_type  Content-Type (default by body kind; "headers" may also set it)
    length        how the body is delimited:
                    absent      Content-Length of the real body size
                    "none"      no length; the connection closes after the body
                    "chunked"   Transfer-Encoding: chunked
                    N           Content-Length N; when N differs from the body size
                                the body is sent as it is and the connection closes
                                (a short body when N is larger); TLS
                                ends with close_notify, a clean end of stream
    cut_after     send only this many body bytes, then drop the TCP connection
                  (no TLS close_notify: the stream breaks off); a chunked body breaks
                  off inside the chunk whose header announced more
    reset         true: with cut_after, end with a TCP reset instead of a plain close
    refuse        true: close the connection at once, without any reply
    delay         seconds to wait before replying
    chunk_size    bytes per write (default 65536)
    chunk_delay   seconds to wait between two writes
    close         true: send "Connection: close" and close after the reply

Redirect chains are routes whose replies redirect to each other; a route that
redirects to itself redirects once per request until its list reaches a non-redirect.

Request log
-----------
One JSON object per line, written and flushed when the request has been read (before
the reply): time (float seconds since the epoch), method, path, query, headers (an
object; repeated names are joined with ", "), body (text, UTF-8 with replacement),
body_base64 (only when the body is not valid UTF-8), route (the matching route key or
null) and attempt (the request's number on that route, from 1; 0 without a route).
"""

import argparse
import base64
import http.server
import json
import mimetypes
import os
import signal
import socket
import ssl
import struct
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_CERT_DIR = os.path.join(tempfile.gettempdir(), "kelvara-test-certs")
DEFAULT_CHUNK = 65536
PATTERN_PERIOD = 251

REPLY_KEYS = {
    "status": int, "headers": dict, "redirect": str,
    "text": str, "json": object, "file": str, "generate": int,
    "content_type": str, "length": (int, str), "cut_after": int, "refuse": bool,
    "delay": (int, float), "chunk_size": int, "chunk_delay": (int, float), "close": bool,
    "reset": bool,
}
BODY_KEYS = ("text", "json", "file", "generate")


def ensure_certs(cert_dir):
    """Makes the test certificates in cert_dir unless they exist; returns (cert, key)."""
    subprocess.run([os.path.join(HERE, "make_certs.sh"), cert_dir], check=True)
    return os.path.join(cert_dir, "localhost.pem"), os.path.join(cert_dir, "localhost.key")


# --- Scenario -------------------------------------------------------------------------

def check_reply(reply):
    """Raises ValueError when a reply object is malformed, so typos show up at once."""
    if not isinstance(reply, dict):
        raise ValueError(f"a reply must be an object: {reply!r}")
    for key, value in reply.items():
        if key not in REPLY_KEYS:
            raise ValueError(f"unknown reply member {key!r}")
        if isinstance(value, bool) and REPLY_KEYS[key] is not bool and key != "json":
            raise ValueError(f"reply member {key!r} must not be a boolean")
        if not isinstance(value, REPLY_KEYS[key]):
            raise ValueError(f"reply member {key!r} has the wrong type: {value!r}")
    if sum(key in reply for key in BODY_KEYS) > 1:
        raise ValueError(f"a reply has at most one of {', '.join(BODY_KEYS)}")
    if isinstance(reply.get("length"), str) and reply["length"] not in ("none", "chunked"):
        raise ValueError(f"length must be a number, \"none\" or \"chunked\": {reply['length']!r}")
    if reply.get("chunk_size", 1) < 1:
        raise ValueError("chunk_size must be positive")
    for key in ("generate", "cut_after", "delay", "chunk_delay", "length"):
        if not isinstance(reply.get(key, 0), str) and reply.get(key, 0) < 0:
            raise ValueError(f"{key} must not be negative")
    if not all(isinstance(v, str) for v in reply.get("headers", {}).values()):
        raise ValueError("header values must be strings")


def parse_scenario(text):
    """Scenario text -> {route key: [reply, ...]}; raises ValueError when malformed."""
    return parse_document(text)[0]


def parse_document(text):
    """Scenario text -> (routes, silent); raises ValueError when malformed."""
    document = json.loads(text)
    if not isinstance(document, dict):
        raise ValueError("the scenario must be a JSON object")
    silent = document.get("silent", False)
    if not isinstance(silent, bool):
        raise ValueError("\"silent\" must be true or false")
    routes = document.get("routes", {})
    if not isinstance(routes, dict):
        raise ValueError("\"routes\" must be an object")
    result = {}
    for key, replies in routes.items():
        replies = replies if isinstance(replies, list) else [replies]
        if not replies:
            raise ValueError(f"route {key!r} has no replies")
        for reply in replies:
            check_reply(reply)
        result[key] = replies
    return result, silent


def find_route(routes, path):
    """The route key for a path: exact match first, then the longest "*" prefix."""
    if path in routes:
        return path
    prefixes = [k for k in routes if k.endswith("*") and path.startswith(k[:-1])]
    return max(prefixes, key=len) if prefixes else None


class Scenario:
    """The scenario file, re-read when it changes, with a request count per route."""

    def __init__(self, path):
        self._path = path
        self._lock = threading.Lock()
        self._signature = self._stat()
        with open(path, encoding="utf-8") as f:
            self._routes, self._silent = parse_document(f.read())
        self._counts = {}

    def _stat(self):
        st = os.stat(self._path)
        return (st.st_mtime_ns, st.st_size, st.st_ino)

    def _refresh(self):
        try:
            signature = self._stat()
            if signature == self._signature:
                return
            self._signature = signature
            with open(self._path, encoding="utf-8") as f:
                self._routes, self._silent = parse_document(f.read())
            self._counts = {}
        except (OSError, ValueError) as error:
            print(f"server.py: scenario not reloaded: {error}", file=sys.stderr, flush=True)

    def silent(self):
        """Whether new connections are to be left unanswered."""
        with self._lock:
            self._refresh()
            return self._silent

    def pick(self, path):
        """(route key, attempt number, reply) for one request; (None, 0, None) without a route."""
        with self._lock:
            self._refresh()
            key = find_route(self._routes, path)
            if key is None:
                return None, 0, None
            attempt = self._counts.get(key, 0) + 1
            self._counts[key] = attempt
            replies = self._routes[key]
            return key, attempt, replies[min(attempt, len(replies)) - 1]


# --- Reply bodies ---------------------------------------------------------------------

def compact_json(value):
    """Compact JSON whose strings carry no raw white space (all of it is escaped)."""
    return json.dumps(value, ensure_ascii=False, separators=(",", ":")).replace(" ", "\\u0020")


def pattern_bytes(offset, size):
    """Bytes offset..offset+size of the generated body, where byte k is k % 251."""
    start = offset % PATTERN_PERIOD
    repeats = (start + size) // PATTERN_PERIOD + 1
    return (bytes(range(PATTERN_PERIOD)) * repeats)[start:start + size]


class Body:
    """A reply body: its size, its default content type and its chunks."""

    def __init__(self, size, content_type, chunks):
        self.size = size
        self.content_type = content_type
        self._chunks = chunks

    def chunks(self, chunk_size):
        return self._chunks(chunk_size)


def memory_body(data, content_type):
    return Body(len(data), content_type,
                lambda n: (data[i:i + n] for i in range(0, len(data), n)))


def generated_body(size):
    def chunks(n):
        for offset in range(0, size, n):
            yield pattern_bytes(offset, min(n, size - offset))
    return Body(size, "application/octet-stream", chunks)


def file_body(path):
    """A body streamed from a file; raises FileNotFoundError when it is not there."""
    if not os.path.isfile(path):
        raise FileNotFoundError(path)

    def chunks(n):
        with open(path, "rb") as f:
            while True:
                data = f.read(n)
                if not data:
                    return
                yield data
    content_type = mimetypes.guess_type(path)[0] or "application/octet-stream"
    return Body(os.path.getsize(path), content_type, chunks)


def reply_body(reply, files_dir):
    if "text" in reply:
        return memory_body(reply["text"].encode("utf-8"), "text/plain; charset=utf-8")
    if "json" in reply:
        return memory_body(compact_json(reply["json"]).encode("utf-8"), "application/json")
    if "generate" in reply:
        return generated_body(reply["generate"])
    if "file" in reply:
        if files_dir is None:
            raise FileNotFoundError(reply["file"])
        return file_body(os.path.join(files_dir, reply["file"]))
    return memory_body(b"", None)


def served_file(files_dir, name):
    """Path of /f/<name> inside the files folder, or None when it is not a file there."""
    if files_dir is None or not name:
        return None
    root = os.path.realpath(files_dir)
    path = os.path.realpath(os.path.join(root, urllib.parse.unquote(name)))
    if os.path.commonpath([root, path]) != root or not os.path.isfile(path):
        return None
    return path


def default_reply(method, path, files_dir):
    """The answer for a path that has no route."""
    if method in ("GET", "HEAD") and path.startswith("/f/"):
        file = served_file(files_dir, path[len("/f/"):])
        return {"file": file} if file else {"status": 404, "text": "not found\n"}
    if method == "POST" and path == "/zbd":
        return {}
    return {"status": 404, "text": "not found\n"}


# --- Request log ----------------------------------------------------------------------

class RequestLog:
    def __init__(self, path):
        self._file = open(path, "a", encoding="utf-8")
        self._lock = threading.Lock()

    def write(self, record):
        line = json.dumps(record, ensure_ascii=False) + "\n"
        with self._lock:
            self._file.write(line)
            self._file.flush()

    def close(self):
        self._file.close()


def log_record(method, target, headers, body, route, attempt):
    path, _, query = target.partition("?")
    merged = {}
    for name, value in headers.items():
        merged[name] = f"{merged[name]}, {value}" if name in merged else value
    record = {"time": time.time(), "method": method, "path": path, "query": query,
              "headers": merged, "body": body.decode("utf-8", errors="replace"),
              "route": route, "attempt": attempt}
    try:
        body.decode("utf-8")
    except UnicodeDecodeError:
        record["body_base64"] = base64.b64encode(body).decode("ascii")
    return record


# --- HTTP -----------------------------------------------------------------------------

class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    timeout = 30  # idle keep-alive connections end after this many seconds

    def version_string(self):
        return "KelvaraTestBackend/1.0"

    def handle_expect_100(self):
        # The installer sends "Expect: 100-continue" with every POST, and its body right
        # away. Wine's WinHTTP fails on an interim "100 Continue" reply
        # (ERROR_WINHTTP_INVALID_SERVER_RESPONSE), and a server may leave it out when the
        # body comes anyway, so the final reply is the only one.
        return True

    def do_GET(self):
        self.answer()

    do_HEAD = do_POST = do_PUT = do_DELETE = do_GET

    def log_message(self, format, *args):  # every request is in the request log already
        pass

    def read_body(self):
        if self.headers.get("Transfer-Encoding", "").lower() == "chunked":
            parts = []
            while True:
                size = int(self.rfile.readline().split(b";")[0].strip() or b"0", 16)
                if size == 0:
                    while self.rfile.readline() not in (b"\r\n", b"\n", b""):
                        pass
                    return b"".join(parts)
                parts.append(self.rfile.read(size))
                self.rfile.readline()
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length > 0 else b""

    def answer(self):
        server = self.server
        try:
            body = self.read_body()
        except ValueError:
            self.send_error(400, "malformed body")
            return
        if server.scenario.silent():  # also on a connection kept alive from before
            self.close_connection = True
            server.hang_up_never(self.connection)
            return
        path = self.path.partition("?")[0]
        route, attempt, reply = server.scenario.pick(path)
        server.request_log.write(log_record(self.command, self.path, self.headers, body,
                                            route, attempt))
        if reply is None:
            reply = default_reply(self.command, path, server.files_dir)
        try:
            self.send_reply(reply)
        except OSError:  # the client went away (or timed out) during the reply
            self.close_connection = True

    def drop_connection(self, reset=False):
        """Ends the TCP connection at once: no reply, or no rest of the body; with reset,
        by a TCP reset."""
        self.close_connection = True
        try:
            if reset:
                # A reset discards what the client has not read yet: give it time to read.
                time.sleep(0.5)
                self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                           struct.pack("ii", 1, 0))
                socket.socket.close(self.connection)
            else:
                self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass

    def send_reply(self, reply):
        if reply.get("refuse"):
            self.drop_connection()
            return
        time.sleep(reply.get("delay", 0))
        try:
            body = reply_body(reply, self.server.files_dir)
        except FileNotFoundError as error:
            print(f"server.py: reply file missing: {error}", file=sys.stderr, flush=True)
            reply, body = {"status": 404}, memory_body(b"not found\n", "text/plain")
        self.send_head(reply, body)
        if self.command == "HEAD":
            return
        self.send_body(reply, body)

    def send_head(self, reply, body):
        origin = self.server.origin
        headers = {k: v.replace("{origin}", origin) for k, v in reply.get("headers", {}).items()}
        if "redirect" in reply:
            headers["Location"] = reply["redirect"].replace("{origin}", origin)
        content_type = reply.get("content_type", body.content_type)
        if content_type and not any(k.lower() == "content-type" for k in headers):
            headers["Content-Type"] = content_type

        self.send_response(reply.get("status", 302 if "redirect" in reply else 200))
        for name, value in headers.items():
            self.send_header(name, value)
        length = reply.get("length")
        if length is None:
            self.send_header("Content-Length", str(body.size))
        elif length == "chunked":
            self.send_header("Transfer-Encoding", "chunked")
        elif length != "none":
            self.send_header("Content-Length", str(length))
            if length != body.size:
                self.close_connection = True
        if reply.get("close") or length == "none":
            self.send_header("Connection", "close")
        self.end_headers()

    def send_body(self, reply, body):
        chunked = reply.get("length") == "chunked"
        limit = reply.get("cut_after")
        sent = 0
        for index, whole in enumerate(body.chunks(reply.get("chunk_size", DEFAULT_CHUNK))):
            chunk = whole if limit is None else whole[:limit - sent]
            if index > 0:
                time.sleep(reply.get("chunk_delay", 0))
            if chunked and chunk:
                # A cut chunk keeps the header of the whole one: the body breaks off inside it.
                self.wfile.write(b"%x\r\n%s" % (len(whole), chunk))
                if len(chunk) == len(whole):
                    self.wfile.write(b"\r\n")
            elif chunk:
                self.wfile.write(chunk)
            sent += len(chunk)
            if limit is not None and sent >= limit:
                break
        if limit is not None and sent < body.size:
            self.drop_connection(reply.get("reset", False))
        elif chunked:
            self.wfile.write(b"0\r\n\r\n")
        elif self.close_connection:
            self.end_stream()

    def end_stream(self):
        """Closes a close-delimited or short body the way a server normally would: on
        TLS with a close_notify alert, so that the client reads the end as an end."""
        if isinstance(self.connection, ssl.SSLSocket):
            self.connection.settimeout(1.0)  # how long to wait for the peer's own alert
            try:
                self.connection.unwrap()
            except (ssl.SSLError, OSError):
                pass
        self.drop_connection()


class BackendServer(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, address, scenario, request_log, files_dir, tls):
        super().__init__(address, Handler)
        self.scenario = scenario
        self.request_log = request_log
        self.files_dir = files_dir
        self.tls = tls
        port = self.server_address[1]
        scheme, default_port = ("https", 443) if tls else ("http", 80)
        self.origin = f"{scheme}://localhost" + ("" if port == default_port else f":{port}")

    def handle_error(self, request, client_address):
        error = sys.exc_info()[1]
        if isinstance(error, OSError):  # a client that went away: not worth a traceback
            print(f"server.py: connection error: {error}", file=sys.stderr, flush=True)
        else:
            super().handle_error(request, client_address)

    def finish_request(self, request, client_address):
        # The TLS handshake runs here, on the connection's own thread, so a slow or
        # failing client never holds up the accepting loop.
        if self.scenario.silent():
            self.hang_up_never(request)
            return
        if self.tls is None:
            super().finish_request(request, client_address)
            return
        request.settimeout(Handler.timeout)
        try:
            connection = self.tls.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError) as error:
            print(f"server.py: TLS handshake failed: {error}", file=sys.stderr, flush=True)
            return
        try:
            super().finish_request(connection, client_address)
        finally:
            self.shutdown_request(connection)


    @staticmethod
    def hang_up_never(request):
        """Reads whatever the client sends and never answers, until the client closes."""
        request.settimeout(None)
        try:
            while request.recv(4096):
                pass
        except OSError:
            pass


def tls_context(cert, key):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.minimum_version = ssl.TLSVersion.TLSv1_2
    context.load_cert_chain(cert, key)
    return context


def parse_args(argv):
    parser = argparse.ArgumentParser(description="HTTPS test back end of the installer.")
    parser.add_argument("--scenario", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--port", type=int, default=443)
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--files")
    parser.add_argument("--plain", action="store_true", help="serve plain HTTP")
    args = parser.parse_args(argv)
    if (args.cert is None) != (args.key is None):
        parser.error("--cert and --key go together")
    if args.files is None:
        beside = os.path.join(os.path.dirname(os.path.abspath(args.scenario)), "files")
        args.files = beside if os.path.isdir(beside) else None
    return args


def main(argv=None):
    args = parse_args(argv)
    try:
        scenario = Scenario(args.scenario)
    except (OSError, ValueError) as error:
        sys.exit(f"server.py: cannot read the scenario: {error}")
    tls = None
    if not args.plain:
        cert, key = (args.cert, args.key) if args.cert else ensure_certs(DEFAULT_CERT_DIR)
        tls = tls_context(cert, key)
    request_log = RequestLog(args.log)
    try:
        server = BackendServer((args.host, args.port), scenario, request_log, args.files, tls)
    except OSError as error:
        sys.exit(f"server.py: cannot listen on {args.host}:{args.port}: {error}")

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    serving = threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2})
    serving.start()
    print("ready", flush=True)
    while not stop.wait(0.5):
        pass
    server.shutdown()
    serving.join()
    server.server_close()
    request_log.close()


if __name__ == "__main__":
    main()
