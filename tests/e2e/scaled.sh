#!/usr/bin/env bash
# The main window at the desktop scales operators use (1, 1.5 and 2) on a large screen: its
# minimum size grows with the scale, so nothing can be squeezed below what its texts need, and
# a screenshot of each is kept for review.
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
echo "PASS: scaled"
