#!/usr/bin/env bash
# Installs what is missing, builds, and shows a default profile and the reports it sends.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build/bin/talvorectl new Default "$work/default.pro"
build/bin/talvorectl show "$work/default.pro"
build/bin/talvorectl reports "$work/default.pro"
