#!/usr/bin/env bash
# Writes the light theme from the dark one, renders the PNG images of res/skins/ (and of its light/
# folder) from their SVG sources and the theme preview picture
# docs/theme-preview.png. Run after changing an SVG or theme.qss; the results are checked in.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -d build ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target svg_to_png theme_preview
skins=res/skins
python3 scripts/make-light-theme.py
export QT_QPA_PLATFORM=offscreen
for name in keyboard_key_action mouse macro_key_down macro_key_up; do
    build/bin/svg_to_png "$skins/$name.svg" "$skins/$name.png" 24
    build/bin/svg_to_png "$skins/light/$name.svg" "$skins/light/$name.png" 24
done
build/bin/svg_to_png "$skins/icon.svg" "$skins/icon_256.png" 256
mkdir -p docs
if command -v xvfb-run >/dev/null 2>&1; then
    unset QT_QPA_PLATFORM
    xvfb-run -a -s "-screen 0 1280x1024x24" build/bin/theme_preview "$skins" docs/theme-preview.png
else
    build/bin/theme_preview "$skins" docs/theme-preview.png
fi
