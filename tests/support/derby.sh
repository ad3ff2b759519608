#!/usr/bin/env bash
# Apache Derby's network server (Debian's libderby-java), a real DRDA server that is not DB2, for
# the tests that need one: started on 127.0.0.1 on a free port, its home and its log in the
# folder given, which nothing else uses; stopped again, the folder removed. A server that is never
# stopped (the tests killed) ends by itself after a quarter of an hour.
#
#   derby.sh avvia <cartella>   starts it; the port it listens on is in <cartella>/porta
#   derby.sh ferma <cartella>   stops it (shutdown, then kill) and removes <cartella>
set -uo pipefail

azione="${1:-}"
cartella="${2:-}"
classi=/usr/share/java/derby.jar:/usr/share/java/derbynet.jar
controllo=org.apache.derby.drda.NetworkServerControl
[ -n "$cartella" ] || {
    echo "usage: $0 avvia|ferma <cartella>" >&2
    exit 2
}

ferma() {
    local porta pid
    porta=$(cat "$cartella/porta" 2>/dev/null)
    pid=$(cat "$cartella/pid" 2>/dev/null)
    if [ -n "$porta" ]; then
        timeout 60 java -cp "$classi" "$controllo" shutdown -h 127.0.0.1 -p "$porta" \
            </dev/null >/dev/null 2>&1
    fi
    if [ -n "$pid" ]; then
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$pid" 2>/dev/null && sleep 1
        kill -9 "$pid" 2>/dev/null
    fi
    rm -rf "$cartella"
}

avvia() {
    local porta pid
    for f in /usr/share/java/derby.jar /usr/share/java/derbynet.jar; do
        [ -f "$f" ] || {
            echo "derby.sh: $f is missing (Debian's libderby-java)" >&2
            return 1
        }
    done
    command -v java >/dev/null || {
        echo "derby.sh: java is missing (Debian's default-jre-headless)" >&2
        return 1
    }
    for _ in $(seq 10); do
        rm -rf "$cartella"
        mkdir -p "$cartella/home"
        porta=$((20000 + RANDOM % 40000))
        # Its own process group; no pipe of the caller held open; a quarter of an hour at most.
        setsid timeout --kill-after=10 900 java -Dderby.system.home="$cartella/home" -cp "$classi" \
            "$controllo" start -h 127.0.0.1 -p "$porta" </dev/null >"$cartella/derby.log" 2>&1 &
        pid=$!
        echo "$pid" >"$cartella/pid"
        for _ in $(seq 300); do
            if grep -q "started and ready to accept connections on port $porta" \
                "$cartella/derby.log"; then
                echo "$porta" >"$cartella/porta"
                echo "Apache Derby's network server on 127.0.0.1, port $porta (pid $pid)"
                return 0
            fi
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.2
        done
        cat "$cartella/derby.log" >&2
        ferma
    done
    echo "derby.sh: Derby's network server did not start" >&2
    return 1
}

case "$azione" in
    avvia) avvia ;;
    ferma) ferma ;;
    *)
        echo "usage: $0 avvia|ferma <cartella>" >&2
        exit 2
        ;;
esac
