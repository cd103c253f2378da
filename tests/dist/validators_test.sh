#!/usr/bin/env bash
# Runs the desktop's validators on the desktop entry and the AppStream metainfo.
#   validators_test.sh desktop|appstream SOURCE_DIR
# Exits 77 (skipped) when the validator is not installed.
set -euo pipefail
kind=$1
dist=$2/dist
case "$kind" in
desktop)
    command -v desktop-file-validate >/dev/null || { echo "skipped: desktop-file-validate is not installed (desktop-file-utils)"; exit 77; }
    out=$(desktop-file-validate "$dist/org.talvore.Talvore.desktop" 2>&1) || { echo "$out"; exit 1; }
    # It exits 0 on hints and warnings too; none is accepted.
    [ -z "$out" ] || { echo "$out"; exit 1; }
    ;;
appstream)
    command -v appstreamcli >/dev/null || { echo "skipped: appstreamcli is not installed (appstream)"; exit 77; }
    appstreamcli validate --no-net --explain "$dist/org.talvore.Talvore.metainfo.xml"
    ;;
*)
    echo "usage: $0 desktop|appstream SOURCE_DIR" >&2
    exit 2
    ;;
esac
echo "valid"
