#!/usr/bin/env bash
# The whole road of an operator against the reference site: a fresh workstation gets the
# registration form (no tray icon), the site registers the workplace, the program starts
# anew with the main window, a visitor's request appears, the operator takes it, writes a
# result and closes it, the site holds the result, the tray hides the window, and the quit
# command ends the program.
set -u
E2E_NAME=operator_road
source "$(dirname "$0")/session.sh"
session_start
export VORLAN_SITE_PASSWORD=road-password
site_session_start

home=$SCRATCH/home
mkdir -p "$home"
app_start "$home"
form=$(window_wait '^Workplace registration$') || fail "the registration form did not appear"
[ "$(tray_icons)" = 0 ] || fail "an unregistered workplace showed a tray icon"
shot 1-registration-form
window_close "$form" '^Workplace registration$' || fail "the registration form did not close"
app_wait_exit 10 || fail "closing the registration form did not end the program"
[ "$APP_STATUS" = 0 ] || fail "closing the registration form ended with status $APP_STATUS"

app_start "$home"
form=$(window_wait '^Workplace registration$') || fail "the registration form did not come back"

xdotool windowactivate --sync "$form"
xdotool type --delay 20 "$SITE_URL"
xdotool key Tab
xdotool type --delay 20 "Front desk, ground floor"
xdotool key Tab
xdotool type --delay 20 "$VORLAN_SITE_PASSWORD"
shot 2-registration-typed
xdotool key Tab space

app_wait_exit 15 || fail "the program did not end after registering"
[ "$APP_STATUS" = 0 ] || fail "the registering program ended with status $APP_STATUS"
grep -q '"operatorID": "{' "$home/.vorlan/vorlan.conf" || fail "no operator identifier was stored"
grep -q "$VORLAN_SITE_PASSWORD" "$home/.vorlan/vorlan.conf" && fail "the site password was stored"
app_adopt "$home" || fail "the program did not start anew after registering"
main=$(window_wait '^Vorlan$' 15) || fail "the restarted program showed no main window"
tray_wait 1 || fail "the restarted program showed no tray icon"
shot 3-main-window-empty

curl -s -o /dev/null -w '%{http_code}' --data-urlencode "name=Anna Petrova" \
    --data-urlencode "phone=+7 900 123-45-67" "$SITE_URL/index.php" | grep -q 303 \
    || fail "the visitor's page did not take the request"

xdotool windowactivate --sync "$main" key F5
main=$(window_wait '^Vorlan: 1 pending$' 10) || fail "the visitor's request did not appear"
shot 4-request-listed

window_geometry "$main"
click_at $((WIN_X + 80)) $((WIN_Y + 68))
dialog=$(window_wait '^Conversation$' 10) || fail "taking the request opened no conversation dialog"
shot 5-conversation-dialog
site_show_call 1 | grep -q '"status":"processing"' || fail "the site did not hand the call to this operator"

result="Called back on +7 900 123-45-67: visit booked for Friday, 100% sure"
xdotool windowactivate --sync "$dialog"
xdotool type --delay 20 "$result"
window_geometry "$dialog"
click_at $((WIN_X + WIN_W - 80)) $((WIN_Y + WIN_H - 22))
window_gone '^Conversation$' 10 || fail "a confirmed result did not close the dialog"
main=$(window_wait '^Vorlan$' 10) || fail "the closed call stayed in the list"
shot 6-call-closed
site_show_call 1 | grep -q '"status":"closed"' || fail "the site did not close the call"
site_show_call 1 | grep -qF "\"comment\":\"$result\"" || fail "the site did not store the result"

tray_click
window_gone '^Vorlan$' 5 || fail "a tray click did not hide the window"
tray_click
main=$(window_wait '^Vorlan$' 5) || fail "a tray click did not show the window"
app_quit "$main" || fail "Quit application did not end the program"
echo "PASS: operator road"
