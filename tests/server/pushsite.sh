# Runs the reference site the instant way, from the deployment files in server/deploy: nginx
# with nchan in front of the site's own PHP-FPM pool, on free loopback ports. Meant to be
# sourced by tests, the demo and the benchmarks.
#
#   pushsite_start <folder>
#       makes <folder> unless it exists (the folders above it must let the pool's user
#       through; a database left there by an earlier run is kept) and starts PHP-FPM and nginx there, with the SQLite
#       database in <folder>/data, unless VORLAN_DSN (with VORLAN_DB_USER and
#       VORLAN_DB_PASSWORD, as pg_start exports them) names a database server. The caller's
#       VORLAN_SITE_PASSWORD is the site's password (default "vorlan"). With PUSHSITE_REDIS
#       set (host:port, as pushsite_redis_start exports it) the channel goes through that Redis,
#       so that several sites started this way share it.
#       Exports, for the site started last:
#         SITE_URL      http://127.0.0.1:PORT (no trailing slash)
#         EVENTS_URL    the events address that get.php names in its Link header
#         SITE_LOG      nginx's access log (one line per request, no query strings)
#         PUSHSITE_DIR  <folder>; its logs/ also holds error.log, php-error.log and fpm.log
#       As root, PHP-FPM runs the pool as the user "vorlan" (created here when missing) with
#       the database folder that user's alone, and nginx's workers run as www-data, as in the
#       deployment guide; otherwise everything runs as the caller.
#       PUSHSITE_WORKER_CONNECTIONS sets nginx's connections per worker (default 1024).
#   pushsite_tool [NAME=value...] <script> [<args>...]
#       runs a script of server/tools (add-call.php, show-call.php) as the pool's user, with
#       the settings of the site started last, changed by the NAME=value pairs given.
#   pushsite_restart_nginx [<folder>]
#       stops nginx of the site of <folder> (default the one started last) and starts it again
#       on the same ports, as a restart of the web server does: every stream ends, the
#       channel's stored messages are gone, the site's address stays.
#   pushsite_stop [<folder>]
#       stops the site of <folder> (default the one started last); the folder stays.
#   pushsite_redis_start <folder>
#       starts a throwaway redis-server on a free loopback port with its files in <folder>
#       and exports PUSHSITE_REDIS (127.0.0.1:PORT).
#   pushsite_stop_all
#       stops every site and Redis started here. It runs on exit unless the caller has its own
#       EXIT trap, which must then call it.

PUSHSITE_SERVER=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../server" && pwd)
PUSHSITE_FPM=${PUSHSITE_FPM:-$(command -v php-fpm8.2 || ls /usr/sbin/php-fpm* 2>/dev/null | head -n 1)}
PUSHSITE_NCHAN=/usr/lib/nginx/modules/ngx_nchan_module.so
PUSHSITE_STARTED=()
PUSHSITE_REDIS_DIRS=()
[ -n "$(trap -p EXIT)" ] || trap pushsite_stop_all EXIT

pushsite_start() {
    local dir=$1 attempt site_port publish_port
    [ -n "$dir" ] && mkdir -p "$dir" || { echo "pushsite_start: give a folder" >&2; return 2; }
    [ -x "$PUSHSITE_FPM" ] || { echo "pushsite_start: no PHP-FPM (Debian: php8.2-fpm)" >&2; return 1; }
    [ -f "$PUSHSITE_NCHAN" ] || { echo "pushsite_start: no nchan (Debian: libnginx-mod-nchan)" >&2; return 1; }
    dir=$(cd "$dir" && pwd)
    _pushsite_users || return 1
    mkdir -p "$dir/conf" "$dir/logs" "$dir/run" "$dir/temp" "$dir/data"
    chmod 755 "$dir"
    _pushsite_as "$PUSHSITE_POOL_USER" test -x "$dir" || { echo "pushsite_start: $PUSHSITE_POOL_USER cannot enter $dir" >&2; return 1; }
    if [ "$(id -u)" = 0 ]; then
        # The database folder is the pool's alone; nginx needs none of it.
        chown "$PUSHSITE_POOL_USER:$PUSHSITE_POOL_GROUP" "$dir/data" "$dir/logs"
        chown "$PUSHSITE_WEB_USER" "$dir/temp"
    fi
    chmod 700 "$dir/data"
    for attempt in $(seq 1 20); do
        site_port=$((20000 + RANDOM % 20001)) publish_port=$((20000 + RANDOM % 20001))
        [ "$site_port" = "$publish_port" ] && continue
        _pushsite_configure "$dir" "$site_port" "$publish_port"
        _pushsite_run_fpm "$dir" || return 1
        if _pushsite_run_nginx "$dir" "$site_port"; then
            echo "$site_port" >"$dir/run/site.port"
            PUSHSITE_STARTED+=("$dir")
            export SITE_URL="http://127.0.0.1:$site_port" EVENTS_URL="http://127.0.0.1:$site_port/vorlan/events"
            export SITE_LOG=$dir/logs/access.log PUSHSITE_DIR=$dir
            return 0
        fi
        _pushsite_kill "$dir/run/fpm.pid"
        grep -q 'Address already in use' "$dir/logs/error.log" 2>/dev/null || break
    done
    echo "pushsite_start: the site did not start; its logs:" >&2
    tail -n 20 "$dir"/logs/*.log >&2
    return 1
}

pushsite_tool() {
    local env=()
    # The pool's own settings, as its env[] lines give them to the site, then the caller's.
    mapfile -t env < <(sed -n 's/^env\[\([A-Z_]*\)\] = "\{0,1\}\([^"]*\)"\{0,1\}$/\1=\2/p' "$PUSHSITE_DIR/conf/pool.conf")
    while [[ ${1:-} == *=* ]]; do env+=("$1"); shift; done
    local script=$1
    shift
    _pushsite_as "$(sed -n 's/^user = //p' "$PUSHSITE_DIR/conf/pool.conf")" \
        env -i PATH="$PATH" "${env[@]}" php "$PUSHSITE_SERVER/tools/$script" "$@"
}

pushsite_restart_nginx() {
    local dir=${1:-${PUSHSITE_DIR:-}}
    _pushsite_kill "$dir/run/nginx.pid"
    _pushsite_run_nginx "$dir" "$(cat "$dir/run/site.port")"
}

pushsite_stop() {
    local dir=${1:-${PUSHSITE_DIR:-}}
    [ -n "$dir" ] || return 0
    _pushsite_kill "$dir/run/nginx.pid"
    _pushsite_kill "$dir/run/fpm.pid"
    return 0
}

pushsite_redis_start() {
    local dir=$1 port attempt
    command -v redis-server >/dev/null || { echo "pushsite_redis_start: no redis-server (Debian: redis-server)" >&2; return 1; }
    mkdir -p "$dir" && dir=$(cd "$dir" && pwd)
    for attempt in $(seq 1 20); do
        port=$((20000 + RANDOM % 20001))
        redis-server --bind 127.0.0.1 --port "$port" --dir "$dir" --save '' --appendonly no \
            --daemonize yes --pidfile "$dir/redis.pid" --logfile "$dir/redis.log" >/dev/null 2>&1
        if _pushsite_wait_for "redis-cli -p $port ping"; then
            PUSHSITE_REDIS_DIRS+=("$dir")
            export PUSHSITE_REDIS=127.0.0.1:$port
            return 0
        fi
    done
    echo "pushsite_redis_start: redis did not start; its log:" >&2
    cat "$dir/redis.log" >&2
    return 1
}

pushsite_stop_all() {
    local dir
    for dir in "${PUSHSITE_STARTED[@]}"; do pushsite_stop "$dir"; done
    for dir in "${PUSHSITE_REDIS_DIRS[@]}"; do _pushsite_kill "$dir/redis.pid"; done
    PUSHSITE_STARTED=() PUSHSITE_REDIS_DIRS=()
}

# The deployment's users: the pool's own and nginx's, both the caller's when not root.
_pushsite_users() {
    if [ "$(id -u)" != 0 ]; then
        PUSHSITE_POOL_USER=$(id -un) PUSHSITE_POOL_GROUP=$(id -gn)
        PUSHSITE_WEB_USER=$PUSHSITE_POOL_USER PUSHSITE_WEB_GROUP=$PUSHSITE_POOL_GROUP
        return 0
    fi
    PUSHSITE_POOL_USER=vorlan PUSHSITE_POOL_GROUP=vorlan PUSHSITE_WEB_USER=www-data PUSHSITE_WEB_GROUP=www-data
    getent passwd vorlan >/dev/null && return 0
    useradd --system --user-group --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin vorlan
}

# Runs a command as the given user when root, as the caller otherwise.
_pushsite_as() {
    local user=$1
    shift
    if [ "$(id -u)" = 0 ]; then runuser -u "$user" -- "$@"; else "$@"; fi
}

# Fills the deployment files' placeholders with this run's paths and ports.
_pushsite_configure() {
    local dir=$1 site_port=$2 publish_port=$3 file name pair
    local values=(
        "LISTEN=127.0.0.1:$site_port" "SERVER_NAME=127.0.0.1" "PUBLISH_LISTEN=127.0.0.1:$publish_port"
        "CONF_DIR=$dir/conf" "SITE_ROOT=$PUSHSITE_SERVER" "LOG_DIR=$dir/logs" "DATA_DIR=$dir/data"
        "FPM_SOCKET=$dir/run/fpm.sock" "EVENTS_URL=http://127.0.0.1:$site_port/vorlan/events"
        "REDIS=${PUSHSITE_REDIS:-}" "SITE_PASSWORD=${VORLAN_SITE_PASSWORD:-vorlan}"
        "POOL_USER=$PUSHSITE_POOL_USER" "POOL_GROUP=$PUSHSITE_POOL_GROUP"
        "WEB_USER=$PUSHSITE_WEB_USER" "WEB_GROUP=$PUSHSITE_WEB_GROUP"
    )
    local script=()
    for pair in "${values[@]}"; do
        script+=(-e "s|@${pair%%=*}@|$(_pushsite_sed_escaped "${pair#*=}")|g")
    done
    for file in nginx-http nginx-php nginx-site nginx-redis php-fpm-pool; do
        sed "${script[@]}" "$PUSHSITE_SERVER/deploy/$file.conf" >"$dir/conf/$file.conf"
    done
    mv "$dir/conf/nginx-php.conf" "$dir/conf/vorlan-php.conf"
    mv "$dir/conf/php-fpm-pool.conf" "$dir/conf/pool.conf"
    # A database server's settings, as the guide adds them to the pool (FPM refuses empty values).
    for name in VORLAN_DSN VORLAN_DB_USER VORLAN_DB_PASSWORD VORLAN_DB_PERSISTENT; do
        if [ -n "${!name:-}" ]; then printf 'env[%s] = "%s"\n' "$name" "${!name}" >>"$dir/conf/pool.conf"; fi
    done
    _pushsite_main_configuration "$dir" >"$dir/conf/nginx.conf"
    cat >"$dir/conf/php-fpm.conf" <<EOF
[global]
pid = $dir/run/fpm.pid
error_log = $dir/logs/fpm.log
daemonize = yes
include = $dir/conf/pool.conf
EOF
}

_pushsite_sed_escaped() {
    local text=${1//\\/\\\\}
    text=${text//|/\\|}
    printf '%s' "${text//&/\\&}"
}

# nginx's main context as a packaged nginx.conf would give it, with this run's paths.
_pushsite_main_configuration() {
    local dir=$1
    if [ "$(id -u)" = 0 ]; then echo "user $PUSHSITE_WEB_USER $PUSHSITE_WEB_GROUP;"; fi
    cat <<EOF
load_module $PUSHSITE_NCHAN;
worker_processes auto;
worker_rlimit_nofile $((${PUSHSITE_WORKER_CONNECTIONS:-1024} + 1024));
pid $dir/run/nginx.pid;
error_log $dir/logs/error.log;
events { worker_connections ${PUSHSITE_WORKER_CONNECTIONS:-1024}; }
http {
    include /etc/nginx/mime.types;
    client_body_temp_path $dir/temp/body;
    fastcgi_temp_path $dir/temp/fastcgi;
    proxy_temp_path $dir/temp/proxy;
    include $dir/conf/nginx-http.conf;
EOF
    if [ -n "${PUSHSITE_REDIS:-}" ]; then echo "    include $dir/conf/nginx-redis.conf;"; fi
    echo "    include $dir/conf/nginx-site.conf;"
    echo "}"
}

_pushsite_run_fpm() {
    local dir=$1
    "$PUSHSITE_FPM" --fpm-config "$dir/conf/php-fpm.conf" || { cat "$dir/logs/fpm.log" >&2; return 1; }
    _pushsite_wait_for "test -S $dir/run/fpm.sock"
}

_pushsite_run_nginx() {
    local dir=$1 port=$2
    nginx -p "$dir" -e "$dir/logs/error.log" -c "$dir/conf/nginx.conf" 2>>"$dir/logs/error.log" || return 1
    _pushsite_wait_for "curl -so /dev/null http://127.0.0.1:$port/vorlan/none"
}

_pushsite_wait_for() {
    local attempt
    for attempt in $(seq 1 100); do
        eval "$1" >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    return 1
}

_pushsite_kill() {
    local pidfile=$1 pid attempt
    [ -s "$pidfile" ] || return 0
    pid=$(cat "$pidfile")
    kill "$pid" 2>/dev/null || return 0
    for attempt in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.05
    done
    kill -9 "$pid" 2>/dev/null
}
