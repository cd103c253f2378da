#!/usr/bin/env bash
# talvorectl's completions as the shells load them from an installed tree: bash (through
# bash-completion's loader when it is installed), fish and zsh where they are installed. Each
# names every command talvorectl has; bash and fish complete commands, profile names from the
# store and files by extension.
#   completions_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" || fail "cmake --install"
share=$work/prefix/share
bash_file=$share/bash-completion/completions/talvorectl
zsh_file=$share/zsh/vendor-completions/_talvorectl
fish_file=$share/fish/vendor_completions.d/talvorectl.fish

# A program folder with a store: a profile whose name has a space, files of several kinds.
mkdir -p "$work/program" "$work/files/sub"
cp "$build/bin/talvorectl" "$work/program/"
ctl=$work/program/talvorectl
cd "$work/files"
"$ctl" new "Work Day" day.pro
"$ctl" import day.pro >/dev/null
"$ctl" export 1 day.json
touch notes.txt old.macro

# Every command of --help, in every script.
commands=$("$ctl" --help | sed -n 's/^  \([a-z][a-z-]*\)\( .*\)\?$/\1/p' | sort)
[ -n "$commands" ] || fail "no commands in --help"
for file in "$bash_file" "$zsh_file" "$fish_file"; do
    for command in $commands; do
        grep -qw -- "$command" "$file" || fail "$(basename "$file") does not know $command"
    done
done

# bash, loaded the way bash-completion loads the completions of installed packages.
complete_bash() {
    XDG_DATA_DIRS=$share bash -c '
        if [ -f /usr/share/bash-completion/bash_completion ]; then
            . /usr/share/bash-completion/bash_completion
            __load_completion talvorectl || exit 3
        else
            . "$0"
        fi
        COMP_WORDS=("${@}"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
        function=$(complete -p talvorectl | sed "s/.*-F \([^ ]*\) .*/\1/")
        "$function" talvorectl "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf "%s\n" "${COMPREPLY[@]}" | sort' "$bash_file" "$@"
}
got=$(complete_bash talvorectl im)
[ "$got" = $'import\nimport-macro' ] || fail "bash: talvorectl im offers: $got"
got=$(complete_bash "$ctl" select W)
[ "$got" = 'Work\ Day' ] || fail "bash: select W offers: $got"
got=$(complete_bash "$ctl" import "")
[ "$got" = $'day.json\nday.pro\nsub' ] || fail "bash: import offers: $got"
got=$(complete_bash "$ctl" export "")
[ "$got" = $'0\n1' ] || fail "bash: export offers: $got"
got=$(complete_bash "$ctl" import-macro "")
[ "$got" = $'old.macro\nsub' ] || fail "bash: import-macro offers: $got"
echo "bash completes commands, profile names and files by extension"

if command -v fish >/dev/null; then
    complete_fish() {
        PATH=$work/program:$PATH fish -c "source $fish_file; complete -C '$1'" | cut -f1 | sort
    }
    got=$(complete_fish "talvorectl im")
    [ "$got" = $'import\nimport-macro' ] || fail "fish: talvorectl im offers: $got"
    got=$(complete_fish "talvorectl select ")
    [ "$got" = $'Profile1\nWork Day' ] || fail "fish: select offers: $got"
    got=$(complete_fish "talvorectl show ")
    [ "$got" = $'day.json\nday.pro\nsub/' ] || fail "fish: show offers: $got"
    echo "fish completes commands, profile names and files by extension"
else
    echo "fish is not installed: its completion is only checked for the commands"
fi
if command -v zsh >/dev/null; then
    zsh -n "$zsh_file" || fail "zsh: the completion does not parse"
    echo "zsh reads the completion"
fi
