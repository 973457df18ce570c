# bash completion for nuvelo-cli

# The SOURCE the line names: the first word after the command that is neither an option nor
# an option's value (every word after "--" is a folder), the word being completed left out.
_nuvelo_cli_source() {
  local i word options=1
  for ((i = 2; i < ${#words[@]}; i++)); do
    ((i == cword)) && continue
    word=${words[i]}
    if ((options)); then
      case $word in
        --) options=0; continue ;;
        --since | --exclude-folder | --exclude-ext | --exclude-name | --exclude-from | \
          --overwrite | --job | --conditions | --settings | --format | --threads | --report | \
          --retries | --retry-wait | --prune-versions | --links)
          ((i++)); continue ;;
        -?*) continue ;;
      esac
    fi
    dequote "$word"
    return
  done
}

# The folders below SOURCE, named from SOURCE as --exclude-folder takes them. Nothing while the
# line names no SOURCE: a folder of the current folder would be read below SOURCE.
_nuvelo_cli_source_folders() {
  local source
  source=$(_nuvelo_cli_source)
  [[ -n $source && -d $source ]] || return
  local IFS=$'\n'
  COMPREPLY=($(cd -- "$source" 2>/dev/null && compgen -d -S / -- "$(dequote "$cur")"))
  # Quoted as file names are; no space after the "/", so a deeper folder can follow.
  compopt -o filenames -o nospace
}

_nuvelo_cli() {
  local cur prev words cword
  _init_completion || return

  local common="--job --conditions --settings --threads --quiet -q --verbose -v --progress
    --no-progress --help -h"
  local search="--since --since-last --compare --compare=contents --change-time --no-change-time --subfolders
    --no-subfolders --exclude-folder --exclude-ext --per-folder --no-per-folder --relative
    --absolute --format --print0 -0 --exclude-name --exclude-from"
  local copy="--since --since-last --compare --compare=contents --change-time --no-change-time --subfolders
    --no-subfolders --exclude-folder --exclude-ext --per-folder --no-per-folder --relative
    --absolute --drive-letter --no-drive-letter --overwrite --verify --no-verify
    --ignore-free-space --mkdir --any-drive --wait --dry-run -n --report --retries --retry-wait
    --keep-replaced --keep-replaced= --no-keep-replaced --prune-versions --exclude-name
    --exclude-from --links"
  local versions="--keep-replaced= --job --settings --format --print0 -0 --quiet -q --help -h"
  local log="--lines -n --format --settings --help -h"

  case $prev in
    --format)
      COMPREPLY=($(compgen -W "text tsv json" -- "$cur"))
      return ;;
    --overwrite)
      COMPREPLY=($(compgen -W "always ask newer never" -- "$cur"))
      return ;;
    --links)
      COMPREPLY=($(compgen -W "copy skip" -- "$cur"))
      return ;;
    --since)
      COMPREPLY=($(compgen -W "today yesterday 12h 3d 2w" -- "$cur"))
      return ;;
    --exclude-from)
      _filedir
      return ;;
    --exclude-name)
      return ;;
    --job | --conditions | --settings | --report)
      _filedir
      return ;;
    --exclude-folder)
      _nuvelo_cli_source_folders
      return ;;
    --exclude-ext | --threads | --retries | --retry-wait | --prune-versions | --lines)
      return ;;
    -n)
      [[ ${words[1]} == log ]] && return ;;
  esac

  if ((cword == 1)); then
    COMPREPLY=($(compgen -W "search copy versions log --help --version" -- "$cur"))
    return
  fi
  if [[ $cur == -* ]]; then
    case ${words[1]} in
      search) COMPREPLY=($(compgen -W "$common $search" -- "$cur")) ;;
      copy) COMPREPLY=($(compgen -W "$common $copy" -- "$cur")) ;;
      versions) COMPREPLY=($(compgen -W "$versions" -- "$cur")) ;;
      log) COMPREPLY=($(compgen -W "$log" -- "$cur")) ;;
    esac
    return
  fi
  if [[ ${words[1]} == versions ]]; then
    _filedir
    return
  fi
  # log takes no arguments; -n takes a number.
  [[ ${words[1]} == log ]] && return
  _filedir -d
}
complete -F _nuvelo_cli nuvelo-cli
