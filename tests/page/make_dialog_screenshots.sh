#!/usr/bin/env bash
# Renders the colour dialog and the profile name dialog in English and Russian into docs/.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --build build -j2 --target dialog_screenshot talvore_res
for lang in EN RU; do
    lower=$(echo "$lang" | tr 'A-Z' 'a-z')
    QT_QPA_PLATFORM=offscreen build/tests/dialog_screenshot build/bin/res/ "lan/$lang.xml" \
        "docs/colour-dialog-$lower.png" "docs/profile-name-$lower.png"
done
echo "docs/colour-dialog-en.png docs/colour-dialog-ru.png docs/profile-name-en.png docs/profile-name-ru.png"
