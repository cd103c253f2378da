#!/usr/bin/env bash
# Configures and builds talvore into build/ (Release with debug info). Extra arguments go to cmake.
#   scripts/build.sh             the program, the tests and the benchmarks
#   scripts/build.sh --program   the program folders only, which need only the program's packages
#                                (scripts/install-deps.sh program): no tests, no benchmarks
# ccache is used when it is installed, as the fuzz and sanitizer builds do.
set -euo pipefail
cd "$(dirname "$0")/.."
parts=(-DTALVORE_BUILD_TESTS=ON -DTALVORE_BUILD_BENCH=ON)
if [ "${1:-}" = --program ]; then
    parts=(-DTALVORE_BUILD_TESTS=OFF -DTALVORE_BUILD_BENCH=OFF)
    shift
fi
launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${parts[@]}" "${launcher[@]}" "$@" >/dev/null
cmake --build build
