#!/usr/bin/env bash
# A working stretch at the operator's desk against the reference site, with a real notification
# daemon on a session bus of its own: started in the tray, a new request is announced once
# (notification, tray icon), its notification's action takes the call, a draft result survives
# the dialog, a take while the site is down and a restart, and Ctrl+Enter sends the draft, which
# the site stores exactly; a poll that shows the window hidden in the tray leaves the keyboard
# with the program the operator is typing in, until a tray click. What the status line and the
# tooltip say is checked by tst_qmlmainwindow and tst_gui.
set -u
E2E_NAME=operator_desk
source "$(dirname "$0")/session.sh"
session_start
export VORLAN_SITE_PASSWORD=desk-password
site_session_start
scratch=$SCRATCH
site_url=$SITE_URL
site_port=${SITE_URL##*:}

# The site back on its old address, as after a restart of its web server.
site_restart() {
    VORLAN_DB=$SITE_DB php -S "127.0.0.1:$site_port" -t "$SITE_ROOT" \
        "$SITE_ROOT/router.php" >"$scratch/site-again.log" 2>&1 &
    SITE_PID=$!
    SITE_URL=$site_url
    for _ in $(seq 1 100); do
        grep -qs "started" "$scratch/site-again.log" && return 0
        sleep 0.1
    done
    return 1
}

# The session bus has no service activation, so the notification service is exactly the daemon
# started here; dbus-monitor records every notification sent on it.
source "$(dirname "$0")/desktop_session.sh"
bus_start
dunst_start "$scratch/notify.log"

# How red the tray icon is: the mean of red minus blue over its box, in percent.
tray_redness() {
    local x y w h
    read -r x y w h < <(tray_icon_boxes | head -n 1)
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$scratch/tray.png" 2>/dev/null
    convert "$scratch/tray.png" -format '%[fx:int(100*(mean.r-mean.b))]' info:
}
get_data() { xdotool windowactivate --sync "$main" key F5; sleep 1; }
# The tray icon's message balloon: a shown top-level window of the program without a title.
balloon_window() {
    local id
    for id in $(xwininfo -root -children | awk '/ "vorlan": \("vorlan" "vorlan"\)/ { print $1 }'); do
        xwininfo -id "$id" | grep -q 'Map State: IsViewable' && { echo "$id"; return 0; }
    done
    return 1
}
# Picks the item <n> places down the tray icon's context menu.
tray_menu_pick() {
    local x y w h
    read -r x y w h < <(tray_icon_boxes | head -n 1)
    xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 3
    sleep 0.8
    shot "$2"
    xdotool key --repeat "$1" --delay 100 Down
    xdotool key Return
    sleep 0.5
}

scratch_new
home=$SCRATCH
write_registration "$home" "$SITE_URL" "$(site_register "Desk 12")"

# Started as the autostart entry starts it: in the tray, the window hidden until asked for.
app_start "$home" --tray
tray_wait 1 || fail "the program showed no tray icon"
sleep 1
window_gone '^Vorlan$' 1 || fail "--tray started with the main window open"
shot 0-started-in-tray
tray_click
main=$(window_wait '^Vorlan$' 5) || fail "a tray click did not show the window"
shot 1-window-shown
idle_red=$(tray_redness)
[ "$(notifications)" = 0 ] || fail "an empty list was announced"

# A visitor leaves a request; the next poll announces it once.
curl -s -o /dev/null --data-urlencode "name=Anna Petrova" \
    --data-urlencode "phone=+7 900 123-45-67" "$SITE_URL/index.php"
get_data
main=$(window_wait '^Vorlan: 1 pending$' 10) || fail "the visitor's request did not appear"
for _ in $(seq 1 30); do [ "$(notifications)" = 1 ] && break; sleep 0.1; done
[ "$(notifications)" = 1 ] || fail "the new request was announced $(notifications) times"
grep -q '"Anna Petrova' "$scratch/notify.log" || fail "the notification did not name the caller"
grep -A1 '"sound-name"' "$scratch/notify.log" | grep -q '"message-new-instant"' \
    || fail "the notification carried no sound for a new message"
grep -A1 '"default"' "$scratch/notify.log" | grep -q '"Take the call"' \
    || fail "the notification offered no action to take the call"
shot 2-request-announced
pending_red=$(tray_redness)
[ "$pending_red" -gt $((idle_red + 20)) ] \
    || fail "the tray icon did not change with a pending request ($idle_red -> $pending_red)"

get_data
sleep 1
[ "$(notifications)" = 1 ] || fail "a poll without new calls announced again"

# Another program has the keyboard: a poll that brings no new call leaves it there.
xmessage -title Typing "Another program" &
DESKTOP_PIDS+=($!)
other=$(window_wait '^Typing$' 5) || fail "the other program's window did not show"
xdotool windowactivate --sync "$other"
polls=$(grep -c ' Accepted$' "$SITE_LOG")
tray_menu_pick 2 3a-poll-beside-other-program
until_true 5 test "$(grep -c ' Accepted$' "$SITE_LOG")" -gt "$polls" \
    || fail "Get data now in the tray menu did not poll"
sleep 1
[ "$(xdotool getactivewindow)" = "$other" ] || fail "a poll without new calls took the keyboard"
[ "$(notifications)" = 1 ] || fail "a poll without new calls announced again"
shot 3b-keyboard-kept
kill "${DESKTOP_PIDS[-1]}"

# The notification's action takes the call; a draft typed and the dialog closed with Esc.
dunstctl action 0
dialog=$(window_wait '^Conversation$' 10) || fail "the notification's action opened no dialog"
site_show_call 1 | grep -q '"status":"processing"' || fail "the action did not take the call"
draft="Called back: visit on Friday, 10:30; 100% sure & <glad>
second line"
xdotool windowactivate --sync "$dialog"
xdotool type --delay 15 "${draft%%$'\n'*}"
xdotool key Return
xdotool type --delay 15 "${draft#*$'\n'}"
sleep 1
shot 4-draft-typed
xdotool key Escape
window_gone '^Conversation$' 5 || fail "Esc did not close the conversation dialog"
[ -n "$(ls "$home/.vorlan/drafts" 2>/dev/null)" ] || fail "no draft was kept"
[ "$(stat -c %a "$home/.vorlan/drafts"/*)" = 600 ] || fail "the draft is readable by others"

# The site goes down: Enter on the list tries to take the call and opens no dialog.
site_stop
get_data
shot 5-site-down
until_true 10 grep -qi 'refused' "$APP_OUT" || fail "the poll did not find the site gone"
failures=$(grep -ci 'refused' "$APP_OUT")
xdotool windowactivate --sync "$main" key Return
until_true 10 test "$(grep -ci 'refused' "$APP_OUT")" -gt "$failures" \
    || fail "Enter on the list did not try to take the call"
window_gone '^Conversation$' 1 || fail "a failed take opened the dialog"
shot 7-take-unreachable

# The site comes back.
site_restart || fail "the site did not come back"
get_data
until_true 10 grep -q ' Accepted$' "$scratch/site-again.log" || fail "no poll reached the site again"
shot 8-site-back

# Quitting with an unsent draft asks first; the draft outlives the program.
app_quit_asked() {
    xdotool windowactivate --sync "$main" key ctrl+q
    window_wait '^Unsent result$' 5
}
question=$(app_quit_asked) || fail "Ctrl+Q with an unsent draft did not ask"
shot 9-quit-asks
xdotool windowactivate --sync "$question" key alt+y
app_wait_exit 10 || fail "confirming the quit did not end the program"
[ "$APP_STATUS" = 0 ] || fail "the program ended with status $APP_STATUS"

app_start "$home"
main=$(window_wait '^Vorlan: 1 pending$' 15) || fail "the restarted program did not list the call"
sleep 1
xdotool windowactivate --sync "$main" key Return
dialog=$(window_wait '^Conversation$' 10) || fail "taking the call again opened no dialog"
sleep 0.5
shot 10-draft-restored
# Esc while the site has not answered yet: the dialog waits for the answer, the program lives on.
kill -STOP "$SITE_PID"
xdotool windowactivate --sync "$dialog" key ctrl+Return
sleep 1
xdotool key Escape
sleep 1
kill -CONT "$SITE_PID"
kill -0 "$APP_PID" 2>/dev/null || fail "Esc while the result was on its way ended the program"
window_gone '^Conversation$' 10 || fail "Ctrl+Enter did not send the result"
kill -0 "$APP_PID" 2>/dev/null || fail "the program ended once the site answered"
site_show_call 1 | grep -q '"status":"closed"' || fail "the site did not close the call"
stored=$(site_show_call 1 | php -r 'echo json_decode(stream_get_contents(STDIN), true)["comment"];')
[ "$stored" = "$draft" ] || fail "the site stored \"$stored\" instead of the draft"
[ -z "$(ls "$home/.vorlan/drafts" 2>/dev/null)" ] || fail "the confirmed draft was not removed"
main=$(window_wait '^Vorlan$' 10) || fail "the closed call stayed in the list"
shot 11-call-closed

# Without a notification service, the tray's own balloon announces.
kill "$DUNST_PID"
sleep 0.5
before=$(notifications)
curl -s -o /dev/null --data-urlencode "name=Boris" --data-urlencode "phone=+7 900 000-00-01" \
    "$SITE_URL/index.php"
get_data
window_wait '^Vorlan: 1 pending$' 10 >/dev/null || fail "the second request did not appear"
[ "$(notifications)" = $((before + 1)) ] || fail "the second request was not offered to the bus"
grep -q '"Boris' "$scratch/notify.log" || fail "the announcement did not name the caller"
until_true 10 balloon_window >/dev/null || fail "no balloon showed"
balloon=$(balloon_window)
shot 12-balloon
# A click on the balloon takes the call, as the notification's action does.
window_geometry "$balloon"
click_at $((WIN_X + WIN_W / 2)) $((WIN_Y + WIN_H / 2))
dialog=$(window_wait '^Conversation$' 10) || fail "a click on the balloon opened no dialog"
site_show_call 2 | grep -q '"status":"processing"' || fail "the balloon's click did not take the call"
xdotool windowactivate --sync "$dialog" key Escape
window_gone '^Conversation$' 5 || fail "Esc did not close the second conversation"
# The tray menu switches the announcements off (kept in vorlan.conf) and gets data at once.
tray_menu_pick 3 13-tray-menu
grep -q '"notifyNewCalls": false' "$home/.vorlan/vorlan.conf" \
    || fail "switching the announcements off was not kept"
grep -q '"operatorID": "' "$home/.vorlan/vorlan.conf" || fail "the registration was lost"
before=$(notifications)
curl -s -o /dev/null --data-urlencode "name=Clara" --data-urlencode "phone=+7 900 000-00-02" \
    "$SITE_URL/index.php"
tray_menu_pick 2 14-tray-menu-get-data
window_wait '^Vorlan: 2 pending$' 10 >/dev/null || fail "Get data now in the tray menu did not poll"
sleep 1
[ "$(notifications)" = "$before" ] || fail "a request was announced with the announcements off"

# Hidden in the tray while another program has the keyboard: a poll that lists a new request
# shows the window, asking for attention, and the keyboard stays; a tray click hands it over.
xdotool windowactivate --sync "$main"
tray_click
window_gone '^Vorlan: 2 pending$' 5 || fail "a tray click did not hide the window"
xmessage -title Typing "Another program" &
DESKTOP_PIDS+=($!)
other=$(window_wait '^Typing$' 5) || fail "the other program's window did not show"
xdotool windowactivate --sync "$other"
curl -s -o /dev/null --data-urlencode "name=Dmitry" --data-urlencode "phone=+7 900 000-00-04" \
    "$SITE_URL/index.php"
tray_menu_pick 2 15-poll-while-hidden
main=$(window_wait '^Vorlan: 3 pending$' 10) || fail "the poll did not show the hidden window"
sleep 1
[ "$(xdotool getactivewindow)" = "$other" ] || fail "the poll that showed the window took the keyboard"
xprop -id "$main" _NET_WM_STATE | grep -q _NET_WM_STATE_DEMANDS_ATTENTION \
    || fail "the window shown by a poll asked for no attention"
shot 16-shown-without-keyboard
tray_click
until_true 5 test "$(xdotool getactivewindow)" = "$main" \
    || fail "a tray click did not give the shown window the keyboard"
shot 17-keyboard-after-tray-click
kill "${DESKTOP_PIDS[-1]}"
xdotool windowactivate --sync "$main" key ctrl+q
app_wait_exit 10 || fail "Ctrl+Q did not end the program"
echo "PASS: operator desk"
