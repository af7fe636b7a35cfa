# A real X session for end-to-end runs of the program; meant to be sourced.
#
#   session_start [--no-tray]   Xvfb on a free display (SESSION_SCREEN, default 1024x768x24),
#                               openbox, and (unless --no-tray) trayer
#   session_stop                ends what session_start began and every program this run
#                               started (by PID: other runs' and the developer's clients live)
#   app_start <home> [args]     starts the program with HOME=<home>; sets APP_PID, APP_OUT
#   scratch_new                 a new temporary directory in SCRATCH, removed by session_stop
#   site_session_start          the reference site on loopback with a new database SITE_DB
#                               (SITE_URL as site.sh sets it), stopped with the session
#   site_register <name>        registers a workplace at the site (VORLAN_SITE_PASSWORD); echoes
#                               its operator id
#   site_add_call <name> <phone>
#                               leaves a request at the site as a visitor would; echoes its id
#   site_show_call <id>         the site's stored record of a call, as JSON
#   app_start_registered <server> <operator id>
#                               starts it in a new home registered at <server>; sets APP_HOME
#   app_adopt <home> [s]        waits for the program that a running one started anew with
#                               HOME=<home> (the restart after a registration); sets APP_PID
#   app_wait_exit <seconds>     waits for APP_PID to end; sets APP_STATUS
#   window_wait <regex> [s]     waits until a visible window's title matches and openbox has
#                               framed and mapped it; echoes its id
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
XSELECTION=${XSELECTION:-${VORLAN_BINARY_DIR:-}/tests/e2e/vorlan_xselection}
SESSION_PIDS=()
APP_PIDS=()
SCRATCH_DIRS=()
mkdir -p "$SHOT_DIR"

# Waits until some client owns the X selection $1 (at most $2 seconds).
selection_wait() {
    local deadline=$((SECONDS + ${2:-10}))
    until "$XSELECTION" "$1"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.05
    done
}

session_start() {
    # Xvfb picks a free display itself and names it once it accepts clients, so sessions
    # started side by side never reach for the same one.
    local display_file
    display_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "${SESSION_SCREEN:-1024x768x24}" -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
    SESSION_PIDS+=($!)
    # Whatever fails from here on, what this session started ends with the run.
    trap session_stop EXIT
    for _ in $(seq 1 100); do
        [ -s "$display_file" ] && break
        sleep 0.1
    done
    [ -s "$display_file" ] || { echo "no X display could be started" >&2; exit 1; }
    export DISPLAY=":$(head -n 1 "$display_file")"
    rm -f "$display_file"
    # A machine shared with other builds can take seconds to start either of them.
    openbox >"$SHOT_DIR/openbox.log" 2>&1 &
    SESSION_PIDS+=($!)
    selection_wait WM_S0 60 || session_helper_failed $! "openbox did not take over the display"
    if [ "${1:-}" != --no-tray ]; then
        trayer --edge top --align right --widthtype request --height 32 \
            --SetDockType true --transparent false >"$SHOT_DIR/trayer.log" 2>&1 &
        SESSION_PIDS+=($!)
        # A program started before trayer owns the tray selection finds no tray.
        selection_wait _NET_SYSTEM_TRAY_S0 60 || session_helper_failed $! "trayer did not take the tray"
    fi
    export QT_QUICK_BACKEND=software XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
}

session_helper_failed() {
    local state=ended
    kill -0 "$1" 2>/dev/null && state="still running"
    echo "$2 (it is $state); what openbox and trayer wrote:" >&2
    cat "$SHOT_DIR"/openbox.log "$SHOT_DIR"/trayer.log 2>/dev/null >&2
    exit 1
}

session_stop() {
    local pid
    for pid in "${APP_PIDS[@]}"; do kill -CONT "$pid" 2>/dev/null; kill "$pid" 2>/dev/null; done
    for pid in "${SESSION_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "${SCRATCH_DIRS[@]}"
    APP_PIDS=()
    SESSION_PIDS=()
    SCRATCH_DIRS=()
}

app_start() {
    local home=$1
    shift
    APP_OUT=$SHOT_DIR/vorlan-$(date +%s%N).out
    HOME=$home "$VORLAN" "$@" >"$APP_OUT" 2>&1 &
    APP_PID=$!
    APP_PIDS+=("$APP_PID")
}

scratch_new() {
    SCRATCH=$(mktemp -d)
    SCRATCH_DIRS+=("$SCRATCH")
}

site_session_start() {
    source "$(dirname "${BASH_SOURCE[0]}")/../server/site.sh"
    scratch_new
    SITE_DB=$SCRATCH/site.sqlite
    site_start "$SITE_DB" || fail "the reference site did not start"
    trap 'site_stop; session_stop' EXIT
}

site_register() {
    local operator
    operator="{$(cat /proc/sys/kernel/random/uuid)}"
    curl -s --data-urlencode "pass=$VORLAN_SITE_PASSWORD" --data-urlencode "opID=$operator" \
        --data-urlencode "opName=$1" --data apiVer=1 "$SITE_URL/vorlan/reg.php" \
        | grep -q '"result":"0"' || fail "the site did not register $1"
    echo "$operator"
}

site_add_call() { VORLAN_DB=$SITE_DB php "$VORLAN_SOURCE_DIR/server/tools/add-call.php" "$1" "$2"; }
site_show_call() { VORLAN_DB=$SITE_DB php "$VORLAN_SOURCE_DIR/server/tools/show-call.php" "$1"; }

app_start_registered() {
    scratch_new
    APP_HOME=$SCRATCH
    write_registration "$APP_HOME" "$1" "$2"
    app_start "$APP_HOME"
}

# The program's processes whose HOME is $1: every run gives its programs a home of their own.
app_pids_with_home() {
    local exe proc
    exe=$(readlink -f "$VORLAN")
    for proc in /proc/[0-9]*; do
        [ "$(readlink "$proc/exe" 2>/dev/null)" = "$exe" ] || continue
        tr '\0' '\n' <"$proc/environ" 2>/dev/null | grep -qxF "HOME=$1" && echo "${proc#/proc/}"
    done
}

app_adopt() {
    local deadline=$((SECONDS + ${2:-15})) pid
    while [ $SECONDS -lt $deadline ]; do
        for pid in $(app_pids_with_home "$1"); do
            [ "$pid" = "$APP_PID" ] && continue
            APP_PID=$pid
            APP_PIDS+=("$pid")
            return 0
        done
        sleep 0.1
    done
    return 1
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
        # Until openbox has framed it, the window is not where the operator would click.
        if [ -n "$id" ] && window_framed "$id"; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

window_framed() {
    xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | grep -q ' = ' &&
        xprop -id "$1" WM_STATE 2>/dev/null | grep -q 'window state: Normal'
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

# Two clicks closer together than the double-click interval (400 ms) are one double click.
LAST_CLICK_MS=0
click_at() {
    local now
    now=$(($(date +%s%N) / 1000000))
    [ $((now - LAST_CLICK_MS)) -lt 500 ] && sleep "$(printf '0.%03d' $((500 - (now - LAST_CLICK_MS))))"
    # The server takes the move before the click; --sync would wait forever when the pointer
    # is already there.
    xdotool mousemove "$1" "$2" click 1
    LAST_CLICK_MS=$(($(date +%s%N) / 1000000))
}

# How many of the program's windows are mapped, menus and other popups included.
app_windows() { xdotool search --onlyvisible --class '^vorlan$' 2>/dev/null | grep -c . ; }

# Waits until more than $1 of the program's windows are mapped.
windows_more_than() {
    local deadline=$((SECONDS + ${2:-5}))
    while [ $SECONDS -lt $deadline ]; do
        [ "$(app_windows)" -gt "$1" ] && return 0
        sleep 0.05
    done
    return 1
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

# Returns once the menu has opened and its item was clicked; the caller checks what it did.
menu_choose() {
    local before
    xdotool windowactivate --sync "$1" 2>/dev/null
    before=$(app_windows)
    window_geometry "$1"
    click_at $((WIN_X + $2)) $((WIN_Y + 10))
    windows_more_than "$before" || return 1
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

# The program's icon windows among trayer's "panel" children: "absX absY width height" each;
# an icon trayer has not laid out yet (a pixel wide) is not there to click.
tray_icon_boxes() {
    xwininfo -root -tree | awk '
        /"panel": \("panel" "trayer"\)/ { inpanel = 1; depth = index($0, "0x"); next }
        inpanel && index($0, "0x") > 0 && index($0, "0x") <= depth { inpanel = 0 }
        inpanel && /\("vorlan" "vorlan"\)/ {
            split($(NF-1), size, /[x+]/); split($NF, pos, /\+/)
            if (size[1] > 1 && size[2] > 1) print pos[2], pos[3], size[1], size[2]
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
