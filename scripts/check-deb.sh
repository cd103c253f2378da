#!/usr/bin/env bash
# For a throwaway system only (e.g. /work/shared/tools/fresh-debian-check): builds the Debian
# package, removes every build package again, installs the .deb with apt so that only its own
# dependencies come in, and runs the installed programs: talvorectl doctor, and talvore on a
# virtual X display until its main loop runs.
#   scripts/check-deb.sh --on-a-throwaway-system
set -euo pipefail
[ "${1:-}" = --on-a-throwaway-system ] || {
    echo "usage: $0 --on-a-throwaway-system   (it removes the build packages)" >&2
    exit 2
}
cd "$(dirname "$0")/.."
scripts/package.sh
deb=$(ls "$PWD"/build-deb/talvore_*.deb)
export DEBIAN_FRONTEND=noninteractive

echo "== removing the build packages"
mapfile -t build_packages < <(scripts/install-deps.sh --list program checks)
apt-get purge -y -qq --autoremove "${build_packages[@]}" >/dev/null
echo "Qt packages left: $(dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' 'libqt6*' 'qt6*' 2>/dev/null |
    awk '$1 == "ii" { printf "%s ", $2 }')"

echo "== apt-get install $deb"
apt-get install -y -qq "$deb"
dpkg -s talvore | grep -E '^(Status|Depends):'
# The list is read whole first: `dpkg -L | grep -q` fails under pipefail whenever grep finds its
# line and exits before dpkg has written the rest (dpkg dies of SIGPIPE).
files=$(dpkg -L talvore)
for f in /usr/share/man/man1/talvore.1 /usr/share/man/man1/talvorectl.1 \
    /usr/share/bash-completion/completions/talvorectl /usr/share/zsh/vendor-completions/_talvorectl \
    /usr/share/fish/vendor_completions.d/talvorectl.fish; do
    grep -qx "$f" <<<"$files" || { echo "the package lacks $f" >&2; exit 1; }
done
# Plugins no program links, which the package names by hand: the SVG images of the skin folder and
# the Wayland platform.
for plugin in imageformats/libqsvg.so 'platforms/libqwayland-*.so'; do
    dpkg -S "*/qt6/plugins/$plugin" || { echo "no Qt plugin $plugin after installing the package" >&2; exit 1; }
done

echo "== talvorectl doctor"
set +e
talvorectl doctor | tee /tmp/doctor.txt
rc=${PIPESTATUS[0]}
set -e
echo "doctor exit status: $rc (2: no mouse here)"
grep -q "skin folder  /usr/share/talvore/res/  found" /tmp/doctor.txt
grep -q "library      /usr/lib/talvore/hiddriver_2.so  loads" /tmp/doctor.txt
grep -q "library      /usr/lib/talvore/Hook.so  loads" /tmp/doctor.txt
grep -q "library      /usr/lib/talvore/talvore_layout_reader.so  loads" /tmp/doctor.txt
grep -q "library      /usr/lib/talvore/talvorectl_desktop_checks.so  loads" /tmp/doctor.txt
[ "$rc" -eq 2 ]

echo "== talvore on a virtual display"
apt-get install -y -qq --no-install-recommends xvfb xauth >/dev/null
export QT_LOGGING_RULES="talvore.*.info=true"
# A runtime folder of its own, as a session has: the single-instance socket lives there, apart from
# any talvore of another session on this machine.
runtime=$(mktemp -d)
XDG_RUNTIME_DIR=$runtime xvfb-run -a -s "-screen 0 1280x1024x24" timeout 20 talvore >/tmp/talvore.log 2>&1 || true
rm -rf "$runtime"
cat /tmp/talvore.log
grep -q "talvore.program: running" /tmp/talvore.log
if grep -q "not loaded\|layout error\|could not load the Qt platform plugin" /tmp/talvore.log; then
    echo "talvore reported a missing part" >&2
    exit 1
fi
echo "the package installs on its own dependencies and its programs run"
