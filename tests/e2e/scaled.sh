#!/usr/bin/env bash
# The main window at the desktop scales operators use (1, 1.5 and 2) on a large screen: its
# minimum size grows with the scale, so nothing can be squeezed below what its texts need, and
# a screenshot of each is kept for review. Then on a dark desktop, as its platform theme sets it,
# the window, its list and the conversation dialog turn dark with light text; and as GNOME's dark
# style sets it through the settings portal, at the start and while the program runs.
set -u
E2E_NAME=scaled
SESSION_SCREEN=2560x1600x24
source "$(dirname "$0")/session.sh"
session_start

# The window's minimum width in device pixels, as it asks the window manager.
minimum_width() {
    xprop -id "$1" WM_NORMAL_HINTS | awk '/program specified minimum size/ { print $5 }'
}

scratch_new
write_registration "$SCRATCH" "http://127.0.0.1:9" "{1c0ffee0-0000-4000-8000-000000000242}"
previous=0
for scale in 1 1.5 2; do
    QT_SCALE_FACTOR=$scale app_start "$SCRATCH"
    main=$(window_wait '^Vorlan$' 20) || fail "no main window at scale $scale"
    sleep 1
    shot "main-window-$scale"
    width=$(minimum_width "$main")
    [ -n "$width" ] && [ "$width" -gt "$previous" ] \
        || fail "at scale $scale the minimum width is '$width', not more than at the last scale ($previous)"
    previous=$width
    # The place kept at another scale must not put the window off the screen.
    window_geometry "$main"
    [ $((WIN_X + WIN_W)) -le 2560 ] && [ $((WIN_Y + WIN_H)) -le 1600 ] \
        || fail "at scale $scale the window reaches off the screen: $WIN_X $WIN_Y $WIN_W $WIN_H"
    xdotool windowactivate --sync "$main" key ctrl+q
    app_wait_exit 10 || fail "Ctrl+Q did not end the program at scale $scale"
done

# How light a window is, in percent: the mean and the brightest of its pixels; with <w>x<h>+<x>+<y>
# only that part of it.
lightness() {
    import -window "$1" "$SCRATCH/part.png" 2>/dev/null
    convert "$SCRATCH/part.png" ${2:+-crop "$2" +repage} -colorspace Gray \
        -format '%[fx:int(100*mean)] %[fx:int(100*maxima)]' info:
}
# A dark part with light text on it: dark on the whole, its brightest pixels near white.
is_dark() {
    local mean brightest
    read -r mean brightest < <(lightness "$1" "${2:-}")
    [ "$mean" -lt 30 ] && [ "$brightest" -gt 80 ]
}
is_light() {
    local mean brightest
    read -r mean brightest < <(lightness "$1")
    [ "$mean" -gt 70 ]
}
dark_with_light_text() {
    is_dark "$1" "${3:-}" \
        || fail "$2 is not dark with light text: mean and brightest lightness $(lightness "$1" "${3:-}")"
}

export VORLAN_SITE_PASSWORD=dark-password
site_session_start
scratch_new
site_add_call "Olga Petrova" "+7 900 555-01-00" >/dev/null
site_add_call "Ivan Sokolov" "+7 912 345-67-89" >/dev/null
site_add_call "Mark Feldman" "+1 212 555 0147" >/dev/null
write_registration "$SCRATCH" "$SITE_URL" "$(site_register "Desk 1")"
mkdir -p "$SCRATCH/config/qt5ct"
printf '[Appearance]\ncolor_scheme_path=%s\ncustom_palette=true\nstyle=Fusion\n' \
    /usr/share/qt5ct/colors/darker.conf >"$SCRATCH/config/qt5ct/qt5ct.conf"
XDG_CONFIG_HOME=$SCRATCH/config QT_QPA_PLATFORMTHEME=qt5ct app_start "$SCRATCH"
main=$(window_wait '^Vorlan: 3 pending$' 20) || fail "no main window listing the three calls on the dark desktop"
sleep 1
shot main-window-dark
import -window "$main" -frame "$SHOT_DIR/main-window-dark-alone.png" 2>/dev/null
dark_with_light_text "$main" "the main window"
# Below the menu bar and the column header: the rows of the list.
dark_with_light_text "$main" "the list" 600x100+20+60
xdotool windowactivate --sync "$main" key Return
dialog=$(window_wait '^Conversation$' 10) || fail "Return on the dark list opened no conversation dialog"
xdotool windowactivate --sync "$dialog"
xdotool type --delay 10 "Called back, all fine"
sleep 0.5
shot conversation-dark
dark_with_light_text "$dialog" "the conversation dialog"
xdotool key ctrl+Return
window_gone '^Conversation$' 10 || fail "the result typed on the dark desktop was not confirmed"
xdotool windowactivate --sync "$main" key ctrl+q
app_wait_exit 10 || fail "Ctrl+Q did not end the program on the dark desktop"

# GNOME gives Qt no palette: its dark style reaches the program through the settings portal, both
# as it stands at the start and as the operator switches it while the program runs.
source "$(dirname "$0")/desktop_session.sh"
bus_start
portal_start
desktop_style prefer-dark
app_start "$SCRATCH"
main=$(window_wait '^Vorlan: 2 pending$' 20) || fail "no main window listing the two calls left"
until_true 10 is_dark "$main" || dark_with_light_text "$main" "the window started in GNOME's dark style"
shot main-window-gnome-dark
desktop_style default
until_true 10 is_light "$main" || fail "the window stayed dark when the desktop turned light: $(lightness "$main")"
sleep 1
shot main-window-gnome-light
desktop_style prefer-dark
until_true 10 is_dark "$main" || dark_with_light_text "$main" "the window after the desktop turned dark again"
sleep 1
shot main-window-gnome-dark-again
xdotool windowactivate --sync "$main" key ctrl+q
app_wait_exit 10 || fail "Ctrl+Q did not end the program in GNOME's dark style"
echo "PASS: scaled"
