#!/bin/bash
# kestrel-script over SSL 3.0 to Hercules, through our SSL test server: directly
# and through dante as SOCKS 4 proxy; and the ways a bad server ends it.
# Usage: ssl_session.sh KESTREL_SCRIPT SOURCE_DIR
set -euo pipefail
script="$1"
export KESTREL_SCRIPT="$script"
peers="$(dirname "$0")/peers"
source "$peers/hercules.sh"
source "$peers/dante.sh"
source "$peers/ssl_server.sh"

work="$(mktemp -d)"
peers_on_exit "rm -rf '$work'"
export XDG_CONFIG_HOME="$work/config"

fail() { echo "FAIL: $*"; echo "--- output"; cat "$work/out"; echo "--- server"; cat "$SSL_SERVER_LOG"; exit 1; }
expect_line() { grep -qxF -- "$1" "$work/out" || fail "no line '$1'"; }
expect_text() { grep -qF -- "$1" "$work/out" || fail "no text '$1'"; }

HERCULES_3270_DEVICES=16 start_hercules

for suite in 4 5; do
    start_ssl_server "127.0.0.1:$HERCULES_PORT" -suite "$suite"
    "$script" -model 2 >"$work/out" 2>&1 <<EOF || true
set ssl 1
connect 127.0.0.1:$SSL_SERVER_PORT
wait 15
screen
status
EOF
    expect_text "My PC thinks it's a MAINFRAME"
    expect_line "status: |ONLINE-SSL|               |      |1,1|            "
    grep -q "client finished ok" "$SSL_SERVER_LOG" || fail "suite $suite: client Finished not accepted"
    stop_ssl_server
done

# What the server sends decides how the handshake ends: "ok" when the host's
# screen arrives, else the alert the client must send or the message it shows.
while IFS='|' read -r bits options outcome; do
    SSL_SERVER_KEY_BITS="$bits" start_ssl_server "127.0.0.1:$HERCULES_PORT" $options
    "$script" -model 2 >"$work/out" 2>&1 <<EOF || true
set ssl 1
connect 127.0.0.1:$SSL_SERVER_PORT
wait 15
screen
EOF
    case $outcome in
        ok) expect_text "My PC thinks it's a MAINFRAME" ;;
        alert*) grep -q "client ${outcome}" "$SSL_SERVER_LOG" || fail "$bits $options: no client ${outcome}" ;;
        *) expect_line "$outcome" ;;
    esac
    stop_ssl_server
done <<'CASES'
1024||ok
4096||alert 2:46
2048|-server-key-exchange|ok
2048|-certificate-request|alert 1:41
2048|-suite 9|alert 2:40
2048|-hello-request|alert 2:40
2048|-alert 2:40|message: 0 Host sends SSL Security Alert type 40. Session MUST terminate
CASES

# Through the SOCKS proxy: the handshake starts once the proxy has granted.
start_dante
start_ssl_server "127.0.0.1:$HERCULES_PORT"
"$script" -model 2 >"$work/out" 2>&1 <<EOF || true
set ssl 1
set proxy_enable 1
set proxy_host 127.0.0.1
set proxy_port $DANTE_PORT
connect 127.0.0.1:$SSL_SERVER_PORT
wait 15
screen
EOF
expect_text "My PC thinks it's a MAINFRAME"
stop_ssl_server

# A record with a wrong MAC ends the session.
start_ssl_server "127.0.0.1:$HERCULES_PORT" -bad-mac
"$script" -model 2 >"$work/out" 2>&1 <<EOF || true
set ssl 1
connect 127.0.0.1:$SSL_SERVER_PORT
wait-disconnect 15
status
EOF
grep -q '^message: ' "$work/out" || fail "no message for the wrong MAC"
expect_line "status: |OFFLINE|               |      |1,1|            "
echo "ssl session passed"
