# What desktops beyond the plain X session of session.sh offer: a session bus, a status-notifier
# host (the tray of KDE Plasma, GNOME's AppIndicator extension and the XFCE panel) and a Wayland
# compositor. Meant to be sourced after session.sh, session_start and (if the run has a site)
# site_session_start: it takes over their clean-up.
#
#   until_true <s> <command...> waits up to <s> seconds for the command to succeed
#   app_gone                   whether APP_PID has ended (a program that is no child too)
#   bus_start                  a private session bus; exports DBUS_SESSION_BUS_ADDRESS
#   a11y_start                 the AT-SPI bus and registry on that bus, with accessibility on, and
#                              Qt's bridge switched on for the programs started after it
#   portal_start               the settings portal of a GNOME session (xdg-desktop-portal with
#                              its GTK back end) on that bus, its settings in a keyfile of the
#                              run's own; desktop_style prefer-dark|default then switches it
#   sni_host_start [p=N;x;y]   xfconfd and an xfce4-panel holding only its status tray
#   sni_items                  the registered status-notifier items, one "service/path" a line
#   sni_wait <n> [s]           waits until exactly <n> items are registered
#   sni_activate <item>        calls the item's Activate, as a host does for a left click
#   panel_box                  sets PANEL_X PANEL_Y PANEL_W PANEL_H of the panel
#   panel_wider_than <w>       whether the panel is now wider than <w> pixels
#   panel_click                a plain left click on the middle of the panel, on its one item
#   notifier_start             xfce4-notifyd, the desktop's notification service, on the X display
#   dunst_start <log>          dunst as the notification service, its notifications kept until
#                              acted on, and dbus-monitor writing every Notify call into <log>
#   notifications              how many Notify calls the log of dunst_start holds
#   notification_wait [s]      waits until a notification shows; sets WIN_X WIN_Y WIN_W WIN_H
#   weston_start               weston without XWayland on the X display, which lends it a
#                              keyboard and a pointer; exports WAYLAND_DISPLAY
#   wl_app_start <home>        app_start as a Wayland client only (no DISPLAY)
#   wl_windows                 "pid title" of each top-level window weston shows
#   wl_window_wait <regex> [s] waits until a top-level window's title matches; echoes its pid
#   wl_window_gone <regex> [s] waits until no top-level window's title matches
#   wl_window_origin <regex>   sets WL_X WL_Y WL_W WL_H, the window's content in X coordinates
#   wl_menu_choose <regex> <dx> <dy>  menu_choose for a Wayland window
#   wl_key <keys...>           key presses into the focused Wayland window
#   wl_type <text>             types into the focused Wayland window
#   wl_shot <name>             a screenshot of weston's output into $SHOT_DIR/<name>.png
#   desktop_stop               ends what these started, the site, and what session_start started

DESKTOP_PIDS=()
DESKTOP_DIR=$(mktemp -d)
trap desktop_stop EXIT

desktop_stop() {
    local i
    [ -n "${APP_PID:-}" ] && kill "$APP_PID" 2>/dev/null
    for ((i = ${#DESKTOP_PIDS[@]} - 1; i >= 0; i--)); do kill "${DESKTOP_PIDS[i]}" 2>/dev/null; done
    DESKTOP_PIDS=()
    declare -F site_stop >/dev/null && site_stop
    session_stop
    rm -rf "$DESKTOP_DIR"
}

until_true() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.1
    done
}

app_gone() { ! kill -0 "$APP_PID" 2>/dev/null; }

bus_name_owned() {
    gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus \
        -m org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null | grep -q true
}

# No service directory: nothing is started behind the run's back, every daemon is ours.
bus_start() {
    cat >"$DESKTOP_DIR/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$DESKTOP_DIR</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
    dbus-daemon --config-file="$DESKTOP_DIR/bus.conf" --nofork --print-address=3 \
        3>"$DESKTOP_DIR/bus.address" 2>/dev/null &
    DESKTOP_PIDS+=($!)
    until_true 5 test -s "$DESKTOP_DIR/bus.address" || fail "the session bus did not start"
    export DBUS_SESSION_BUS_ADDRESS
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$DESKTOP_DIR/bus.address")
    # GTK's accessibility bridge would wait for a bus that this session does not run.
    export NO_AT_BRIDGE=1
}

a11y_start() {
    /usr/libexec/at-spi-bus-launcher --launch-immediately --a11y=1 >"$SHOT_DIR/a11y.log" 2>&1 &
    DESKTOP_PIDS+=($!)
    until_true 10 bus_name_owned org.a11y.Bus || fail "the AT-SPI bus did not start"
    unset NO_AT_BRIDGE
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
}

portal_start() {
    export GSETTINGS_BACKEND=keyfile XDG_CONFIG_HOME=$DESKTOP_DIR/config XDG_CURRENT_DESKTOP=GNOME
    mkdir -p "$XDG_CONFIG_HOME"
    /usr/libexec/xdg-desktop-portal-gtk >"$SHOT_DIR/portal-gtk.log" 2>&1 &
    DESKTOP_PIDS+=($!)
    until_true 10 bus_name_owned org.freedesktop.impl.portal.desktop.gtk \
        || fail "the portal's GTK back end did not start"
    /usr/libexec/xdg-desktop-portal --replace >"$SHOT_DIR/portal.log" 2>&1 &
    DESKTOP_PIDS+=($!)
    until_true 10 bus_name_owned org.freedesktop.portal.Desktop || fail "the settings portal did not start"
}

desktop_style() { gsettings set org.gnome.desktop.interface color-scheme "$1"; }

sni_host_start() {
    local position=${1:-p=6;x=0;y=0} channels=$DESKTOP_DIR/config/xfce4/xfconf/xfce-perchannel-xml
    mkdir -p "$channels"
    cat >"$channels/xfce4-panel.xml" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="$position"/>
      <property name="length" type="uint" value="1"/>
      <property name="length-adjust" type="bool" value="true"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="32"/>
      <property name="icon-size" type="uint" value="24"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray">
      <property name="square-icons" type="bool" value="true"/>
    </property>
  </property>
</channel>
EOF
    export XDG_CONFIG_HOME=$DESKTOP_DIR/config
    local xfconfd
    xfconfd=$(ls /usr/lib/*/xfce4/xfconf/xfconfd 2>/dev/null | head -n 1)
    [ -x "$xfconfd" ] || fail "xfconfd is not installed"
    "$xfconfd" >/dev/null 2>&1 &
    DESKTOP_PIDS+=($!)
    until_true 10 bus_name_owned org.xfce.Xfconf || fail "xfconfd did not take its bus name"
    xfce4-panel --disable-wm-check >"$DESKTOP_DIR/panel.log" 2>&1 &
    DESKTOP_PIDS+=($!)
    until_true 15 sni_host_registered || fail "the panel registered no status-notifier host"
}

sni_watcher_property() {
    gdbus call --session -d org.kde.StatusNotifierWatcher -o /StatusNotifierWatcher \
        -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher "$1" 2>/dev/null
}

sni_host_registered() { sni_watcher_property IsStatusNotifierHostRegistered | grep -q true; }

sni_items() {
    sni_watcher_property RegisteredStatusNotifierItems | grep -o "'[^']*'" | tr -d "'"
}

sni_count_is() { [ "$(sni_items | grep -c .)" = "$1" ]; }

sni_wait() { until_true "${2:-15}" sni_count_is "$1"; }

sni_activate() {
    gdbus call --session -d "${1%%/*}" -o "/${1#*/}" \
        -m org.kde.StatusNotifierItem.Activate 0 0 >/dev/null
}

panel_box() {
    local id
    id=$(xwininfo -root -tree | awk '/"xfce4-panel": \("xfce4-panel" "Xfce4-panel"\)/ &&
        $(NF-1) !~ /^10x10/ { print $1; exit }')
    [ -n "$id" ] || fail "no panel window"
    window_geometry "$id"
    PANEL_X=$WIN_X PANEL_Y=$WIN_Y PANEL_W=$WIN_W PANEL_H=$WIN_H
}

panel_wider_than() {
    panel_box
    [ "$PANEL_W" -gt "$1" ]
}

panel_click() {
    panel_box
    # A pointer that is already there makes a synchronous move wait for motion that never comes.
    xdotool mousemove $((PANEL_X + PANEL_W + 100)) $((PANEL_Y + PANEL_H + 100))
    click_at $((PANEL_X + PANEL_W / 2)) $((PANEL_Y + PANEL_H / 2))
}

dunst_start() {
    NOTIFY_LOG=$1
    dbus-monitor "interface='org.freedesktop.Notifications',member='Notify'" >"$NOTIFY_LOG" 2>&1 &
    DESKTOP_PIDS+=($!)
    # A busy machine reaches a notification's action later than dunst's default timeout.
    printf '[urgency_low]\n timeout = 0\n[urgency_normal]\n timeout = 0\n[urgency_critical]\n timeout = 0\n' \
        >"$DESKTOP_DIR/dunstrc"
    dunst -config "$DESKTOP_DIR/dunstrc" >"$DESKTOP_DIR/dunst.log" 2>&1 &
    DUNST_PID=$!
    DESKTOP_PIDS+=("$DUNST_PID")
    until_true 5 dbus-send --session --print-reply --dest=org.freedesktop.Notifications \
        /org/freedesktop/Notifications org.freedesktop.Notifications.GetServerInformation \
        >/dev/null 2>&1 || fail "dunst did not take the notification service"
}

notifications() { grep -c 'member=Notify' "$NOTIFY_LOG"; }

notifier_start() {
    local notifyd
    notifyd=$(ls /usr/lib/*/xfce4/notifyd/xfce4-notifyd 2>/dev/null | head -n 1)
    [ -x "$notifyd" ] || fail "xfce4-notifyd is not installed"
    "$notifyd" >/dev/null 2>&1 &
    DESKTOP_PIDS+=($!)
    until_true 10 bus_name_owned org.freedesktop.Notifications \
        || fail "xfce4-notifyd did not take the notification service"
}

# The daemon's popups; the 10x10 one is its hidden leader window.
notification_id() {
    xwininfo -root -tree | awk '/"xfce4-notifyd": \("xfce4-notifyd" "Xfce4-notifyd"\)/ &&
        $(NF-1) !~ /^10x10/ { print $1; exit }'
}

notification_shown() { [ -n "$(notification_id)" ]; }

notification_wait() {
    until_true "${1:-15}" notification_shown || return 1
    # The popup fades in where it will stay.
    sleep 0.5
    window_geometry "$(notification_id)"
}

weston_start() {
    cat >"$DESKTOP_DIR/weston.ini" <<EOF
[core]
xwayland=false
idle-time=0

[shell]
background-color=0xff204060
panel-position=none
animation=none
startup-animation=none
EOF
    # The compositor's socket, and with it every client's way in, is this run's alone.
    mkdir -m 700 "$DESKTOP_DIR/runtime"
    export XDG_RUNTIME_DIR=$DESKTOP_DIR/runtime WAYLAND_DISPLAY=wayland-e2e
    # --debug lets the run read the scene graph and take screenshots.
    weston --backend=x11-backend.so --use-pixman --width=1024 --height=640 \
        --socket="$WAYLAND_DISPLAY" --config="$DESKTOP_DIR/weston.ini" --debug \
        >"$SHOT_DIR/weston.log" 2>&1 &
    DESKTOP_PIDS+=($!)
    until_true 15 wl_scene >/dev/null || fail "weston did not start"
    WESTON_WINDOW=$(xwininfo -root -tree | awk '/"Weston Compositor - screen0"/ { print $1; exit }')
    [ -n "$WESTON_WINDOW" ] || fail "weston showed no output window"
    ! grep -q "Loading module.*xwayland" "$SHOT_DIR/weston.log" || fail "weston loaded XWayland"
}

wl_app_start() {
    local display=$DISPLAY
    unset DISPLAY
    QT_QPA_PLATFORM=wayland app_start "$@"
    export DISPLAY=$display
}

wl_scene() { weston-debug scene-graph 2>/dev/null | grep -q "^Output"; }

wl_windows() {
    weston-debug scene-graph 2>/dev/null |
        sed -n "s/.*role xdg_toplevel, PID \([0-9]*\), .*top-level window '\(.*\)' of .*/\1 \2/p"
}

wl_window_wait() {
    local deadline=$((SECONDS + ${2:-15})) line
    while [ $SECONDS -lt $deadline ]; do
        line=$(wl_windows | grep -E "^[0-9]+ ${1#^}" | head -n 1)
        [ -n "$line" ] && { echo "${line%% *}"; return 0; }
        sleep 0.1
    done
    return 1
}

wl_window_shown() { wl_windows | grep -qE "^[0-9]+ ${1#^}"; }

wl_window_absent() { ! wl_window_shown "$1"; }

wl_window_gone() { until_true "${2:-15}" wl_window_absent "$1"; }

# The window's content in X coordinates of the display weston runs on, and its size: Qt draws
# the window's own decoration on Wayland, a 3-pixel border and a 30-pixel title bar.
wl_window_origin() {
    local x1 y1 x2 y2
    read -r x1 y1 x2 y2 < <(weston-debug scene-graph 2>/dev/null | awk -v title="$1" '
        /role xdg_toplevel/ { match($0, /top-level window .* of /);
            inwin = substr($0, RSTART + 18, RLENGTH - 23) ~ title; next }
        inwin && /position:/ { gsub(/[(),]/, " "); print $2, $3, $5, $6; exit }')
    [ -n "$x1" ] || fail "no Wayland window matches $1"
    window_geometry "$WESTON_WINDOW"
    WL_X=$((WIN_X + x1 + 3)) WL_Y=$((WIN_Y + y1 + 30)) WL_W=$((x2 - x1 - 6)) WL_H=$((y2 - y1 - 33))
}

# As menu_choose does on X: the menu bar's menu at <dx>, then the item at <dy>.
wl_menu_choose() {
    wl_window_origin "$1"
    click_at $((WL_X + $2)) $((WL_Y + 10))
    sleep 0.3
    click_at $((WL_X + $2 + 40)) $((WL_Y + $3))
}

# Weston hands the keys its own X window receives to the Wayland window it has focused.
wl_key() {
    xdotool windowactivate --sync "$WESTON_WINDOW" 2>/dev/null || xdotool windowfocus "$WESTON_WINDOW"
    xdotool key --delay 50 "$@"
}

wl_type() {
    xdotool windowactivate --sync "$WESTON_WINDOW" 2>/dev/null || xdotool windowfocus "$WESTON_WINDOW"
    xdotool type --delay 30 "$1"
}

wl_shot() {
    (cd "$DESKTOP_DIR" && rm -f wayland-screenshot-*.png && weston-screenshooter >/dev/null 2>&1 &&
        mv wayland-screenshot-*.png "$SHOT_DIR/$1.png")
}
