#!/usr/bin/python3
"""The throughput peer: a Python ThreadingHTTPServer that answers every POST with the same saved
answer bytes, HTTP/1.1 keep-alive, one thread per connection.

Usage: replay_server.py ANSWER_FILE   (prints "listening on 127.0.0.1:PORT")
"""

import http.server
import sys

with open(sys.argv[1], "rb") as f:
    ANSWER = f.read()


class Replay(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_POST(self):
        self.rfile.read(int(self.headers.get("Content-Length", 0)))
        self.send_response(200)
        self.send_header("Content-Type", "text/xml; charset=utf-8")
        self.send_header("Content-Length", str(len(ANSWER)))
        self.end_headers()
        self.wfile.write(ANSWER)

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Replay)
server.daemon_threads = True
print("listening on 127.0.0.1:%d" % server.server_port, flush=True)
server.serve_forever()
