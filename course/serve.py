#!/usr/bin/python3
"""Serves the sample course on the loopback interface.

    serve.py --root DIR [--port N] [--verbose]

DIR is the folder that make_course.py wrote (it holds qx_cbt/qx2/).  The
server listens on 127.0.0.1 only; port 0, the default, takes a free port.
Its first line on stdout is the course base address,
http://127.0.0.1:PORT/qx_cbt/qx2/, so that a caller can read the port.

The reader composes some media addresses with two slashes in a row
(".../qx2//qx/title.avi"), so runs of slashes in a path count as one.
Single byte ranges are served (206, or 416 when they lie past the end), as
media players ask for them.  SIGTERM and SIGINT end the server cleanly.
"""

import signal
import sys

if __name__ == "__main__":
    # A stop that comes while the server is still starting ends it at once.
    signal.signal(signal.SIGTERM, lambda signum, frame: sys.exit(0))
    signal.signal(signal.SIGINT, lambda signum, frame: sys.exit(0))

import argparse  # noqa: E402
import os  # noqa: E402
import re  # noqa: E402
import threading  # noqa: E402
from http import HTTPStatus  # noqa: E402
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer  # noqa: E402
from urllib.parse import unquote, urlsplit  # noqa: E402

CONTENT_TYPES = {
    ".qx": "text/html; charset=utf-8",
    ".html": "text/html; charset=utf-8",
    ".avi": "video/x-msvideo",
    ".wav": "audio/wav",
    ".jpg": "image/jpeg",
    ".jpeg": "image/jpeg",
    ".png": "image/png",
    ".json": "application/json",
    ".css": "text/css",
}
# The search data beside the course are Windows-1252 text, not pages.
DATA_FILES = {"files.qx", "words.qx"}
CHUNK = 64 * 1024
RANGE = re.compile(r"bytes=(\d*)-(\d*)$")


def content_type(path):
    if os.path.basename(path) in DATA_FILES and os.path.dirname(path) == "":
        return "text/plain; charset=windows-1252"
    return CONTENT_TYPES.get(os.path.splitext(path)[1].lower(), "application/octet-stream")


def parse_range(header, size):
    """(start, end) inclusive for a single byte range, None to send the whole file,
    or "unsatisfiable"."""
    match = RANGE.match(header.strip())
    if not match:
        return None                      # several ranges or another unit: send it all
    first, last = match.groups()
    if first == "" and last == "":
        return None
    if first == "":                      # the last N bytes
        n = int(last)
        if n == 0 or size == 0:
            return "unsatisfiable"
        return max(0, size - n), size - 1
    start = int(first)
    end = size - 1 if last == "" else min(int(last), size - 1)
    if last != "" and int(last) < start:
        return None                      # malformed: ignore the header
    if start >= size:
        return "unsatisfiable"
    return start, end


class CourseHandler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "TavrinCourse/1.0"
    root = "."
    verbose = False

    def log_message(self, fmt, *args):
        if self.verbose:
            super().log_message(fmt, *args)

    def do_GET(self):
        self.answer(send_body=True)

    def do_HEAD(self):
        self.answer(send_body=False)

    def resolve(self):
        """The file for the request's path, or None when it lies outside the root."""
        path = unquote(urlsplit(self.path).path)
        path = re.sub(r"/+", "/", path)
        relative = path.lstrip("/")
        if "\0" in relative:
            return None, relative
        full = os.path.realpath(os.path.join(self.root, relative))
        if full != self.root and not full.startswith(self.root + os.sep):
            return None, relative
        return full, relative

    def fail(self, status, send_body, extra=None):
        body = f"{status.value} {status.phrase}\n".encode("ascii")
        self.send_response(status)
        self.send_header("Content-Type", "text/plain; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        for name, value in (extra or {}).items():
            self.send_header(name, value)
        self.end_headers()
        if send_body:
            self.wfile.write(body)

    def answer(self, send_body):
        full, relative = self.resolve()
        if full is None:
            self.fail(HTTPStatus.FORBIDDEN, send_body)
            return
        if not os.path.isfile(full):
            self.fail(HTTPStatus.NOT_FOUND, send_body)
            return
        try:
            f = open(full, "rb")
        except OSError:
            self.fail(HTTPStatus.NOT_FOUND, send_body)
            return
        with f:
            size = os.fstat(f.fileno()).st_size
            span = parse_range(self.headers.get("Range", ""), size) if "Range" in self.headers else None
            if span == "unsatisfiable":
                self.fail(HTTPStatus.REQUESTED_RANGE_NOT_SATISFIABLE, send_body,
                          {"Content-Range": f"bytes */{size}", "Accept-Ranges": "bytes"})
                return
            if span is None:
                start, end = 0, size - 1
                self.send_response(HTTPStatus.OK)
            else:
                start, end = span
                self.send_response(HTTPStatus.PARTIAL_CONTENT)
                self.send_header("Content-Range", f"bytes {start}-{end}/{size}")
            length = max(0, end - start + 1)
            self.send_header("Content-Type", content_type(relative))
            self.send_header("Content-Length", str(length))
            self.send_header("Accept-Ranges", "bytes")
            self.send_header("Cache-Control", "no-cache")
            self.end_headers()
            if not send_body:
                return
            f.seek(start)
            remaining = length
            while remaining > 0:
                data = f.read(min(CHUNK, remaining))
                if not data:
                    break
                self.wfile.write(data)
                remaining -= len(data)

    def handle(self):
        # Media players often drop a connection in the middle of a file.
        try:
            super().handle()
        except (ConnectionResetError, BrokenPipeError, TimeoutError):
            pass


class CourseServer(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    verbose = False

    def handle_error(self, request, client_address):
        if self.verbose:
            super().handle_error(request, client_address)


def main(argv=None):
    parser = argparse.ArgumentParser(description="Serve the sample course on 127.0.0.1.")
    parser.add_argument("--root", required=True, help="folder holding qx_cbt/qx2/")
    parser.add_argument("--port", type=int, default=0, help="port to listen on (0: any free port)")
    parser.add_argument("--verbose", action="store_true", help="log every request to stderr")
    args = parser.parse_args(argv)

    root = os.path.realpath(args.root)
    if not os.path.isdir(root):
        print(f"serve.py: no such folder: {args.root}", file=sys.stderr)
        return 2
    if not os.path.isdir(os.path.join(root, "qx_cbt", "qx2")):
        print(f"serve.py: warning: {args.root} holds no qx_cbt/qx2/", file=sys.stderr)

    handler = type("Handler", (CourseHandler,), {"root": root, "verbose": args.verbose})
    try:
        server = CourseServer(("127.0.0.1", args.port), handler)
    except OSError as err:
        print(f"serve.py: cannot listen on 127.0.0.1:{args.port}: {err.strerror}", file=sys.stderr)
        return 1
    server.verbose = args.verbose

    def stop(signum, frame):
        # shutdown() waits for serve_forever(), so it must not run on the serving thread.
        threading.Thread(target=server.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)

    port = server.server_address[1]
    print(f"http://127.0.0.1:{port}/qx_cbt/qx2/", flush=True)
    try:
        server.serve_forever(poll_interval=0.2)
    finally:
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
