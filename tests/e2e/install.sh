#!/bin/bash
# cmake --install puts the programs, the supplied files and the desktop entry
# (which makes Kestrel the handler of tn3270:// links) in place.
# Usage: install.sh KESTREL_SCRIPT SOURCE_DIR
set -euo pipefail
build="$(dirname "$(dirname "$1")")"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

for file in bin/kestrel bin/kestrel-script share/kestrel/tnkeys.map share/kestrel/ebcdic.map \
            share/kestrel/ebcdic.ger share/kestrel/config32.txt \
            share/applications/kestrel.desktop share/icons/hicolor/scalable/apps/kestrel.svg; do
    [ -e "$prefix/$file" ] || { echo "not installed: $file"; exit 1; }
done
[ -x "$prefix/bin/kestrel" ] || { echo "kestrel is not executable"; exit 1; }

entry="$prefix/share/applications/kestrel.desktop"
for line in 'Type=Application' 'Exec=kestrel /H %u' 'MimeType=x-scheme-handler/tn3270;' 'Icon=kestrel'; do
    grep -qxF "$line" "$entry" || { echo "desktop entry lacks: $line"; exit 1; }
done
echo "install ok"
