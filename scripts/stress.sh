#!/usr/bin/env bash
# The stress runs behind docs/reliability.md (not part of ctest):
#   - store_kill_stress: saves and imports killed at random points, both stores checked after
#     every kill;
#   - apply_soak: applies to the simulated mouse with random link drops, sleeps and refusals;
#   - store_writers_stress: talvorectl writers at the same moment, alone and beside the running
#     program, in every pairing of two and three (one slowed by strace when it is installed).
#
#   scripts/stress.sh [KILLS] [ROUNDS] [WRITER_ROUNDS]      (defaults 1000, 1000 and 100)
#
# Builds into build/ (configure it first, e.g. with scripts/build.sh). The kill stress works in
# $TMPDIR (default /tmp), on the disk, so that every save is flushed as it is in use.
set -euo pipefail
cd "$(dirname "$0")/.."
kills=${1:-1000}
rounds=${2:-1000}
writer_rounds=${3:-100}
cmake --build build --target store_kill_stress apply_soak store_writers_stress \
    -j"${TALVORE_JOBS:-2}" >/dev/null
echo "== store_kill_stress $kills"
build/stress/store_kill_stress "$kills" "${TMPDIR:-/tmp}"
echo "== apply_soak $rounds"
build/stress/apply_soak "$rounds"
echo "== store_writers_stress $writer_rounds"
build/stress/store_writers_stress "$writer_rounds" "${TMPDIR:-/tmp}"
