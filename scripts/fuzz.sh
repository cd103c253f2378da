#!/usr/bin/env bash
# The fuzz targets of fuzz/, built with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer into build-fuzz/.
#
#   scripts/fuzz.sh regress            every target over its seed corpus and regression inputs
#                                      once (what CI runs); fails on the first broken rule
#   scripts/fuzz.sh run SECONDS [NAME] fuzz each target (or only NAME) for SECONDS; new inputs
#                                      go to build-fuzz/corpus/<name>/, crashes to
#                                      build-fuzz/crashes/<name>/ (copy those into
#                                      fuzz/regressions/<name>/ once mended)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh program checks
mode=${1:-regress}
src=$PWD
build=${TALVORE_FUZZ_BUILD_DIR:-$src/build-fuzz}
flags="-fsanitize=address,undefined,fuzzer-no-link -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" \
    -DTALVORE_BUILD_FUZZ=ON -DTALVORE_BUILD_TESTS=OFF -DTALVORE_BUILD_BENCH=OFF \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" --target talvore_fuzz -j"${TALVORE_JOBS:-2}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
targets=$(cd "$build/fuzz" && ls fuzz_*)
# Records as large as a store with a few profiles.
max_len=400000

case "$mode" in
regress)
    for fuzzer in $targets; do
        name=${fuzzer#fuzz_}
        inputs=("$src/fuzz/corpus/$name")
        if [ -d "$src/fuzz/regressions/$name" ]; then
            inputs+=("$src/fuzz/regressions/$name")
        fi
        echo "== $name: $(find "${inputs[@]}" -type f | wc -l) inputs"
        "$build/fuzz/$fuzzer" -runs=0 -max_len=$max_len "${inputs[@]}" 2>&1 | tail -n 3
    done
    echo "all fuzz regressions passed"
    ;;
run)
    seconds=${2:?usage: scripts/fuzz.sh run SECONDS [NAME]}
    only=${3:-}
    for fuzzer in $targets; do
        name=${fuzzer#fuzz_}
        if [ -n "$only" ] && [ "$only" != "$name" ]; then
            continue
        fi
        corpus=$build/corpus/$name
        crashes=$build/crashes/$name
        mkdir -p "$corpus" "$crashes"
        echo "== fuzzing $name for ${seconds}s"
        "$build/fuzz/$fuzzer" -max_total_time="$seconds" -max_len=$max_len \
            -artifact_prefix="$crashes/" -print_final_stats=1 \
            "$corpus" "$src/fuzz/corpus/$name" 2>&1 |
            grep -E "stat::number_of_executed_units|stat::peak_rss|ERROR|rule broken|SUMMARY" || true
    done
    found=$(find "$build/crashes" -type f | wc -l)
    echo "inputs that broke a rule or crashed: $found (in $build/crashes)"
    [ "$found" -eq 0 ]
    ;;
*)
    echo "usage: $0 regress | run SECONDS [NAME]" >&2
    exit 1
    ;;
esac
