# Starts and stops the reference site on a free loopback port; meant to be sourced.
#
#   site_start <dbfile>   starts `php -S` on 127.0.0.1 with VORLAN_DB=<dbfile> (and the caller's
#                         VORLAN_SITE_PASSWORD, if set); exports SITE_URL (no trailing slash),
#                         SITE_PID and SITE_LOG (the server's log, <dbfile>.log)
#   site_stop             stops the site started last

SITE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../server" && pwd)

site_start() {
    local db=$1 port attempt
    [ -n "$db" ] || { echo "site_start: no database file given" >&2; return 2; }
    SITE_LOG=$db.log
    for attempt in $(seq 1 20); do
        port=$((20000 + RANDOM % 20001))
        VORLAN_DB=$db php -S "127.0.0.1:$port" -t "$SITE_ROOT" "$SITE_ROOT/router.php" >"$SITE_LOG" 2>&1 &
        SITE_PID=$!
        # The server announces a successful bind in its log; a busy port makes it exit instead.
        while kill -0 "$SITE_PID" 2>/dev/null; do
            if grep -q "Development Server (http://127.0.0.1:$port) started" "$SITE_LOG"; then
                export SITE_URL="http://127.0.0.1:$port" SITE_PID SITE_LOG
                return 0
            fi
            sleep 0.05
        done
        wait "$SITE_PID" 2>/dev/null
    done
    echo "site_start: no free port found; last log:" >&2
    cat "$SITE_LOG" >&2
    return 1
}

site_stop() {
    [ -n "$SITE_PID" ] || return 0
    kill "$SITE_PID" 2>/dev/null
    wait "$SITE_PID" 2>/dev/null
    unset SITE_PID SITE_URL
}
