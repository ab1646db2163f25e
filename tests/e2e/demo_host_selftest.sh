#!/bin/bash
# The demo host really negotiates TN3270, asks for the query reply, shows the
# logon panel and lets a user log on and off; a raw probe plays the terminal.
# Usage: demo_host_selftest.sh KESTREL_SCRIPT SOURCE_DIR
set -euo pipefail
host="$(dirname "$1")/kestrel-demo-host"
work="$(mktemp -d)"
host_pid=""
cleanup() {
    if [ -n "$host_pid" ]; then kill "$host_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# Starts the host on a free port; sets host_pid and port.
start_host() {
    "$host" -port 0 "$@" >"$work/stdout" 2>"$work/stderr" &
    host_pid=$!
    port=""
    for _ in $(seq 100); do
        port="$(sed -n 's/^listening on \([0-9][0-9]*\)$/\1/p' "$work/stdout")"
        [ -n "$port" ] && return 0
        sleep 0.05
    done
    echo "the demo host did not report its port"; cat "$work/stderr"; exit 1
}

start_host -once
python3 - "$port" <<'PROBE'
import socket, sys

IAC, DONT, DO, WONT, WILL, SB, SE, EOR = 255, 254, 253, 252, 251, 250, 240, 239
BINARY, TTYPE, OPT_EOR = 0, 24, 25
CODES = bytes([0x40, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0x4A, 0x4B, 0x4C,
               0x4D, 0x4E, 0x4F, 0x50, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9,
               0x5A, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F, 0x60, 0x61, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6,
               0xE7, 0xE8, 0xE9, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F, 0xF0, 0xF1, 0xF2, 0xF3,
               0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0x7A, 0x7B, 0x7C, 0x7D, 0x7E, 0x7F])

def fail(text):
    print("probe: " + text)
    sys.exit(1)

def address12(a):
    return bytes([CODES[a >> 6], CODES[a & 0x3F]])

def address14(a):
    return bytes([a >> 8, a & 0xFF])

class Probe:
    def __init__(self, port):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=5)
        self.pending = b""
        self.commands = []   # negotiation seen, in order
        self.closed = False

    def send(self, data):
        self.sock.sendall(data)

    def send_record(self, record):
        self.send(record.replace(b"\xff", b"\xff\xff") + bytes([IAC, EOR]))

    def byte(self):
        while not self.pending:
            chunk = self.sock.recv(4096)
            if not chunk:
                self.closed = True
                raise EOFError
            self.pending = chunk
        b, self.pending = self.pending[0], self.pending[1:]
        return b

    def record(self):
        """Answers negotiation as a terminal does until a whole record has come."""
        data = bytearray()
        while True:
            b = self.byte()
            if b != IAC:
                data.append(b)
                continue
            b = self.byte()
            if b == IAC:
                data.append(IAC)
            elif b == EOR:
                return bytes(data)
            elif b in (DO, DONT, WILL, WONT):
                option = self.byte()
                self.commands.append((b, option))
                if b == DO:
                    self.send(bytes([IAC, WILL if option in (BINARY, TTYPE, OPT_EOR) else WONT, option]))
                elif b == WILL:
                    self.send(bytes([IAC, DO if option in (BINARY, OPT_EOR) else DONT, option]))
            elif b == SB:
                sub = bytearray()
                while True:
                    c = self.byte()
                    if c == IAC:
                        if self.byte() == SE:
                            break
                        c = IAC
                    sub.append(c)
                self.commands.append((SB, bytes(sub)))
                if bytes(sub) == bytes([TTYPE, 1]):
                    self.send(bytes([IAC, SB, TTYPE, 0]) + b"IBM-3278-2-E" + bytes([IAC, SE]))

def text(record):
    return record.decode("cp037")

probe = Probe(int(sys.argv[1]))
query = probe.record()
expected = [(DO, TTYPE), (SB, bytes([TTYPE, 1])), (DO, OPT_EOR), (WILL, OPT_EOR), (DO, BINARY),
            (WILL, BINARY)]
if probe.commands != expected:
    fail("negotiation was %r" % probe.commands)
if query != bytes([0xF3, 0x00, 0x05, 0x01, 0xFF, 0x02]):
    fail("expected a Read Partition Query, got %s" % query.hex())

# Query reply: usable area 80 x 24.
probe.send_record(bytes([0x88]) + bytes.fromhex("0017818101000050001801000a02e50002006f090c0780"))
logon = probe.record()
if logon[0] != 0xF5 or "USERID" not in text(logon) or "PASSWORD" not in text(logon):
    fail("no logon panel: %s" % logon.hex())

def read_modified(aid, cursor, fields):
    record = bytes([aid]) + address12(cursor)
    for address, value in fields:
        record += b"\x11" + address + value.encode("cp037")
    return record

userid, password, option = 4 * 80 + 15, 5 * 80 + 15, 8 * 80 + 13
probe.send_record(read_modified(0x7D, password + 4, [(address12(userid), "probe"),
                                                     (address12(password), "WRONG")]))
again = probe.record()
if "INVALID PASSWORD" not in text(again):
    fail("a wrong password got %r" % text(again))

# The right password, its field addressed with 14 bits.
probe.send_record(read_modified(0x7D, password + 4, [(address12(userid), "probe"),
                                                     (address14(password), "demo")]))
menu = probe.record()
if "MAIN MENU" not in text(menu) or "LOGGED ON AS probe" not in text(menu):
    fail("no menu after logon: %r" % text(menu))

probe.send_record(read_modified(0x7D, option + 1, [(address12(option), "3")]))
goodbye = probe.record()
if "GOODBYE, probe" not in text(goodbye):
    fail("no goodbye screen: %r" % text(goodbye))
try:
    probe.byte()
except EOFError:
    pass
except socket.timeout:
    fail("the host did not close the connection after logoff")
if not probe.closed:
    fail("data after the goodbye screen")
PROBE

# With -once the host ends when its client has gone.
for _ in $(seq 100); do
    kill -0 "$host_pid" 2>/dev/null || break
    sleep 0.05
done
if kill -0 "$host_pid" 2>/dev/null; then echo "-once did not end the host"; exit 1; fi
wait "$host_pid" || { echo "the host ended with status $?"; cat "$work/stderr"; exit 1; }
host_pid=""
for line in "client 1: terminal type IBM-3278-2-E, 24 rows" \
            "client 1: query reply, 24 bytes, 1 replies, usable area 80x24" \
            "client 1: panel LOGON" "client 1: panel MENU" "client 1: connection closed by the host"; do
    grep -qF "$line" "$work/stderr" || { echo "log lacks '$line':"; cat "$work/stderr"; exit 1; }
done

# SIGTERM ends a host that is still serving.
start_host
kill -TERM "$host_pid"
wait "$host_pid" || { echo "SIGTERM gave status $?"; exit 1; }
host_pid=""
