#!/usr/bin/env bash
# Renders the macro editor (empty, after a recording with its fill counter, with the edit pane
# open, and recording in its own area as where no global hook listens) in English and Russian into
# docs/.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --build build -j2 --target editor_screenshot talvore_res
for lang in EN RU; do
    lower=$(echo "$lang" | tr 'A-Z' 'a-z')
    QT_QPA_PLATFORM=offscreen build/tests/editor_screenshot build/bin/res/ "lan/$lang.xml" \
        "docs/macro-editor-empty-$lower.png" "docs/macro-editor-recorded-$lower.png" \
        "docs/macro-editor-edit-$lower.png" "docs/macro-editor-area-$lower.png"
done
ls docs/macro-editor-*.png
