#!/usr/bin/env bash
# scripts/install-deps.sh does nothing on a machine that has everything, so README's commands run
# there without root: every name it lists must be a package dpkg knows as installed under that
# very name. A virtual name (one a real package only provides) is never "installed" and would make
# every run call apt-get and ask for root.
#   install_deps_test.sh SOURCE_DIR
set -euo pipefail
src=$1
command -v dpkg-query >/dev/null || { echo "skipped: not a Debian system"; exit 77; }
status=0
while read -r package; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        echo "listed but not installed under this name: $package"
        status=1
    fi
done < <(bash "$src/scripts/install-deps.sh" --list program checks)
[ "$status" -eq 0 ] && echo "every listed package is installed under its own name"
exit "$status"
