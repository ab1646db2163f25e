# shellcheck shell=bash
# Hercules (a mainframe emulator, here the HOST) as a real TN3270 server on a free
# loopback port. Source this file, then:
#
#   start_hercules      starts it; exports HERCULES_PORT (its console port on
#                       127.0.0.1), HERCULES_PID, HERCULES_LOG (its messages, e.g.
#                       "HHCTE009I Client 127.0.0.1 connected to 3270 device 0:0010")
#                       and HERCULES_DIR (temp dir with the configuration).
#                       HERCULES_3270_DEVICES (default 4) sets how many 3270 devices
#                       (0010, 0011, ...) there are, i.e. how many clients it serves.
#   stop_hercules       stops it and removes the temp dir; also runs at exit.
#
# The machine is never IPLed: no program runs, so Hercules only negotiates and
# shows its connection screen. Observed with Hercules 3.13 (Debian 3.13-7); S =
# from Hercules, C = the client's answers:
#
#   S ff fd 18                  IAC DO TERMINAL-TYPE (at once on connect)
#   C ff fb 18                  IAC WILL TERMINAL-TYPE
#   S ff fa 18 01 ff f0         IAC SB TERMINAL-TYPE SEND IAC SE
#   C ff fa 18 00 "IBM-3278-2-E" ff f0
#   S ff fd 19 ff fb 19         IAC DO EOR IAC WILL EOR
#   C ff fb 19 ff fd 19         IAC WILL EOR IAC DO EOR (in this order; may be split)
#   S ff fd 00 ff fb 00         IAC DO BINARY IAC WILL BINARY
#   C ff fb 00 ff fd 00         IAC WILL BINARY IAC DO BINARY
#   S f5 42 11 40 40 1d 60 c8 85 99 83 a4 93 85 a2 40 e5 85 99 ... ff ef
#
# Each step waits for the exact answer. Refusing one (WONT TERMINAL-TYPE, WONT
# EOR, WONT BINARY) or answering DO EOR before WILL EOR makes Hercules close the
# connection at once, without a word. TN3270E (option 28 hex) is never offered; a
# "-E" type is served as plain TN3270. Display types (IBM-3278-2, IBM-3278-2-E,
# IBM-3278-3-E, IBM-3278-4-E, IBM-3278-5-E, IBM-3279-2-E, IBM-DYNAMIC) all get a
# 3270 device and the same 24-row screen below. IBM-3287-1 (a printer) is
# negotiated, gets nothing, and is closed 5 s later; a non-IBM type (xterm) gets,
# right after its type, ASCII lines ending "Connection rejected, no available 1052
# or 3215 device" and is closed 5 s later. A client that never answers DO
# TERMINAL-TYPE is not timed out; other clients are served meanwhile.
#
# The screen (1026 bytes, then IAC EOR) is an Erase/Write (f5), WCC 42 (restore
# keyboard), made only of SBA and SF orders (attributes 60 = protected, e8 =
# protected intensified) and EBCDIC (cp037) text; no unprotected field, no IC.
# Drawn (each of rows 0-21 begins with an attribute; values at column 21):
#    0| Hercules Version  : 3.13
#    1| Host name         : <host name>
#    2| Host OS           : <uname of the machine>
#    3| Host Architecture : x86_64
#    4| Processors        : MP=2                 (the machine's CPU count)
#    5| Chanl Subsys      : 0
#    6| Device number     : 0010                 (0011 for the 2nd client, ...)
#    7| Subchannel        : 0000                 (0001 for the 2nd client, ...)
#    9|            HHH          HHH   The S/370, ESA/390 and z/Architecture
#   10|            HHH          HHH                 Emulator
#   12..16|                           "HERCULES" in block letters
#   19|            HHH          HHH     My PC thinks it's a MAINFRAME
#   21|            Copyright (C) 1999-2010 Roger Bowler, Jan Jaeger, and others
# After row 7's value it sends SBA row 7 col 0 + SF 60 again, over the attribute
# already there: a repeat that a correct terminal takes in its stride. Texts that
# are the same on every machine: "Hercules Version  : 3.13", "Device number     :
# 0010", "My PC thinks it's a MAINFRAME". Full capture: hercules_connect.hex.
#
# When every 3270 device is taken, a display client is negotiated as above, then
# gets an Erase/Write, WCC 40, of three rows: "Hercules version 3.13 built on
# ...", "running on ...", "Connection rejected, no available 3270 device", and is
# closed 5 s later.
#
# After its screen Hercules reads nothing more from a client (no program runs to
# take the attention): AIDs, AYT and any other bytes go unanswered, and a client's
# disconnect is not noticed, so its device stays taken until Hercules stops. Each
# connection thus uses up one device; start a fresh Hercules (or ask for more
# devices) for tests that connect many times.

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

start_hercules() {
    local attempt devices="${HERCULES_3270_DEVICES:-4}"
    [ -z "${HERCULES_PID:-}" ] || { echo "start_hercules: already running" >&2; return 1; }
    HERCULES_DIR="$(mktemp -d "${TMPDIR:-/tmp}/kestrel-hercules.XXXXXX")"
    HERCULES_LOG="$HERCULES_DIR/hercules.log"
    export HERCULES_DIR HERCULES_LOG
    peers_on_exit stop_hercules
    for attempt in 1 2 3; do  # a new port when another process took the free one
        HERCULES_PORT="$(peers_free_port)"
        cat >"$HERCULES_DIR/hercules.cnf" <<CONF
# Written by tests/e2e/peers/hercules.sh: one S/370 CPU that is never IPLed and
# local non-SNA 3270 displays served on the console port.
CPUSERIAL 000001
CPUMODEL  3090
MAINSIZE  2
NUMCPU    1
ARCHMODE  S/370
CNSLPORT  127.0.0.1:$HERCULES_PORT
0010.$devices 3270
CONF
        if peers_launch "$HERCULES_PORT" "$HERCULES_DIR" "$HERCULES_LOG" \
                hercules -d -f "$HERCULES_DIR/hercules.cnf"; then
            HERCULES_PID="$_peers_pid"
            export HERCULES_PORT HERCULES_PID
            return 0
        fi
        peers_lost_race "$HERCULES_PORT" || break
    done
    peers_start_failed hercules "$HERCULES_PORT" "$HERCULES_LOG"
    rm -rf "$HERCULES_DIR"
    unset HERCULES_PORT HERCULES_DIR HERCULES_LOG
    return 1
}

stop_hercules() {
    if [ -n "${HERCULES_PID:-}" ]; then
        # Its SIGTERM shutdown often hangs in "Releasing configuration"; nothing
        # of it needs keeping, so it gets SIGKILL soon.
        peers_stop_group "$HERCULES_PID" 0.3
    fi
    [ -n "${HERCULES_DIR:-}" ] && rm -rf "$HERCULES_DIR"
    unset HERCULES_PORT HERCULES_PID HERCULES_DIR HERCULES_LOG
}
