#!/bin/bash
# The SSL 3.0 test server (tests/ssl_server) really does its handshake and relays
# both ways: a small SSL 3.0 client in Python (hashlib, its own RC4 and RSA) plays
# the terminal, a Python listener plays the host. Also: garbage is refused, a
# wrong client Finished is caught, and the -bad-mac, -hello-request and -alert
# options do what they say.
# Usage: ssl_server_selftest.sh KESTREL_SCRIPT SOURCE_DIR
set -euo pipefail
export KESTREL_SCRIPT="$1"
source "$(dirname "$0")/peers/ssl_server.sh"

work="$(mktemp -d)"
peers_on_exit "rm -rf '$work'"
fail() { echo "FAIL: $*"; echo "--- server log"; cat "${SSL_SERVER_LOG:-/dev/null}"; exit 1; }

cat >"$work/probe.py" <<'PROBE'
import hashlib, os, socket, subprocess, sys, threading

def target(port_file):
    """The host: greets with IAC DO TERMINAL-TYPE, answers each read with 'echo:'."""
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    with open(port_file + ".tmp", "w") as f:
        f.write(str(listener.getsockname()[1]))
    os.rename(port_file + ".tmp", port_file)
    def serve(conn):
        conn.sendall(b"\xff\xfd\x18")
        while True:
            data = conn.recv(4096)
            if not data:
                break
            conn.sendall(b"echo:" + data)
        conn.close()
    while True:
        conn, _ = listener.accept()
        threading.Thread(target=serve, args=(conn,), daemon=True).start()

class RC4:
    def __init__(self, key):
        s, j = list(range(256)), 0
        for i in range(256):
            j = (j + s[i] + key[i % len(key)]) & 255
            s[i], s[j] = s[j], s[i]
        self.s, self.i, self.j = s, 0, 0
    def apply(self, data):
        s, i, j, out = self.s, self.i, self.j, bytearray()
        for b in data:
            i = (i + 1) & 255
            j = (j + s[i]) & 255
            s[i], s[j] = s[j], s[i]
            out.append(b ^ s[(s[i] + s[j]) & 255])
        self.i, self.j = i, j
        return bytes(out)

def fail(text):
    print("probe: " + text)
    sys.exit(1)

def h(name, *parts):
    d = hashlib.new(name)
    for p in parts:
        d.update(p)
    return d.digest()

def outer(name, secret, pad_len, *parts):
    inner = h(name, secret, b"\x36" * pad_len, *parts)
    return h(name, secret, b"\x5c" * pad_len, inner)

def expand(secret, a, b, n):
    out, i = b"", 0
    while len(out) < n:
        out += h("md5", secret, h("sha1", bytes([65 + i]) * (i + 1), secret, a, b))
        i += 1
    return out[:n]

def finished(messages, sender, master):
    return (h("md5", master, b"\x5c" * 48, h("md5", messages, sender, master, b"\x36" * 48))
            + h("sha1", master, b"\x5c" * 40, h("sha1", messages, sender, master, b"\x36" * 40)))

def message(kind, body):
    return bytes([kind]) + len(body).to_bytes(3, "big") + body

class Client:
    def __init__(self, port):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=10)
        self.pending = b""
        self.write = self.read = None
        self.write_seq = self.read_seq = 0

    def mac(self, secret, seq, kind, data):
        name, pad = ("sha1", 40) if self.sha else ("md5", 48)
        return h(name, secret, b"\x5c" * pad,
                 h(name, secret, b"\x36" * pad, seq.to_bytes(8, "big"), bytes([kind]),
                   len(data).to_bytes(2, "big"), data))

    def send(self, kind, data, corrupt=False):
        if self.write:
            mac = self.mac(self.client_mac, self.write_seq, kind, data)
            self.write_seq += 1
            if corrupt:
                data = bytes([data[0] ^ 1]) + data[1:]
            data = self.write.apply(data + mac)
        self.sock.sendall(bytes([kind, 3, 0]) + len(data).to_bytes(2, "big") + data)

    def recv_exact(self, n):
        while len(self.pending) < n:
            chunk = self.sock.recv(65536)
            if not chunk:
                return None
            self.pending += chunk
        data, self.pending = self.pending[:n], self.pending[n:]
        return data

    def record(self):
        """(type, plaintext), None when the server closed, 'badmac' on a MAC mismatch."""
        header = self.recv_exact(5)
        if header is None:
            return None
        if header[1:3] != b"\x03\x00":
            fail("record version %r" % header[1:3])
        body = self.recv_exact(int.from_bytes(header[3:5], "big"))
        if body is None:
            fail("record cut short")
        if self.read:
            body = self.read.apply(body)
            size = 20 if self.sha else 16
            body, mac = body[:-size], body[-size:]
            expected = self.mac(self.server_mac, self.read_seq, header[0], body)
            self.read_seq += 1
            if mac != expected:
                return "badmac"
        return header[0], body

    def expect(self, kind):
        r = self.record()
        if not isinstance(r, tuple) or r[0] != kind:
            fail("expected a record of type %d, got %r" % (kind, r))
        return r[1]

    def closed(self):
        """True when the server closes (perhaps after an alert) within the timeout."""
        while True:
            r = self.record()
            if r is None:
                return True
            if r == "badmac" or r[0] != 21:
                fail("expected the close, got %r" % (r,))

    def handshake(self, cert, bad_finished=False):
        client_random = os.urandom(32)
        hello = message(1, b"\x03\x00" + client_random + b"\x00" + b"\x00\x04\x00\x04\x00\x05" + b"\x01\x00")
        messages = hello
        self.send(22, hello)
        flight, ske = b"", None
        while True:
            if len(flight) < 4 or len(flight) < 4 + int.from_bytes(flight[1:4], "big"):
                flight += self.expect(22)
                continue
            length = int.from_bytes(flight[1:4], "big")
            m, flight = flight[:4 + length], flight[4 + length:]
            messages += m
            kind, body = m[0], m[4:]
            if kind == 2:
                if body[:2] != b"\x03\x00" or body[34] != 32:
                    fail("server hello %s" % body.hex())
                server_random = body[2:34]
                self.suite = int.from_bytes(body[35 + 32:37 + 32], "big")
                if body[37 + 32] != 0:
                    fail("compression %d" % body[37 + 32])
                self.sha = self.suite == 5
            elif kind == 11:
                first = int.from_bytes(body[3:6], "big")
                if int.from_bytes(body[:3], "big") < 3 + first:
                    fail("certificate list")
            elif kind == 12:
                n_len = int.from_bytes(body[:2], "big")
                n = int.from_bytes(body[2:2 + n_len], "big")
                e_len = int.from_bytes(body[2 + n_len:4 + n_len], "big")
                params = body[:4 + n_len + e_len]
                e = int.from_bytes(body[4 + n_len:4 + n_len + e_len], "big")
                signature = body[6 + n_len + e_len:]
                if len(signature) != int.from_bytes(body[4 + n_len + e_len:6 + n_len + e_len], "big"):
                    fail("server key exchange signature length")
                k = (cert[0].bit_length() + 7) // 8
                block = pow(int.from_bytes(signature, "big"), cert[1], cert[0]).to_bytes(k, "big")
                hashes = h("md5", client_random, server_random, params) + h("sha1", client_random, server_random, params)
                if block != b"\x00\x01" + b"\xff" * (k - 39) + b"\x00" + hashes:
                    fail("server key exchange signature does not verify")
                ske = (n, e)
            elif kind == 13:
                self.send(21, b"\x01\x29")  # warning no_certificate
            elif kind == 14:
                break
            else:
                fail("server handshake type %d" % kind)
        if flight:
            fail("bytes after server hello done")
        n, e = ske or cert
        k = (n.bit_length() + 7) // 8
        pre_master = b"\x03\x00" + os.urandom(46)
        padding = bytes(b % 255 + 1 for b in os.urandom(k - 3 - 48))
        block = b"\x00\x02" + padding + b"\x00" + pre_master
        cke = message(16, pow(int.from_bytes(block, "big"), e, n).to_bytes(k, "big"))
        messages += cke
        self.send(22, cke)
        master = expand(pre_master, client_random, server_random, 48)
        size = 20 if self.sha else 16
        keys = expand(master, server_random, client_random, 2 * size + 32)
        self.client_mac, self.server_mac = keys[:size], keys[size:2 * size]
        self.send(20, b"\x01")
        self.write = RC4(keys[2 * size:2 * size + 16])
        fin = message(20, finished(messages, b"CLNT", master))
        if bad_finished:
            fin = fin[:-1] + bytes([fin[-1] ^ 1])
        messages += fin
        self.send(22, fin)
        if bad_finished:
            return
        if self.expect(20) != b"\x01":
            fail("server change cipher spec")
        self.read = RC4(keys[2 * size + 16:2 * size + 32])
        if self.expect(22) != message(20, finished(messages, b"SRVR", master)):
            fail("server finished does not verify")

def client(scenario, port, cert_file):
    out = subprocess.run(["openssl", "x509", "-in", cert_file, "-noout", "-modulus"],
                         check=True, capture_output=True, text=True).stdout
    cert = (int(out.strip().split("=")[1], 16), 65537)
    c = Client(port)
    if scenario == "garbage":
        c.sock.sendall(b"GET / HTTP/1.0\r\n\r\n")
        if not c.closed():
            fail("not closed")
        return
    if scenario == "bad-finished":
        c.handshake(cert, bad_finished=True)
        if not c.closed():
            fail("not closed")
        return
    c.handshake(cert)
    if scenario == "bad-mac":
        if c.record() != "badmac":
            fail("the first application data has a good MAC")
        return
    if scenario == "hello-request":
        if c.expect(22) != b"\x00\x00\x00\x00":
            fail("no hello request")
        if c.expect(21) != b"\x01\x63":
            fail("no alert 1:99")
    if c.expect(23) != b"\xff\xfd\x18":
        fail("no greeting from the host")
    if scenario == "hello-request":
        c.send(21, b"\x02\x28")
        if not c.closed():
            fail("not closed")
        return
    c.send(23, b"ping")
    if c.expect(23) != b"echo:ping":
        fail("no echo")
    c.send(23, b"x" * 5000)
    got = b""
    while len(got) < 5000:  # echoed in pieces, each with its "echo:"
        got += c.expect(23).replace(b"echo:", b"")
    if got != b"x" * 5000:
        fail("long echo")
    if scenario == "client-bad-mac":
        c.send(23, b"pong", corrupt=True)
        if not c.closed():
            fail("not closed")
    c.sock.close()

if sys.argv[1] == "target":
    target(sys.argv[2])
else:
    client(sys.argv[2], int(sys.argv[3]), sys.argv[4])
PROBE

peers_launch "@$work/target.port" "$work" "$work/target.log" "$PEERS_PYTHON" "$work/probe.py" target "$work/target.port" \
    || { cat "$work/target.log"; exit 1; }
peers_on_exit "peers_stop_group $_peers_pid"
target="127.0.0.1:$_peers_port"

# scenario NAME [SERVER OPTIONS...]: a fresh server, one probe connection.
scenario() {
    local name="$1"
    shift
    start_ssl_server "$target" -once "$@" || fail "the server did not start"
    "$PEERS_PYTHON" "$work/probe.py" client "$name" "$SSL_SERVER_PORT" "$SSL_SERVER_CERT" \
        || fail "scenario $name"
    for _ in $(seq 100); do grep -q "closed:" "$SSL_SERVER_LOG" && break; sleep 0.05; done
}
expect_log() { grep -qF -- "$1" "$SSL_SERVER_LOG" || fail "no log line '$1'"; }

SSL_SERVER_KEY_BITS=1024
scenario garbage
expect_log "#1 closed: bad record header 47 45 54 20 2f"
stop_ssl_server

scenario plain
expect_log "#1 client hello version 3.0, session id 0 bytes, suites 0004 0005, compression 00"
expect_log "#1 suite 4"
expect_log "#1 client key exchange 128 bytes, pre-master version 3.0"
expect_log "#1 client finished ok"
expect_log "#1 relaying to $target"
expect_log "#1 closed: client closed the connection"
stop_ssl_server

SSL_SERVER_KEY_BITS=2048
scenario plain -suite 5 -server-key-exchange -certificate-request
expect_log "#1 suite 5"
expect_log "server key exchange (128-byte modulus), certificate request, server hello done"
expect_log "#1 client alert 1:41"
expect_log "#1 client key exchange 128 bytes, pre-master version 3.0"
expect_log "#1 client finished ok"
stop_ssl_server

SSL_SERVER_KEY_BITS=1024
scenario bad-finished
expect_log "#1 client finished BAD"
stop_ssl_server

scenario bad-mac -bad-mac -suite 5
expect_log "#1 sent application data (3 bytes) with a corrupted MAC"
stop_ssl_server

scenario client-bad-mac
expect_log "#1 client record MAC BAD (type 23, 4 bytes)"
stop_ssl_server

scenario hello-request -hello-request -alert 1:99
expect_log "#1 sent hello request"
expect_log "#1 sent alert 1:99"
expect_log "#1 client alert 2:40"
expect_log "#1 closed: client sent a fatal alert"
stop_ssl_server
echo "ok"
