#!/usr/bin/env bash
# Renders docs/ui-sample.png under Xvfb: tests/ui/make_sample.sh [theme.qss]
# Without an argument the theme of res/skins/theme.qss is used when the tree has one.
set -euo pipefail
cd "$(dirname "$0")/../.."
theme="${1:-res/skins/theme.qss}"
args=(tests/ui/data docs/ui-sample.png)
if [[ -f "$theme" ]]; then args+=("$theme"); fi
mkdir -p docs
xvfb-run -a -s "-screen 0 1280x1024x24" build/tests/ui_sample "${args[@]}"
echo "wrote docs/ui-sample.png"
