#!/usr/bin/env python3
"""Process and port helpers shared by the peer libraries (hercules.sh, dante.sh,
text_proxy.sh).

  peerctl.py free-port
      prints a TCP port on 127.0.0.1 that was free a moment ago.
  peerctl.py port-free PORT
      exit 0 when 127.0.0.1:PORT can be bound now, 1 otherwise.
  peerctl.py wait-listen PORT PID SECONDS
      waits until process PID listens on 127.0.0.1:PORT (read from /proc, without
      connecting, so that no peer sees a stray connection) and prints PORT; exit 1
      when PID ends or the time runs out. PORT may be @FILE: the port is the number
      that process PID writes to FILE.
  peerctl.py stop-group PGID SECONDS
      sends SIGTERM to process PGID, SIGKILL to its group after SECONDS;
      exit 0 once no live process remains in the group.
  peerctl.py group-alive PGID...
      prints each PGID whose group holds a live (not zombie) process; exit 0 when
      there is one, 1 otherwise.
  peerctl.py exec COMMAND [ARGS...]
      runs COMMAND in a new session (its process group id is its pid, so the whole
      group can be stopped by that id) and asks the kernel to kill it when the shell
      that started it dies, so that nothing outlives a test even after kill -9.
"""
import ctypes
import os
import signal
import socket
import sys
import time


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        print(s.getsockname()[1])


def port_free(port):
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        try:
            s.bind(("127.0.0.1", port))
        except OSError:
            return False
    return True


def listening_inodes(port):
    """Inodes of sockets listening on 127.0.0.1:port or 0.0.0.0:port."""
    inodes = set()
    wanted = {"0100007F:%04X" % port, "00000000:%04X" % port}
    try:
        with open("/proc/net/tcp") as table:
            next(table)
            for line in table:
                fields = line.split()
                if fields[1] in wanted and fields[3] == "0A":
                    inodes.add(fields[9])
    except OSError:
        pass
    return inodes


def owned_inodes(pid):
    inodes = set()
    fd_dir = "/proc/%d/fd" % pid
    try:
        for fd in os.listdir(fd_dir):
            try:
                target = os.readlink(os.path.join(fd_dir, fd))
            except OSError:
                continue
            if target.startswith("socket:["):
                inodes.add(target[8:-1])
    except OSError:
        pass
    return inodes


def alive(pid):
    try:
        with open("/proc/%d/stat" % pid) as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


def group_alive(pgid):
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        if fields[2] == str(pgid) and fields[0] != "Z":
            return True
    return False


def stop_group(pgid, seconds):
    """SIGTERM to the leader only (a daemon then stops and reaps its own children,
    which leaves no zombies behind), SIGKILL to the whole group when it is slow."""
    try:
        os.kill(pgid, signal.SIGTERM)
    except OSError:
        pass
    deadline = time.monotonic() + seconds
    while group_alive(pgid) and time.monotonic() < deadline:
        time.sleep(0.02)
    try:
        os.killpg(pgid, signal.SIGKILL)
    except OSError:
        pass
    deadline = time.monotonic() + 2
    while group_alive(pgid) and time.monotonic() < deadline:
        time.sleep(0.02)
    return 1 if group_alive(pgid) else 0


def wait_listen(port, pid, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if not alive(pid):
            return 1
        if port.startswith("@"):
            try:
                with open(port[1:]) as port_file:
                    number = int(port_file.read())
            except (OSError, ValueError):
                number = None
        else:
            number = int(port)
        if number and listening_inodes(number) & owned_inodes(pid):
            print(number)
            return 0
        time.sleep(0.05)
    return 1


def run(argv):
    parent = os.getppid()
    os.setsid()
    libc = ctypes.CDLL(None, use_errno=True)
    PR_SET_PDEATHSIG = 1
    libc.prctl(PR_SET_PDEATHSIG, signal.SIGKILL, 0, 0, 0)
    if os.getppid() != parent:  # the starter died before the request took effect
        return 1
    os.execvp(argv[0], argv)


def main():
    if len(sys.argv) >= 2 and sys.argv[1] == "free-port":
        free_port()
        return 0
    if len(sys.argv) == 3 and sys.argv[1] == "port-free":
        return 0 if port_free(int(sys.argv[2])) else 1
    if len(sys.argv) == 5 and sys.argv[1] == "wait-listen":
        return wait_listen(sys.argv[2], int(sys.argv[3]), float(sys.argv[4]))
    if len(sys.argv) == 4 and sys.argv[1] == "stop-group":
        return stop_group(int(sys.argv[2]), float(sys.argv[3]))
    if len(sys.argv) >= 3 and sys.argv[1] == "group-alive":
        alive_groups = [pgid for pgid in sys.argv[2:] if group_alive(int(pgid))]
        print(" ".join(alive_groups))
        return 0 if alive_groups else 1
    if len(sys.argv) >= 3 and sys.argv[1] == "exec":
        return run(sys.argv[2:])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
