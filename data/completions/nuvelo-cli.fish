# fish completion for nuvelo-cli

set -l commands search copy versions log
complete -c nuvelo-cli -f
complete -c nuvelo-cli -n "not __fish_seen_subcommand_from $commands" -a search -d 'List the files changed since a day'
complete -c nuvelo-cli -n "not __fish_seen_subcommand_from $commands" -a copy -d 'Copy the files changed since a day'
complete -c nuvelo-cli -n "not __fish_seen_subcommand_from $commands" -a versions -d 'List the kept versions of a file'
complete -c nuvelo-cli -n "not __fish_seen_subcommand_from $commands" -a log -d 'Show the last copy runs'
complete -c nuvelo-cli -n "not __fish_seen_subcommand_from $commands" -l version -d 'Show the version'
complete -c nuvelo-cli -s h -l help -d 'Show the options'

# The SOURCE the line names: the first word after the command that is neither an option nor
# an option's value (every word after "--" is a folder), the word being completed left out.
function __nuvelo_cli_source
    set -l before (commandline -opc)
    set -l words $before
    set -l after (commandline -o)
    set -l skip (count $before)
    # The word being completed is in the whole line's words unless it is still empty.
    set -l current (commandline -ct)
    test -n "$current"; and set skip (math $skip + 1)
    set -a words $after[(math $skip + 1)..-1]
    set -l options 1
    set -l value 0
    for word in $words[3..-1]
        if test $value = 1
            set value 0
        else if test $options = 1; and test "$word" = --
            set options 0
        else if test $options = 1; and contains -- $word --since --exclude-folder --exclude-ext \
                --exclude-name --exclude-from --overwrite --job --conditions --settings --format \
                --threads --report --retries --retry-wait --prune-versions --links
            set value 1
        else if test $options = 1; and string match -qr -- '^-.' $word
            continue
        else
            string replace -r -- '^~(?=/|$)' $HOME $word
            return
        end
    end
end

# The folders below SOURCE, named from SOURCE as --exclude-folder takes them. Nothing while the
# line names no SOURCE: a folder of the current folder would be read below SOURCE.
function __nuvelo_cli_source_folders
    set -l source (__nuvelo_cli_source)
    test -n "$source"; and test -d "$source"; or return
    set -l typed (commandline -ct | string replace -r -- '^--exclude-folder=' '')
    for folder in $source/$typed*/
        string replace -- $source/ '' $folder
    end
end

# Both commands
set -l both "__fish_seen_subcommand_from search copy"
complete -c nuvelo-cli -n $both -a '(__fish_complete_directories)'
complete -c nuvelo-cli -n $both -l since -x -a 'today yesterday 12h 3d 2w' -d 'What changed from then on'
complete -c nuvelo-cli -n $both -l since-last -d 'From the day this job last copied'
complete -c nuvelo-cli -n $both -l compare -d 'Missing, older or of another size at the destination (=contents: other bytes too)'
complete -c nuvelo-cli -n $both -l change-time -d 'Also files moved or unpacked in (ctime)'
complete -c nuvelo-cli -n $both -l no-change-time -d 'The last-write time alone'
complete -c nuvelo-cli -n $both -l subfolders -d 'Search subfolders too'
complete -c nuvelo-cli -n $both -l no-subfolders -d 'Leave subfolders out'
complete -c nuvelo-cli -n $both -l exclude-folder -x -a '(__nuvelo_cli_source_folders)' -d 'Leave out a subfolder of SOURCE'
complete -c nuvelo-cli -n $both -l exclude-ext -x -d 'Leave out an extension'
complete -c nuvelo-cli -n $both -l exclude-name -x -d 'Leave out a name at any depth'
complete -c nuvelo-cli -n $both -l exclude-from -r -F -d 'Leave out the names a file lists'
complete -c nuvelo-cli -n $both -l per-folder -d 'Take changed folders whole'
complete -c nuvelo-cli -n $both -l no-per-folder -d 'Enter changed folders'
complete -c nuvelo-cli -n $both -l relative -d 'Rebuild the paths below SOURCE'
complete -c nuvelo-cli -n $both -l absolute -d 'Rebuild the absolute paths'
complete -c nuvelo-cli -n $both -l job -r -F -d 'A job file: the whole job'
complete -c nuvelo-cli -n $both -l conditions -r -F -d 'A condition file'
complete -c nuvelo-cli -n $both -l settings -r -F -d 'The settings file'
complete -c nuvelo-cli -n $both -l threads -x -d 'Threads that read folders'
complete -c nuvelo-cli -n $both -s q -l quiet -d 'Nothing but errors'
complete -c nuvelo-cli -n $both -s v -l verbose -d 'Also the files left as they were'
complete -c nuvelo-cli -n $both -l progress -d 'A progress line on stderr'
complete -c nuvelo-cli -n $both -l no-progress -d 'No progress line'

# search
complete -c nuvelo-cli -n '__fish_seen_subcommand_from search' -l format -x -a 'text tsv json' -d 'The output'
complete -c nuvelo-cli -n '__fish_seen_subcommand_from search' -s 0 -l print0 -d 'NUL-ended absolute paths'

# copy
set -l copying '__fish_seen_subcommand_from copy'
complete -c nuvelo-cli -n $copying -l drive-letter -d "The window's drive letter setting"
complete -c nuvelo-cli -n $copying -l no-drive-letter -d "The window's drive letter setting"
# What to do with a file of the same name: each value with its own description.
complete -c nuvelo-cli -n $copying -l overwrite -x -a always -d 'Replace every file of the same name'
complete -c nuvelo-cli -n $copying -l overwrite -x -a ask -d 'Ask on the terminal for each one'
complete -c nuvelo-cli -n $copying -l overwrite -x -a newer -d 'Replace one only when the source is newer'
complete -c nuvelo-cli -n $copying -l overwrite -x -a never -d 'Keep every file of the same name'
complete -c nuvelo-cli -n $copying -l verify -d 'Read each copy back and compare'
complete -c nuvelo-cli -n $copying -l no-verify -d 'Do not read copies back'
complete -c nuvelo-cli -n $copying -l ignore-free-space -d 'Copy even when room seems short'
complete -c nuvelo-cli -n $copying -l mkdir -d 'Make a missing destination'
complete -c nuvelo-cli -n $copying -l any-drive -d 'Copy to a destination on another drive than the recorded one'
complete -c nuvelo-cli -n $copying -l wait -d 'Wait while another run copies the same job'
complete -c nuvelo-cli -n $copying -l retries -x -d 'Tries again after a transient failure'
complete -c nuvelo-cli -n $copying -l retry-wait -x -d 'Seconds before the first retry'
complete -c nuvelo-cli -n $copying -s n -l dry-run -d 'Only tell what would be copied'
complete -c nuvelo-cli -n $copying -l report -r -F -d 'A JSON line for each file'
complete -c nuvelo-cli -n $copying -l keep-replaced -d 'Keep each replaced file (=FOLDER: there)'
complete -c nuvelo-cli -n $copying -l no-keep-replaced -d 'Let replaced files go'
complete -c nuvelo-cli -n $copying -l prune-versions -x -d 'Remove kept versions older than DAYS'
# A link the destination cannot keep (exFAT, FAT32): each value with its own description.
complete -c nuvelo-cli -n $copying -l links -x -a copy -d 'Try it, and count it as failed'
complete -c nuvelo-cli -n $copying -l links -x -a skip -d 'Leave it out, with a note'

# versions
set -l listing '__fish_seen_subcommand_from versions'
complete -c nuvelo-cli -n $listing -F
complete -c nuvelo-cli -n $listing -l keep-replaced -d 'The versions folder (=FOLDER)'
complete -c nuvelo-cli -n $listing -l format -x -a 'text tsv json' -d 'The output'
complete -c nuvelo-cli -n $listing -s 0 -l print0 -d 'NUL-ended paths'

# log
set -l logging '__fish_seen_subcommand_from log'
complete -c nuvelo-cli -n $logging -s n -l lines -x -d 'Show the last N runs'
complete -c nuvelo-cli -n $logging -l format -x -a 'text tsv json' -d 'The output'
complete -c nuvelo-cli -n $logging -l settings -r -F -d 'The settings file whose log to read'
