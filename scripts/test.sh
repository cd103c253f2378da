#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite with ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh program checks
scripts/build.sh
cd build
ctest --output-on-failure -j2
