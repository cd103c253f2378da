#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing talvore need.
# Does nothing when they are all present. Needs root or sudo when something is missing.
#   scripts/install-deps.sh          install what is missing
#   scripts/install-deps.sh --list   print the package names, one a line, and install nothing
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-svg-dev libqt6opengl6-dev
    libhidapi-dev libxkbcommon-dev libxkbcommon-x11-dev libxi-dev libx11-dev libxdamage-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xdotool fonts-dejavu-core fonts-wqy-microhei
    desktop-file-utils appstream dpkg-dev file
    dbus-daemon
    # the manual pages' roff check and talvorectl's completions, loaded by each shell
    groff-base bash-completion zsh fish
    # clang with libFuzzer and the sanitizer runtimes: the fuzz targets of fuzz/ (.ci/run)
    clang libclang-rt-14-dev
)

if [ "${1:-}" = --list ]; then
    printf '%s\n' "${packages[@]}"
    exit 0
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    run=()
elif command -v sudo >/dev/null 2>&1; then
    run=(sudo)
else
    echo "These packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${run[@]}" apt-get update -qq
"${run[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
