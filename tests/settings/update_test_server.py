#!/usr/bin/env python3
"""A local update server for the update service tests; it listens on 127.0.0.1 only.

    update_test_server.py make-certs DIR
        writes a test certificate authority (ca.pem) and a server certificate for 127.0.0.1
        signed by it (server.pem, server.key) into DIR, with the openssl command.

    update_test_server.py serve DIR [--tls]
        serves on a free port of 127.0.0.1 (HTTPS with DIR/server.pem when --tls) and prints the
        port on the first line of its output. It ends when its standard input is closed.

The first segment of the request path picks the answer:
    silent       accepts the request and never answers
    endless      answers 200 and sends bytes until the client hangs up (no Content-Length)
    status-NNN   answers with HTTP status NNN and a JSON body offering an update
    other NAME   answers 200 with the bytes of DIR/replies/NAME (404 when there is no such file)
Every request is appended to DIR/requests.jsonl as one JSON line: method, path, headers (pairs,
repeated names kept) and the body's bytes in hex.
"""
import http.server
import json
import os
import ssl
import subprocess
import sys
import threading
import time
import urllib.parse


def make_certs(folder):
    def run(*args):
        subprocess.run(["openssl", *args], cwd=folder, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    ec = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"]
    run("req", "-x509", *ec, "-keyout", "ca.key", "-out", "ca.pem", "-days", "2",
        "-subj", "/CN=QX-580 test authority")
    run("req", *ec, "-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=127.0.0.1")
    with open(os.path.join(folder, "server.ext"), "w") as ext:
        ext.write("subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n"
                  "extendedKeyUsage=serverAuth\n")
    run("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
        "-CAcreateserial", "-out", "server.pem", "-days", "2", "-extfile", "server.ext")


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    folder = "."
    log_lock = threading.Lock()

    def log_message(self, *args):
        pass

    def do_GET(self):
        self.answer()

    def do_POST(self):
        self.answer()

    def answer(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length > 0 else b""
        record = {"method": self.command, "path": self.path,
                  "headers": [[k, v] for k, v in self.headers.items()], "body_hex": body.hex()}
        with Handler.log_lock, open(os.path.join(self.folder, "requests.jsonl"), "a") as log:
            log.write(json.dumps(record) + "\n")

        segments = [s for s in urllib.parse.urlsplit(self.path).path.split("/") if s]
        scenario = segments[0] if segments else ""
        if scenario == "silent":
            time.sleep(60)
            return
        if scenario == "endless":
            self.send_response(200)
            self.send_header("Content-Type", "application/json")
            self.send_header("Connection", "close")
            self.end_headers()
            try:
                while True:
                    self.wfile.write(b" " * 8192)
            except OSError:
                return
        if scenario.startswith("status-"):
            self.send_bytes(int(scenario[7:]), b'{"name":"KB","version":"ffff"}')
            return
        path = os.path.join(self.folder, "replies", os.path.basename(scenario))
        if not scenario or not os.path.isfile(path):
            self.send_bytes(404, b"not found")
            return
        with open(path, "rb") as reply:
            self.send_bytes(200, reply.read())

    def send_bytes(self, status, data):
        self.send_response(status)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(data)))
        self.send_header("Connection", "close")
        self.end_headers()
        try:
            self.wfile.write(data)
        except OSError:
            pass
        self.close_connection = True


def serve(folder, tls):
    Handler.folder = folder
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    if tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(os.path.join(folder, "server.pem"),
                                os.path.join(folder, "server.key"))
        server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    print(server.server_address[1], flush=True)
    sys.stdin.read()  # the test closes our input when it is done
    os._exit(0)


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == "make-certs":
        make_certs(sys.argv[2])
    elif len(sys.argv) >= 3 and sys.argv[1] == "serve":
        serve(sys.argv[2], "--tls" in sys.argv[3:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
