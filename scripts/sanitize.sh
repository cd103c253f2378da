#!/usr/bin/env bash
# Builds talvore with AddressSanitizer + UndefinedBehaviorSanitizer (asan) or ThreadSanitizer
# (tsan) into build-asan/ or build-tsan/ and runs the whole test suite there.
# The flags are global so the dlopen'ed driver and hook libraries carry the same sanitizer.
# Extra arguments go to ctest (e.g. -L unit, -R ApplyWorker).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh program checks
kind=${1:-asan}
shift || true
case "$kind" in
asan) sanitizers=address,undefined ;;
tsan) sanitizers=thread ;;
*)
    echo "usage: $0 [asan|tsan] [ctest arguments...]" >&2
    exit 1
    ;;
esac
flags="-fsanitize=$sanitizers -fno-omit-frame-pointer"
src=$PWD
build=${TALVORE_SANITIZE_BUILD_DIR:-$src/build-$kind}
supp=$src/tests/sanitizers

launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTALVORE_BUILD_BENCH=OFF "${launcher[@]}" \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=$sanitizers" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=$sanitizers" \
    -DCMAKE_MODULE_LINKER_FLAGS="-fsanitize=$sanitizers" \
    -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST >/dev/null
cmake --build "$build" -j"${TALVORE_JOBS:-2}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1:suppressions=$supp/asan.supp
export LSAN_OPTIONS=suppressions=$supp/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:suppressions=$supp/ubsan.supp
# die_after_fork=0: the tests start Xvfb, xdotool and the program with QProcess from threaded processes.
export TSAN_OPTIONS=halt_on_error=0:second_deadlock_stack=1:die_after_fork=0:suppressions=$supp/tsan.supp:exitcode=66
cd "$build"
ctest --output-on-failure -j2 "$@"
