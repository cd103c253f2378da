#!/usr/bin/env bash
# Installs what is missing, builds the program (without tests and benchmarks) into build-deb/ and
# writes the Debian package build-deb/talvore_VERSION_ARCH.deb. Install it with
#   sudo apt-get install ./build-deb/talvore_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh program packaging
cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTALVORE_BUILD_TESTS=OFF -DTALVORE_BUILD_BENCH=OFF "$@" >/dev/null
cmake --build build-deb
cd build-deb
cpack -G DEB
