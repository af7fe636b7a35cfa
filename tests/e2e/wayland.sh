#!/usr/bin/env bash
# The program as a native Wayland client of weston, without XWayland: the registration form
# takes the operator's typing and registers the workplace with the site, the restarted
# program shows its main window, lists a visitor's request, its status-notifier item toggles
# the window, and its quit command ends it.
set -u
E2E_NAME=wayland
here=$(dirname "$0")
source "$here/session.sh"
source "$here/../server/site.sh"
session_start --no-tray
source "$here/desktop_session.sh"
bus_start
sni_host_start
weston_start

scratch=$(mktemp -d)
export VORLAN_SITE_PASSWORD=wayland-password
site_start "$scratch/site.sqlite" || fail "the reference site did not start"
trap 'site_stop; desktop_stop; rm -rf "$scratch"' EXIT
site_operators() {
    php -r '$db = new PDO("sqlite:" . $argv[1]);
        foreach ($db->query("SELECT id, name FROM operators") as $row) echo "$row[0] $row[1]\n";' \
        "$scratch/site.sqlite"
}

home=$scratch/home
mkdir -p "$home"
wl_app_start "$home"
APP_PID=$(wl_window_wait '^Workplace registration$') || fail "the registration form did not appear"
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

APP_PID=$(wl_window_wait '^Vorlan$' 15) || fail "the restarted program showed no main window"
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

sni_activate "$item"
wl_window_gone '^Vorlan' 5 || fail "Activate did not hide the window"
wl_shot 5-hidden
sni_activate "$item"
wl_window_wait '^Vorlan: 1 pending$' 5 >/dev/null || fail "a second Activate did not show the window"

wl_menu_choose '^Vorlan' 40 34
# The restarted program is not this shell's child: its end is seen, not its status.
until_true 10 app_gone || fail "Quit application did not end the program"
sni_wait 0 5 || fail "the item stayed registered after the program ended"
echo "PASS: Wayland"
