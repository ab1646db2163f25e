# shellcheck shell=bash
# text_proxy.py, a proxy driven by a text login line, on a free loopback port.
# Source this file, then:
#
#   start_text_proxy    starts it; exports TEXT_PROXY_PORT (127.0.0.1),
#                       TEXT_PROXY_PID, TEXT_PROXY_LOG (one line per event, e.g.
#                       "line b'127.0.0.1 23\r\n'", "connect 127.0.0.1 23",
#                       "connected", "closed") and TEXT_PROXY_DIR (temp dir).
#   stop_text_proxy     stops it and removes the temp dir; also runs at exit.
#
# A client gets "proxy> ", sends "HOST PORT" CR LF, gets "connected" CR LF and is
# then relayed to HOST:PORT both ways until either side closes; see
# text_proxy.py for the other answers.

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

start_text_proxy() {
    [ -z "${TEXT_PROXY_PID:-}" ] || { echo "start_text_proxy: already running" >&2; return 1; }
    TEXT_PROXY_DIR="$(mktemp -d "${TMPDIR:-/tmp}/kestrel-text-proxy.XXXXXX")"
    TEXT_PROXY_LOG="$TEXT_PROXY_DIR/text_proxy.log"
    export TEXT_PROXY_DIR TEXT_PROXY_LOG
    peers_on_exit stop_text_proxy
    : >"$TEXT_PROXY_LOG"
    # It binds port 0 itself, so there is no race for the port.
    if peers_launch "@$TEXT_PROXY_DIR/port" "$TEXT_PROXY_DIR" "$TEXT_PROXY_DIR/text_proxy.out" \
            "$PEERS_PYTHON" "$PEERS_DIR/text_proxy.py" "$TEXT_PROXY_DIR/port" "$TEXT_PROXY_LOG"; then
        TEXT_PROXY_PID="$_peers_pid"
        TEXT_PROXY_PORT="$_peers_port"
        export TEXT_PROXY_PORT TEXT_PROXY_PID
        return 0
    fi
    peers_start_failed text_proxy "(its own)" "$TEXT_PROXY_DIR/text_proxy.out"
    rm -rf "$TEXT_PROXY_DIR"
    unset TEXT_PROXY_DIR TEXT_PROXY_LOG
    return 1
}

stop_text_proxy() {
    if [ -n "${TEXT_PROXY_PID:-}" ]; then
        peers_stop_group "$TEXT_PROXY_PID"
    fi
    [ -n "${TEXT_PROXY_DIR:-}" ] && rm -rf "$TEXT_PROXY_DIR"
    unset TEXT_PROXY_PORT TEXT_PROXY_PID TEXT_PROXY_DIR TEXT_PROXY_LOG
}
