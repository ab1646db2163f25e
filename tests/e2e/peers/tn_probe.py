#!/usr/bin/env python3
"""A raw TN3270 probe for the peer self-test and for inspecting a host by hand.

It connects (directly, through a SOCKS 4 proxy, or through the text proxy of
text_proxy.py), answers the host's telnet negotiation the plain TN3270 way (WILL
TERMINAL-TYPE, the terminal type, WILL/DO END-OF-RECORD, WILL/DO BINARY, refusing
anything else) and stops at the first complete 3270 record (data up to IAC EOR).
It prints every block as "S hex" (from the peer) or "C hex" (from the probe);
--screen also prints the first record drawn as screen rows, and --expect makes the
exit status depend on a text being on that screen.

  tn_probe.py [--host H] [--termtype T] [--socks4 PROXYPORT [--socks-user TEXT]]
              [--text-proxy PROXYPORT] [--capture FILE] [--screen]
              [--expect TEXT]... [--timeout S] PORT

Exit status 0 when a record arrived (and every --expect text is on its screen), 1
otherwise.
"""
import argparse
import signal
import socket
import sys
import time

IAC, DONT, DO, WONT, WILL, SB, SE, EOR = 255, 254, 253, 252, 251, 250, 240, 239
BINARY, TERMINAL_TYPE, END_OF_RECORD = 0, 24, 25
ROWS = {"2": 24, "3": 32, "4": 43, "5": 27}
COLUMNS = {"5": 132}


class Probe:
    def __init__(self, sock, deadline, transcript):
        self.sock, self.deadline, self.transcript = sock, deadline, transcript

    def send(self, data):
        self.transcript.append(("C", data))
        self.sock.sendall(data)

    def recv(self):
        remaining = self.deadline - time.monotonic()
        if remaining <= 0:
            raise TimeoutError("time out")
        self.sock.settimeout(remaining)
        data = self.sock.recv(65536)
        if not data:
            raise EOFError("the peer closed the connection")
        self.transcript.append(("S", data))
        return data

    def read_exactly(self, count, pending=b""):
        while len(pending) < count:
            pending += self.recv()
        return pending


def socks4_connect(probe, host, port, user):
    request = bytes([4, 1, port >> 8, port & 255]) + socket.inet_aton(host) + user + b"\0"
    probe.send(request)
    data = probe.read_exactly(8)
    print("socks reply:", data[:8].hex(" "))
    if data[0] != 0 or data[1] != 90:
        raise ConnectionError("SOCKS request not granted (code %d)" % data[1])
    return data[8:]


def text_proxy_connect(probe, host, port):
    data = b""
    while not data.endswith(b"> "):
        data += probe.recv()
    probe.send(b"%s %d\r\n" % (host.encode(), port))
    while b"\r\n" not in data[data.rfind(b"> ") + 2:]:
        data += probe.recv()
    answer, rest = data[data.rfind(b"> ") + 2:].split(b"\r\n", 1)
    print("text proxy answer:", answer.decode("latin-1"))
    if answer != b"connected":
        raise ConnectionError("text proxy did not connect")
    return rest


def negotiate(probe, termtype, pending):
    """Answers negotiation until IAC EOR ends the first record; returns its bytes.
    Data before BINARY and END-OF-RECORD are agreed both ways is an error."""
    record = bytearray()
    agreed = set()  # (command answered, option)
    needed = {(WILL, BINARY), (DO, BINARY), (WILL, END_OF_RECORD), (DO, END_OF_RECORD)}
    while True:
        i = 0
        while i < len(pending):
            byte = pending[i]
            if byte != IAC:
                if not needed <= agreed:
                    raise ValueError("data before the TN3270 negotiation: %s"
                                     % pending[i:i + 16].hex(" "))
                record.append(byte)
                i += 1
                continue
            if i + 1 >= len(pending):
                break
            command = pending[i + 1]
            if command in (DO, DONT, WILL, WONT):
                if i + 2 >= len(pending):
                    break
                option = pending[i + 2]
                known = option in (BINARY, TERMINAL_TYPE, END_OF_RECORD)
                if command == DO:
                    probe.send(bytes([IAC, WILL if known else WONT, option]))
                    agreed.add((WILL, option))
                elif command == WILL:
                    known = option in (BINARY, END_OF_RECORD)
                    probe.send(bytes([IAC, DO if known else DONT, option]))
                    agreed.add((DO, option))
                i += 3
            elif command == SB:
                end = pending.find(bytes([IAC, SE]), i)
                if end < 0:
                    break
                if pending[i + 2:end] == bytes([TERMINAL_TYPE, 1]):
                    probe.send(bytes([IAC, SB, TERMINAL_TYPE, 0]) + termtype.encode()
                               + bytes([IAC, SE]))
                i = end + 2
            elif command == IAC:
                record.append(IAC)
                i += 2
            elif command == EOR:
                return bytes(record)
            else:
                i += 2
        pending = pending[i:] + probe.recv()


def address(b1, b2):
    if b1 & 0xC0 == 0:
        return (b1 & 0x3F) << 8 | b2
    return (b1 & 0x3F) << 6 | (b2 & 0x3F)


def draw(record, model):
    """Draws a first record that is a write command using only the SBA, SF and IC
    orders; Erase/Write Alternate uses the model's size, the others 24 x 80."""
    if not record or record[0] not in (0x01, 0xF1, 0x05, 0xF5, 0x0D, 0x7E):
        raise ValueError("not a write command: %s" % record[:1].hex())
    rows, columns = 24, 80
    if record[0] in (0x0D, 0x7E):
        rows, columns = ROWS.get(model, 24), COLUMNS.get(model, 80)
    size = rows * columns
    cells = [" "] * size
    position, i = 0, 2
    while i < len(record):
        byte = record[i]
        if byte == 0x11:
            position = address(record[i + 1], record[i + 2]) % size
            i += 3
        elif byte == 0x1D:
            cells[position] = " "
            position = (position + 1) % size
            i += 2
        elif byte == 0x13:
            i += 1
        elif byte < 0x40:
            raise ValueError("order %02x not drawn by this probe" % byte)
        else:
            cells[position] = bytes([byte]).decode("cp037")
            position = (position + 1) % size
            i += 1
    return ["".join(cells[r * columns:(r + 1) * columns]) for r in range(rows)]


def main():
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)  # quiet when piped into head
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("port", type=int)
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--termtype", default="IBM-3278-2-E")
    parser.add_argument("--socks4", type=int, metavar="PROXYPORT")
    parser.add_argument("--socks-user", default="")
    parser.add_argument("--text-proxy", type=int, metavar="PROXYPORT")
    parser.add_argument("--capture")
    parser.add_argument("--screen", action="store_true")
    parser.add_argument("--expect", action="append", default=[])
    parser.add_argument("--timeout", type=float, default=5)
    args = parser.parse_args()

    first_hop = args.socks4 or args.text_proxy or args.port
    transcript = []
    status = 1
    try:
        with socket.create_connection(("127.0.0.1", first_hop), timeout=args.timeout) as sock:
            probe = Probe(sock, time.monotonic() + args.timeout, transcript)
            pending = b""
            if args.socks4:
                pending = socks4_connect(probe, args.host, args.port,
                                         args.socks_user.encode("latin-1"))
            elif args.text_proxy:
                pending = text_proxy_connect(probe, args.host, args.port)
            record = negotiate(probe, args.termtype, pending)
            rows = draw(record, args.termtype[9:10])
            if args.screen:
                for number, row in enumerate(rows):
                    print("%2d|%s|" % (number, row))
            missing = [text for text in args.expect if not any(text in row for row in rows)]
            for text in missing:
                print("not on the screen:", text)
            status = 1 if missing else 0
    except (OSError, EOFError, TimeoutError, ValueError, IndexError) as error:
        print("probe:", error)
    finally:
        for direction, data in transcript:
            print(direction, data.hex(" "))
        if args.capture:
            with open(args.capture, "w") as capture:
                for direction, data in transcript:
                    for start in range(0, len(data), 32):
                        capture.write("%s %s\n" % (direction, data[start:start + 32].hex(" ")))
    return status


if __name__ == "__main__":
    sys.exit(main())
