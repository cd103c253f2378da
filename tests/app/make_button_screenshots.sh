#!/usr/bin/env bash
# Renders a button's function menu, the key combination dialog and the macro selection dialog in
# English and Russian under Xvfb into docs/, over the settings page of the demo's simulated mouse.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --build build --target button_screenshots talvore-demo
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r build/demo/. "$work/"
for language in en:2 ru:3; do
    rm -rf "$work/Data"
    xvfb-run -a -s "-screen 0 1280x800x24" "$work/button_screenshots" "$work" "${language#*:}" \
        "docs/buttons-${language%%:*}"
done
ls docs/buttons-*.png
