#!/bin/bash
# kestrel-script reads its settings from the desktop terminal's store: a new
# named configuration starts from configuration 1, and nothing is written back.
# Usage: configuration.sh KESTREL_SCRIPT SOURCE_DIR
set -euo pipefail
script="$1"
XDG_CONFIG_HOME="$(mktemp -d)"
export XDG_CONFIG_HOME
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
mkdir -p "$XDG_CONFIG_HOME/Quenta"
store="$XDG_CONFIG_HOME/Quenta/kestrel.conf"
printf '[Version%%201.0]\n1\\color_bg=0\n1\\port=992\n1\\host_name=mvs.example.com\n' > "$store"
before="$(cat "$store")"

check() {  # check OPTIONS... -- EXPECTED: runs the commands on stdin
    local expected="${*: -1}"
    local output
    output="$("$script" "${@:1:$#-1}")"
    if [ "$output" != "$expected" ]; then
        echo "kestrel-script $*: expected"; echo "$expected"; echo "got"; echo "$output"
        exit 1
    fi
}

check -C 2 "port=992
ok
host_name=mvs.example.com
ok
ok
port=23
ok" <<'COMMANDS'
get port
get host_name
set port 23
get port
COMMANDS

check -C 1 -model 2 "port=992
ok
alternate=24
ok" <<'COMMANDS'
get port
get alternate
COMMANDS

[ "$(cat "$store")" = "$before" ] || { echo "the store was written"; exit 1; }
