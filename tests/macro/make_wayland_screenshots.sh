#!/usr/bin/env bash
# Pictures the macro editor recording in its own area, running natively under a headless Wayland
# compositor (sway), taken with the compositor's screenshot tool (grim), in English and Russian,
# into docs/. sway will not run as root: as root, the compositor, the editor and grim run as
# user 65534 (nobody), whom the build folder must be open to.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
cmake --build build -j2 --target editor_screenshot talvore_res
work=$(mktemp -d)
trap 'kill "$sway" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/xdg"
chmod 700 "$work/xdg"
printf 'output * resolution 1000x660 position 0,0\ndefault_border none\n' > "$work/sway.conf"
as_user=()
if [ "$(id -u)" = 0 ]; then
    chown -R 65534:65534 "$work"
    chmod 755 "$work"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
session=(env -i HOME="$work" PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$work/xdg")
"${as_user[@]}" "${session[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
    WLR_RENDERER=pixman sway -c "$work/sway.conf" > "$work/sway.log" 2>&1 &
sway=$!
for _ in $(seq 50); do
    [ -S "$work/xdg/wayland-1" ] && break
    sleep 0.1
done
for lang in EN RU; do
    lower=$(echo "$lang" | tr 'A-Z' 'a-z')
    "${as_user[@]}" "${session[@]}" WAYLAND_DISPLAY=wayland-1 QT_QPA_PLATFORM=wayland \
        "$root/build/tests/editor_screenshot" "$root/build/bin/res/" "lan/$lang.xml" \
        "$work/empty.png" "$work/recorded.png" "$work/edit.png" --stay 4000 &
    editor=$!
    sleep 2.5
    "${as_user[@]}" "${session[@]}" WAYLAND_DISPLAY=wayland-1 grim "$work/shot.png"
    wait "$editor"
    cp "$work/shot.png" "docs/macro-editor-wayland-$lower.png"
done
echo "docs/macro-editor-wayland-en.png docs/macro-editor-wayland-ru.png"
