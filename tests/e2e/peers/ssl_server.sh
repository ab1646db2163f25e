# shellcheck shell=bash
# kestrel-ssl-test-server (tests/ssl_server), an SSL 3.0 server that relays the
# decrypted data to a TN3270 host, on a free loopback port. Source this file, then:
#
#   start_ssl_server [HOST:PORT] [OPTIONS...]
#                       starts it in front of HOST:PORT, by default Hercules
#                       (127.0.0.1:$HERCULES_PORT); OPTIONS go to the server
#                       (-suite N, -server-key-exchange, -ske-bits N,
#                       -certificate-request, -hello-request, -alert LEVEL:CODE,
#                       -bad-mac, -once; a -cert FILE -key FILE pair replaces the
#                       generated one). Exports SSL_SERVER_PORT (127.0.0.1),
#                       SSL_SERVER_PID, SSL_SERVER_LOG, SSL_SERVER_DIR (temp dir,
#                       with cert.pem and key.pem) and SSL_SERVER_CERT.
#   stop_ssl_server     stops it and removes the temp dir; also runs at exit.
#
# The program is $SSL_SERVER_BIN, by default kestrel-ssl-test-server next to
# $KESTREL_SCRIPT (the built kestrel-script, the e2e scripts' first argument).
# The certificate is self-signed, made afresh by the openssl command for each
# start, with an RSA key of $SSL_SERVER_KEY_BITS bits (default 2048; 1024 and
# 4096 are the interesting other sizes); subject
# /C=DK/ST=Sjaelland/L=Copenhagen/O=Kestrel Test/OU=Terminals/CN=localhost.
#
# SSL_SERVER_LOG holds "listening on PORT", then one line per step, each prefixed
# with "#N " (the connection's number), e.g.:
#   #1 connection from 127.0.0.1:40312
#   #1 client hello version 3.0, session id 0 bytes, suites 0004, compression 00
#   #1 suite 4
#   #1 sent server hello, certificate (1, first 1001 bytes), server hello done
#   #1 client alert 1:41                  (any alert from the client, LEVEL:CODE)
#   #1 client key exchange 256 bytes, pre-master version 3.0
#   #1 client change cipher spec
#   #1 client finished ok                 (or "client finished BAD (...)")
#   #1 server finished sent
#   #1 sent hello request / sent alert 2:40
#   #1 relaying to 127.0.0.1:PORT
#   #1 sent application data (N bytes) with a corrupted MAC    (-bad-mac)
#   #1 closed: client closed the connection   (or the target, or the fault)
# Faults get lines of their own: "bad record header ...", "client record MAC BAD",
# "client key exchange BAD: ...", "client hello version is not 3.0".

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

start_ssl_server() {
    local target bits="${SSL_SERVER_KEY_BITS:-2048}"
    local bin="${SSL_SERVER_BIN:-$(dirname "${KESTREL_SCRIPT:-.}")/kestrel-ssl-test-server}"
    [ -z "${SSL_SERVER_PID:-}" ] || { echo "start_ssl_server: already running" >&2; return 1; }
    if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then
        target="$1"
        shift
    elif [ -n "${HERCULES_PORT:-}" ]; then
        target="127.0.0.1:$HERCULES_PORT"
    else
        echo "start_ssl_server: no HOST:PORT given and no HERCULES_PORT" >&2
        return 1
    fi
    [ -x "$bin" ] || { echo "start_ssl_server: no program $bin (set SSL_SERVER_BIN or KESTREL_SCRIPT)" >&2; return 1; }
    bin="$(cd "$(dirname "$bin")" && pwd)/$(basename "$bin")"  # it runs in its own dir
    SSL_SERVER_DIR="$(mktemp -d "${TMPDIR:-/tmp}/kestrel-ssl-server.XXXXXX")"
    SSL_SERVER_LOG="$SSL_SERVER_DIR/ssl_server.log"
    SSL_SERVER_CERT="$SSL_SERVER_DIR/cert.pem"
    export SSL_SERVER_DIR SSL_SERVER_LOG SSL_SERVER_CERT
    peers_on_exit stop_ssl_server
    if ! openssl req -x509 -newkey "rsa:$bits" -nodes -days 2 \
            -subj "/C=DK/ST=Sjaelland/L=Copenhagen/O=Kestrel Test/OU=Terminals/CN=localhost" \
            -keyout "$SSL_SERVER_DIR/key.pem" -out "$SSL_SERVER_CERT" >"$SSL_SERVER_DIR/openssl.out" 2>&1; then
        echo "start_ssl_server: openssl req failed:" >&2
        sed 's/^/    /' "$SSL_SERVER_DIR/openssl.out" >&2
        stop_ssl_server
        return 1
    fi
    # It binds port 0 itself, so there is no race for the port. Options given
    # later win, so a -cert/-key pair in "$@" replaces the generated one.
    if peers_launch "@$SSL_SERVER_DIR/port" "$SSL_SERVER_DIR" "$SSL_SERVER_LOG" \
            "$bin" -port 0 -port-file "$SSL_SERVER_DIR/port" -target "$target" \
            -cert "$SSL_SERVER_CERT" -key "$SSL_SERVER_DIR/key.pem" "$@"; then
        SSL_SERVER_PID="$_peers_pid"
        SSL_SERVER_PORT="$_peers_port"
        export SSL_SERVER_PORT SSL_SERVER_PID
        return 0
    fi
    peers_start_failed kestrel-ssl-test-server "(its own)" "$SSL_SERVER_LOG"
    stop_ssl_server
    return 1
}

stop_ssl_server() {
    if [ -n "${SSL_SERVER_PID:-}" ]; then
        peers_stop_group "$SSL_SERVER_PID"
    fi
    [ -n "${SSL_SERVER_DIR:-}" ] && rm -rf "$SSL_SERVER_DIR"
    unset SSL_SERVER_PORT SSL_SERVER_PID SSL_SERVER_DIR SSL_SERVER_LOG SSL_SERVER_CERT
}
