# Starts and stops a throwaway PostgreSQL server on a free loopback port; meant to be sourced.
#
#   pg_start
#       makes a cluster in a new temporary folder (PG_DIR), starts it on 127.0.0.1 with
#       password authentication, and exports VORLAN_DSN, VORLAN_DB_USER and
#       VORLAN_DB_PASSWORD for a fresh database. As root the server runs as an unprivileged
#       user (see dbserver.sh).
#   pg_stop
#       stops it (immediately) and removes its folder.

source "$(dirname "${BASH_SOURCE[0]}")/dbserver.sh"
PG_BIN=${PG_BIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)}

pg_start() {
    local port attempt password
    [ -x "$PG_BIN/initdb" ] || { echo "pg_start: no PostgreSQL server (Debian: postgresql)" >&2; return 1; }
    PG_DIR=$(db_server_folder pg) || return 1
    password=$(db_server_password)
    # initdb, running as the server's user, reads the password from a file of that user's.
    db_server_as sh -c 'cat >"$1"' _ "$PG_DIR/pwfile" <<<"$password"
    db_server_as "$PG_BIN/initdb" -D "$PG_DIR/data" -U vorlan --pwfile="$PG_DIR/pwfile" --auth=scram-sha-256 \
        --no-sync -E UTF8 --locale=C.UTF-8 >"$PG_DIR/initdb.log" 2>&1 \
        || { cat "$PG_DIR/initdb.log" >&2; return 1; }
    for attempt in $(seq 1 20); do
        port=$((40001 + RANDOM % 20000))
        # Durability is of no use to a server that lives for one run.
        if db_server_as "$PG_BIN/pg_ctl" -D "$PG_DIR/data" -l "$PG_DIR/server.log" -w -t 30 start \
            -o "-c listen_addresses=127.0.0.1 -p $port -k $PG_DIR -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
            >/dev/null 2>&1; then
            export PG_PORT=$port VORLAN_DB_USER=vorlan VORLAN_DB_PASSWORD=$password
            export VORLAN_DSN="pgsql:host=127.0.0.1;port=$port;dbname=vorlan"
            PGPASSWORD=$password psql -q -X -h 127.0.0.1 -p "$port" -U vorlan -d postgres \
                -c 'CREATE DATABASE vorlan' >/dev/null
            return

        fi
    done
    echo "pg_start: the server did not start; its log:" >&2
    cat "$PG_DIR/server.log" >&2
    return 1
}

pg_stop() {
    [ -n "${PG_DIR:-}" ] || return 0
    [ -f "$PG_DIR/data/postmaster.pid" ] && db_server_as "$PG_BIN/pg_ctl" -D "$PG_DIR/data" -m immediate -w stop >/dev/null 2>&1
    rm -rf "$PG_DIR"
    unset VORLAN_DSN VORLAN_DB_USER VORLAN_DB_PASSWORD PG_PORT PG_DIR
    return 0
}
