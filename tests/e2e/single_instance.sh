#!/usr/bin/env bash
# One client per user: a second start brings the running client's window back and ends
# with status 0 without a second tray icon; a lock and socket left by a killed client do not
# block the next start, which then answers the start after it; a start beside a stopped
# client says it is already running and ends; on an unregistered workstation a second start
# brings back the form.
set -u
E2E_NAME=single_instance
source "$(dirname "$0")/session.sh"
session_start

app_start_registered "http://127.0.0.1:9" "{1c0ffee0-0000-4000-8000-000000000002}"
home=$APP_HOME
first=$APP_PID
window_wait '^Vorlan$' >/dev/null || fail "the main window did not appear"
tray_wait 1 || fail "the tray icon did not embed"
tray_click
window_gone '^Vorlan$' 5 || fail "a tray click did not hide the window"

second_out=$SHOT_DIR/second.out
HOME=$home timeout 20 "$VORLAN" >"$second_out" 2>&1
status=$?
[ "$status" = 0 ] || fail "the second start ended with status $status: $(cat "$second_out")"
grep -q "already running" "$second_out" || fail "the second start said nothing: $(cat "$second_out")"
window_wait '^Vorlan$' 5 >/dev/null || fail "the second start did not bring the window back"
shot second-start
[ "$(tray_icons)" = 1 ] || fail "the second start left $(tray_icons) tray icons"
kill -0 "$first" 2>/dev/null || fail "the second start ended the first"

# A client that holds the lock but does not answer (stopped, hung) is still running.
kill -STOP "$first"
HOME=$home timeout 30 "$VORLAN" >"$SHOT_DIR/stopped.out" 2>&1
status=$?
kill -CONT "$first"
[ "$status" = 0 ] || fail "the start beside a stopped client ended with status $status: $(cat "$SHOT_DIR/stopped.out")"
grep -q "already running" "$SHOT_DIR/stopped.out" \
    || fail "the start beside a stopped client did not say it is already running: $(cat "$SHOT_DIR/stopped.out")"
[ "$(tray_icons)" = 1 ] || fail "the start beside a stopped client left $(tray_icons) tray icons"

kill -KILL "$first"
wait "$first" 2>/dev/null
[ -e "$home/.vorlan/vorlan.lock" ] || fail "the killed client left no lock to test with"
[ -S "$home/.vorlan/vorlan.socket" ] || fail "the killed client left no socket to test with"
window_gone '^Vorlan$' 5 || fail "the killed client's window stayed"
app_start "$home"
window_wait '^Vorlan$' 15 >/dev/null || fail "a stale lock kept the next start from showing its window"
tray_wait 1 || fail "after a stale lock the tray shows $(tray_icons) icons"
grep -q "already running" "$APP_OUT" && fail "a stale lock was taken for a running client"
shot after-stale-lock
# The killed client left its socket behind too; the new one answers the next start through it.
tray_click
window_gone '^Vorlan$' 5 || fail "a tray click did not hide the window after a stale lock"
HOME=$home timeout 20 "$VORLAN" >"$SHOT_DIR/after-stale.out" 2>&1
grep -q "brought to the front" "$SHOT_DIR/after-stale.out" \
    || fail "the client started after a killed one did not answer the next start: $(cat "$SHOT_DIR/after-stale.out")"
window_wait '^Vorlan$' 5 >/dev/null || fail "the next start did not bring the window back after a stale lock"

scratch_new
fresh=$SCRATCH
app_start "$fresh"
form=$(window_wait '^Workplace registration$') || fail "the registration form did not appear"
xdotool windowminimize --sync "$form"
window_gone '^Workplace registration$' 5 || fail "the form did not minimise"
HOME=$fresh timeout 20 "$VORLAN" >"$SHOT_DIR/second-form.out" 2>&1 || fail "the second start beside the form failed"
grep -q "already running" "$SHOT_DIR/second-form.out" || fail "the second start beside the form said nothing"
window_wait '^Workplace registration$' 5 >/dev/null || fail "the second start did not bring the form back"
[ "$(xdotool search --onlyvisible --name '^Workplace registration$' | wc -l)" = 1 ] \
    || fail "the second start opened another registration form"
shot form-brought-back
echo "PASS: single instance"
