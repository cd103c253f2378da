#!/usr/bin/env bash
# Installs the Debian packages talvore needs, named as the package index of this release offers
# them (Debian 12 and 13 alike). Does nothing when they are all present; needs root or sudo when
# something is missing.
#   scripts/install-deps.sh [SET...]          install what is missing of the sets (default: program)
#   scripts/install-deps.sh --list [SET...]   print the package names it would install here, one
#                                             a line, and install nothing
# Sets:
#   program    building and running the program (scripts/run.sh)
#   checks     what the tests, the fuzz targets, the benchmarks and the Debian package add
#              (scripts/test.sh and .ci/run take both sets)
#   display    a virtual X display and xdotool, the part of checks that scripts/check-run.sh needs
#   packaging  the tools that build the Debian package, the part of checks scripts/package.sh needs
set -euo pipefail

program=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-tools-dev qt6-svg-dev
    # the SVG image plugin that draws the skin's images: a package of its own where the index
    # offers one (it came with the SVG library before); "?" marks a name taken only where offered
    qt6-svg-plugins?
    # UiTools' CMake files need Qt's OpenGL module, which some releases only recommend
    libqt6opengl6-dev
    libhidapi-dev libxkbcommon-dev libxkbcommon-x11-dev libxi-dev libx11-dev
    # Qt's platform plugin for Wayland sessions: a plugin, so nothing links it
    qt6-wayland
    # Latin, Cyrillic and Chinese for the four interface languages
    fonts-dejavu-core fonts-wqy-microhei
)
display=(xvfb xauth xdotool)
packaging=(dpkg-dev file)
checks=(
    libgtest-dev libgmock-dev libbenchmark-dev libxdamage-dev
    "${display[@]}" "${packaging[@]}"
    desktop-file-utils appstream dbus-daemon
    # the manual pages' roff check and talvorectl's completions, loaded by each shell
    groff-base bash-completion zsh fish
    # the desktop tests: a headless Wayland compositor, its screenshots, our input client's
    # libraries; an X11 window manager, a tray and the X tools the X11 tests use
    sway grim libwayland-dev openbox trayer x11-utils
    # clang with libFuzzer and the sanitizer runtimes (scripts/fuzz.sh, scripts/sanitize.sh)
    clang clang-runtime
)

list=0
if [ "${1:-}" = --list ]; then
    list=1
    shift
fi
[ $# -gt 0 ] || set -- program
wanted=()
for set in "$@"; do
    case "$set" in
    program) wanted+=("${program[@]}") ;;
    checks) wanted+=("${checks[@]}") ;;
    display) wanted+=("${display[@]}") ;;
    packaging) wanted+=("${packaging[@]}") ;;
    *)
        echo "usage: $0 [--list] [program|checks|display|packaging]..." >&2
        exit 2
        ;;
    esac
done

# (Output is read whole before it is matched: a grep -q that stops early would make the pipe fail.)
Installed() {
    [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = 'install ok installed' ]
}

# A name the index has a version of (a virtual name has none).
Offered() {
    local policy
    policy=$(apt-cache policy "$1" 2>/dev/null)
    [[ "$policy" =~ Candidate:\ [^\(] ]]
}

# The real package behind a virtual name, when exactly one offers it.
SoleProvider() {
    apt-cache showpkg "$1" 2>/dev/null |
        sed -n '/^Reverse Provides:/,$p' | sed 1d | awk 'NF { print $1 }' | sort -u |
        { mapfile -t providers; [ ${#providers[@]} -eq 1 ] && echo "${providers[0]}"; }
}

# clang's runtime (libFuzzer, the sanitizers): the unversioned package where the release has one,
# else the one that belongs to the clang the index offers.
ClangRuntime() {
    if Installed libclang-rt-dev || Offered libclang-rt-dev; then
        echo libclang-rt-dev
        return
    fi
    local depends
    depends=$(apt-cache depends clang 2>/dev/null || true)
    if [[ "$depends" =~ Depends:\ clang-([0-9]+) ]]; then
        echo "libclang-rt-${BASH_REMATCH[1]}-dev"
    else
        echo libclang-rt-dev  # no clang offered: apt-get names what is missing
    fi
}

# The name this release installs for a wanted name; nothing for an optional one it lacks.
Resolve() {
    local name=$1
    [ "$name" = clang-runtime ] && name=$(ClangRuntime)
    if [[ "$name" == *\? ]]; then
        name=${name%\?}
        if Installed "$name" || Offered "$name"; then
            echo "$name"
        fi
        return
    fi
    if Installed "$name" || Offered "$name"; then
        echo "$name"
        return
    fi
    local provider
    provider=$(SoleProvider "$name" || true)
    echo "${provider:-$name}"
}

ResolveAll() {
    resolved=()
    local name seen=" "
    for name in "${wanted[@]}"; do
        name=$(Resolve "$name")
        [ -n "$name" ] || continue
        [[ "$seen" == *" $name "* ]] && continue
        seen+="$name "
        resolved+=("$name")
    done
}

ResolveAll
if [ "$list" -eq 1 ]; then
    printf '%s\n' "${resolved[@]}"
    exit 0
fi

Missing() {
    missing=()
    local p
    for p in "${resolved[@]}"; do
        Installed "$p" || missing+=("$p")
    done
}

Missing
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

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
# Names are chosen again on the fresh index: before its first update a new system knows none.
ResolveAll
Missing
echo "Installing: ${missing[*]}"
"${run[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
