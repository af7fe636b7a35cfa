# A real X session for end-to-end runs of the program; meant to be sourced.
#
#   session_start [--no-tray]   Xvfb on a free display, openbox, and (unless --no-tray) trayer
#   session_stop                ends everything session_start and app_start began
#   app_start <home> [args]     starts the program with HOME=<home>; sets APP_PID, APP_OUT
#   app_wait_exit <seconds>     waits for APP_PID to end; sets APP_STATUS
#   window_wait <regex> [s]     waits until a visible window's title matches; echoes its id
#   window_gone <regex> [s]     waits until no visible window's title matches
#   window_geometry <id>        sets WIN_X WIN_Y WIN_W WIN_H (absolute)
#   click_at <x> <y>            a plain left click at absolute coordinates
#   window_close <id> <regex>   clicks the window's close button until no such window shows
#   menu_choose <id> <dx> <dy>  opens the menu bar's menu at <dx> and picks the item at <dy>
#   app_quit <id> [pid]         Application > Quit application until the program has ended
#   tray_icons                  how many icons of the program sit in the tray
#   tray_wait <n> [s]           waits until exactly <n> icons of the program sit in the tray
#   tray_click                  a plain left click on the program's tray icon
#   shot <name>                 a screenshot into $ARTIFACT_DIR/<test>/<name>.png
#   fail <message>              prints the message, a last screenshot, the program output; exits 1

E2E_NAME=${E2E_NAME:-e2e}
SHOT_DIR=${ARTIFACT_DIR:-/tmp}/$E2E_NAME
VORLAN=${VORLAN:-$VORLAN_BINARY_DIR/vorlan}
SESSION_PIDS=()
mkdir -p "$SHOT_DIR"

session_start() {
    # Xvfb picks a free display itself and names it once it accepts clients, so sessions
    # started side by side never reach for the same one.
    local display_file
    display_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
    SESSION_PIDS+=($!)
    for _ in $(seq 1 100); do
        [ -s "$display_file" ] && break
        sleep 0.1
    done
    [ -s "$display_file" ] || { echo "no X display could be started" >&2; exit 1; }
    export DISPLAY=":$(head -n 1 "$display_file")"
    rm -f "$display_file"
    openbox >/dev/null 2>&1 &
    SESSION_PIDS+=($!)
    if [ "${1:-}" != --no-tray ]; then
        trayer --edge top --align right --widthtype request --height 32 \
            --SetDockType true --transparent false >/dev/null 2>&1 &
        SESSION_PIDS+=($!)
        for _ in $(seq 1 50); do
            xwininfo -root -tree | grep -q '"panel": ("panel" "trayer")' && break
            sleep 0.1
        done
        # The panel is mapped a moment before trayer owns the tray selection.
        sleep 1
    fi
    sleep 0.5
    export QT_QUICK_BACKEND=software XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
    trap session_stop EXIT
}

session_stop() {
    [ -n "${APP_PID:-}" ] && kill "$APP_PID" 2>/dev/null
    pkill -f "^$VORLAN" 2>/dev/null
    local pid
    for pid in "${SESSION_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    SESSION_PIDS=()
}

app_start() {
    local home=$1
    shift
    APP_OUT=$SHOT_DIR/vorlan-$(date +%s%N).out
    HOME=$home "$VORLAN" "$@" >"$APP_OUT" 2>&1 &
    APP_PID=$!
}

app_wait_exit() {
    local deadline=$((SECONDS + $1))
    while kill -0 "$APP_PID" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
    kill -0 "$APP_PID" 2>/dev/null && return 1
    wait "$APP_PID"
    APP_STATUS=$?
    return 0
}

window_wait() {
    local deadline=$((SECONDS + ${2:-15})) id
    while [ $SECONDS -lt $deadline ]; do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

window_gone() {
    local deadline=$((SECONDS + ${2:-15}))
    while [ $SECONDS -lt $deadline ]; do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}

window_geometry() {
    local info
    info=$(xwininfo -id "$1")
    WIN_X=$(awk '/Absolute upper-left X/ { print $NF }' <<<"$info")
    WIN_Y=$(awk '/Absolute upper-left Y/ { print $NF }' <<<"$info")
    WIN_W=$(awk '/^ *Width:/ { print $NF }' <<<"$info")
    WIN_H=$(awk '/^ *Height:/ { print $NF }' <<<"$info")
}

click_at() {
    xdotool mousemove "$1" "$2"
    sleep 0.2
    xdotool click 1
    sleep 0.3
}

# The operator's way to close a window: the close button at the right of openbox's title bar.
window_close() {
    local attempt
    for attempt in 1 2 3; do
        window_geometry "$1"
        click_at $((WIN_X + WIN_W - 10)) $((WIN_Y - 11))
        window_gone "$2" 5 && return 0
    done
    return 1
}

menu_choose() {
    xdotool windowactivate --sync "$1" 2>/dev/null
    sleep 0.3
    window_geometry "$1"
    click_at $((WIN_X + $2)) $((WIN_Y + 10))
    sleep 0.3
    click_at $((WIN_X + $2 + 40)) $((WIN_Y + $3))
}

app_quit() {
    local pid=${2:-$APP_PID} attempt
    for attempt in 1 2 3; do
        menu_choose "$1" 40 34
        for _ in $(seq 1 50); do
            kill -0 "$pid" 2>/dev/null || return 0
            sleep 0.1
        done
    done
    return 1
}

# The program's icon windows among trayer's "panel" children: "absX absY width height" each.
tray_icon_boxes() {
    xwininfo -root -tree | awk '
        /"panel": \("panel" "trayer"\)/ { inpanel = 1; depth = index($0, "0x"); next }
        inpanel && index($0, "0x") > 0 && index($0, "0x") <= depth { inpanel = 0 }
        inpanel && /\("vorlan" "vorlan"\)/ {
            split($(NF-1), size, /[x+]/); split($NF, pos, /\+/)
            print pos[2], pos[3], size[1], size[2]
        }'
}

tray_icons() { tray_icon_boxes | grep -c . ; }

tray_wait() {
    local deadline=$((SECONDS + ${2:-15}))
    while [ $SECONDS -lt $deadline ]; do
        [ "$(tray_icons)" = "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

tray_click() {
    local x y w h
    read -r x y w h < <(tray_icon_boxes | head -n 1)
    [ -n "$x" ] || fail "no tray icon to click"
    click_at $((x + w / 2)) $((y + h / 2))
}

shot() { import -window root "$SHOT_DIR/$1.png" 2>/dev/null; }

fail() {
    echo "FAIL: $*" >&2
    shot failure
    [ -n "${APP_OUT:-}" ] && { echo "--- program output:" >&2; cat "$APP_OUT" >&2; }
    exit 1
}

write_registration() {
    mkdir -p "$1/.vorlan"
    chmod 700 "$1/.vorlan"
    printf '{\n    "operatorID": "%s",\n    "server": "%s",\n    "workplace": "%s"\n}\n' \
        "$3" "$2" "${4:-Desk 1}" >"$1/.vorlan/vorlan.conf"
}
