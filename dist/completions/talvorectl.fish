# fish completion for talvorectl: commands, options, profile and macro names and indices from the
# store, and files by the extensions each command takes.

function __talvorectl_listing --argument-names listing column
    talvorectl $listing 2>/dev/null | cut -f$column
end

function __talvorectl_files --description 'files with the given extensions, and folders'
    set -l token (commandline -ct)
    for ext in $argv
        for file in $token*.$ext
            test -f $file; and echo $file
        end
    end
    for folder in $token*/
        echo $folder
    end
end

set -l commands apply backup doctor export export-macro import import-macro macros monitor new profiles reports restore select show
complete -c talvorectl -f
complete -c talvorectl -n "not __fish_seen_subcommand_from $commands" -s h -l help -d 'Print the commands'
complete -c talvorectl -n "not __fish_seen_subcommand_from $commands" -l version -d 'Print the version'
complete -c talvorectl -n "not __fish_seen_subcommand_from $commands" -a apply -d 'Send a profile to the mouse'
complete -c talvorectl -n "not __fish_seen_subcommand_from $commands" -a backup -d 'Every store in one file'
complete -c talvorectl -n "not __fish_seen_subcommand_from $commands" -a doctor -d 'Can this user reach the mouse?'
complete -c talvorectl -n "not __fish_seen_subcommand_from $commands" -a export -d 'A stored profile to .pro or .json'
complete -c talvorectl -n "not __fish_seen_subcommand_from $commands" -a export-macro -d 'A stored macro to .macro'
complete -c talvorectl -n "not __fish_seen_subcommand_from $commands" -a import -d 'Add a .pro or .json profile'
complete -c talvorectl -n "not __fish_seen_subcommand_from $commands" -a import-macro -d 'Add a .macro file'
complete -c talvorectl -n "not __fish_seen_subcommand_from $commands" -a macros -d 'List the stored macros'
complete -c talvorectl -n "not __fish_seen_subcommand_from $commands" -a monitor -d "Print the mouse's events"
complete -c talvorectl -n "not __fish_seen_subcommand_from $commands" -a new -d 'A profile file with the defaults'
complete -c talvorectl -n "not __fish_seen_subcommand_from $commands" -a profiles -d 'List the stored profiles'
complete -c talvorectl -n "not __fish_seen_subcommand_from $commands" -a reports -d 'The reports an apply would send'
complete -c talvorectl -n "not __fish_seen_subcommand_from $commands" -a restore -d 'Bring a backup back'
complete -c talvorectl -n "not __fish_seen_subcommand_from $commands" -a select -d 'Make a profile the current one'
complete -c talvorectl -n "not __fish_seen_subcommand_from $commands" -a show -d 'A profile file as JSON'

complete -c talvorectl -n '__fish_seen_subcommand_from apply show import' -a '(__talvorectl_files pro json)'
complete -c talvorectl -n '__fish_seen_subcommand_from import-macro' -a '(__talvorectl_files macro)'
complete -c talvorectl -n '__fish_seen_subcommand_from backup restore' -F
complete -c talvorectl -n '__fish_seen_subcommand_from select' -a '(__talvorectl_listing profiles 2)'
complete -c talvorectl -n '__fish_seen_subcommand_from export; and test (count (commandline -opc)) -eq 2' -a '(__talvorectl_listing profiles 1)'
complete -c talvorectl -n '__fish_seen_subcommand_from export; and test (count (commandline -opc)) -eq 3' -a '(__talvorectl_files pro json)'
complete -c talvorectl -n '__fish_seen_subcommand_from export-macro; and test (count (commandline -opc)) -eq 2' -a '(__talvorectl_listing macros 1)'
complete -c talvorectl -n '__fish_seen_subcommand_from export-macro; and test (count (commandline -opc)) -eq 3' -a '(__talvorectl_files macro)'
complete -c talvorectl -n '__fish_seen_subcommand_from new; and test (count (commandline -opc)) -eq 3' -a '(__talvorectl_files pro)'
complete -c talvorectl -n '__fish_seen_subcommand_from reports; and __fish_prev_arg_in --since; or __fish_seen_subcommand_from reports; and test (count (commandline -opc)) -eq 2' -a '(__talvorectl_files pro json)'
complete -c talvorectl -n '__fish_seen_subcommand_from reports' -l since -r -d 'The profile last sent'
complete -c talvorectl -n '__fish_seen_subcommand_from reports' -l link -x -a 'cable receiver ble' -d 'The link that carries them'
complete -c talvorectl -n '__fish_seen_subcommand_from monitor' -l count -x -d 'Stop after N events'
complete -c talvorectl -n '__fish_seen_subcommand_from monitor' -l seconds -x -d 'Stop after S seconds'
complete -c talvorectl -n '__fish_seen_subcommand_from doctor' -l sysfs -x -a '(__fish_complete_directories)' -d 'sysfs root'
complete -c talvorectl -n '__fish_seen_subcommand_from doctor' -l dev -x -a '(__fish_complete_directories)' -d 'Device folder'
