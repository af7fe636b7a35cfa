#!/usr/bin/env bash
# The restart after a registration: started under another name (exec -a) from another
# directory, the program starts anew from its real path; where it cannot start anew (a copy
# of it that may no longer be run), it says so and goes on with the main window itself.
set -u
E2E_NAME=restart
source "$(dirname "$0")/session.sh"
session_start
export VORLAN_SITE_PASSWORD=restart-password
site_session_start

# Starts $1 as "vorlan" from directory $2 with HOME=$3, as a desktop's launcher might.
start_renamed() {
    APP_OUT=$SHOT_DIR/vorlan-$(date +%s%N).out
    (cd "$2" && HOME=$3 exec -a vorlan "$1") >"$APP_OUT" 2>&1 &
    APP_PID=$!
    APP_PIDS+=("$APP_PID")
}

register() {
    local form
    form=$(window_wait '^Workplace registration$') || fail "the registration form did not appear"
    xdotool windowactivate --sync "$form"
    xdotool type --delay 20 "$SITE_URL"
    xdotool key Tab
    xdotool type --delay 20 "$1"
    xdotool key Tab
    xdotool type --delay 20 "$VORLAN_SITE_PASSWORD"
    xdotool key Tab space
}

scratch_new
home=$SCRATCH
scratch_new
elsewhere=$SCRATCH
start_renamed "$VORLAN" "$elsewhere" "$home"
register "Renamed desk"
app_wait_exit 15 || fail "the program did not end after registering"
app_adopt "$home" || fail "the program did not start anew after registering under another name"
window_wait '^Vorlan$' >/dev/null || fail "the program started anew showed no main window"
shot restarted
kill "$APP_PID"
tray_wait 0 || fail "the restarted program kept its tray icon after it was ended"

# A copy whose file may no longer be run by the time the registration is stored.
scratch_new
home=$SCRATCH
scratch_new
copy=$SCRATCH
cp "$VORLAN" "$VORLAN_BINARY_DIR/MainWindow.qml" "$copy/"
start_renamed "$copy/vorlan" "$elsewhere" "$home"
window_wait '^Workplace registration$' >/dev/null || fail "the copy showed no registration form"
chmod a-x "$copy/vorlan"
register "Desk without restart"
box=$(window_wait '^Registration$') || fail "the program did not say that it could not start anew"
shot restart-failed
grep -q '"operatorID": "{' "$home/.vorlan/vorlan.conf" || fail "the registration was not stored"
window_wait '^Vorlan$' 5 >/dev/null || fail "no main window after a restart that failed"
xdotool windowactivate --sync "$box" key Return
window_gone '^Registration$' 5 || fail "the message did not close"
window_gone '^Workplace registration$' 5 || fail "the registration form stayed"
kill -0 "$APP_PID" 2>/dev/null || fail "the program ended instead of going on"
tray_wait 1 || fail "the program that went on shows $(tray_icons) tray icons"
shot went-on
echo "PASS: restart"
