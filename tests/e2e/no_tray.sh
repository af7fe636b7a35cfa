#!/usr/bin/env bash
# A desktop without a system tray: start-up says so on standard output, closing the main
# window minimises it instead of hiding it, and a second start brings it back.
set -u
E2E_NAME=no_tray
source "$(dirname "$0")/session.sh"
session_start --no-tray

window_state() { xprop -id "$1" WM_STATE 2>/dev/null | awk '/window state:/ { print $NF }'; }

app_start_registered "http://127.0.0.1:9" "{1c0ffee0-0000-4000-8000-000000000003}"
home=$APP_HOME
window=$(window_wait '^Vorlan$') || fail "the main window did not appear"
grep -q "No system tray found" "$APP_OUT" || fail "start-up did not say that no tray was found"
[ "$(window_state "$window")" = Normal ] || fail "the main window started as $(window_state "$window")"

window_close "$window" '^Vorlan$' || fail "closing the window left it $(window_state "$window")"
for _ in $(seq 1 50); do [ "$(window_state "$window")" = Iconic ] && break; sleep 0.1; done
[ "$(window_state "$window")" = Iconic ] || fail "closing the window left it $(window_state "$window")"
shot closed-minimised
kill -0 "$APP_PID" 2>/dev/null || fail "closing the main window ended the program"

HOME=$home timeout 20 "$VORLAN" >"$SHOT_DIR/second.out" 2>&1 || fail "the second start failed"
for _ in $(seq 1 50); do [ "$(window_state "$window")" = Normal ] && break; sleep 0.1; done
[ "$(window_state "$window")" = Normal ] || fail "a second start left the window $(window_state "$window")"
shot restored
echo "PASS: no tray"
