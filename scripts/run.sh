#!/usr/bin/env bash
# Installs what building and running need, builds the program folders, and starts talvore-demo:
# the program with the simulated mouse attached (cable and receiver plugged) and the mouse's
# control panel beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh program
scripts/build.sh --program
exec build/demo/talvore-demo "$@"
