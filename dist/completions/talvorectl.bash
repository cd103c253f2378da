# bash completion for talvorectl: commands, options, profile and macro names and indices from the
# store, and files by the extensions each command takes.

_talvorectl_files() {
    # Files with one of the given extensions, and folders to go down into.
    local IFS=$'\n' ext
    local -a found=()
    for ext in "$@"; do
        found+=($(compgen -f -X "!*.$ext" -- "$cur"))
    done
    found+=($(compgen -d -- "$cur"))
    COMPREPLY=("${found[@]}")
    compopt -o filenames 2>/dev/null
}

_talvorectl_column() {
    # Column $2 of a listing command ($1) of talvorectl, one entry a line; a name with spaces
    # goes onto the command line quoted.
    local IFS=$'\n' entry
    local -a found=()
    for entry in $(compgen -W "$("$ctl" "$1" 2>/dev/null | cut -f"$2")" -- "$cur"); do
        found+=("$(printf '%q' "$entry")")
    done
    COMPREPLY=("${found[@]}")
}

_talvorectl() {
    local cur prev ctl=${COMP_WORDS[0]}
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD - 1]}
    local commands="apply backup doctor export export-macro import import-macro macros monitor
        new profiles reports restore select show"

    if [ "$COMP_CWORD" -eq 1 ]; then
        COMPREPLY=($(compgen -W "$commands -h --help --version" -- "$cur"))
        return
    fi
    local command=${COMP_WORDS[1]} arg=$((COMP_CWORD - 1))
    case $command in
        apply | show | import)
            [ "$arg" -eq 1 ] && _talvorectl_files pro json ;;
        import-macro)
            [ "$arg" -eq 1 ] && _talvorectl_files macro ;;
        backup | restore)
            [ "$arg" -eq 1 ] && { COMPREPLY=($(compgen -f -- "$cur")); compopt -o filenames; } ;;
        select)
            [ "$arg" -eq 1 ] && _talvorectl_column profiles 2 ;;
        export)
            case $arg in
                1) _talvorectl_column profiles 1 ;;
                2) _talvorectl_files pro json ;;
            esac ;;
        export-macro)
            case $arg in
                1) _talvorectl_column macros 1 ;;
                2) _talvorectl_files macro ;;
            esac ;;
        new)
            [ "$arg" -eq 2 ] && _talvorectl_files pro ;;
        reports)
            case $prev in
                --since) _talvorectl_files pro json ;;
                --link) COMPREPLY=($(compgen -W "cable receiver ble" -- "$cur")) ;;
                *) if [ "$arg" -eq 1 ]; then
                       _talvorectl_files pro json
                   else
                       COMPREPLY=($(compgen -W "--since --link" -- "$cur"))
                   fi ;;
            esac ;;
        monitor)
            case $prev in
                --count | --seconds) ;;
                *) COMPREPLY=($(compgen -W "--count --seconds" -- "$cur")) ;;
            esac ;;
        doctor)
            case $prev in
                --sysfs | --dev) COMPREPLY=($(compgen -d -- "$cur")); compopt -o filenames ;;
                *) COMPREPLY=($(compgen -W "--sysfs --dev" -- "$cur")) ;;
            esac ;;
    esac
}

complete -F _talvorectl talvorectl
