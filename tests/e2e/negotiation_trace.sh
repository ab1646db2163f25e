#!/bin/bash
# The on-screen negotiation trace of a host's TN3270 start (the bytes Hercules
# sends before its first screen), fed to kestrel-script's receive path offline:
# the replies go out as "sent:" lines and the trace stands on the screen.
# Usage: negotiation_trace.sh KESTREL_SCRIPT SOURCE_DIR
set -euo pipefail
script="$1"
XDG_CONFIG_HOME="$(mktemp -d)"
export XDG_CONFIG_HOME
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT

output="$("$script" -model 2 <<'EOF' | sed 's/ *$//' | sed '/^$/d'
set show_negotiation 1
feed FF FD 18
feed FF FA 18 01 FF F0
feed FF FD 19 FF FB 19
feed FF FD 00 FF FB 00
screen
EOF
)"
expected="ok
sent: FFFB18
ok
sent: FFFA180049424D2D333237382D322D45FFF0
ok
sent: FFFB19
sent: FFFD19
ok
sent: FFFB00
sent: FFFD00
ok
HOST: IAC DO TN_TERMTYPE
CLIENT: IAC  WILL TN_TERMTYPE
HOST: IAC SB TN_TERMTYPE 01 SE
CLIENT: IAC SB TERMTYPE IS IBM-3278-2-E  IAC SE
HOST: IAC DO EOR
CLIENT: IAC  WILL EOR
HOST: IAC WILL EOR
CLIENT: IAC  DO EOR
HOST: IAC DO TN_TRANSBIT_BINARY
CLIENT: IAC  WILL TN_TRANSBIT_BINARY
HOST: IAC WILL TN_TRANSBIT_BINARY
CLIENT: IAC  DO TN_TRANSBIT_BINARY
ok"
if [ "$output" != "$expected" ]; then
    diff <(echo "$expected") <(echo "$output") || true
    exit 1
fi
