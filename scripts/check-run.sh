#!/usr/bin/env bash
# README's run command on a virtual display: starts Xvfb, runs scripts/run.sh in the background
# and waits for the program's window and the simulated mouse's control panel.
# Exits 0 when both appear, 1 otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
# The display and xdotool only; scripts/run.sh installs the rest, as it does for a user.
scripts/install-deps.sh program display
scripts/build.sh --program  # built before the wait starts, so the wait measures only the start-up
display=:97
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/tmp/check-run-xvfb.log 2>&1 &
xvfb=$!
# A session of its own, as a desktop gives one: the program keeps its single-instance socket in
# the session's runtime folder, so an instance of another session on this machine (or of the host
# around a chroot) is not taken for this one.
runtime=$(mktemp -d)
trap 'kill "${run:-}" "$xvfb" 2>/dev/null || true; rm -rf "$runtime"' EXIT
export DISPLAY=$display XDG_RUNTIME_DIR=$runtime
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.2; done
scripts/run.sh >/tmp/check-run.log 2>&1 &
run=$!
found=0
for _ in $(seq 120); do
    if xdotool search --onlyvisible --name '^Corvane TALVORE Mouse$' >/dev/null 2>&1 &&
        xdotool search --onlyvisible --name '^Simulated TALVORE mouse$' >/dev/null 2>&1; then
        found=1
        break
    fi
    kill -0 "$run" 2>/dev/null || break
    sleep 0.5
done
for name in 'Corvane TALVORE Mouse' 'Simulated TALVORE mouse'; do
    if xdotool search --onlyvisible --name "^$name\$" >/dev/null 2>&1; then
        echo "window shown: $name"
    else
        echo "window missing: $name"
    fi
done
if [ "$found" -ne 1 ]; then
    if ! kill -0 "$run" 2>/dev/null; then
        status=0
        wait "$run" || status=$?
        echo "scripts/run.sh ended with status $status before its windows showed"
    fi
    cat /tmp/check-run.log
    exit 1
fi
echo "scripts/run.sh shows the program and its control panel"
