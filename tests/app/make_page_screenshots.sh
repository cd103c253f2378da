#!/usr/bin/env bash
# Renders the page's fold headers, its disabled DPI stages and the message for a refused profile
# file in English and Russian under Xvfb into docs/, over the demo's simulated mouse.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --build build --target page_screenshots talvore-demo
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r build/demo/. "$work/"
for language in en:2 ru:3; do
    rm -rf "$work/Data"
    xvfb-run -a -s "-screen 0 1280x800x24" "$work/page_screenshots" "$work" "${language#*:}" \
        "docs/page-${language%%:*}"
done
ls docs/page-*.png
