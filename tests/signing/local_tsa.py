#!/usr/bin/env python3
"""A throw-away RFC 3161 time-stamping authority on the loopback address, for tests only.

    local_tsa.py WORKDIR

Makes its own CA and time-stamping certificate in WORKDIR, answers time-stamp queries (HTTP POST,
application/timestamp-query) with OpenSSL's `ts -reply`, and writes two lines to WORKDIR/ready once
it listens: its URL and the CA certificate to verify its stamps with. Runs until it is killed.
Nothing here ever leaves the machine."""
import http.server
import os
import subprocess
import sys
import tempfile

WORK = os.path.abspath(sys.argv[1])

CONFIG = """
[ req ]
distinguished_name = subject
[ subject ]
[ ca_extensions ]
basicConstraints = critical, CA:true
keyUsage = critical, keyCertSign, cRLSign
[ tsa_extensions ]
basicConstraints = critical, CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = critical, timeStamping
[ tsa ]
default_tsa = local_tsa
[ local_tsa ]
dir = {work}
serial = {work}/serial
signer_cert = {work}/tsa.pem
certs = {work}/ca.pem
signer_key = {work}/tsa.key
signer_digest = sha256
default_policy = 1.3.6.1.4.1.55555.1
digests = sha1, sha256
accuracy = secs:1
ordering = no
tsa_name = no
ess_cert_id_chain = no
ess_cert_id_alg = sha256
"""


def openssl(*arguments):
    subprocess.run(["openssl", *arguments], check=True, capture_output=True)


def make_authority():
    config = os.path.join(WORK, "tsa.cnf")
    with open(config, "w") as file:
        file.write(CONFIG.format(work=WORK))
    with open(os.path.join(WORK, "serial"), "w") as file:
        file.write("01\n")
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "3650", "-sha256", "-config", config,
            "-extensions", "ca_extensions", "-subj", "/CN=Local Test Time Stamping CA",
            "-keyout", os.path.join(WORK, "ca.key"), "-out", os.path.join(WORK, "ca.pem"))
    openssl("req", "-new", "-newkey", "rsa:2048", "-nodes", "-config", config, "-subj", "/CN=Local Test TSA",
            "-keyout", os.path.join(WORK, "tsa.key"), "-out", os.path.join(WORK, "tsa.csr"))
    openssl("x509", "-req", "-in", os.path.join(WORK, "tsa.csr"), "-CA", os.path.join(WORK, "ca.pem"),
            "-CAkey", os.path.join(WORK, "ca.key"), "-CAcreateserial", "-days", "3650", "-sha256",
            "-extfile", config, "-extensions", "tsa_extensions", "-out", os.path.join(WORK, "tsa.pem"))
    return config


class Responder(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        query = self.rfile.read(length)
        with tempfile.TemporaryDirectory(dir=WORK) as scratch:
            query_file = os.path.join(scratch, "query.tsq")
            reply_file = os.path.join(scratch, "reply.tsr")
            with open(query_file, "wb") as file:
                file.write(query)
            result = subprocess.run(["openssl", "ts", "-reply", "-config", self.server.config, "-queryfile",
                                     query_file, "-out", reply_file], capture_output=True)
            if result.returncode != 0:
                self.send_error(500, result.stderr.decode(errors="replace")[:200])
                return
            with open(reply_file, "rb") as file:
                reply = file.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    def log_message(self, *arguments):
        pass


def main():
    os.makedirs(WORK, exist_ok=True)
    config = make_authority()
    server = http.server.HTTPServer(("127.0.0.1", 0), Responder)
    server.config = config
    ready = os.path.join(WORK, "ready")
    with open(ready + ".tmp", "w") as file:
        file.write("http://127.0.0.1:%d/\n%s\n" % (server.server_port, os.path.join(WORK, "ca.pem")))
    os.replace(ready + ".tmp", ready)
    server.serve_forever()


if __name__ == "__main__":
    main()
