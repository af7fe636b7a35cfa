#!/bin/bash
# Runs the reference site's tests against real `php -S` servers on loopback ports:
# a working site with a fresh database, and a site whose database cannot be created.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/site.sh"

command -v php >/dev/null || { echo "php is not installed (Debian: php-cli)"; exit 1; }
php -r 'exit(extension_loaded("pdo_sqlite") ? 0 : 1);' \
    || { echo "PHP has no SQLite driver (Debian: php-sqlite3)"; exit 1; }

tmp=$(mktemp -d)
good_pid='' broken_pid=''
cleanup() {
    site_stop "$good_pid"
    site_stop "$broken_pid"
    if [ -n "${ARTIFACT_DIR:-}" ]; then
        mkdir -p "$ARTIFACT_DIR/reference_site" && cp "$tmp"/*.log "$ARTIFACT_DIR/reference_site/" 2>/dev/null
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT

export VORLAN_SITE_PASSWORD='the owner chose this'
site_start "$tmp/site.sqlite" "$tmp/site.log" || exit 1
good_pid=$SITE_PID good_url=$SITE_URL

# A regular file where the database folder should be: every use of the database fails.
: >"$tmp/not-a-folder"
SITE_PLAIN=1 site_start "$tmp/not-a-folder/vorlan.sqlite" "$tmp/broken.log" || exit 1
broken_pid=$SITE_PID broken_url=$SITE_URL

SITE_URL=$good_url SITE_LOG=$tmp/site.log VORLAN_DB=$tmp/site.sqlite \
    BROKEN_SITE_URL=$broken_url BROKEN_SITE_LOG=$tmp/broken.log \
    php "$here/site_test.php"
