#!/bin/bash
# The reference site's limits against real IPv6 clients: in a network namespace of the run's
# own, whose loopback carries addresses of two /64 networks, the site (SQLite) and the
# clients talk over those addresses. A namespace needs root (unshare -n) or user namespaces
# (unshare -rn); where neither can be had the run is reported as skipped (status 77).
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

if [ -z "${VORLAN_IN_NAMESPACE:-}" ]; then
    for flags in -n -rn; do
        if unshare "$flags" true 2>/dev/null; then
            VORLAN_IN_NAMESPACE=1 exec unshare "$flags" bash "$0"
        fi
    done
    echo "SKIP: no network namespace can be made here (unshare -n needs root; unshare -rn, user namespaces)"
    exit 77
fi

command -v ip >/dev/null || { echo "ip is not installed (Debian: iproute2)"; exit 1; }
source "$here/site.sh"
ip link set lo up || exit 1
for address in 2001:db8:1:2::1 2001:db8:1:2::2 2001:db8:1:2::3 2001:db8:1:2::4 2001:db8:1:2::5 \
    2001:db8:1:2::6 2001:db8:1:2::7 2001:db8:1:3::2 2001:db8:1:3::3; do
    ip -6 addr add "$address/64" dev lo nodad || exit 1
done

tmp=$(mktemp -d)
trap 'site_stop; rm -rf "$tmp"' EXIT
export VORLAN_SITE_PASSWORD='the owner chose this'
SITE_HOST='[2001:db8:1:2::1]' site_start "$tmp/site.sqlite" "$tmp/site.log" || exit 1
SITE_TESTS=testIpv6Networks VORLAN_DB=$tmp/site.sqlite php "$here/site_test.php"
