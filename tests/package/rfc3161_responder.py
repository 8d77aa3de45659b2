"""A time-stamping service for the package tests: answers the RFC 3161 requests posted to it over
HTTP with `openssl ts -reply`, which signs with the certificate and key that its configuration
names. Listens on 127.0.0.1 on a free port, writes the port to PORT_FILE, and serves until it is
killed.
    rfc3161_responder.py OPENSSL_TS_CONFIG PORT_FILE
"""
import http.server
import subprocess
import sys
import tempfile


class Responder(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        request = self.rfile.read(int(self.headers["Content-Length"]))
        with tempfile.NamedTemporaryFile() as query, tempfile.NamedTemporaryFile() as reply:
            query.write(request)
            query.flush()
            subprocess.run(["openssl", "ts", "-reply", "-config", sys.argv[1], "-queryfile",
                            query.name, "-out", reply.name], check=True, capture_output=True)
            answer = reply.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(answer)))
        self.end_headers()
        self.wfile.write(answer)

    def log_message(self, *arguments):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Responder)
with open(sys.argv[2], "w", encoding="ascii") as port_file:
    port_file.write(str(server.server_address[1]))
server.serve_forever()
