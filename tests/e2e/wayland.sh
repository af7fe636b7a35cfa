#!/usr/bin/env bash
# The program as a native Wayland client of weston, without XWayland: the registration form
# takes the operator's typing and registers the workplace with the site, the restarted
# program shows its main window, lists a visitor's request and announces it through the
# desktop's notification service, whose action takes the call; the operator closes it with a
# result, the status-notifier item toggles the window, and the quit command ends the program.
set -u
E2E_NAME=wayland
here=$(dirname "$0")
source "$here/session.sh"
session_start --no-tray
export VORLAN_SITE_PASSWORD=wayland-password
site_session_start
source "$here/desktop_session.sh"
bus_start
sni_host_start
notifier_start
weston_start
site_operators() {
    php -r '$db = new PDO("sqlite:" . $argv[1]);
        foreach ($db->query("SELECT id, name FROM operators") as $row) echo "$row[0] $row[1]\n";' \
        "$SITE_DB"
}

home=$SCRATCH/home
mkdir -p "$home"
wl_app_start "$home"
[ "$(wl_window_wait '^Workplace registration$')" = "$APP_PID" ] || fail "the registration form did not appear"
# The compositor takes the window's icon and menu entry from the desktop entry of this name.
weston-debug scene-graph | grep -qF "'Workplace registration' of org.vorlan.Client," \
    || fail "the form's window does not name the desktop entry"
sleep 0.5
wl_shot 1-registration-form
wl_type "$SITE_URL"
wl_key Tab
wl_type "Wayland desk"
wl_key Tab
wl_type "$VORLAN_SITE_PASSWORD"
wl_shot 2-registration-typed
wl_key Tab space

app_wait_exit 15 || fail "the program did not end after registering"
[ "$APP_STATUS" = 0 ] || fail "the registering program ended with status $APP_STATUS"
operator=$(sed -n 's/.*"operatorID": "\([^"]*\)".*/\1/p' "$home/.vorlan/vorlan.conf")
[ -n "$operator" ] || fail "no operator identifier was stored"
[ "$(site_operators)" = "$operator Wayland desk" ] || fail "the site registered: $(site_operators)"

app_adopt "$home" || fail "the program did not start anew after registering"
[ "$(wl_window_wait '^Vorlan$' 15)" = "$APP_PID" ] || fail "the restarted program showed no main window"
grep -q "No system tray found" "$APP_OUT" && fail "the Wayland client saw no status-notifier host"
sni_wait 1 || fail "the restarted program registered no status-notifier item"
item=$(sni_items)
[[ $item == org.kde.StatusNotifierItem-$APP_PID-* ]] || fail "the item $item is not the program's"
sleep 0.5
wl_shot 3-main-window
shot 3-desktop-with-host

curl -s -o /dev/null -w '%{http_code}' --data-urlencode "name=Jan Nowak" \
    --data-urlencode "phone=+48 600 100 200" "$SITE_URL/index.php" | grep -q 303 \
    || fail "the visitor's page did not take the request"
wl_key F5
wl_window_wait '^Vorlan: 1 pending$' 10 >/dev/null || fail "the visitor's request was not listed"
sleep 0.5
wl_shot 4-request-listed

# Wayland lets no program raise its own window: the notification is what reaches the operator.
notification_wait 10 || fail "the new request was not announced"
shot 5-notification
click_at $((WIN_X + WIN_W - 60)) $((WIN_Y + WIN_H - 30))
wl_window_wait '^Conversation$' 10 >/dev/null || fail "the notification's action opened no conversation"
site_show_call 1 | grep -q '"status":"processing"' || fail "the site did not hand the call to this operator"
sleep 0.5
wl_shot 6-conversation
result="Called back: the order is confirmed"
wl_type "$result"
wl_window_origin '^Conversation$'
click_at $((WL_X + WL_W - 80)) $((WL_Y + WL_H - 22))
wl_window_gone '^Conversation$' 10 || fail "a confirmed result did not close the dialog"
wl_window_wait '^Vorlan$' 10 >/dev/null || fail "the closed call stayed in the list"
site_show_call 1 | grep -qF "\"comment\":\"$result\"" || fail "the site did not store the result"

sni_activate "$item"
wl_window_gone '^Vorlan' 5 || fail "Activate did not hide the window"
wl_shot 7-hidden
sni_activate "$item"
wl_window_wait '^Vorlan$' 5 >/dev/null || fail "a second Activate did not show the window"

wl_menu_choose '^Vorlan' 40 34
# The restarted program is not this shell's child: its end is seen, not its status.
until_true 10 app_gone || fail "Quit application did not end the program"
sni_wait 0 5 || fail "the item stayed registered after the program ended"
echo "PASS: Wayland"
