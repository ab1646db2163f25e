# shellcheck shell=bash
# Dante's danted as a real SOCKS proxy on a free loopback port. Source this file,
# then:
#
#   start_dante         starts it; exports DANTE_PORT (127.0.0.1), DANTE_PID,
#                       DANTE_LOG (its log: "pass(1): tcp/connect" lines for the
#                       connects its rules let through, also when the destination
#                       then refuses, "block(2)" for the others) and DANTE_DIR.
#   stop_dante          stops it and removes the temp dir; also runs at exit.
#
# It serves SOCKS 4 (and 5) CONNECT without authentication, from 127.0.0.0/8 to
# 127.0.0.0/8 only. A SOCKS 4 request 04 01 PORT(2) 7f 00 00 01 USERID 00 to a
# port where something listens is answered 00 5a and then the port and address of
# danted's own outgoing socket (e.g. 00 5a ce 1d 7f 00 00 01), not zeros, and the
# connection then carries the destination's bytes. The user id is not checked:
# any text, e.g. the 13 characters  $1 $2\015\012  with real backslashes, is
# granted. A destination where nothing listens, or one outside 127.0.0.0/8, gets
# 00 5b ... and the connection is reset right after. As root it logs the warning
# "setting the unprivileged uid to 0 is not recommended"; that is expected.

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

start_dante() {
    local attempt user
    [ -z "${DANTE_PID:-}" ] || { echo "start_dante: already running" >&2; return 1; }
    command -v danted >/dev/null || PATH="$PATH:/usr/sbin"
    user="$(id -un)"
    DANTE_DIR="$(mktemp -d "${TMPDIR:-/tmp}/kestrel-dante.XXXXXX")"
    DANTE_LOG="$DANTE_DIR/danted.log"
    export DANTE_DIR DANTE_LOG
    peers_on_exit stop_dante
    for attempt in 1 2 3; do  # a new port when another process took the free one
        DANTE_PORT="$(peers_free_port)"
        # Both user ids are the caller's own (root on CI, anyone else by hand): it
        # never changes identity. "external" is the address for outgoing connects.
        cat >"$DANTE_DIR/danted.conf" <<CONF
# Written by tests/e2e/peers/dante.sh
logoutput: $DANTE_LOG
internal: 127.0.0.1 port = $DANTE_PORT
external: 127.0.0.1
clientmethod: none
socksmethod: none
user.privileged: $user
user.unprivileged: $user
client pass {
    from: 127.0.0.0/8 to: 0.0.0.0/0
    log: error
}
socks pass {
    from: 127.0.0.0/8 to: 127.0.0.0/8
    command: connect
    protocol: tcp
    log: connect disconnect error
}
socks block {
    from: 0.0.0.0/0 to: 0.0.0.0/0
    log: connect error
}
CONF
        # In the foreground (no -D), so that its pid is the one started here.
        if peers_launch "$DANTE_PORT" "$DANTE_DIR" "$DANTE_DIR/danted.out" \
                danted -f "$DANTE_DIR/danted.conf" -p "$DANTE_DIR/danted.pid"; then
            DANTE_PID="$_peers_pid"
            export DANTE_PORT DANTE_PID
            return 0
        fi
        peers_lost_race "$DANTE_PORT" || break
    done
    peers_start_failed danted "$DANTE_PORT" "$DANTE_DIR/danted.out"
    cat "$DANTE_LOG" >&2 2>/dev/null || true
    rm -rf "$DANTE_DIR"
    unset DANTE_PORT DANTE_DIR DANTE_LOG
    return 1
}

stop_dante() {
    if [ -n "${DANTE_PID:-}" ]; then
        # On SIGTERM the mother exits at once, but a child that relays a session
        # lingers (Hercules never closes its side), so SIGKILL follows soon.
        peers_stop_group "$DANTE_PID" 0.5
    fi
    [ -n "${DANTE_DIR:-}" ] && rm -rf "$DANTE_DIR"
    unset DANTE_PORT DANTE_PID DANTE_DIR DANTE_LOG
}
