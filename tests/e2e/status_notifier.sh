#!/usr/bin/env bash
# A desktop whose tray is a status-notifier host on the session bus (here the XFCE panel's
# status tray): the program's icon shows in the host without XEmbed, a click on it in the host
# and the item's Activate over the bus each toggle the main window, and quitting takes the
# item off the bus.
set -u
E2E_NAME=status_notifier
here=$(dirname "$0")
source "$here/session.sh"
session_start --no-tray
source "$here/desktop_session.sh"
bus_start
sni_host_start
panel_box
empty_width=$PANEL_W

app_start_registered "http://127.0.0.1:9" "{1c0ffee0-0000-4000-8000-000000000005}"
window=$(window_wait '^Vorlan$') || fail "the main window did not appear"
sni_wait 1 || fail "the program registered no status-notifier item"
item=$(sni_items)
[[ $item == org.kde.StatusNotifierItem-$APP_PID-*/StatusNotifierItem ]] \
    || fail "the registered item $item is not the program's"
grep -q "No system tray found" "$APP_OUT" && fail "the program saw no tray beside the host"
gdbus call --session -d "${item%%/*}" -o "/${item#*/}" -m org.freedesktop.DBus.Properties.Get \
    org.kde.StatusNotifierItem ToolTip | grep -qF "Vorlan - http://127.0.0.1:9" \
    || fail "the item does not carry the tooltip"
# An XEmbed icon would be a window of the program's class beside the main window.
[ "$(xwininfo -root -tree | grep -c '("vorlan" "vorlan")')" = 1 ] \
    || fail "the program embedded an XEmbed icon as well"
until_true 5 panel_wider_than "$empty_width" \
    || fail "the panel did not make room for the icon"
sleep 0.5
shot icon-in-host

panel_click
window_gone '^Vorlan$' 5 || fail "a click on the icon in the host did not hide the window"
shot hidden
panel_click
window=$(window_wait '^Vorlan$' 5) || fail "a second click in the host did not show the window"

sni_activate "$item"
window_gone '^Vorlan$' 5 || fail "Activate over the bus did not hide the window"
sni_activate "$item"
window=$(window_wait '^Vorlan$' 5) || fail "a second Activate did not show the window"

app_quit "$window" || fail "Quit application did not end the program"
app_wait_exit 10 || fail "Quit application did not end the program"
[ "$APP_STATUS" = 0 ] || fail "the program ended with status $APP_STATUS"
sni_wait 0 5 || fail "the item stayed registered after the program ended"
echo "PASS: status-notifier host"
