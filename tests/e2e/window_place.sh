#!/usr/bin/env bash
# The main window keeps the place and size the operator gave it: hidden to the tray and shown
# again, and quit and started again, it comes back exactly there. The first close ever says
# that the program stays in the tray; later ones do not.
set -u
E2E_NAME=window_place
here=$(dirname "$0")
source "$here/session.sh"
session_start
source "$here/desktop_session.sh"
bus_start
notifier_start

app_start_registered "http://127.0.0.1:9" "{1c0ffee0-0000-4000-8000-000000000240}"
main=$(window_wait '^Vorlan$') || fail "the main window did not appear"
tray_wait 1 || fail "no tray icon"
xdotool windowsize --sync "$main" 720 520
xdotool windowmove --sync "$main" 173 141
sleep 0.5
window_geometry "$main"
placed="$WIN_X $WIN_Y $WIN_W $WIN_H"
shot 1-placed

same_place() {
    window_geometry "$1"
    [ "$WIN_X $WIN_Y $WIN_W $WIN_H" = "$placed" ] \
        || fail "$2: the window is at $WIN_X $WIN_Y $WIN_W $WIN_H, not $placed"
}

tray_click
window_gone '^Vorlan$' 5 || fail "a tray click did not hide the window"
tray_click
main=$(window_wait '^Vorlan$' 5) || fail "a tray click did not show the window"
same_place "$main" "shown again"

window_close "$main" '^Vorlan$' || fail "closing the window did not hide it"
notification_wait 5 || fail "the first close said nothing about the tray"
shot 2-kept-in-tray-note
# A click on the note closes it.
click_at $((WIN_X + WIN_W / 2)) $((WIN_Y + WIN_H / 2))
until_true 5 eval '! notification_shown' || fail "the note did not close"
tray_click
main=$(window_wait '^Vorlan$' 5) || fail "a tray click did not show the closed window"
same_place "$main" "shown after a close"

app_quit "$main" || fail "Quit application did not end the program"
app_start "$APP_HOME"
main=$(window_wait '^Vorlan$') || fail "the restarted program showed no window"
sleep 0.5
shot 3-restarted
same_place "$main" "started again"
window_close "$main" '^Vorlan$' || fail "closing the restarted window did not hide it"
sleep 1
notification_shown && fail "a later close said again what the first one said"
echo "PASS: window place"
