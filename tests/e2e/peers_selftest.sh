#!/bin/bash
# The real peers of the connection tests (tests/e2e/peers) start, answer as the
# tests expect, and leave nothing running: Hercules negotiates TN3270 and shows its
# connection screen, danted grants a SOCKS 4 CONNECT to it, the text proxy relays
# to it, and a test shell killed with SIGKILL takes its peers along.
# Usage: peers_selftest.sh [KESTREL_SCRIPT SOURCE_DIR] (both unused)
set -euo pipefail
peers="$(cd "$(dirname "${BASH_SOURCE[0]}")/peers" && pwd)"
source "$peers/hercules.sh"
source "$peers/dante.sh"
source "$peers/text_proxy.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }
probe() { "$PEERS_PYTHON" "$peers/tn_probe.py" --timeout 5 "$@"; }

start_hercules || fail "hercules did not start"
start_dante || fail "danted did not start"
start_text_proxy || fail "the text proxy did not start"
pids=("$HERCULES_PID" "$DANTE_PID" "$TEXT_PROXY_PID")
dirs=("$HERCULES_DIR" "$DANTE_DIR" "$TEXT_PROXY_DIR")

# Direct: the negotiation steps in order, then the screen of the first device.
out="$(probe --expect "Device number     : 0010" --expect "My PC thinks it's a MAINFRAME" \
    "$HERCULES_PORT")" || fail "direct connection: $out"
steps="$(grep '^S ' <<<"$out" | sed -n 1,4p)"
[ "$steps" = "S ff fd 18
S ff fa 18 01 ff f0
S ff fd 19 ff fb 19
S ff fd 00 ff fb 00" ] || fail "unexpected negotiation from hercules: $steps"
grep -q "^S f5 " <<<"$out" || fail "the first record is not an Erase/Write: $out"

# SOCKS 4 with the default login template as user id, literally.
out="$(probe --socks4 "$DANTE_PORT" --socks-user '$1 $2\015\012' \
    --expect "Device number     : 0011" "$HERCULES_PORT")" || fail "through danted: $out"
grep -q '^C 04 01 .* 24 31 20 24 32 5c 30 31 35 5c 30 31 32 00$' <<<"$out" ||
    fail "the SOCKS request was not as meant: $out"
grep -q '^socks reply: 00 5a ' <<<"$out" || fail "no SOCKS grant: $out"
grep -q 'pass(.*tcp/connect' "$DANTE_LOG" || fail "danted logged no passed connect"
# A destination where nothing listens is refused with 91.
closed_port="$(peers_free_port)"
out="$(probe --socks4 "$DANTE_PORT" "$closed_port")" && fail "granted to a closed port: $out"
grep -q '^socks reply: 00 5b ' <<<"$out" || fail "no SOCKS refusal for a closed port: $out"

# The text proxy: prompt, login line, "connected", then Hercules behind it.
out="$(probe --text-proxy "$TEXT_PROXY_PORT" --expect "Device number     : 0012" \
    "$HERCULES_PORT")" || fail "through the text proxy: $out"
grep -qx "connect 127.0.0.1 $HERCULES_PORT" "$TEXT_PROXY_LOG" ||
    fail "the text proxy did not log the connect: $(cat "$TEXT_PROXY_LOG")"

stop_text_proxy
stop_dante
stop_hercules
if running="$(peers_group_alive "${pids[@]}")"; then
    fail "process groups $running still run after stop"
fi
for dir in "${dirs[@]}"; do
    [ ! -e "$dir" ] || fail "$dir left behind"
done

# A test shell that dies by SIGKILL, which runs no trap, still takes its peers along.
record="$(mktemp)"
peers_on_exit "rm -f '$record'"
# (The subshell only keeps bash's "Killed" job report off the output.)
(bash -c 'source "$1/hercules.sh"; source "$1/dante.sh"; source "$1/text_proxy.sh"
    start_hercules && start_dante && start_text_proxy || exit 1
    echo "$HERCULES_PID $DANTE_PID $TEXT_PROXY_PID $HERCULES_DIR $DANTE_DIR $TEXT_PROXY_DIR" >"$2"
    kill -KILL $$' killed "$peers" "$record" 2>&3; exit $?) 3>&2 2>/dev/null || status=$?
[ "${status:-0}" -eq 137 ] || fail "the shell to be killed ended with status ${status:-0}"
read -r -a left <"$record" || fail "the killed shell started no peers"
[ "${#left[@]}" -eq 6 ] || fail "the killed shell started no peers"
peers_on_exit "rm -rf '${left[3]}' '${left[4]}' '${left[5]}'"
for _ in $(seq 30); do
    outlived="$(peers_group_alive "${left[@]:0:3}")" || break
    sleep 0.1
done
if [ -n "$outlived" ]; then
    for pid in $outlived; do kill -KILL -- "-$pid" 2>/dev/null || true; done
    fail "process groups $outlived outlived their killed shell"
fi
echo "peers self-test passed"
