# An X session beside the reference site on a scratch database; meant to be sourced after
# setting VORLAN_SITE_PASSWORD.
#
#   site_session_start   session_start, then the site; sets SCRATCH (a scratch directory)
#   show_call <id>       the site's stored record of a call, as JSON

source "$(dirname "${BASH_SOURCE[0]}")/session.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../server/site.sh"

site_session_start() {
    session_start
    SCRATCH=$(mktemp -d)
    site_start "$SCRATCH/site.sqlite" || fail "the reference site did not start"
    trap 'site_stop; session_stop' EXIT
}

show_call() { VORLAN_DB=$SCRATCH/site.sqlite php "$VORLAN_SOURCE_DIR/server/tools/show-call.php" "$1"; }
