#!/usr/bin/env bash
# A "Server error" box dismissed while the main window is hidden in the tray is the last
# window to close, and the program keeps running in the tray. The workplace's own document
# polls once it is hidden; the reference site refuses the operator it does not know.
set -u
E2E_NAME=server_error_in_tray
here=$(dirname "$0")
source "$here/session.sh"
session_start
site_session_start
home=$SCRATCH/home
write_registration "$home" "$SITE_URL" "{1c0ffee0-0000-4000-8000-000000000004}"
cp "$here/HiddenPollMainWindow.qml" "$home/.vorlan/MainWindow.qml"

dismiss_server_error() {
    local box
    box=$(window_wait '^Server error$' 10) || fail "$1 showed no Server error box"
    xdotool windowactivate --sync "$box" key Return
    window_gone '^Server error$' 5 || fail "the Server error box of $1 did not close"
}

app_start "$home"
dismiss_server_error "the first poll"
window=$(window_wait '^Vorlan$') || fail "the main window did not appear"
tray_wait 1 || fail "the tray icon did not embed"
tray_click
window_gone '^Vorlan$' 5 || fail "a tray click did not hide the window"
dismiss_server_error "the poll of the hidden window"
shot box-dismissed
tray_wait 1 || fail "dismissing the box with the window in the tray ended the program"
tray_click
window_wait '^Vorlan$' 5 >/dev/null || fail "the tray icon did not bring the window back"
kill -0 "$APP_PID" 2>/dev/null || fail "dismissing the box with the window in the tray ended the program"
echo "PASS: server error in tray"
