#!/bin/bash
# kestrel-script against a real TN3270 host (Hercules' console port): directly,
# through a SOCKS 4 proxy (dante) and through a text-driven proxy; with the
# traffic log; and the ways a session fails or ends.
# Usage: hercules_session.sh KESTREL_SCRIPT SOURCE_DIR
set -euo pipefail
script="$1"
peers="$(dirname "$0")/peers"
source "$peers/hercules.sh"
source "$peers/dante.sh"
source "$peers/text_proxy.sh"

work="$(mktemp -d)"
peers_on_exit "rm -rf '$work'"
export XDG_CONFIG_HOME="$work/config"

fail() { echo "FAIL: $*"; echo "--- output"; cat "$work/out"; exit 1; }
run() { "$script" -model 2 "$@" >"$work/out" 2>&1 || true; }
expect_line() { grep -qxF -- "$1" "$work/out" || fail "no line '$1'"; }
expect_text() { grep -qF -- "$1" "$work/out" || fail "no text '$1'"; }

start_hercules
host="127.0.0.1:$HERCULES_PORT"

# Directly, with the traffic log: the host's screen arrives in record mode.
run -trace "$work/traffic.log" <<EOF
connect $host
wait 10
screen
status
connect $host
disconnect
status
EOF
expect_line "message: 32853 SECURITY WARNING. Program has been started in log mode. All keyboard data (including password) will be copied to a log file. To turn off this feature select menu - settings - log traffic."
expect_text "My PC thinks it's a MAINFRAME"
expect_text "Device number     : 0010"
expect_line "status: |ONLINE |               |      |1,1|            "
expect_line "message: 32858 It is only possible to create 1 connection to a host from Lyrn TN3270."
expect_line "status: |OFFLINE|               |      |1,1|            "
log="$(cat "$work/traffic.log")"
grep -qE '^IBM 7\.1 [A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]{2} [0-9:]{8} [0-9]{4}$' <<<"$log" ||
    fail "no IBM entry header in the traffic log"
grep -q '^ff fd 18 ' <<<"$log" || fail "DO TERMINAL-TYPE not logged"
grep -q '^ff fb 18 ' <<<"$log" || fail "WILL TERMINAL-TYPE not logged"
grep -q '^ff fa 18 00 49 42 4d 2d 33 32 37 38 2d 32 2d 45 ' <<<"$log" ||
    fail "the terminal type IBM-3278-2-E not logged"

# Through the SOCKS 4 proxy.
start_dante
run <<EOF
set proxy_enable 1
set proxy_host 127.0.0.1
set proxy_port $DANTE_PORT
connect $host
wait 10
screen
EOF
expect_text "My PC thinks it's a MAINFRAME"
grep -q pass "$DANTE_LOG" || fail "dante passed no connection"

# Through the text-driven proxy: the login line, then the host.
start_text_proxy
run <<EOF
set proxy_enable 1
set proxy_socks_enable 0
set proxy_host 127.0.0.1
set proxy_port $TEXT_PROXY_PORT
connect $host
wait 10
screen
EOF
expect_text "My PC thinks it's a MAINFRAME"
grep -qF "127.0.0.1 $HERCULES_PORT" "$TEXT_PROXY_LOG" || fail "no login line at the text proxy"

# Nothing listens: the connection is refused.
refused="127.0.0.1:$(peers_free_port)"
run <<EOF
connect $refused
EOF
expect_line "message: 32855 Sorry, cannot create a connection to the selected host."
expect_line "error: Sorry, cannot create a connection to the selected host."

# The host goes away: the session is lost, or reconnects, or the program exits.
for mode in lost reconnect exit; do
    case $mode in
        lost) settings="" ;;
        reconnect) settings="set autoreconnect 1" ;;
        exit) settings="set exit 1" ;;
    esac
    : >"$HERCULES_LOG"
    "$script" -model 2 >"$work/out" 2>&1 <<EOF &
$settings
connect $host
wait 10
wait-disconnect 20
status
EOF
    client=$!
    for _ in $(seq 100); do grep -q HHCTE009I "$HERCULES_LOG" 2>/dev/null && break; sleep 0.1; done
    sleep 0.5
    stop_hercules
    wait "$client" || true
    case $mode in
        lost)
            expect_line "message: 32805 Connection to host has been lost"
            expect_line "status: |OFFLINE|               |      |1,1|            " ;;
        reconnect)
            grep -q 32805 "$work/out" && fail "lost message despite reconnect"
            expect_line "message: 32855 Sorry, cannot create a connection to the selected host." ;;
        exit)
            grep -q 32805 "$work/out" && fail "lost message despite exit"
            grep -q '^status:' "$work/out" && fail "commands ran after the exit" ;;
    esac
    start_hercules
    host="127.0.0.1:$HERCULES_PORT"
done
echo "all hercules checks passed"
