#!/bin/bash
# Runs the reference site's tests against real `php -S` servers on loopback ports, on the
# database engine given (sqlite, the default; postgresql or mariadb, a throwaway server
# started here):
# a working site (served by several processes at once, under a php.ini that shows errors),
# a site whose database cannot be reached, and a copy of the site that keeps its database
# below its web root and has no password chosen.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
engine=${1:-sqlite}
source "$here/site.sh"
source "$here/postgres.sh"
source "$here/mariadb.sh"

command -v php >/dev/null || { echo "php is not installed (Debian: php-cli)"; exit 1; }
case $engine in
    sqlite) driver=sqlite package=php-sqlite3 ;;
    postgresql) driver=pgsql package=php-pgsql ;;
    mariadb) driver=mysql package=php-mysql ;;
    *) echo "usage: $0 [sqlite|postgresql|mariadb]"; exit 2 ;;
esac
php -r "exit(extension_loaded('pdo_$driver') ? 0 : 1);" || { echo "PHP has no $engine driver (Debian: $package)"; exit 1; }

tmp=$(mktemp -d)
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do site_stop "$pid"; done
    pg_stop
    mariadb_stop
    if [ -n "${ARTIFACT_DIR:-}" ]; then
        mkdir -p "$ARTIFACT_DIR/reference_site_$engine" && cp "$tmp"/*.log "$ARTIFACT_DIR/reference_site_$engine/" 2>/dev/null
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT

if [ "$engine" = postgresql ] || [ "$engine" = mariadb ]; then
    if [ "$engine" = postgresql ]; then pg_start || exit 1; else mariadb_start || exit 1; fi
    # The working site keeps its connections, as a busy deployment would; the tools do not.
    persistent=1
    broken_dsn="$driver:host=127.0.0.1;port=1;dbname=vorlan"
else
    # A regular file where the database folder should be: every use of the database fails.
    : >"$tmp/not-a-folder"
    broken_dsn=''
    persistent=''
fi

# A php.ini that shows every error, as a development machine's does.
mkdir "$tmp/ini"
printf 'display_errors=1\ndisplay_startup_errors=1\nerror_reporting=E_ALL\nexpose_php=1\n' >"$tmp/ini/dev.ini"

export VORLAN_SITE_PASSWORD='the owner chose this'
VORLAN_DB_PERSISTENT=$persistent PHP_INI_SCAN_DIR=":$tmp/ini" PHP_CLI_SERVER_WORKERS=4 \
    site_start "$tmp/site.sqlite" "$tmp/site.log" || exit 1
pids+=("$SITE_PID") good_url=$SITE_URL

VORLAN_DSN=$broken_dsn SITE_PLAIN=1 site_start "$tmp/not-a-folder/vorlan.sqlite" "$tmp/broken.log" || exit 1
pids+=("$SITE_PID") broken_url=$SITE_URL

cp -r "$here/../../server" "$tmp/www"
VORLAN_DSN='' VORLAN_SITE_PASSWORD='' SITE_DOCROOT=$tmp/www site_start "$tmp/www/data/vorlan.sqlite" "$tmp/exposed.log" \
    || exit 1
pids+=("$SITE_PID") exposed_url=$SITE_URL

SITE_URL=$good_url SITE_LOG=$tmp/site.log VORLAN_DB=$tmp/site.sqlite \
    BROKEN_SITE_URL=$broken_url BROKEN_SITE_LOG=$tmp/broken.log \
    EXPOSED_SITE_URL=$exposed_url EXPOSED_SITE_DB=$tmp/www/data/vorlan.sqlite EXPOSED_SITE_LOG=$tmp/exposed.log \
    php "$here/site_test.php"
