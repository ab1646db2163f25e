#!/bin/bash
# A host record handed to kestrel-script shows on the screen and in the status line.
# Usage: offline_record.sh KESTREL_SCRIPT SOURCE_DIR
set -euo pipefail
script="$1"
data="$2/data"
# The settings store lives in a home of this test's own.
XDG_CONFIG_HOME="$(mktemp -d)"
export XDG_CONFIG_HOME
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT

output="$("$script" -codepage "$data/ebcdic.map" <<'COMMANDS'
record F5 C3 11 40 40 1D 60 C8 C5 D3 D3 D6
screen
status
COMMANDS
)"

blank_row="$(printf '%80s' '')"
expected="ok
 HELLO$(printf '%74s' '')"
for _ in $(seq 2 24); do expected+=$'\n'"$blank_row"; done
expected+="
ok
status: |OFFLINE|               |      |1,1|            
ok"

if [ "$output" != "$expected" ]; then
    echo "unexpected output:"; diff <(echo "$expected") <(echo "$output") || true
    exit 1
fi

# Commands not built yet answer honestly, and any error makes the exit status 1.
set +e
answer="$(echo 'macro record 1' | "$script" -codepage "$data/ebcdic.map")"
status=$?
set -e
[ "$answer" = "error: not available" ] && [ "$status" -eq 1 ] || {
    echo "macro answered '$answer' with status $status"; exit 1; }
