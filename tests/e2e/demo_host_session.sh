#!/bin/bash
# kestrel-script works with the demo host as an operator would: log on, choose
# a menu option, read the echoed text, go back with PF3; and with autologin on
# the logon panel is filled once, by itself.
# Usage: demo_host_session.sh KESTREL_SCRIPT SOURCE_DIR
set -euo pipefail
script="$1"
host_binary="$(dirname "$script")/kestrel-demo-host"
work="$(mktemp -d)"
export XDG_CONFIG_HOME="$work/config"
"$host_binary" -port 0 >"$work/host.out" 2>"$work/host.log" &
host_pid=$!
trap 'kill $host_pid 2>/dev/null || true; wait $host_pid 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 50); do grep -q '^listening on' "$work/host.out" && break; sleep 0.1; done
port="$(awk '/^listening on/ {print $3}' "$work/host.out")"
[ -n "$port" ] || { echo "the demo host did not start"; cat "$work/host.log"; exit 1; }

fail() { echo "FAIL: $*"; echo "--- output"; cat "$work/out"; echo "--- host"; cat "$work/host.log"; exit 1; }
expect_text() { grep -qF -- "$1" "$work/out" || fail "no text '$1'"; }

"$script" -model 2 >"$work/out" 2>&1 <<EOF || fail "a command failed"
connect 127.0.0.1:$port
wait 10
type alice
key TAB
type wrong
key ENTER
wait 10
screen
type alice
key TAB
type demo
key ENTER
wait 10
screen
type 1
key ENTER
wait 10
type hello, world
key ENTER
wait 10
screen
key PF3
wait 10
screen
status
EOF
expect_text "INVALID PASSWORD"
expect_text "LOGGED ON AS alice"
expect_text "YOU TYPED: hello, world"
grep -c "KESTREL DEMO HOST - MAIN MENU" "$work/out" | grep -qx 2 || fail "PF3 did not return to the menu"
grep -qx 'status: |ONLINE |               |      |9,14|            ' "$work/out" ||
    fail "cursor not in the option field after PF3"
grep -q 'query reply, 99 bytes' "$work/host.log" || fail "no query reply at the host"

# The automatic login types the user and password into the first screen, once.
"$script" -model 2 >"$work/out" 2>&1 <<EOF || fail "a command failed"
set autologin 1
set user bob
set password demo
connect 127.0.0.1:$port
wait 10
wait 10
screen
EOF
expect_text "LOGGED ON AS bob"
[ "$(grep -c 'panel MENU (user bob' "$work/host.log")" -eq 1 ] || fail "autologin did not log on exactly once"
echo "demo host session passed"
