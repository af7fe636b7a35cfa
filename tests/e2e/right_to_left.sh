#!/usr/bin/env bash
# Names in right-to-left scripts, mixed with digits and other scripts, and emoji, where the
# operator reads them: the list, the tooltip of a cut name, the conversation dialog and the
# notifications, each kept as a screenshot. A name cannot reorder what stands beside it: the
# number under an Arabic name in a notification still reads as dialled.
set -u
E2E_NAME=right_to_left
export VORLAN_SITE_PASSWORD=rtl-password
source "$(dirname "$0")/session.sh"
session_start
site_session_start
source "$(dirname "$0")/desktop_session.sh"
bus_start
dunst_start "$SCRATCH/notify.log"
announced_more_than() { [ "$(notifications)" -gt "$1" ]; }
# The text of dunst's popups, white on blue, as OCR reads it.
notification_text() {
    local geometry
    geometry=$(xwininfo -root -tree | awk '/"Dunst": \("Dunst" "Dunst"\)/ { print $(NF-1); exit }')
    [ -n "$geometry" ] || return 1
    import -window root -crop "$geometry" +repage -colorspace gray -negate -resize 300% \
        "$SCRATCH/notification.png" 2>/dev/null
    tesseract "$SCRATCH/notification.png" - --psm 6 2>/dev/null
}

home=$SCRATCH
write_registration "$home" "$SITE_URL" "$(site_register "Desk 7")"
site_add_call "مريم الحسن" "+7 900 555-01-00" >/dev/null
site_add_call "דוד לוי 3" "+972 50 123 4567" >/dev/null
site_add_call "Ольга 🙂 O'Neil 2" "+7 900 555-02-00" >/dev/null
site_add_call "عبد الرحمن بن محمد بن عبد الله الحسيني القرشي" "+966 50 123 4567" >/dev/null
app_start "$home"
main=$(window_wait '^Vorlan: 4 pending$' 20) || fail "the four requests were not listed"
until_true 10 announced_more_than 0 || fail "the four requests were not announced"
sleep 1
shot 1-list-and-summary

# The long Arabic name is cut in its column; pointing at it shows it whole.
window_geometry "$main"
xdotool mousemove $((WIN_X + 80)) $((WIN_Y + 176))
sleep 1
shot 2-tooltip-of-a-cut-name

xdotool windowactivate --sync "$main" key Return
window_wait '^Conversation$' 10 >/dev/null || fail "taking the Arabic caller's call opened no dialog"
sleep 1
shot 3-dialog
xdotool key Escape
window_gone '^Conversation$' 10 || fail "Esc did not close the dialog"

# One new request is announced with its number on a line of its own under the name.
site_add_call "مريم الحسن" "+7 900 555-03-00" >/dev/null
notifications_before=$(notifications)
xdotool windowactivate --sync "$main" key F5
until_true 10 announced_more_than "$notifications_before" || fail "the fifth request was not announced"
sleep 1
shot 4-one-request-announced
text=$(notification_text) || fail "no notification popup to read"
grep -q '+7 900 555' <<<"$text" \
    || fail "the number under the Arabic name does not read as dialled; the popup reads: $text"
echo "PASS: right_to_left"
