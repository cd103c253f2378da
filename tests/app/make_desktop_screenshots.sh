#!/usr/bin/env bash
# Screenshots of the desktop shell for docs/, taken from the demo on an X11 desktop (Xvfb, openbox,
# trayer, and dunst showing notifications on a session bus of its own): the low-battery
# notification and the tray badge, the program menu with "Start with the desktop" in English and
# Russian, the look menu, and the dark and light looks of the main window, the About box and the
# macro editor. Needs xvfb, openbox, trayer, dunst, xdotool and imagemagick.
set -euo pipefail
cd "$(dirname "$0")/../.."
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] || [ "${1:-}" != --on-bus ]; then
    exec dbus-run-session -- "$0" --on-bus
fi
cmake --build build --target talvore-demo >/dev/null
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
cp -r build/demo/. "$work/demo"
mkdir -p "$work/runtime" && chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config"
display=":$((700 + $$ % 200))"
export DISPLAY=$display
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp & pids+=($!)
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
openbox & pids+=($!)
trayer --edge bottom --align right --widthtype pixel --width 60 --height 28 & pids+=($!)
dunst & pids+=($!)
sleep 1

shot() { import -window root "$work/screen.png"; convert "$work/screen.png" -crop "$2" +repage "docs/$1"; }
wait_for() { for _ in $(seq 100); do eval "$1" && return 0; sleep 0.1; done; echo "timed out: $1" >&2; return 1; }
start_demo() {  # language id, look (0 dark, 1 light), extra environment
    rm -rf "$work/demo/Data" && mkdir -p "$work/demo/Data"
    printf '[SETTING]\nlanId=%s\nlook=%s\n' "$1" "$2" > "$work/demo/Data/CONFIG.ini"
    (cd "$work/demo" && exec env "${@:3}" ./talvore-demo >>"$work/demo.log" 2>&1) & demo=$!
    wait_for 'xdotool search --name "^Corvane TALVORE Mouse$|^Мышь Corvane TALVORE$" >/dev/null'
    sleep 1.5
}
stop_demo() { kill "$demo" 2>/dev/null || { echo "the demo ended early:" >&2; cat "$work/demo.log" >&2; }; wait "$demo" 2>/dev/null || true; }
# The demo puts its window at the left edge, 114 px down; the title bar's buttons sit there.
look_button() { xdotool mousemove 661 139 click 1; sleep 0.6; }
menu_button() { xdotool mousemove 700 139 click 1; sleep 0.6; }

# Dark, English: the battery at 12 % over the receiver, the notification and the tray badge.
start_demo 2 0 TALVORE_SIM_LINKS=receiver,awake TALVORE_SIM_BATTERY=12
sleep 3
shot battery-notification-en.png 1280x800+0+0
menu_button
shot program-menu-en.png 520x260+340+100
xdotool key Escape; sleep 0.3
look_button
shot look-menu-en.png 520x260+340+100
# Light, through the look menu.
xdotool key Down Down Return; sleep 1.5
shot light-theme-en.png 800x572+0+114
menu_button
xdotool key Down Return; sleep 1
shot about-light-en.png 440x300+180+250
xdotool key Return; sleep 0.5
xdotool mousemove 711 197 click 1; sleep 1.5
shot macro-editor-light-en.png 1280x800+0+0
stop_demo

# Dark and Russian.
start_demo 3 0
shot dark-theme-ru.png 800x572+0+114
menu_button
shot program-menu-ru.png 520x260+340+100
xdotool key Escape
stop_demo
ls docs/battery-notification-en.png docs/program-menu-en.png docs/look-menu-en.png \
   docs/light-theme-en.png docs/about-light-en.png docs/macro-editor-light-en.png \
   docs/dark-theme-ru.png docs/program-menu-ru.png
