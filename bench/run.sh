#!/usr/bin/env bash
# Builds the benchmarks and the programs, runs every measurement under bench/ and writes
# docs/performance.md. The start-up, memory and UI-thread figures need Xvfb (xvfb-run).
#
#   bench/run.sh
#
# TALVORE_BUILD_DIR (default build/) is configured as RelWithDebInfo when it does not exist yet.
# TALVORE_BENCH_STARTS (default 11) starts of each program, TALVORE_BENCH_REPETITIONS (default 5)
# repetitions of each benchmark; medians are reported.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
build=${TALVORE_BUILD_DIR:-$src/build}
starts=${TALVORE_BENCH_STARTS:-11}
repetitions=${TALVORE_BENCH_REPETITIONS:-5}

scripts/install-deps.sh program checks
if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "xvfb-run is missing (package xvfb): the start-up figures need an X server" >&2
    exit 1
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
    launcher=()
    if command -v ccache >/dev/null 2>&1; then
        launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}"
else
    # scripts/run.sh leaves build/ configured without the benchmarks.
    cmake -S . -B "$build" -DTALVORE_BUILD_BENCH=ON >/dev/null
fi
cmake --build "$build" -j2 --target talvore talvore-demo talvorectl demo_talvorectl \
    data_core_bench apply_bench ui_layout_bench ui_latency_probe startup_steps first_window \
    bare_window make_profiles write_report
bench=$build/bench

# Everything runs on copies of the program folders in a folder of its own: the programs' Data/,
# their single-instance sockets and the benchmarks' temporary files stay out of the build.
work=$(mktemp -d "${TMPDIR:-/tmp}/talvore-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/tmp" "$work/runtime"
export TMPDIR=$work/tmp XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=xcb
unset TALVORE_SIM_LINKS
results=$work/results
mkdir "$results"
for folder in demo bin; do
    cp -r "$build/$folder" "$work/$folder"
    rm -rf "$work/$folder/Data"
done
cp -r "$work/demo" "$work/demo100"
"$bench/make_profiles" "$work/demo100" 100
cp -r "$work/demo" "$work/latency"
cp -r "$work/demo100" "$work/latency100"

dirty=
if ! git -C "$src" diff --quiet HEAD 2>/dev/null; then
    dirty=" (with uncommitted changes)"
fi
{
    echo "Date: $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "Commit: $(git -C "$src" rev-parse --short HEAD 2>/dev/null || echo unknown)$dirty"
    echo "CPU: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | xargs), $(nproc) cores"
    echo "Memory: $(awk '/MemTotal/ {printf "%.1f GB", $2 / 1048576}' /proc/meminfo)"
    echo "System: $(uname -sr), Qt $(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || echo '?')"
    echo "Build: $(grep -m1 '^CMAKE_BUILD_TYPE' "$build/CMakeCache.txt" | cut -d= -f2)"
    echo "Display: Xvfb, 1920 × 1080 × 24, no window manager"
    echo "Load average (1, 5, 15 min) at the start: $(cut -d' ' -f1-3 /proc/loadavg)"
} >"$results/machine.txt"

bench_args=(--benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true
    --benchmark_out_format=json)
echo "== data core"
"$bench/data_core_bench" "${bench_args[@]}" --benchmark_out="$results/data_core.json"
echo "== apply with the real waits"
"$bench/apply_bench" "${bench_args[@]}" --benchmark_out="$results/apply.json"
echo "== UI library"
QT_QPA_PLATFORM=offscreen "$bench/ui_layout_bench" "$work/demo/res" "${bench_args[@]}" \
    --benchmark_out="$results/ui_layout.json"

echo "== talvorectl apply over the simulated cable, as a process"
"$work/demo/talvorectl" new Default "$work/default.pro" >/dev/null
for _ in 1 2 3 4 5; do
    start=$(date +%s%N)
    TALVORE_SIM_LINKS=cable "$work/demo/talvorectl" apply "$work/default.pro" >/dev/null
    end=$(date +%s%N)
    echo "$(((end - start) / 1000))" | awk '{ printf "%.3f\n", $1 / 1000 }' >>"$results/talvorectl_apply.txt"
done

echo "== start-up, memory and the UI thread under Xvfb"
export bench work results starts
xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" bash -c '
    set -e
    "$bench/first_window" --runs "$starts" --size 800x572 --settle-ms 1000 \
        --out "$results/startup.json" \
        --program bare "$bench/bare_window" \
        --program demo "$work/demo/talvore-demo" \
        --program talvore "LD_PRELOAD=$work/demo/libtalvore_simhid.so $work/bin/talvore" \
        --program demo-100 "$work/demo100/talvore-demo"
    for i in 01 02 03 04 05 06 07 08 09 10 11; do
        "$bench/startup_steps" "$work/demo" --panel --out "$results/steps-$i.json" >/dev/null
    done
    "$bench/ui_latency_probe" "$work/latency" --seconds 10 --out "$results/latency.json" >/dev/null
    "$bench/ui_latency_probe" "$work/latency100" --seconds 10 --out "$results/latency-100.json" \
        >/dev/null
' 2> >(grep -v -e '^talvore\.' -e '^round ' >&2 || true)

echo "Load average (1, 5, 15 min) at the end: $(cut -d' ' -f1-3 /proc/loadavg)" >>"$results/machine.txt"
# The raw results of the last run stay in the build for a closer look.
rm -rf "$bench/results"
cp -r "$results" "$bench/results"
"$bench/write_report" "$results" "$src/bench/performance_notes.md" "$src/docs/performance.md"
echo "docs/performance.md written (raw results in $bench/results)"
