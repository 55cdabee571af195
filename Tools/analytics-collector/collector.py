#!/usr/bin/env python3
"""A local stand-in for the analytics service.

Listens on loopback, checks each request's "Authorization" (MD5 of the body followed by the secret
key), answers {"status":"ok"} and appends every accepted event to a JSON-lines file, one object per
line with the request's game key and category added.
"""
import argparse
import hashlib
import http.server
import json
import sys
import threading
import time

DEFAULT_SECRET_KEY = "9a8b7c6d5e4f30211203f4e5d6c7b8a9c0d1e2f3"
MAX_BODY_BYTES = 1 << 20


class Collector(http.server.ThreadingHTTPServer):
    def __init__(self, address, secret_key, output_path, quiet):
        super().__init__(address, RequestHandler)
        self.secret_key = secret_key.encode()
        self.output_path = output_path
        self.quiet = quiet
        self.write_lock = threading.Lock()

    def append(self, records):
        with self.write_lock, open(self.output_path, "a", encoding="utf-8") as output:
            for record in records:
                output.write(json.dumps(record, ensure_ascii=False) + "\n")


class RequestHandler(http.server.BaseHTTPRequestHandler):
    # A client that sends less than it announced must not hold a thread for ever.
    timeout = 10

    def do_POST(self):
        parts = self.path.split("/")
        if len(parts) != 4 or parts[1] != "1" or not parts[2] or not parts[3]:
            return self.answer(404, {"status": "error", "message": "path must be /1/<game key>/<category>"})
        try:
            length = int(self.headers.get("Content-Length", "0"))
        except ValueError:
            return self.answer(400, {"status": "error", "message": "bad Content-Length"})
        if length < 0 or length > MAX_BODY_BYTES:
            return self.answer(413, {"status": "error", "message": "body too large"})
        body = self.rfile.read(length)
        expected = hashlib.md5(body + self.server.secret_key).hexdigest()
        if self.headers.get("Authorization", "") != expected:
            return self.answer(401, {"status": "error", "message": "bad signature"})
        try:
            events = json.loads(body.decode("utf-8"))
        except (UnicodeDecodeError, json.JSONDecodeError) as error:
            return self.answer(400, {"status": "error", "message": "invalid JSON: %s" % error})
        if not isinstance(events, list) or not all(isinstance(event, dict) for event in events):
            return self.answer(400, {"status": "error", "message": "body must be a list of objects"})
        received = time.strftime("%Y-%m-%d %H:%M:%S")
        self.server.append([dict(event, game_key=parts[2], category=parts[3], received=received) for event in events])
        self.answer(200, {"status": "ok"})

    def answer(self, status, reply):
        text = json.dumps(reply, separators=(",", ":")).encode()
        self.send_response(status)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(text)))
        self.end_headers()
        self.wfile.write(text)

    def log_message(self, format, *args):
        if not self.server.quiet:
            sys.stderr.write("%s %s\n" % (self.address_string(), format % args))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=8089, help="port on 127.0.0.1 (default 8089; 0 picks one)")
    parser.add_argument("--secret-key", default=DEFAULT_SECRET_KEY, help="key the requests are signed with")
    parser.add_argument("--output", default="analytics-events.jsonl", help="JSON-lines file events are appended to")
    parser.add_argument("--quiet", action="store_true", help="do not log each request")
    arguments = parser.parse_args()

    server = Collector(("127.0.0.1", arguments.port), arguments.secret_key, arguments.output, arguments.quiet)
    print("Collecting on 127.0.0.1:%d into %s" % (server.server_address[1], arguments.output), flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()


if __name__ == "__main__":
    main()
