# Starts and stops a throwaway MariaDB server on a free loopback port; meant to be sourced.
#
#   mariadb_start
#       makes a data folder in a new temporary folder (MARIADB_DIR), starts the server on
#       127.0.0.1, and exports VORLAN_DSN, VORLAN_DB_USER and VORLAN_DB_PASSWORD for a fresh
#       database whose user may also create databases. As root the server runs as an
#       unprivileged user (see dbserver.sh).
#   mariadb_stop
#       stops it and removes its folder.

source "$(dirname "${BASH_SOURCE[0]}")/dbserver.sh"

mariadb_start() {
    local port attempt password
    command -v mariadbd >/dev/null || { echo "mariadb_start: no MariaDB server (Debian: mariadb-server)" >&2; return 1; }
    MARIADB_DIR=$(db_server_folder mariadb) || return 1
    db_server_as mariadb-install-db --no-defaults --datadir="$MARIADB_DIR/data" --skip-test-db \
        --auth-root-authentication-method=socket --user="$(db_server_as id -un)" >"$MARIADB_DIR/install.log" 2>&1 \
        || { cat "$MARIADB_DIR/install.log" >&2; return 1; }
    password=$(db_server_password)
    for attempt in $(seq 1 20); do
        port=$((40001 + RANDOM % 20000))
        # Durability is of no use to a server that lives for one run.
        db_server_as mariadbd --no-defaults --datadir="$MARIADB_DIR/data" --port="$port" --bind-address=127.0.0.1 \
            --socket="$MARIADB_DIR/socket" --pid-file="$MARIADB_DIR/pid" --skip-name-resolve --skip-log-bin \
            --innodb-flush-log-at-trx-commit=0 --innodb-buffer-pool-size=32M >"$MARIADB_DIR/server.log" 2>&1 &
        MARIADB_PID=$!
        while kill -0 "$MARIADB_PID" 2>/dev/null; do
            if grep -qs "port: $port" "$MARIADB_DIR/server.log"; then
                # The server's own account is the one that logs in through the socket.
                db_server_as mariadb --no-defaults -S "$MARIADB_DIR/socket" -u "$(db_server_as id -un)" -e "
                    CREATE DATABASE vorlan;
                    CREATE USER vorlan@'127.0.0.1' IDENTIFIED BY '$password';
                    GRANT ALL ON *.* TO vorlan@'127.0.0.1';" || return 1
                export VORLAN_DSN="mysql:host=127.0.0.1;port=$port;dbname=vorlan;charset=utf8mb4"
                export VORLAN_DB_USER=vorlan VORLAN_DB_PASSWORD=$password
                return 0
            fi
            sleep 0.1
        done
    done
    echo "mariadb_start: the server did not start; its log:" >&2
    cat "$MARIADB_DIR/server.log" >&2
    return 1
}

mariadb_stop() {
    [ -n "${MARIADB_DIR:-}" ] || return 0
    local pid attempt
    # The server's own pid: runuser, started here, does not pass the signal on.
    pid=$(cat "$MARIADB_DIR/pid" 2>/dev/null)
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null
        for attempt in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    fi
    [ -n "${MARIADB_PID:-}" ] && wait "$MARIADB_PID" 2>/dev/null
    rm -rf "$MARIADB_DIR"
    unset VORLAN_DSN VORLAN_DB_USER VORLAN_DB_PASSWORD MARIADB_DIR MARIADB_PID
    return 0
}
