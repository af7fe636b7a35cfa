# Starts and stops a throwaway PostgreSQL server on a free loopback port; meant to be sourced.
#
#   pg_start
#       makes a cluster in a new temporary folder (PG_DIR, owned by the server's user,
#       outside any folder that user could not enter), starts it on
#       127.0.0.1 with password authentication, and exports VORLAN_DSN, VORLAN_DB_USER and
#       VORLAN_DB_PASSWORD for a fresh database. As root the server runs as the unprivileged
#       user PG_USER (default nobody), since PostgreSQL refuses to run as root.
#   pg_stop
#       stops it (immediately) and removes its folder.
#   pg_sql <sql>
#       runs one statement in that database as its owner.

PG_BIN=${PG_BIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)}

pg_as() {
    if [ "$(id -u)" = 0 ]; then
        runuser -u "${PG_USER:-nobody}" -- "$@"
    else
        "$@"
    fi
}

pg_start() {
    local port attempt password
    [ -x "$PG_BIN/initdb" ] || { echo "pg_start: no PostgreSQL server (Debian: postgresql)" >&2; return 1; }
    PG_DIR=$(mktemp -d "${TMPDIR:-/tmp}/vorlan-pg.XXXXXX")
    [ "$(id -u)" = 0 ] && chown "${PG_USER:-nobody}" "$PG_DIR"
    password=$(head -c 12 /dev/urandom | od -An -tx1 | tr -d ' \n')
    printf '%s\n' "$password" >"$PG_DIR/pwfile"
    [ "$(id -u)" = 0 ] && chown "${PG_USER:-nobody}" "$PG_DIR/pwfile"
    pg_as "$PG_BIN/initdb" -D "$PG_DIR/data" -U vorlan --pwfile="$PG_DIR/pwfile" --auth=scram-sha-256 \
        --no-sync -E UTF8 --locale=C.UTF-8 >"$PG_DIR/initdb.log" 2>&1 \
        || { cat "$PG_DIR/initdb.log" >&2; return 1; }
    for attempt in $(seq 1 20); do
        port=$((40001 + RANDOM % 20000))
        # Durability is of no use to a server that lives for one run.
        if pg_as "$PG_BIN/pg_ctl" -D "$PG_DIR/data" -l "$PG_DIR/server.log" -w -t 30 start \
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
    [ -f "$PG_DIR/data/postmaster.pid" ] && pg_as "$PG_BIN/pg_ctl" -D "$PG_DIR/data" -m immediate -w stop >/dev/null 2>&1
    rm -rf "$PG_DIR"
    unset VORLAN_DSN VORLAN_DB_USER VORLAN_DB_PASSWORD PG_PORT PG_DIR
    return 0
}

pg_sql() {
    PGPASSWORD=$VORLAN_DB_PASSWORD psql -q -X -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$PG_PORT" -U vorlan -d vorlan -c "$1"
}
