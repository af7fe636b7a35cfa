#!/usr/bin/env bash
# A registered workplace: the main window and the tray icon come up, a tray click hides and
# shows the window, closing it leaves the program in the tray, the Help dialogs open and close
# from the keyboard, and its quit command ends the program with status 0.
set -u
E2E_NAME=tray_and_quit
source "$(dirname "$0")/session.sh"
session_start

# Nothing listens on port 9: the polls fail quietly and the list stays empty.
app_start_registered "http://127.0.0.1:9" "{1c0ffee0-0000-4000-8000-000000000001}"

window=$(window_wait '^Vorlan$') || fail "the main window did not appear"
tray_wait 1 || fail "the tray icon did not embed"
shot main-window

tray_click
window_gone '^Vorlan$' 5 || fail "a tray click did not hide the shown window"
shot hidden
tray_click
window=$(window_wait '^Vorlan$' 5) || fail "a second tray click did not show the window"

window_close "$window" '^Vorlan$' || fail "closing the window did not hide it"
kill -0 "$APP_PID" 2>/dev/null || fail "closing the main window ended the program"
[ "$(tray_icons)" = 1 ] || fail "the tray icon went away with the window"

tray_click
window=$(window_wait '^Vorlan$' 5) || fail "the tray icon did not bring the window back"
menu_choose "$window" 150 34
identity=$(window_wait '^Workplace$' 5) || fail "Help > Workplace... showed no workplace dialog"
shot workplace-identity
xdotool windowactivate --sync "$identity" key Escape
window_gone '^Workplace$' 5 || fail "Esc did not close the workplace dialog"
menu_choose "$window" 150 58
about=$(window_wait '^About Vorlan$' 5) || fail "Help > About... showed no about dialog"
shot about
xdotool windowactivate --sync "$about" key Return
window_gone '^About Vorlan$' 5 || fail "the about dialog's button did not close it"

app_quit "$window" || fail "Quit application did not end the program"
app_wait_exit 10 || fail "Quit application did not end the program"
[ "$APP_STATUS" = 0 ] || fail "the program ended with status $APP_STATUS"
grep -q "Connection refused" "$APP_OUT" || fail "the failed poll was not reported on standard output"
echo "PASS: tray and quit"
