#!/usr/bin/env bash
# Instant arrival against the site served the instant way (nginx with nchan in front of
# PHP-FPM), with a real notification daemon on a session bus of its own: a visitor's request is
# announced within 2 s with no poll in between; taken at another workplace, it leaves the list
# within 2 s; after nginx restarts the stream comes back by itself and the next request arrives
# the same way. Against the plain site, which offers no channel, the client polls as it always
# did and never asks for an events address.
set -u
E2E_NAME=instant_arrival
here=$(dirname "$0")
source "$here/session.sh"
source "$here/../server/pushsite.sh"
session_start
scratch_new
scratch=$SCRATCH
# The site's pool runs as its own user when the test runs as root: it must reach its folder.
chmod 755 "$scratch"
source "$here/desktop_session.sh"
trap 'pushsite_stop_all; desktop_stop' EXIT
export VORLAN_SITE_PASSWORD=instant-password
pushsite_start "$scratch/site" || fail "the instant site did not start"

bus_start
dunst_start "$scratch/notify.log"

now_ms() { echo $(($(date +%s%N) / 1000000)); }
# Waits up to $1 ms for the command to succeed; echoes how long it took.
within_ms() {
    local limit=$1 start
    shift
    start=$(now_ms)
    until "$@"; do
        [ $(($(now_ms) - start)) -lt "$limit" ] || return 1
        sleep 0.02
    done
    echo $(($(now_ms) - start))
}
register() {
    curl -s --data-urlencode "pass=$VORLAN_SITE_PASSWORD" --data-urlencode "opID=$2" \
        --data-urlencode "opName=Desk" --data "apiVer=1" "$1/vorlan/reg.php" | grep -q '"result":"0"'
}
visitor_request() {
    curl -s -o /dev/null --data-urlencode "name=$2" --data-urlencode "phone=+7 900 123-45-67" \
        "$1/index.php"
}
polls() { grep -c 'get\.php' "$1"; }
# How many clients nchan holds on the events channel, as its publisher endpoint reports it.
publish_address=$(awk '/^server/ { n++ } n == 2 && /listen/ { sub(";", "", $2); print $2; exit }' \
    "$PUSHSITE_DIR/conf/nginx-site.conf")
subscribers() {
    curl -s -H 'Accept: text/json' "http://$publish_address/vorlan-publish" |
        php -r '$i = json_decode(stream_get_contents(STDIN), true); echo $i["subscribers"] ?? 0;'
}
subscribed() { [ "$(subscribers)" = "$1" ]; }
notified() { [ "$(notifications)" = "$1" ]; }
pending_shown() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }

operator="{$(cat /proc/sys/kernel/random/uuid)}"
other="{$(cat /proc/sys/kernel/random/uuid)}"
register "$SITE_URL" "$operator" && register "$SITE_URL" "$other" \
    || fail "the site did not register the workplaces"
scratch_new
write_registration "$SCRATCH" "$SITE_URL" "$operator"
app_start "$SCRATCH"
window_wait '^Vorlan$' 20 >/dev/null || fail "the main window did not show"
within_ms 10000 subscribed 1 >/dev/null || fail "the client did not subscribe to the events"
shot 0-subscribed

# A visitor leaves a request: the message, not a poll, brings it.
polls_before=$(polls "$SITE_LOG")
visitor_request "$SITE_URL" "Anna Petrova"
took=$(within_ms 2000 notified 1) || fail "the request was not announced within 2 s"
echo "announced after $took ms"
grep -q '"Anna Petrova' "$scratch/notify.log" || fail "the notification did not name the caller"
within_ms 2000 pending_shown '^Vorlan: 1 pending$' >/dev/null || fail "the list did not show the call"
[ "$(polls "$SITE_LOG")" = "$polls_before" ] || fail "a poll ran between the request and its arrival"
shot 1-announced

# Another workplace takes it: it leaves this list without a poll.
call_id=$(curl -s --data "type=2" --data-urlencode "operator=$other" --data "apiVer=1" \
    "$SITE_URL/vorlan/get.php" | php -r 'echo json_decode(stream_get_contents(STDIN), true)[0]["id"] ?? "";')
[ -n "$call_id" ] || fail "the other workplace saw no call"
curl -s --data "action=process" --data-urlencode "operator=$other" --data-urlencode "id=$call_id" \
    --data "apiVer=1" "$SITE_URL/vorlan/set.php" | grep -q '"result":"0"' \
    || fail "the other workplace could not take the call"
took=$(within_ms 2000 pending_shown '^Vorlan$') || fail "the taken call stayed in the list"
echo "gone after $took ms"
[ "$(notifications)" = 1 ] || fail "the take was announced"
shot 2-taken-elsewhere

# nginx restarts: the stream comes back by itself, and so does instant arrival.
pushsite_restart_nginx || fail "nginx did not start again"
within_ms 20000 subscribed 1 >/dev/null || fail "the client did not subscribe again"
visitor_request "$SITE_URL" "Boris Ivanov"
took=$(within_ms 2000 notified 2) || fail "a request after the restart was not announced within 2 s"
echo "announced after the restart after $took ms"
grep -q '"Boris Ivanov' "$scratch/notify.log" || fail "the second notification did not name the caller"
shot 3-after-restart
kill "$APP_PID"
wait "$APP_PID" 2>/dev/null

# The plain site offers no channel: the client polls as it always did. Its router writes down
# the path of every request, since the built-in server's log does not.
source "$here/../server/site.sh"
cp -r "$SITE_ROOT" "$scratch/plain"
mv "$scratch/plain/router.php" "$scratch/plain/site-router.php"
cat >"$scratch/plain/router.php" <<'PHP'
<?php
file_put_contents(__DIR__ . '/requests.log', strtok($_SERVER['REQUEST_URI'], '?') . "\n", FILE_APPEND);
return require __DIR__ . '/site-router.php';
PHP
SITE_DOCROOT=$scratch/plain site_start "$scratch/plain.sqlite" || fail "the plain site did not start"
plain_log=$scratch/plain/requests.log
plain="{$(cat /proc/sys/kernel/random/uuid)}"
register "$SITE_URL" "$plain" || fail "the plain site did not register the workplace"
scratch_new
write_registration "$SCRATCH" "$SITE_URL" "$plain"
app_start "$SCRATCH"
main=$(window_wait '^Vorlan$' 20) || fail "the main window did not show for the plain site"
within_ms 10000 eval '[ "$(polls "$plain_log")" = 1 ]' >/dev/null || fail "no first poll"
visitor_request "$SITE_URL" "Vera Smirnova"
sleep 3
[ "$(notifications)" = 2 ] || fail "a request reached the client of the plain site without a poll"
xdotool windowactivate --sync "$main" key F5
within_ms 5000 notified 3 >/dev/null || fail "the poll did not bring the plain site's request"
[ "$(polls "$plain_log")" = 2 ] || fail "the client polled the plain site $(polls "$plain_log") times"
[ "$(grep -vc -e '^/vorlan/get\.php$' -e '^/vorlan/reg\.php$' -e '^/index\.php$' "$plain_log")" = 0 ] \
    || fail "the client asked the plain site for more than its lists: $(sort -u "$plain_log")"
shot 4-plain-site
echo "instant arrival: ok"
