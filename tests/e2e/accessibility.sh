#!/usr/bin/env bash
# The operator's road as a screen reader works it: over AT-SPI alone (a private session bus with
# the AT-SPI bus and registry), the registration form is filled and sent, each window offers
# its controls by role and translated name, a call row reads as one item whose default action
# takes the call, the result is typed and sent, the site stores it, and the tray menu quits.
set -u
E2E_NAME=accessibility
here=$(dirname "$0")
source "$here/session.sh"
session_start
export VORLAN_SITE_PASSWORD=a11y-password
site_session_start
source "$here/desktop_session.sh"
bus_start
a11y_start
atspi() { /usr/bin/python3 "$here/atspi.py" "$@"; }
visitor() {
    curl -s -o /dev/null -w '%{http_code}' --data-urlencode "name=$1" --data-urlencode "phone=$2" \
        "$SITE_URL/index.php" | grep -q 303 || fail "the visitor's page did not take $1"
}

# The oldest request is listed first and is the one taken.
visitor "Olga Petrova" "+7 900 555 01 00"
sleep 1
visitor "Boris Ivanov" "+7 900 555 02 00"

home=$SCRATCH/home
mkdir -p "$home"
app_start "$home"
window_wait '^Workplace registration$' >/dev/null || fail "the registration form did not appear"
form='Workplace registration'
atspi expect "$form" \
    text 'Enter your site URL \(i\.e\. http://www\.example\.com\)' \
    text 'Enter your workplace description \(need for register on your Vorlan server\)' \
    'password text' 'Enter you Vorlan Server password' \
    'push button' 'Register' || fail "the registration form lacks accessible controls"
atspi type "$form" text 'Enter your site URL.*' "$SITE_URL" || fail "the address could not be typed"
atspi type "$form" text 'Enter your workplace.*' "Reader desk" || fail "the description could not be typed"
atspi type "$form" 'password text' '.*password' "$VORLAN_SITE_PASSWORD" \
    || fail "the password could not be typed"
shot 1-registration-filled
atspi act "$form" 'push button' 'Register' || fail "Register could not be pressed"
app_wait_exit 15 || fail "the program did not end after registering"
app_adopt "$home" || fail "the program did not start anew after registering"

window_wait '^Vorlan: 2 pending$' 20 >/dev/null || fail "the two requests were not listed"
main='Vorlan: 2 pending'
atspi expect "$main" \
    list 'Pending requests' \
    'list item' 'Olga Petrova, \+7 900 555 01 00, waiting [0-9]+ min, new' \
    'list item' 'Boris Ivanov, \+7 900 555 02 00, waiting [0-9]+ min, new' \
    'status bar' 'Status' \
    label 'Click a request to take it; click a number to dial it\.' \
    'menu item' 'Application' 'menu item' 'Server' 'menu item' 'Help' \
    || fail "the main window lacks accessible items"
# A row is one item: its columns are not read again as separate labels.
atspi dump "$main" | grep -q "label 'Olga Petrova'" && fail "a row's columns are read one by one"
shot 2-main-window

# The menu bar's menus open by their mnemonics and are popups too; a dialog's fields read by
# their labels.
xdotool search --name "^$main\$" windowactivate --sync
atspi popup "xdotool key alt+h" 'Workplace...' \
    'menu item' 'Workplace\.\.\.' 'menu item' 'About\.\.\.' || fail "the Help menu could not be worked"
atspi expect Workplace text Site text 'Workplace name' text 'Operator ID' 'push button' Close \
    || fail "the workplace dialog lacks accessible items"
atspi act Workplace 'push button' Close || fail "the workplace dialog could not be closed"
window_gone '^Workplace$' 5 || fail "Close left the workplace dialog open"

atspi act "$main" 'list item' 'Olga Petrova,.*' || fail "the row's default action failed"
window_wait '^Conversation$' 10 >/dev/null || fail "the row's action opened no conversation dialog"
atspi expect Conversation \
    label 'Name: Olga Petrova' label 'Phone: \+7 900 555 01 00' \
    text 'Describe call result' 'push button' 'Close conversation' \
    || fail "the conversation dialog lacks accessible items"
site_show_call 1 | grep -q '"status":"processing"' || fail "the row's action did not take the oldest call"
result="Called back: a visit is booked for Friday"
atspi type Conversation text 'Describe call result' "$result" || fail "the result could not be typed"
shot 3-result-typed
atspi act Conversation 'push button' 'Close conversation' || fail "the send could not be pressed"
window_gone '^Conversation$' 10 || fail "a confirmed result did not close the dialog"
site_show_call 1 | grep -qF "\"comment\":\"$result\"" || fail "the site did not store the result"

window_wait '^Vorlan: 1 pending$' 10 >/dev/null || fail "the closed call stayed in the list"
read -r x y w h < <(tray_icon_boxes | head -n 1)
[ -n "${x:-}" ] || fail "no tray icon"
shot 4-one-left
atspi popup "xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 3" Quit \
    'menu item' 'Hide' 'menu item' 'Get data now' 'menu item' 'Announce new requests' \
    'menu item' 'Play a sound for new requests' 'menu item' 'Quit' \
    || fail "the tray menu could not be read and worked"
app_wait_exit 10 || fail "Quit from the tray menu did not end the program"
echo "PASS: accessibility"
