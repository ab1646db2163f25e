#!/usr/bin/env python3
"""A proxy that is driven by text, for the tests of the scripted proxy login.

  text_proxy.py PORTFILE [LOGFILE]

Listens on a free port of 127.0.0.1 and writes its number to PORTFILE. Each client
gets the prompt "proxy> " and may send lines (ended by LF; CR and blanks around
the words are ignored):

  HOST PORT   connects to HOST:PORT; answers "connected" and from then on relays
              bytes both ways until either side closes, or answers
              "failed: REASON" and prompts again
  (empty)     prompts again
  quit        closes the connection
  other       answers "error: expected HOST PORT" and prompts again

Answers end with CR LF. LOGFILE receives one line per event: "line <repr of the
bytes received>", "connect HOST PORT", "connected", "failed REASON", "closed".
"""
import os
import socket
import sys
import threading

PROMPT = b"proxy> "
log_lock = threading.Lock()
log_file = None


def log(text):
    if log_file:
        with log_lock:
            log_file.write(text + "\n")
            log_file.flush()


def pump(source, destination):
    try:
        while True:
            data = source.recv(65536)
            if not data:
                break
            destination.sendall(data)
    except OSError:
        pass
    for sock in (source, destination):  # either side closing ends the relay
        try:
            sock.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass


def serve(client):
    pending = b""
    try:
        client.sendall(PROMPT)
        while True:
            while b"\n" not in pending:
                data = client.recv(4096)
                if not data:
                    return
                pending += data
            line, pending = pending.split(b"\n", 1)
            log("line %r" % (line + b"\n"))
            words = line.decode("latin-1").split()
            if not words:
                client.sendall(PROMPT)
                continue
            if words == ["quit"]:
                return
            if len(words) != 2 or not words[1].isdigit():
                client.sendall(b"error: expected HOST PORT\r\n" + PROMPT)
                continue
            log("connect %s %s" % (words[0], words[1]))
            try:
                server = socket.create_connection((words[0], int(words[1])), timeout=10)
                server.settimeout(None)
            except OSError as error:
                reason = error.strerror or str(error)
                log("failed %s" % reason)
                client.sendall(b"failed: %s\r\n" % reason.encode("latin-1", "replace") + PROMPT)
                continue
            log("connected")
            client.sendall(b"connected\r\n")
            if pending:  # bytes the client sent after its line are the server's
                server.sendall(pending)
            back = threading.Thread(target=pump, args=(server, client), daemon=True)
            back.start()
            pump(client, server)
            back.join()
            server.close()
            return
    except OSError:
        pass
    finally:
        log("closed")
        client.close()


def main():
    global log_file
    if len(sys.argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    if len(sys.argv) == 3:
        log_file = open(sys.argv[2], "a")
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    temporary = sys.argv[1] + ".tmp"
    with open(temporary, "w") as port_file:
        port_file.write("%d\n" % listener.getsockname()[1])
    os.replace(temporary, sys.argv[1])
    while True:
        client, _ = listener.accept()
        threading.Thread(target=serve, args=(client,), daemon=True).start()


if __name__ == "__main__":
    sys.exit(main())
