#!/usr/bin/python3
"""Records what a client and photo-service say to each other, for the benchmarks.

Usage: record_proxy.py UPSTREAM_PORT OUTDIR
Listens on a free loopback port (prints "listening on 127.0.0.1:PORT"), passes every POST on to
127.0.0.1:UPSTREAM_PORT and saves its body as OUTDIR/<operation>.request and the answer's body as
OUTDIR/<operation>.answer (the last of each operation wins).
"""

import http.client
import http.server
import os
import re
import sys

UPSTREAM, OUTDIR = int(sys.argv[1]), sys.argv[2]


class Recorder(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        body = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        found = re.search(rb"<(?:[\w.-]+:)?(Func_\w+)[\s>/]", body.split(b"Body", 1)[-1])
        name = found.group(1).decode() if found else "unknown"
        upstream = http.client.HTTPConnection("127.0.0.1", UPSTREAM, timeout=120)
        upstream.request("POST", self.path, body, {"Content-Type": self.headers.get("Content-Type", "text/xml")})
        answer = upstream.getresponse()
        data = answer.read()
        for suffix, content in (("request", body), ("answer", data)):
            with open(os.path.join(OUTDIR, "%s.%s" % (name, suffix)), "wb") as f:
                f.write(content)
        self.send_response(answer.status)
        self.send_header("Content-Type", answer.getheader("Content-Type", "text/xml"))
        self.send_header("Content-Length", str(len(data)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(data)
        self.close_connection = True

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Recorder)
print("listening on 127.0.0.1:%d" % server.server_port, flush=True)
server.serve_forever()
