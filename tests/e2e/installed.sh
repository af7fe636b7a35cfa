#!/usr/bin/env bash
# The installed package: "vorlan" as the menu entry starts it (a bare name found on PATH,
# from another directory) finds its installed main-window document and shows its tray icon.
set -u
E2E_NAME=installed
VORLAN=vorlan
source "$(dirname "$0")/session.sh"
[ "$(command -v vorlan)" = /usr/bin/vorlan ] || fail "vorlan on PATH is $(command -v vorlan), not /usr/bin/vorlan"
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/org.vorlan.Client.desktop)
[ "$exec_line" = vorlan ] || fail "the menu entry runs '$exec_line'"
session_start

home=$(mktemp -d)
write_registration "$home" "http://127.0.0.1:9" "{1c0ffee0-0000-4000-8000-000000000004}"
cd "$home"
app_start "$home"
window_wait '^Vorlan$' >/dev/null || fail "the installed program showed no main window"
tray_wait 1 || fail "the installed program showed no tray icon"
grep -q "No main-window document" "$APP_OUT" && fail "the installed document was not found"
shot installed
echo "PASS: installed program"
