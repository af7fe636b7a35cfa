#!/usr/bin/env bash
# The operator's record against the reference site: a call is closed with a result; the same
# number, typed another way, leaves a new request, whose conversation dialog shows the earlier
# result and date; the history window finds the call by a word of its result and exports it;
# a restart keeps the history, a second registration does not see it, Help > Forget history
# empties it. A damaged history file and a full disk each leave closes working and say so.
set -u
E2E_NAME=call_history
export VORLAN_SITE_PASSWORD=history-password
source "$(dirname "$0")/session.sh"
session_start
site_session_start
start_desk() {
    write_registration "$home" "$SITE_URL" "$1"
    app_start "$home"
    main=$(window_wait '^Vorlan' 15) || fail "the program showed no main window"
}
# Takes the one pending call and closes it with the result $2; the site must close call $1.
take_and_close() {
    xdotool windowactivate --sync "$main" key F5
    main=$(window_wait '^Vorlan: 1 pending$' 10) || fail "call $1 was not listed"
    xdotool windowactivate --sync "$main" key Return
    dialog=$(window_wait '^Conversation$' 10) || fail "taking call $1 opened no dialog"
    xdotool windowactivate --sync "$dialog"
    [ -n "${3:-}" ] && "$3"
    xdotool type --delay 10 "$2"
    xdotool key ctrl+Return
    window_gone '^Conversation$' 10 || fail "the result of call $1 was not confirmed"
    site_show_call "$1" | grep -q '"status":"closed"' || fail "the site did not close call $1"
}
# Opens the history window, types $1 into its search and waits for $2 rows.
history_shows() {
    xdotool windowactivate --sync "$main" key ctrl+h
    history=$(window_wait '^History: ' 10) || fail "Ctrl+H opened no history window"
    xdotool windowactivate --sync "$history"
    [ -n "$1" ] && xdotool type --delay 20 "$1"
    window_wait "^History: $2\$" 5 >/dev/null || fail "the history showed no $2 rows for \"$1\""
}
history_close() {
    xdotool windowactivate --sync "$history" key Escape
    window_gone '^History: ' 5 || fail "Esc did not close the history window"
}
# The conversation dialog's earlier results, as copied from its read-only field.
copy_earlier_results() {
    window_geometry "$dialog"
    click_at $((WIN_X + 120)) $((WIN_Y + 150))
    xdotool key ctrl+a ctrl+c
    earlier=$(xclip -selection clipboard -o 2>/dev/null)
    shot 2-earlier-results
    xdotool key Tab
}

scratch_new
home=$SCRATCH
first=$(site_register "Desk 1")
second=$(site_register "Desk 2")
start_desk "$first"

result='=SUM(1) visit booked for Friday, 10:00'
site_add_call "Anna Petrova" "+7 900 123-45-67" >/dev/null
take_and_close 1 "$result"
shot 1-first-call-closed

site_add_call "Anna P." "+7 (900) 123 45 67" >/dev/null
take_and_close 2 "Came by on Friday" copy_earlier_results
grep -qF "$result" <<<"$earlier" || fail "the dialog did not show the earlier result: \"$earlier\""
grep -qE '^[0-9].* [0-9]+:[0-9][0-9]' <<<"$earlier" || fail "the earlier result carried no date: \"$earlier\""
[ "$(grep -c . <<<"$earlier")" = 1 ] || fail "the dialog showed more than the one earlier result"

history_shows "" 2
xdotool type --delay 20 "frid"
window_wait '^History: 2$' 5 >/dev/null || fail "a word's start did not find both calls"
xdotool type --delay 20 " boo"
window_wait '^History: 1$' 5 >/dev/null || fail "two words did not narrow the search to one call"
shot 3-history-search
export_file=$SCRATCH/export.csv
xdotool key ctrl+e
save=$(window_wait '^Export history$' 10) || fail "Ctrl+E opened no file dialog"
xdotool windowactivate --sync "$save" key ctrl+a
xdotool type --delay 10 "$export_file"
xdotool key Return
window_gone '^Export history$' 5 || fail "the file dialog did not close"
[ -f "$export_file" ] || fail "nothing was exported"
[ "$(grep -c . "$export_file")" = 2 ] || fail "the export did not hold the header and the one row shown"
grep -qF "\"'$result\"" "$export_file" || fail "the result was not exported quoted and as text: $(cat "$export_file")"
history_close
app_quit "$main" || fail "the program did not quit"

# A second registration on the same computer sees none of the first one's history.
start_desk "$second"
history_shows "" 0
history_close
app_quit "$main" || fail "the program did not quit"

# A restart keeps the history; Help > Forget history empties it.
start_desk "$first"
history_shows "" 2
history_close
menu_choose "$main" 150 82 || fail "the Help menu did not open"
question=$(window_wait '^Forget history$' 5) || fail "Forget history asked nothing"
xdotool windowactivate --sync "$question" key alt+y
window_gone '^Forget history$' 5 || fail "the question did not close"
history_shows "" 0
history_close
app_quit "$main" || fail "the program did not quit"

# A damaged file is moved aside with a line that says so; closes go on, into a new history.
head -c 16384 /dev/urandom >"$home/.vorlan/history.sqlite"
start_desk "$first"
grep -q "history.sqlite: damaged" "$APP_OUT" || fail "the damaged history was not reported"
ls "$home/.vorlan/" | grep -q '^history.sqlite.damaged-' || fail "the damaged file was not kept aside"
site_add_call "Boris" "+7 900 000-00-03" >/dev/null
take_and_close 3 "Closed after the damage"
history_shows "damage" 1
history_close
app_quit "$main" || fail "the program did not quit"

# A full disk: ~/.vorlan on a small file system with next to no room left.
cp -a "$home/.vorlan" "$SCRATCH/vorlan-before"
if mount -t tmpfs -o size=1m,mode=700 tmpfs "$home/.vorlan" 2>/dev/null; then
    trap 'umount "$home/.vorlan" 2>/dev/null; site_stop; session_stop' EXIT
    cp -a "$SCRATCH/vorlan-before/." "$home/.vorlan/"
    dd if=/dev/zero of="$home/.vorlan/filler" bs=4k 2>/dev/null
    truncate -s -16k "$home/.vorlan/filler"
    app_start "$home"
    main=$(window_wait '^Vorlan' 15) || fail "on a full disk the program showed no main window"
    site_add_call "Clara" "+7 900 000-00-04" >/dev/null
    take_and_close 4 "Closed on a full disk"
    until_deadline=$((SECONDS + 5))
    until grep -q "call 4 not recorded" "$APP_OUT" || [ $SECONDS -gt $until_deadline ]; do sleep 0.2; done
    grep -q "call 4 not recorded" "$APP_OUT" || fail "the unrecorded close was not reported"
    shot 4-full-disk
    app_quit "$main" || fail "the program did not quit"
else
    echo "No tmpfs can be mounted here: the full-disk part is left to tst_callhistory"
fi
echo "PASS: call history"
