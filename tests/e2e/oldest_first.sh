#!/usr/bin/env bash
# The default window lists the calls oldest first: with 300 pending calls of mixed ids and
# dates (two of them arriving together, one with a date that cannot be read), the first row is
# the call that has waited longest, a click on its number copies the number (there is no
# program for calls here), and Enter on it takes exactly that call at the site.
set -u
E2E_NAME=oldest_first
export VORLAN_SITE_PASSWORD=oldest-password
source "$(dirname "$0")/session.sh"
session_start
site_session_start

operator=$(site_register "Desk 300")
# Ids 1 to 300 with arrivals scattered over a day; 217 and 250 arrive first, together, and
# 3 has a date no clock reads.
VORLAN_DB=$SITE_DB php -r '
    require getenv("VORLAN_SOURCE_DIR") . "/server/lib/bootstrap.php";
    $db = Database::connection();
    $add = $db->prepare("INSERT INTO calls (id, create_date, name, phone) VALUES (?, ?, ?, ?)");
    for ($id = 1; $id <= 300; $id++) {
        $minutes = ($id * 7919) % 1400 + 10;
        $date = date("Y-m-d H:i:s", time() - 60 * $minutes);
        if ($id === 217 || $id === 250) $date = date("Y-m-d H:i:s", time() - 60 * 1500);
        if ($id === 3) $date = "soon";
        $add->execute([$id, $date, "Caller $id", sprintf("+7 900 %07d", $id)]);
    }' || fail "the calls could not be stored"

home=$SCRATCH/home
write_registration "$home" "$SITE_URL" "$operator" "Desk 300"
app_start "$home"
main=$(window_wait '^Vorlan: 300 pending$' 20) || fail "the 300 calls were not listed"
sleep 1
shot 1-listed
site_show_call 217 | grep -q '"status":"new"' || fail "call 217 was not new to begin with"

# This desktop has no program for tel: addresses: a click on the number copies it instead.
window_geometry "$main"
click_at $((WIN_X + 200)) $((WIN_Y + 68))
sleep 0.5
shot 2-number-copied
[ "$(xclip -o -selection clipboard 2>/dev/null)" = "+7 900 0000217" ] \
    || fail "a click on the first row's number did not copy it"
site_show_call 217 | grep -q '"status":"new"' || fail "a click on the number took the call"
# The window at its minimum size, for the artefacts: nothing overprints.
xdotool windowsize --sync "$main" 420 240
sleep 0.5
shot 3-minimum-size

xdotool windowactivate --sync "$main" key Return
dialog=$(window_wait '^Conversation$' 10) || fail "Enter on the first row opened no conversation"
shot 4-oldest-taken
site_show_call 217 | grep -q '"status":"processing"' || fail "Enter did not take call 217, the oldest"
taken=$(VORLAN_DB=$SITE_DB php -r '
    require getenv("VORLAN_SOURCE_DIR") . "/server/lib/bootstrap.php";
    echo Database::connection()->query("SELECT group_concat(id) FROM calls WHERE status <> '"'new'"'")->fetchColumn();')
[ "$taken" = 217 ] || fail "the site holds these calls as taken: $taken"
echo "PASS: oldest first"
