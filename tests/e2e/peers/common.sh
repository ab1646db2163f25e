# shellcheck shell=bash
# Shared by hercules.sh, dante.sh and text_proxy.sh: starting a peer as a process
# group of its own on a free loopback port, stopping it, and stopping every peer
# still running when the test script exits.
#
# The EXIT trap set here runs the registered clean-ups. A test that needs clean-up
# work of its own registers it with `peers_on_exit 'COMMAND'` instead of setting its
# own EXIT trap (which would replace this one). As a second line of defence every
# peer is killed by the kernel when the shell that started it dies, even by kill -9;
# so call the start_* functions in the test's own shell, not inside $( ) or ( ).

[ -n "${_PEERS_COMMON_LOADED:-}" ] && return 0
_PEERS_COMMON_LOADED=1

PEERS_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
_peers_cleanups=()
# The system's python3 where there is one: a version manager's shim can cost a second
# per call.
if [ -z "${PEERS_PYTHON:-}" ]; then
    if [ -x /usr/bin/python3 ]; then PEERS_PYTHON=/usr/bin/python3; else PEERS_PYTHON=python3; fi
fi

peers_on_exit() {  # peers_on_exit COMMAND: run COMMAND (eval'd) when the script exits
    _peers_cleanups+=("$1")
}

_peers_run_cleanups() {
    local i
    for ((i = ${#_peers_cleanups[@]} - 1; i >= 0; i--)); do
        eval "${_peers_cleanups[i]}" || true
    done
    _peers_cleanups=()
}
trap '_peers_run_cleanups' EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

peers_free_port() {  # prints a loopback TCP port that is free now
    "$PEERS_PYTHON" "$PEERS_DIR/peerctl.py" free-port
}

# peers_launch PORT WORKDIR LOG COMMAND...: starts COMMAND in WORKDIR with stdin
# from /dev/null and its output in LOG, then waits up to
# ${PEERS_START_TIMEOUT:-10} s until it listens on 127.0.0.1:PORT (PORT @FILE: on
# the port it writes to FILE). Sets _peers_pid and _peers_port. When it ends first
# or never listens, it is stopped and the return status is 1.
peers_launch() {
    local port="$1" workdir="$2" log="$3"
    shift 3
    (cd "$workdir" && exec "$PEERS_PYTHON" "$PEERS_DIR/peerctl.py" exec "$@" </dev/null >"$log" 2>&1) &
    _peers_pid=$!
    disown "$_peers_pid"  # no job report when it is killed; bash still reaps it
    if _peers_port="$("$PEERS_PYTHON" "$PEERS_DIR/peerctl.py" wait-listen "$port" \
            "$_peers_pid" "${PEERS_START_TIMEOUT:-10}")"; then
        return 0
    fi
    peers_stop_group "$_peers_pid"
    return 1
}

# peers_lost_race PORT: true when PORT is taken now, i.e. another process took the
# free port before the peer bound it, and starting again on a new port may help.
peers_lost_race() {
    ! "$PEERS_PYTHON" "$PEERS_DIR/peerctl.py" port-free "$1"
}

# peers_start_failed NAME PORT LOG: reports a peer that did not come up.
peers_start_failed() {
    echo "$1 did not come up listening on 127.0.0.1:$2; its output:" >&2
    sed 's/^/    /' "$3" >&2 || true
}

# peers_stop_group PID [GRACE]: SIGTERM to process PID, SIGKILL to what is left of
# its process group after GRACE seconds (default 2).
peers_stop_group() {
    [ -n "$1" ] || return 0
    "$PEERS_PYTHON" "$PEERS_DIR/peerctl.py" stop-group "$1" "${2:-2}" || true
}

# peers_group_alive PGID...: prints the PGIDs whose group holds a live (not
# zombie) process; true when there is one.
peers_group_alive() {
    "$PEERS_PYTHON" "$PEERS_DIR/peerctl.py" group-alive "$@"
}
