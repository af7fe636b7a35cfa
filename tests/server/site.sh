# Starts and stops the reference site on a free loopback port; meant to be sourced.
#
#   site_start <dbfile> [<logfile>]
#       starts `php -S` on 127.0.0.1 with VORLAN_DB=<dbfile> and the caller's
#       VORLAN_SITE_PASSWORD, if set; the log goes to <logfile> (default <dbfile>.log).
#       SITE_HOST=<host> serves on another address (IPv6 in brackets: [2001:db8::1]).
#       Exports SITE_URL (http://127.0.0.1:PORT, no trailing slash), SITE_PID and SITE_LOG.
#       With SITE_PLAIN=1 the server runs without server/router.php, exactly as the README's
#       plain command does; SITE_DOCROOT=<dir> serves a copy of server/ from <dir> instead.
#       VORLAN_DSN and the other settings of the caller's environment reach the site, and so
#       does PHP_CLI_SERVER_WORKERS (requests served by that many processes at once).
#       SITE_PHP_OPTIONS adds options for php itself (for example "-d opcache.enable_cli=1").
#   site_stop [<pid>]
#       stops the site with that pid, by default the one started last.

SITE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../server" && pwd)

site_start() {
    local db=$1 log=${2:-$1.log} port attempt root=${SITE_DOCROOT:-$SITE_ROOT} host=${SITE_HOST:-127.0.0.1}
    local router=("$root/router.php")
    [ -n "$db" ] || { echo "site_start: no database file given" >&2; return 2; }
    [ "${SITE_PLAIN:-0}" = 1 ] && router=()
    for attempt in $(seq 1 20); do
        port=$((20000 + RANDOM % 20001))
        # Whatever php.ini says, errors go to the log only (startup ones included, which no
        # script can silence), and replies do not name the PHP version.
        # shellcheck disable=SC2086
        VORLAN_DB=$db php ${SITE_PHP_OPTIONS:-} -d display_errors=0 -d display_startup_errors=0 -d log_errors=1 -d expose_php=0 \
            -S "$host:$port" -t "$root" "${router[@]}" >"$log" 2>&1 &
        SITE_PID=$!
        # The server announces a successful bind in its log; on a busy port it exits instead.
        while kill -0 "$SITE_PID" 2>/dev/null; do
            if grep -qsF "Development Server (http://$host:$port) started" "$log"; then
                export SITE_URL="http://$host:$port" SITE_PID SITE_LOG=$log
                return 0
            fi
            sleep 0.05
        done
        wait "$SITE_PID" 2>/dev/null
    done
    echo "site_start: could not start the site; its last log:" >&2
    cat "$log" >&2
    return 1
}

site_stop() {
    local pid=${1:-${SITE_PID:-}}
    [ -n "$pid" ] || return 0
    # The worker processes of PHP_CLI_SERVER_WORKERS outlive their parent unless stopped too.
    # shellcheck disable=SC2046
    kill $(pgrep -P "$pid") "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null || true
    [ "$pid" = "${SITE_PID:-}" ] && unset SITE_PID SITE_URL
    return 0
}
