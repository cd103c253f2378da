#!/usr/bin/env bash
# Renders the settings page in English and Russian, and the demo with its control panel, under Xvfb
# into docs/, with the simulated mouse of the demo's program folder connected.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --build build --target settings_screenshot talvore-demo
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r build/demo/. "$work/"
rm -rf "$work/Data"
xvfb-run -a -s "-screen 0 1280x800x24" "$work/settings_screenshot" "$work" 2 docs/settings-en.png
xvfb-run -a -s "-screen 0 1280x800x24" "$work/settings_screenshot" "$work" 3 docs/settings-ru.png
rm -rf "$work/Data"
xvfb-run -a -s "-screen 0 1340x660x24" "$work/settings_screenshot" "$work" 2 docs/demo-en.png \
    --with-panel
echo "docs/settings-en.png docs/settings-ru.png docs/demo-en.png"
