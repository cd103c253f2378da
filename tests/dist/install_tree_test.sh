#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks the tree, moves it elsewhere and runs the
# installed talvorectl and talvore from there: both must find the skin folder and the libraries
# of the moved tree, not of the build.
#   install_tree_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'kill "${pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" || fail "cmake --install"
id=org.talvore.Talvore
for f in bin/talvore bin/talvorectl \
    lib/talvore/hiddriver_1.so lib/talvore/hiddriver_2.so lib/talvore/Hook.so \
    lib/talvore/libtalvore_hidapi_lock.so \
    share/talvore/res/main.xml share/talvore/res/lan/EN.xml share/talvore/res/skins/icon.svg \
    share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/icons/hicolor/scalable/apps/$id.svg share/icons/hicolor/48x48/apps/$id.png \
    share/icons/hicolor/256x256/apps/$id.png lib/udev/rules.d/70-talvore.rules \
    share/man/man1/talvore.1 share/man/man1/talvorectl.1 \
    share/bash-completion/completions/talvorectl share/zsh/vendor-completions/_talvorectl \
    share/fish/vendor_completions.d/talvorectl.fish; do
    [ -f "$work/prefix/$f" ] || fail "missing $f"
done
# The manual pages are clean roff, and tell what --help tells.
for page in talvore talvorectl; do
    groff -man -ww -z "$work/prefix/share/man/man1/$page.1" 2>"$work/groff.txt" || fail "groff $page.1"
    [ ! -s "$work/groff.txt" ] || { cat "$work/groff.txt"; fail "groff warns about $page.1"; }
done
grep -q '^\\fBimport\\-macro FILE.macro\\fR$' "$work/prefix/share/man/man1/talvorectl.1" ||
    fail "talvorectl(1) does not list import-macro"
grep -q '^\\fB\\-\\-hidden\\fR$' "$work/prefix/share/man/man1/talvore.1" || fail "talvore(1) lacks --hidden"
[ ! -e "$work/prefix/share/talvore/res/CMakeLists.txt" ] || fail "the build file was installed"
[ ! -e "$work/prefix/bin/talvore-demo" ] || fail "the demo was installed"
# The programs and libraries look for libraries only relative to themselves, never in the build.
for f in "$work"/prefix/bin/* "$work"/prefix/lib/talvore/*.so; do
    paths=$(readelf -d "$f" | sed -n 's/.*R\(UN\)\?PATH.*\[\(.*\)\]/\2/p')
    case "$paths" in "" | '$ORIGIN' | '$ORIGIN/../lib/talvore') ;; *) fail "$f searches $paths" ;; esac
done

# Relocated: nothing of the build or of the first prefix is used.
mv "$work/prefix" "$work/moved"
top="$work/moved"
set +e
"$top/bin/talvorectl" doctor --sysfs "$work/nosys" >"$work/doctor.txt" 2>&1
rc=$?
set -e
cat "$work/doctor.txt"
[ "$rc" -eq 2 ] || fail "doctor without a mouse exits $rc, not 2"
grep -qF "skin folder  $top/share/talvore/res/  found" "$work/doctor.txt" || fail "skin folder"
for lib in hiddriver_2.so hiddriver_1.so Hook.so; do
    grep -qF "library      $top/lib/talvore/$lib  loads" "$work/doctor.txt" || fail "$lib"
done

# The program: its own instance (its socket under a private TMPDIR and runtime folder), the
# dynamic linker's log shows where the libraries came from.
mkdir -p "$work/run" && chmod 700 "$work/run"
TMPDIR="$work/run" XDG_RUNTIME_DIR="$work/run" HOME="$work/run" QT_QPA_PLATFORM=offscreen \
    QT_LOGGING_RULES="talvore.*.info=true" LD_DEBUG=files LD_DEBUG_OUTPUT="$work/ld" \
    "$top/bin/talvore" >"$work/talvore.log" 2>&1 &
pid=$!
for _ in $(seq 200); do
    grep -q "talvore.program: running" "$work/talvore.log" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
grep -q "talvore.program: running" "$work/talvore.log" || {
    cat "$work/talvore.log"
    fail "the installed talvore did not start its main loop"
}
kill "$pid"
wait "$pid" 2>/dev/null || true
cat "$work"/ld.* | grep -E 'file=.*(hiddriver|Hook|hidapi_lock)' | sort -u >"$work/loaded.txt" || true
cat "$work/loaded.txt"
# (libtalvore_hidapi_lock.so is needed to start at all, and RUNPATH only names the tree.)
for lib in hiddriver_1.so hiddriver_2.so Hook.so; do
    grep -qF "file=$top/lib/talvore/$lib " "$work/loaded.txt" || fail "talvore did not load $lib from the moved tree"
done
if grep -q "not loaded\|layout error" "$work/talvore.log"; then
    cat "$work/talvore.log"
    fail "talvore reported a missing file"
fi
echo "installed tree complete and relocatable"
