#!/usr/bin/env bash
# Installs what is missing, builds, and starts talvore-demo: the program with the simulated mouse
# attached (cable and receiver plugged) and the mouse's control panel beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
exec build/demo/talvore-demo "$@"
